// The window over a large project (500 forms, 20,000 resource strings):
// opening it through the main window against the core's own open, and the
// heap the window holds beyond the core's model. Both as ratios measured in
// the same process (offscreen).
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <QApplication>

#include "config/interaction.h"
#include "config/registry_settings.h"
#include "project/project_data.h"
#include "session/translation_session.h"
#include "session/translator_environment.h"
#include "support/big_project.h"
#include "ui/main_window.h"
#include "ui/qt_interaction.h"

namespace {

size_t Heap() { return mallinfo2().uordblks; }

double coreHeap = 0;

void BM_CoreOpen(benchmark::State& state) {
  const kst::bench::TGenerated& g = kst::bench::BigProject("kst-bench-ui");
  kst::TRegistryLocation location = kst::TRegistryLocation::InDirectory(g.dir + "/cfg");
  kst::TRecordingInteraction quiet;
  for (auto _ : state) {
    size_t before = Heap();
    kst::TTranslatorEnvironment environment(location, quiet);
    environment.Session().OpenProject(g.project);
    coreHeap = static_cast<double>(Heap() - before);
    if (environment.Project().Modules.size() != kst::bench::kForms) state.SkipWithError("incomplete open");
  }
}

void BM_WindowOpen(benchmark::State& state) {
  const kst::bench::TGenerated& g = kst::bench::BigProject("kst-bench-ui");
  kst::TRegistryLocation location = kst::TRegistryLocation::InDirectory(g.dir + "/cfg");
  double heap = 0;
  for (auto _ : state) {
    size_t before = Heap();
    kst::ui::TQtInteraction interaction(1252);
    interaction.SetAnswerer([](const QString&, kst::TButtons) { return kst::TAnswer::No; });
    kst::TTranslatorEnvironment environment(location, interaction);
    kst::ui::TfrmLexibox window(environment, interaction);
    window.OpenProject(QString::fromStdString(g.project));
    QApplication::processEvents();
    heap = static_cast<double>(Heap() - before);
    if (environment.Project().Modules.size() != kst::bench::kForms) state.SkipWithError("incomplete open");
  }
  if (coreHeap > 0) state.counters["heap_ratio_to_core"] = heap / coreHeap;
}

BENCHMARK(BM_CoreOpen)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_WindowOpen)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
