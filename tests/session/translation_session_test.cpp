// The session's sequences on the demo project: languages kept apart, the
// files on disk byte for byte, the open/save/close prompts, the dictionary
// fed in one save, and the automatic-translation walk.
#include "session/translation_session.h"

#include <gtest/gtest.h>
#include <filesystem>

#include "dictionary/auto_translate.h"
#include "formmodel/form_errors.h"
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

TEST(SessionDemo, SwitchingLanguagesKeepsEachLanguagesTranslationsApart) {
  test::TDemoSession d;
  TTranslationSession& s = *d.session;
  s.OpenProject(d.Dpr());
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

TEST(SessionDemo, SaveStoresTheCurrentFormAndLanguageAndTheSettings) {
  test::TDemoSession d;
  TTranslationSession& s = *d.session;
  s.OpenProject(d.Dpr());
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

TEST(SessionDemo, OpeningAnotherProjectAsksFirstAndCancelChangesNothing) {
  test::TDemoSession d;
  TTranslationSession& s = *d.session;
  s.OpenProject(d.Dpr());
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

TEST(SessionDemo, AFileThatCannotBeReadIsNeverOverwrittenWithAnotherLanguagesTexts) {
  test::TDemoSession d;
  TTranslationSession& s = *d.session;
  s.OpenProject(d.Dpr());
  s.SelectLanguage(kFrench);
  s.SelectForm(d.Form("Main.dfm"));
  d.Value("Main.dfm", "frmMain.Caption").TranslatedValue = "D\xE9monstration";
  d.String("Texts_SReady").TranslatedValue = "Pr\xEAt";
  const std::string deu = d.dir.File("project/DEU/");
  ForceDirectories(deu);
  const std::string broken = ShortStr("TRD301") + '\x01' + ShortStr("frmMain.Caption") + "\x0C\xFF\xFF";
  test::WriteFile(deu + "Main.TRD", broken);
  test::WriteFile(deu + "Demo.TRS", ShortStr("TRS301") + '\x01' + ShortStr("Texts_SReady") + ShortStr("Bereit") + '\0');
  try {
    s.SelectLanguage(kGerman);
    FAIL();
  } catch (const EReadError& e) {
    EXPECT_STREQ(e.what(), "Stream read error");
  }
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
TEST(SessionDemo, TranslationsAreSetByKeyAndCheckedAgainstTheirType) {
  test::TDemoSession d;
  TTranslationSession& s = *d.session;
  s.OpenProject(d.Dpr());
  s.SelectLanguage(kGerman);
  s.SetTranslation("@Texts_SReady", "Bereit");
  s.SetTranslation("#CompanyName", "Firma");
  s.SetTranslation("Main.dfm:btnOpen.Caption", "\xD6&ffnen...");
  s.SetTranslation("Main.dfm:btnOpen.Left", "$10");
  EXPECT_EQ(s.CurrentForm(), d.Form("Main.dfm")) << "editing a value makes its form current";
  try {
    s.SetTranslation("Main.dfm:btnOpen.Left", "8 Visible = False");
    FAIL();
  } catch (const ETranslationError& e) {
    EXPECT_STREQ(e.what(),
                 "The translation of Main.dfm:btnOpen.Left must be a whole number such as 8, -12 or $FF; "
                 "\"8 Visible = False\" is not one.");
  }
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

TEST(SessionDictionary, OneSaveFeedsEveryPairAndTooLongTextsAreCountedNotFatal) {
  test::TDemoSession d(true);
  TTranslationSession& s = *d.session;
  s.OpenProject(d.Dpr());
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

TEST(SessionDictionary, AutomaticWalkOffersOnlyUntranslatedEntriesAndStopsOnCancel) {
  test::TDemoSession d(true);
  TTranslationSession& s = *d.session;
  s.OpenProject(d.Dpr());
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

}  // namespace
}  // namespace kst
