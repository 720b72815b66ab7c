// The dictionary editor on a large dictionary (1,000,000 translations by
// default; --rows=N or KST_BENCH_DICTIONARY_ROWS=N for a quick run): opening
// the editor and fetching the first 200 source rows, against opening a
// connection and a plain SELECT of the first 200 rows in the same process;
// then the first screen after each keystroke of typed prefixes, with
// percentiles.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <random>

#include "config/interaction.h"
#include "support/silent_interaction.h"
#include "config/text_helpers.h"
#include "dictionary/common.h"
#include "dictionary/dictionary_editor.h"
#include "platform/database_engine.h"
#include "platform/file_utils.h"
#include "support/large_dictionary.h"

namespace kst {
namespace {

using Clock = std::chrono::steady_clock;

long long gRows = 1000000;

double Seconds(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

double Percentile(std::vector<double> values, double p) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[static_cast<size_t>(p * static_cast<double>(values.size() - 1))];
}

double Median(std::vector<double> values) { return Percentile(std::move(values), 0.5); }

void BM_EditorOnALargeDictionary(benchmark::State& state) {
  std::string dir = NewTemporaryFileName("kstedit");
  std::filesystem::remove(dir);
  ForceDirectories(dir + "/db");
  TRegistryLocation location = TRegistryLocation::InDirectory(dir + "/cfg");
  TDatabaseEngine engine(location);
  engine.SetAliasPath(kDictionaryAlias, dir + "/db");
  bench::TSilentInteraction interaction;
  TdatCommon common(engine, interaction);

  auto buildStart = Clock::now();
  bench::FillLargeDictionary(common, gRows);
  const double build = Seconds(buildStart);

  std::vector<double> plain, plainOpen, editor;
  std::vector<double> keystrokes;
  for (auto _ : state) {
    for (int round = 0; round < 30; ++round) {
      {
        auto start = Clock::now();
        std::unique_ptr<TDatabase> db = common.NewConnection();
        auto afterOpen = Clock::now();
        TStatement q = db->Prepare("SELECT SourceString, StrID FROM StrIdx ORDER BY SourceString, StrID LIMIT 200");
        std::vector<std::string> texts;
        while (q.Step()) texts.push_back(DecodeQuotedHex(q.Text(0)));
        benchmark::DoNotOptimize(texts);
        plainOpen.push_back(Seconds(start));
        plain.push_back(std::chrono::duration<double>(Clock::now() - afterOpen).count());
      }
      {
        auto start = Clock::now();
        TDictionaryEditSession session(common);
        session.FetchMore();
        size_t chars = 0;
        for (size_t i = 0; i < session.LoadedCount(); ++i) chars += session.Row(i).text.size();
        benchmark::DoNotOptimize(chars);
        benchmark::DoNotOptimize(session.Tabs());
        editor.push_back(Seconds(start));
      }
    }

    // Typing: every keystroke of the first 16 characters of random sources
    // (and of a prefix that selects nothing) refills the first screen.
    TDictionaryEditSession session(common);
    std::mt19937_64 random(7);
    for (int word = 0; word < 150; ++word) {
      std::string text = word == 0 ? "zzz nothing" : bench::LargeDictionarySource(static_cast<long long>(random() % gRows));
      for (size_t n = 1; n <= std::min<size_t>(16, text.size()); ++n) {
        auto start = Clock::now();
        session.SetFilter(text.substr(0, n));
        session.FetchMore();
        benchmark::DoNotOptimize(session.LoadedCount());
        keystrokes.push_back(Seconds(start) * 1e3);
      }
    }
    auto countStart = Clock::now();
    session.SetFilter("");
    benchmark::DoNotOptimize(session.CountRows());
    state.counters["count_all_ms"] = Seconds(countStart) * 1e3;
    state.SetIterationTime(Median(editor));
  }
  state.counters["rows"] = static_cast<double>(gRows);
  state.counters["build_s"] = build;
  state.counters["plain_open_select_us"] = Median(plainOpen) * 1e6;
  state.counters["plain_select_us"] = Median(plain) * 1e6;
  state.counters["editor_first_screen_us"] = Median(editor) * 1e6;
  state.counters["first_screen_vs_open_select"] = Median(editor) / Median(plainOpen);
  state.counters["first_screen_vs_select"] = Median(editor) / Median(plain);
  state.counters["keystrokes"] = static_cast<double>(keystrokes.size());
  state.counters["filter_p50_ms"] = Percentile(keystrokes, 0.50);
  state.counters["filter_p90_ms"] = Percentile(keystrokes, 0.90);
  state.counters["filter_p99_ms"] = Percentile(keystrokes, 0.99);
  state.counters["filter_max_ms"] = Percentile(keystrokes, 1.0);
  std::filesystem::remove_all(dir);
}

BENCHMARK(BM_EditorOnALargeDictionary)->Iterations(1)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace kst

// The dictionary size comes from --rows=N (taken out before the benchmark
// library sees the arguments) or KST_BENCH_DICTIONARY_ROWS.
int main(int argc, char** argv) {
  kst::gRows = kst::bench::DictionaryRowsOption(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
