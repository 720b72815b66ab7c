// Opening a module with a large resource section (1,280 string blocks holding
// 20,480 strings, plus 2,000 other resources) and walking the whole tree with
// every GetString, against copying the module's bytes as the in-process
// baseline. Counters: time per resource, heap bytes per resource, converted
// string bytes per resource, and resource bytes copied (must stay 0).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <new>
#include <string>

#include "support/pe_builder.h"
#include "peresources/exe_file.h"

namespace {

size_t g_allocated = 0;

}  // namespace

// Every heap allocation of the process is counted, to see what a walk costs
// beyond the bytes of the mapped module.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
void* operator new(size_t size) {
  g_allocated += size;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](size_t size) { return operator new(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }

namespace {

const kst::test::TBuiltPe& LargeModule() {
  static const kst::test::TBuiltPe pe = [] {
    std::vector<kst::test::TLeafInput> leaves;
    for (uint32_t block = 1; block <= 1280; ++block) {
      std::vector<std::pair<int, std::u16string>> slots;
      for (int s = 0; s < 16; ++s)
        slots.push_back({s, u"Resource string " + std::u16string(1, u'A' + s) + u" of block " + std::u16string(1, u'0' + block % 10)});
      leaves.push_back({6, block, 0x0409, kst::test::StringBlock(slots)});
    }
    for (uint32_t i = 0; i < 2000; ++i)
      leaves.push_back({10, 100 + i, 0x0409, std::string(200 + i % 300, static_cast<char>(i))});
    return kst::test::BuildPe(leaves);
  }();
  return pe;
}

std::span<const uint8_t> Image() {
  const std::string& s = LargeModule().image;
  return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

void BM_Baseline_CopyModuleBytes(benchmark::State& state) {
  for (auto _ : state) {
    std::string copy(reinterpret_cast<const char*>(Image().data()), Image().size());
    benchmark::DoNotOptimize(copy.data());
  }
  state.SetBytesProcessed(state.iterations() * Image().size());
}

void BM_OpenAndWalkWithGetString(benchmark::State& state) {
  size_t resources = 0, converted = 0, copiedData = 0, allocated = 0;
  for (auto _ : state) {
    size_t before = g_allocated;
    kst::TExefile module(Image(), 1252);
    resources = converted = copiedData = 0;
    const uint8_t* viewBegin = module.View().data();
    const uint8_t* viewEnd = viewBegin + module.View().size();
    std::function<void(const kst::TPEResourceDirectory&)> walk = [&](const kst::TPEResourceDirectory& dir) {
      for (int i = 0; i < dir.SubdirectoryCount(); ++i) walk(dir.Subdirectory(i));
      for (int i = 0; i < dir.DataEntryCount(); ++i) {
        const kst::TPEResourceDataEntry& leaf = dir.DataEntry(i);
        ++resources;
        if (leaf.Size() && (leaf.Data().data() < viewBegin || leaf.Data().data() + leaf.Size() > viewEnd))
          copiedData += leaf.Size();
        benchmark::DoNotOptimize(leaf.Name().size() + leaf.TypeName().size());
        if (auto* block = dynamic_cast<const kst::TPEStringResourceDataEntry*>(&leaf))
          for (int s = 0; s < 16; ++s) converted += block->GetString(s).text.size();
      }
    };
    walk(module.ResourceSection().Root());
    allocated = g_allocated - before;
  }
  state.SetItemsProcessed(state.iterations() * resources);
  state.counters["resources"] = static_cast<double>(resources);
  state.counters["ns_per_resource"] = benchmark::Counter(
      static_cast<double>(state.iterations() * resources), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  state.counters["heap_bytes_per_resource"] = static_cast<double>(allocated) / resources;
  state.counters["converted_string_bytes_per_resource"] = static_cast<double>(converted) / resources;
  state.counters["resource_bytes_copied"] = static_cast<double>(copiedData);
  state.SetBytesProcessed(state.iterations() * Image().size());
}

BENCHMARK(BM_Baseline_CopyModuleBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenAndWalkWithGetString)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
