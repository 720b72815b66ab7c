// The dictionary's view of a database server or file: connections, prepared
// statements with bound parameters only, write transactions, and the waiting
// and retrying that lets several workstations share one dictionary. SQLite
// (sqlite_db.h) and PostgreSQL (postgres_db.h) implement it.
//
// Statements are written in SQLite's words with numbered parameters (?1);
// a connection to another engine translates what differs mechanically
// (parameter marks, identifier case, INSERT OR IGNORE), and TSqlDialect
// spells what cannot be translated that way (case-insensitive comparison).
#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace kst {

// The database refused an operation; the message is for a person and names
// the database (a file, or a server connection without its password).
class EDatabaseError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// Another process kept the database locked for longer than the wait bound,
// or the server could not be reached again within it. The transaction that
// met it has been (or will be, by its scope) rolled back.
class EDatabaseBusy : public EDatabaseError {
public:
  using EDatabaseError::EDatabaseError;
};

// The message of EDatabaseBusy.
inline constexpr const char* kDatabaseBusyMessage =
    "The dictionary is being changed by another workstation and did not become free in time. "
    "Nothing was changed; please try again.";

// How long a connection waits for another process's lock: each attempt waits
// up to waitMs; a statement that may be repeated safely is tried `attempts`
// times before EDatabaseBusy is raised.
struct TBusyPolicy {
  int waitMs = 2000;
  int attempts = 5;
};

enum class TDatabaseKind { Sqlite, PostgreSql };

// What one engine needs to run a prepared statement.
class TStatementImpl {
public:
  virtual ~TStatementImpl() = default;
  virtual void Bind(int index, std::string_view text) = 0;
  virtual void Bind(int index, long long value) = 0;
  virtual bool Step() = 0;
  virtual void Reset() = 0;
  virtual int ColumnCount() const = 0;
  virtual std::string Text(int column) const = 0;
  virtual long long Int(int column) const = 0;
  virtual bool IsNull(int column) const = 0;
};

// A prepared statement; empty until one is moved in.
class TStatement {
public:
  TStatement() = default;
  explicit TStatement(std::unique_ptr<TStatementImpl> impl) : impl_(std::move(impl)) {}

  // Parameters are numbered from 1. Texts are bound byte for byte.
  TStatement& Bind(int index, std::string_view text) {
    impl_->Bind(index, text);
    return *this;
  }
  TStatement& Bind(int index, long long value) {
    impl_->Bind(index, value);
    return *this;
  }
  TStatement& Bind(int index, int value) { return Bind(index, static_cast<long long>(value)); }

  // Steps once: true when a row is there to read, false when done. Raises
  // EDatabaseError (EDatabaseBusy for a lock that did not clear in time).
  bool Step() { return impl_->Step(); }
  // Steps to the end, then resets.
  void Run() {
    while (Step()) {
    }
    Reset();
  }
  // Ready for the next execution; the bindings are cleared.
  void Reset() {
    if (impl_) impl_->Reset();
  }

  bool Prepared() const { return impl_ != nullptr; }
  int ColumnCount() const { return impl_ ? impl_->ColumnCount() : 0; }

  std::string Text(int column) const { return impl_->Text(column); }
  long long Int(int column) const { return impl_->Int(column); }
  bool IsNull(int column) const { return impl_->IsNull(column); }

private:
  std::unique_ptr<TStatementImpl> impl_;
};

// Resets a statement however the scope is left, so that no half-read
// statement keeps an old snapshot of the database open.
class TStatementUse {
public:
  explicit TStatementUse(TStatement& statement) : statement_(statement) {}
  ~TStatementUse() { statement_.Reset(); }
  TStatementUse(const TStatementUse&) = delete;
  TStatementUse& operator=(const TStatementUse&) = delete;

private:
  TStatement& statement_;
};

// The spellings that differ between the engines and cannot be translated
// from SQLite's words mechanically.
class TSqlDialect {
public:
  explicit TSqlDialect(TDatabaseKind kind) : kind_(kind) {}
  TDatabaseKind Kind() const { return kind_; }
  // `expression` compared and ordered without regard to ASCII case; both
  // sides of a comparison need it. The case-insensitive indexes are made on
  // the same form, so a look-up through it uses them.
  std::string NoCase(std::string_view expression) const;
  // A number compared or ordered through a case-insensitive index: SQLite
  // uses such an index only for the collation it was made with, the server
  // makes no case-insensitive index on numbers. A parameter holds 64 bits.
  std::string IndexedNumber(std::string_view expression) const;

private:
  TDatabaseKind kind_;
};

class TDatabase {
public:
  virtual ~TDatabase() = default;
  TDatabase(const TDatabase&) = delete;
  TDatabase& operator=(const TDatabase&) = delete;

  virtual TDatabaseKind Kind() const = 0;
  TSqlDialect Dialect() const { return TSqlDialect(Kind()); }
  // What messages name: the database file, or the server connection without
  // its password.
  virtual std::string DisplayName() const = 0;
  virtual const TBusyPolicy& Policy() const = 0;

  // Runs statements that take no parameters.
  virtual void Exec(std::string_view sql) = 0;
  virtual TStatement Prepare(std::string_view sql) = 0;

  virtual bool InTransaction() const = 0;
  // Rows changed by the last INSERT, UPDATE or DELETE.
  virtual int Changes() const = 0;
  // Rows changed by this connection since it was opened.
  virtual long long TotalChanges() const = 0;
  // Takes the write lock at once, so that a read-then-write inside cannot
  // fail half-way because another process wrote in between; writers of one
  // dictionary take turns on every engine.
  virtual void BeginWrite() = 0;
  virtual void Commit() = 0;
  virtual void Rollback() = 0;  // never raises

protected:
  TDatabase() = default;
};

// A write transaction for one operation: begins one when the connection has
// none (joining the caller's otherwise), commits on Commit() and rolls back
// when left without committing.
class TWriteTransaction {
public:
  explicit TWriteTransaction(TDatabase& db);
  ~TWriteTransaction();
  TWriteTransaction(const TWriteTransaction&) = delete;
  TWriteTransaction& operator=(const TWriteTransaction&) = delete;
  void Commit();

private:
  TDatabase& db_;
  bool owner_ = false;
  bool done_ = false;
};

}  // namespace kst
