// Setting translations through the session and taking them back: every
// kind of entry, steps and groups, each language's own history, and steps
// that can no longer be applied.
#include <gtest/gtest.h>

#include <array>

#include "session/search.h"
#include "support/demo_session.h"

namespace kst {
namespace {

using test::kFrench;
using test::kGerman;

class SessionUndo : public testing::Test {
protected:
  test::TDemoSession d;
  TTranslationSession& s = *d.session;
  void SetUp() override {
    s.OpenProject(d.Dpr());
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
  try {
    s.SetTranslation("@Texts_SReady", "Bereit");
    FAIL();
  } catch (const ETranslationError& e) {
    EXPECT_STREQ(e.what(), "No language is selected: translations belong to a language, so select one before changing them.");
  }
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
  try {
    s.Undo();
    FAIL();
  } catch (const ETranslationError& e) {
    EXPECT_STREQ(e.what(), "This change cannot be undone: the translation of CompanyName was changed since by other means.");
  }
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
