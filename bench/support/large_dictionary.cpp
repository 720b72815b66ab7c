// The large dictionary of the editor benchmarks.
#include "support/large_dictionary.h"

#include <cstdlib>
#include <cstring>

#include "config/text_helpers.h"
#include "dictionary/common.h"
#include "platform/database.h"

namespace kst::bench {

namespace {

const char* const kWords[] = {"Open",   "save",  "Close",  "Print", "delete",  "Edit",   "view",  "Insert",
                              "Format", "tools", "Window", "help",  "File",    "cannot", "Error", "warning",
                              "Select", "all",   "Find",   "next",  "Replace", "Copy",   "paste", "Undo"};
constexpr long long kWordCount = sizeof kWords / sizeof kWords[0];

}  // namespace

long long DictionaryRowsOption(int& argc, char** argv) {
  long long rows = kDefaultDictionaryRows;
  if (const char* env = std::getenv("KST_BENCH_DICTIONARY_ROWS")) rows = std::atoll(env);
  int kept = 1;
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--rows=", 7) == 0)
      rows = std::atoll(argv[i] + 7);
    else
      argv[kept++] = argv[i];
  }
  argc = kept;
  return rows < 1 ? 1 : rows;
}

std::string LargeDictionarySource(long long i) {
  return std::string(kWords[i % kWordCount]) + " " + kWords[(i / kWordCount) % kWordCount] + " " +
         kWords[(i / (kWordCount * kWordCount)) % kWordCount] + " " + std::to_string(i) + (i % 5 == 0 ? "'s" : "");
}

void FillLargeDictionary(TdatCommon& common, long long rows) {
  TDatabase& db = common.Database();
  TUniqueIdGenerator ids;
  TWriteTransaction fill(db);
  TStatement s = db.Prepare("INSERT INTO StrIdx (SourceString, StrID) VALUES (?1, ?2)");
  TStatement t = db.Prepare("INSERT INTO TrnsHist (SourceStrID, LangId, Translation) VALUES (?1, ?2, ?3)");
  for (long long i = 0; i < rows; ++i) {
    std::string id = ids.NewUniqueId();
    s.Bind(1, EncodeQuotedHex(LargeDictionarySource(i))).Bind(2, id).Run();
    t.Bind(1, id)
        .Bind(2, i % 7 == 0 ? 0x0C07 : 0x0407)
        .Bind(3, EncodeQuotedHex("\xDC"
                                 "bersetzung " +
                                 std::to_string(i)))
        .Run();
  }
  fill.Commit();
  db.Exec("PRAGMA wal_checkpoint(TRUNCATE)");
}

}  // namespace kst::bench
