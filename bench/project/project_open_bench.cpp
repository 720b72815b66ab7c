// Opening a large generated project: 500 forms of about 200 components each
// and 20,000 resource strings. Reports the open time next to a baseline that
// only reads the same files, and the heap the open model takes as a ratio to
// the forms' size on disk; and opening the same project with text forms as a
// ratio to the binary ones.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <chrono>
#include <string>

#include "config/interaction.h"
#include "config/registry_settings.h"
#include "platform/file_utils.h"
#include "project/project_data.h"
#include "support/big_project.h"

namespace {

void BM_Baseline_ReadFiles(benchmark::State& state) {
  const kst::bench::TGenerated& g = kst::bench::BigProject();
  for (auto _ : state) {
    size_t total = 0;
    for (const std::string& f : g.files) total += kst::ReadFileBytes(f).size();
    benchmark::DoNotOptimize(total);
  }
}

void BM_OpenProject(benchmark::State& state) {
  const kst::bench::TGenerated& g = kst::bench::BigProject();
  kst::TRegistryLocation location = kst::TRegistryLocation::InDirectory(g.dir + "/cfg");
  kst::TTranslatorRegistry registry(location);
  kst::TRecordingInteraction ui;
  double heapRatio = 0;
  for (auto _ : state) {
    size_t before = mallinfo2().uordblks;
    kst::TProjectData project(registry, ui);
    project.Open(g.project);
    size_t after = mallinfo2().uordblks;
    heapRatio = static_cast<double>(after - before) / static_cast<double>(g.formBytes);
    if (project.Modules.size() != kst::bench::kForms || project.ResourceStrings.Count() != kst::bench::kStrings)
      state.SkipWithError("the project did not open completely");
  }
  state.counters["heap_per_form_byte"] = heapRatio;
  state.counters["form_MB"] = static_cast<double>(g.formBytes) / 1e6;
}

double OpenSeconds(const kst::bench::TGenerated& g, kst::TTranslatorRegistry& registry) {
  kst::TRecordingInteraction ui;
  kst::TProjectData project(registry, ui);
  auto start = std::chrono::steady_clock::now();
  project.Open(g.project);
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The same project with its forms as text: each is converted to the
// component stream and back on the way in. Reported as a ratio to opening
// the binary forms, measured in turn with it so that a busy machine slows
// both alike.
void BM_OpenProjectWithTextForms(benchmark::State& state) {
  const kst::bench::TGenerated& binary = kst::bench::BigProject();
  const kst::bench::TGenerated& text = kst::bench::BigProject("kst-bench-text-project", true);
  kst::TRegistryLocation location = kst::TRegistryLocation::InDirectory(text.dir + "/cfg");
  kst::TTranslatorRegistry registry(location);
  double textTotal = 0, binaryTotal = 0;
  for (auto _ : state) {
    textTotal += OpenSeconds(text, registry);
    state.PauseTiming();
    binaryTotal += OpenSeconds(binary, registry);
    state.ResumeTiming();
  }
  state.counters["vs_binary_forms"] = textTotal / binaryTotal;
}

BENCHMARK(BM_Baseline_ReadFiles)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenProject)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenProjectWithTextForms)->Unit(benchmark::kMillisecond);

}  // namespace
