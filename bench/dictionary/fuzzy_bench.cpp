// Fuzzy matches on a large dictionary (1,000,000 source texts with one
// translation each by default; --rows=N or KST_BENCH_DICTIONARY_ROWS=N for a
// quick run): look-ups of changed texts (top 5, minimum 70) with
// percentiles, and 100,000 translations added as a save adds them, with the
// trigram index and without it, on copies of the same dictionary in the
// same process.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <random>
#include <unordered_set>

#include "config/text_helpers.h"
#include "dictionary/common.h"
#include "dictionary/fuzzy_index.h"
#include "dictionary/translation_history.h"
#include "platform/database_engine.h"
#include "platform/file_utils.h"
#include "support/large_dictionary.h"
#include "support/silent_interaction.h"

namespace kst {
namespace {

using Clock = std::chrono::steady_clock;

long long gRows = bench::kDefaultDictionaryRows;
constexpr int kGermany = 0x0407, kAustria = 0x0C07;

double Seconds(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

double Percentile(std::vector<double> values, double p) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[static_cast<size_t>(p * static_cast<double>(values.size() - 1))];
}

// Texts as user interfaces have them: commands, questions, messages with
// file names and numbers, accelerators and ellipses, from a vocabulary of a
// few hundred words.
class TUiTexts {
public:
  explicit TUiTexts(uint64_t seed) : random_(seed) {}

  std::string Next() {
    switch (Pick(12)) {
      case 0: return "&" + Cap(W(kVerbs)) + " " + W(kNouns) + "...";
      case 1: return Cap(W(kVerbs)) + " the " + W(kAdjectives) + " " + W(kNouns);
      case 2: return "Do you want to " + W(kVerbs) + " the " + W(kNouns) + " \"%s\"?";
      case 3: return "Cannot " + W(kVerbs) + " " + W(kNouns) + " " + std::to_string(Pick(5000)) + ".";
      case 4: return Cap(W(kNouns)) + " " + std::to_string(Pick(200)) + " of " + std::to_string(Pick(1000));
      case 5: return Cap(W(kAdjectives)) + " " + W(kNouns) + " " + W(kNouns) + "s";
      case 6:
        return "The " + W(kNouns) + " could not be " + W(kPast) + " because the " + W(kNouns) + " is " +
               W(kAdjectives) + ".";
      case 7: return Cap(W(kVerbs)) + " all " + W(kAdjectives) + " " + W(kNouns) + "s in the " + W(kNouns);
      case 8: return Cap(W(kNouns)) + " " + W(kPast) + " at " + std::to_string(Pick(24)) + ":" + std::to_string(10 + Pick(50));
      case 9: return Cap(W(kAdjectives)) + " " + W(kNouns) + " settings";
      case 10: return "Please " + W(kVerbs) + " a " + W(kNouns) + " before you " + W(kVerbs) + " the " + W(kNouns) + ".";
      default: return Cap(W(kNouns)) + ":";
    }
  }

  // A text changed as a new version of a program changes it: one word
  // replaced, a number changed, a word dropped, or the case changed.
  std::string Change(std::string text) {
    std::vector<size_t> blanks;
    for (size_t i = 0; i < text.size(); ++i)
      if (text[i] == ' ') blanks.push_back(i);
    switch (Pick(4)) {
      case 0: {
        size_t digit = text.find_first_of("0123456789");
        if (digit != std::string::npos) {
          text[digit] = static_cast<char>('0' + (text[digit] - '0' + 1) % 10);
          return text;
        }
        [[fallthrough]];
      }
      case 1:
        if (!blanks.empty()) {
          size_t at = blanks[Pick(blanks.size())] + 1;
          size_t end = text.find(' ', at);
          return text.substr(0, at) + W(kNouns) + (end == std::string::npos ? "" : text.substr(end));
        }
        [[fallthrough]];
      case 2:
        if (blanks.size() > 1) {
          size_t at = blanks[Pick(blanks.size())];
          size_t end = text.find(' ', at + 1);
          if (end != std::string::npos) return text.substr(0, at) + text.substr(end);
        }
        [[fallthrough]];
      default:
        for (char& c : text)
          if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        return text;
    }
  }

