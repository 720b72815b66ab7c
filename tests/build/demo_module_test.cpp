// End to end on the demo project, on a machine without Delphi: a copy is
// opened, German gets a few translations, and generate + compile through the
// default compiler setting (the bundled stand-in) write DEU/Demo.DEU, which
// our PE reader, pe-dump.py and objdump read with the translated texts.
#include <gtest/gtest.h>

#include <filesystem>

#include "build/language_module.h"
#include "build_test_support.h"
#include "config/interaction.h"
#include "config/registry_settings.h"
#include "peresources/exe_file.h"
#include "platform/file_utils.h"
#include "project/project_data.h"
#include "session/translation_session.h"
#include "support/test_support.h"

namespace kst {
namespace {

namespace fs = std::filesystem;

class DemoModuleTest : public testing::Test {
protected:
  test::TScratchDir dir;
  std::string config = dir.File("cfg");
  void SetUp() override {
    test::CopyDemo(dir.File("demo"));
  }
  std::string Project() const { return dir.File("demo/project/Demo.dpr"); }
};

TEST_F(DemoModuleTest, GermanModuleCarriesTheTranslations) {
  TRegistryLocation location = TRegistryLocation::InDirectory(config);
  TTranslatorRegistry registry(location);
  TRecordingInteraction ui;
  TProjectData project(registry, ui, TSystemCodePages{1252, 850, 10000});
  project.Open(Project());
  project.AddLanguage(0x0407);
  project.CustomResources.Add(dir.File("demo/project/Greeting.res"));
  TModuleHelper* main = project.FindModule("Main.dfm");
  ASSERT_TRUE(main && main->Root && main->Root->FindPropertyItem("Caption"));
  main->Root->FindPropertyItem("Caption")->SetTranslatedValue("Kestrin-Demo auf Deutsch");
  for (int i = 0; i < project.ResourceStrings.Count(); ++i)
    if (project.ResourceStrings.Item(i).OriginalValue == "Ready") project.ResourceStrings.Item(i).TranslatedValue = "Bereit";
  project.VersionInfo.Find("CompanyName")->Translation = "Kestrin Beispielfirma";

  GenerateLanguageModule(project, 0x0407);
  TBusyCursorStack busy(ui);
  std::string output;
  TOemToAnsiSink sink([&](const std::string& text) { output += text; }, project.SystemCodePages());
  BuildLanguageModule(project, 0x0407, busy, sink);
  std::string module = dir.File("demo/project/DEU/Demo.DEU");
  ASSERT_TRUE(FileExists(module)) << output;

  TExefile exe(module, 1252);
  std::vector<std::string> names;
  const TPEResourceDirectory& root = exe.ResourceSection().Root();
  for (int t = 0; t < root.SubdirectoryCount(); ++t)
    for (int n = 0; n < root.Subdirectory(t).SubdirectoryCount(); ++n)
      names.push_back(root.Subdirectory(t).TypeName() + "/" + root.Subdirectory(t).Subdirectory(n).Name());
  EXPECT_EQ(names, (std::vector<std::string>{"#6 [RT_STRING]/#4096", "#10 [RT_RCDATA]/GREETING",
                                             "#10 [RT_RCDATA]/TFRMABOUT", "#10 [RT_RCDATA]/TFRMMAIN",
                                             "#10 [RT_RCDATA]/TFRMOPTIONS", "#16 [RT_VERSION]/#1"}));

  std::string why;
  if (auto peDump = test::PeDumpCommand(why)) {
    test::TToolRun dump = test::RunTool(*peDump + " " + module);
    EXPECT_EQ(dump.exitCode, 0) << dump.out;
    for (const char* line : {"FORM frmMain.Caption = str \"Kestrin-Demo auf Deutsch\"", "STR 65522 \"Bereit\"",
                             "VER StringFileInfo/040704E4/CompanyName = \"Kestrin Beispielfirma\"",
                             "VER VarFileInfo/Translation = 0407:1252", "type=10 name=\"GREETING\"",
                             "type=16 name=1 lang=0407"})
      EXPECT_NE(dump.out.find(line), std::string::npos) << line << "\n" << dump.out;
    EXPECT_EQ(dump.out.find(" warn "), std::string::npos) << dump.out;
  } else {
    std::cout << "[  SKIPPED ] pe-dump.py: " << why << "\n";
  }
  if (test::HaveObjdump()) {
    test::TToolRun objdump = test::RunTool("i686-w64-mingw32-objdump -p " + module);
    EXPECT_EQ(objdump.exitCode, 0) << objdump.out;
    EXPECT_NE(objdump.out.find("pei-i386"), std::string::npos) << objdump.out;
  } else {
    std::cout << "[  SKIPPED ] i686-w64-mingw32-objdump is not installed\n";
  }
}

TEST_F(DemoModuleTest, CommandLineCompilesTheStoredTranslations) {
  {
    TTranslatorRegistry registry(TRegistryLocation::InDirectory(config));
    TRecordingInteraction ui;
    TProjectData project(registry, ui, TSystemCodePages{1252, 850, 10000});
    TTranslationSession session(project, nullptr, ui);
    session.OpenProject(Project());
    project.AddLanguage(0x0407);
    session.SelectLanguage(0x0407);
    TModuleHelper* main = project.FindModule("Main.dfm");
    session.SelectForm(main);
    ASSERT_TRUE(main && main->Root && main->Root->FindPropertyItem("Caption"));
    main->Root->FindPropertyItem("Caption")->SetTranslatedValue("Gespeicherte Demo");
    session.SaveProject();
  }
  test::TProgramRun run = test::RunKst("build compile demo/project/Demo.dpr 0407", dir.Path(), config);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  std::string image = ReadFileBytes(dir.File("demo/project/DEU/Demo.DEU"));
  EXPECT_NE(image.find("Gespeicherte Demo"), std::string::npos) << run.out;
}

TEST_F(DemoModuleTest, CommandLineGeneratesAndCompiles) {
  test::TProgramRun run = test::RunKst("build commandline demo/project/Demo.dpr DEU", dir.Path(), config);
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, "\"" + test::BinDir() + "/delphi3/bin/DCC32.EXE\" -e\"" + dir.File("demo/project/DEU") + "\" -n\"" +
                         dir.File("demo/project/DEU") + "\" \"" + dir.File("demo/project/DEU/Demo.dpr") + "\"\n");
  run = test::RunKst("build compile demo/project/Demo.dpr 0407", dir.Path(), config);
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out.rfind("--- ", 0), 0u) << run.out;
  EXPECT_NE(run.out.find("Demo.dpr(8) " + dir.File("demo/project/DEU/Main.dfm") + ": 1 resource"), std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("language module: " + dir.File("demo/project/DEU/Demo.DEU")), std::string::npos) << run.out;
  run = test::RunKst("build generate demo/project/Demo.dpr 0407 extra", dir.Path(), config);
  EXPECT_EQ(run.exitCode, 2);
}

}  // namespace
}  // namespace kst
