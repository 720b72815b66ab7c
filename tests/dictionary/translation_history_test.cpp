// The dictionary's edge cases, each against a fresh dictionary and against
// one opened again. The known translations' order and the default rules are
// checked by the dict-rules case of tests/cli.
#include <gtest/gtest.h>

#include "config/text_helpers.h"
#include "dictionary/dictionary_schema.h"
#include "dictionary/highlighting.h"
#include "dictionary/translation_history.h"
#include "support/dictionary_place.h"

// \326 is Ö, \337 ß in code page 1252 (octal, so that no letter after it is read as a hex digit).
namespace kst {
namespace {

constexpr int kGermany = 0x0407, kAustria = 0x0C07, kGerman = 0x0007, kFrance = 0x040C;

class HistoryTest : public testing::TestWithParam<bool> {
protected:
  void SetUp() override {
    if (GetParam()) {
      // A first start that leaves data of its own behind.
      TdatCommon first(place.engine, interaction);
      TdatTranslationHistory(first).AddTranslation("Unrelated", "Sonstiges", kFrance);
    }
    common = std::make_unique<TdatCommon>(place.engine, interaction);
    history = std::make_unique<TdatTranslationHistory>(*common);
  }
  std::vector<std::string> Known(const std::string& source, int lang) {
    std::vector<std::string> list{"left over"};
    history->GetKnownTranslations(source, lang, list);
    return list;
  }
  long long Count(const std::string& sql) { return test::QueryCount(common->Database(), sql); }