  size_t Pick(size_t n) { return static_cast<size_t>(random_() % n); }

private:
  static constexpr const char* kVerbs[] = {
      "open",   "save",    "close",   "print",  "delete", "edit",    "view",    "insert",  "format",  "find",
      "replace", "copy",   "paste",   "undo",   "redo",   "select",  "import",  "export",  "compile", "run",
      "load",   "store",   "rename",  "move",   "send",   "receive", "connect", "update",  "check",   "sort",
      "filter", "merge",   "split",   "create", "remove", "show",    "hide",    "lock",    "unlock",  "refresh",
      "apply",  "restore", "download", "upload", "install", "register", "translate", "compare", "archive", "attach"};
  static constexpr const char* kPast[] = {"opened",   "saved",    "closed",   "printed",  "deleted",  "edited",
                                          "imported", "exported", "compiled", "loaded",   "stored",   "renamed",
                                          "moved",    "sent",     "received", "connected", "updated", "checked",
                                          "sorted",   "created",  "removed",  "locked",   "restored", "translated"};
  static constexpr const char* kNouns[] = {
      "file",     "document", "window",    "project",  "form",      "record",   "table",     "field",
      "report",   "page",     "printer",   "font",     "colour",    "language", "dictionary", "translation",
      "module",   "library",  "resource",  "string",   "caption",   "hint",     "menu",      "toolbar",
      "button",   "list",     "item",      "column",   "row",       "cell",     "sheet",     "chart",
      "picture",  "image",    "icon",      "folder",   "directory", "drive",    "disk",      "network",
      "server",   "client",   "account",   "password", "user",      "group",    "member",    "customer",
      "invoice",  "order",    "payment",   "address",  "message",   "mail",     "attachment", "contact",
      "calendar", "date",     "time",      "schedule", "task",      "note",     "comment",   "version",
      "update",   "backup",   "archive",   "connection", "database", "query",   "index",     "key",
      "value",    "setting",  "option",    "profile",  "template",  "style",    "theme",     "layout",
      "selection", "clipboard", "search",  "result",   "error",     "warning",  "question",  "answer",
      "license",  "product",  "category",  "chapter",  "paragraph", "line",     "word",      "character"};
  static constexpr const char* kAdjectives[] = {
      "current", "selected", "new",      "old",     "default", "empty",   "hidden",  "visible", "locked",
      "shared",  "local",    "remote",   "invalid", "missing", "previous", "next",   "first",   "last",
      "recent",  "original", "translated", "active", "inactive", "temporary", "read-only", "modified",
      "unsaved", "complete", "partial",  "large",   "small",   "secure",  "public",  "private", "custom"};

  template <size_t N>
  std::string W(const char* const (&words)[N]) {
    return words[Pick(N)];
  }
  static std::string Cap(std::string word) {
    if (!word.empty() && word[0] >= 'a' && word[0] <= 'z') word[0] = static_cast<char>(word[0] - 'a' + 'A');
    return word;
  }

