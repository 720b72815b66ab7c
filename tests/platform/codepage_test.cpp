// Bytes and text: the checked reader and the byte writer, the code page
// conversions (Windows' own results where ICU differs, round trips, Johab,
// pseudo code pages, garbage) and the locale and character-set tables.
#include "platform/codepage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/byte_reader.h"
#include "platform/byte_writer.h"
#include "platform/file_utils.h"
#include "platform/locale_table.h"
#include "support/test_support.h"

namespace kst {
namespace {

const std::vector<int> kSingleBytePages = {437,  720,  737,  775,  850,  852,  855,  857,  862,  866,  874,
                                           1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258, 10000};
const std::vector<int> kAllPages = [] {
  std::vector<int> pages = kSingleBytePages;
  pages.insert(pages.end(), {932, 936, 949, 950, 1361, CP_SYMBOL, CP_UTF8});
  return pages;
}();

// The table of what Windows gives (tests/data/platform): each line's bytes
// decode to its text and the text encodes back to the same bytes without
// loss, or one way only where the line says so.
TEST(CodePageFactTest, DecodesAndEncodesLikeWindows) {
  std::istringstream facts(ReadFileBytes(test::TestDataDir() + "/platform/windows-code-page-facts.txt"));
  int checked = 0;
  for (std::string line; std::getline(facts, line);) {
    if (line.empty() || line[0] == '#') continue;
    SCOPED_TRACE(line);
    std::istringstream fields(line);
    std::string way = "both";
    if (line[0] == 'e' || line[0] == 'd') fields >> way;
    int codePage = 0;
    fields >> codePage;
    std::string bytes;
    std::u16string text;
    bool afterColon = false;
    for (std::string hex; fields >> hex;) {
      if (hex == ":")
        afterColon = true;
      else if (afterColon)
        text.push_back(static_cast<char16_t>(std::stoul(hex, nullptr, 16)));
      else
        bytes.push_back(static_cast<char>(std::stoul(hex, nullptr, 16)));
    }
    if (way != "encode") { EXPECT_EQ(CodePageToUtf16(bytes, codePage), text); }
    if (way == "encode") { EXPECT_EQ(Utf16ToCodePage(text, codePage), bytes); }
    if (way == "both") {
      bool lossless = false;
      EXPECT_EQ(Utf8ToCodePage(Utf16ToUtf8(text), codePage, lossless), bytes);
      EXPECT_TRUE(lossless);
    }
    ++checked;
  }
  EXPECT_GE(checked, 40) << "the table was not read whole";
}

TEST(CodePageSingleByteTest, EveryByteRoundTripsOnEveryPage) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  for (const int cp : kSingleBytePages) {
    SCOPED_TRACE(cp);
    const std::u16string text = CodePageToUtf16(all, cp);
    ASSERT_EQ(text.size(), 256u);
    for (int b = 0; b < 256; ++b) {
      // Windows defines all 256 bytes of these pages.
      EXPECT_NE(text[b], 0xFFFD) << "byte " << b;
      EXPECT_EQ(text[b] == 0x1A, b == 0x1A) << "byte " << b;
    }
    EXPECT_EQ(Utf16ToCodePage(text, cp), all);
  }
}

TEST(CodePageEncodeTest, LossIsReportedAndMalformedTextReplaced) {
  bool lossless = true;
  EXPECT_EQ(Utf8ToCodePage("a\xE4\xB8\xAD" "b", 1252, lossless), "a?b");
  EXPECT_FALSE(lossless);
  EXPECT_EQ(Utf8ToCodePage("\xC3\xA9", 1252, lossless), "\xE9");
  EXPECT_TRUE(lossless);
  // Malformed UTF-8 and lone surrogates become replacement characters.
  EXPECT_EQ(Utf8ToUtf16("a\xC3"), u"a\uFFFD");
  EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80z"), u"\uFFFD\uFFFD\uFFFDz");
  EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
  EXPECT_EQ(CodePageToUtf8("\xFF", CP_UTF8), "\xEF\xBF\xBD");
  EXPECT_EQ(Utf8ToCodePage("\xFF", CP_UTF8, lossless), "\xEF\xBF\xBD");
  EXPECT_FALSE(lossless);
}

TEST(CodePageConvertTest, OemToAnsi) {
  EXPECT_EQ(OemToAnsi("\x8F\xE0\xA8", TSystemCodePages{1251, 866, 10000}), "\xCF\xF0\xE8");  // При
  EXPECT_EQ(OemToAnsi("caf\x82", TSystemCodePages{}), "caf\xE9");
  EXPECT_EQ(ConvertCodePage("\x82\xA0", 932, 1252), "?");  // あ
}

TEST(CodePageSupportTest, UnsupportedCodePageThrows) {
  EXPECT_FALSE(IsCodePageSupported(1234));
  try {
    CodePageToUtf16("x", 1234);
    FAIL() << "no exception";
  } catch (const ECodePageError& e) {
    EXPECT_STREQ(e.what(), "Code page 1234 is not supported");
  }
  EXPECT_THROW(Utf8ToCodePage("x", 65000), ECodePageError);
  for (const int cp : kAllPages) EXPECT_TRUE(IsCodePageSupported(cp)) << cp;
}

TEST(SystemCodePagesTest, PseudoCodePagesResolve) {
  const TSystemCodePages russian{1251, 866, 10000};
  EXPECT_EQ(ResolveCodePage(CP_ACP, russian), 1251);
  EXPECT_EQ(ResolveCodePage(CP_OEMCP, russian), 866);
  EXPECT_EQ(ResolveCodePage(CP_MACCP, russian), 10000);
  EXPECT_EQ(ResolveCodePage(CP_SYMBOL, russian), CP_SYMBOL);
  EXPECT_EQ(ResolveCodePage(1250, russian), 1250);

  const test::TScopedEnv locale("KESTRIN_SYSTEM_LOCALE", "0419");
  EXPECT_EQ(CodePageToUtf16("\xCF", CP_ACP), u"\u041F");
  EXPECT_EQ(CodePageToUtf16("\x8F", CP_OEMCP), u"\u041F");
  EXPECT_EQ(CodePageToUtf16("\xDB", CP_MACCP), u"\u00A4");
}

TEST(SystemCodePagesTest, FromEnvironment) {
  struct TCase {
    const char* value;
    int ansi, oem;
  };
  const TCase cases[] = {{nullptr, 1252, 437}, {"0419", 1251, 866},   {"$0419", 1251, 866},
                         {"0x0411", 932, 932}, {"0X0401", 1256, 720}, {"", 1252, 437},
                         {"zz", 1252, 437},    {"0x", 1252, 437},     {"104190", 1252, 437},
                         {"7FFF", 1252, 437},  {"0439", 1252, 437}};  // Hindi: Unicode only
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.value ? c.value : "(unset)");
    const test::TScopedEnv locale("KESTRIN_SYSTEM_LOCALE", c.value);
    const TSystemCodePages system = TSystemCodePages::FromEnvironment();
    EXPECT_EQ(system.ansi, c.ansi);
    EXPECT_EQ(system.oem, c.oem);
    EXPECT_EQ(system.mac, 10000);
  }
}

