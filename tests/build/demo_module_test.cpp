// End to end on the demo project, on a machine without Delphi: a copy is
// opened, German gets a few translations, and generate + compile through the
// default compiler setting (the bundled stand-in) write DEU/Demo.DEU, which
// our PE reader, pe-dump.py and objdump read with the translated texts.
#include <gtest/gtest.h>

#include <filesystem>

#include "build/language_module.h"
#include "config/language_info.h"
#include "formmodel/form_conversion.h"
#include "formmodel/form_reader.h"
#include "platform/codepage.h"
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

// What a translator types (UTF-8) is stored in the language's code page and
// comes out of the module as the same characters: the string table in
// UTF-16, the forms as 8-bit text that the translated program reads in
// that code page.
struct TTypedCase {
  const char* language;
  int codePage;
  const char* ready;
  const char* open;
};

class TypedTranslations : public DemoModuleTest, public testing::WithParamInterface<TTypedCase> {};

std::string FormCaption(const std::string& module, const std::string& formClass, const std::string& path) {
  TExefile exe(module, 1252);
  const TPEResourceDirectory& root = exe.ResourceSection().Root();
  for (int t = 0; t < root.SubdirectoryCount(); ++t)
    for (int n = 0; n < root.Subdirectory(t).SubdirectoryCount(); ++n) {
      const TPEResourceDirectory& name = root.Subdirectory(t).Subdirectory(n);
      if (name.Name() != formClass || name.DataEntryCount() != 1) continue;
      std::span<const uint8_t> data = name.DataEntry(0).Data();
      auto form = ReadFormText(BinaryToText(std::string_view(reinterpret_cast<const char*>(data.data()), data.size())));
      return form->FindProperty(path)->OriginalValue;
    }
  return "(no form " + formClass + ")";
}

std::string StringResource(const std::string& module, int id) {
  TExefile exe(module, 1252);
  const TPEResourceDirectory& root = exe.ResourceSection().Root();
  for (int t = 0; t < root.SubdirectoryCount(); ++t)
    for (int n = 0; n < root.Subdirectory(t).SubdirectoryCount(); ++n) {
      const TPEResourceDirectory& block = root.Subdirectory(t).Subdirectory(n);
      if (block.TypeID() != 6 || block.NameID() != id / 16 + 1) continue;
      auto& leaf = dynamic_cast<const TPEStringResourceDataEntry&>(block.DataEntry(0));
      return Utf16ToUtf8(leaf.GetStringUtf16(id % 16));
    }
  return "(no string)";
}

// pe-dump decodes a language-neutral form as 1252; the bytes it shows are
// the module's, which the translated program reads in its own code page.
std::string AsCodePage(const std::string& peDumpText, int codePage) {
  std::string bytes;
  for (size_t i = 0; i < peDumpText.size();) {
    if (peDumpText.compare(i, 2, "\\x") == 0 && i + 4 <= peDumpText.size()) {
      bytes += static_cast<char>(std::stoi(peDumpText.substr(i + 2, 2), nullptr, 16));
      i += 4;
      continue;
    }
    size_t next = peDumpText.find("\\x", i);
    std::string run = peDumpText.substr(i, next == std::string::npos ? std::string::npos : next - i);
    bytes += Utf8ToCodePage(run, 1252);
    i += run.size();
  }
  return CodePageToUtf8(bytes, codePage);
}

TEST_P(TypedTranslations, ComeOutOfTheModuleAsTyped) {
  const TTypedCase& c = GetParam();
  const std::string project = "demo/project/Demo.dpr ";
  auto kst = [&](const std::string& args) { return test::RunKst(args, dir.Path(), config); };
  ASSERT_EQ(kst("project add-language " + project + c.language).exitCode, 0);
  test::TProgramRun set = kst("translate set " + project + c.language + " @Texts_SReady '" + c.ready + "'");
  ASSERT_EQ(set.exitCode, 0) << set.err;
  set = kst("translate set " + project + c.language + " Main.dfm:btnOpen.Caption '" + c.open + "'");
  ASSERT_EQ(set.exitCode, 0) << set.err;
  test::TProgramRun refused = kst("translate set " + project + c.language + " @Texts_SReady '\xE2\x9C\x93'");
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_NE(refused.err.find("(U+2713), which code page " + std::to_string(c.codePage)), std::string::npos)
      << refused.err;

  test::TProgramRun show = kst("translate show " + project + c.language);
  EXPECT_NE(show.out.find(std::string("@Texts_SReady\ttranslated\tReady\t") + c.ready + "\n"), std::string::npos)
      << show.out;
  EXPECT_NE(show.out.find(std::string("Main.dfm:btnOpen.Caption\ttranslated\t&Open...\t") + c.open + "\n"),
            std::string::npos)
      << show.out;

  test::TProgramRun compile = kst("build compile " + project + c.language);
  ASSERT_EQ(compile.exitCode, 0) << compile.out << compile.err;
  std::string module = dir.File("demo/project/" + LanguageAbbreviation(ParseLanguageArgument(c.language)) + "/Demo." +
                                LanguageAbbreviation(ParseLanguageArgument(c.language)));
  EXPECT_EQ(StringResource(module, 65522), c.ready);
  EXPECT_EQ(CodePageToUtf8(FormCaption(module, "TFRMMAIN", "btnOpen.Caption"), c.codePage), c.open);
  EXPECT_EQ(kst("build verify " + project + c.language).exitCode, 0);

  std::string why;
  auto peDump = test::PeDumpCommand(why);
  if (!peDump) GTEST_SKIP() << why;
  test::TToolRun dump = test::RunTool(*peDump + " " + module);
  EXPECT_NE(dump.out.find(std::string("STR 65522 \"") + c.ready + "\""), std::string::npos) << dump.out;
  size_t at = dump.out.find("FORM frmMain.btnOpen.Caption = str \"");
  ASSERT_NE(at, std::string::npos) << dump.out;
  at += std::string("FORM frmMain.btnOpen.Caption = str \"").size();
  EXPECT_EQ(AsCodePage(dump.out.substr(at, dump.out.find('"', at) - at), c.codePage), c.open);
}

INSTANTIATE_TEST_SUITE_P(Languages, TypedTranslations,
                         testing::Values(TTypedCase{"0419", 1251, "Готово", "Открыть…"},
                                         TTypedCase{"0415", 1250, "Gotowe, zażółć gęślą jaźń", "Otwórz"}),
                         [](const auto& info) { return std::string("L") + info.param.language; });

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
