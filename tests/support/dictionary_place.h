// A dictionary in a scratch directory for the tests: the engine's
// configuration, the alias pointing at <scratch>/KSTrans.DB, and helpers to
// start the program's data modules on it and to look at the raw tables.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "config/interaction.h"
#include "dictionary/common.h"
#include "platform/database_engine.h"
#include "platform/registry.h"
#include "support/test_support.h"

namespace kst::test {

class TDictionaryPlace {
public:
  explicit TDictionaryPlace(TBusyPolicy policy = {}, const std::string& journalMode = "WAL");
  TDictionaryPlace(const TDictionaryPlace&) = delete;
  TDictionaryPlace& operator=(const TDictionaryPlace&) = delete;
  const std::string& Directory() const { return dir_.Path(); }
  std::string DatabaseDirectory() const { return dir_.Path() + "/" + kDictionaryDirectoryName; }
  std::string DatabaseFile() const { return DatabaseDirectory() + "/" + kDatabaseFileName; }

private:
  TScratchDir dir_;  // first: the members below are made from it

public:
  TRegistryLocation location;
  TDatabaseEngine engine;
};

// The rows of a query on a fresh connection, each column as text.
std::vector<std::vector<std::string>> QueryRows(TSqliteDatabase& db, const std::string& sql);
long long QueryCount(TSqliteDatabase& db, const std::string& sql);
// The same rows as text: columns joined by '|', each row ending in '\n'.
std::string QueryText(TSqliteDatabase& db, const std::string& sql);

}  // namespace kst::test
