// Changing the project's structure through the session while a language is
// current: what is added gets the language's translations and is stored
// with the rest, what is removed is stored first, and module groups add
// their files once however they nest.
#include <gtest/gtest.h>

#include <filesystem>

#include "dictionary/config_data.h"
#include "formmodel/form_conversion.h"
#include "formmodel/form_errors.h"
#include "formmodel/user_defined.h"
#include "support/demo_session.h"
#include "session/translator_environment.h"
#include "platform/same_text.h"

namespace kst {
namespace {

using test::kFrench;
using test::kGerman;
using test::Trd;

void WriteForm(const std::string& file, const std::string& object) {
  ForceDirectories(ExtractFileDir(file));
  test::WriteFile(file, TextToResource("object " + object + ": T" + object + "\r\n  Caption = '" + object +
                                       "'\r\n  Hint = 'hint'\r\nend\r\n"));
}

class SessionStructure : public testing::Test {
protected:
  test::TDemoSession d;
  TTranslationSession& s = *d.session;
  std::string Project(const std::string& name) const { return d.dir.File("project/" + name); }
};

TEST_F(SessionStructure, AFormAddedUnderALanguageIsLoadedAndStoredWithTheOthers) {
  EXPECT_THROW(s.AddForm(Project("Extra.dfm")), EProjectError) << "no project open";
  WriteForm(Project("Extra.dfm"), "frmExtra");
  ForceDirectories(Project("DEU"));
  test::WriteFile(Project("DEU/Extra.TRD"), Trd({{"frmExtra.Caption", "Zusatz"}}));
  test::WriteFile(Project("Demo.TRI"), "[Kestrin.Translator.UserDefinedProperties]\r\nk=Extra.dfm;frmExtra;HelpKeyword;ptString\r\n");
  s.OpenProject(d.Dpr());
  s.SelectLanguage(kGerman);

  TModuleHelper* extra = s.AddForm(Project("Extra.dfm"));
  ASSERT_NE(extra, nullptr);
  EXPECT_TRUE(extra->ManuallyAdded);
  EXPECT_EQ(d.Value("Extra.dfm", "frmExtra.Caption").TranslatedValue, "Zusatz") << "its translations are loaded";
  EXPECT_NE(extra->Root->FindProperty("frmExtra.HelpKeyword"), nullptr) << "the settings file's additions apply";
  EXPECT_EQ(s.AddForm(UpperCaseAscii("extra.dfm")), extra) << "a name already listed";
  EXPECT_EQ(s.AddForm(d.dir.File("project/../project/Extra.dfm")), extra) << "the same file written otherwise";
  EXPECT_EQ(d.project.Modules.size(), 4u);

  s.SetTranslationOf(*extra, "frmExtra.Hint", "Tipp");
  s.SelectForm(d.Form("Main.dfm"));
  s.SelectLanguage(kFrench);
  EXPECT_EQ(ReadFileBytes(Project("DEU/Extra.TRD")), Trd({{"frmExtra.Caption", "Zusatz"}, {"frmExtra.Hint", "Tipp"}}));
  s.SaveProject();
  TIniFile settings(Project("Demo.TRI"));
  EXPECT_EQ(settings.ReadSection(kUserDefinedSection).size(), 1u);
  EXPECT_EQ(settings.ReadString("Kestrin.Translator.Modules", "Module3", ""), Project("Extra.dfm"));

  test::WriteFile(Project("Broken.dfm"), "not a form");
  EXPECT_THROW(s.AddForm(Project("Broken.dfm")), EFormError);
  EXPECT_EQ(d.project.Modules.size(), 4u) << "a form that does not read adds nothing";
}

TEST_F(SessionStructure, RemovingFormsStoresThemFirstAndLeavesNothingBehind) {
  s.OpenProject(d.Dpr());
  s.SelectLanguage(kGerman);
  s.SetTranslation("Main.dfm:frmMain.Caption", "Vorf\xFChrung");
  ASSERT_EQ(s.CurrentForm(), d.Form("Main.dfm"));
  // Changed without being the current form, as an exchange file changes forms.
  d.Value("About.dfm", "frmAbout.Caption").TranslatedValue = "\xDC" "ber";

  s.RemoveForm(d.ListName("Main.dfm"));
  EXPECT_EQ(s.CurrentForm(), nullptr);
  s.RemoveForm(UpperCaseAscii(d.ListName("About.dfm")));
  ASSERT_EQ(d.project.Modules.size(), 1u);
  EXPECT_NE(ReadFileBytes(Project("DEU/Main.TRD")).find("Vorf\xFChrung"), std::string::npos);
  EXPECT_NE(ReadFileBytes(Project("DEU/About.TRD")).find("\xDC" "ber"), std::string::npos);
  s.RemoveForm("Nothing.dfm");

  // Nothing of the removed forms is used again (the sanitizers would see it).
  s.SelectLanguage(kFrench);
  s.SaveProject();
  EXPECT_FALSE(FileExists(Project("FRA/Main.TRD")));
  EXPECT_EQ(d.project.Modules.size(), 1u);
}

// A .TRR sits beside its resource and may be shared by other projects: the
// entry of the current language must survive adding the resource.
TEST_F(SessionStructure, ACustomResourceAddedUnderALanguageKeepsItsSharedEntries) {
  const std::string trr = Project("Greeting.TRR");
  const std::string shared = "[Language.DEU]\r\nTranslatedFile=GreetingDE.res\r\n[Language.FRA]\r\nTranslatedFile=GreetingFR.res\r\n";
  test::WriteFile(trr, shared);
  s.OpenProject(d.Dpr());
  s.SelectLanguage(kGerman);
  TCustomResource& greeting = s.AddCustomResource(Project("Greeting.res"));
  EXPECT_EQ(greeting.TranslatedFile, "GreetingDE.res");
  EXPECT_EQ(&s.AddCustomResource("GREETING.RES"), &greeting) << "one file is one entry";
  s.SaveProject();
  EXPECT_EQ(ReadFileBytes(trr), shared);

  s.SetTranslationOf(*d.project.FindCustomResource("Greeting.res"), "Gruss.res");
  s.RemoveCustomResource("greeting.res");
  EXPECT_TRUE(d.project.CustomResources.Items.empty());
  EXPECT_EQ(TIniFile(trr).ReadString("Language.DEU", "TranslatedFile", ""), "Gruss.res") << "stored before it went";
  EXPECT_EQ(TIniFile(trr).ReadString("Language.FRA", "TranslatedFile", ""), "GreetingFR.res");
  s.RemoveCustomResource("greeting.res");
}

TEST_F(SessionStructure, RemovingTheCurrentLanguageStoresItFirst) {
  s.OpenProject(d.Dpr());
  EXPECT_TRUE(s.AddLanguage(kGerman));
  EXPECT_FALSE(s.AddLanguage(0x7F7F)) << "no such language";
  s.SelectLanguage(kGerman);
  s.SetTranslation("@Texts_SReady", "Bereit");
  ASSERT_TRUE(s.CanUndo());
  s.RemoveLanguage(kGerman);
  EXPECT_EQ(s.CurrentLanguage(), -1);
  EXPECT_FALSE(d.project.HasLanguage(kGerman));
  EXPECT_NE(ReadFileBytes(Project("DEU/Demo.TRS")).find("Bereit"), std::string::npos);
  s.SelectLanguage(kGerman);
  EXPECT_FALSE(s.CanUndo()) << "its history went with it";
}

// The exchange file changes forms that are not current; choosing forms
// afterwards must not read their old translation files over the import.
TEST_F(SessionStructure, TranslationsReadFromAnExchangeFileSurviveChoosingForms) {
  s.OpenProject(d.Dpr());
  s.SelectLanguage(kGerman);
  s.SelectForm(d.Form("Main.dfm"));
  s.SetTranslation("About.dfm:frmAbout.Caption", "Alt");
  s.SelectForm(d.Form("Main.dfm"));  // About's file now holds "Alt"
  const std::string trx = Project("DEU/Demo.trx");
  test::WriteFile(trx, "[EXCHANGE-FILE-HEADER]\r\nVersion=3.10BETA\r\n\r\n[About.dfm]\r\n"
                       "frmAbout.Caption\t\"About Kestrin Demo\"\t\"Neu\"\r\n\r\n[RESOURCE-STRINGS]\r\n"
                       "Texts_SReady\t\"Ready\"\t\"Bereit\"\r\n\r\n");
  EXPECT_EQ(s.ReadExchangeFile(trx), 2);
  EXPECT_TRUE(d.ui.questions.empty());

  s.SelectForm(d.Form("About.dfm"));
  s.SelectForm(d.Form("Main.dfm"));
  s.SelectForm(d.Form("About.dfm"));
  EXPECT_EQ(d.Value("About.dfm", "frmAbout.Caption").TranslatedValue, "Neu");
  s.SaveProject();
  EXPECT_EQ(d.Value("About.dfm", "frmAbout.Caption").TranslatedValue, "Neu") << "loaded again from the file";
  EXPECT_EQ(ReadFileBytes(Project("DEU/About.TRD")), Trd({{"frmAbout.Caption", "Neu"}}));
  EXPECT_NE(ReadFileBytes(Project("DEU/Demo.TRS")).find("Bereit"), std::string::npos);

  ASSERT_TRUE(s.Undo()) << "the import is one step";
  EXPECT_EQ(d.Value("About.dfm", "frmAbout.Caption").TranslatedValue, "Alt");
  EXPECT_FALSE(d.String("Texts_SReady").IsTranslated());
}

class ModuleGroups : public SessionStructure {
protected:
  std::map<std::string, std::vector<std::string>> groups;
  TModuleGroupEntries Entries() {
    return [this](const std::string& name) -> std::optional<std::vector<std::string>> {
      for (const auto& [group, entries] : groups)
        if (SameText(group, name)) return entries;
      return std::nullopt;
    };
  }
  std::vector<std::string> Names() {
    std::vector<std::string> names;
    for (const TModuleEntry& entry : d.project.Modules) names.push_back(entry.Name);
    return names;
  }
};

TEST_F(ModuleGroups, NestedGroupsPatternsAndCyclesAddEveryFileOnce) {
  const std::string lib = d.dir.File("delphi/lib");
  d.registry.Directories().WriteString("DelphiRootDir", d.dir.File("delphi"));
  WriteForm(lib + "/Other.DFM", "frmOther");
  WriteForm(lib + "/dialogs.dfm", "frmDialogs");
  test::WriteFile(lib + "/Broken.dfm", "not a form");
  test::WriteFile(lib + "/buttons.res", "");
  test::WriteFile(lib + "/readme.txt", "");
  ForceDirectories(lib + "/folder.dfm");
  ForceDirectories(lib + "/DEU");
  test::WriteFile(lib + "/DEU/dialogs.TRD", Trd({{"frmDialogs.Caption", "Dialoge"}}));
  WriteForm(Project("extra/Extra1.dfm"), "frmExtra1");
  groups["VCL"] = {"%DelphiRootDir%\\lib\\*.dfm", "%DelphiRootDir%\\LIB\\*.r?s", "<Extra>", "<Missing>",
                   "%DelphiRootDir%\\nothing\\*.dfm"};
  groups["Extra"] = {"<VCL>", "<Extra>", "extra\\ex*.DFM", "About.dfm"};

  s.OpenProject(d.Dpr());
  s.SelectLanguage(kGerman);
  EXPECT_EQ(s.AddModuleGroup("vcl", Entries()), 4);
  const std::vector<std::string> expected = {Project("Main.dfm"),      Project("About.dfm"),
                                             d.dir.File("common/OPTIONS.DFM"), lib + "/dialogs.dfm",
                                             lib + "/Other.DFM",      Project("extra/Extra1.dfm")};
  EXPECT_EQ(Names(), expected);
  ASSERT_EQ(d.project.CustomResources.Items.size(), 1u);
  EXPECT_EQ(d.project.CustomResources.Items[0]->FileName, lib + "/buttons.res");
  EXPECT_EQ(d.Value("dialogs.dfm", "frmDialogs.Caption").TranslatedValue, "Dialoge") << "loaded like any added form";
  ASSERT_EQ(d.ui.warnings.size(), 5u);
  EXPECT_EQ(d.ui.warnings[0].rfind(lib + "/Broken.dfm could not be added: ", 0), 0u) << d.ui.warnings[0];
  EXPECT_EQ(d.ui.warnings[1], "The module group \"vcl\" names itself (\"vcl\" > \"Extra\" > \"VCL\"); its files are added once.");
  EXPECT_EQ(d.ui.warnings[2], "The module group \"Extra\" names itself (\"Extra\" > \"Extra\"); its files are added once.");
  EXPECT_EQ(d.ui.warnings[3], "The module group \"Missing\" named in the module group \"vcl\" does not exist.");
  EXPECT_EQ(d.ui.warnings[4], "No file matches these entries of the module group \"vcl\":\r\r%DelphiRootDir%\\nothing\\*.dfm");

  d.ui.warnings.clear();
  EXPECT_EQ(s.AddModuleGroup("VCL", Entries()), 0) << "adding it again changes nothing";
  EXPECT_EQ(s.AddModuleGroup("Nope", Entries()), 0);
  EXPECT_EQ(d.ui.warnings.back(), "The module group \"Nope\" does not exist.");
}

TEST_F(ModuleGroups, AnEndlessChainOfGroupsStopsWithAWarning) {
  for (int i = 0; i < 100; ++i) groups["G" + std::to_string(i)] = {"<G" + std::to_string(i + 1) + ">"};
  s.OpenProject(d.Dpr());
  EXPECT_EQ(s.AddModuleGroup("G0", Entries()), 0);
  ASSERT_FALSE(d.ui.warnings.empty());
  EXPECT_EQ(d.ui.warnings.back(), "The module group \"G64\" is nested too deeply; its files are not added.");
}

TEST(EnvironmentModuleGroups, AGroupOfTheDictionaryIsAddedToTheOpenProject) {
  test::TScratchDir dir;
  test::CopyDemo(dir.File("demo"));
  TRecordingInteraction ui;
  TTranslatorEnvironment environment(TRegistryLocation::InDirectory(dir.File("cfg")), ui);
  environment.SetUpDictionary(dir.File("dict"));
  {
    TdatConfig config(environment.Common());
    config.BeginConfig();
    std::string id = config.NewGroup("Greetings", "");
    config.AddEntry(id, dir.File("demo/project/*.res"), "");
    config.CommitConfig();
  }
  environment.Session().OpenProject(dir.File("demo/project/Demo.dpr"));
  EXPECT_EQ(environment.AddModuleGroup("greetings"), 1);
  ASSERT_EQ(environment.Project().CustomResources.Items.size(), 1u);
  EXPECT_EQ(ExtractFileName(environment.Project().CustomResources.Items[0]->FileName), "Greeting.res");
  EXPECT_EQ(environment.AddModuleGroup("Unknown"), 0);
  EXPECT_EQ(ui.warnings.back(), "The module group \"Unknown\" does not exist.");
}

}  // namespace
}  // namespace kst
