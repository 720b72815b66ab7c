// Binary form <-> form text, the model reading and writing it, and the tokenizer both share
// (tests/data/formmodel/README describes the golden folders); cut, corrupted and hostile input.
#include <gtest/gtest.h>

#include "config/text_helpers.h"
#include "form_test_support.h"
#include "formmodel/form_conversion.h"
#include "formmodel/form_errors.h"
#include "formmodel/form_parser.h"
#include "formmodel/form_reader.h"
#include "formmodel/form_writer.h"
#include "platform/file_utils.h"
#include "support/test_support.h"

namespace kst {
namespace {

std::string DataDir(const std::string& folder) { return test::TestDataDir() + "/formmodel/" + folder; }
auto Cases(const std::string& folder) { return testing::ValuesIn(test::GoldenCases(DataDir(folder))); }
// A short string of a component stream: its length byte and its bytes.
std::string Str(const std::string& s) { return static_cast<char>(s.size()) + s; }

std::string Values(TComponentHelper& root) {
  std::string out;
  root.ForEachPropertyPath([&](const std::string& path, TCHValue& v) {
    out += path + "\t" + PropertyTypeName(v.PropertyType) + "\t" + EncodeEscapes(v.OriginalValue) + "\n";
  });
  return out;
}

class FormCase : public testing::TestWithParam<std::string> {};

TEST_P(FormCase, ConvertsBothWaysAndTheModelReadsAndWritesIt) {
  const std::string dir = DataDir("forms") + "/" + GetParam();
  const std::string stream = ReadFileBytes(dir + "/stream.bin");
  test::ExpectGolden(dir + "/text.txt", BinaryToText(stream));
  const std::string text = ReadFileBytes(dir + "/text.txt");
  EXPECT_EQ(test::ToHex(TextToBinary(text)), test::ToHex(stream));
  EXPECT_EQ(ResourceToText(TextToResource(text) + "trailing data"), text);
  auto root = ReadFormText(text);
  test::ExpectGolden(dir + "/values.txt", Values(*root));
  const std::string written = FormToText(*root, false);
  test::ExpectGolden(dir + "/written.txt", written);
  EXPECT_EQ(test::CompareTrees(*root, *ReadFormText(written)), "");
}

INSTANTIATE_TEST_SUITE_P(Golden, FormCase, Cases("forms"), test::TCaseName());

// Text as a person writes it: the value it converts to, what the reader keeps and the model writes back.
class TypedText : public testing::TestWithParam<std::string> {};

TEST_P(TypedText, ConvertsToTheValueAndIsKeptAsWritten) {
  const std::string dir = DataDir("typed/" + GetParam()), text = ReadFileBytes(dir + "/text.txt");
  const std::string stream = TextToBinary(text), frame = "TPF0" + Str("TForm1") + Str("Form1") + Str("P");
  ASSERT_EQ(stream.substr(0, frame.size()), frame);
  auto root = ReadFormText(text);
  ASSERT_EQ(root->Properties.size(), 1u);
  const TCHValue& p = *root->Properties[0];
  EXPECT_EQ(p.TranslatedValue, p.OriginalValue);
  test::ExpectGolden(dir + "/expected.txt",
                     "value: " + test::ToHex(stream.substr(frame.size(), stream.size() - frame.size() - 2)) + "\ntype: " +
                         PropertyTypeName(p.PropertyType) + "\nkept: " + EncodeEscapes(p.OriginalValue) +
                         "\nwritten: " + EncodeEscapes(FormToText(*root, false)) + "\n");
}

INSTANTIATE_TEST_SUITE_P(Golden, TypedText, Cases("typed"), test::TCaseName());

// Streams whose text reads back as other bytes with the same values.
class OneWay : public testing::TestWithParam<std::string> {};

TEST_P(OneWay, KeepsTheValuesThroughText) {
  const std::string dir = DataDir("one-way/" + GetParam());
  const std::string stream = ReadFileBytes(dir + "/stream.bin");
  test::ExpectGolden(dir + "/text.txt", BinaryToText(stream));
  const std::string back = test::CompareStreams(stream, TextToBinary(BinaryToText(stream)));
  test::ExpectGolden(dir + "/read-back.txt", (back.empty() ? "the same values" : back) + "\n");
}

INSTANTIATE_TEST_SUITE_P(Golden, OneWay, Cases("one-way"), test::TCaseName());

// The object keywords in any case, with and without a position: their prefix byte and the reader's flags.
TEST(ObjectKeywords, GiveTheirPrefixAndAreKept) {
  const struct { const char* header; const char* prefix; bool isInherited, isInline; } cases[] = {
      {"OBJECT F: TF", "", false, false},          {"Inline F: TF", "F4", false, true},
      {"INLINE F: TF [2]", "F60202", false, true}, {"inline F: TF [0]", "F60200", false, true},
      {"Inherited F: TF [1]", "F30201", true, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.header);
    const std::string text = "object Form1: TForm1\r\n  " + std::string(c.header) + "\r\n  end\r\nend\r\n";
    const std::string stream = TextToBinary(text);
    const size_t form = 18;  // "TPF0", the form's class and name, the end of its properties
    EXPECT_EQ(test::ToHex(stream.substr(form, stream.size() - form - 1)), std::string(c.prefix) + "02544601460000");
    auto root = ReadFormText(text);
    EXPECT_EQ(root->Children[0]->IsInherited, c.isInherited);
    EXPECT_EQ(root->Children[0]->IsInline, c.isInline);
  }
}

TEST(ResourceFraming, TheHeaderNamesTheClassInUpperCaseWhateverItsLength) {
  const std::string text = "inherited Form1: TMainForm [3]\r\nend\r\n", resource = TextToResource(text);
  EXPECT_EQ(resource.substr(0, 15), std::string("\xFF\x0A\0TMAINFORM\0\x30\x10", 15));
  EXPECT_EQ(test::Le(resource).U32At(15), TextToBinary(text).size());
  EXPECT_EQ(resource.substr(19), TextToBinary(text));
  const std::string longClass = "object F: T" + std::string(200, 'a') + "\r\n  Tag = 1\r\nend\r\n";
  EXPECT_EQ(ResourceToText(TextToResource(longClass)), longClass);
}

// Wide strings are held in the code page worked in. Written back, an untranslated one keeps its characters
// and type, a translated one is read in the language's code page, and no character becomes "?".
TEST(WideStrings, KeepTheirCharactersAndTypeThroughTheModel) {
  const std::string text = "object Form1: TForm1\r\n  Caption = #01055#01088#01080#01074#01077#01090\r\n"
                           "  Hint = #08594' Next'\r\n  Title = #001041'ber'\r\nEND\r\n";
  auto root = ReadFormText(text, kParseBufSize, 1251);
  TCHValue& caption = *root->FindProperty("Form1.Caption");
  EXPECT_EQ(caption.OriginalValue, "\xCF\xF0\xE8\xE2\xE5\xF2");
  EXPECT_EQ(root->FindProperty("Form1.Hint")->OriginalValue, "? Next") << "what 1251 can show of the arrow";
  EXPECT_EQ(caption.WideKind, kWideString);
  EXPECT_EQ(root->FindProperty("Form1.Title")->WideKind, kUtf8String);
  EXPECT_EQ(FormToText(*root, true, 1251), text) << "untranslated: as they came";

  caption.TranslatedValue = "\xC7\xE4\xF0\xE0\xE2\xF1\xF2\xE2\xF3\xE9";  // Здравствуй in 1251
  root->FindProperty("Form1.Title")->TranslatedValue = "\xFC";
  const std::string stream = TextToBinary(FormToText(*root, true, 1251));
  EXPECT_NE(stream.find(std::string("\x12\x0A\0\0\0", 5) + "\x17\x04\x34\x04\x40\x04"), std::string::npos)
      << "a vaWString of ten characters, Cyrillic";
  EXPECT_NE(stream.find(std::string("\x14\x02\0\0\0", 5) + "\xD1\x8C"), std::string::npos) << "UTF-8 of 1251's \\xFC";

  auto repeated = ReadFormText("object F: TForm\r\n  P = #01060\r\n  P = 5\r\nend\r\n");
  EXPECT_EQ(repeated->FindProperty("F.P")->WideKind, 0) << "a repeated property is what it says last";

  root->ResetAllTranslations();
  root->FindProperty("Form1.Hint")->TranslatedValue = "? Weiter";
  EXPECT_EQ(test::Thrown<EFormModelError>([&] { FormToText(*root, true, 1252); }),
            "Form1.Hint: the original holds the character U+2192, which code page 1252 cannot hold and shows as "
            "\"?\"; a translation with \"?\" would put a question mark in its place, so it is refused and the "
            "original kept.");
  root->FindProperty("Form1.Hint")->TranslatedValue = "Weiter";
  EXPECT_NE(FormToText(*root, true, 1252).find("Hint = #087'eiter'"), std::string::npos) << "a translation without \"?\"";
}

// The reader keeps values as text, so a value only the converter turns into bytes stops the converter alone.
class BadInput : public testing::TestWithParam<std::string> {};

TEST_P(BadInput, StopsWithItsMessage) {
  const std::string dir = DataDir("bad-input/" + GetParam());
  std::string messages;
  if (FileExists(dir + "/input.res")) {
    const std::string input = ReadFileBytes(dir + "/input.res");
    messages = "converter: " + test::Thrown<EReadError>([&] { ResourceToText(input); }) + "\n";
  } else {
    const std::string text = ReadFileBytes(dir + "/text.txt");
    messages = "converter: " + test::Thrown<EParserError>([&] { TextToBinary(text); }) + "\nreader: " +
               test::Thrown<EParserError>([&] { ReadFormText(text); }) + "\n";
  }
  test::ExpectGolden(dir + "/messages.txt", messages);
}

INSTANTIATE_TEST_SUITE_P(Golden, BadInput, Cases("bad-input"), test::TCaseName());

// Input cut at every length and with single bytes changed: one of our errors (or a valid result), never a
// crash or a hang. "rich" holds Delphi 3's value types, "later-values" those of Delphi 4 to 7.
class Robustness : public testing::TestWithParam<std::string> {
protected:
  std::string text = ReadFileBytes(DataDir("forms") + "/" + GetParam() + "/text.txt");
  std::string resource = TextToResource(text);
};

INSTANTIATE_TEST_SUITE_P(Forms, Robustness, testing::Values("rich", "later-values"));

TEST_P(Robustness, ResourceCutAtEveryLengthOrWithEachByteChanged) {
  for (size_t n = 0; n < resource.size(); ++n) {
    // A copy of exactly n bytes, so that the sanitizers see a read past it.
    std::string exact(resource.data(), n);
    EXPECT_THROW(ResourceToText(exact), EReadError) << "cut at " << n;
  }
  for (size_t i = 0; i < resource.size(); ++i)
    for (int value : {0x00, 0x01, 0x0E, 0x11, 0x7F, 0xF3, 0xFF}) {
      std::string bad = resource;
      bad[i] = static_cast<char>(value);
      test::Thrown<EFormError>([&] { ReadFormText(ResourceToText(bad)); });
    }
}

TEST_P(Robustness, TextCutAtEveryLengthOrWithEachByteChanged) {
  for (size_t n = 0; n + 2 < text.size(); ++n) {
    std::string cut = text.substr(0, n);
    EXPECT_THROW(TextToBinary(cut), EParserError) << "cut at " << n;
    EXPECT_THROW(ReadFormText(cut), EParserError) << "cut at " << n;
  }
  for (size_t i = 0; i < text.size(); ++i)
    for (char value : {'\0', '\n', '\'', '(', '<', '{', '#', 'x', 'c', '9'}) {
      std::string bad = text;
      bad[i] = value;
      test::Thrown<EFormError>([&] { TextToResource(bad); });
      test::Thrown<EFormError>([&] { ReadFormText(bad); });
    }
}

TEST(Nesting, HostileDepthEndsWithAnErrorAndTheLimitItselfReads) {
  const std::string form = "TPF0" + Str("TForm1") + Str("Form1") + Str("P");
  std::string lists = form, objects = "TPF0", collections = form;
  for (int i = 0; i < 100000; ++i) {
    lists += char(vaList);
    objects += Str("T") + Str("A") + '\0';
    collections += std::string{char(vaCollection), char(vaList)} + Str("Q");
  }
  EXPECT_EQ(test::Thrown<EReadError>([&] { BinaryToText(lists); }), kSNestingTooDeep);
  EXPECT_THROW(BinaryToText(objects), EReadError);
  EXPECT_THROW(BinaryToText(collections), EReadError);
  EXPECT_THROW(ReadFormText("object F: TF\r\n  X = " + std::string(100000, '(') + "\r\nend\r\n"), EParserError);
  std::string deepObjects;
  for (int i = 0; i < 2000; ++i) deepObjects += "object A: T\r\n";
  try {
    ReadFormText(deepObjects);
    FAIL();
  } catch (const EParserError& e) {
    EXPECT_EQ(e.Reason(), kSNestingTooDeep);
  }
  // The form and its child object count as two levels.
  auto nested = [](int lists) {
    return "object F: TF\r\n  object G: TG\r\n    P = " + std::string(lists, '(') + std::string(lists, ')') +
           "\r\n  end\r\nend\r\n";
  };
  auto root = ReadFormText(BinaryToText(TextToBinary(nested(kMaxFormNesting - 2))));
  EXPECT_EQ(root->Children[0]->Properties[0]->PropertyType, ptList);
  EXPECT_THROW(TextToBinary(nested(kMaxFormNesting - 1)), EParserError);
}

TEST(Nesting, HugeCountsAreCheckedBeforeAllocating) {
  for (const char* count : {"\xFF\xFF\xFF\x7F", "\xFF\xFF\xFF\xFF", "\0\0\0\x80"})
    for (char type : {vaBinary, vaLString})
      EXPECT_THROW(BinaryToText("TPF0" + Str("T") + Str("") + Str("P") + type + std::string(count, 4)), EReadError);
}

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
        TTokenCase{"WidthLetterEndsAFloat", "1.5E2s)", toFloat, "1.5E2s", ')'},
        TTokenCase{"WidthLetterMakesAFloat", "2Dx", toFloat, "2D", toSymbol},
        TTokenCase{"OtherLetterEndsTheNumber", "2x", toInteger, "2", toSymbol},
        TTokenCase{"ControlCharsAreBlanks", "\x01\x1F=", '=', "=", toEOF},
        TTokenCase{"HighByteIsCharacter", "\xE9x", '\xE9', "\xE9", toSymbol},
        TTokenCase{"NulEndsText", std::string("a\0b", 3), toSymbol, "a", toEOF},
        TTokenCase{"Empty", "", toEOF, "", toEOF}),
    test::TCaseName());

