// Find and replace over a grid's rows: the walk's order, the scope and
// option bits, and the answers to the replace question.
#include "session/search.h"

#include <gtest/gtest.h>

#include "session/translation_session.h"

namespace kst {
namespace {

const std::vector<TSearchRow> kRows = {
    {"btnOpen.Caption", "&Open...", "&\xD6" "ffnen..."},
    {"lblItems.Caption", "&Items:", "&Items:"},
    {"frmMain.Caption", "Kestrin Demo", "Kestrin-Vorf\xFChrung"},
    {"mnuFileOpen.Hint", "Opens a text file", "Opens a text file"},
};

TEST(FindRows, WalkOnceRoundFromAfterTheCurrentRow) {
  const struct {
    const char* find;
    uint8_t options, scope;
    int current, expected;
  } cases[] = {
      {"items", 0, 7, -1, 1},
      {"items", kSearchCaseSensitive, 7, -1, -1},
      {"Open", 0, kScopeKey, 0, 3},                          // after the current row
      {"Open", 0, kScopeKey, 3, 0},                          // on the last row: round to the first
      {"Open", kSearchWholeWords, kScopeOriginal, -1, -1},  // "&Open", "Opens"
      {"text", kSearchWholeWords, kScopeOriginal | kScopeTranslated, 2, 3},
      {"Kestrin", 0, kScopeTranslated, 2, 2},  // only the current row: found after a round
      {"Demo", 0, kScopeTranslated, -1, -1},
      {"Items", 0, 0, -1, -1},  // no column to search
      {"", 0, 7, -1, -1},       // nothing to find
      {"Items", 0, 7, 10, 1},   // a current row past the end
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.find << " from " << c.current);
    TSearchSettings settings;
    settings.Confirm(false, c.find, "", c.options, c.scope);
    int asked = 0;
    auto texts = [&](int row) {
      ++asked;
      return kRows.at(row);
    };
    EXPECT_EQ(FindRow(settings, static_cast<int>(kRows.size()), c.current, texts), c.expected);
    EXPECT_LE(asked, static_cast<int>(kRows.size())) << "each row at most once";
  }
}

struct ReplaceCase {
  const char* name;
  uint8_t options;
  uint8_t scope;
  int current;
  std::vector<TAnswer> answers;
  std::vector<std::string> after;
  int last;
  size_t questions;
};

class ReplaceRowsTest : public testing::TestWithParam<ReplaceCase> {};

TEST_P(ReplaceRowsTest, AnswersAndOptionsDecideWhatIsReplaced) {
  const ReplaceCase& c = GetParam();
  std::vector<std::string> translations = {"Open file", "Open", "Close", "Reopen Open"};
  TSearchSettings settings;
  settings.Confirm(true, "open", "\xD6" "ffnen", c.options, c.scope);
  TRecordingInteraction ui;
  ui.answers = c.answers;
  auto texts = [&](int row) { return TSearchRow{"key", "original Open", translations.at(row)}; };
  auto set = [&](int row, const std::string& text) { translations.at(row) = text; };
  EXPECT_EQ(ReplaceRows(settings, 4, c.current, texts, set, ui), c.last);
  EXPECT_EQ(translations, c.after);
  EXPECT_EQ(ui.questions.size(), c.questions);
  EXPECT_EQ(settings.options, c.options) << "the walk's own changes stay in the walk";
}

const std::string kO = "\xD6" "ffnen";

INSTANTIATE_TEST_SUITE_P(
    Cases, ReplaceRowsTest,
    testing::Values(
        ReplaceCase{"FirstMatchThenStop", 0, 7, -1, {}, {kO + " file", "Open", "Close", "Reopen Open"}, 0, 0},
        ReplaceCase{"AllFromAfterTheCurrentRow", kSearchReplaceAll, 7, 1, {},
                    {kO + " file", kO, "Close", "Re" + kO + " " + kO}, 1, 0},
        ReplaceCase{"WholeWords", kSearchReplaceAll | kSearchWholeWords, 7, -1, {},
                    {kO + " file", kO, "Close", "Reopen " + kO}, 3, 0},
        ReplaceCase{"CaseSensitive", kSearchCaseSensitive | kSearchReplaceAll, 7, -1, {},
                    {"Open file", "Open", "Close", "Re" + kO + " Open"}, 3, 0},
        ReplaceCase{"NoThenYesStops", kSearchPromptOnReplace, 7, -1, {TAnswer::No, TAnswer::Yes},
                    {"Open file", kO, "Close", "Reopen Open"}, 1, 2},
        ReplaceCase{"AllStopsAsking", kSearchPromptOnReplace, 7, -1, {TAnswer::All},
                    {kO + " file", kO, "Close", "Re" + kO + " " + kO}, 3, 1},
        ReplaceCase{"CancelStopsAtOnce", kSearchPromptOnReplace | kSearchReplaceAll, 7, -1,
                    {TAnswer::No, TAnswer::Cancel}, {"Open file", "Open", "Close", "Reopen Open"}, 1, 2},
        ReplaceCase{"PromptedReplaceAll", kSearchPromptOnReplace | kSearchReplaceAll, 7, -1,
                    {TAnswer::Yes, TAnswer::No, TAnswer::Yes}, {kO + " file", "Open", "Close", "Re" + kO + " " + kO},
                    3, 3},
        // The replace dialog hides the scope: whatever it says, translations are replaced.
        ReplaceCase{"ScopeWithoutTranslations", 0, kScopeKey | kScopeOriginal, -1, {},
                    {kO + " file", "Open", "Close", "Reopen Open"}, 0, 0}),
    [](const testing::TestParamInfo<ReplaceCase>& info) { return info.param.name; });

TEST(ReplaceRows, TheQuestionShowsBothTextsAndARefusedTextIsNoReplacement) {
  std::vector<std::string> translations = {"Left 8%s", "Open"};
  TSearchSettings settings;
  settings.Confirm(true, "8", "eight", kSearchPromptOnReplace, 7);
  TRecordingInteraction ui;
  ui.answers = {TAnswer::Yes};
  auto texts = [&](int row) { return TSearchRow{"", "", translations.at(row)}; };
  auto refuse = [&](int, const std::string&) -> void { throw ETranslationError("not a number"); };
  EXPECT_EQ(ReplaceRows(settings, 2, 1, texts, refuse, ui), 0);
  EXPECT_EQ(ui.questions, std::vector<std::string>{"Do you want to replace\r\rLeft 8%s\r\rwith\r\rLeft eight%s"});
  EXPECT_EQ(ui.warnings, std::vector<std::string>{"not a number"});
  EXPECT_EQ(translations[0], "Left 8%s");

  settings.Confirm(true, "", "x", 0, 7);
  EXPECT_EQ(ReplaceRows(settings, 2, 0, texts, refuse, ui), -1) << "nothing to find";
}

}  // namespace
}  // namespace kst
