// The session's sequences on the demo project: languages kept apart and
// stored byte for byte, the open/save/close prompts, the dictionary fed in
// one save, the automatic walk, undo and redo per language, the project's
// structure changed under a language, module groups, and a save killed at
// random moments.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <random>
#include <thread>

#include "dictionary/auto_translate.h"
#include "formmodel/form_conversion.h"
#include "formmodel/form_errors.h"
#include "formmodel/user_defined.h"
#include "platform/same_text.h"
#include "storage/translation_files.h"
#include "support/demo_session.h"

namespace kst {
namespace {

using test::kFrench;
using test::kGerman;
using test::ShortStr;
using test::Trd;
using TTexts = std::vector<std::string>;

// Two forms' captions, a resource string and a version key.
const TTexts kKeys = {"Main.dfm:frmMain.Caption", "About.dfm:frmAbout.Caption", "@Texts_SReady", "#CompanyName"};

class SessionDemo : public testing::Test {
protected:
  explicit SessionDemo(bool withDictionary = false) : d(withDictionary) {}
  void SetUp() override { s.OpenProject(d.Dpr()); }
  test::TDemoSession d;
  TTranslationSession& s = *d.session;
  std::string Project(const std::string& name) const { return d.dir.File("project/" + name); }
  bool FileHolds(const std::string& name, const std::string& text) {
    return ReadFileBytes(Project(name)).find(text) != std::string::npos;
  }
  // A translation in the model, by the session's key ("*File" a custom resource).
  std::string& T(const std::string& key) {
    const std::string name = key.substr(1);
    if (key[0] == '@') return d.String(name).TranslatedValue;
    if (key[0] == '#') return d.project.VersionInfo.Find(name)->Translation;
    if (key[0] == '*') return d.project.FindCustomResource(name)->TranslatedFile;
    return d.Value(key.substr(0, key.find(':')), key.substr(key.find(':') + 1)).TranslatedValue;
  }
  TTexts Texts(const TTexts& keys) {
    TTexts texts;
    for (const std::string& key : keys) texts.push_back(T(key));
    return texts;
  }
  void Set(const TTexts& keys, const TTexts& texts) {
    for (size_t i = 0; i < keys.size(); ++i) T(keys[i]) = texts[i];
  }
};

TEST_F(SessionDemo, SwitchingLanguagesKeepsEachLanguagesTranslationsApart) {
  s.SelectLanguage(kGerman);
  s.SelectForm(d.Form("Main.dfm"));
  const TTexts original = Texts(kKeys), german = {"Kestrin-Vorf\xFChrung", "\xDC" "ber", "Bereit", "Beispielfirma"};
  const TTexts french = {"D\xE9monstration", original[1], "Pr\xEAt", original[3]};
  Set(kKeys, german);
  s.SelectLanguage(kFrench);
  EXPECT_EQ(Texts(kKeys), original);
  EXPECT_EQ(s.CurrentForm(), d.Form("Main.dfm")) << "the form stays selected";
  Set(kKeys, french);
  s.SelectLanguage(kGerman);
  EXPECT_EQ(Texts(kKeys), german);
  s.SelectLanguage(kFrench);
  EXPECT_EQ(Texts(kKeys), french);
  for (const char* file : {"DEU/Main.TRD", "DEU/About.TRD", "DEU/Demo.TRS", "DEU/Demo.TRD", "FRA/Main.TRD", "FRA/Demo.TRS"})
    test::ExpectGolden(test::TestDataDir() + "/session/languages/" + file, ReadFileBytes(Project(file)));
  EXPECT_FALSE(FileExists(Project("FRA/About.TRD"))) << "a form never changed in French is not written";
  EXPECT_TRUE(d.ui.warnings.empty());

  // A file that cannot be read stops the switch; the rest, still French, is never stored as German.
  const std::string broken = ShortStr("TRD301") + '\x01' + ShortStr("frmMain.Caption") + "\x0C\xFF\xFF";
  test::WriteFile(Project("DEU/Main.TRD"), broken);
  EXPECT_EQ(test::Thrown<EReadError>([&] { s.SelectLanguage(kGerman); }), "Stream read error");
  EXPECT_EQ(s.CurrentLanguage(), kGerman);
  s.SelectLanguage(kFrench);
  EXPECT_EQ(ReadFileBytes(Project("DEU/Main.TRD")), broken);
  EXPECT_TRUE(FileHolds("DEU/About.TRD", "\xDC" "ber") && FileHolds("DEU/Demo.TRS", "Bereit"));
  EXPECT_EQ(Texts(kKeys), french);
}

TEST_F(SessionDemo, SaveKeepsTheSelectionAndOpeningAnotherProjectAsksFirst) {
  s.SelectLanguage(0);
  s.SelectForm(d.Form("Main.dfm"));
  s.SelectLanguage(kGerman);
  EXPECT_FALSE(std::filesystem::exists(Project("ENU"))) << "Internationalize mode (0) stores no language";
  d.project.AddLanguage(kGerman);
  s.SetTranslation(kKeys[0], "Vorf\xFChrung");
  s.SaveProject();
  EXPECT_EQ(s.CurrentLanguage(), kGerman);
  EXPECT_EQ(s.CurrentForm(), d.Form("Main.dfm"));
  EXPECT_EQ(T(kKeys[0]), "Vorf\xFChrung") << "loaded again";

  T("@Texts_SReady") = "Bereit";
  d.project.AddLanguage(kFrench);
  d.ui.answers = {TAnswer::Cancel, TAnswer::No};
  EXPECT_FALSE(s.OpenProject(d.Dpr()));
  EXPECT_EQ(d.ui.questions, TTexts{"Do you want to save the project settings?"});
  EXPECT_EQ(s.CurrentLanguage(), kGerman);
  EXPECT_EQ(T("@Texts_SReady"), "Bereit");
  // No: the settings stay unsaved, but leaving the language stored its texts, as every switch does.
  EXPECT_TRUE(s.OpenProject(d.Dpr()));
  EXPECT_EQ(s.CurrentLanguage(), -1);
  EXPECT_EQ(test::Thrown<ETranslationError>([&] { s.SetTranslation("@Texts_SReady", "Fertig"); }),
            "No language is selected: translations belong to a language, so select one before changing them.");
  EXPECT_TRUE(d.project.HasLanguage(kGerman));
  EXPECT_FALSE(d.project.HasLanguage(kFrench));
  s.SelectLanguage(kGerman);
  EXPECT_EQ(Texts({kKeys[0], "@Texts_SReady"}), (TTexts{"Vorf\xFChrung", "Bereit"}));
  EXPECT_FALSE(s.CanUndo()) << "closing the project forgets the history";
  s.CloseProject();
  EXPECT_FALSE(s.IsProjectOpen());
  EXPECT_EQ(s.CurrentForm(), nullptr);
}

class SessionDictionary : public SessionDemo {
protected:
  SessionDictionary() : SessionDemo(true) {}
};

TEST_F(SessionDictionary, OneSaveFeedsEveryPairAndTooLongTextsAreCountedNotFatal) {
  s.SelectLanguage(kGerman);
  s.SelectForm(d.Form("Main.dfm"));
  const std::string stored600(200, '\x01');  // each stored as three characters
  Set({kKeys[0], "@Texts_SReady", "@Texts_SSaveChanges"}, {"Vorf\xFChrung", "Bereit", stored600});
  s.SaveProject();
  EXPECT_EQ(s.LastFeedReport().added, 2);
  EXPECT_EQ(s.LastFeedReport().tooLong, 1);
  EXPECT_EQ(s.LastFeedReport().tooLongSources, TTexts{"Save changes to %s?"});
  EXPECT_EQ(T("@Texts_SSaveChanges"), stored600) << "the file still has it";
  TTexts known;
  d.history->GetKnownTranslations("Kestrin Demo", 0x0C07, known);
  EXPECT_EQ(known, TTexts{"Vorf\xFChrung"});
  d.history->GetKnownTranslations("ready", kGerman, known);
  EXPECT_EQ(known, TTexts{"Bereit"});
}

// Takes the first candidate with "!" on Yes; answers Ignore when out of answers.
class ScriptedDialog : public TAutoTranslateDialog {
public:
  std::vector<TAnswer> answers;
  TTexts originals;
  TAnswer Execute(const std::string& original, const std::vector<TAutoTranslateCandidate>& candidates,
                  std::string& translation) override {
    originals.push_back(original);
    TAnswer a = answers.empty() ? TAnswer::Ignore : answers.front();
    if (!answers.empty()) answers.erase(answers.begin());
    if (a == TAnswer::Yes) translation = candidates.front().text + "!";
    return a;
  }
};

TEST_F(SessionDictionary, AutomaticWalkOffersOnlyUntranslatedEntriesAndStopsOnCancel) {
  const std::pair<const char*, const char*> known[] = {{"Ready", "Bereit"}, {"File %s was not found.", "Datei %s fehlt."},
      {"Save changes to %s?", "Speichern?"}, {"&Items:", "&Eintr\xE4ge:"}, {"Kestrin Demo", "Vorf\xFChrung"}};
  for (const auto& [original, translation] : known) d.history->AddTranslation(original, translation, kGerman);
  ScriptedDialog dialog;
  dialog.answers = {TAnswer::Yes};
  EXPECT_EQ(s.AutoTranslateResourceStrings(dialog), 0) << "no language: nothing";
  s.SelectLanguage(kGerman);
  T("@Texts_SSaveChanges") = "Sichern?";
  dialog.answers = {TAnswer::Ignore, TAnswer::Cancel, TAnswer::Yes};
  EXPECT_EQ(s.AutoTranslateResourceStrings(dialog), 0);
  EXPECT_EQ(dialog.originals, (TTexts{"File %s was not found.", "Ready"}));
  dialog.answers = {TAnswer::Yes, TAnswer::Yes};
  EXPECT_EQ(s.AutoTranslateResourceStrings(dialog), 2);
  EXPECT_EQ(Texts({"@Texts_SReady", "@Texts_SSaveChanges"}), (TTexts{"Bereit!", "Sichern?"}))
      << "translated entries are never offered";
  dialog.answers = {TAnswer::Yes, TAnswer::Yes};
  EXPECT_EQ(s.AutoTranslateForm(dialog), 0) << "no form selected";
  s.SelectForm(d.Form("Main.dfm"));
  EXPECT_EQ(s.AutoTranslateForm(dialog, kFilterStrings), 2);
  EXPECT_EQ(Texts({kKeys[0], "Main.dfm:lblItems.Caption"}), (TTexts{"Vorf\xFChrung!", "&Eintr\xE4ge:!"}));
}

// A wide string (a later Delphi's text form) whose original holds a
// character the language's code page shows as "?" refuses a translation
// with "?" (the session-wide-strings case of tests/cli); so does an exchange file.
TEST(SessionWideStrings, AnExchangeFileCannotPutAQuestionMarkForAnOriginalsCharacter) {
  test::TDemoSession d;
  test::WriteFile(d.dir.File("project/Main.dfm"), "object frmMain: TfrmMain\r\n  Caption = #08594' Next'\r\nend\r\n");
  d.session->OpenProject(d.Dpr());
  d.session->SelectLanguage(kGerman);
  const std::string trx = d.dir.File("de.trx");
  test::WriteFile(trx, "[EXCHANGE-FILE-HEADER]\r\nVersion=3.10BETA\r\n\r\n[Main.dfm]\r\n"
                       "frmMain.Caption\t\"? Next\"\t\"? Weiter\"\r\n\r\n");
  d.ui.answers = {TAnswer::Ok};
  EXPECT_EQ(d.session->ReadExchangeFile(trx), 0);
  ASSERT_EQ(d.ui.questions.size(), 1u);
  EXPECT_NE(d.ui.questions[0].find("U+2192"), std::string::npos) << d.ui.questions[0];
  EXPECT_FALSE(d.Value("Main.dfm", "frmMain.Caption").IsTranslated());
}

class SessionUndo : public SessionDemo {
protected:
  void SetUp() override {
    SessionDemo::SetUp();
    s.AddCustomResource(Project("Greeting.res"));
    s.SelectLanguage(kGerman);
  }
  TModuleHelper& Main() { return *d.Form("Main.dfm"); }
};

TEST_F(SessionUndo, EveryKindOfEntryIsUndoneAndRedoneInOrderAndRefusedTextsRecordNothing) {
  EXPECT_THROW(s.SetTranslationOf(Main(), "btnOpen.Left", "8 Visible = False"), ETranslationError);
  EXPECT_THROW(s.SetTranslationOf(Main(), "btnNope.Caption", "x"), ETranslationError);
  const TTexts keys = {"Main.dfm:btnOpen.Caption", "@Texts_SReady", "#CompanyName", "*Greeting.res"};
  std::vector<TTexts> states = {Texts(keys)};
  auto then = [&](const std::function<void()>& change) {
    change();
    states.push_back(Texts(keys));
  };
  then([&] { s.SetTranslationOf(Main(), "btnOpen.Caption", "\xD6" "ffnen"); });
  then([&] { s.SetTranslationOf(d.String("Texts_SReady"), "Bereit"); });
  then([&] { s.SetTranslationOf(*d.project.VersionInfo.Find("CompanyName"), "Firma"); });
  then([&] { s.SetTranslationOf(*d.project.CustomResources.Items[0], "GreetingDE.res"); });
  then([&] { s.SetTranslation("Main.dfm:btnOpen.Caption", "\xD6" "ffnen..."); });
  s.SetTranslation("@Texts_SReady", "Bereit");  // no change, no step
  EXPECT_EQ(states.back(), (TTexts{"\xD6" "ffnen...", "Bereit", "Firma", "GreetingDE.res"}));
  for (int i = 4; i >= 0; --i) {
    ASSERT_TRUE(s.Undo());
    EXPECT_EQ(Texts(keys), states[i]) << "undo to " << i;
  }
  EXPECT_FALSE(s.Undo());
  for (int i = 1; i <= 5; ++i) {
    ASSERT_TRUE(s.Redo());
    EXPECT_EQ(Texts(keys), states[i]) << "redo to " << i;
  }
  EXPECT_FALSE(s.Redo());
  s.Undo();
  s.SetTranslation("#CompanyName", "Beispiel");
  EXPECT_FALSE(s.CanRedo()) << "a new change ends what could be redone";
}

TEST_F(SessionUndo, EachLanguageKeepsItsOwnHistoryAndUndoneFormsAreStored) {
  s.SelectForm(&Main());
  s.SetTranslation("About.dfm:frmAbout.Caption", "\xDC" "ber");
  EXPECT_EQ(s.CurrentForm(), d.Form("About.dfm")) << "editing a value makes its form current";
  s.SetTranslation(kKeys[0], "Vorf\xFChrung");
  s.SelectLanguage(kFrench);
  EXPECT_FALSE(s.CanUndo()) << "German changes are not French ones";
  s.SetTranslation("@Texts_SReady", "Pr\xEAt");
  ASSERT_TRUE(s.Undo());
  EXPECT_EQ(T("@Texts_SReady"), "Ready");
  EXPECT_FALSE(s.CanUndo());

  s.SelectLanguage(kGerman);
  ASSERT_TRUE(s.Undo());
  ASSERT_TRUE(s.Undo());
  EXPECT_EQ(s.CurrentForm(), d.Form("About.dfm")) << "undone where it was made";
  s.SaveProject();
  EXPECT_EQ(ReadFileBytes(Project("DEU/About.TRD")), Trd({}));
  ASSERT_TRUE(s.Redo()) << "saving keeps the history";
  EXPECT_EQ(T("About.dfm:frmAbout.Caption"), "\xDC" "ber");
}

TEST_F(SessionUndo, AGroupIsOneStepAndAStepThatCanNoLongerBeAppliedIsDropped) {
  {
    TUndoGroup group(s);
    s.SetTranslation("@Texts_SReady", "Bereit");
    {
      TUndoGroup inner(s);
      s.SetTranslation("@Texts_SReady", "Fertig");
      s.SetTranslationOf(Main(), "btnOpen.Caption", "\xD6" "ffnen");
    }
    EXPECT_FALSE(s.Undo()) << "nothing is undone while a group is open";
  }
  {
    TUndoGroup empty(s);
  }
  ASSERT_TRUE(s.Undo());
  EXPECT_EQ(Texts({"@Texts_SReady", "Main.dfm:btnOpen.Caption"}), (TTexts{"Ready", "&Open..."}));
  EXPECT_FALSE(s.CanUndo());

  // Steps that can no longer be applied are dropped with the reason.
  s.SetTranslation("@Texts_SReady", "Bereit");
  s.SetTranslation("#CompanyName", "Firma");
  T("#CompanyName") = "Andere";  // changed behind the session's back
  EXPECT_EQ(test::Thrown<ETranslationError>([&] { s.Undo(); }),
            "This change cannot be undone: the translation of CompanyName was changed since by other means.");
  EXPECT_EQ(T("#CompanyName"), "Andere");
  ASSERT_TRUE(s.Undo()) << "the step before is still there";
  EXPECT_EQ(T("@Texts_SReady"), "Ready");

  s.SetTranslation("About.dfm:frmAbout.Caption", "\xDC" "ber");
  s.RemoveForm(d.ListName("About.dfm"));
  EXPECT_THROW(s.Undo(), ETranslationError);
  EXPECT_FALSE(s.CanUndo());
  EXPECT_FALSE(s.CanRedo());
}

TEST_F(SessionUndo, ResetIsRecorded) {
  T("@Texts_SReady") = "Bereit";
  d.String("Texts_SReady").FromDictionary = 1;
  s.ResetTranslation("@Texts_SReady");
  EXPECT_EQ(T("@Texts_SReady"), "Ready");
  EXPECT_FALSE(d.String("Texts_SReady").FromDictionary);
  s.SetTranslation("Main.dfm:btnOpen.Caption", "x");
  s.ResetTranslation("Main.dfm:btnOpen.Caption");
  s.ResetTranslation("*Greeting.res");
  ASSERT_TRUE(s.Undo());
  EXPECT_EQ(T("Main.dfm:btnOpen.Caption"), "x");
  ASSERT_TRUE(s.Undo());
  ASSERT_TRUE(s.Undo());
  EXPECT_EQ(T("@Texts_SReady"), "Bereit");
}

void WriteForm(const std::string& file, const std::string& object) {
  test::WriteFile(file, TextToResource("object " + object + ": T" + object + "\r\n  Caption = '" + object +
                                       "'\r\n  Hint = 'hint'\r\nend\r\n"));
}

// Forms, custom resources and languages added and removed under a language;
// the test opens the project itself, after writing the files it needs.
TEST_F(SessionUndo, TheStructureChangedUnderALanguageIsLoadedAndStoredWithTheRest) {
  s.CloseProject();
  EXPECT_THROW(s.AddForm(Project("Extra.dfm")), EProjectError) << "no project open";
  WriteForm(Project("Extra.dfm"), "frmExtra");
  test::WriteFile(Project("DEU/Extra.TRD"), Trd({{"frmExtra.Caption", "Zusatz"}}));
  test::WriteFile(Project("Demo.TRI"), "[Kestrin.Translator.UserDefinedProperties]\r\nk=Extra.dfm;frmExtra;HelpKeyword;ptString\r\n");
  // A .TRR beside its resource may be shared by other projects: adding the resource keeps its entries.
  const std::string trr = Project("Greeting.TRR"), shared = "[Language.DEU]\r\nTranslatedFile=GreetingDE.res\r\n"
                                                            "[Language.FRA]\r\nTranslatedFile=GreetingFR.res\r\n";
  test::WriteFile(trr, shared);
  s.OpenProject(d.Dpr());
  s.SelectLanguage(kGerman);

  TModuleHelper* extra = s.AddForm(Project("Extra.dfm"));
  ASSERT_NE(extra, nullptr);
  EXPECT_TRUE(extra->ManuallyAdded);
  EXPECT_EQ(T("Extra.dfm:frmExtra.Caption"), "Zusatz") << "its translations are loaded";
  EXPECT_NE(extra->Root->FindProperty("frmExtra.HelpKeyword"), nullptr) << "the settings file's additions apply";
  EXPECT_EQ(s.AddForm(UpperCaseAscii("extra.dfm")), extra) << "a name already listed";
  EXPECT_EQ(s.AddForm(d.dir.File("project/../project/Extra.dfm")), extra) << "the same file written otherwise";
  test::WriteFile(Project("Broken.dfm"), "not a form");
  EXPECT_THROW(s.AddForm(Project("Broken.dfm")), EFormError);
  EXPECT_EQ(d.project.Modules.size(), 4u) << "a form that does not read adds nothing";
  TCustomResource& greeting = s.AddCustomResource(Project("Greeting.res"));
  EXPECT_EQ(greeting.TranslatedFile, "GreetingDE.res");
  EXPECT_EQ(&s.AddCustomResource("GREETING.RES"), &greeting) << "one file is one entry";

  s.SetTranslationOf(*extra, "frmExtra.Hint", "Tipp");
  s.SelectForm(nullptr);
  s.SelectLanguage(kFrench);
  EXPECT_EQ(ReadFileBytes(Project("DEU/Extra.TRD")), Trd({{"frmExtra.Caption", "Zusatz"}, {"frmExtra.Hint", "Tipp"}}));
  s.SaveProject();
  EXPECT_EQ(ReadFileBytes(trr), shared);
  TIniFile settings(Project("Demo.TRI"));
  EXPECT_EQ(settings.ReadSection(kUserDefinedSection).size(), 1u);
  EXPECT_EQ(settings.ReadString("Kestrin.Translator.Modules", "Module3", ""), Project("Extra.dfm"));

  // What is removed is stored first, the forms that are not current as well.
  s.SelectLanguage(kGerman);
  s.SetTranslation(kKeys[0], "Vorf\xFChrung");
  ASSERT_EQ(s.CurrentForm(), d.Form("Main.dfm"));
  T("About.dfm:frmAbout.Caption") = "\xDC" "ber";  // as an exchange file changes forms
  s.SetTranslationOf(greeting, "Gruss.res");
  s.RemoveForm(d.ListName("Main.dfm"));
  EXPECT_EQ(s.CurrentForm(), nullptr);
  s.RemoveForm(UpperCaseAscii(d.ListName("About.dfm")));
  s.RemoveForm("Nothing.dfm");
  s.RemoveCustomResource("greeting.res");
  s.RemoveCustomResource("greeting.res");
  EXPECT_EQ(d.project.Modules.size(), 2u);
  EXPECT_TRUE(d.project.CustomResources.Items.empty());
  EXPECT_TRUE(FileHolds("DEU/Main.TRD", "Vorf\xFChrung"));
  EXPECT_TRUE(FileHolds("DEU/About.TRD", "\xDC" "ber"));
  EXPECT_EQ(TIniFile(trr).ReadString("Language.DEU", "TranslatedFile", ""), "Gruss.res");
  EXPECT_EQ(TIniFile(trr).ReadString("Language.FRA", "TranslatedFile", ""), "GreetingFR.res");

  // Removing the current language stores it; its history goes with it.
  EXPECT_TRUE(s.AddLanguage(kGerman));
  s.SetTranslation("@Texts_SReady", "Bereit");
  s.RemoveLanguage(kGerman);
  EXPECT_EQ(s.CurrentLanguage(), -1);
  EXPECT_FALSE(d.project.HasLanguage(kGerman));
  EXPECT_TRUE(FileHolds("DEU/Demo.TRS", "Bereit"));
  s.SelectLanguage(kGerman);
  EXPECT_FALSE(s.CanUndo());
  // Nothing of the removed forms is used again (the sanitizers would see it).
  s.SelectLanguage(kFrench);
  s.SaveProject();
  EXPECT_FALSE(FileExists(Project("FRA/Main.TRD")));
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
  for (const char* form : {"About.dfm", "Main.dfm", "About.dfm"}) s.SelectForm(d.Form(form));
  EXPECT_EQ(T("About.dfm:frmAbout.Caption"), "Neu");
  s.SaveProject();
  EXPECT_EQ(T("About.dfm:frmAbout.Caption"), "Neu") << "loaded again from the file";
  EXPECT_EQ(ReadFileBytes(Project("DEU/About.TRD")), Trd({{"frmAbout.Caption", "Neu"}}));
  EXPECT_TRUE(FileHolds("DEU/Demo.TRS", "Bereit"));
  ASSERT_TRUE(s.Undo()) << "the import is one step";
  EXPECT_EQ(Texts({"About.dfm:frmAbout.Caption", "@Texts_SReady"}), (TTexts{"Alt", "Ready"}));
}

// The groups of the dictionary's configuration reach the session through the
// window's menu (tests/ui).
class ModuleGroups : public SessionDemo {
protected:
  void SetUp() override {}
  std::map<std::string, TTexts> groups;
  TModuleGroupEntries Entries() {
    return [this](const std::string& name) -> std::optional<TTexts> {
      for (const auto& [group, entries] : groups)
        if (SameText(group, name)) return entries;
      return std::nullopt;
    };
  }
};

TEST_F(ModuleGroups, NestedGroupsPatternsAndCyclesAddEveryFileOnce) {
  const std::string lib = d.dir.File("delphi/lib");
  d.registry.Directories().WriteString("DelphiRootDir", d.dir.File("delphi"));
  WriteForm(lib + "/Other.DFM", "frmOther");
  WriteForm(lib + "/dialogs.dfm", "frmDialogs");
  WriteForm(Project("extra/Extra1.dfm"), "frmExtra1");
  for (const char* other : {"/Broken.dfm", "/buttons.res", "/readme.txt"}) test::WriteFile(lib + other, "not a form");
  ForceDirectories(lib + "/folder.dfm");
  groups["VCL"] = {"%DelphiRootDir%\\lib\\*.dfm", "%DelphiRootDir%\\LIB\\*.r?s", "<Extra>", "<Missing>",
                   "%DelphiRootDir%\\nothing\\*.dfm"};
  groups["Extra"] = {"<VCL>", "<Extra>", "extra\\ex*.DFM", "About.dfm"};
  for (int i = 0; i < 100; ++i) groups["G" + std::to_string(i)] = {"<G" + std::to_string(i + 1) + ">"};

  s.OpenProject(d.Dpr());
  EXPECT_EQ(s.AddModuleGroup("vcl", Entries()), 4);
  TTexts names;
  for (const TModuleEntry& entry : d.project.Modules) names.push_back(entry.Name);
  EXPECT_EQ(names, (TTexts{Project("Main.dfm"), Project("About.dfm"), d.dir.File("common/OPTIONS.DFM"),
                           lib + "/dialogs.dfm", lib + "/Other.DFM", Project("extra/Extra1.dfm")}));
  ASSERT_EQ(d.project.CustomResources.Items.size(), 1u);
  EXPECT_EQ(d.project.CustomResources.Items[0]->FileName, lib + "/buttons.res");
  ASSERT_EQ(d.ui.warnings.size(), 5u);
  EXPECT_EQ(d.ui.warnings[0].rfind(lib + "/Broken.dfm could not be added: ", 0), 0u) << d.ui.warnings[0];
  EXPECT_EQ(TTexts(d.ui.warnings.begin() + 1, d.ui.warnings.end()),
            (TTexts{"The module group \"vcl\" names itself (\"vcl\" > \"Extra\" > \"VCL\"); its files are added once.",
                    "The module group \"Extra\" names itself (\"Extra\" > \"Extra\"); its files are added once.",
                    "The module group \"Missing\" named in the module group \"vcl\" does not exist.",
                    "No file matches these entries of the module group \"vcl\":\r\r%DelphiRootDir%\\nothing\\*.dfm"}));
  EXPECT_EQ(s.AddModuleGroup("VCL", Entries()), 0) << "adding it again changes nothing";
  EXPECT_EQ(s.AddModuleGroup("Nope", Entries()), 0);
  EXPECT_EQ(d.ui.warnings.back(), "The module group \"Nope\" does not exist.");
  EXPECT_EQ(s.AddModuleGroup("G0", Entries()), 0);
  EXPECT_EQ(d.ui.warnings.back(), "The module group \"G64\" is nested too deeply; its files are not added.");
}

TEST_F(SessionDemo, KillDuringSaveLeavesTheOldOrTheNewFiles) {
  const std::string oldText(60000, 'o'), newText(90000, 'n');
  d.project.AddLanguage(kGerman);
  s.SelectLanguage(kGerman);
  s.SelectForm(d.Form("Main.dfm"));
  Set(kKeys, TTexts(4, oldText));
  s.SaveProject();
  std::mt19937 random(7);
  for (int round = 0; round < 60; ++round) {
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      try {
        for (int i = 0;; ++i) {
          Set(kKeys, TTexts(4, i % 2 ? oldText : newText));
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
    for (const char* form : {"Main.dfm", "About.dfm"})
      ASSERT_NO_THROW(LoadFormTranslations(d.project, *d.Form(form)->Root, s.FormTranslationFileName(*d.Form(form))));
    ASSERT_NO_THROW(LoadResourceStringTranslations(d.project, d.project.ResourceStrings, s.ResourceStringFileName(),
                                                   kGerman, nullptr));
    ASSERT_NO_THROW(LoadVersionInfoTranslations(d.project, d.project.VersionInfo, kGerman));
    for (const std::string& text : Texts(kKeys)) EXPECT_TRUE(text == oldText || text == newText) << round;
    TProjectData settings(d.registry, d.ui, TSystemCodePages{1252, 850, 10000});
    ASSERT_NO_THROW(settings.Open(d.Dpr())) << round;
    EXPECT_TRUE(settings.HasLanguage(kGerman)) << round;
  }
}

}  // namespace
}  // namespace kst
