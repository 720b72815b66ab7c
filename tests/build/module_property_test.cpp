// The module is the original plus the translations, nothing else: the demo, the fixture
// modules and every readable corpus form are translated by a fixed sample, saved, opened
// again, built and checked. What the check reports is the case build-verify of tests/cli.
#include <gtest/gtest.h>

#include <filesystem>

#include "build/language_module.h"
#include "build/module_verify.h"
#include "build/resource_linker.h"
#include "config/registry_settings.h"
#include "platform/file_utils.h"
#include "platform/same_text.h"
#include "session/translation_session.h"
#include "support/test_support.h"

namespace kst {
namespace {

namespace fs = std::filesystem;

constexpr int kGerman = 0x0407, kRussian = 0x0419;

// A project opened with the language selected (added when new).
struct TModuleRun {
  TRegistryLocation location;
  TTranslatorRegistry registry{location};
  TRecordingInteraction ui;
  TProjectData project{registry, ui, TSystemCodePages{1252, 850, 10000}};
  TTranslationSession session{project, nullptr, ui};
  int language;

  TModuleRun(const std::string& configDir, const std::string& file, int lang)
      : location(TRegistryLocation::InDirectory(configDir)), language(lang) {
    session.OpenProject(file);
    if (!project.HasLanguage(language)) project.AddLanguage(language);
    session.SelectLanguage(language);
  }

  // Letters of the language's code page for every third string value (a wide string whose
  // original the code page shows with "?" refuses them) and every second resource string;
  // every fifth decimal number grows by one.
  int TranslateSample() {
    const std::string suffix = language == kRussian ? " \xC6\xE6\xDF" : " \xC4\xD6\xFC";
    auto decimal = [](const std::string& t) {
      return !t.empty() && t.size() < 9 && t.find_first_not_of("0123456789") == std::string::npos;
    };
    int n = 0, strings = 0, numbers = 0;
    session.ForEachEntry([&](const TSessionEntry& e) {
      if (e.key[0] == '@') {
        if (n++ % 2 == 0) session.SetTranslation(e.key, *e.original + suffix);
      } else if (e.key[0] != '#' && e.type == ptString && strings++ % 3 == 0) {
        try {
          session.SetTranslation(e.key, *e.original + suffix);
        } catch (const ETranslationError& refused) {
          EXPECT_NE(std::string(refused.what()).find("cannot hold"), std::string::npos) << refused.what();
        }
      } else if (e.type == ptInteger && decimal(*e.original) && numbers++ % 5 == 0) {
        session.SetTranslation(e.key, std::to_string(std::stoll(*e.original) + 1));
      }
    });
    return n + strings + numbers;
  }

  // Generates and links with our linker, in this process; returns the module.
  std::string Build() {
    GenerateLanguageModule(project, language);
    TLinkerOptions options;
    options.source = ChangeFileExt(project.TranslatedFileName(project.FileName, language), ".dpr");
    options.exeOutputDir = project.GetOutputDirectory(false, language);
    LinkLanguageModule(options, 1252, [](const std::string&) {});
    return LanguageModuleFileName(project, language);
  }

  std::string Differences(const std::string& module) {
    std::string text;
    for (const TModuleDifference& d : VerifyLanguageModule(project, language, module))
      text += d.where + ": " + d.what + "\n";
    return text;
  }
};

// Translate, save, open again, build, check; then (not for a corpus form:
// they add nothing here) build once more, which must give the same bytes.
void CheckRoundTrip(const std::string& project, int language, const std::string& config, bool corpusForm = false) {
  {
    TModuleRun first(config, project, language);
    EXPECT_TRUE(first.TranslateSample() > 0 || corpusForm) << project << ": nothing was translated";
    first.session.SaveProject();
  }
  std::string bytes;
  for (int round = 0; round < (corpusForm ? 1 : 2); ++round) {
    TModuleRun run(config, project, language);
    std::string module = run.Build();
    EXPECT_EQ(run.Differences(module), "") << project;
    EXPECT_TRUE(round == 0 || ReadFileBytes(module) == bytes) << project << ": building again gives other bytes";
    bytes = ReadFileBytes(module);
  }
}

TEST(LanguageModuleProperty, DemoProjectInGermanAndRussian) {
  test::TScratchDir dir;
  test::CopyDemo(dir.File("demo"));
  CheckRoundTrip(dir.File("demo/project/Demo.dpr"), kGerman, dir.File("cfg"));
  CheckRoundTrip(dir.File("demo/project/Demo.dpr"), kRussian, dir.File("cfg"));
}

class FixtureModuleProperty : public testing::TestWithParam<const char*> {};

TEST_P(FixtureModuleProperty, RoundTripFindsNoDifference) {
  std::string why;
  auto fixtures = test::FixtureDir(why);
  if (!fixtures) GTEST_SKIP() << why;
  test::TScratchDir dir;
  fs::copy_file(*fixtures + "/" + GetParam(), dir.File(GetParam()));
  CheckRoundTrip(dir.File(GetParam()), kGerman, dir.File("cfg"));
}

INSTANTIATE_TEST_SUITE_P(Fixtures, FixtureModuleProperty,
                         testing::Values("app.exe", "strings.dll", "resonly_de.dll", "odd-rsrc-renamed.exe"),
                         test::TCaseName());

// Every binary form of the corpus that reads becomes the one form of a small
// project with two resource strings.
TEST(LanguageModuleProperty, EveryReadableCorpusForm) {
  auto shared = test::SharedDir();
  if (!shared || !fs::exists(*shared + "/corpus")) GTEST_SKIP() << "the shared corpus is not there";
  int checked = 0;
  for (const auto& entry : fs::recursive_directory_iterator(*shared + "/corpus")) {
    if (!entry.is_regular_file() || !SameText(entry.path().extension().string(), ".dfm")) continue;
    test::TScratchDir dir;
    test::WriteFile(dir.File("Unit1.dfm"), ReadFileBytes(entry.path().string()));
    test::WriteFile(dir.File("P.dpr"), "program P;\r\nuses\r\n  Unit1 in 'Unit1.pas' {Form1};\r\nbegin\r\nend.\r\n");
    test::WriteFile(dir.File("P.DRC"),
                    "#define Unit1_SHello 65520\r\n#define Unit1_SBye 17\r\nSTRINGTABLE\r\nBEGIN\r\n"
                    "\tUnit1_SHello,\t\"Hello\"\r\n\tUnit1_SBye,\t\"Bye\\n\"\r\nEND\r\n");
    SCOPED_TRACE(entry.path().string());
    CheckRoundTrip(dir.File("P.dpr"), kGerman, dir.File("cfg"), true);
    ++checked;
  }
  std::printf("language modules checked for %d corpus forms, binary and text\n", checked);
  EXPECT_GT(checked, 200);
}

}  // namespace
}  // namespace kst
