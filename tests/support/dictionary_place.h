// A dictionary in a scratch directory (the alias pointing at
// <scratch>/KSTrans.DB) and queries that look at its raw tables.
#pragma once

#include <string>
#include <vector>

#include "config/interaction.h"
#include "dictionary/common.h"
#include "platform/database_engine.h"
#include "platform/registry.h"
#include "support/test_support.h"

namespace kst::test {

class TDictionaryPlace {
  TScratchDir dir_;  // first: the members below are made from it

public:
  explicit TDictionaryPlace(TBusyPolicy policy = {}, const std::string& journalMode = "WAL");
  TDictionaryPlace(const TDictionaryPlace&) = delete;
  TDictionaryPlace& operator=(const TDictionaryPlace&) = delete;
  const std::string& Directory() const { return dir_.Path(); }
  std::string DatabaseDirectory() const { return dir_.Path() + "/" + kDictionaryDirectoryName; }
  std::string DatabaseFile() const { return DatabaseDirectory() + "/" + kDatabaseFileName; }
  TRegistryLocation location;
  TDatabaseEngine engine;
};

// A query's rows with each column as text, its first value (-1 for none), and
// its rows as text: columns joined by '|', each row ending in '\n'.
std::vector<std::vector<std::string>> QueryRows(TDatabase& db, const std::string& sql);
long long QueryCount(TDatabase& db, const std::string& sql);
std::string QueryText(TDatabase& db, const std::string& sql);

}  // namespace kst::test