TEST(SystemCodePagesTest, EveryLocalesCodePagesAreSupported) {
  int arabic = 0;
  for (int lcid = 0; lcid <= 0xFFFF; ++lcid) {
    const TLocaleRow* row = FindLocaleRow(static_cast<uint16_t>(lcid));
    if (!row || row->ansiCodePage == 0) continue;
    SCOPED_TRACE(lcid);
    EXPECT_TRUE(IsCodePageSupported(row->ansiCodePage));
    EXPECT_TRUE(IsCodePageSupported(row->oemCodePage));
    if (row->ansiCodePage == 1256) {
      ++arabic;
      EXPECT_EQ(row->oemCodePage, 720);
      EXPECT_EQ(CodePageToUtf16("\xA0\xEA", row->oemCodePage), u"\u0628\u0645");
    }
  }
  EXPECT_GE(arabic, 15);
}

TEST(CodePageGarbageTest, RandomBytesAndUnitsNeverBreakAnything) {
  std::mt19937 rng(20240601);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<int> unit(0, 0xFFFF);
  for (int round = 0; round < 20; ++round) {
    std::string bytes(1 + round * 97, '\0');
    for (char& b : bytes) b = static_cast<char>(byte(rng));
    if (round % 2 == 0) std::replace(bytes.begin(), bytes.end(), '\x1A', 'x');
    std::u16string units(1 + round * 53, u'\0');
    for (char16_t& u : units) u = static_cast<char16_t>(unit(rng));
    const auto subs = std::count(bytes.begin(), bytes.end(), '\x1A');
    for (const int cp : kAllPages) {
      SCOPED_TRACE(cp);
      const std::u16string text = CodePageToUtf16(bytes, cp);
      EXPECT_LE(std::count(text.begin(), text.end(), u'\x1A'), subs);
      EXPECT_LE(text.size(), bytes.size());
      EXPECT_FALSE(Utf16ToCodePage(units, cp).empty());
      EXPECT_FALSE(Utf8ToCodePage(bytes, cp).empty());
    }
    EXPECT_FALSE(Utf16ToUtf8(units).empty());
  }
}

