// A dictionary in a scratch directory (the alias pointing at
// <scratch>/KSTrans.DB) and queries that look at its raw tables.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/interaction.h"
#include "dictionary/common.h"
#include "platform/database_engine.h"
#include "platform/registry.h"
#include "support/test_support.h"

namespace kst::test {

// Where a test's dictionary lives: the embedded SQLite file, or a database
// of its own on the test server.
enum class TBackend { Sqlite, PostgreSql };
std::string BackendName(const testing::TestParamInfo<TBackend>& info);
inline const auto kBackends = testing::Values(TBackend::Sqlite, TBackend::PostgreSql);

class TDictionaryPlace {
  TScratchDir dir_;  // first: the members below are made from it

public:
  // On PostgreSql without a test server: in CI raises std::runtime_error
  // with the reason; elsewhere marks the running test skipped (the reason
  // is its message) and makes an SQLite dictionary, so that the fixture can
  // be built and its test body is not run.
  explicit TDictionaryPlace(TBusyPolicy policy = {}, const std::string& journalMode = "WAL",
                            TBackend backend = TBackend::Sqlite);
  ~TDictionaryPlace();
  TDictionaryPlace(const TDictionaryPlace&) = delete;
  TDictionaryPlace& operator=(const TDictionaryPlace&) = delete;
  const std::string& Directory() const { return dir_.Path(); }
  std::string DatabaseDirectory() const { return dir_.Path() + "/" + kDictionaryDirectoryName; }
  std::string DatabaseFile() const { return DatabaseDirectory() + "/" + kDatabaseFileName; }
  TRegistryLocation location;
  TDatabaseEngine engine;
  TBackend backend = TBackend::Sqlite;
  std::string serverDatabase;  // on PostgreSql: the database's name
};

// A query's rows with each column as text, its first value (-1 for none), and
// its rows as text: columns joined by '|', each row ending in '\n'.
std::vector<std::vector<std::string>> QueryRows(TDatabase& db, const std::string& sql);
long long QueryCount(TDatabase& db, const std::string& sql);
std::string QueryText(TDatabase& db, const std::string& sql);

}  // namespace kst::test
