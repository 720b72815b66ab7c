// Fuzzy matches: the score's ranking on small dictionaries, the trigram
// index kept by every writer, and a search that reads a bounded number of
// rows however large the dictionary.
#include <gtest/gtest.h>

#include "dictionary/fuzzy_index.h"
#include "dictionary/fuzzy_match.h"
#include "dictionary_fixture.h"

namespace kst {
namespace {

using namespace test;

struct TRankingCase {
  const char* name;
  std::string query;
  std::vector<std::string> sources;  // each recorded with the translation "T:" + source
  std::vector<std::string> expected;  // "score source", best first
  int minScore = 70;
};

using TRankingPlace = std::tuple<TRankingCase, TBackend>;

std::string PrintName(const testing::TestParamInfo<TRankingPlace>& info) {
  return std::string(std::get<0>(info.param).name) + "_" +
         BackendName(testing::TestParamInfo<TBackend>(std::get<1>(info.param), info.index));
}

class Ranking : public testing::TestWithParam<TRankingPlace>, public TDictionary {
protected:
  Ranking() : TDictionary(std::get<1>(GetParam())) {}
};

TEST_P(Ranking, FindsTheSimilarSourcesBestFirst) {
  const TRankingCase& c = std::get<0>(GetParam());
  for (const std::string& source : c.sources) history->AddTranslation(source, "T:" + source, kGermany);
  std::vector<std::string> got;
  for (const TFuzzyTranslation& m : history->GetFuzzyTranslations(c.query, kGermany, c.minScore, 5)) {
    EXPECT_EQ(m.translation, "T:" + m.sourceText);
    got.push_back(std::to_string(m.score) + " " + m.sourceText);
  }
  EXPECT_EQ(got, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Dictionary, Ranking,
    testing::Combine(
        testing::Values(
            TRankingCase{"CaseOnlyBelowIdentical",
                         "save file",
                         {"Save File", "Save Files", "Open File", "Save the file"},
                         {"99 Save File", "70 Save Files"}},
            TRankingCase{"Identical", "Save File", {"Save Files", "Save File"}, {"100 Save File", "70 Save Files"}},
            TRankingCase{"ChangedNumber",
                         "Page 1 of 10",
                         {"Page 2 of 10", "Page 1 of 12", "Pages: 10", "Line 1 of 10"},
                         {"83 Page 1 of 12", "83 Page 2 of 10", "75 Line 1 of 10"}},
            TRankingCase{"MissingWord",
                         "Do you want to save the changes?",
                         {"Do you want to save changes?", "Do you want to close?", "Save the changes"},
                         {"87 Do you want to save changes?"}},
            TRankingCase{"ShortTextAmongLongOnes",
                         "Ok",
                         {"OK", "Ok, save the file now", "Look at the bookmarks", "Okay"},
                         {"99 OK"}},
            TRankingCase{
                "LongTextAmongShortOnes",
                "Cannot open the file because it is being used by another process",
                {"Cannot open the file", "Open", "Cannot open the file because it is used by another process", "file"},
                {"91 Cannot open the file because it is used by another process"}},
            TRankingCase{"AcceleratorAndPunctuation",
                         "&Save as...",
                         {"Save as", "Save &as...", "Save all..."},
                         {"90 Save &as..."}},
            TRankingCase{"NothingAboveTheMinimum", "Print", {"Printer", "Preview"}, {}},
            TRankingCase{"MinimumLowered", "Print", {"Printer", "Preview", "Paint"}, {"40 Paint", "35 Printer"}, 35},
            TRankingCase{"NonAsciiLettersAreNotFolded",
                         "\326ffnen",
                         {"\366ffnen", "\326ffnen!"},
                         {"67 \326ffnen!", "41 \366ffnen"},
                         40}),
        kBackends),
    PrintName);

// Scores are symmetric and stay within their bounds; the bounded computation
// agrees with the full one wherever it answers.
TEST(FuzzyScore, BoundedComputationAgreesWithTheFullOne) {
  const std::vector<std::string> texts{"",         "a",           "Save",      "save",        "&Save",
                                       "Save all", "Save as...",  "Page 1 of 10", "Page 12 of 10", "\xE4\xF6\xFC",
                                       "x y z",    "xyz",         "Cannot open the file \"%s\"."};
  for (const std::string& a : texts)
    for (const std::string& b : texts) {
      int full = FuzzyScore(a, b);
      EXPECT_EQ(full, FuzzyScore(b, a)) << a << " | " << b;
      EXPECT_EQ(full == 100, a == b) << a << " | " << b;
      EXPECT_GE(full, 0);
      for (int min : {1, 50, 70, 90, 100}) EXPECT_EQ(FuzzyScore(a, b, min), full >= min ? full : -1) << a << " | " << b;
    }
}

class FuzzyIndex : public testing::TestWithParam<TBackend> {
protected:
  TDictionary d{GetParam()};
};

INSTANTIATE_TEST_SUITE_P(Backends, FuzzyIndex, kBackends, BackendName);

TEST_P(FuzzyIndex, SameLanguageFirstThenSiblingsEachTranslationOnce) {
  d.history->AddTranslation("Open the file", "Datei \366ffnen", kAustria);
  d.history->AddTranslation("Open the file", "Die Datei \366ffnen", kGermany);
  d.history->AddTranslation("Open the files", "datei \366ffnen", kGermany);
  d.history->AddTranslation("Open the files", "Ouvrir", kFrance);
  std::vector<std::string> got;
  for (const TFuzzyTranslation& m : d.history->GetFuzzyTranslations("Open the fils", kGermany))
    got.push_back(std::to_string(m.score) + " " + m.translation);
  EXPECT_EQ(got, (std::vector<std::string>{"79 Die Datei \366ffnen", "79 datei \366ffnen"}));
}

// Adds through another connection, the editor's deletes and renames, and a
// dictionary from before the index all reach it.
TEST_P(FuzzyIndex, IsKeptByEveryWriterAndBuiltForAnOlderDictionary) {
  auto find = [&](const char* query) {
    std::vector<std::string> got;
    for (const TFuzzyTranslation& m : d.history->GetFuzzyTranslations(query, kGermany)) got.push_back(m.sourceText);
    return got;
  };
  {
    TdatCommon other(d.place.engine, d.interaction);
    TdatTranslationHistory(other).AddTranslation("Close the window", "Fenster schlie\337en", kGermany);
  }
  EXPECT_EQ(find("Close the windows"), std::vector<std::string>{"Close the window"});

  std::unique_ptr<TDatabase> db = d.common->NewConnection();
  db->Exec("UPDATE StrIdx SET SourceString = '''Quit the program''' WHERE SourceString = '''Close the window'''");
  EXPECT_EQ(find("Close the windows"), std::vector<std::string>{});
  EXPECT_EQ(find("Quit the programs"), std::vector<std::string>{"Quit the program"});
  db->Exec("DELETE FROM StrIdx");
  EXPECT_EQ(find("Quit the programs"), std::vector<std::string>{});

  d.history->AddTranslation("Print the page", "Seite drucken", kGermany);
  db->Exec(GetParam() == TBackend::Sqlite ? "DROP TABLE StrIdxFuzzy" : "DROP INDEX StrIdxFuzzy");
  d.Reopen();
  d.Reopen();  // the second start finds it all there
  EXPECT_EQ(find("Print the pages"), std::vector<std::string>{"Print the page"});
  EXPECT_TRUE(d.interaction.warnings.empty());
}

// A dictionary full of texts that share the query's common words and
// characters: the search reads a bounded number of rows and still finds the
// changed number among them.
TEST_P(FuzzyIndex, ReadsABoundedNumberOfRowsOfALargeDictionary) {
  {
    TDatabase& db = d.common->Database();
    TWriteTransaction fill(db);
    TStatement s = db.Prepare("INSERT INTO StrIdx (SourceString, StrID) VALUES (?1, ?2)");
    for (int i = 0; i < 20000; ++i)
      s.Bind(1, EncodeQuotedHex("Save the file " + std::to_string(i) + " to the disk")).Bind(2, std::to_string(i)).Run();
    fill.Commit();
  }
  d.history->AddTranslation("Save the file 123456 to the disk", "Speichern", kGermany);
  TFuzzySearchStats stats;
  std::vector<TFuzzyTranslation> found =
      TFuzzyIndex(d.common->Database(), nullptr).Find("Save the file 123457 to the disk", kGermany, 70, 5, &stats);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].translation, "Speichern");
  EXPECT_LE(stats.rowsScored, TFuzzyIndex::kMaxScoredRows);
  if (GetParam() == TBackend::Sqlite) EXPECT_GT(stats.trigrams, stats.rareTrigrams);
}

}  // namespace
}  // namespace kst
