// Binary form <-> form text, and the form model reading and writing it.
// Golden cases, one folder each under tests/data/formmodel: stream.bin, a
// component stream built byte by byte, and text.txt, its form text, checked
// in both directions; values.txt, what the reader keeps of every value;
// written.txt, the model writer's text of the form, which must read back to
// the same tree. What converts one way only (text as a person types it,
// floats that text rounds, a later Delphi's flag) and bad input are tables;
// then cut and corrupted input and hostile nesting.
#include <gtest/gtest.h>

#include "config/text_helpers.h"
#include "form_test_support.h"
#include "formmodel/form_conversion.h"
#include "formmodel/form_errors.h"
#include "formmodel/form_reader.h"
#include "formmodel/form_writer.h"
#include "platform/file_utils.h"
#include "support/test_support.h"

namespace kst {
namespace {

using test::OneProperty;
using test::TStreamBuilder;

std::string CasesDir() { return test::TestDataDir() + "/formmodel"; }
std::string A(size_t n) { return std::string(n, 'a'); }
TStreamBuilder B() { return {}; }
std::string Line(const std::string& value) { return "object Form1: TForm1\r\n  P = " + value + "\r\nend\r\n"; }

std::string Values(TComponentHelper& root) {
  std::string out;
  root.ForEachPropertyPath([&](const std::string& path, TCHValue& v) {
    out += path + "\t" + PropertyTypeName(v.PropertyType) + "\t" + EncodeEscapes(v.OriginalValue) + "\n";
  });
  return out;
}

class FormCase : public testing::TestWithParam<std::string> {};

TEST_P(FormCase, ConvertsBothWaysAndTheModelReadsAndWritesIt) {
  const std::string dir = CasesDir() + "/" + GetParam();
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

INSTANTIATE_TEST_SUITE_P(Golden, FormCase, testing::ValuesIn(test::GoldenCases(CasesDir())), test::TCaseName());

// Text as a person writes it: the value it converts to, and what the reader
// keeps (and the model writer writes back) of it.
struct TTypedCase {
  const char* name;
  std::string text;
  std::string value;  // type byte and data
  TPropertyType type;
  std::string kept;
  const char* written;  // what the model writer writes, when it is kept as typed
};

class TypedText : public testing::TestWithParam<TTypedCase> {};

TEST_P(TypedText, ConvertsToTheValueAndIsKeptAsWritten) {
  const TTypedCase& c = GetParam();
  EXPECT_EQ(test::ToHex(TextToBinary(Line(c.text))), test::ToHex(OneProperty(c.value)));
  auto root = ReadFormText(Line(c.text));
  ASSERT_EQ(root->Properties.size(), 1u);
  EXPECT_EQ(root->Properties[0]->PropertyType, c.type);
  EXPECT_EQ(root->Properties[0]->OriginalValue, c.kept);
  EXPECT_EQ(root->Properties[0]->TranslatedValue, c.kept);
  if (c.written) EXPECT_EQ(FormToText(*root, false), "object Form1: TForm1\r\n  P = " + std::string(c.written) + "\r\nEND\r\n");
}

INSTANTIATE_TEST_SUITE_P(
    Table, TypedText,
    testing::Values(
        TTypedCase{"Float", "1.5E2", B().Extended(150.0L).Bytes(), ptFloat, "1.5E2", "1.5E2"},
        TTypedCase{"HexWrapsToMinusOne", "$FFFFFFFF", B().Int(-1).Bytes(), ptInteger, "$FFFFFFFF", nullptr},
        TTypedCase{"Hex", "$0080FF00", B().Int(0x0080FF00).Bytes(), ptInteger, "$0080FF00", "$0080FF00"},
        TTypedCase{"JoinedString", "'Don''t' + #13#10 + 'go'", B().String("Don't\r\ngo").Bytes(), ptString,
                   "Don't\r\ngo", nullptr},
        TTypedCase{"Codes", "#65'B'#67", B().String("ABC").Bytes(), ptString, "ABC", "'ABC'"},
        TTypedCase{"LongString", "'" + A(200) + "' + '" + A(56) + "'", B().String(A(256)).Bytes(), ptString, A(256),
                   nullptr},
        TTypedCase{"TrueAnyCase", "tRuE", B().Byte(vaTrue).Bytes(), ptSymbol, "tRuE", nullptr},
        TTypedCase{"FalseAnyCase", "FALSE", B().Byte(vaFalse).Bytes(), ptSymbol, "FALSE", nullptr},
        TTypedCase{"NilAnyCase", "NIL", B().Byte(vaNil).Bytes(), ptSymbol, "NIL", nullptr},
        TTypedCase{"SetWithoutBlanks", "[akLeft,akTop]", B().Byte(vaSet).Str("akLeft").Str("akTop").Str("").Bytes(),
                   ptSet, "[akLeft,akTop]", "[akLeft,akTop]"},
        TTypedCase{"BinaryAnyCase", "{0a0B ff}", B().Binary("\x0A\x0B\xFF").Bytes(), ptBinary, "0A0BFF", "{0A0BFF}"},
        TTypedCase{"BinaryOverLines", "{\r\n 0001\r\n 02}", B().Binary(std::string("\x00\x01\x02", 3)).Bytes(),
                   ptBinary, "000102", nullptr},
        TTypedCase{"MinusOneIndexNotWritten", "<item [-1] end>",
                   B().Byte(vaCollection).Byte(vaList).Byte(0).Byte(0).Bytes(), ptCollection, "", nullptr}),
    test::TCaseName());

// Streams whose text reads back as other bytes with the same values.
struct TBinaryOnlyCase {
  const char* name;
  std::string stream;
  std::string text;
  bool readsBack = true;  // Delphi's own reader takes no integer of 15 digits
};

class BinaryOnly : public testing::TestWithParam<TBinaryOnlyCase> {};

TEST_P(BinaryOnly, KeepsTheValuesThroughText) {
  EXPECT_EQ(BinaryToText(GetParam().stream), GetParam().text);
  if (GetParam().readsBack) EXPECT_EQ(test::CompareStreams(GetParam().stream, TextToBinary(GetParam().text)), "");
}

INSTANTIATE_TEST_SUITE_P(
    Table, BinaryOnly,
    testing::Values(
        TBinaryOnlyCase{"IntegralFloat", OneProperty(B().Extended(150.0L).Bytes()), Line("150")},
        TBinaryOnlyCase{"ZeroFloat", OneProperty(B().Extended(0.0L).Bytes()), Line("0")},
        TBinaryOnlyCase{"FifteenDigits", OneProperty(B().Extended(123456789012345.0L).Bytes()), Line("123456789012345"), false},
        TBinaryOnlyCase{"SixteenDigits", OneProperty(B().Extended(1234567890123456.0L).Bytes()),
                        Line("1.23456789012346E15")},
        TBinaryOnlyCase{"WideValuesShrink",
                        B().Sig().Obj("TForm1", "Form1").Prop("A").Byte(vaInt32).Int32Raw(5)
                            .Prop("B").Byte(vaInt16).Byte(0x18).Byte(0xFC).Prop("C").Byte(vaLString).Int32Raw(2)
                            .Raw("ab").End().End().Bytes(),
                        "object Form1: TForm1\r\n  A = 5\r\n  B = -1000\r\n  C = 'ab'\r\nend\r\n"},
        TBinaryOnlyCase{"InlineFlagIsWrittenAsObject",
                        B().Sig().Obj("TForm1", "Form1").End().Byte(0xF4).Obj("TFrame2", "Frame").End().End().End()
                            .Bytes(),
                        "object Form1: TForm1\r\n  object Frame: TFrame2\r\n  end\r\nend\r\n"}),
    test::TCaseName());

TEST(ResourceFraming, TheHeaderNamesTheClassInUpperCaseWhateverItsLength) {
  std::string text = "inherited Form1: TMainForm [3]\r\nend\r\n";
  EXPECT_EQ(TextToResource(text), TStreamBuilder().Raw(TextToBinary(text)).Resource("TMAINFORM"));
  std::string longClass = "object F: T" + A(200) + "\r\n  Tag = 1\r\nend\r\n";
  EXPECT_EQ(ResourceToText(TextToResource(longClass)), longClass);
}

struct TBadStream {
  const char* name;
  std::string input;
  std::string message;
};

class BadResources : public testing::TestWithParam<TBadStream> {};

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
std::string Bad(const std::string& value) { return WithHeader(OneProperty(value)); }
std::string Unsupported(const char* what) { return std::string("Invalid property value: ") + what + " is not supported"; }

INSTANTIATE_TEST_SUITE_P(
    Messages, BadResources,
    testing::Values(
        TBadStream{"Empty", "", "Invalid stream format"},
        TBadStream{"NotOrdinal", std::string("\x00\x0A\x00", 3) + "X", "Invalid stream format"},
        TBadStream{"NotRcData", std::string("\xFF\x0B\x00TFORM1\x00", 10), "Invalid stream format"},
        TBadStream{"HeaderOnly", std::string("\xFF\x0A\x00", 3), "Invalid stream format"},
        TBadStream{"NameWithoutEnd", std::string("\xFF\x0A\x00", 3) + std::string(100, 'N'), "Invalid stream format"},
        TBadStream{"StreamMissing", std::string("\xFF\x0A\x00TFORM1\x00\x30\x10", 12), "Invalid stream format"},
        TBadStream{"BadSignature", WithHeader("TPF1" + A(10)), "Invalid stream format"},
        TBadStream{"CutInName", WithHeader("TPF0\x06TFo"), "Stream read error"},
        TBadStream{"NoEnd", WithHeader(B().Sig().Obj("TForm1", "Form1").Bytes()), "Stream read error"},
        TBadStream{"BinaryLongerThanData", Bad(B().Byte(vaBinary).Int32Raw(0xFFFFFFF0u).Bytes()), "Stream read error"},
        TBadStream{"LStringLongerThanData", Bad(B().Byte(vaLString).Int32Raw(1000).Raw("ab").Bytes()),
                   "Stream read error"},
        TBadStream{"PositionNotInteger", WithHeader(B().Sig().Byte(0xF2).String("x").Bytes()), "Invalid property value"},
        TBadStream{"ItemWithoutList", Bad(B().Byte(vaCollection).Byte(vaString).Bytes()), "Invalid property value"},
        TBadStream{"Date", Bad(B().Byte(17).Raw(A(8)).Bytes()), Unsupported("vaDate (17)")},
        TBadStream{"WideString", Bad(B().Byte(18).Bytes()), Unsupported("vaWString (18)")},
        TBadStream{"Utf8String", Bad(B().Byte(20).Bytes()), Unsupported("vaUTF8String (20)")},
        TBadStream{"UnknownType", Bad(B().Byte(99).Bytes()), Unsupported("value type 99 (99)")}),
    test::TCaseName());

// The converter and the reader share the tokenizer: both stop on bad text
// with the same located message. The reader keeps values as their text, so
// a value only the converter must turn into bytes stops the converter alone.
struct TBadText {
  const char* name;
  std::string text;
  std::string message;
  bool readerToo = true;
};

class BadText : public testing::TestWithParam<TBadText> {};

TEST_P(BadText, StopsTheConverterAndTheReaderWithMessageAndLine) {
  for (int reader = 0; reader < (GetParam().readerToo ? 2 : 1); ++reader) {
    try {
      std::string out;
      reader ? (void)ReadFormText(GetParam().text) : TextToBinary(GetParam().text, out);
      ADD_FAILURE() << (reader ? "the reader" : "the converter") << " took it";
    } catch (const EParserError& e) {
      EXPECT_EQ(e.what(), GetParam().message) << (reader ? "the reader" : "the converter");
    }
  }
}

std::string Prop(const std::string& line) { return "object Form1: TForm1\r\n  " + line + "\r\nend\r\n"; }

INSTANTIATE_TEST_SUITE_P(
    Messages, BadText,
    testing::Values(
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
        TBadText{"CommaValue", Prop("X = ,"), "Invalid property value on line 2"},
        TBadText{"PlusNumber", Prop("X = 'a' + 5"), "String expected on line 2"},
        TBadText{"SetNumber", Prop("X = [a, 5]"), "Identifier expected on line 2"},
        TBadText{"SetNoComma", Prop("X = [a b]"), "'','' expected on line 2"},
        TBadText{"NoItem", "object F: TF\r\n\r\n  X = <\r\n    itm\r\n", "item expected on line 4"},
        TBadText{"IntegerTooBig", Prop("X = 2147483648"), "'2147483648' is not a valid integer value on line 2", false},
        TBadText{"HexTooBig", Prop("X = $100000000"), "'$100000000' is not a valid integer value on line 2", false},
        TBadText{"LoneMinus", Prop("X = -"), "'-' is not a valid integer value on line 2", false},
        TBadText{"BadFloat", Prop("X = 1-2"), "'1-2' is not a valid floating point value on line 2", false},
        TBadText{"DotWithoutName", Prop("X = a.5"), "Identifier expected on line 2"},
        TBadText{"UnclosedObject", "object Form1: TForm1\r\n  X = 1\r\n", "Identifier expected on line 3"},
        TBadText{"UnclosedList", "object Form1: TForm1\r\n  X = (1\r\n", "Invalid property value on line 3"},
        TBadText{"LongIdent", Prop("X = " + A(256)), "Invalid property value on line 2", false},
        TBadText{"ClassNameLikePrefix", "object F: T" + A(239) + "\r\nend\r\n", "Identifier expected on line 1", false},
        TBadText{"LineTooLong", Prop("X = 1") + A(5000) + "\r\n", "Line too long on line 4"}),
    test::TCaseName());

// Malformed input, cut at every length and with single bytes changed: one
// of our errors (or a valid result), never a crash or a hang.
class Robustness : public testing::Test {
protected:
  std::string resource = TextToResource(ReadFileBytes(CasesDir() + "/rich/text.txt"));
  std::string text = ReadFileBytes(CasesDir() + "/rich/text.txt");
};

TEST_F(Robustness, ResourceCutAtEveryLengthOrWithEachByteChanged) {
  for (size_t n = 0; n < resource.size(); ++n) {
    // A copy of exactly n bytes, so that the sanitizers see a read past it.
    std::string exact(resource.data(), n);
    EXPECT_THROW(ResourceToText(exact), EReadError) << "cut at " << n;
  }
  for (size_t i = 0; i < resource.size(); ++i)
    for (int value : {0x00, 0x01, 0x0E, 0x11, 0x7F, 0xF3, 0xFF}) {
      std::string bad = resource;
      bad[i] = static_cast<char>(value);
      try {
        ReadFormText(ResourceToText(bad));
      } catch (const EFormError&) {
      }
    }
}

TEST_F(Robustness, TextCutAtEveryLengthOrWithEachByteChanged) {
  for (size_t n = 0; n + 2 < text.size(); ++n) {
    std::string cut = text.substr(0, n);
    EXPECT_THROW(TextToBinary(cut), EParserError) << "cut at " << n;
    EXPECT_THROW(ReadFormText(cut), EParserError) << "cut at " << n;
  }
  for (size_t i = 0; i < text.size(); ++i)
    for (char value : {'\0', '\n', '\'', '(', '<', '{', '#', 'x'}) {
      std::string bad = text;
      bad[i] = value;
      try {
        TextToResource(bad);
        ReadFormText(bad);
      } catch (const EFormError&) {
      }
    }
}

TEST(Nesting, HostileDepthEndsWithAnErrorAndTheLimitItselfReads) {
  TStreamBuilder lists, objects, collections;
  lists.Sig().Obj("TForm1", "Form1").Prop("P");
  objects.Sig();
  collections.Sig().Obj("TForm1", "Form1").Prop("P");
  for (int i = 0; i < 100000; ++i) {
    lists.Byte(vaList);
    objects.Obj("T", "A").End();
    collections.Byte(vaCollection).Byte(vaList).Prop("Q");
  }
  try {
    BinaryToText(lists.Bytes());
    FAIL();
  } catch (const EReadError& e) {
    EXPECT_STREQ(e.what(), kSNestingTooDeep);
  }
  EXPECT_THROW(BinaryToText(objects.Bytes()), EReadError);
  EXPECT_THROW(BinaryToText(collections.Bytes()), EReadError);
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
  for (uint32_t count : {0x7FFFFFFFu, 0xFFFFFFFFu, 0x80000000u})
    for (uint8_t type : {vaBinary, vaLString})
      EXPECT_THROW(BinaryToText(B().Sig().Obj("T", "").Prop("P").Byte(type).Int32Raw(count).Bytes()), EReadError);
}

}  // namespace
}  // namespace kst
