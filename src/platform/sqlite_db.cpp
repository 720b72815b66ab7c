// The SQLite connection and its statements.
#include "platform/sqlite_db.h"

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <memory>
#include <thread>
#include <utility>

namespace kst {

namespace {

bool IsBusy(int rc) { return (rc & 0xFF) == SQLITE_BUSY || (rc & 0xFF) == SQLITE_LOCKED; }

[[noreturn]] void Raise(sqlite3* db, int rc, std::string_view what) {
  if (IsBusy(rc)) throw EDatabaseBusy(kDatabaseBusyMessage);
  std::string file = db ? (sqlite3_db_filename(db, "main") ? sqlite3_db_filename(db, "main") : "") : "";
  std::string message = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
  std::string text = "Dictionary database error: " + message;
  if (!what.empty()) text += " (" + std::string(what) + ")";
  if (!file.empty()) text += " in \"" + file + "\"";
  throw EDatabaseError(text);
}

// A short pause between attempts, growing, so that retrying processes do
// not meet in lock step.
void PauseBeforeRetry(int attempt) {
  std::this_thread::sleep_for(std::chrono::milliseconds(5 * (attempt + 1)));
}

// One prepared SQLite statement of a connection.
class TSqliteStatement : public TStatementImpl {
public:
  TSqliteStatement(sqlite3* db, sqlite3_stmt* stmt, const TBusyPolicy* policy)
      : db_(db), stmt_(stmt), policy_(policy) {}
  ~TSqliteStatement() override { sqlite3_finalize(stmt_); }
  TSqliteStatement(const TSqliteStatement&) = delete;
  TSqliteStatement& operator=(const TSqliteStatement&) = delete;

  void Bind(int index, std::string_view text) override {
    // A non-null pointer even for an empty text: an empty text is not NULL.
    Check(
        sqlite3_bind_text64(stmt_, index, text.empty() ? "" : text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8));
  }
  void Bind(int index, long long value) override { Check(sqlite3_bind_int64(stmt_, index, value)); }
  bool Step() override;
  void Reset() override {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
  }
  int ColumnCount() const override { return sqlite3_column_count(stmt_); }
  std::string Text(int column) const override {
    const unsigned char* text = sqlite3_column_text(stmt_, column);
    if (!text) return {};
    return std::string(reinterpret_cast<const char*>(text), static_cast<size_t>(sqlite3_column_bytes(stmt_, column)));
  }
  long long Int(int column) const override { return sqlite3_column_int64(stmt_, column); }
  bool IsNull(int column) const override { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }

private:
  void Check(int rc) const {
    if (rc != SQLITE_OK) Raise(db_, rc, sqlite3_sql(stmt_) ? sqlite3_sql(stmt_) : "");
  }
  sqlite3* db_;
  sqlite3_stmt* stmt_;
  const TBusyPolicy* policy_;
};

bool TSqliteStatement::Step() {
  const int attempts = policy_ ? std::max(1, policy_->attempts) : 1;
  for (int attempt = 0;; ++attempt) {
    int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    // Inside a transaction only COMMIT may be repeated; any other statement
    // must give way so that its transaction is rolled back.
    const char* sql = sqlite3_sql(stmt_);
    bool repeatable = sqlite3_get_autocommit(db_) || (sql && std::string_view(sql).starts_with("COMMIT"));
    sqlite3_reset(stmt_);
    if (IsBusy(rc) && repeatable && attempt + 1 < attempts) {
      PauseBeforeRetry(attempt);
      continue;
    }
    Raise(db_, rc, sqlite3_sql(stmt_) ? sqlite3_sql(stmt_) : "");
  }
}

}  // namespace

TSqliteDatabase::TSqliteDatabase(const std::string& fileName, TBusyPolicy policy)
    : fileName_(fileName), policy_(policy) {
  int rc = sqlite3_open_v2(fileName.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                           nullptr);
  if (rc != SQLITE_OK) {
    std::string reason = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
    if (db_) sqlite3_close(db_);
    db_ = nullptr;
    throw EDatabaseError("Cannot open the dictionary database \"" + fileName + "\": " + reason);
  }
  sqlite3_extended_result_codes(db_, 1);
  sqlite3_busy_handler(db_, &TSqliteDatabase::OnBusy, this);
}

int TSqliteDatabase::OnBusy(void* self, int count) {
  auto* db = static_cast<TSqliteDatabase*>(self);
  auto now = std::chrono::steady_clock::now();
  if (count == 0) db->busySince_ = now;
  if (now - db->busySince_ >= std::chrono::milliseconds(db->policy_.waitMs)) return 0;
  // Short, slightly uneven naps: SQLite's locks form no queue, so a waiter
  // that sleeps long loses the lock again and again to processes that ask
  // for it right after their last commit.
  std::this_thread::sleep_for(std::chrono::microseconds(500 + (count * 7919 + reinterpret_cast<uintptr_t>(self)) % 1500));
  return 1;
}

TSqliteDatabase::~TSqliteDatabase() {
  if (db_) {
    if (InTransaction()) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close_v2(db_);
  }
}

void TSqliteDatabase::Exec(std::string_view sql) {
  // One statement at a time, so that each gets the retry of Step().
  const char* tail = sql.data();
  const char* end = sql.data() + sql.size();
  while (tail < end) {
    sqlite3_stmt* stmt = nullptr;
    const char* next = nullptr;
    int rc = sqlite3_prepare_v2(db_, tail, static_cast<int>(end - tail), &stmt, &next);
    if (rc != SQLITE_OK) Raise(db_, rc, std::string_view(tail, end - tail));
    if (!stmt) break;  // only blanks or comments were left
    TStatement statement(std::make_unique<TSqliteStatement>(db_, stmt, &policy_));
    statement.Run();
    tail = next;
  }
}

TStatement TSqliteDatabase::Prepare(std::string_view sql) {
  sqlite3_stmt* stmt = nullptr;
  int rc = sqlite3_prepare_v3(db_, sql.data(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT, &stmt, nullptr);
  if (rc != SQLITE_OK) Raise(db_, rc, sql);
  return TStatement(std::make_unique<TSqliteStatement>(db_, stmt, &policy_));
}

int TSqliteDatabase::Changes() const { return sqlite3_changes(db_); }

long long TSqliteDatabase::TotalChanges() const { return sqlite3_total_changes64(db_); }

bool TSqliteDatabase::InTransaction() const { return db_ && !sqlite3_get_autocommit(db_); }

void TSqliteDatabase::BeginWrite() { Exec("BEGIN IMMEDIATE"); }

void TSqliteDatabase::Commit() { Exec("COMMIT"); }

void TSqliteDatabase::Rollback() {
  if (InTransaction()) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
}

}  // namespace kst
