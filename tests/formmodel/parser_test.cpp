// TParser: token kinds and texts, line counting, the window of complete lines
// and its "Line too long" limit.
#include <gtest/gtest.h>

#include "form_test_support.h"
#include "formmodel/form_errors.h"
#include "formmodel/form_parser.h"

namespace kst {
namespace {

struct TTokenCase {
  const char* name;
  std::string text;
  char kind;
  std::string tokenText;
  char next;  // the kind of the token after it
};

class Tokens : public ::testing::TestWithParam<TTokenCase> {};

TEST_P(Tokens, KindTextAndWhereTheyStop) {
  TParser parser(GetParam().text);
  EXPECT_EQ(parser.Token(), GetParam().kind);
  EXPECT_EQ(parser.TokenString(), GetParam().tokenText);
  EXPECT_EQ(parser.NextToken(), GetParam().next);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Tokens,
    ::testing::Values(
        TTokenCase{"Symbol", "  _Ab1 x", toSymbol, "_Ab1", toSymbol},
        TTokenCase{"SymbolStopsAtDot", "Font.Name", toSymbol, "Font", '.'},
        TTokenCase{"QuotedWithDoubledQuote", "'Don''t'", toString, "Don't", toEOF},
        TTokenCase{"CodesAndRuns", "#65'B'#67 x", toString, "ABC", toSymbol},
        TTokenCase{"HashWithoutDigits", "#'a'", toString, std::string("\0a", 2), toEOF},
        TTokenCase{"Code255", "#255", toString, "\xFF", toEOF},
        TTokenCase{"BlankEndsString", "'a' 'b'", toString, "a", toString},
        TTokenCase{"Hex", "$0080ff00,", toInteger, "$0080ff00", ','},
        TTokenCase{"Negative", "-12)", toInteger, "-12", ')'},
        TTokenCase{"FloatWithExponent", "1.5E2 ", toFloat, "1.5E2", toEOF},
        TTokenCase{"FloatRunsOverSigns", "1e-5+3", toFloat, "1e-5+3", toEOF},
        TTokenCase{"LoneMinusIsInteger", "- 1", toInteger, "-", toInteger},
        TTokenCase{"ControlCharsAreBlanks", "\x01\x1F=", '=', "=", toEOF},
        TTokenCase{"HighByteIsCharacter", "\xE9x", '\xE9', "\xE9", toSymbol},
        TTokenCase{"NulEndsText", std::string("a\0b", 3), toSymbol, "a", toEOF},
        TTokenCase{"Empty", "", toEOF, "", toEOF}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Parser, CountsLineFeedsOnly) {
  TParser parser("a\r\nb\rc\n\nd");
  EXPECT_EQ(parser.SourceLine(), 1);
  parser.NextToken();
  EXPECT_EQ(parser.SourceLine(), 2);
  parser.NextToken();
  EXPECT_EQ(parser.SourceLine(), 2);  // a lone CR is a blank
  parser.NextToken();
  EXPECT_EQ(parser.SourceLine(), 4);
}

TEST(Parser, ComponentIdentJoinsDottedParts) {
  TParser parser("Form1.Button1.Font x");
  EXPECT_EQ(parser.TokenComponentIdent(), "Form1.Button1.Font");
  EXPECT_EQ(parser.NextToken(), toSymbol);
  EXPECT_EQ(parser.TokenString(), "x");
}

TEST(Parser, HexToBinaryCrossesLinesAndWindows) {
  std::string hex;
  for (int i = 0; i < 3000; ++i) hex += "0A0B\r\n";
  std::string text = "{" + hex + "} x";
  TParser parser(text);
  std::string bytes;
  parser.HexToBinary(bytes);
  EXPECT_EQ(bytes.size(), 6000u);
  EXPECT_EQ(parser.Token(), '}');
  EXPECT_EQ(parser.NextToken(), toSymbol);
  EXPECT_EQ(parser.SourceLine(), 3001);
}

std::string LineOf(size_t length) { return std::string(length, 'a') + "\r\n"; }

TEST(Parser, LinesThatFitTheWindowRead) {
  // With CR LF a line of 4092 characters leaves its line feed inside the
  // part of the window that is searched.
  std::string text = "x\r\n" + LineOf(4092) + "y";
  TParser parser(text);
  EXPECT_EQ(parser.NextToken(), toSymbol);
  EXPECT_EQ(parser.TokenString().size(), 4092u);
  EXPECT_EQ(parser.NextToken(), toSymbol);
  EXPECT_EQ(parser.TokenString(), "y");
}

TEST(Parser, LineLongerThanTheWindowStops) {
  std::string text = "x\r\ny\r\n" + LineOf(5000) + "z";
  TParser parser(text);
  try {
    parser.NextToken();
    parser.NextToken();
    FAIL() << "no error";
  } catch (const EParserError& e) {
    EXPECT_STREQ(e.what(), "Line too long on line 3");
    EXPECT_EQ(e.Reason(), "Line too long");
  }
}

TEST(Parser, ManyShortLinesReadAcrossRefills) {
  std::string text;
  for (int i = 0; i < 5000; ++i) text += "ab" + std::to_string(i) + " = 'x'\r\n";
  TParser parser(text);
  int symbols = 0;
  for (char t = parser.Token(); t != toEOF; t = parser.NextToken())
    if (t == toSymbol) ++symbols;
  EXPECT_EQ(symbols, 5000);
  EXPECT_EQ(parser.SourceLine(), 5001);
}

TEST(Parser, StringCutByLineEndStops) {
  for (const char* text : {"'abc\r\n'", "'abc\ndef'", "'abc"})
    EXPECT_EQ(test::ErrorOf<EParserError>([&] { TParser parser(text); }), "Invalid string constant on line 1") << text;
}

TEST(Parser, TokenIntReadsDelphiIntegers) {
  struct {
    const char* text;
    int32_t value;
  } cases[] = {{"0", 0}, {"-2147483648", INT32_MIN}, {"2147483647", INT32_MAX}, {"$7FFFFFFF", INT32_MAX},
               {"$80000000", INT32_MIN}, {"$00000000FF", 255}, {"$ff", 255}};
  for (const auto& c : cases) EXPECT_EQ(TParser(c.text).TokenInt(), c.value) << c.text;
}

}  // namespace
}  // namespace kst