  std::mt19937_64 random_;
};

std::string Translation(const std::string& source) { return "\xDC" "bersetzt: " + source; }

// The source texts of the dictionary, distinct, made once.
std::vector<std::string> Sources(long long rows) {
  TUiTexts texts(1);
  std::vector<std::string> out;
  std::unordered_set<std::string> seen;
  out.reserve(static_cast<size_t>(rows));
  while (static_cast<long long>(out.size()) < rows) {
    std::string text = texts.Next();
    if (seen.insert(text).second) out.push_back(std::move(text));
  }
  return out;
}

struct TPlace {
  std::string root;
  TRegistryLocation location;
  explicit TPlace(const std::string& dir) : root(dir), location(TRegistryLocation::InDirectory(dir + "/cfg")) {}
  TDatabaseEngine Engine(const std::string& name) const {
    ForceDirectories(root + "/" + name);
    TDatabaseEngine engine(location);
    engine.SetAliasPath(kDictionaryAlias, root + "/" + name);
    return engine;
  }
  std::string File(const std::string& name) const { return root + "/" + name + "/" + kDatabaseFileName; }
};

// 100,000 translations added as a save adds them (one transaction), into a
// copy of the filled dictionary, and then put into the index; with `index`
// false, the index, its mark and triggers are dropped first.
double AddTranslations(const TPlace& place, const std::string& name, bool index, long long adds) {
  std::filesystem::remove_all(place.root + "/" + name);
  TDatabaseEngine engine = place.Engine(name);
  std::filesystem::copy_file(place.File("filled"), place.File(name));
  bench::TSilentInteraction interaction;
  TdatCommon common(engine, interaction);
  if (!index)
    common.Database().Exec(
        "DROP TRIGGER StrIdxFuzzyDelete; DROP TRIGGER StrIdxFuzzyUpdate; DROP TABLE StrIdxFuzzy; "
        "DROP TABLE StrIdxFuzzyMark");
  TdatTranslationHistory history(common);
  TUiTexts texts(7);
  std::vector<std::string> sources;
  for (long long i = 0; i < adds; ++i) sources.push_back(texts.Next() + " (" + std::to_string(i) + ")");
  auto start = Clock::now();
  TWriteTransaction save(common.Database());
  for (const std::string& source : sources) history.AddTranslation(source, Translation(source), kGermany);
  save.Commit();
  // The queued texts go into the index as the next search would put them.
  if (index) UpdateFuzzyIndex(common.Database());
  double seconds = Seconds(start);
  std::filesystem::remove_all(place.root + "/" + name);
  return seconds;
}

void BM_FuzzyMatchesOnALargeDictionary(benchmark::State& state) {
  const long long adds = state.range(0), lookups = state.range(1);
  std::string dir = NewTemporaryFileName("kstfuzzy");
  std::filesystem::remove(dir);
  ForceDirectories(dir);
  TPlace place(dir);
  bench::TSilentInteraction interaction;

  const std::vector<std::string> sources = Sources(gRows);
  double fill = 0;
  {
    TDatabaseEngine engine = place.Engine("filled");
    TdatCommon common(engine, interaction);
    TDatabase& db = common.Database();
    TUniqueIdGenerator ids;
    auto start = Clock::now();
    TWriteTransaction transaction(db);
    TStatement s = db.Prepare("INSERT INTO StrIdx (SourceString, StrID) VALUES (?1, ?2)");
    TStatement t = db.Prepare("INSERT INTO TrnsHist (SourceStrID, LangId, Translation) VALUES (?1, ?2, ?3)");
    for (size_t i = 0; i < sources.size(); ++i) {
      std::string id = ids.NewUniqueId();
      s.Bind(1, EncodeQuotedHex(sources[i])).Bind(2, id).Run();
      t.Bind(1, id).Bind(2, i % 7 == 0 ? kAustria : kGermany).Bind(3, EncodeQuotedHex(Translation(sources[i]))).Run();
    }
    transaction.Commit();
    UpdateFuzzyIndex(db);
    db.Exec("PRAGMA wal_checkpoint(TRUNCATE)");
    fill = Seconds(start);
  }

  std::vector<double> lookupMs;
  double found = 0, scored = 0, phases[5] = {};
  double withIndex = 0, withoutIndex = 0;
  for (auto _ : state) {
    {
      TDatabaseEngine engine = place.Engine("filled");
      TdatCommon common(engine, interaction);
      TUiTexts texts(3);
      for (long long k = 0; k < lookups; ++k) {
        // Most look-ups are changed texts of the dictionary, some are new.
        std::string query = k % 4 == 3 ? texts.Next() : texts.Change(sources[texts.Pick(sources.size())]);
        TFuzzySearchStats stats;
        auto start = Clock::now();
        std::vector<TFuzzyTranslation> matches =
            TFuzzyIndex(common.Database(), nullptr).Find(query, kGermany, 70, 5, &stats);
        lookupMs.push_back(Seconds(start) * 1000);
        found += matches.empty() ? 0 : 1;
        scored += stats.rowsScored;
        phases[0] += stats.probeMs, phases[1] += stats.rareMs, phases[2] += stats.commonMs, phases[3] += stats.scoreMs,
            phases[4] += stats.translationsMs;
        benchmark::DoNotOptimize(matches);
      }
    }
    // Twice each, alternating, the faster of each pair: the machines these
    // run on are shared.
    withoutIndex = withIndex = 1e9;
    for (int round = 0; round < 2; ++round) {
      withoutIndex = std::min(withoutIndex, AddTranslations(place, "without", false, adds));
      withIndex = std::min(withIndex, AddTranslations(place, "with", true, adds));
    }
    state.SetIterationTime(withIndex);
  }
  state.counters["rows"] = static_cast<double>(gRows);
  state.counters["fill_s"] = fill;
  state.counters["fuzzy_p50_ms"] = Percentile(lookupMs, 0.50);
  state.counters["fuzzy_p99_ms"] = Percentile(lookupMs, 0.99);
  state.counters["fuzzy_max_ms"] = Percentile(lookupMs, 1.0);
  state.counters["fuzzy_found_share"] = lookupMs.empty() ? 0 : found / static_cast<double>(lookupMs.size());
  state.counters["fuzzy_rows_scored_mean"] = lookupMs.empty() ? 0 : scored / static_cast<double>(lookupMs.size());
  const char* names[] = {"ms_probe", "ms_rare", "ms_common", "ms_score", "ms_translations"};
  for (int i = 0; i < 5; ++i) state.counters[names[i]] = lookupMs.empty() ? 0 : phases[i] / static_cast<double>(lookupMs.size());
  state.counters["add_without_index_s"] = withoutIndex;
  state.counters["add_with_index_s"] = withIndex;
  state.counters["add_with_vs_without"] = withIndex / withoutIndex;
  std::filesystem::remove_all(dir);
}

BENCHMARK(BM_FuzzyMatchesOnALargeDictionary)
    ->Args({100000, 2000})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

}  // namespace
}  // namespace kst

int main(int argc, char** argv) {
  kst::gRows = kst::bench::DictionaryRowsOption(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
