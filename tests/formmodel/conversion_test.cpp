// Binary form <-> form text: the exact layout of each value type, the value
// widths chosen for text, the messages of bad input, and round trips.
#include <gtest/gtest.h>

#include "form_test_support.h"
#include "formmodel/form_conversion.h"
#include "formmodel/form_errors.h"

namespace kst {
namespace {

using test::TStreamBuilder;

std::string A(size_t n, char c = 'a') { return std::string(n, c); }
std::string Bytes(size_t n) {
  std::string s;
  for (size_t i = 0; i < n; ++i) s += static_cast<char>(i * 7);
  return s;
}

// A root form with one property whose value the case supplies.
std::string OneProperty(const std::string& value) {
  return TStreamBuilder().Sig().Obj("TForm1", "Form1").Prop("P").Raw(value).End().End().Bytes();
}
std::string Line(const std::string& valueText) {
  return "object Form1: TForm1\r\n  P = " + valueText + "\r\nend\r\n";
}

struct TValueCase {
  const char* name;
  std::string value;  // type byte and data
  std::string text;   // as written after "P = "
};

class BinaryToTextValues : public ::testing::TestWithParam<TValueCase> {};

TEST_P(BinaryToTextValues, WritesTheLayout) {
  EXPECT_EQ(BinaryToText(OneProperty(GetParam().value)), Line(GetParam().text));
}

TStreamBuilder B() { return TStreamBuilder(); }

INSTANTIATE_TEST_SUITE_P(
    Values, BinaryToTextValues,
    ::testing::Values(
        TValueCase{"QuoteAsCode", B().String("it's").Bytes(), "'it'#39's'"},
        TValueCase{"OnlyControls", B().String("\r\n").Bytes(), "#13#10"},
        TValueCase{"Empty", B().String("").Bytes(), "''"},
        TValueCase{"HighBytesInQuotes", B().String("Caf\xE9").Bytes(), "'Caf\xE9'"},
        TValueCase{"Exactly64OnOneLine", B().String(A(64)).Bytes(), "'" + A(64) + "'"},
        TValueCase{"Hundred", B().String(A(100)).Bytes(), "\r\n    '" + A(64) + "' +\r\n    '" + A(36) + "'"},
        TValueCase{"SixtyFive", B().String(A(65)).Bytes(), "\r\n    '" + A(64) + "' +\r\n    'a'"},
        TValueCase{"CodeEndsLine", B().String(A(63) + "\r" + A(3)).Bytes(),
                   "\r\n    '" + A(63) + "'#13 +\r\n    'aaa'"},
        TValueCase{"LongString", B().String(A(300)).Bytes(),
                   "\r\n    '" + A(64) + "' +\r\n    '" + A(64) + "' +\r\n    '" + A(64) + "' +\r\n    '" + A(64) +
                       "' +\r\n    '" + A(44) + "'"},
        TValueCase{"Int8", B().Int(-5).Bytes(), "-5"},
        TValueCase{"Int16", B().Int(200).Bytes(), "200"},
        TValueCase{"Int32", B().Int(40000).Bytes(), "40000"},
        TValueCase{"Int32Min", B().Byte(vaInt32).Int32Raw(0x80000000u).Bytes(), "-2147483648"},
        TValueCase{"FloatHalf", B().Extended(1.5L).Bytes(), "1.5"},
        TValueCase{"FloatIntegral", B().Extended(150.0L).Bytes(), "150"},
        TValueCase{"FloatTenth", B().Extended(0.1L).Bytes(), "0.1"},
        TValueCase{"FloatNegative", B().Extended(-0.25L).Bytes(), "-0.25"},
        TValueCase{"FloatBig", B().Extended(1e20L).Bytes(), "1E20"},
        TValueCase{"FloatFifteenDigits", B().Extended(123456789012345.0L).Bytes(), "123456789012345"},
        TValueCase{"FloatSixteenDigits", B().Extended(1234567890123456.0L).Bytes(), "1.23456789012346E15"},
        TValueCase{"FloatSmall", B().Extended(0.0001L).Bytes(), "0.0001"},
        TValueCase{"FloatSmaller", B().Extended(0.00001L).Bytes(), "1E-5"},
        TValueCase{"FloatZero", B().Extended(0.0L).Bytes(), "0"},
        TValueCase{"Ident", B().Ident("clBtnFace").Bytes(), "clBtnFace"},
        TValueCase{"False", B().Byte(vaFalse).Bytes(), "False"},
        TValueCase{"True", B().Byte(vaTrue).Bytes(), "True"},
        TValueCase{"Nil", B().Byte(vaNil).Bytes(), "nil"},
        TValueCase{"Set", B().Byte(vaSet).Str("akLeft").Str("akTop").Str("").Bytes(), "[akLeft, akTop]"},
        TValueCase{"EmptySet", B().Byte(vaSet).Str("").Bytes(), "[]"},
        TValueCase{"Binary31OnOneLine", B().Binary(Bytes(31)).Bytes(), "{" + test::ToHex(Bytes(31)) + "}"},
        TValueCase{"Binary32", B().Binary(Bytes(32)).Bytes(), "{\r\n    " + test::ToHex(Bytes(32)) + "}"},
        TValueCase{"Binary40", B().Binary(Bytes(40)).Bytes(),
                   "{\r\n    " + test::ToHex(Bytes(32)) + "\r\n    " + test::ToHex(Bytes(40).substr(32)) + "}"},
        TValueCase{"BinaryEmpty", B().Binary("").Bytes(), "{}"},
        TValueCase{"List", B().Byte(vaList).String("eins").String("zwei").Byte(0).Bytes(),
                   "(\r\n    'eins'\r\n    'zwei')"},
        TValueCase{"EmptyList", B().Byte(vaList).Byte(0).Bytes(), "()"},
        TValueCase{"NestedListWithLongString", B().Byte(vaList).Byte(vaList).String(A(70)).Byte(0).Byte(0).Bytes(),
                   "(\r\n    (\r\n      \r\n        '" + A(64) + "' +\r\n        'aaaaaa'))"},
        TValueCase{"Collection",
                   B().Byte(vaCollection).Int(3).Byte(vaList).Prop("Caption").String("a").Byte(0).Byte(vaList).Byte(0)
                       .Byte(0).Bytes(),
                   "<\r\n    item [3]\r\n      Caption = 'a'\r\n    end\r\n    item\r\n    end>"},
        TValueCase{"EmptyCollection", B().Byte(vaCollection).Byte(0).Bytes(), "<>"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BinaryToText, HeadersCarryFlagsAndPositions) {
  std::string stream = TStreamBuilder()
                           .Sig().Obj("TForm1", "Form1").End()
                           .Byte(0xF3).Int(2).Obj("TButton", "Button1").End().End()
                           .Obj("TBevel", "").End().End()
                           .Byte(0xF4).Obj("TFrame2", "Frame").End().End()
                           .End().Bytes();
  EXPECT_EQ(BinaryToText(stream),
            "object Form1: TForm1\r\n"
            "  inherited Button1: TButton [2]\r\n"
            "  end\r\n"
            "  object TBevel\r\n"
            "  end\r\n"
            "  object Frame: TFrame2\r\n"
            "  end\r\n"
            "end\r\n");
}

TEST(ResourceToText, SkipsTheHeaderAndIgnoresTrailingData) {
  std::string stream = OneProperty(TStreamBuilder().Int(1).Bytes());
  std::string resource = TStreamBuilder().Raw(stream).Resource("TForm1") + "trailing text";
  EXPECT_EQ(ResourceToText(resource), Line("1"));
}

struct TBadStream {
  const char* name;
  std::string input;
  std::string message;
};

class BadResources : public ::testing::TestWithParam<TBadStream> {};

TEST_P(BadResources, StopWithTheirMessage) {
  std::string out;
  try {
    ResourceToText(GetParam().input, out);
    FAIL() << "no error";
  } catch (const EReadError& e) {
    EXPECT_EQ(e.what(), GetParam().message);
  }
}

std::string WithHeader(const std::string& stream) { return TStreamBuilder().Raw(stream).Resource("TForm1"); }

INSTANTIATE_TEST_SUITE_P(
    Messages, BadResources,
    ::testing::Values(
        TBadStream{"Empty", "", "Invalid stream format"},
        TBadStream{"NotOrdinal", std::string("\x00\x0A\x00", 3) + "X", "Invalid stream format"},
        TBadStream{"NotRcData", std::string("\xFF\x0B\x00TFORM1\x00", 10), "Invalid stream format"},
        TBadStream{"HeaderOnly", std::string("\xFF\x0A\x00", 3), "Invalid stream format"},
        TBadStream{"NameWithoutEnd", std::string("\xFF\x0A\x00", 3) + A(100, 'N'), "Invalid stream format"},
        TBadStream{"StreamMissing", std::string("\xFF\x0A\x00TFORM1\x00\x30\x10", 12), "Invalid stream format"},
        TBadStream{"BadSignature", WithHeader("TPF1" + A(10)), "Invalid stream format"},
        TBadStream{"CutInName", WithHeader("TPF0\x06TFo"), "Stream read error"},
        TBadStream{"NoEnd", WithHeader(TStreamBuilder().Sig().Obj("TForm1", "Form1").Bytes()), "Stream read error"},
        TBadStream{"BinaryLongerThanData", WithHeader(OneProperty(TStreamBuilder().Byte(vaBinary).Int32Raw(0xFFFFFFF0u).Bytes())),
                   "Stream read error"},
        TBadStream{"LStringLongerThanData", WithHeader(OneProperty(TStreamBuilder().Byte(vaLString).Int32Raw(1000).Raw("ab").Bytes())),
                   "Stream read error"},
        TBadStream{"PositionNotInteger", WithHeader(TStreamBuilder().Sig().Byte(0xF2).String("x").Bytes()),
                   "Invalid property value"},
        TBadStream{"ItemWithoutList", WithHeader(OneProperty(TStreamBuilder().Byte(vaCollection).Byte(vaString).Bytes())),
                   "Invalid property value"},
        TBadStream{"Date", WithHeader(OneProperty(TStreamBuilder().Byte(17).Raw(A(8)).Bytes())),
                   "Invalid property value: vaDate (17) is not supported"},
        TBadStream{"WideString", WithHeader(OneProperty(TStreamBuilder().Byte(18).Bytes())),
                   "Invalid property value: vaWString (18) is not supported"},
        TBadStream{"Utf8String", WithHeader(OneProperty(TStreamBuilder().Byte(20).Bytes())),
                   "Invalid property value: vaUTF8String (20) is not supported"},
        TBadStream{"UnknownType", WithHeader(OneProperty(TStreamBuilder().Byte(99).Bytes())),
                   "Invalid property value: value type 99 (99) is not supported"}),
    [](const auto& info) { return std::string(info.param.name); });

// Text to binary: the value bytes after "P".
struct TTextCase {
  const char* name;
  std::string text;
  std::string value;
};

class TextToBinaryValues : public ::testing::TestWithParam<TTextCase> {};

TEST_P(TextToBinaryValues, ChoosesTheValueType) {
  std::string text = "object Form1: TForm1\r\n  P = " + GetParam().text + "\r\nend\r\n";
  EXPECT_EQ(test::ToHex(TextToBinary(text)), test::ToHex(OneProperty(GetParam().value)));
}

INSTANTIATE_TEST_SUITE_P(
    Values, TextToBinaryValues,
    ::testing::Values(
        TTextCase{"Int8Top", "127", B().Byte(vaInt8).Byte(127).Bytes()},
        TTextCase{"Int8Bottom", "-128", B().Byte(vaInt8).Byte(0x80).Bytes()},
        TTextCase{"Int16For200", "200", B().Byte(vaInt16).Byte(200).Byte(0).Bytes()},
        TTextCase{"Int16ForMinus129", "-129", B().Byte(vaInt16).Byte(0x7F).Byte(0xFF).Bytes()},
        TTextCase{"Int32For40000", "40000", B().Byte(vaInt32).Int32Raw(40000).Bytes()},
        TTextCase{"HexWrapsToMinusOne", "$FFFFFFFF", B().Byte(vaInt8).Byte(0xFF).Bytes()},
        TTextCase{"Hex", "$0080FF00", B().Byte(vaInt32).Int32Raw(0x0080FF00).Bytes()},
        TTextCase{"Float", "1.5E2", B().Extended(150.0L).Bytes()},
        TTextCase{"JoinedString", "'Don''t' + #13#10 + 'go'", B().String("Don't\r\ngo").Bytes()},
        TTextCase{"Codes", "#65'B'#67", B().String("ABC").Bytes()},
        TTextCase{"LongString", "'" + A(200) + "' + '" + A(56) + "'", B().String(A(256)).Bytes()},
        TTextCase{"TrueAnyCase", "tRuE", B().Byte(vaTrue).Bytes()},
        TTextCase{"FalseAnyCase", "FALSE", B().Byte(vaFalse).Bytes()},
        TTextCase{"NilAnyCase", "NIL", B().Byte(vaNil).Bytes()},
        TTextCase{"DottedIdent", "Form1.Button1", B().Ident("Form1.Button1").Bytes()},
        TTextCase{"Set", "[akLeft, akTop]", B().Byte(vaSet).Str("akLeft").Str("akTop").Str("").Bytes()},
        TTextCase{"EmptySet", "[]", B().Byte(vaSet).Str("").Bytes()},
        TTextCase{"Binary", "{0a0B ff}", B().Binary("\x0A\x0B\xFF").Bytes()},
        TTextCase{"BinaryOverLines", "{\r\n 0001\r\n 02}", B().Binary(std::string("\x00\x01\x02", 3)).Bytes()},
        TTextCase{"List", "('a' 1 x)", B().Byte(vaList).String("a").Int(1).Ident("x").Byte(0).Bytes()},
        TTextCase{"Collection", "<item [4] A = 1 end item end>",
                  B().Byte(vaCollection).Int(4).Byte(vaList).Prop("A").Int(1).Byte(0).Byte(vaList).Byte(0).Byte(0)
                      .Bytes()},
        TTextCase{"MinusOneIndexNotWritten", "<item [-1] end>",
                  B().Byte(vaCollection).Byte(vaList).Byte(0).Byte(0).Bytes()}),
    [](const auto& info) { return std::string(info.param.name); });

// A position is written whenever the text has one, 0 included: inherited
// forms place controls among the ancestor's by it.
TEST(TextToBinary, PrefixForInheritedAndForEveryPosition) {
  std::string text =
      "object Form1: TForm1\r\n"
      "  inherited Button1: TButton [0]\r\n  end\r\n"
      "  object B2: TButton [2]\r\n  end\r\n"
      "  object B3: TButton [0]\r\n  end\r\n"
      "end\r\n";
  std::string expected = TStreamBuilder()
                             .Sig().Obj("TForm1", "Form1").End()
                             .Byte(0xF3).Int(0).Obj("TButton", "Button1").End().End()
                             .Byte(0xF2).Int(2).Obj("TButton", "B2").End().End()
                             .Byte(0xF2).Int(0).Obj("TButton", "B3").End().End()
                             .End().Bytes();
  EXPECT_EQ(test::ToHex(TextToBinary(text)), test::ToHex(expected));
}

TEST(TextToResource, LongClassNamesReadBack) {
  std::string text = "object F: T" + std::string(200, 'x') + "\r\n  Tag = 1\r\nend\r\n";
  EXPECT_EQ(ResourceToText(TextToResource(text)), text);
}

TEST(TextToResource, HeaderNamesTheClassInUpperCase) {
  std::string text = "inherited Form1: TMainForm [3]\r\nend\r\n";
  std::string resource = TextToResource(text);
  std::string stream = TextToBinary(text);
  EXPECT_EQ(resource, TStreamBuilder().Raw(stream).Resource("TMAINFORM"));
}

struct TBadText {
  const char* name;
  std::string text;
  std::string message;
};

class BadText : public ::testing::TestWithParam<TBadText> {};

TEST_P(BadText, StopsWithMessageAndLine) {
  std::string out;
  try {
    TextToBinary(GetParam().text, out);
    FAIL() << "no error";
  } catch (const EParserError& e) {
    EXPECT_EQ(e.what(), GetParam().message);
  }
}

std::string Prop(const std::string& line) { return "object Form1: TForm1\r\n  " + line + "\r\nend\r\n"; }

INSTANTIATE_TEST_SUITE_P(
    Messages, BadText,
    ::testing::Values(
        TBadText{"NotObject", "objekt Form1: TForm1\r\nend\r\n", "OBJECT expected on line 1"},
        TBadText{"Empty", "", "OBJECT expected on line 1"},
        TBadText{"NoHeader", "object 5\r\nend", "Identifier expected on line 1"},
        TBadText{"BadPosition", "object F: T [x]\r\nend", "Number expected on line 1"},
        TBadText{"NoEquals", Prop("Caption 'x'"), "''='' expected on line 2"},
        TBadText{"OpenString", Prop("Caption = 'abc"), "Invalid string constant on line 2"},
        TBadText{"WideCode", Prop("Caption = 'a'#8364"), "Invalid string constant on line 2"},
        TBadText{"Code256", Prop("Caption = #256"), "Invalid string constant on line 2"},
        TBadText{"BadHex", Prop("Data = {0G}"), "Invalid binary value on line 2"},
        TBadText{"OddHex", "object Form1: TForm1\r\n  Data = {0A0", "Invalid binary value on line 2"},
        TBadText{"NoValue", Prop("X = )"), "Invalid property value on line 2"},
        TBadText{"PlusNumber", Prop("X = 'a' + 5"), "String expected on line 2"},
        TBadText{"SetNumber", Prop("X = [a, 5]"), "Identifier expected on line 2"},
        TBadText{"SetNoComma", Prop("X = [a b]"), "'','' expected on line 2"},
        TBadText{"NoItem", Prop("X = < foo end>"), "item expected on line 2"},
        TBadText{"IntegerTooBig", Prop("X = 2147483648"), "'2147483648' is not a valid integer value on line 2"},
        TBadText{"HexTooBig", Prop("X = $100000000"), "'$100000000' is not a valid integer value on line 2"},
        TBadText{"LoneMinus", Prop("X = -"), "'-' is not a valid integer value on line 2"},
        TBadText{"BadFloat", Prop("X = 1-2"), "'1-2' is not a valid floating point value on line 2"},
        TBadText{"DotWithoutName", Prop("X = a.5"), "Identifier expected on line 2"},
        TBadText{"UnclosedObject", "object Form1: TForm1\r\n  X = 1\r\n", "Identifier expected on line 3"},
        TBadText{"UnclosedList", "object Form1: TForm1\r\n  X = (1\r\n", "Invalid property value on line 3"},
        TBadText{"LongIdent", Prop("X = " + A(256)), "Invalid property value on line 2"},
        TBadText{"ClassNameLikePrefix", "object F: T" + A(239) + "\r\nend\r\n", "Identifier expected on line 1"},
        TBadText{"LineTooLong", Prop("X = 1") + A(5000) + "\r\n", "Line too long on line 4"}),
    [](const auto& info) { return std::string(info.param.name); });

const char* const kRichForm =
    "object Form1: TForm1\r\n"
    "  Caption = 'Fehler'#39's'\r\n"
    "  Hint = \r\n"
    "    'A string longer than sixty-four characters, so it must be split ' +\r\n"
    "    'over lines'\r\n"
    "  Scale = 1.5\r\n"
    "  Ratio = -0.25\r\n"
    "  Color = 8421376\r\n"
    "  Visible = False\r\n"
    "  Anchors = [akLeft, akTop]\r\n"
    "  Empty = []\r\n"
    "  Icon.Data = {0001FF}\r\n"
    "  inherited Button1: TButton [2]\r\n"
    "    Tag = -40000\r\n"
    "  end\r\n"
    "  object ListBox1: TListBox\r\n"
    "    Items.Strings = (\r\n"
    "      'eins'\r\n"
    "      #13#10\r\n"
    "      ())\r\n"
    "    Columns = <\r\n"
    "      item [3]\r\n"
    "        Title.Caption = 'x'\r\n"
    "      end\r\n"
    "      item\r\n"
    "      end>\r\n"
    "  end\r\n"
    "  object TBevel\r\n"
    "  end\r\n"
    "end\r\n";

TEST(RoundTrip, CanonicalTextSurvivesBinaryAndBack) {
  EXPECT_EQ(BinaryToText(TextToBinary(kRichForm)), kRichForm);
}

TEST(RoundTrip, ResourceTextResourceKeepsTheBytes) {
  std::string resource = TextToResource(kRichForm);
  EXPECT_EQ(TextToResource(ResourceToText(resource)), resource);
}

TEST(RoundTrip, WiderIntegersShrinkButKeepTheirValues) {
  std::string wide = TStreamBuilder()
                         .Sig().Obj("TForm1", "Form1")
                         .Prop("A").Byte(vaInt32).Int32Raw(5)
                         .Prop("B").Byte(vaInt16).Byte(0x18).Byte(0xFC)
                         .Prop("C").Byte(vaLString).Int32Raw(2).Raw("ab")
                         .End().End().Bytes();
  std::string back = TextToBinary(BinaryToText(wide));
  EXPECT_LT(back.size(), wide.size());
  EXPECT_EQ(test::CompareStreams(wide, back), "");
}

}  // namespace
}  // namespace kst
