// The session's sequences on the demo project: languages kept apart, the
// files on disk byte for byte, the open/save/close prompts, the dictionary
// fed in one save, the automatic-translation walk, undo and redo by steps
// and groups per language, changes to the project's structure under a
// language, module groups, and a save killed at random moments. Setting
// entries by key is the translate-keys case of tests/cli.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <random>
#include <thread>

#include "dictionary/auto_translate.h"
#include "dictionary/config_data.h"
#include "formmodel/form_conversion.h"
#include "formmodel/form_errors.h"
#include "formmodel/user_defined.h"
#include "platform/same_text.h"
#include "session/search.h"
#include "session/translation_session.h"
#include "session/translator_environment.h"
#include "storage/translation_files.h"
#include "support/demo_session.h"

namespace kst {
namespace {

using test::kFrench;
using test::kGerman;
using test::ShortStr;

class ScriptedDialog : public TAutoTranslateDialog {
public:
  std::vector<TAnswer> answers;
  std::vector<std::string> originals;
  TAnswer Execute(const std::string& original, const std::vector<std::string>& candidates, std::string& translation) override {
    originals.push_back(original);
    TAnswer a = originals.size() <= answers.size() ? answers[originals.size() - 1] : TAnswer::Ignore;
    if (a == TAnswer::Yes) translation = candidates.front() + "!";
    return a;
  }
};

class SessionDemo : public testing::Test {
protected:
  explicit SessionDemo(bool withDictionary = false) : d(withDictionary) {}
  void SetUp() override { s.OpenProject(d.Dpr()); }
  test::TDemoSession d;
  TTranslationSession& s = *d.session;
  std::string Project(const std::string& name) const { return d.dir.File("project/" + name); }
};

class SessionDictionary : public SessionDemo {
protected:
  SessionDictionary() : SessionDemo(true) {}
};

TEST_F(SessionDemo, SwitchingLanguagesKeepsEachLanguagesTranslationsApart) {
  ASSERT_EQ(d.project.Modules.size(), 3u);
  EXPECT_EQ(s.CurrentLanguage(), -1);
  s.SelectLanguage(kGerman);
  s.SelectForm(d.Form("Main.dfm"));
  d.Value("Main.dfm", "frmMain.Caption").TranslatedValue = "Kestrin-Vorf\xFChrung";
  d.Value("About.dfm", "frmAbout.Caption").TranslatedValue = "\xDC" "ber";
  d.String("Texts_SReady").TranslatedValue = "Bereit";
  d.project.VersionInfo.Find("CompanyName")->Translation = "Beispielfirma";

  s.SelectLanguage(kFrench);
  EXPECT_FALSE(d.Value("Main.dfm", "frmMain.Caption").IsTranslated());
  EXPECT_FALSE(d.String("Texts_SReady").IsTranslated());
  EXPECT_FALSE(d.project.VersionInfo.Find("CompanyName")->IsTranslated());
  EXPECT_EQ(s.CurrentForm(), d.Form("Main.dfm")) << "the form stays selected";
  d.Value("Main.dfm", "frmMain.Caption").TranslatedValue = "D\xE9monstration";
  d.String("Texts_SReady").TranslatedValue = "Pr\xEAt";

  s.SelectLanguage(kGerman);
  EXPECT_EQ(d.Value("Main.dfm", "frmMain.Caption").TranslatedValue, "Kestrin-Vorf\xFChrung");
  EXPECT_EQ(d.String("Texts_SReady").TranslatedValue, "Bereit");
  EXPECT_EQ(d.project.VersionInfo.Find("CompanyName")->Translation, "Beispielfirma");
  s.SelectLanguage(kFrench);
  EXPECT_EQ(d.Value("Main.dfm", "frmMain.Caption").TranslatedValue, "D\xE9monstration");
  EXPECT_FALSE(d.Value("About.dfm", "frmAbout.Caption").IsTranslated());

  // Each language's files byte for byte (tests/data/session/languages).
  for (const char* file : {"DEU/Main.TRD", "DEU/About.TRD", "DEU/Demo.TRS", "DEU/Demo.TRD", "FRA/Main.TRD", "FRA/Demo.TRS"})
    test::ExpectGolden(test::TestDataDir() + "/session/languages/" + file, ReadFileBytes(d.dir.File("project/") + file));
  EXPECT_FALSE(FileExists(d.dir.File("project/FRA/About.TRD"))) << "a form never changed in French is not written";
  EXPECT_TRUE(d.ui.warnings.empty()) << d.ui.warnings[0];
}

TEST_F(SessionDemo, SaveStoresTheCurrentFormAndLanguageAndTheSettings) {
  d.project.AddLanguage(kGerman);
  s.SelectLanguage(kGerman);
  s.SelectForm(d.Form("Main.dfm"));
  d.Value("Main.dfm", "frmMain.Caption").TranslatedValue = "Vorf\xFChrung";
  s.SaveProject();
  EXPECT_EQ(s.CurrentLanguage(), kGerman);
  EXPECT_EQ(s.CurrentForm(), d.Form("Main.dfm"));
  EXPECT_EQ(d.Value("Main.dfm", "frmMain.Caption").TranslatedValue, "Vorf\xFChrung") << "loaded again";
  EXPECT_NE(ReadFileBytes(d.dir.File("project/DEU/Main.TRD")).find("Vorf\xFChrung"), std::string::npos);
  EXPECT_TRUE(FileExists(d.dir.File("project/Demo.TRI")));

  test::TDemoSession again;  // the saved files, opened by a new session
  std::filesystem::remove_all(again.dir.File("project"));
  std::filesystem::copy(d.dir.File("project"), again.dir.File("project"), std::filesystem::copy_options::recursive);
  again.session->OpenProject(again.Dpr());
  EXPECT_TRUE(again.project.HasLanguage(kGerman));
  again.session->SelectLanguage(kGerman);
  EXPECT_EQ(again.Value("Main.dfm", "frmMain.Caption").TranslatedValue, "Vorf\xFChrung");
}

TEST_F(SessionDemo, OpeningAnotherProjectAsksFirstAndCancelChangesNothing) {
  // Internationalize mode, language 0, stores nothing when left.
  s.SelectForm(d.Form("Main.dfm"));
  s.SelectForm(nullptr);
  s.SelectLanguage(0);
  EXPECT_FALSE(std::filesystem::exists(d.dir.File("project/ENU")));
  s.SelectLanguage(kGerman);
  d.String("Texts_SReady").TranslatedValue = "Bereit";
  d.ui.answers = {TAnswer::Cancel, TAnswer::No};
  EXPECT_FALSE(s.OpenProject(d.Dpr()));
  EXPECT_EQ(d.ui.questions, std::vector<std::string>{"Do you want to save the project settings?"});
  EXPECT_EQ(s.CurrentLanguage(), kGerman);
  EXPECT_EQ(d.String("Texts_SReady").TranslatedValue, "Bereit");

  EXPECT_TRUE(s.OpenProject(d.Dpr()));  // No: closed without saving the project settings...
  EXPECT_EQ(s.CurrentLanguage(), -1);
  EXPECT_FALSE(FileExists(d.dir.File("project/Demo.TRI")));
  // ...but leaving the language stored its translations, as every switch does.
  EXPECT_NE(ReadFileBytes(d.dir.File("project/DEU/Demo.TRS")).find("Bereit"), std::string::npos);

  s.CloseProject();
  EXPECT_FALSE(s.IsProjectOpen());
  EXPECT_EQ(s.CurrentForm(), nullptr);
}

TEST_F(SessionDemo, AFileThatCannotBeReadIsNeverOverwrittenWithAnotherLanguagesTexts) {
  s.SelectLanguage(kFrench);
  s.SelectForm(d.Form("Main.dfm"));
  d.Value("Main.dfm", "frmMain.Caption").TranslatedValue = "D\xE9monstration";
  d.String("Texts_SReady").TranslatedValue = "Pr\xEAt";
  const std::string deu = d.dir.File("project/DEU/");
  ForceDirectories(deu);
  const std::string broken = ShortStr("TRD301") + '\x01' + ShortStr("frmMain.Caption") + "\x0C\xFF\xFF";
  test::WriteFile(deu + "Main.TRD", broken);
  test::WriteFile(deu + "Demo.TRS", ShortStr("TRS301") + '\x01' + ShortStr("Texts_SReady") + ShortStr("Bereit") + '\0');
  EXPECT_EQ(test::Thrown<EReadError>([&] { s.SelectLanguage(kGerman); }), "Stream read error");
  EXPECT_EQ(s.CurrentLanguage(), kGerman);
  s.SelectLanguage(kFrench);
  EXPECT_EQ(ReadFileBytes(deu + "Main.TRD"), broken);
  EXPECT_NE(ReadFileBytes(deu + "Demo.TRS").find("Bereit"), std::string::npos);
  EXPECT_FALSE(FileExists(deu + "About.TRD")) << "French texts were not written as German";
  EXPECT_EQ(d.Value("Main.dfm", "frmMain.Caption").TranslatedValue, "D\xE9monstration");
}

TEST_F(SessionDictionary, OneSaveFeedsEveryPairAndTooLongTextsAreCountedNotFatal) {
  s.SelectLanguage(kGerman);
  s.SelectForm(d.Form("Main.dfm"));
  d.Value("Main.dfm", "frmMain.Caption").TranslatedValue = "Vorf\xFChrung";
  d.String("Texts_SReady").TranslatedValue = "Bereit";
  d.String("Texts_SSaveChanges").TranslatedValue = std::string(200, '\x01');  // 600 characters stored
  s.SaveProject();
  EXPECT_EQ(s.LastFeedReport().added, 2);
  EXPECT_EQ(s.LastFeedReport().tooLong, 1);
  EXPECT_EQ(s.LastFeedReport().tooLongSources, std::vector<std::string>{"Save changes to %s?"});
  EXPECT_EQ(d.String("Texts_SSaveChanges").TranslatedValue, std::string(200, '\x01')) << "the file still has it";

  std::vector<std::string> known;
  d.history->GetKnownTranslations("Kestrin Demo", 0x0C07, known);
  EXPECT_EQ(known, std::vector<std::string>{"Vorf\xFChrung"});
  d.history->GetKnownTranslations("ready", kGerman, known);
  EXPECT_EQ(known, std::vector<std::string>{"Bereit"});
}

TEST_F(SessionDictionary, AutomaticWalkOffersOnlyUntranslatedEntriesAndStopsOnCancel) {
  d.history->AddTranslation("Ready", "Bereit", kGerman);
  d.history->AddTranslation("File %s was not found.", "Datei %s fehlt.", kGerman);
  d.history->AddTranslation("Save changes to %s?", "Speichern?", kGerman);
  d.history->AddTranslation("&Items:", "&Eintr\xE4ge:", kGerman);
  d.history->AddTranslation("Kestrin Demo", "Vorf\xFChrung", kGerman);
  ScriptedDialog dialog;
  dialog.answers = {TAnswer::Yes};
  EXPECT_EQ(s.AutoTranslateResourceStrings(dialog), 0) << "no language: nothing";
  s.SelectLanguage(kGerman);
  d.String("Texts_SSaveChanges").TranslatedValue = "Sichern?";
  dialog.answers = {TAnswer::Ignore, TAnswer::Cancel, TAnswer::Yes};
  EXPECT_EQ(s.AutoTranslateResourceStrings(dialog), 0);
  EXPECT_EQ(dialog.originals, (std::vector<std::string>{"File %s was not found.", "Ready"}));
  EXPECT_FALSE(d.String("Texts_SReady").IsTranslated());

  dialog.originals.clear();
  dialog.answers = {TAnswer::Yes, TAnswer::Yes};
  EXPECT_EQ(s.AutoTranslateResourceStrings(dialog), 2);
  EXPECT_EQ(d.String("Texts_SReady").TranslatedValue, "Bereit!");
  EXPECT_EQ(d.String("Texts_SSaveChanges").TranslatedValue, "Sichern?") << "translated entries are never offered";

  dialog.originals.clear();
  dialog.answers = {TAnswer::Yes, TAnswer::Yes};
  EXPECT_EQ(s.AutoTranslateForm(dialog), 0) << "no form selected";
  s.SelectForm(d.Form("Main.dfm"));
  EXPECT_EQ(s.AutoTranslateForm(dialog, kFilterStrings), 2);
  EXPECT_EQ(d.Value("Main.dfm", "frmMain.Caption").TranslatedValue, "Vorf\xFChrung!");
  EXPECT_EQ(d.Value("Main.dfm", "lblItems.Caption").TranslatedValue, "&Eintr\xE4ge:!");
}

class SessionUndo : public SessionDemo {
protected:
  void SetUp() override {
    SessionDemo::SetUp();
    s.AddCustomResource(d.dir.File("project/Greeting.res"));
    s.SelectLanguage(kGerman);
  }
  TModuleHelper& Main() { return *d.Form("Main.dfm"); }
  const std::string& Caption() { return d.Value("Main.dfm", "btnOpen.Caption").TranslatedValue; }
  TVersionInfoLabel& Company() { return *d.project.VersionInfo.Find("CompanyName"); }
  TCustomResource& Greeting() { return *d.project.CustomResources.Items[0]; }
};

TEST_F(SessionUndo, EveryKindOfEntryIsUndoneAndRedoneInOrder) {
  s.SetTranslationOf(Main(), "btnOpen.Caption", "\xD6" "ffnen");
  s.SetTranslationOf(d.String("Texts_SReady"), "Bereit");
  s.SetTranslationOf(Company(), "Firma");
  s.SetTranslationOf(Greeting(), "GreetingDE.res");
  s.SetTranslation("Main.dfm:btnOpen.Caption", "\xD6" "ffnen...");
  s.SetTranslation("@Texts_SReady", "Bereit");  // no change, no step

  // Caption, resource string, version key, custom resource.
  using State = std::array<std::string, 4>;
  auto now = [&] {
    return State{Caption(), d.String("Texts_SReady").TranslatedValue, Company().Translation, Greeting().TranslatedFile};
  };
  const std::string greeting = Greeting().FileName;
  const State states[] = {
      {"&Open...", "Ready", Company().Value, greeting},
      {"\xD6" "ffnen", "Ready", Company().Value, greeting},
      {"\xD6" "ffnen", "Bereit", Company().Value, greeting},
      {"\xD6" "ffnen", "Bereit", "Firma", greeting},
      {"\xD6" "ffnen", "Bereit", "Firma", "GreetingDE.res"},
      {"\xD6" "ffnen...", "Bereit", "Firma", "GreetingDE.res"},
  };
  for (int i = 4; i >= 0; --i) {
    ASSERT_TRUE(s.Undo());
    EXPECT_EQ(now(), states[i]) << "undo to " << i;
  }
  EXPECT_FALSE(s.CanUndo());
  EXPECT_FALSE(s.Undo());
  for (int i = 1; i <= 5; ++i) {
    ASSERT_TRUE(s.Redo());
    EXPECT_EQ(now(), states[i]) << "redo to " << i;
  }
  EXPECT_FALSE(s.Redo());
  s.Undo();
  s.SetTranslation("#CompanyName", "Beispiel");
  EXPECT_FALSE(s.CanRedo()) << "a new change ends what could be redone";
}

TEST_F(SessionUndo, RefusedTextsAndInternationalizeModeRecordNothing) {
  EXPECT_THROW(s.SetTranslationOf(Main(), "btnOpen.Left", "8 Visible = False"), ETranslationError);
  EXPECT_THROW(s.SetTranslationOf(Main(), "btnNope.Caption", "x"), ETranslationError);
  EXPECT_FALSE(s.CanUndo());
  s.SelectLanguage(-1);
  EXPECT_EQ(test::Thrown<ETranslationError>([&] { s.SetTranslation("@Texts_SReady", "Bereit"); }),
            "No language is selected: translations belong to a language, so select one before changing them.");
  EXPECT_FALSE(d.String("Texts_SReady").IsTranslated());
  EXPECT_FALSE(s.CanUndo());
}

// Undoing goes through the edit path: the form becomes current and is
// stored with its undone state.
// A wide string (a later Delphi's text form) whose original holds a
// character the language's code page shows as "?" refuses a translation
// with "?", naming the property and the character; any other translation
// is taken, in every language.
TEST(SessionWideStrings, AnOriginalsCharacterTheCodePageLacksNeverBecomesAQuestionMark) {
  test::TDemoSession d;
  test::WriteFile(d.dir.File("project/Main.dfm"),
            "object frmMain: TfrmMain\r\n  Caption = #08594' Next'\r\n  Hint = #01055#01088#01080\r\nend\r\n");
  TTranslationSession& s = *d.session;
  s.OpenProject(d.Dpr());
  d.project.AddLanguage(kGerman);
  d.project.AddLanguage(0x0419);
  s.SelectLanguage(kGerman);
  EXPECT_EQ(test::Thrown<ETranslationError>([&] { s.SetTranslation("Main.dfm:frmMain.Caption", "? Weiter"); }),
            "Main.dfm:frmMain.Caption: the original holds the character U+2192, which code page 1252 cannot hold and "
            "shows as \"?\"; a translation with \"?\" would put a question mark in its place, so it is refused and "
            "the original kept.");
  EXPECT_FALSE(d.Value("Main.dfm", "frmMain.Caption").IsTranslated());
  s.SetTranslation("Main.dfm:frmMain.Hint", "Bei");
  EXPECT_TRUE(d.Value("Main.dfm", "frmMain.Hint").IsTranslated());
  const std::string trx = d.dir.File("de.trx");
  test::WriteFile(trx, "[EXCHANGE-FILE-HEADER]\r\nVersion=3.10BETA\r\n\r\n[Main.dfm]\r\n"
                       "frmMain.Caption\t\"? Next\"\t\"? Weiter\"\r\n\r\n");
  d.ui.answers = {TAnswer::Ok};
  EXPECT_EQ(s.ReadExchangeFile(trx), 0) << "an exchange file is refused it too";
  ASSERT_EQ(d.ui.questions.size(), 1u);
  EXPECT_NE(d.ui.questions[0].find("U+2192"), std::string::npos) << d.ui.questions[0];
  s.SelectLanguage(0x0419);
  s.SetTranslation("Main.dfm:frmMain.Hint", "\xCF\xEE");
  EXPECT_EQ(d.Value("Main.dfm", "frmMain.Hint").TranslatedValue, "\xCF\xEE");
}

TEST_F(SessionUndo, EachLanguageKeepsItsOwnHistoryAndUndoneFormsAreStored) {
  s.SelectForm(&Main());
  s.SetTranslation("About.dfm:frmAbout.Caption", "\xDC" "ber");
  EXPECT_EQ(s.CurrentForm(), d.Form("About.dfm")) << "editing a value makes its form current";
  s.SetTranslation("Main.dfm:frmMain.Caption", "Vorf\xFChrung");
  s.SelectLanguage(kFrench);
  EXPECT_FALSE(s.CanUndo()) << "German changes are not French ones";
  s.SetTranslation("@Texts_SReady", "Pr\xEAt");
  ASSERT_TRUE(s.Undo());
  EXPECT_FALSE(d.String("Texts_SReady").IsTranslated());
  EXPECT_FALSE(s.CanUndo());

  s.SelectLanguage(kGerman);
  ASSERT_TRUE(s.CanUndo());
  ASSERT_TRUE(s.Undo());
  ASSERT_TRUE(s.Undo());
  EXPECT_EQ(s.CurrentForm(), d.Form("About.dfm")) << "undone where it was made";
  s.SaveProject();
  EXPECT_EQ(ReadFileBytes(d.dir.File("project/DEU/About.TRD")), test::Trd({}));
  EXPECT_TRUE(s.CanRedo()) << "saving keeps the history";
  ASSERT_TRUE(s.Redo());
  EXPECT_EQ(d.Value("About.dfm", "frmAbout.Caption").TranslatedValue, "\xDC" "ber");
}

TEST_F(SessionUndo, AGroupIsOneStepAndAReplaceAllIsOneGroup) {
  {
    TUndoGroup group(s);
    s.SetTranslation("@Texts_SReady", "Bereit");
    {
      TUndoGroup inner(s);
      s.SetTranslation("@Texts_SReady", "Fertig");
      s.SetTranslation("#CompanyName", "Firma");
    }
    EXPECT_FALSE(s.Undo()) << "nothing is undone while a group is open";
  }
  {
    TUndoGroup empty(s);
  }
  ASSERT_TRUE(s.Undo());
  EXPECT_FALSE(d.String("Texts_SReady").IsTranslated()) << "one entry changed twice in the step";
  EXPECT_FALSE(Company().IsTranslated());
  EXPECT_FALSE(s.CanUndo());

  std::vector<std::string> paths;
  Main().Root->EnumeratePropertyPaths(paths);
  TSearchSettings settings;
  settings.Confirm(true, "&Open", "\xD6&ffnen", kSearchReplaceAll, 7);
  {
    TUndoGroup group(s);
    ReplaceRows(
        settings, static_cast<int>(paths.size()), -1,
        [&](int row) { return TSearchRow{paths[row], "", d.Value("Main.dfm", paths[row]).TranslatedValue}; },
        [&](int row, const std::string& text) { s.SetTranslationOf(Main(), paths[row], text); }, d.ui);
  }
  EXPECT_EQ(Caption(), "\xD6&ffnen...");
  EXPECT_EQ(d.Value("Main.dfm", "mnuFileOpen.Caption").TranslatedValue, "\xD6&ffnen...");
  ASSERT_TRUE(s.Undo());
  EXPECT_EQ(Caption(), "&Open...");
  EXPECT_EQ(d.Value("Main.dfm", "mnuFileOpen.Caption").TranslatedValue, "&Open...");
  EXPECT_FALSE(s.CanUndo());
}

TEST_F(SessionUndo, StepsThatCanNoLongerBeAppliedAreDroppedWithAReason) {
  s.SetTranslation("@Texts_SReady", "Bereit");
  s.SetTranslation("#CompanyName", "Firma");
  Company().Translation = "Andere";  // changed behind the session's back
  EXPECT_EQ(test::Thrown<ETranslationError>([&] { s.Undo(); }),
            "This change cannot be undone: the translation of CompanyName was changed since by other means.");
  EXPECT_EQ(Company().Translation, "Andere");
  ASSERT_TRUE(s.Undo()) << "the step before is still there";
  EXPECT_FALSE(d.String("Texts_SReady").IsTranslated());

  s.SetTranslation("About.dfm:frmAbout.Caption", "\xDC" "ber");
  s.RemoveForm(d.ListName("About.dfm"));
  EXPECT_THROW(s.Undo(), ETranslationError);
  EXPECT_FALSE(s.CanUndo());
  EXPECT_FALSE(s.CanRedo());
}

TEST_F(SessionUndo, ResetIsRecordedAndClosingTheProjectForgetsEverything) {
  d.String("Texts_SReady").TranslatedValue = "Bereit";
  d.String("Texts_SReady").FromDictionary = 1;
  s.ResetTranslation("@Texts_SReady");
  EXPECT_FALSE(d.String("Texts_SReady").IsTranslated());
  EXPECT_FALSE(d.String("Texts_SReady").FromDictionary);
  s.SetTranslation("Main.dfm:btnOpen.Caption", "x");
  s.ResetTranslation("Main.dfm:btnOpen.Caption");
  s.ResetTranslation("*Greeting.res");
  ASSERT_TRUE(s.Undo());
  EXPECT_EQ(Caption(), "x");
  ASSERT_TRUE(s.Undo());
  ASSERT_TRUE(s.Undo());
  EXPECT_EQ(d.String("Texts_SReady").TranslatedValue, "Bereit");

  s.CloseProject();
  s.OpenProject(d.Dpr());
  s.SelectLanguage(kGerman);
  EXPECT_FALSE(s.CanUndo());
  EXPECT_FALSE(s.CanRedo());
}

using test::Trd;

void WriteForm(const std::string& file, const std::string& object) {
  ForceDirectories(ExtractFileDir(file));
  test::WriteFile(file, TextToResource("object " + object + ": T" + object + "\r\n  Caption = '" + object +
                                       "'\r\n  Hint = 'hint'\r\nend\r\n"));
}

// Opens the project itself, after writing the files it needs.
class SessionStructure : public SessionDemo {
protected:
  void SetUp() override {}
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

TEST_F(SessionDemo, RemovingFormsStoresThemFirstAndLeavesNothingBehind) {
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

TEST_F(SessionDemo, RemovingTheCurrentLanguageStoresItFirst) {
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
TEST_F(SessionDemo, TranslationsReadFromAnExchangeFileSurviveChoosingForms) {
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


const std::string kOld(60000, 'o');
const std::string kNew(90000, 'n');

void SetTexts(test::TDemoSession& d, const std::string& text) {
  d.Value("Main.dfm", "frmMain.Caption").TranslatedValue = text;
  d.Value("About.dfm", "frmAbout.Caption").TranslatedValue = text;
  d.String("Texts_SReady").TranslatedValue = text;
  d.project.VersionInfo.Find("CompanyName")->Translation = text;
}

bool OldOrNew(const std::string& text) { return text == kOld || text == kNew; }

TEST_F(SessionDemo, KillDuringSaveLeavesTheOldOrTheNewFiles) {
  d.project.AddLanguage(kGerman);
  s.SelectLanguage(kGerman);
  s.SelectForm(d.Form("Main.dfm"));
  SetTexts(d, kOld);
  s.SaveProject();

  std::mt19937 random(7);
  constexpr int kKills = 60;
  for (int round = 0; round < kKills; ++round) {
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      try {
        for (int i = 0;; ++i) {
          SetTexts(d, i % 2 ? kOld : kNew);
          s.SaveProject();
        }
      } catch (...) {
      }
      _exit(3);
    }
    std::this_thread::sleep_for(std::chrono::microseconds(std::uniform_int_distribution<int>(0, 40000)(random)));
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the saving child stopped by itself in round " << round;

    // Read back through the readers, into the parent's model.
    for (const char* form : {"Main.dfm", "About.dfm"}) {
      TModuleHelper& module = *d.Form(form);
      ASSERT_NO_THROW(LoadFormTranslations(d.project, *module.Root, s.FormTranslationFileName(module))) << form;
    }
    ASSERT_NO_THROW(LoadResourceStringTranslations(d.project, d.project.ResourceStrings, s.ResourceStringFileName(),
                                                   kGerman, nullptr));
    ASSERT_NO_THROW(LoadVersionInfoTranslations(d.project, d.project.VersionInfo, kGerman));
    EXPECT_TRUE(OldOrNew(d.Value("Main.dfm", "frmMain.Caption").TranslatedValue)) << round;
    EXPECT_TRUE(OldOrNew(d.Value("About.dfm", "frmAbout.Caption").TranslatedValue)) << round;
    EXPECT_TRUE(OldOrNew(d.String("Texts_SReady").TranslatedValue)) << round;
    EXPECT_TRUE(OldOrNew(d.project.VersionInfo.Find("CompanyName")->Translation)) << round;
    TProjectData settings(d.registry, d.ui, TSystemCodePages{1252, 850, 10000});
    ASSERT_NO_THROW(settings.Open(d.Dpr())) << round;
    EXPECT_TRUE(settings.HasLanguage(kGerman)) << round;
  }
  // Temporary files left by a kill show that kills landed inside writes.
  int temporaries = 0;
  for (const auto& entry : std::filesystem::directory_iterator(d.dir.File("project/DEU")))
    temporaries += entry.path().filename().string().rfind(".", 0) == 0;
  RecordProperty("temporary_files_left_by_kills", temporaries);
}

}  // namespace
}  // namespace kst