TEST(LocaleTable, HoldsTheWholeTableSortedAndUnique) {
  const auto& rows = LocaleRows();
  EXPECT_EQ(rows.size(), 161u);
  for (size_t i = 0; i < rows.size(); ++i) {
    if (i > 0) { EXPECT_LT(rows[i - 1].lcid, rows[i].lcid) << "sorted, so no ID twice"; }
    EXPECT_NE(rows[i].lcid >> 10, 0) << "neutral IDs are not rows";
  }
}

TEST(LocaleTable, AnswersTheTypesWindowsHas) {
  EXPECT_EQ(LocaleInfoUtf8(0x0407, LOCALE_SLANGUAGE), "German (Germany)");
  EXPECT_EQ(LocaleInfoUtf8(0x0407, LOCALE_SABBREVLANGNAME), "DEU");
  EXPECT_EQ(LocaleInfoUtf8(0x0407, LOCALE_SNATIVELANGNAME), "Deutsch");
  EXPECT_EQ(LocaleInfoUtf8(0x0407, LOCALE_IDEFAULTANSICODEPAGE), "1252");
  EXPECT_EQ(LocaleInfoUtf8(0x0407, LOCALE_IDEFAULTCODEPAGE), "850");
  EXPECT_EQ(LocaleInfoUtf8(0x0401, LOCALE_IDEFAULTCODEPAGE), "720");
  EXPECT_EQ(LocaleInfoUtf8(0x0419, LOCALE_SNATIVELANGNAME), "русский");
  EXPECT_EQ(LocaleInfoUtf8(0x0009, LOCALE_SLANGUAGE), "") << "neutral IDs are answered by the rules above the table";
  EXPECT_EQ(LocaleInfoUtf8(0x0407, 0x7777), "");
}

TEST(CharsetTable, PseudoCodePages) {
  EXPECT_EQ(FindCharsetRow(130)->codePage, 1361);
  EXPECT_EQ(FindCharsetRow(2)->codePage, 42);
  EXPECT_EQ(FindCharsetRow(255)->codePage, 1);
  EXPECT_EQ(FindCharsetRow(3), nullptr);
}

class ETestError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

using TReader = TByteReader<ETestError>;

const std::string kBytes("\x01\x02\x03\x04\x05\x06\x07\x08", 8);

struct TReadCase {
  const char* name;
  std::function<uint64_t(TReader&)> read;
  uint64_t value;     // what it gives when the bytes are there
  uint64_t position;  // where the position is afterwards
};

class ReaderReads : public testing::TestWithParam<TReadCase> {};

