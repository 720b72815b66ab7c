// Placeholders and words in a cell's text (tables of cases), the spelling
// dictionary of a Windows language, and the placeholders' colour on light
// and dark themes. Spelling with the installed Hunspell dictionary through
// the grid: a misspelled German word is underlined, the format specifier
// beside it never, and a language without a dictionary is named in the
// status bar.
#include <gtest/gtest.h>

#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QPalette>

#include <cctype>
#include <ostream>

#include "ui/display_state.h"
#include "ui/grid_delegate.h"
#include "ui/spell_checker.h"
#include "ui/text_marks.h"
#include "ui_fixture.h"

namespace kst {
namespace {

using ui::TTextRange;

QStringList Pieces(const QString& text, const std::vector<TTextRange>& ranges) {
  QStringList pieces;
  for (const TTextRange& r : ranges) pieces << text.mid(r.start, r.length);
  return pieces;
}

struct TMarkCase {
  const char* text;
  QStringList placeholders;
  QStringList words;
};

// The case's letters in the test's name.
void PrintTo(const TMarkCase& c, std::ostream* os) {
  for (const char* p = c.text; *p; ++p) *os << (std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_');
}

class TextMarks : public testing::TestWithParam<TMarkCase> {};

TEST_P(TextMarks, PlaceholdersAndWords) {
  const QString text = ui::ShownText(QString::fromUtf8(GetParam().text));
  EXPECT_EQ(Pieces(text, ui::PlaceholderRanges(text)), GetParam().placeholders);
  QStringList words;
  for (const TTextRange& w : ui::WordRanges(text)) words << ui::WordText(text, w);
  EXPECT_EQ(words, GetParam().words);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextMarks,
    testing::Values(TMarkCase{"Datei %s nicht gefunden", {"%s"}, {"Datei", "nicht", "gefunden"}},
                    TMarkCase{"%sDatei", {"%s"}, {"Datei"}},
                    TMarkCase{"%0:d von %1:-10.2f", {"%0:d", "%1:-10.2f"}, {"von"}},
                    TMarkCase{"%*.*f und %%", {"%*.*f", "%%"}, {"und"}},
                    TMarkCase{"100% sicher", {}, {"sicher"}},
                    TMarkCase{"%z bleibt", {}, {"bleibt"}},
                    TMarkCase{"&Datei", {"&"}, {"Datei"}},
                    TMarkCase{"\xC3\x96&ffnen", {"&"}, {"\xC3\x96" "ffnen"}},
                    TMarkCase{"Fish && Chips", {"&&"}, {"Fish", "Chips"}},
                    TMarkCase{"Ende&", {}, {"Ende"}},
                    TMarkCase{"Zeile#13#10neu #$0D", {"#13", "#10", "#$0D"}, {"Zeile", "neu"}},
                    TMarkCase{"Zeile\\x0D\\x0Aneu\\n", {"\\x0D", "\\x0A", "\\n"}, {"Zeile", "neu"}},
                    // Line breaks of any kind and tabs show as one mark each.
                    TMarkCase{"eins\r\nzwei\tdrei", {"\xE2\x86\xB5", "\xE2\x86\x92"}, {"eins", "zwei", "drei"}},
                    TMarkCase{"eins\rzwei\ndrei", {"\xE2\x86\xB5", "\xE2\x86\xB5"}, {"eins", "zwei", "drei"}},
                    TMarkCase{"E-Mail it's MP3 x", {}, {"E-Mail", "it's"}}));

// German (Germany) as de_DE is seen in the status bar below.
TEST(SpellChecker, LocaleNamesOfWindowsLanguages) {
  EXPECT_EQ(ui::TSpellChecker::LocaleName(0x0807), "de_CH") << "the sub-language's country";
  EXPECT_EQ(ui::TSpellChecker::LocaleName(0x0007), "de_DE") << "a neutral language stands for its default";
  EXPECT_EQ(ui::TSpellChecker::LocaleName(0), "");
}

TEST(SpellChecker, ADictionaryOfTheSameLanguageStandsInAndNoneIsSaidSo) {
  test::TScratchDir dir;
  ui::TSpellChecker none({QString::fromStdString(dir.Path())});
  EXPECT_FALSE(none.SetLanguage(0x0407));
  EXPECT_TRUE(none.IsCorrect("Wrtt")) << "without a dictionary nothing is marked";
  EXPECT_TRUE(none.StatusText("German (Germany)").contains("no Hunspell dictionary de_DE installed"))
      << none.StatusText("German (Germany)").toStdString();
  ui::TSpellChecker system;
  if (!system.SetLanguage(0x0407)) GTEST_SKIP() << "no German Hunspell dictionary installed";
  ui::TSpellChecker swiss;
  EXPECT_TRUE(swiss.SetLanguage(0x0807)) << "Swiss German falls back to another German dictionary";
  EXPECT_TRUE(swiss.DictionaryName().startsWith("de_"));
  EXPECT_TRUE(system.Suggestions("gefundn").contains("gefunden"));
}

// Placeholders and the translated style's default blue stay readable on a
// dark theme; on a light one the blue stays the blue it is, and the system
// colour is the palette's.
TEST(Palette, ColoursStayReadableOnADarkTheme) {
  QPalette light, dark;
  light.setColor(QPalette::Base, Qt::white);
  dark.setColor(QPalette::Base, QColor(30, 30, 30));
  EXPECT_LT(ui::TGridDelegate::PlaceholderColor(light).lightness(), 128);
  EXPECT_GT(ui::TGridDelegate::PlaceholderColor(dark).lightness(), 128);
  ui::TDisplayState display;
  EXPECT_EQ(display.Color(ui::kStyleTranslated, light), QColor(0, 0, 255));
  QColor onDark = display.Color(ui::kStyleTranslated, dark);
  EXPECT_GT(onDark.lightness(), 180);
  EXPECT_GT(onDark.blue(), onDark.red()) << "still blue";
  dark.setColor(QPalette::Text, QColor(230, 230, 230));
  EXPECT_EQ(display.Color(ui::kStyleStandard, dark), QColor(230, 230, 230));
}

TEST(Spelling, AMisspelledGermanWordIsUnderlinedAndTheSpecifierBesideItIsNot) {
  test::TWindowFixture f({test::kGerman});
  if (!f.Views().Spelling().Ready()) GTEST_SKIP() << "no German Hunspell dictionary installed";
  auto* status = f.window->findChild<QLabel*>(QStringLiteral("statusSpelling"));
  EXPECT_EQ(status->text(), "Spelling: de_DE");
  ui::TTranslationGrid& grid = f.ShowGrid(ui::TTab::ResourceStrings);
  int row = f.Row(grid, "Texts_SFileNotFound");
  QModelIndex cell = grid.Model()->index(row, 5);
  EXPECT_TRUE(grid.Delegate()->Marks(cell).size() == 1 && !grid.Delegate()->Marks(cell)[0].misspelled)
      << "an untranslated text is still English: only its placeholder is marked";
  f.Type(grid, row, QStringLiteral("Die Datei %sgefundn wurde nicht gefunden."));
  const QString shown = grid.Model()->index(row, 5).data().toString();
  QStringList misspelled, placeholders;
  for (const ui::TGridDelegate::TMark& mark : grid.Delegate()->Marks(cell))
    (mark.misspelled ? misspelled : placeholders) << shown.mid(mark.range.start, mark.range.length);
  EXPECT_EQ(misspelled, QStringList{"gefundn"});
  EXPECT_EQ(placeholders, QStringList{"%s"});
  EXPECT_TRUE(grid.Model()->index(row, 2).data(ui::kSpellRole).toBool() == false) << "originals are not spelled";
}

TEST(Spelling, TheEditorsContextMenuOffersSuggestionsThatReplaceTheWord) {
  test::TWindowFixture f({test::kGerman});
  if (!f.Views().Spelling().Ready()) GTEST_SKIP() << "no German Hunspell dictionary installed";
  ui::TTranslationGrid& grid = f.ShowGrid(ui::TTab::ResourceStrings);
  grid.SelectRow(f.Row(grid, "Texts_SFileNotFound"), true);
  ui::TCellEditor* editor = grid.Delegate()->OpenEditor();
  ASSERT_NE(editor, nullptr);
  editor->setText(QStringLiteral("Datei %s nicht gefundn"));
  QStringList offered;
  QTimer::singleShot(0, [&] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    QAction* pick = nullptr;
    for (QAction* action : menu->actions())
      if (action->objectName() == "spellSuggestion") {
        offered << action->text();
        if (action->text() == "gefunden") pick = action;
      }
    if (pick) pick->trigger();
    menu->close();
  });
  QPoint at(editor->width() - 4, editor->height() / 2);  // past the text: the last word, "gefundn"
  QContextMenuEvent event(QContextMenuEvent::Mouse, at, editor->mapToGlobal(at));
  QApplication::sendEvent(editor, &event);
  EXPECT_TRUE(offered.contains("gefunden")) << offered.join(",").toStdString();
  EXPECT_EQ(editor->text(), "Datei %s nicht gefunden");
}

TEST(Spelling, ALanguageWithoutAnInstalledDictionaryIsNamedInTheStatusBar) {
  test::TWindowFixture f({0x0413});  // Dutch: no hunspell-nl here
  if (f.Views().Spelling().Ready()) GTEST_SKIP() << "a Dutch dictionary is installed";
  auto* status = f.window->findChild<QLabel*>(QStringLiteral("statusSpelling"));
  EXPECT_TRUE(status->isVisibleTo(f.window.get()));
  EXPECT_TRUE(status->text().contains("no Hunspell dictionary nl_NL installed for Dutch")) << status->text().toStdString();
  EXPECT_TRUE(status->text().contains("hunspell-nl"));
}

}  // namespace
}  // namespace kst
