// Pseudo-translating the demo project's Polish and taking it out again:
// which entries change, that translations survive, one undo step, and that
// nothing of it reaches the dictionary.
#include <gtest/gtest.h>

#include <map>

#include "dictionary/common.h"
#include "dictionary/highlighting.h"
#include "session/pseudo_translation.h"
#include "support/demo_session.h"

namespace kst {
namespace {

constexpr int kPolish = 0x0415;

class PseudoDemo : public testing::Test {
protected:
  void SetUp() override {
    s.OpenProject(d.Dpr());
    d.project.AddLanguage(kPolish);
    s.SelectLanguage(kPolish);
  }
  std::map<std::string, std::string> Translations() {
    std::map<std::string, std::string> texts;
    s.ForEachEntry([&](const TSessionEntry& entry) { texts[entry.key] = *entry.translation; });
    return texts;
  }
  // The rules a new dictionary starts with, and one a person might add that
  // marks every font's name as well.
  static bool Highlighted(const std::string& path) {
    std::string normalised = TdatHighLighting::NormalisePath(path);
    if (TdatHighLighting::RuleMatches("?.Name", normalised)) return true;
    for (const std::string& rule : DefaultHighlightRules())
      if (TdatHighLighting::RuleMatches(rule, normalised)) return true;
    return false;
  }
  test::TDemoSession d{true};
  TTranslationSession& s = *d.session;
};

TEST_F(PseudoDemo, FillsOnlyUntranslatedMarkedTextsAndClearsExactlyThose) {
  s.SetTranslation("Main.dfm:frmMain.Caption", "Pokaz");
  s.SetTranslation("@Texts_SReady", "Gotowe");
  // Brackets of the person's own: kept by both walks.
  s.SetTranslation("@Texts_SSaveChanges", "[Zapisa\xE6 zmiany w %s]?");
  std::map<std::string, std::string> before = Translations();

  TPseudoReport report = PseudoTranslateLanguage(s, Highlighted, 30);
  std::map<std::string, std::string> after = Translations();
  // Which keys change is the pseudo-demo case of tests/cli; here, that the
  // person's three stay.
  int changed = 0;
  for (const auto& [key, text] : after) changed += text != before[key];
  EXPECT_EQ(report.changed, changed);
  EXPECT_EQ(changed, 29);
  EXPECT_TRUE(report.refused.empty());
  for (const char* key : {"Main.dfm:frmMain.Caption", "@Texts_SReady", "@Texts_SSaveChanges"})
    EXPECT_EQ(after[key], before[key]) << key;

  // One undo step takes all of it back, and redo brings it again.
  ASSERT_TRUE(s.Undo());
  EXPECT_EQ(Translations(), before);
  ASSERT_TRUE(s.Redo());
  EXPECT_EQ(Translations(), after);

  // Stored and loaded like any translation; the dictionary learns only the
  // person's three.
  s.SaveProject();
  EXPECT_EQ(Translations(), after);
  TDatabase& db = d.common->Database();
  EXPECT_EQ(test::QueryCount(db, "SELECT count(*) FROM TrnsHist"), 3);

  // A second run changes nothing; a person's edit of a pseudo-translation
  // makes it a translation that --clear keeps.
  EXPECT_EQ(PseudoTranslateLanguage(s, Highlighted, 50).changed, 0);
  s.SetTranslation("OPTIONS.DFM:btnOK.Caption", "[OK!]");
  EXPECT_EQ(ClearPseudoTranslations(s), changed - 1);
  std::map<std::string, std::string> cleared = Translations();
  before["OPTIONS.DFM:btnOK.Caption"] = "[OK!]";
  EXPECT_EQ(cleared, before);
  ASSERT_TRUE(s.Undo());
  EXPECT_EQ(Translations()["Main.dfm:btnOpen.Hint"], after["Main.dfm:btnOpen.Hint"]) << "clearing is one step too";
}

TEST_F(PseudoDemo, PseudoTranslationsPaddedDifferentlyAreRecognisedOnTheirWayToTheDictionary) {
  // A resource string the dictionary remembers untranslated is marked as
  // taken from it; its pseudo-translation must not become the remembered one.
  d.history->SetResourceStringTranslation("Texts_SReady", kPolish, "Ready");
  const std::string rows = "SELECT count(*) FROM TrnsHist";
  long long remembered = test::QueryCount(d.common->Database(), rows);
  s.SelectLanguage(kPolish);
  ASSERT_TRUE(d.String("Texts_SReady").FromDictionary);
  EXPECT_EQ(PseudoTranslateLanguage(s, Highlighted, 300).changed, 32);
  s.SelectLanguage(-1);
  EXPECT_EQ(test::QueryCount(d.common->Database(), rows), remembered);
  EXPECT_EQ(d.history->GetResourceStringTranslation("Texts_SReady", kPolish), "Ready");
  s.SelectLanguage(kPolish);
  EXPECT_EQ(ClearPseudoTranslations(s), 32);
}

TEST_F(PseudoDemo, DataBaseNamesAndSqlStayWhateverTheRulesSay) {
  // A form as later Delphi versions keep it, in text.
  test::WriteFile(d.dir.File("project/Data.dfm"),
                  "object frmData: TForm\r\n"
                  "  Caption = 'Customers'\r\n"
                  "  object edtName: TDBEdit\r\n"
                  "    DataField = 'CustName'\r\n"
                  "  end\r\n"
                  "  object qryCustomers: TQuery\r\n"
                  "    DatabaseName = 'Sales'\r\n"
                  "    SQL.Strings = (\r\n"
                  "      'SELECT Name FROM Customer')\r\n"
                  "  end\r\n"
                  "end\r\n");
  TModuleHelper* form = s.AddForm(d.dir.File("project/Data.dfm"));
  ASSERT_NE(form, nullptr);
  TPseudoReport report = PseudoTranslateLanguage(s, [](const std::string&) { return true; }, 30);
  EXPECT_TRUE(form->Root->FindProperty("frmData.Caption")->IsTranslated());
  for (const char* path : {"edtName.DataField", "qryCustomers.DatabaseName", "qryCustomers.SQL.Strings[0]"})
    EXPECT_FALSE(form->Root->FindProperty(path)->IsTranslated()) << path;
  EXPECT_FALSE(d.Value("Main.dfm", "frmMain.Font.Name").IsTranslated());
  EXPECT_GT(report.changed, 32) << "list items and the dialog's title are marked by this rule";
}

}  // namespace
}  // namespace kst
