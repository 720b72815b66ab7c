// A dictionary on a PostgreSQL server through libpq, behind TDatabase.
// Statements arrive in SQLite's words and are translated (PostgresSql);
// writers take turns through one advisory lock, as SQLite's writers do
// through its file lock, so that every read-then-write of the dictionary
// stays atomic on both. A connection that drops is made again on the next
// operation; a statement outside a transaction is repeated after it.
// Passwords come from libpq's own means (~/.pgpass, PGPASSWORD, a service
// file) and never appear in what this class reports.
#pragma once

#include <map>
#include <string>
#include <string_view>

#include "platform/database.h"

struct pg_conn;
struct pg_result;

namespace kst {

// The statement in the server's words: ?N and ? become $N, names in double
// quotes are folded to lower case as the server folds unquoted ones (so
// "StrIdx" and StrIdx name one table; a collation's name after COLLATE
// stays as it is), and INSERT OR IGNORE becomes
// INSERT ... ON CONFLICT DO NOTHING. Quoted texts are left alone.
std::string PostgresSql(std::string_view sql);

// The connection string as it may be shown: every setting but the password.
// A string libpq cannot read is not shown at all.
std::string ConnectionTextForDisplay(std::string_view conninfo);

// True when the connection string carries a password (which our
// configuration must not keep).
bool ConnectionHasPassword(std::string_view conninfo);

class TPostgresDatabase : public TDatabase {
public:
  // Connects; raises EDatabaseError naming the server (without password)
  // and the reason. The database must keep texts byte for byte (encoding
  // SQL_ASCII), since the dictionary's texts are in the program's code page.
  explicit TPostgresDatabase(const std::string& conninfo, TBusyPolicy policy = {});
  ~TPostgresDatabase() override;

  const std::string& ConnectionString() const { return conninfo_; }
  TDatabaseKind Kind() const override { return TDatabaseKind::PostgreSql; }
  std::string DisplayName() const override { return ConnectionTextForDisplay(conninfo_); }
  const TBusyPolicy& Policy() const override { return policy_; }

  void Exec(std::string_view sql) override;
  TStatement Prepare(std::string_view sql) override;

  bool InTransaction() const override { return inTransaction_; }
  int Changes() const override { return changes_; }
  long long TotalChanges() const override { return totalChanges_; }
  void BeginWrite() override;
  void Commit() override;
  void Rollback() override;

  // For the statements: runs a translated statement with text parameters
  // (null pointers for NULL), preparing it once per connection with the
  // given parameter types (0: the server's guess). Retries as the class
  // comment says. The result belongs to the caller (PQclear).
  pg_result* Run(const std::string& sql, int count, const char* const* values, const int* lengths,
                 const unsigned* types = nullptr);

private:
  void Open();
  void Close();
  [[noreturn]] void Fail(pg_result* result, std::string_view sql);

  std::string conninfo_;
  TBusyPolicy policy_;
  pg_conn* conn_ = nullptr;
  bool inTransaction_ = false;
  bool transactionFailed_ = false;
  int changes_ = 0;
  long long totalChanges_ = 0;
  std::map<std::string, std::string> prepared_;  // translated statement -> its name on this connection
};

}  // namespace kst
