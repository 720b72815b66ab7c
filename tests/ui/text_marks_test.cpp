// Placeholders and words in a cell's text (tables of cases), the spelling
// dictionary of a Windows language, and the placeholders' colour on light
// and dark themes.
#include <gtest/gtest.h>

#include <QPalette>

#include <cctype>
#include <ostream>

#include "ui/display_state.h"
#include "ui/grid_delegate.h"
#include "ui/spell_checker.h"
#include "ui/text_marks.h"
#include "support/test_support.h"

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
                    TMarkCase{"eins\r\nzwei\tdrei", {"\xE2\x86\xB5", "\xE2\x86\x92"}, {"eins", "zwei", "drei"}},
                    TMarkCase{"E-Mail it's MP3 x", {}, {"E-Mail", "it's"}}));

TEST(ShownText, LineBreaksAndTabsShowAsOneMarkEach) {
  EXPECT_EQ(ui::ShownText(QStringLiteral("a\r\nb\rc\nd\te")), QStringLiteral("a\u21B5b\u21B5c\u21B5d\u2192e"));
}

TEST(SpellChecker, LocaleNamesOfWindowsLanguages) {
  EXPECT_EQ(ui::TSpellChecker::LocaleName(0x0407), "de_DE");
  EXPECT_EQ(ui::TSpellChecker::LocaleName(0x0807), "de_CH");
  EXPECT_EQ(ui::TSpellChecker::LocaleName(0x0409), "en_US");
  EXPECT_EQ(ui::TSpellChecker::LocaleName(0x0419), "ru_RU");
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

TEST(Palette, PlaceholdersStayReadableOnADarkTheme) {
  QPalette light, dark;
  light.setColor(QPalette::Base, Qt::white);
  dark.setColor(QPalette::Base, QColor(30, 30, 30));
  EXPECT_LT(ui::TGridDelegate::PlaceholderColor(light).lightness(), 128);
  EXPECT_GT(ui::TGridDelegate::PlaceholderColor(dark).lightness(), 128);
}

// The translated style's default blue, readable on a dark theme; on a light
// one it stays the blue it is.
TEST(Palette, TheTranslatedBlueIsLightenedOnADarkTheme) {
  QPalette light, dark;
  light.setColor(QPalette::Base, Qt::white);
  dark.setColor(QPalette::Base, QColor(30, 30, 30));
  ui::TDisplayState display;
  EXPECT_EQ(display.Color(ui::kStyleTranslated, light), QColor(0, 0, 255));
  QColor onDark = display.Color(ui::kStyleTranslated, dark);
  EXPECT_GT(onDark.lightness(), 180);
  EXPECT_GT(onDark.blue(), onDark.red()) << "still blue";
  dark.setColor(QPalette::Text, QColor(230, 230, 230));
  EXPECT_EQ(display.Color(ui::kStyleStandard, dark), QColor(230, 230, 230)) << "the system colour is the palette's";
}

}  // namespace
}  // namespace kst
