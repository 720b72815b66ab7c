// A language with 100,000 translated items (50,000 resource strings and five
// forms of 10,000 list entries): the save with the dictionary feeding (into
// an empty dictionary, then again with every pair known), and the reload,
// against writing the same bytes raw as the baseline.
#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <stdexcept>

#include <unistd.h>

#include "config/interaction.h"
#include "support/silent_interaction.h"
#include "config/registry_settings.h"
#include "dictionary/common.h"
#include "dictionary/dictionary_schema.h"
#include "dictionary/translation_history.h"
#include "formmodel/form_conversion.h"
#include "platform/database_engine.h"
#include "platform/file_utils.h"
#include "project/project_data.h"
#include "session/translation_session.h"
#include "storage/translation_files.h"

namespace kst {
namespace {

using Clock = std::chrono::steady_clock;
constexpr int kGerman = 0x0407;
constexpr int kStrings = 50000, kForms = 5, kEntries = 10000;

// Processor time of this process: the machine is shared, so wall time alone
// says more about the neighbours than about the save.
double CpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return t.tv_sec + t.tv_nsec / 1e9;
}

double Seconds(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }
std::string Original(int i) { return "Original text number " + std::to_string(i); }
std::string Translation(int i) { return "\xDC" "bersetzter Text Nummer " + std::to_string(i); }

void WriteProject(const std::string& dir) {
  std::string drc, table = "STRINGTABLE\r\nBEGIN\r\n";
  for (int i = 0; i < kStrings; ++i) {
    drc += "#define Texts_S" + std::to_string(i) + " " + std::to_string(i + 1) + "\r\n";
    table += "\tTexts_S" + std::to_string(i) + ",\t\"" + Original(i) + "\"\r\n";
  }
  AtomicWriteFile(dir + "/Big.DRC", drc + table + "END\r\n");
  std::string uses = "  Forms";
  for (int f = 0; f < kForms; ++f) {
    std::string name = "Form" + std::to_string(f);
    std::string text = "object " + name + ": T" + name + "\r\n  object List: TListBox\r\n    Items.Strings = (\r\n";
    for (int i = 0; i < kEntries; ++i) text += "      '" + Original(kStrings + f * kEntries + i) + "'\r\n";
    text += "    )\r\n  end\r\nend\r\n";
    AtomicWriteFile(dir + "/" + name + ".dfm", TextToResource(text));
    uses += ",\r\n  " + name + " in '" + name + ".pas' {" + name + "}";
  }
  AtomicWriteFile(dir + "/Big.dpr", "program Big;\r\n\r\nuses\r\n" + uses + ";\r\n\r\nbegin\r\nend.\r\n");
}

void Translate(TProjectData& project) {
  for (int i = 0; i < kStrings; ++i) project.ResourceStrings.Item(i).TranslatedValue = Translation(i);
  for (int f = 0; f < kForms; ++f) {
    TCHValue* list = project.Modules[f].Module->Root->FindProperty("List.Items.Strings");
    for (int i = 0; i < kEntries; ++i) list->ListValues[i]->TranslatedValue = Translation(kStrings + f * kEntries + i);
  }
}

int CountTranslated(TProjectData& project) {
  int n = 0;
  for (int i = 0; i < project.ResourceStrings.Count(); ++i) n += project.ResourceStrings.Item(i).IsTranslated();
  for (TModuleEntry& m : project.Modules)
    m.Module->Root->ForEachPropertyPath([&](const std::string&, TCHValue& v) { n += v.IsTranslated(); });
  return n;
}

void BM_SaveLanguage100k(benchmark::State& state) {
  std::string dir = (std::filesystem::temp_directory_path() / ("kst-bench-storage-" + std::to_string(getpid()))).string();
  std::filesystem::remove_all(dir);
  ForceDirectories(dir + "/dict");
  WriteProject(dir);
  bench::TSilentInteraction ui(TAnswer::No, true);
  TRegistryLocation location = TRegistryLocation::InDirectory(dir + "/cfg");
  TTranslatorRegistry registry(location);
  TDatabaseEngine engine(location);
  engine.SetAliasPath(kDictionaryAlias, dir + "/dict");
  TdatCommon common(engine, ui);
  TdatTranslationHistory history(common);
  for (auto _ : state) {
    TProjectData project(registry, ui, TSystemCodePages{1252, 850, 10000});
    TTranslationSession session(project, &history, ui, &common.Database());
    session.OpenProject(dir + "/Big.dpr");
    project.AddLanguage(kGerman);
    session.SelectLanguage(kGerman);
    Translate(project);

    auto start = Clock::now();
    double cpu = CpuSeconds();
    session.SaveProject();
    double firstSave = Seconds(start);
    double firstSaveCpu = CpuSeconds() - cpu;
    int fed = session.LastFeedReport().added;
    start = Clock::now();
    session.SaveProject();
    double secondSave = Seconds(start);

    // The baseline: the same files' bytes written raw.
    start = Clock::now();
    AtomicWriteFile(dir + "/raw.TRS", ReadFileBytes(dir + "/DEU/Big.TRS"));
    for (int f = 0; f < kForms; ++f) {
      std::string name = "/DEU/Form" + std::to_string(f) + ".TRD";
      AtomicWriteFile(dir + "/raw" + std::to_string(f), ReadFileBytes(dir + name));
    }
    double raw = Seconds(start);

    // The same save without a dictionary: what the files and the reload cost.
    TProjectData plain(registry, ui, TSystemCodePages{1252, 850, 10000});
    TTranslationSession plainSession(plain, nullptr, ui, nullptr);
    plainSession.OpenProject(dir + "/Big.dpr");
    plainSession.SelectLanguage(kGerman);
    Translate(plain);
    start = Clock::now();
    plainSession.SaveProject();
    double noDictionary = Seconds(start);

    TProjectData again(registry, ui, TSystemCodePages{1252, 850, 10000});
    TTranslationSession reopened(again, &history, ui, &common.Database());
    reopened.OpenProject(dir + "/Big.dpr");
    start = Clock::now();
    reopened.SelectLanguage(kGerman);
    double load = Seconds(start);
    int translated = CountTranslated(again);
    state.SetIterationTime(firstSave);
    state.counters["first_save_s"] = firstSave;
    state.counters["first_save_cpu_s"] = firstSaveCpu;
    state.counters["second_save_s"] = secondSave;
    state.counters["raw_write_s"] = raw;
    state.counters["save_without_dictionary_s"] = noDictionary;
    state.counters["load_s"] = load;
    state.counters["fed"] = fed;
    state.counters["translated_after_reopen"] = translated;
    if (translated != kStrings + kForms * kEntries) state.SkipWithError("the reopened language lost translations");
  }
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_SaveLanguage100k)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kst
