// The embedded SQLite connection behind TDatabase: one database file that
// several processes share through its locks, with the waiting and retrying
// that needs.
#pragma once

#include <chrono>
#include <string>
#include <string_view>

#include "platform/database.h"

struct sqlite3;
struct sqlite3_stmt;

namespace kst {

class TSqliteDatabase : public TDatabase {
public:
  // Opens (creating when missing) the database file. The directory must
  // exist. Raises EDatabaseError with the file name and the reason.
  explicit TSqliteDatabase(const std::string& fileName, TBusyPolicy policy = {});
  ~TSqliteDatabase();
  TSqliteDatabase(const TSqliteDatabase&) = delete;
  TSqliteDatabase& operator=(const TSqliteDatabase&) = delete;

  const std::string& FileName() const { return fileName_; }
  TDatabaseKind Kind() const override { return TDatabaseKind::Sqlite; }
  std::string DisplayName() const override { return fileName_; }
  const TBusyPolicy& Policy() const override { return policy_; }

  void Exec(std::string_view sql) override;
  TStatement Prepare(std::string_view sql) override;

  bool InTransaction() const override;
  int Changes() const override;
  long long TotalChanges() const override;
  void BeginWrite() override;
  void Commit() override;
  void Rollback() override;

  sqlite3* Handle() const { return db_; }

private:
  static int OnBusy(void* self, int count);

  std::string fileName_;
  TBusyPolicy policy_;
  sqlite3* db_ = nullptr;
  std::chrono::steady_clock::time_point busySince_;
};

}  // namespace kst
