// Tests for the code page conversions: Windows' own results where ICU differs,
// round trips, Johab, pseudo code pages and robustness against garbage.

#include "platform/codepage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "platform/locale_table.h"

namespace kst {
namespace {

const std::vector<int> kSingleBytePages = {437,  720,  737,  775,  850,  852,  855,  857,  862,  866,  874,
                                           1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258, 10000};
const std::vector<int> kAllPages = [] {
  std::vector<int> pages = kSingleBytePages;
  pages.insert(pages.end(), {932, 936, 949, 950, 1361, CP_SYMBOL, CP_UTF8});
  return pages;
}();

std::string Bytes(std::initializer_list<int> values) {
  std::string s;
  for (const int v : values) s.push_back(static_cast<char>(v));
  return s;
}

// Sets KESTRIN_SYSTEM_LOCALE for one test and restores it afterwards.
class TScopedLocale {
public:
  explicit TScopedLocale(const char* value) {
    if (const char* old = std::getenv(kName)) old_ = old;
    if (value)
      setenv(kName, value, 1);
    else
      unsetenv(kName);
  }
  ~TScopedLocale() {
    if (old_)
      setenv(kName, old_->c_str(), 1);
    else
      unsetenv(kName);
  }

private:
  static constexpr const char* kName = "KESTRIN_SYSTEM_LOCALE";
  std::optional<std::string> old_;
};

// A byte (or byte sequence) and the text Windows gives for it, both ways.
struct TWindowsFact {
  int codePage;
  std::string bytes;
  std::u16string text;
};
void PrintTo(const TWindowsFact& f, std::ostream* os) { *os << "cp" << f.codePage; }

class CodePageFactTest : public testing::TestWithParam<TWindowsFact> {};

TEST_P(CodePageFactTest, DecodesAndEncodesLikeWindows) {
  const TWindowsFact& fact = GetParam();
  EXPECT_EQ(CodePageToUtf16(fact.bytes, fact.codePage), fact.text);
  bool lossless = false;
  EXPECT_EQ(Utf8ToCodePage(Utf16ToUtf8(fact.text), fact.codePage, lossless), fact.bytes);
  EXPECT_TRUE(lossless);
}

INSTANTIATE_TEST_SUITE_P(
    SingleByte, CodePageFactTest,
    testing::Values(
        // C1 bytes pass through, as in Windows
        TWindowsFact{1252, Bytes({0x81, 0x8D, 0x8F, 0x90, 0x9D}), u"\u0081\u008D\u008F\u0090\u009D"},
        TWindowsFact{1251, Bytes({0x98}), u"\u0098"},
        // No composition of base letter and combining mark
        TWindowsFact{1258, Bytes({0x41, 0xCC}), u"A\u0300"},
        TWindowsFact{1255, Bytes({0xF9, 0xD1, 0xE5, 0xC9}), u"\u05E9\u05C1\u05D5\u05B9"},
        // Gaps Windows fills with private-use code points
        TWindowsFact{1253, Bytes({0xAA, 0xD2, 0xFF}), u"\uF8F9\uF8FA\uF8FB"},
        TWindowsFact{1255, Bytes({0xCA, 0xD9, 0xFF}), u"\u05BA\uF88D\uF896"},
        TWindowsFact{1257, Bytes({0xA1, 0xA5}), u"\uF8FC\uF8FD"},
        TWindowsFact{857, Bytes({0xD5, 0xE7, 0xF2}), u"\uF8BB\uF8BC\uF8BD"},
        TWindowsFact{874, Bytes({0xDB, 0xFF}), u"\uF8C1\uF8C8"},
        TWindowsFact{720, Bytes({0x80, 0x90}), u"\u0080\u0090"},
        // ICU's IBM PC tables differ from Microsoft's here
        TWindowsFact{437, Bytes({0x1A, 0x1C, 0x7F, 0xE6}), u"\u001A\u001C\u007F\u00B5"},
        TWindowsFact{852, Bytes({0xAA}), u"\u00AC"},
        TWindowsFact{10000, Bytes({0xDB, 0xBD}), u"\u00A4\u2126"}));

INSTANTIATE_TEST_SUITE_P(
    DoubleByte, CodePageFactTest,
    testing::Values(TWindowsFact{932, Bytes({0x81, 0x60}), u"\uFF5E"},
                    TWindowsFact{932, Bytes({0x80, 0xA0, 0xFD, 0xFE, 0xFF}), u"\u0080\uF8F0\uF8F1\uF8F2\uF8F3"},
                    TWindowsFact{932, Bytes({0x1A, 0x1C, 0x7F, 0x5C}), u"\u001A\u001C\u007F\\"},
                    TWindowsFact{936, Bytes({0x80, 0xFF}), u"\u20AC\uF8F5"},
                    TWindowsFact{949, Bytes({0xB0, 0xA1, 0xA2, 0xE6}), u"\uAC00\u20AC"},
                    TWindowsFact{950, Bytes({0xA4, 0x40, 0x80}), u"\u4E00\u0080"},
                    TWindowsFact{CP_SYMBOL, Bytes({0x00, 0x41, 0xFF}), u"\uF000\uF041\uF0FF"}));

INSTANTIATE_TEST_SUITE_P(
    Johab, CodePageFactTest,
    testing::Values(TWindowsFact{1361, Bytes({0x88, 0x61}), u"\uAC00"},                // 가
                    TWindowsFact{1361, Bytes({0xD3, 0xBD}), u"\uD7A3"},                // 힣
                    TWindowsFact{1361, Bytes({0xD0, 0x65, 0x8B, 0x69}), u"\uD55C\uAE00"},  // 한글
                    // Partial combinations are conjoining jamo in Windows' table
                    TWindowsFact{1361, Bytes({0x88, 0x41, 0x84, 0x61, 0x84, 0x44}), u"\u1100\u1161\u11AA"},
                    TWindowsFact{1361, Bytes({0xD9, 0x31, 0xD9, 0xE6}), u"\u3000\u20AC"},  // symbols
                    TWindowsFact{1361, Bytes({0xE0, 0x31, 0xF9, 0xFE}), u"\u4F3D\u8A70"},  // Hanja
                    TWindowsFact{1361, Bytes({0xDA, 0xD4, 0xDA, 0xFE}), u"\u115F\u11A1"},  // old jamo
                    TWindowsFact{1361, Bytes({0xD8, 0x31, 0xD8, 0xFE, 0xDF, 0x80}), u"\uE000\uE0BB\uF8F0\u0080"}));

TEST(CodePageJohabTest, CompatibilityJamoEncodeToPartialCombinations) {
  // ㄱ has an initial-only form; ㄳ only a final-only one; ㅏ is medial-only.
  EXPECT_EQ(Utf16ToCodePage(u"\u3131\u3133\u314F", 1361), Bytes({0x88, 0x41, 0x84, 0x44, 0x84, 0x61}));
  EXPECT_EQ(Utf16ToCodePage(u"\u3164\u318E", 1361), Bytes({0xDA, 0xD4, 0xDA, 0xFE}));
}

TEST(CodePageJohabTest, UndefinedCombinationsAndBadTrailBytes) {
  // all fill; initial + final without medial; modern jamo in the symbol area
  EXPECT_EQ(CodePageToUtf16(Bytes({0x84, 0x41, 0x88, 0x42, 0xDA, 0xA1}), 1361), u"\uFFFD\uFFFD\uFFFD");
  // A lead byte whose trail is not a trail byte stands alone; the rest stays.
  EXPECT_EQ(CodePageToUtf16(Bytes({0x88, 0x20, 0xD9, 0x80, 0x41, 0x88}), 1361), u"\uFFFD \uFFFD\u0080A\uFFFD");
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

TEST(CodePageEncodeTest, UnmappableBecomesQuestionMark) {
  bool lossless = true;
  EXPECT_EQ(Utf8ToCodePage("a\xE4\xB8\xAD" "b", 1252, lossless), "a?b");
  EXPECT_FALSE(lossless);
  EXPECT_EQ(Utf8ToCodePage("\xC3\xA9", 1252, lossless), "\xE9");
  EXPECT_TRUE(lossless);
  // Unit by unit, as Windows: a pair gives two, a lone surrogate one.
  EXPECT_EQ(Utf16ToCodePage(u"\U0001F600", 1251), "??");
  EXPECT_EQ(Utf16ToCodePage(std::u16string(1, char16_t(0xD800)) + u"x", 932), "?x");
  EXPECT_EQ(Utf16ToCodePage(u"\u0E01\u00A5", 932), "??");
  EXPECT_EQ(Utf16ToCodePage(u"\u0100\uF141A", CP_SYMBOL), "??A");
  EXPECT_EQ(Utf16ToCodePage(u"\u00E9\uF0E9", CP_SYMBOL), "\xE9\xE9");
  EXPECT_EQ(Utf16ToCodePage(u"\u0E01", 1361), "?");
  EXPECT_EQ(Utf16ToCodePage(std::u16string(1, char16_t(0xDC00)), CP_UTF8), "?");
  // Current Windows' euro in Mac Roman is still accepted.
  EXPECT_EQ(Utf16ToCodePage(u"\u20AC", 10000), "\xDB");
}

TEST(CodePageUtf8Test, MalformedInputBecomesReplacementCharacter) {
  EXPECT_EQ(Utf8ToUtf16("a\xC3"), u"a\uFFFD");
  EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80z"), u"\uFFFD\uFFFD\uFFFDz");
  EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
  EXPECT_EQ(CodePageToUtf8("\xFF", CP_UTF8), "\xEF\xBF\xBD");
  bool lossless = true;
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

  const TScopedLocale locale("0419");
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
    const TScopedLocale locale(c.value);
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

}  // namespace
}  // namespace kst
