// Checking a language of 100,000 string entries (50,000 resource strings
// with Format specifiers, and five forms of 5,000 buttons with a caption and
// a hint each, in panels of 50) against loading that language, measured in
// the same process: the check should cost at most three loads.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <stdexcept>

#include "checks/translation_check.h"
#include "config/interaction.h"
#include "support/silent_interaction.h"
#include "config/registry_settings.h"
#include "formmodel/form_conversion.h"
#include "platform/file_utils.h"
#include "project/project_data.h"
#include "session/translation_session.h"

namespace kst {
namespace {

using Clock = std::chrono::steady_clock;
constexpr int kGerman = 0x0407;
constexpr int kStrings = 50000, kForms = 5, kPanels = 100, kButtons = 50;

double Seconds(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

void WriteProject(const std::string& dir) {
  std::string drc, table = "STRINGTABLE\r\nBEGIN\r\n";
  for (int i = 0; i < kStrings; ++i) {
    drc += "#define Texts_S" + std::to_string(i) + " " + std::to_string(i + 1) + "\r\n";
    table += "\tTexts_S" + std::to_string(i) + ",\t\"Found %d files in %s (" + std::to_string(i) + ").\"\r\n";
  }
  AtomicWriteFile(dir + "/Big.DRC", drc + table + "END\r\n");
  std::string uses = "  Forms";
  for (int f = 0; f < kForms; ++f) {
    std::string name = "Form" + std::to_string(f);
    std::string text = "object " + name + ": T" + name + "\r\n";
    for (int p = 0; p < kPanels; ++p) {
      text += "  object Panel" + std::to_string(p) + ": TPanel\r\n";
      for (int b = 0; b < kButtons; ++b) {
        std::string n = std::to_string(p * kButtons + b);
        text += "    object Button" + n + ": TButton\r\n      Caption = '&" + static_cast<char>('A' + b % 26) +
                "ction " + n + "...'\r\n      Hint = 'Runs it|Runs action " + n + " on the file'\r\n    end\r\n";
      }
      text += "  end\r\n";
    }
    AtomicWriteFile(dir + "/" + name + ".dfm", TextToResource(text + "end\r\n"));
    uses += ",\r\n  " + name + " in '" + name + ".pas' {" + name + "}";
  }
  AtomicWriteFile(dir + "/Big.dpr", "program Big;\r\n\r\nuses\r\n" + uses + ";\r\n\r\nbegin\r\nend.\r\n");
}

// Translations, one in twenty with a fault, so that findings are made too.
void Translate(TProjectData& project) {
  for (int i = 0; i < kStrings; ++i)
    project.ResourceStrings.Item(i).TranslatedValue =
        i % 20 == 0 ? "Dateien gefunden" : "%d Dateien in %s gefunden (" + std::to_string(i) + ").";
  for (TModuleEntry& m : project.Modules) {
    int n = 0;
    m.Module->Root->ForEachPropertyPath([&](const std::string& path, TCHValue& v) {
      if (v.PropertyType != ptString) return;
      bool fault = ++n % 20 == 0;
      if (path.ends_with(".Caption"))
        v.TranslatedValue = (fault ? "Aktion " : "&Aktion ") + std::to_string(n) + "...";
      else
        v.TranslatedValue = (fault ? "F\xFChrt aus " : "F\xFChrt aus|F\xFChrt Aktion ") + std::to_string(n) + " aus";
    });
  }
}

void BM_CheckLanguage100k(benchmark::State& state) {
  std::string dir =
      (std::filesystem::temp_directory_path() / ("kst-bench-checks-" + std::to_string(getpid()))).string();
  std::filesystem::remove_all(dir);
  ForceDirectories(dir);
  WriteProject(dir);
  bench::TSilentInteraction ui(TAnswer::No, true);
  TRegistryLocation location = TRegistryLocation::InDirectory(dir + "/cfg");
  TTranslatorRegistry registry(location);
  {
    TProjectData project(registry, ui, TSystemCodePages{1252, 850, 10000});
    TTranslationSession session(project, nullptr, ui, nullptr);
    session.OpenProject(dir + "/Big.dpr");
    project.AddLanguage(kGerman);
    session.SelectLanguage(kGerman);
    Translate(project);
    session.SaveProject();
  }
  for (auto _ : state) {
    TProjectData project(registry, ui, TSystemCodePages{1252, 850, 10000});
    TTranslationSession session(project, nullptr, ui, nullptr);
    session.OpenProject(dir + "/Big.dpr");
    auto start = Clock::now();
    session.SelectLanguage(kGerman);
    double load = Seconds(start);
    int entries = 0;
    session.ForEachEntry([&](const TSessionEntry& e) { entries += e.type == ptString; });
    start = Clock::now();
    TCheckReport report = CheckTranslations(session);
    double check = Seconds(start);
    state.SetIterationTime(check);
    state.counters["string_entries"] = entries;
    state.counters["findings"] = static_cast<double>(report.findings.size());
    state.counters["load_s"] = load;
    state.counters["check_s"] = check;
    state.counters["check_per_load"] = check / load;
    if (check > 3 * load) state.SkipWithError("the check took more than three loads");
  }
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_CheckLanguage100k)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kst
