// Pseudo-translations of single texts: what they look like in three code
// pages, and that each keeps what a check of the translation compares.
#include <gtest/gtest.h>

#include "checks/text_checks.h"
#include "config/text_helpers.h"
#include "platform/codepage.h"
#include "session/pseudo_text.h"
#include "support/test_support.h"

namespace kst {
namespace {

struct TPseudoCase {
  std::string name;
  int codePage;
  std::string original;  // UTF-8 here, 1252 for the translator
  std::string expected;  // UTF-8, at the default expansion of 30 %
  TPseudoKind kind = TPseudoKind::Text;
};

const TPseudoCase kCases[] = {
    {"question", 1252, "Save changes to %s?", "[Šàvé çhàñgéš tö %s···]?"},
    {"indexed", 1252, "File %0:s not found", "[Fìlé %0:s ñöt ƒöüñd····]"},
    {"widthAndPrecision", 1252, "Total: %-10.2f", "[Tötàl: %-10.2f··]"},
    {"starWidth", 1252, "%*d of %d", "[%*d öƒ %d·]"},
    {"percent", 1252, "100%% done", "[100%% döñé·]"},
    {"loneRate", 1252, "Rate 5%", "[Ràté 5%]"},
    {"accelerator", 1252, "&File", "[&Fìlé]"},
    {"acceleratorKeepsItsLetter", 1252, "E&xit", "[É&xìt]"},
    {"acceleratorBeforeEllipsis", 1252, "&Open...", "[&Opéñ]..."},
    {"ampersand", 1252, "Fish && Chips", "[Fìšh && Çhìpš··]"},
    {"trailingAmpersand", 1252, "Lock&", "[Löçk]&"},
    {"hint", 1252, "Open|Opens a file", "[Öpéñ]|[Öpéñš à ƒìlé··]"},
    {"hintLongOnly", 1252, "|Only long", "|[Öñlý löñg·]"},
    {"filter", 1252, "Text files (*.txt)|*.txt|All (*.*)|*.*",
     "[Téxt ƒìléš (*.txt)···]|*.txt|[Àll (*.*)·]|*.*", TPseudoKind::Filter},
    {"filterWithoutWildcards", 1252, "Readme|README", "[Réàdmé]|README", TPseudoKind::Filter},
    {"blanks", 1252, "  Name:  ", "  [Ñàmé]:  "},
    {"lineBreak", 1252, "The first line\r\nand the second line",
     "[Thé ƒìršt lìñé\r\nàñd thé šéçöñd lìñé·········]"},
    {"ellipsis", 1252, "Loading...", "[Löàdìñg]..."},
    {"ellipsisCharacter", 1252, "Wait…", "[Wàìt]…"},
    {"exclamation", 1252, "Done!", "[Ðöñé]!"},
    {"separator", 1252, "-", "-"},
    {"onlySpecifier", 1252, "%d", "%d"},
    {"pattern", 1252, "*.txt", "*.txt"},
    {"empty", 1252, "", ""},
    {"accentedOriginal", 1252, "Größe", "[Größé]"},
    // Resource strings hold the script's escapes: kept whole, and a line
    // break written as one stays at the end.
    {"escapedLineBreak", 1252, "Line\\x0D\\x0A", "[Lìñé]\\x0D\\x0A", TPseudoKind::ResourceString},
    {"escapesInside", 1252, "One\\x0D\\x0ATwo", "[Öñé\\x0D\\x0ATwö··]", TPseudoKind::ResourceString},
    {"escapedQuestion", 1252, "Sure\\?", "[Šüré]\\?", TPseudoKind::ResourceString},
    {"octalTab", 1252, "\\011Indented", "\\011[Ìñdéñtéd]", TPseudoKind::ResourceString},

    {"polishQuestion", 1250, "Save changes to %s?", "[Šávé çháńgéš ťö %s···]?"},
    {"polishHint", 1250, "Open|Opens a file", "[Öpéń]|[Öpéńš á fíłé··]"},
    {"polishFilter", 1250, "Text files (*.txt)|*.txt", "[Ťéxť fíłéš (*.ťxť)···]|*.txt",
     TPseudoKind::Filter},
    {"polishFromWestern", 1250, "Größe", "[Gŕößé]"},

    {"russianQuestion", 1251, "Save changes to %s?", "[Ѕаvе сhапgеѕ то %s···]?"},
    {"russianHint", 1251, "Open|Opens a file", "[Ореп]|[Орепѕ а fіlе··]"},
    // An accented letter 1251 lacks becomes the look-alike of its plain
    // letter; a character without one, the code page's "?".
    {"russianFromWestern", 1251, "Größe", "[Gго?е]"},
};

class PseudoText : public testing::TestWithParam<TPseudoCase> {};

TEST_P(PseudoText, LooksAsExpected) {
  const TPseudoCase& c = GetParam();
  TPseudoTranslator translator(1252, c.codePage);
  std::string made = translator.Translate(Utf8ToCodePage(c.original, 1252), c.kind, 30);
  EXPECT_EQ(CodePageToUtf8(made, c.codePage), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, PseudoText, testing::ValuesIn(kCases), test::TCaseName());

// The checker finds nothing in a pseudo-translation: the same specifiers,
// accelerators, separators, blanks, line breaks and ending, every byte a
// character of the page, and short enough for a fixed-size caption.
TEST(PseudoTextChecks, PassTheChecksAndAreRecognisedAtEveryExpansion) {
  for (const TPseudoCase& c : kCases) {
    TPseudoTranslator translator(1252, c.codePage);
    std::string original = Utf8ToCodePage(c.original, 1252);
    for (int expand : {0, 30, 100, 1000}) {
      SCOPED_TRACE(c.name + " at " + std::to_string(expand) + " %");
      std::string made = translator.Translate(original, c.kind, expand);
      const bool escaped = c.kind == TPseudoKind::ResourceString;
      std::string runOriginal = escaped ? DecodeFullEscapes(original) : original;
      std::string runMade = escaped ? DecodeFullEscapes(made) : made;
      const char* property = c.kind == TPseudoKind::Filter                ? "Filter"
                             : c.original.find('|') != std::string::npos ? "Hint"
                                                                         : "Caption";
      for (const TFinding& f : CheckText({runOriginal, runMade, property, 1252, c.codePage, 0, true}))
        ADD_FAILURE() << f.id << ": " << CodePageToUtf8(f.reason, c.codePage);
      if (made == original) continue;
      EXPECT_TRUE(translator.IsPseudoTranslation(original, made));
      // A person's translation that merely looks like one: a letter changed,
      // or a word added in front of the bracket.
      std::string edited = made;
      edited[edited.find('[') + 1] = 'X';
      EXPECT_FALSE(translator.IsPseudoTranslation(original, edited)) << edited;
      EXPECT_FALSE(translator.IsPseudoTranslation(original, "A " + made));
    }
  }
}

TEST(PseudoTextChecks, NoPaddingWhereTheCodePageHasNoMiddleDot) {
  // Thai's code page has no "·": the padding is "~".
  TPseudoTranslator translator(1252, 874);
  std::string made = translator.Translate("Save changes to %s?", TPseudoKind::Text, 30);
  EXPECT_EQ(made, "[Save changes to %s~~~]?");
  EXPECT_TRUE(translator.IsPseudoTranslation("Save changes to %s?", made));
}

TEST(PseudoTextChecks, ExclusionsAndKindsFollowThePropertyPath) {
  struct {
    std::string path;
    bool excluded;
    TPseudoKind kind;
  } paths[] = {
      {"frmMain.Font.Name", true, TPseudoKind::Text},
      {"DBGrid1.TitleFont.Name", true, TPseudoKind::Text},
      {"DBGrid1.Columns[2].FieldName", true, TPseudoKind::Text},
      {"DBEdit1.DataField", true, TPseudoKind::Text},
      {"Query1.SQL.Strings[0]", true, TPseudoKind::Text},
      {"Table1.TableName", true, TPseudoKind::Text},
      {"frmMain.Caption", false, TPseudoKind::Text},
      {"lblName.Caption", false, TPseudoKind::Text},  // "Name" only at the end of a font
      {"DBGrid1.Columns[2].Title.Caption", false, TPseudoKind::Text},
      {"dlgOpen.Filter", false, TPseudoKind::Filter},
      {"dlgOpen.filter", false, TPseudoKind::Filter},
  };
  for (const auto& p : paths) {
    EXPECT_EQ(IsPseudoExcluded(p.path), p.excluded) << p.path;
    EXPECT_EQ(PseudoKindOfPath(p.path), p.kind) << p.path;
  }
}

}  // namespace
}  // namespace kst
