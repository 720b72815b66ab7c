// Speed of the form conversions, in memory, on a generated form of over 2 MB
// of component stream, and the memory the tree takes per stream byte.
// "bench_formmodel --write-form FILE" writes that form for other tools.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "formmodel/form_conversion.h"
#include "formmodel/form_reader.h"
#include "formmodel/form_writer.h"
#include "platform/file_utils.h"

// Live heap bytes, to weigh the tree. GCC takes the replaced global
// operators' malloc/free pairing for a mismatch.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
static std::atomic<long long> g_live{0};
void* operator new(size_t size) {
  void* p = std::malloc(size ? size : 1);
  if (!p) throw std::bad_alloc();
  g_live += static_cast<long long>(malloc_usable_size(p));
  return p;
}
void operator delete(void* p) noexcept {
  if (!p) return;
  g_live -= static_cast<long long>(malloc_usable_size(p));
  std::free(p);
}
void operator delete(void* p, size_t) noexcept { operator delete(p); }

namespace {

// A small linear congruential generator: the same data on every run, so
// figures from different runs compare.
struct TRandom {
  unsigned state;
  unsigned Next() {
    state = state * 1103515245u + 12345u;
    return state >> 16;
  }
};

std::string HexText(unsigned seed, size_t bytes) {
  static const char kHex[] = "0123456789ABCDEF";
  TRandom random{seed};
  std::string out;
  for (size_t i = 0; i < bytes; ++i) {
    if (i % 32 == 0) out += "\r\n        ";
    unsigned r = random.Next();
    out += kHex[r & 15];
    out += kHex[(r >> 4) & 15];
  }
  return out;
}

std::string WordsText(unsigned seed, size_t length) {
  static const char* const kWords[] = {"Kunde", "order", "Caf\xE9", "it's", "total", "na\xEFve", "Datei", "value"};
  TRandom random{seed};
  std::string out;
  while (out.size() < length) {
    unsigned r = random.Next();
    out += kWords[r % 8];
    out += (r >> 4) % 11 == 0 ? "\r\n" : " ";
  }
  out.resize(length);
  return out;
}

std::string Quoted(const std::string& s) {
  std::string out = "'";
  for (char c : s) {
    if (c == '\'') out += "''";
    else if (static_cast<unsigned char>(c) < 32) out += "'#" + std::to_string(static_cast<unsigned char>(c)) + "'";
    else out += c;
  }
  return out + "'";
}

// Form text of a large form; its stream is a little over 2 MB.
std::string GenerateFormText() {
  std::string t = "object BigForm: TBigForm\r\n  Caption = 'A large generated form'\r\n  Scale = 1.5\r\n";
  for (int panel = 0; panel < 110; ++panel) {
    t += "  object Panel" + std::to_string(panel) + ": TPanel\r\n";
    t += "    Left = " + std::to_string(panel * 8) + "\r\n    Anchors = [akLeft, akTop, akRight]\r\n";
    t += "    Hint = " + Quoted(WordsText(panel, 300 + panel * 10)) + "\r\n";
    for (int c = 0; c < 8; ++c) {
      unsigned seed = static_cast<unsigned>(panel * 100 + c);
      std::string name = "Ctl" + std::to_string(panel) + "_" + std::to_string(c);
      t += "    object " + name + ": TSpeedButton\r\n";
      t += "      Caption = " + Quoted(WordsText(seed, 20 + c * 3)) + "\r\n";
      t += "      Width = " + std::to_string(40000 + c) + "\r\n      Flat = True\r\n      Font.Name = 'Arial'\r\n";
      t += "      Glyph.Data = {" + HexText(seed, 1500 + c * 100) + "}\r\n";
      t += "    end\r\n";
    }
    t += "    object Memo" + std::to_string(panel) + ": TMemo\r\n      Lines.Strings = (\r\n";
    for (int l = 0; l < 40; ++l) t += "        " + Quoted(WordsText(panel * 50 + l, 60 + l)) + "\r\n";
    t += "        'end')\r\n    end\r\n";
    t += "    object Grid" + std::to_string(panel) + ": TDBGrid\r\n      Columns = <\r\n";
    for (int col = 0; col < 12; ++col) {
      t += "        item\r\n          FieldName = 'FIELD" + std::to_string(col) + "'\r\n";
      t += "          Title.Caption = " + Quoted(WordsText(col * 7 + panel, 30)) + "\r\n";
      t += "          Width = " + std::to_string(64 + col) + "\r\n        end\r\n";
    }
    t += "      >\r\n    end\r\n  end\r\n";
  }
  return t + "end\r\n";
}

struct TBenchForm {
  std::string text = GenerateFormText();
  std::string resource = kst::TextToResource(text);
  size_t streamSize = resource.size() - kst::ResourceStreamOffset(resource);
};

const TBenchForm& Form() {
  static TBenchForm form;
  return form;
}

void Report(benchmark::State& state, size_t bytes) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
  state.counters["stream_bytes"] = static_cast<double>(Form().streamSize);
}

void BM_ResourceToText(benchmark::State& state) {
  const auto& f = Form();
  for (auto _ : state) benchmark::DoNotOptimize(kst::ResourceToText(f.resource));
  Report(state, f.resource.size());
}

void BM_ReadForm(benchmark::State& state) {
  const auto& f = Form();
  for (auto _ : state) benchmark::DoNotOptimize(kst::ReadFormResource(f.resource));
  Report(state, f.resource.size());
  long long before = g_live.load();
  auto root = kst::ReadFormResource(f.resource);
  long long tree = g_live.load() - before;
  state.counters["tree_bytes_per_stream_byte"] = static_cast<double>(tree) / static_cast<double>(f.streamSize);
}

void BM_TextToResource(benchmark::State& state) {
  const auto& f = Form();
  for (auto _ : state) benchmark::DoNotOptimize(kst::TextToResource(f.text));
  Report(state, f.text.size());
}

void BM_WriteForm(benchmark::State& state) {
  const auto& f = Form();
  auto root = kst::ReadFormResource(f.resource);
  // WriteForm without its final file write: text, then the resource.
  for (auto _ : state) benchmark::DoNotOptimize(kst::TextToResource(kst::FormToText(*root, true)));
  Report(state, f.resource.size());
}

BENCHMARK(BM_ResourceToText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadForm)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TextToResource)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteForm)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--write-form") == 0) {
    kst::AtomicWriteFile(argv[2], Form().resource);
    std::printf("%s: %zu bytes, component stream %zu bytes, text %zu bytes\n", argv[2], Form().resource.size(),
                Form().streamSize, Form().text.size());
    return 0;
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