TEST(Parser, CountsLineFeedsOnly) {
  TParser parser("a\r\nb\rc\n\nd");  // a lone CR is a blank
  std::vector<int> lines{parser.SourceLine()};
  while (parser.NextToken() != toEOF) lines.push_back(parser.SourceLine());
  EXPECT_EQ(lines, (std::vector<int>{1, 2, 2, 4}));
}

TEST(Parser, ComponentIdentJoinsDottedParts) {
  TParser parser("Form1.Button1.Font x");
  EXPECT_EQ(parser.TokenComponentIdent(), "Form1.Button1.Font");
  EXPECT_EQ(parser.NextToken(), toSymbol);
  EXPECT_EQ(parser.TokenString(), "x");
}

TEST(Parser, HexToBinaryCrossesLinesAndWindows) {
  std::string text = "{";
  for (int i = 0; i < 3000; ++i) text += "0A0B\r\n";
  text += "} x";
  TParser parser(text);
  std::string bytes;
  parser.HexToBinary(bytes);
  EXPECT_EQ(bytes.size(), 6000u);
  EXPECT_EQ(parser.Token(), '}');
  EXPECT_EQ(parser.NextToken(), toSymbol);
  EXPECT_EQ(parser.SourceLine(), 3001);
}

// With CR LF a line of 4092 characters leaves its line feed inside the part
// of the window that is searched; a longer line stops (bad-input/text-LineTooLong).
TEST(Parser, LinesThatFitTheWindowRead) {
  const std::string text = "x\r\n" + std::string(4092, 'a') + "\r\ny";
  TParser parser(text);
  EXPECT_EQ(parser.NextToken(), toSymbol);
  EXPECT_EQ(parser.TokenString().size(), 4092u);
  EXPECT_EQ(parser.NextToken(), toSymbol);
  EXPECT_EQ(parser.TokenString(), "y");
}

