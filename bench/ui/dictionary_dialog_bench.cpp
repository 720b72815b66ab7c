// The dictionary editor's window on a large dictionary (1,000,000
// translations by default; --rows=N or KST_BENCH_DICTIONARY_ROWS=N): opening
// it and showing its first screen, against opening a connection and a plain
// SELECT of the first 200 source rows in the same process (and against the
// same rows shown in a bare table view, which tells how much of the cost is
// the window system's rather than the dictionary's); then every
// keystroke of typed prefixes in its filter box until the list shows its
// first screen again, with percentiles. Offscreen.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLineEdit>
#include <QStandardItemModel>
#include <QTableView>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <random>

#include <time.h>

#include "config/text_helpers.h"
#include "dictionary/common.h"
#include "platform/database_engine.h"
#include "platform/file_utils.h"
#include "support/large_dictionary.h"
#include "ui/dictionary_dialog.h"
#include "ui/dictionary_models.h"
#include "ui/qt_interaction.h"

namespace {

using Clock = std::chrono::steady_clock;

long long gRows = kst::bench::kDefaultDictionaryRows;

// The time this thread ran: on a machine shared with other work, the wall
// clock also counts the time others had the processor.
double ThreadCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

double Seconds(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

double Percentile(std::vector<double> values, double p) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[static_cast<size_t>(p * static_cast<double>(values.size() - 1))];
}

void BM_DictionaryEditorWindow(benchmark::State& state) {
  std::string dir = kst::NewTemporaryFileName("kstdlg");
  std::filesystem::remove(dir);
  kst::ForceDirectories(dir + "/db");
  kst::TRegistryLocation location = kst::TRegistryLocation::InDirectory(dir + "/cfg");
  kst::TDatabaseEngine engine(location);
  engine.SetAliasPath(kst::kDictionaryAlias, dir + "/db");
  kst::ui::TQtInteraction interaction(1252);
  interaction.SetAnswerer([](const QString&, kst::TButtons) { return kst::TAnswer::Cancel; });
  kst::TdatCommon common(engine, interaction);
  const kst::TSystemCodePages system{1252, 850, 10000};

  auto buildStart = Clock::now();
  kst::bench::FillLargeDictionary(common, gRows);
  const double build = Seconds(buildStart);

  std::vector<double> plain, window, plainCpu, windowCpu, plainView, plainViewCpu, keystrokes;
  for (auto _ : state) {
    for (int round = 0; round < 20; ++round) {
      {
        auto start = Clock::now();
        double cpuStart = ThreadCpuSeconds();
        std::unique_ptr<kst::TDatabase> db = common.NewConnection();
        kst::TStatement q =
            db->Prepare("SELECT SourceString, StrID FROM StrIdx ORDER BY SourceString, StrID LIMIT 200");
        std::vector<std::string> texts;
        while (q.Step()) texts.push_back(kst::DecodeQuotedHex(q.Text(0)));
        benchmark::DoNotOptimize(texts);
        plain.push_back(Seconds(start));
        plainCpu.push_back(ThreadCpuSeconds() - cpuStart);
      }
      {
        auto start = Clock::now();
        double cpuStart = ThreadCpuSeconds();
        kst::ui::TfrmEditDictionary dialog(nullptr, nullptr, interaction, common, system);
        dialog.show();
        QApplication::processEvents();
        benchmark::DoNotOptimize(dialog.SourceModel()->rowCount());
        window.push_back(Seconds(start));
        windowCpu.push_back(ThreadCpuSeconds() - cpuStart);
        dialog.reject();
      }
      QApplication::processEvents();
      {
        // The same rows in the plainest window Qt has: a table view over a
        // model that holds them, at the editor's size.
        auto start = Clock::now();
        double cpuStart = ThreadCpuSeconds();
        std::unique_ptr<kst::TDatabase> db = common.NewConnection();
        kst::TStatement q =
            db->Prepare("SELECT SourceString, StrID FROM StrIdx ORDER BY SourceString, StrID LIMIT 200");
        QStandardItemModel model(0, 1);
        while (q.Step())
          model.appendRow(new QStandardItem(QString::fromLatin1(kst::DecodeQuotedHex(q.Text(0)).c_str())));
        QTableView view;
        view.setModel(&model);
        view.resize(627, 423);
        view.show();
        QApplication::processEvents();
        plainView.push_back(Seconds(start));
        plainViewCpu.push_back(ThreadCpuSeconds() - cpuStart);
      }
      QApplication::processEvents();
    }

    // Typing: every keystroke of the first 16 characters of random sources
    // (and of a prefix that selects nothing), each shown before the next.
    kst::ui::TfrmEditDictionary dialog(nullptr, nullptr, interaction, common, system);
    dialog.show();
    QApplication::processEvents();
    std::mt19937_64 random(7);
    for (int word = 0; word < 150; ++word) {
      std::string text =
          word == 0 ? "zzz nothing" : kst::bench::LargeDictionarySource(static_cast<long long>(random() % gRows));
      for (size_t n = 1; n <= std::min<size_t>(16, text.size()); ++n) {
        auto start = Clock::now();
        dialog.Filter()->setText(QString::fromLatin1(text.substr(0, n).c_str()));
        QApplication::processEvents();
        keystrokes.push_back(Seconds(start) * 1e3);
      }
      dialog.Filter()->clear();
      QApplication::processEvents();
    }
    dialog.reject();
    state.SetIterationTime(Percentile(window, 0.5));
  }
  state.counters["rows"] = static_cast<double>(gRows);
  state.counters["build_s"] = build;
  state.counters["plain_open_select_us"] = Percentile(plain, 0.5) * 1e6;
  state.counters["window_first_screen_us"] = Percentile(window, 0.5) * 1e6;
  state.counters["window_vs_plain_select"] = Percentile(window, 0.5) / Percentile(plain, 0.5);
  state.counters["plain_open_select_cpu_us"] = Percentile(plainCpu, 0.5) * 1e6;
  state.counters["window_first_screen_cpu_us"] = Percentile(windowCpu, 0.5) * 1e6;
  state.counters["window_vs_plain_select_cpu"] = Percentile(windowCpu, 0.5) / Percentile(plainCpu, 0.5);
  state.counters["plain_view_us"] = Percentile(plainView, 0.5) * 1e6;
  state.counters["window_vs_plain_view_cpu"] = Percentile(windowCpu, 0.5) / Percentile(plainViewCpu, 0.5);
  state.counters["keystrokes"] = static_cast<double>(keystrokes.size());
  state.counters["filter_p50_ms"] = Percentile(keystrokes, 0.50);
  state.counters["filter_p90_ms"] = Percentile(keystrokes, 0.90);
  state.counters["filter_p99_ms"] = Percentile(keystrokes, 0.99);
  state.counters["filter_max_ms"] = Percentile(keystrokes, 1.0);
  std::filesystem::remove_all(dir);
}

BENCHMARK(BM_DictionaryEditorWindow)->Iterations(1)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  gRows = kst::bench::DictionaryRowsOption(argc, argv);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
