// The scratch dictionary of the tests.
#include "support/dictionary_place.h"

#include "platform/file_utils.h"
#include "support/postgres_server.h"

namespace kst::test {

std::string BackendName(const testing::TestParamInfo<TBackend>& info) {
  return info.param == TBackend::PostgreSql ? "PostgreSql" : "Sqlite";
}

TDictionaryPlace::TDictionaryPlace(TBusyPolicy policy, const std::string& journalMode, TBackend backend)
    : location(TRegistryLocation::InDirectory(dir_.Path() + "/cfg")), engine(location, policy) {
  ForceDirectories(DatabaseDirectory());
  engine.SetJournalMode(journalMode);
  if (backend == TBackend::PostgreSql) {
    std::string reason;
    if (TPostgresServer* server = TPostgresServer::Shared(&reason)) {
      serverDatabase = server->NewDatabase();
      engine.SetAliasConnection(kDictionaryAlias, server->ConnectionTo(serverDatabase));
      this->backend = backend;
      return;
    }
    if (InContinuousIntegration()) throw std::runtime_error("The PostgreSQL test server cannot start: " + reason);
    // Recorded as GTEST_SKIP records it; the body of a skipped test is not run.
    testing::internal::AssertHelper(testing::TestPartResult::kSkip, __FILE__, __LINE__,
                                    ("No PostgreSQL test server: " + reason).c_str()) = testing::Message();
  }
  engine.SetAliasPath(kDictionaryAlias, DatabaseDirectory());
}

TDictionaryPlace::~TDictionaryPlace() {
  if (serverDatabase.empty()) return;
  if (TPostgresServer* server = TPostgresServer::Shared(nullptr)) server->DropDatabase(serverDatabase);
}

std::vector<std::vector<std::string>> QueryRows(TDatabase& db, const std::string& sql) {
  std::vector<std::vector<std::string>> rows;
  TStatement q = db.Prepare(sql);
  while (q.Step()) {
    std::vector<std::string> row;
    for (int i = 0; i < q.ColumnCount(); ++i) row.push_back(q.Text(i));
    rows.push_back(std::move(row));
  }
  return rows;
}

std::string QueryText(TDatabase& db, const std::string& sql) {
  std::string text;
  for (const auto& row : QueryRows(db, sql)) {
    for (size_t i = 0; i < row.size(); ++i) text += (i ? "|" : "") + row[i];
    text += "\n";
  }
  return text;
}

long long QueryCount(TDatabase& db, const std::string& sql) {
  TStatement q = db.Prepare(sql);
  return q.Step() ? q.Int(0) : -1;
}

}  // namespace kst::test
