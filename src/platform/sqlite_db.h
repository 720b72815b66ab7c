// A thin, checked layer over an embedded SQLite connection: prepared
// statements with bound parameters only, write transactions, and the waiting
// and retrying that lets several processes share one database file.
#pragma once

#include <chrono>
#include <stdexcept>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace kst {

// The database refused an operation; the message is for a person and names
// the database file.
class EDatabaseError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// Another process kept the database locked for longer than the wait bound.
// The transaction that met it has been (or will be, by its scope) rolled back.
class EDatabaseBusy : public EDatabaseError {
public:
  using EDatabaseError::EDatabaseError;
};

// The message of EDatabaseBusy.
inline constexpr const char* kDatabaseBusyMessage =
    "The dictionary is being changed by another workstation and did not become free in time. "
    "Nothing was changed; please try again.";

// How long a connection waits for another process's lock: each attempt lets
// SQLite wait up to waitMs; a statement that may be repeated safely is tried
// `attempts` times before EDatabaseBusy is raised.
struct TBusyPolicy {
  int waitMs = 2000;
  int attempts = 5;
};

class TSqliteStatement {
public:
  TSqliteStatement() = default;
  TSqliteStatement(sqlite3* db, sqlite3_stmt* stmt, const TBusyPolicy* policy) : db_(db), stmt_(stmt), policy_(policy) {}
  ~TSqliteStatement();
  TSqliteStatement(TSqliteStatement&& other) noexcept;
  TSqliteStatement& operator=(TSqliteStatement&& other) noexcept;
  TSqliteStatement(const TSqliteStatement&) = delete;
  TSqliteStatement& operator=(const TSqliteStatement&) = delete;

  // Parameters are numbered from 1. Texts are bound byte for byte.
  TSqliteStatement& Bind(int index, std::string_view text);
  TSqliteStatement& Bind(int index, long long value);
  TSqliteStatement& Bind(int index, int value) { return Bind(index, static_cast<long long>(value)); }

  // Steps once: true when a row is there to read, false when done. Raises
  // EDatabaseError (EDatabaseBusy for a lock that did not clear in time).
  bool Step();
  // Steps to the end, then resets.
  void Run();
  // Ready for the next execution; the bindings are cleared.
  void Reset();

  bool Prepared() const { return stmt_ != nullptr; }
  int ColumnCount() const;

  std::string Text(int column) const;
  long long Int(int column) const;
  bool IsNull(int column) const;

private:
  void Check(int rc) const;
  sqlite3* db_ = nullptr;
  sqlite3_stmt* stmt_ = nullptr;
  const TBusyPolicy* policy_ = nullptr;
};

// Resets a statement however the scope is left, so that no half-read
// statement keeps an old snapshot of the database open.
class TStatementUse {
public:
  explicit TStatementUse(TSqliteStatement& statement) : statement_(statement) {}
  ~TStatementUse() { statement_.Reset(); }
  TStatementUse(const TStatementUse&) = delete;
  TStatementUse& operator=(const TStatementUse&) = delete;

private:
  TSqliteStatement& statement_;
};

class TSqliteDatabase {
public:
  // Opens (creating when missing) the database file. The directory must
  // exist. Raises EDatabaseError with the file name and the reason.
  explicit TSqliteDatabase(const std::string& fileName, TBusyPolicy policy = {});
  ~TSqliteDatabase();
  TSqliteDatabase(const TSqliteDatabase&) = delete;
  TSqliteDatabase& operator=(const TSqliteDatabase&) = delete;

  const std::string& FileName() const { return fileName_; }
  const TBusyPolicy& Policy() const { return policy_; }

  // Runs statements that take no parameters.
  void Exec(std::string_view sql);
  TSqliteStatement Prepare(std::string_view sql);

  bool InTransaction() const;
  // Rows changed by the last INSERT, UPDATE or DELETE.
  int Changes() const;
  // Takes the write lock at once (so a read-then-write inside cannot fail
  // half-way because another process wrote in between).
  void BeginWrite();
  void Commit();
  void Rollback();  // never raises

  sqlite3* Handle() const { return db_; }

private:
  static int OnBusy(void* self, int count);

  std::string fileName_;
  TBusyPolicy policy_;
  sqlite3* db_ = nullptr;
  std::chrono::steady_clock::time_point busySince_;
};

// A write transaction for one operation: begins one when the connection has
// none (joining the caller's otherwise), commits on Commit() and rolls back
// when left without committing.
class TWriteTransaction {
public:
  explicit TWriteTransaction(TSqliteDatabase& db);
  ~TWriteTransaction();
  TWriteTransaction(const TWriteTransaction&) = delete;
  TWriteTransaction& operator=(const TWriteTransaction&) = delete;
  void Commit();

private:
  TSqliteDatabase& db_;
  bool owner_ = false;
  bool done_ = false;
};

}  // namespace kst