TEST_P(ReaderReads, GivesLittleEndianValuesAndRaisesOneByteShort) {
  const TReadCase& c = GetParam();
  TReader whole(kBytes, "whole");
  EXPECT_EQ(c.read(whole), c.value);
  EXPECT_EQ(whole.Position(), c.position);
  // The same read on the bytes cut one short of what it needs.
  TReader cut(std::string_view(kBytes).substr(0, c.position - 1), "cut short");
  try {
    c.read(cut);
    ADD_FAILURE() << "no error";
  } catch (const ETestError& e) {
    EXPECT_STREQ(e.what(), "cut short");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, ReaderReads,
    testing::Values(TReadCase{"U8", [](TReader& r) { return uint64_t{r.U8()}; }, 0x01, 1},
                    TReadCase{"U16", [](TReader& r) { return uint64_t{r.U16()}; }, 0x0201, 2},
                    TReadCase{"U32", [](TReader& r) { return uint64_t{r.U32()}; }, 0x04030201, 4},
                    TReadCase{"I16 after a skip", [](TReader& r) { r.Skip(6); return uint64_t(r.I16() & 0xFFFF); },
                              0x0807, 8},
                    TReadCase{"Bytes", [](TReader& r) { return uint64_t{r.Bytes(3)[2]}; }, 0x03, 3},
                    TReadCase{"Chars", [](TReader& r) { return uint64_t(r.Chars(5).back()); }, 0x05, 5},
                    TReadCase{"ShortString", [](TReader& r) { return uint64_t(r.ShortString()[0]); }, 0x02, 2},
                    TReadCase{"Utf16", [](TReader& r) { return uint64_t{r.Utf16(3)[2]}; }, 0x0605, 6}),
    test::TCaseName());

TEST(ByteReader, SignedReadsAndPeekDoNotMoveWhereTheyShouldNot) {
  const std::string bytes("\xFF\xFE\xFF\x80\x00\x00\x80", 7);
  TReader r(bytes, "x");
  EXPECT_EQ(r.Peek(), 0xFF);
  EXPECT_EQ(r.Position(), 0u);
  EXPECT_EQ(r.I8(), -1);
  EXPECT_EQ(r.I16(), -2);
  EXPECT_EQ(r.I32(), static_cast<int32_t>(0x80000080));
  EXPECT_TRUE(r.AtEnd());
  EXPECT_THROW(r.Peek(), ETestError);
}

TEST(ByteReader, AbsoluteReadsCheckTheirRangeAndLeaveThePosition) {
  TReader r(kBytes, "range");
  EXPECT_EQ(r.U32At(4), 0x08070605u);
  EXPECT_EQ(r.U16At(6), 0x0807u);
  EXPECT_EQ(r.U8At(7), 0x08u);
  EXPECT_EQ(r.Utf16At(2, 2), std::u16string({u'\x0403', u'\x0605'}));
  EXPECT_EQ(r.CharsAt(1, 2), "\x02\x03");
  EXPECT_EQ(r.Position(), 0u);
  struct {
    int64_t offset;
    uint64_t length;
  } outside[] = {{5, 4}, {8, 1}, {-1, 1}, {9, 0}, {INT64_MIN, 4}, {4, UINT64_MAX}, {INT64_MAX, 1}, {0, 9}};
  for (auto [offset, length] : outside) {
    EXPECT_FALSE(r.Fits(offset, length)) << offset << "+" << length;
    EXPECT_THROW(r.Require(offset, length), ETestError) << offset << "+" << length;
    EXPECT_THROW(r.BytesAt(offset, length), ETestError) << offset << "+" << length;
  }
  EXPECT_TRUE(r.Fits(8, 0));
  EXPECT_THROW(r.U32At(5), ETestError);
  EXPECT_THROW(r.Utf16At(0, UINT64_MAX / 2 + 1), ETestError) << "a count whose byte length wraps";
}

TEST(ByteReader, HugeCountsAreRefusedBeforeAnythingIsAllocated) {
  TReader r(kBytes, "huge");
  r.Skip(1);
  for (uint64_t count : {uint64_t{8}, UINT64_MAX, UINT64_MAX / 2 + 1, uint64_t{1} << 63}) {
    EXPECT_THROW(r.Bytes(count), ETestError) << count;
    EXPECT_THROW(r.Skip(count), ETestError) << count;
    EXPECT_THROW(r.Utf16(count), ETestError) << count;
    EXPECT_EQ(r.Position(), 1u) << "a failed read moves nothing";
  }
  EXPECT_THROW(r.Seek(9), ETestError);
  EXPECT_THROW(r.Seek(-1), ETestError);
  r.Seek(8);
  EXPECT_TRUE(r.AtEnd());
}

TEST(ByteWriter, WritesLittleEndianThatTheReaderReadsBack) {
  TByteWriter w;
  w.U8(0xAB);
  w.U16(0x1234);
  w.U32(0xDEADBEEF);
  w.Utf16(u"\x00E9Z");
  w.Bytes(std::string_view("ok"));
  std::string bytes = w.Take();
  EXPECT_EQ(bytes, std::string("\xAB\x34\x12\xEF\xBE\xAD\xDE\xE9\x00Z\x00ok", 13));
  TReader r(bytes, "x");
  EXPECT_EQ(r.U8(), 0xAB);
  EXPECT_EQ(r.U16(), 0x1234);
  EXPECT_EQ(r.U32(), 0xDEADBEEFu);
  EXPECT_EQ(r.Utf16(2), u"\x00E9Z");
  EXPECT_EQ(r.Chars(2), "ok");
}

TEST(ByteWriter, PatchesPlaceholdersPadsAndAppendsToAGivenString) {
  std::string target = "hdr";
  TByteWriter w(target);
  size_t size = w.Placeholder32();
  size_t half = w.Size();
  w.U16(0);
  w.PadTo(8);
  EXPECT_EQ(w.Size(), 16u);
  w.PadTo(8);
  EXPECT_EQ(w.Size(), 16u) << "already aligned: nothing added";
  w.Patch32(size, 0x01020304);
  w.Patch16(half, 0xA1B2);
  EXPECT_EQ(target, std::string("hdr\x04\x03\x02\x01\xB2\xA1", 9) + std::string(7, '\0'));
  EXPECT_THROW(w.Patch32(13, 1), std::logic_error);
  EXPECT_THROW(w.Patch16(15, 1), std::logic_error);
  EXPECT_THROW(w.Patch32(SIZE_MAX - 1, 1), std::logic_error);
}

}  // namespace
}  // namespace kst
