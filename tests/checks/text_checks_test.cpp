// The per-text checks as tables: an original, a translation and what the
// checks must find (their ids, in order), with the tricky cases of each.
#include "checks/text_checks.h"

#include <gtest/gtest.h>

#include "checks/format_arguments.h"
#include "platform/codepage.h"
#include "support/test_support.h"

namespace kst {
namespace {

// How Format's arguments resolve: "argument type" per specifier taken.
struct TScanCase {
  const char* text;
  const char* arguments;
  int strays;
};

std::string Arguments(const TFormatScan& scan) {
  std::string text;
  for (const TFormatArgument& a : scan.arguments)
    text += (text.empty() ? "" : " ") + std::to_string(a.argument) + static_cast<char>(a.type);
  return text;
}

class FormatScan : public testing::TestWithParam<TScanCase> {};

TEST_P(FormatScan, ResolvesArgumentsAsDelphiDoes) {
  const TScanCase& c = GetParam();
  std::string text = c.text;
  TFormatScan scan = ScanFormat(std::u16string(text.begin(), text.end()));
  EXPECT_EQ(Arguments(scan), c.arguments);
  EXPECT_EQ(static_cast<int>(scan.strays.size()), c.strays);
}

INSTANTIATE_TEST_SUITE_P(Cases, FormatScan,
                         testing::Values(TScanCase{"%d files in %s", "0d 1s", 0},
                                         TScanCase{"%1:s %s %0:d", "1s 2s 0d", 0},  // an index moves the counter on
                                         TScanCase{"%0:s %0:s", "0s 0s", 0}, TScanCase{"%-10.2f", "0f", 0},
                                         TScanCase{"%*.*f", "0* 1* 2f", 0},  // each "*" takes an argument
                                         TScanCase{"%2:*d", "2* 3d", 0}, TScanCase{"%%d %S %X", "0s 1x", 0},
                                         TScanCase{"100%", "", 1}, TScanCase{"50% off, 10%", "", 2},
                                         TScanCase{"%:d %-d %5", "0d", 2},  // "%:d" has no index; "%-d" is fine
                                         TScanCase{"%.3e%.*g", "0e 1* 2g", 0}));

// A case of CheckText. Texts are written in UTF-8 and converted to their
// code pages, unless `raw` (the translation's bytes as they stand).
struct TTextCase {
  const char* name;
  const char* original;
  const char* translation;
  const char* expected;  // ids, comma-separated
  const char* property = "";
  int language = 0x0407;
  int codePage = 1252;
  bool fixedSize = false;
  bool raw = false;
};

std::string Ids(const std::vector<TFinding>& findings) {
  std::string ids;
  for (const TFinding& f : findings) ids += (ids.empty() ? "" : ",") + f.id;
  return ids;
}

std::vector<TFinding> Check(const TTextCase& c, std::string& original, std::string& translation) {
  original = Utf8ToCodePage(c.original, 1252);
  translation = c.raw ? std::string(c.translation) : Utf8ToCodePage(c.translation, c.codePage);
  TTextCheckInput input{original, translation, c.property, 1252, c.codePage, c.language, c.fixedSize};
  return CheckText(input);
}

class TextChecks : public testing::TestWithParam<TTextCase> {};

TEST_P(TextChecks, FindWhatIsWrong) {
  std::string original, translation;
  EXPECT_EQ(Ids(Check(GetParam(), original, translation)), GetParam().expected);
}

const TTextCase kFormat[] = {
    {"same", "%d files in %s", "%d Dateien in %s", ""},
    {"lost", "%d files in %s", "%d Dateien", "format"},
    {"swapped", "%d files in %s", "%s: %d Dateien", "format"},
    {"reordered", "%d files in %s", "In %1:s sind %0:d Dateien", ""},
    {"width changed", "%-10.2f EUR", "%10.2f EUR", ""},
    {"type changed", "%-10.2f EUR", "%-10.2d EUR", "format"},
    {"type case", "%s", "%S", ""},
    {"literal percent", "%%d done", "%d fertig", ""},  // no specifier: not a format string
    {"literal next to one", "%s: %%d", "%s: %d", "format"},
    {"repeated", "%0:s %0:s", "%0:s und %0:s", ""},
    {"repeat lost", "%0:s %0:s", "%0:s", "format"},
    {"repeat unindexed", "%0:s %0:s", "%s %s", "format"},  // the second takes argument 1
    {"beyond", "%s", "%5:s", "format"},
    {"star", "%*d", "%*d", ""},
    {"star lost", "%*d", "%d", "format"},
    {"percent sign", "100%", "100 %", ""},
    {"percent sign added", "%d files", "%d Dateien (100%)", "format"},
    {"percent sign kept", "%d%%", "%d %%", ""},
};
INSTANTIATE_TEST_SUITE_P(Format, TextChecks, testing::ValuesIn(kFormat), test::TCaseName());

const TTextCase kAccelerators[] = {
    {"kept", "&Open", "&Öffnen", ""},
    {"lost", "&Open", "Öffnen", "accelerator"},
    {"doubled", "&Open", "Ö&ff&nen", "accelerator"},
    {"added", "Open", "Ö&ffnen", "accelerator"},
    {"ampersands", "R&&D", "F&&E", ""},
    {"ampersand before a blank", "Tom && Jerry", "Tom & Jerry", ""},
    {"ampersand at the end", "Save&", "Speichern", ""},
    {"moved to the end", "&Open", "Öffnen&", "accelerator"},
    {"hint draws none", "&Open|Opens", "Öffnen|Öffnet", "", "Hint"},
};
INSTANTIATE_TEST_SUITE_P(Accelerators, TextChecks, testing::ValuesIn(kAccelerators), test::TCaseName());

const TTextCase kSeparators[] = {
    {"hint kept", "Open|Opens a file", "Öffnen|Öffnet eine Datei", "", "Hint"},
    {"hint lost", "Open|Opens a file", "Öffnen", "hint-separator", "Hint"},
    {"only long", "|Only long", "|Nur lang", "", "Hint"},
    {"only long lost", "|Only long", "Nur lang", "hint-separator", "Hint"},
    {"added", "Short", "Kurz|Lang", "hint-separator", "Hint"},
    {"plain text keeps none", "Short", "Kurz|Lang", ""},
    {"filter", "Text files (*.txt)|*.txt|All files (*.*)|*.*", "Textdateien (*.txt)|*.txt|Alle Dateien (*.*)|*.*", "",
     "Filter"},
    {"pattern changed", "Text files|*.txt|All files|*.*", "Textdateien|*.text|Alle Dateien|*.*", "filter", "Filter"},
    {"field lost", "Text files|*.txt|All files|*.*", "Textdateien|*.txt|Alle Dateien", "filter", "Filter"},
    {"empty last field", "Text|*.txt|", "Texte|*.txt|", "", "Filter"},
    {"empty last field lost", "Text|*.txt|", "Texte|*.txt", "filter", "Filter"},
    {"empty description", "|*.txt", "|*.TXT", "filter", "Filter"},
    {"dataset filter", "Country = 'France'", "Land = 'Frankreich'", "", "Filter"},  // no "|": no file filter
    {"collection property", "Open|Opens", "Öffnen", "hint-separator", "Items.Hint"},
};
INSTANTIATE_TEST_SUITE_P(Separators, TextChecks, testing::ValuesIn(kSeparators), test::TCaseName());

constexpr int kFrench = 0x040C, kGreek = 0x0408, kJapanese = 0x0411, kArabic = 0x0401, kRussian = 0x0419;

const TTextCase kBlanks[] = {
    {"leading lost", " Name", "Name", "leading-blanks"},
    {"trailing lost", "Name: ", "Name:", "trailing-blanks"},
    {"trailing line break lost", "Name:\r\n", "Name:", "trailing-blanks"},
    {"other blank", "Name: ", "Name:\t", "trailing-blanks"},
    {"inner line break lost", "One\r\nTwo", "Eins Zwei", "line-breaks"},
    {"bare line feed counts", "One\r\nTwo", "Eins\nZwei", ""},
    {"all blank", "  ", " ", "leading-blanks"},
    {"colon lost", "Name:", "Name", "ending-punctuation"},
    {"French colon", "Name:", "Nom :", "", "", kFrench},
    {"French question", "Save?", "Enregistrer ?", "", "", kFrench},
    {"Greek question", "Save?", "Αποθήκευση;", "", "", kGreek, 1253},
    {"semicolon elsewhere", "Save?", "Speichern;", "ending-punctuation"},
    {"ellipsis character", "Open...", "Öffnen…", ""},
    {"ellipsis shortened", "Open...", "Öffnen.", "ending-punctuation"},
    {"period added", "Open", "Öffnen.", "ending-punctuation"},
    {"full-width question", "Save?", "保存？", "", "", kJapanese, 932},
    {"ideographic full stop", "Done.", "完了。", "", "", kJapanese, 932},
    {"Arabic question", "Save?", "حفظ؟", "", "", kArabic, 1256},
    {"doubled blank", "Open file", "Datei  öffnen", "doubled-blanks"},
    {"doubled blank kept", "Open  file", "Datei  öffnen", ""},
};
INSTANTIATE_TEST_SUITE_P(Blanks, TextChecks, testing::ValuesIn(kBlanks), test::TCaseName());

const TTextCase kCodePages[] = {
    {"assigned", "Size", "\xD0\xE0\xE7\xEC\xE5\xF0", "", "", kRussian, 1251, false, true},
    {"unassigned in 1251", "Size", "Gr\x98\x65", "code-page", "", kRussian, 1251, false, true},
    {"unassigned in 1252", "Size", "Gr\x81\x65", "code-page", "", 0x0407, 1252, false, true},
    {"control", "Size", "Gr\x07\x65", "code-page", "", 0x0407, 1252, false, true},
    {"tab", "Size", "Gr\xF6\t\xDF\x65", "", "", 0x0407, 1252, false, true},
    {"double byte", "Size", "\x82\xA0", "", "", kJapanese, 932, false, true},
    {"lead byte at the end", "Size", "\x82\xA0\x82", "code-page", "", kJapanese, 932, false, true},
    {"broken pair", "Size", "\x82\x20\x82\xA0", "code-page", "", kJapanese, 932, false, true},
};
INSTANTIATE_TEST_SUITE_P(CodePages, TextChecks, testing::ValuesIn(kCodePages), test::TCaseName());

const TTextCase kLengths[] = {
    {"much longer", "OK", "Einverstanden", "length", "Caption", 0x0407, 1252, true},
    {"half again but short", "Open", "Aufmachen", "", "Caption", 0x0407, 1252, true},
    {"ten more but not half again", "Open the selected file", "Die gewaehlte Datei jetzt oeffnen", "", "Caption",
     0x0407, 1252, true},
    {"sized to its text", "OK", "Einverstanden", "", "Caption", 0x0407, 1252, false},
};
INSTANTIATE_TEST_SUITE_P(Lengths, TextChecks, testing::ValuesIn(kLengths), test::TCaseName());

// The reasons say what is wrong in words, quoting the translation's pieces
// in its code page.
TEST(TextCheckReasons, SayWhatIsWrong) {
  auto reason = [](TTextCase c) {
    std::string original, translation;
    std::vector<TFinding> found = Check(c, original, translation);
    return found.empty() ? std::string() : found[0].reason;
  };
  EXPECT_EQ(reason({"", "%d files in %s", "%d Dateien", "", "", 0x0407}),
            "Format specifiers differ: the translation lacks %s for argument 1");
  EXPECT_EQ(reason({"", "%0:s %0:s", "%s %s", ""}),
            "Format specifiers differ: the translation lacks %s for argument 0; %s for argument 1 is beyond the "
            "original's 1 argument");
  EXPECT_EQ(reason({"", "&Open", "Öffnen", ""}), "The original has the accelerator \"&O\", the translation none");
  EXPECT_EQ(reason({"", "Text|*.txt", "Texte|*.тхт", "", "Filter", kRussian, 1251}),
            Utf8ToCodePage("The pattern \"*.txt\" (field 2) became \"*.тхт\"; patterns must stay as they are", 1251));
  EXPECT_EQ(reason({"", "Name:\r\n", "Name: ", ""}),
            "The original ends with 1 line break, the translation with 1 blank");
  EXPECT_EQ(reason({"", "Size", "Gr\x98\x65", "", "", kRussian, 1251, false, true}),
            "The translation holds the byte 0x98, which code page 1251 leaves unassigned (byte 3)");
  EXPECT_EQ(reason({"", "OK", "Einverstanden", "", "Caption", 0x0407, 1252, true}),
            "The translation is 6.5 times as long as the original (13 characters against 2) in a control of fixed "
            "size");
}

}  // namespace
}  // namespace kst
