// The session's sequences on the demo project: languages kept apart, the
// files on disk byte for byte, the open/save/close prompts, the dictionary
// fed in one save, the automatic-translation walk, and undo and redo of
// every kind of entry, by steps and groups, per language.
#include "session/translation_session.h"

#include <gtest/gtest.h>
#include <array>
#include <filesystem>

#include "dictionary/auto_translate.h"
#include "formmodel/form_errors.h"
#include "session/search.h"
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

// Entries are addressed as both front ends show them; a number or an
// identifier is taken only as one value of its type, since the form writer
// puts it into the form as it stands.
TEST_F(SessionDemo, TranslationsAreSetByKeyAndCheckedAgainstTheirType) {
  s.SelectLanguage(kGerman);
  s.SetTranslation("@Texts_SReady", "Bereit");
  s.SetTranslation("#CompanyName", "Firma");
  s.SetTranslation("Main.dfm:btnOpen.Caption", "\xD6&ffnen...");
  s.SetTranslation("Main.dfm:btnOpen.Left", "$10");
  EXPECT_EQ(s.CurrentForm(), d.Form("Main.dfm")) << "editing a value makes its form current";
  EXPECT_EQ(test::Thrown<ETranslationError>([&] { s.SetTranslation("Main.dfm:btnOpen.Left", "8 Visible = False"); }),
            "The translation of Main.dfm:btnOpen.Left must be a whole number such as 8, -12 or $FF; "
            "\"8 Visible = False\" is not one.");
  EXPECT_EQ(d.Value("Main.dfm", "btnOpen.Left").TranslatedValue, "$10") << "a refused text changes nothing";
  for (const char* key : {"@Nope", "#Nope", "Main.dfm:Nope.Caption", "Nope.dfm:btnOpen.Caption", "Main.dfm:x.Items5"})
    EXPECT_THROW(s.SetTranslation(key, "x"), ETranslationError) << key;

  std::vector<std::string> translated;
  s.ForEachEntry([&](const TSessionEntry& e) {
    if (e.IsTranslated()) translated.push_back(e.key);
  });
  EXPECT_EQ(translated, (std::vector<std::string>{"@Texts_SReady", "#CompanyName", "Main.dfm:btnOpen.Left",
                                                  "Main.dfm:btnOpen.Caption"}));
  s.SaveProject();
  s.SelectLanguage(-1);
  s.SelectLanguage(kGerman);
  EXPECT_EQ(d.Value("Main.dfm", "btnOpen.Caption").TranslatedValue, "\xD6&ffnen...");
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
TEST_F(SessionUndo, EachLanguageKeepsItsOwnHistoryAndUndoneFormsAreStored) {
  s.SelectForm(&Main());
  s.SetTranslation("About.dfm:frmAbout.Caption", "\xDC" "ber");
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

}  // namespace
}  // namespace kst