TEST(Parser, ManyShortLinesReadAcrossRefills) {
  std::string text;
  for (int i = 0; i < 5000; ++i) text += "ab" + std::to_string(i) + " = 'x'\r\n";
  TParser parser(text);
  int symbols = 0;
  for (char t = parser.Token(); t != toEOF; t = parser.NextToken()) symbols += t == toSymbol;
  EXPECT_EQ(symbols, 5000);
  EXPECT_EQ(parser.SourceLine(), 5001);
}

TEST(Parser, StringCutByLineEndStops) {
  for (const char* text : {"'abc\r\n'", "'abc\ndef'", "'abc"})
    EXPECT_EQ(test::Thrown<EParserError>([&] { TParser parser(text); }), "Invalid string constant on line 1") << text;
}

TEST(Parser, TokenIntReadsDelphiIntegers) {
  const std::pair<const char*, int32_t> cases[] = {
      {"0", 0},           {"-2147483648", INT32_MIN}, {"2147483647", INT32_MAX}, {"$7FFFFFFF", INT32_MAX},
      {"$80000000", INT32_MIN}, {"$00000000FF", 255},   {"$ff", 255}};
  for (const auto& [text, value] : cases) EXPECT_EQ(TParser(text).TokenInt(), value) << text;
}

}  // namespace
}  // namespace kst