  test::TDictionaryPlace place;
  TRecordingInteraction interaction;
  std::unique_ptr<TdatCommon> common;
  std::unique_ptr<TdatTranslationHistory> history;
};

TEST_P(HistoryTest, StoresTheQuotedHexFormAndRecordsEachTranslationOnce) {
  history->AddTranslation("Don't", "Nicht", kGermany);
  EXPECT_EQ(test::QueryText(common->Database(), "SELECT SourceString, Translation, LangId FROM StrIdx JOIN TrnsHist "
                                                "ON StrID = SourceStrID WHERE SourceString LIKE '''Don''%'"),
            "'Don'$27't'|'Nicht'|1031\n");

  history->AddTranslation("Don't", "Nicht", kGermany);
  history->AddTranslation("Don't", "Nicht", kAustria);  // a sibling sub-language knows it already
  history->AddTranslation("don't", "Nicht", kGermany);  // the source matches without regard to case
  EXPECT_EQ(Count("SELECT count(*) FROM TrnsHist WHERE Translation = '''Nicht'''"), 1);
  history->AddTranslation("Don't", "nicht", kGermany);  // the translation compares exactly
  EXPECT_EQ(Count("SELECT count(*) FROM TrnsHist WHERE Translation LIKE '''nicht'''"), 2);
  EXPECT_EQ(Count("SELECT count(*) FROM StrIdx WHERE SourceString LIKE '''Don''%'"), 1);
  // The hint named the source while it worked and was restored afterwards.
  EXPECT_NE(std::find(interaction.hints.begin(), interaction.hints.end(), "Adding to Dictionary: \"Don't\""),
            interaction.hints.end());
  EXPECT_EQ(interaction.Hint(), "");
}

TEST_P(HistoryTest, RefusesTextsWhoseStoredFormDoesNotFitAndStoresTheRestWhole) {
  const struct {
    std::string source, translation;
    bool stored;
  } cases[] = {
      // 85 control characters are 255 stored characters: too many.
      {std::string(85, '\x01'), "x", false},
      {std::string(84, '\x01'), "x", true},
      // 252 printable characters and two apostrophes: 254, the most that fits.
      {std::string(252, 'a'), "x", true},
      {std::string(253, 'a'), "x", false},
      {"Open", std::string(85, '\t'), false},
      {"Open", std::string(252, 'b'), true},
      // Apostrophes are three stored characters each.
      {"Quote", std::string(85, '\''), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(EncodeQuotedHex(c.source).size() + EncodeQuotedHex(c.translation).size());
    long long before = Count("SELECT count(*) FROM TrnsHist");
    if (c.stored) {
      history->AddTranslation(c.source, c.translation, kGermany);
      EXPECT_EQ(Known(c.source, kGermany), std::vector<std::string>{c.translation}) << "whole, not cut";
      continue;
    }
    std::string error = test::Thrown<ETextTooLong>([&] { history->AddTranslation(c.source, c.translation, kGermany); });
    EXPECT_NE(error.find("too long"), std::string::npos) << error;
    EXPECT_EQ(Count("SELECT count(*) FROM TrnsHist"), before);
    EXPECT_EQ(history->GetStrID(c.source), "") << "not even the source went in";
  }
}

TEST_P(HistoryTest, SourceStringsMatchWithoutRegardToCase) {
  history->AddTranslation("OK", "OK", kFrance);
  std::string id = history->GetStrID("OK");
  ASSERT_EQ(id.size(), 39u);
  EXPECT_EQ(history->GetStrID("ok"), id);
  EXPECT_EQ(history->GetOrAddStrID("Ok"), id);
  EXPECT_EQ(history->GetStrID("OK "), "");
  EXPECT_EQ(history->GetStrID(std::string(300, 'x')), "");  // a look-up never raises for length
}

TEST_P(HistoryTest, ResourceStringsFallBackToTheNeutralLanguageAndAreReplacedNotAccumulated) {
  history->SetResourceStringTranslation("SOpenError", kGerman, "Fehler beim \326ffnen");
  EXPECT_TRUE(history->HasResourceStringTranslation("SOpenError", kGermany));
  EXPECT_EQ(history->GetResourceStringTranslation("SOpenError", kGermany), "Fehler beim \326ffnen");
  EXPECT_FALSE(history->HasResourceStringTranslation("SOpenError", kFrance));
  EXPECT_EQ(history->GetResourceStringTranslation("SOpenError", kFrance), "");
  EXPECT_FALSE(history->HasResourceStringTranslation("SOther", kGermany));

  history->SetResourceStringTranslation("SOpenError", kGermany, "Kann nicht ge\366ffnet werden");
  history->SetResourceStringTranslation("SOpenError", kGermany, "\326ffnen fehlgeschlagen");
  history->SetResourceStringTranslation("SOpenError", kGermany, "\326ffnen fehlgeschlagen");
  EXPECT_EQ(history->GetResourceStringTranslation("SOpenError", kGermany), "\326ffnen fehlgeschlagen");
  EXPECT_EQ(history->GetResourceStringTranslation("SOpenError", kAustria), "Fehler beim \326ffnen");
  std::string id = history->GetStrID(".ResourceString.SOpenError");
  EXPECT_EQ(Count("SELECT count(*) FROM TrnsHist WHERE SourceStrID = '" + id + "'"), 2);
  EXPECT_THROW(history->SetResourceStringTranslation("SLong", kGermany, std::string(200, '\n')), ETextTooLong);
}

TEST_P(HistoryTest, TextsStoredWithoutTheQuotedFormAreReadBackUnchanged) {
  std::string id = history->GetOrAddStrID("Hello");
  common->Database().Exec("INSERT INTO TrnsHist VALUES ('" + id + "', 1031, 'Hallo Welt')");
  EXPECT_EQ(Known("Hello", kGermany), (std::vector<std::string>{"Hallo Welt"}));
}

TEST_P(HistoryTest, SaveRunsItsAddsInOneTransactionThatCanBeUndone) {
  for (bool commit : {false, true}) {
    EXPECT_TRUE(Known("Open", kGermany).empty()) << "nothing of a save that is not committed stays";
    TWriteTransaction save(common->Database());
    history->AddTranslation("Open", "\326ffnen", kGermany);
    history->AddTranslation("Close", "Schlie\337en", kGermany);
    EXPECT_EQ(Known("Open", kGermany).size(), 1u) << "the save sees its own adds";
    if (commit) save.Commit();
  }
  EXPECT_EQ(Known("Close", kGermany), (std::vector<std::string>{"Schlie\337en"}));
}

INSTANTIATE_TEST_SUITE_P(FreshAndReopened, HistoryTest, testing::Bool(),
                         [](const auto& info) { return info.param ? "Reopened" : "Fresh"; });

TEST(HighlightNormalisation, RemovesIndexesAndDoubledDotsUntilNoneRemain) {
  const std::pair<const char*, const char*> cases[] = {
      {"TDBGrid.Columns[2].Title.Caption", "TDBGrid.Columns.Title.Caption"},
      {"A.B[1][2].C", "A.B.C"},
      {"A.[x]..B", "A.B"},   // removing the index leaves ".." behind, which then goes
      {"A...B", "A.B"},
      {"A[.]].B", "A].B"},
      {"A[1.B", "A[1.B"},
      {"A[1..B", "A[1B"},
      {"", ""},
  };
  for (auto [in, out] : cases) EXPECT_EQ(TdatHighLighting::NormalisePath(in), out) << in;
}

}  // namespace
}  // namespace kst
