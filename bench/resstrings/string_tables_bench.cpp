// Writing the string-table resource of 65,535 strings, against copying a
// buffer of the same size as the in-process baseline; compare the MB/s
// figures as a ratio.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "config/interaction.h"
#include "platform/codepage.h"
#include "platform/file_utils.h"
#include "resstrings/resource_strings.h"
#include "resstrings/string_tables.h"

namespace {

const kst::TResourceStringsHelper& Strings() {
  static const kst::TResourceStringsHelper set = [] {
    kst::TResourceStringsHelper s;
    for (int id = 1; id <= 65535; ++id) {
      kst::TResourceStrListItem& item = s.Add(id, "Unit_S" + std::to_string(id));
      item.OriginalValue = "Resource string number " + std::to_string(id) + " \xC4nderung\\r\\n\\x09tab";
      item.TranslatedValue = item.OriginalValue;
    }
    return s;
  }();
  return set;
}

size_t OutputSize() {
  static const size_t size = kst::StringTableResource(Strings(), 1252).size();
  return size;
}

void BM_Baseline_CopyOutputSizedBuffer(benchmark::State& state) {
  std::string source(OutputSize(), 'x');
  for (auto _ : state) {
    std::string copy = source;
    benchmark::DoNotOptimize(copy.data());
  }
  state.SetBytesProcessed(state.iterations() * OutputSize());
}

void BM_StringTableResource65535(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(kst::StringTableResource(Strings(), 1252));
  state.SetBytesProcessed(state.iterations() * OutputSize());
  state.counters["strings"] = 65535;
}

// The whole write, file and flush to disk included (the disk dominates).
void BM_WriteStringTableResource65535ToFile(benchmark::State& state) {
  std::string file = kst::NewTemporaryFileName("KSTBENCH");
  kst::TRecordingInteraction hint;
  for (auto _ : state) kst::WriteStringTableResource(Strings(), file, 0x0407, kst::TSystemCodePages(), hint);
  std::remove(file.c_str());
  state.SetBytesProcessed(state.iterations() * OutputSize());
}

BENCHMARK(BM_Baseline_CopyOutputSizedBuffer)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StringTableResource65535)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteStringTableResource65535ToFile)->Unit(benchmark::kMillisecond);

}  // namespace
