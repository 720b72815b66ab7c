// The database engine's own configuration: named aliases that point at a
// directory (the embedded SQLite file in it) or at a PostgreSQL server, and
// the driver's network directory entry. It lives in a small ini file in the
// per-user configuration directory (engine.ini):
//   [ALIASES\<name>]          TYPE=PARADOX, PATH=<directory>
//                             or TYPE=POSTGRESQL, CONNECTION=<libpq connection
//                             string without password>
//   [DRIVERS\PARADOX\INIT]    NET DIR=<directory>
//   [DRIVERS\SQLITE\INIT]     JOURNAL MODE=WAL (default) or DELETE
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"
#include "platform/sqlite_db.h"

namespace kst {

// The file inside an alias directory that holds the database.
inline constexpr const char* kDatabaseFileName = "dictionary.sqlite";

class TDatabaseEngine {
public:
  // The configuration file is engine.ini beside the per-user settings file,
  // so KESTRIN_CONFIG_DIR redirects both. Every read goes to the file, so
  // changes made by other processes are seen at once.
  explicit TDatabaseEngine(const TRegistryLocation& location, TBusyPolicy policy = {});

  const std::string& ConfigFileName() const { return configFile_; }
  const TBusyPolicy& Policy() const { return policy_; }

  // The readers below take an absent configuration file for one with
  // nothing set up; a file that is there but cannot be read raises
  // EDatabaseError naming it.

  // The PATH of the alias (names compare without regard to case); empty when
  // the alias is unknown.
  std::string GetAliasPath(std::string_view alias) const;
  // Replaces the alias's parameters by the single PATH (driver PARADOX), or
  // adds the alias. Raises EFileError when the file cannot be written and
  // std::invalid_argument for a path with a line break.
  void SetAliasPath(std::string_view alias, std::string_view directory);
  std::vector<std::string> AliasNames() const;

  // What the alias points at: a PostgreSQL server for TYPE=POSTGRESQL
  // (compared without regard to case), the SQLite file in PATH otherwise.
  TDatabaseKind GetAliasKind(std::string_view alias) const;
  // The alias's libpq connection string; empty when it has none.
  std::string GetAliasConnection(std::string_view alias) const;
  // Replaces the alias's parameters by a PostgreSQL connection. Refuses
  // (std::invalid_argument) a connection string that carries a password,
  // which belongs in ~/.pgpass, PGPASSWORD or a service file, never in our
  // files; and one with a line break.
  void SetAliasConnection(std::string_view alias, std::string_view conninfo);
  // The alias points somewhere: a directory or a server.
  bool AliasIsSetUp(std::string_view alias) const;

  // The driver's "NET DIR" entry (found whatever its case); empty when unset.
  std::string GetParadoxNetDir() const;
  void SetParadoxNetDir(std::string_view directory);

  // How connections keep their journal. WAL lets readers go on while one
  // process writes, but needs memory shared between the processes, so it
  // only works where they run on one machine; DELETE (the rollback journal)
  // is for a directory shared over the network. No entry reads as WAL; an
  // entry that is neither (compared without regard to case) raises
  // EDatabaseError naming the file and the value. The setter refuses
  // anything else with std::invalid_argument.
  std::string GetJournalMode() const;
  void SetJournalMode(std::string_view mode);

  // The database file of the alias. Raises EDatabaseError naming the alias
  // when it has no path.
  std::string DatabaseFileOf(std::string_view alias) const;
  // A new connection to the alias's database, or to a database file, in the
  // configured journal mode with every commit synchronised to disk; or to
  // the alias's server.
  std::unique_ptr<TDatabase> Connect(std::string_view alias) const;
  std::unique_ptr<TSqliteDatabase> ConnectFile(const std::string& databaseFile) const;
  // Another connection to the database `db` is connected to.
  std::unique_ptr<TDatabase> ConnectLike(const TDatabase& db) const;
  std::unique_ptr<TDatabase> ConnectServer(const std::string& conninfo) const;

private:
  std::string configFile_;
  TBusyPolicy policy_;
};

}  // namespace kst
