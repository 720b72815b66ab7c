// Find and replace over a grid's rows: the walk's order, the scope and
// option bits, and the answers to the replace question.
#include "session/search.h"

#include <gtest/gtest.h>

#include "session/translation_session.h"

namespace kst {
namespace {

TEST(FindRows, WalkOnceRoundFromAfterTheCurrentRow) {
  const std::vector<TSearchRow> rows = {
      {"btnOpen.Caption", "&Open...", "&\xD6" "ffnen..."},
      {"lblItems.Caption", "&Items:", "&Items:"},
      {"frmMain.Caption", "Kestrin Demo", "Kestrin-Vorf\xFChrung"},
      {"mnuFileOpen.Hint", "Opens a text file", "Opens a text file"},
  };
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
    EXPECT_EQ(FindRow(settings, 4, c.current, [&](int row) { return ++asked, rows.at(row); }), c.expected);
    EXPECT_LE(asked, 4) << "each row at most once";
  }
}

TEST(ReplaceRows, AnswersAndOptionsDecideWhatIsReplaced) {
  const std::string o = "\xD6" "ffnen";
  const uint8_t prompt = kSearchPromptOnReplace, all = kSearchReplaceAll;
  const struct {
    const char* name;
    uint8_t options, scope;
    int current;
    std::vector<TAnswer> answers;
    std::vector<std::string> after;
    int last;
    size_t questions;
  } cases[] = {
      {"first match, then stop", 0, 7, -1, {}, {o + " file", "Open", "Close", "Reopen Open"}, 0, 0},
      {"all from after the current row", all, 7, 1, {}, {o + " file", o, "Close", "Re" + o + " " + o}, 1, 0},
      {"whole words", all | kSearchWholeWords, 7, -1, {}, {o + " file", o, "Close", "Reopen " + o}, 3, 0},
      {"case", kSearchCaseSensitive | all, 7, -1, {}, {"Open file", "Open", "Close", "Re" + o + " Open"}, 3, 0},
      {"No, then Yes stops", prompt, 7, -1, {TAnswer::No, TAnswer::Yes}, {"Open file", o, "Close", "Reopen Open"}, 1, 2},
      {"All stops asking", prompt, 7, -1, {TAnswer::All}, {o + " file", o, "Close", "Re" + o + " " + o}, 3, 1},
      {"Cancel stops at once", prompt | all, 7, -1, {TAnswer::No, TAnswer::Cancel},
       {"Open file", "Open", "Close", "Reopen Open"}, 1, 2},
      {"prompted replace all", prompt | all, 7, -1, {TAnswer::Yes, TAnswer::No, TAnswer::Yes},
       {o + " file", "Open", "Close", "Re" + o + " " + o}, 3, 3},
      // The replace dialog hides the scope: whatever it says, translations are replaced.
      {"scope without translations", 0, kScopeKey | kScopeOriginal, -1, {}, {o + " file", "Open", "Close", "Reopen Open"}, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> texts = {"Open file", "Open", "Close", "Reopen Open"};
    TSearchSettings settings;
    settings.Confirm(true, "open", o, c.options, c.scope);
    TRecordingInteraction ui;
    ui.answers = c.answers;
    auto set = [&](int row, const std::string& text) { texts.at(row) = text; };
    EXPECT_EQ(ReplaceRows(settings, 4, c.current, [&](int row) { return TSearchRow{"key", "original Open", texts.at(row)}; },
                          set, ui), c.last);
    EXPECT_EQ(texts, c.after);
    EXPECT_EQ(ui.questions.size(), c.questions);
    EXPECT_EQ(settings.options, c.options) << "the walk's own changes stay in the walk";
  }
}

TEST(ReplaceRows, TheQuestionShowsBothTextsAndARefusedTextIsNoReplacement) {
  TSearchSettings settings;
  settings.Confirm(true, "8", "eight", kSearchPromptOnReplace, 7);
  TRecordingInteraction ui;
  ui.answers = {TAnswer::Yes};
  auto texts = [](int row) { return TSearchRow{"", "", row ? "Open" : "Left 8%s"}; };
  auto refuse = [](int, const std::string&) { throw ETranslationError("not a number"); };
  EXPECT_EQ(ReplaceRows(settings, 2, 1, texts, refuse, ui), 0);
  EXPECT_EQ(ui.questions, std::vector<std::string>{"Do you want to replace\r\rLeft 8%s\r\rwith\r\rLeft eight%s"});
  EXPECT_EQ(ui.warnings, std::vector<std::string>{"not a number"});
  settings.Confirm(true, "", "x", 0, 7);
  EXPECT_EQ(ReplaceRows(settings, 2, 0, texts, refuse, ui), -1) << "nothing to find";
}

}  // namespace
}  // namespace kst
