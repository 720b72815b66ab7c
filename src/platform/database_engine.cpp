// The engine configuration file and connections to an alias's database.
#include "platform/database_engine.h"

#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "platform/file_utils.h"
#include "platform/ini_file.h"
#include "platform/postgres_db.h"
#include "platform/same_text.h"

namespace kst {

namespace {

constexpr const char* kNetDirSection = "DRIVERS\\PARADOX\\INIT";
constexpr const char* kAliasPrefix = "ALIASES\\";
constexpr const char* kEngineSection = "DRIVERS\\SQLITE\\INIT";

// "WAL" or "DELETE" for the mode however it is written; null for any other.
const char* KnownJournalMode(std::string_view mode) {
  for (const char* known : {"WAL", "DELETE"})
    if (SameText(mode, known)) return known;
  return nullptr;
}

std::string AliasSection(std::string_view alias) { return kAliasPrefix + std::string(alias); }

// The configuration as it stands: an absent file is one with nothing set up
// yet, but a file that is there and cannot be read must not pass for that,
// or a dictionary that is set up would look as if it were not.
TIniFile ReadConfiguration(const std::string& fileName) {
  std::error_code ec;
  std::filesystem::file_status status = std::filesystem::status(fileName, ec);
  if (ec && ec != std::errc::no_such_file_or_directory)
    throw EDatabaseError("The database engine configuration \"" + fileName + "\" cannot be read: " + ec.message());
  if (!ec && status.type() != std::filesystem::file_type::regular)
    throw EDatabaseError("The database engine configuration \"" + fileName + "\" cannot be read: it is not a file");
  try {
    return TIniFile(fileName);
  } catch (const EFileError& e) {
    throw EDatabaseError("The database engine configuration cannot be read: " + std::string(e.what()));
  }
}

// One of an alias's parameters; the last line of that name wins, as the
// engine's parameter list reads.
std::string AliasParameter(const TIniFile& ini, std::string_view alias, std::string_view name) {
  std::string value;
  for (const std::string& key : ini.ReadSection(AliasSection(alias)))
    if (SameText(key, name)) value = ini.ReadString(AliasSection(alias), key, "");
  return value;
}

// The alias anew: its type and the one parameter that says where it is.
void WriteAlias(const std::string& configFile, std::string_view alias, std::string_view type,
                std::string_view name, std::string_view value) {
  ForceDirectories(ExtractFileDir(configFile));
  TIniFile ini(configFile);
  ini.BeginUpdate();
  ini.EraseSection(AliasSection(alias));
  ini.WriteString(AliasSection(alias), "TYPE", type);
  ini.WriteString(AliasSection(alias), name, value);
  ini.EndUpdate();
}

}  // namespace

TDatabaseEngine::TDatabaseEngine(const TRegistryLocation& location, TBusyPolicy policy)
    : configFile_(location.UserDirectory() + "/engine.ini"), policy_(policy) {}

std::string TDatabaseEngine::GetAliasPath(std::string_view alias) const {
  return AliasParameter(ReadConfiguration(configFile_), alias, "PATH");
}

void TDatabaseEngine::SetAliasPath(std::string_view alias, std::string_view directory) {
  WriteAlias(configFile_, alias, "PARADOX", "PATH", directory);
}

std::vector<std::string> TDatabaseEngine::AliasNames() const {
  std::vector<std::string> names;
  for (const std::string& section : ReadConfiguration(configFile_).ReadSections())
    if (StartsWithText(section, kAliasPrefix)) names.push_back(section.substr(std::string_view(kAliasPrefix).size()));
  return names;
}

TDatabaseKind TDatabaseEngine::GetAliasKind(std::string_view alias) const {
  return SameText(AliasParameter(ReadConfiguration(configFile_), alias, "TYPE"), "POSTGRESQL")
             ? TDatabaseKind::PostgreSql
             : TDatabaseKind::Sqlite;
}

std::string TDatabaseEngine::GetAliasConnection(std::string_view alias) const {
  return AliasParameter(ReadConfiguration(configFile_), alias, "CONNECTION");
}

void TDatabaseEngine::SetAliasConnection(std::string_view alias, std::string_view conninfo) {
  if (conninfo.find_first_of("\r\n") != std::string_view::npos)
    throw std::invalid_argument("A connection string must be one line");
  if (ConnectionHasPassword(conninfo))
    throw std::invalid_argument(
        "The connection string holds a password, which is not kept in the configuration: give it through "
        "~/.pgpass, PGPASSWORD or a service file instead");
  WriteAlias(configFile_, alias, "POSTGRESQL", "CONNECTION", conninfo);
}

bool TDatabaseEngine::AliasIsSetUp(std::string_view alias) const {
  if (GetAliasKind(alias) == TDatabaseKind::PostgreSql) return !GetAliasConnection(alias).empty();
  return !GetAliasPath(alias).empty();
}

std::string TDatabaseEngine::GetParadoxNetDir() const {
  // The key compares without regard to case already.
  return ReadConfiguration(configFile_).ReadString(kNetDirSection, "NET DIR", "");
}

void TDatabaseEngine::SetParadoxNetDir(std::string_view directory) {
  ForceDirectories(ExtractFileDir(configFile_));
  TIniFile ini(configFile_);
  ini.WriteString(kNetDirSection, "NET DIR", directory);
}

std::string TDatabaseEngine::DatabaseFileOf(std::string_view alias) const {
  std::string path = GetAliasPath(alias);
  if (path.empty())
    throw EDatabaseError("The database alias \"" + std::string(alias) + "\" has no directory; set it up first (" +
                         configFile_ + ")");
  path = ToInternalPath(path);
  if (!DirectoryExists(path))
    throw EDatabaseError("The dictionary directory \"" + path + "\" of the alias \"" + std::string(alias) +
                         "\" does not exist");
  return path + (path.ends_with('/') ? "" : "/") + kDatabaseFileName;
}

std::string TDatabaseEngine::GetJournalMode() const {
  TIniFile ini = ReadConfiguration(configFile_);
  if (!ini.ValueExists(kEngineSection, "JOURNAL MODE")) return "WAL";
  std::string mode = ini.ReadString(kEngineSection, "JOURNAL MODE", "");
  // A misspelt mode must not quietly become WAL: on a directory shared over
  // the network that would corrupt the dictionary.
  if (const char* known = KnownJournalMode(mode)) return known;
  throw EDatabaseError("The journal mode \"" + mode + "\" in " + configFile_ + " ([" + kEngineSection +
                       "] JOURNAL MODE) is neither WAL nor DELETE");
}

void TDatabaseEngine::SetJournalMode(std::string_view mode) {
  const char* checked = KnownJournalMode(mode);
  if (!checked) throw std::invalid_argument("Unknown journal mode \"" + std::string(mode) + "\"; use WAL or DELETE");
  ForceDirectories(ExtractFileDir(configFile_));
  TIniFile(configFile_).WriteString(kEngineSection, "JOURNAL MODE", checked);
}

std::unique_ptr<TDatabase> TDatabaseEngine::Connect(std::string_view alias) const {
  if (GetAliasKind(alias) == TDatabaseKind::PostgreSql) {
    std::string connection = GetAliasConnection(alias);
    if (connection.empty())
      throw EDatabaseError("The database alias \"" + std::string(alias) +
                           "\" has no server connection; set it up first (" + configFile_ + ")");
    return ConnectServer(connection);
  }
  return ConnectFile(DatabaseFileOf(alias));
}

std::unique_ptr<TDatabase> TDatabaseEngine::ConnectLike(const TDatabase& db) const {
  if (db.Kind() == TDatabaseKind::PostgreSql)
    return ConnectServer(dynamic_cast<const TPostgresDatabase&>(db).ConnectionString());
  return ConnectFile(dynamic_cast<const TSqliteDatabase&>(db).FileName());
}

std::unique_ptr<TDatabase> TDatabaseEngine::ConnectServer(const std::string& conninfo) const {
  return std::make_unique<TPostgresDatabase>(conninfo, policy_);
}

std::unique_ptr<TSqliteDatabase> TDatabaseEngine::ConnectFile(const std::string& databaseFile) const {
  auto db = std::make_unique<TSqliteDatabase>(databaseFile, policy_);
  // A database another process keeps open in the other mode stays in that
  // mode; every connection then follows it, which is what matters.
  db->Exec("PRAGMA journal_mode = " + GetJournalMode());
  // A commit is on disk before it returns, so nothing committed is lost.
  db->Exec("PRAGMA synchronous = FULL");
  return db;
}

}  // namespace kst
