// The scratch dictionary of the tests.
#include "support/dictionary_place.h"

#include "platform/file_utils.h"

namespace kst::test {

TDictionaryPlace::TDictionaryPlace(TBusyPolicy policy, const std::string& journalMode)
    : location(TRegistryLocation::InDirectory(dir_.Path() + "/cfg")), engine(location, policy) {
  ForceDirectories(DatabaseDirectory());
  engine.SetJournalMode(journalMode);
  engine.SetAliasPath(kDictionaryAlias, DatabaseDirectory());
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
