// Opening a large generated project: 500 forms of about 200 components each
// and 20,000 resource strings. Reports the open time next to a baseline that
// only reads the same files, and the heap the open model takes as a ratio to
// the forms' size on disk.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <filesystem>
#include <string>

#include "config/interaction.h"
#include "config/registry_settings.h"
#include "formmodel/form_conversion.h"
#include "platform/file_utils.h"
#include "project/project_data.h"

namespace {

namespace fs = std::filesystem;

constexpr int kForms = 500;
constexpr int kComponents = 200;
constexpr int kStrings = 20000;

struct TGenerated {
  std::string dir;
  std::string project;
  size_t formBytes = 0;
  std::vector<std::string> files;
};

std::string FormText(int form) {
  std::string text = "object Form" + std::to_string(form) + ": TForm" + std::to_string(form) +
                     "\r\n  Left = 10\r\n  Top = 20\r\n  Caption = 'Form number " + std::to_string(form) + "'\r\n";
  for (int c = 0; c < kComponents; ++c) {
    std::string n = std::to_string(c);
    text += "  object Label" + n + ": TLabel\r\n    Left = " + n + "\r\n    Top = 8\r\n    Caption = 'Caption of label " + n +
            "'\r\n    Hint = 'A hint that explains label " + n + "'\r\n    Font.Style = [fsBold]\r\n  end\r\n";
  }
  return text + "end\r\n";
}

const TGenerated& Generated() {
  static TGenerated g = [] {
    TGenerated out;
    out.dir = fs::temp_directory_path().string() + "/kst-bench-project";
    fs::remove_all(out.dir);
    fs::create_directories(out.dir);
    std::string uses = "program Big;\r\n\r\nuses\r\n  Forms";
    for (int f = 0; f < kForms; ++f) {
      std::string unit = "Unit" + std::to_string(f);
      std::string dfm = out.dir + "/" + unit + ".dfm";
      std::string binary = kst::TextToResource(FormText(f));
      kst::AtomicWriteFile(dfm, binary);
      out.formBytes += binary.size();
      out.files.push_back(dfm);
      uses += ",\r\n  " + unit + " in '" + unit + ".pas' {Form" + std::to_string(f) + "}";
    }
    uses += ";\r\n\r\nbegin\r\nend.\r\n";
    out.project = out.dir + "/Big.dpr";
    kst::AtomicWriteFile(out.project, uses);
    std::string drc;
    for (int s = 0; s < kStrings; ++s) drc += "#define Unit_S" + std::to_string(s) + " " + std::to_string(s) + "\r\n";
    drc += "STRINGTABLE\r\nBEGIN\r\n";
    for (int s = 0; s < kStrings; ++s)
      drc += "\tUnit_S" + std::to_string(s) + ",\t\"Resource string number " + std::to_string(s) + "\"\r\n";
    drc += "END\r\n";
    kst::AtomicWriteFile(out.dir + "/Big.DRC", drc);
    out.files.push_back(out.dir + "/Big.DRC");
    return out;
  }();
  return g;
}

void BM_Baseline_ReadFiles(benchmark::State& state) {
  const TGenerated& g = Generated();
  for (auto _ : state) {
    size_t total = 0;
    for (const std::string& f : g.files) total += kst::ReadFileBytes(f).size();
    benchmark::DoNotOptimize(total);
  }
}

void BM_OpenProject(benchmark::State& state) {
  const TGenerated& g = Generated();
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
    if (project.Modules.size() != kForms || project.ResourceStrings.Count() != kStrings)
      state.SkipWithError("the project did not open completely");
  }
  state.counters["heap_per_form_byte"] = heapRatio;
  state.counters["form_MB"] = static_cast<double>(g.formBytes) / 1e6;
}

BENCHMARK(BM_Baseline_ReadFiles)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenProject)->Unit(benchmark::kMillisecond);

}  // namespace
