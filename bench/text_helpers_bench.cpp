// Throughput of the text codecs that run over every text of a project, next
// to a plain copy of the same bytes as the in-process baseline: compare the
// bytes_per_second figures as ratios, not as absolute numbers.
#include <benchmark/benchmark.h>

#include <random>
#include <string>

#include "config/text_helpers.h"

namespace {

std::string SampleText(size_t size) {
  // Mostly printable text with some quotes, control characters and high bytes,
  // as translated captions and hints are.
  std::mt19937 rng(7);
  std::string text;
  text.reserve(size);
  while (text.size() < size) {
    unsigned r = rng() % 100;
    if (r < 2) text += '\r', text += '\n';
    else if (r < 4) text += '"';
    else if (r < 6) text += '\'';
    else if (r < 10) text += static_cast<char>(0xC0 + rng() % 64);
    else text += static_cast<char>('a' + rng() % 26);
  }
  return text;
}

const std::string& Text() {
  static const std::string text = SampleText(1 << 20);
  return text;
}

void BM_Baseline_Copy(benchmark::State& state) {
  for (auto _ : state) {
    std::string copy = Text();
    benchmark::DoNotOptimize(copy);
  }
  state.SetBytesProcessed(state.iterations() * Text().size());
}

void BM_EncodeEscapes(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(kst::EncodeEscapes(Text()));
  state.SetBytesProcessed(state.iterations() * Text().size());
}

void BM_DecodeEscapes(benchmark::State& state) {
  std::string encoded = kst::EncodeEscapes(Text());
  for (auto _ : state) benchmark::DoNotOptimize(kst::DecodeEscapes(encoded));
  state.SetBytesProcessed(state.iterations() * encoded.size());
}

void BM_EncodeQuotedHex(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(kst::EncodeQuotedHex(Text()));
  state.SetBytesProcessed(state.iterations() * Text().size());
}

void BM_DecodeQuotedHex(benchmark::State& state) {
  std::string encoded = kst::EncodeQuotedHex(Text());
  for (auto _ : state) benchmark::DoNotOptimize(kst::DecodeQuotedHex(encoded));
  state.SetBytesProcessed(state.iterations() * encoded.size());
}

void BM_FindTextWholeWordMiss(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(kst::FindText("zzzzq", Text(), 1, true, false));
  state.SetBytesProcessed(state.iterations() * Text().size());
}

BENCHMARK(BM_Baseline_Copy);
BENCHMARK(BM_EncodeEscapes);
BENCHMARK(BM_DecodeEscapes);
BENCHMARK(BM_EncodeQuotedHex);
BENCHMARK(BM_DecodeQuotedHex);
BENCHMARK(BM_FindTextWholeWordMiss);

}  // namespace
