// The escape and quoted-hex codecs, whole-word search and replace, and the
// small helpers, as tables of cases.
#include "config/text_helpers.h"

#include <gtest/gtest.h>

#include <set>

#include "config/interaction.h"

namespace kst {
namespace {

struct TCodecCase {
  const char* name;
  std::string input;
  std::string expected;
};

std::ostream& operator<<(std::ostream& os, const TCodecCase& c) { return os << c.name; }

class EncodeEscapesTest : public testing::TestWithParam<TCodecCase> {};
TEST_P(EncodeEscapesTest, Encodes) { EXPECT_EQ(EncodeEscapes(GetParam().input), GetParam().expected); }
INSTANTIATE_TEST_SUITE_P(Cases, EncodeEscapesTest,
  testing::Values(
    TCodecCase{"crlf_upper_hex", "a\r\nb", "a\\x0D\\x0Ab"},
    TCodecCase{"quote", "say \"hi\"", "say \\\"hi\\\""},
    TCodecCase{"backslash_and_high_bytes_unchanged", "C:\\x\xE4\xFF", "C:\\x\xE4\xFF"},
    TCodecCase{"nul_and_tab", std::string("\0\t", 2), "\\x00\\x09"},
    TCodecCase{"empty", "", ""}));

class DecodeEscapesTest : public testing::TestWithParam<TCodecCase> {};
TEST_P(DecodeEscapesTest, Decodes) { EXPECT_EQ(DecodeEscapes(GetParam().input), GetParam().expected); }
INSTANTIATE_TEST_SUITE_P(Cases, DecodeEscapesTest,
  testing::Values(
    TCodecCase{"control_chars_stay_escaped", "a\\x0D\\x0Ab", "a\\x0D\\x0Ab"},
    TCodecCase{"printable_hex", "\\x41\\x7e", "A~"},
    TCodecCase{"high_hex", "\\xE4", "\xE4"},
    TCodecCase{"quote", "\\\"q\\\"", "\"q\""},
    TCodecCase{"trailing_backslash_dropped", "abc\\", "abc"},
    TCodecCase{"octal_printable", "\\101B", "AB"},
    TCodecCase{"octal_control_kept", "\\012x", "\\012x"},
    TCodecCase{"octal_above_255_kept", "\\777", "\\777"},
    TCodecCase{"zero_alone_kept", "\\0x", "\\0x"},
    TCodecCase{"zero_with_two_digits_kept", "\\09", "\\09"},
    TCodecCase{"other_digit_loses_backslash", "\\9\\8", "98"},
    TCodecCase{"digit_not_three_octal", "\\12", "12"},
    TCodecCase{"letters_kept", "\\n\\t\\\\", "\\n\\t\\\\"},
    TCodecCase{"single_hex_digit_at_end_kept", "\\xA", "\\xA"}));

TEST(DecodeEscapes, BadHexIsAConversionError) {
  EXPECT_THROW(DecodeEscapes("\\xZZ"), EConvertError);
  EXPECT_THROW(DecodeEscapes("\\x"), EConvertError);
  try {
    DecodeEscapes("ab\\xG1");
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "'$G1' is not a valid integer value");
  }
}

TEST(DecodeEscapes, RoundTripsEveryEncodedText) {
  // Control characters come back escaped, everything else exactly.
  std::string all;
  for (int c = 32; c < 256; ++c) all += static_cast<char>(c);
  EXPECT_EQ(DecodeEscapes(EncodeEscapes(all)), all);
  EXPECT_EQ(DecodeEscapes(EncodeEscapes("x\r\ny")), "x\\x0D\\x0Ay");
}

class DecodeFullEscapesTest : public testing::TestWithParam<TCodecCase> {};
TEST_P(DecodeFullEscapesTest, Decodes) { EXPECT_EQ(DecodeFullEscapes(GetParam().input), GetParam().expected); }
INSTANTIATE_TEST_SUITE_P(Cases, DecodeFullEscapesTest,
  testing::Values(
    TCodecCase{"letters", "\\a\\b\\f\\n\\r\\t\\v", "\a\b\f\n\r\t\v"},
    TCodecCase{"self_escapes", "\\\\\\?\\\"\\'", "\\?\"'"},
    TCodecCase{"bad_hex_kept", "\\xZZ!", "\\xZZ!"},
    TCodecCase{"short_hex_kept", "\\x4", "\\x4"},
    TCodecCase{"hex_printable", "\\x41", "A"},
    TCodecCase{"hex_control_becomes_the_character", "a\\x0D\\x0Ab", "a\r\nb"},
    TCodecCase{"escaped_backslash_before_x", "\\\\x0A", "\\x0A"},
    TCodecCase{"octal_control", "\\011", "\t"},
    TCodecCase{"trailing_backslash_kept", "end\\", "end\\"},
    TCodecCase{"unknown_kept", "\\q", "\\q"},
    TCodecCase{"octal", "\\101", "A"},
    TCodecCase{"digit", "\\9", "9"}));

class QuotedHexTest : public testing::TestWithParam<TCodecCase> {};
TEST_P(QuotedHexTest, EncodesAndDecodesBack) {
  EXPECT_EQ(EncodeQuotedHex(GetParam().input), GetParam().expected);
  EXPECT_EQ(DecodeQuotedHex(GetParam().expected), GetParam().input);
}
INSTANTIATE_TEST_SUITE_P(Cases, QuotedHexTest,
  testing::Values(
    TCodecCase{"apostrophe", "it's", "'it'$27's'"},
    TCodecCase{"plain", "Save", "'Save'"},
    TCodecCase{"controls_only", "\r\n", "$0D$0A"},
    TCodecCase{"high_and_del", "\x7F\xE4x", "$7F$E4'x'"},
    TCodecCase{"leading_apostrophe", "'a", "$27'a'"},
    TCodecCase{"dollar_inside_run", "$5", "'$5'"},
    TCodecCase{"empty", "", ""}));

TEST(DecodeQuotedHex, PlainValuesAndMalformedCodes) {
  EXPECT_EQ(DecodeQuotedHex("Plain text"), "Plain text");
  EXPECT_EQ(DecodeQuotedHex("'$41'"), "$41") << "a $ inside a run is text";
  EXPECT_EQ(DecodeQuotedHex("$41 x 'b'"), "Ab") << "characters outside runs are skipped";
  TRecordingInteraction ui;
  EXPECT_EQ(DecodeQuotedHex("$ZZ'ok'$4", &ui), "ok\x04");
  ASSERT_EQ(ui.warnings.size(), 1u);
  EXPECT_EQ(ui.warnings[0], "'$ZZ' is not a valid integer value");
  EXPECT_EQ(DecodeQuotedHex("'unterminated"), "unterminated");
}

TEST(QuotedHex, EveryByteRoundTrips) {
  std::string all;
  for (int c = 0; c < 256; ++c) all += static_cast<char>(c);
  EXPECT_EQ(DecodeQuotedHex(EncodeQuotedHex(all)), all);
}

struct TFindCase {
  const char* name;
  const char* find;
  const char* text;
  long long start;
  bool wholeWord;
  bool caseSensitive;
  size_t expected;
};
std::ostream& operator<<(std::ostream& os, const TFindCase& c) { return os << c.name; }

class FindTextTest : public testing::TestWithParam<TFindCase> {};
TEST_P(FindTextTest, Finds) {
  const TFindCase& c = GetParam();
  EXPECT_EQ(FindText(c.find, c.text, c.start, c.wholeWord, c.caseSensitive), c.expected);
}
INSTANTIATE_TEST_SUITE_P(Cases, FindTextTest,
  testing::Values(
    TFindCase{"simple", "File", "Open File", 1, false, true, 6},
    TFindCase{"case_insensitive", "file", "Open FILE", 1, false, false, 6},
    TFindCase{"case_sensitive_misses", "file", "Open FILE", 1, false, true, 0},
    TFindCase{"only_a_to_z_fold", "\xE4", "\xC4", 1, false, false, 0},
    TFindCase{"start_position", "a", "aXa", 2, false, true, 3},
    TFindCase{"start_below_one", "a", "a", -5, false, true, 1},
    TFindCase{"start_past_end", "a", "a", 2, false, true, 0},
    TFindCase{"whole_word_after_dot", "Caption", "Form1.Caption", 1, true, true, 7},
    TFindCase{"whole_word_before_semicolon", "Open", "Open;Close", 1, true, true, 1},
    TFindCase{"whole_word_prefix_rejected", "Open", "Opened Open", 1, true, true, 8},
    TFindCase{"whole_word_inside_rejected", "pen", "Open", 1, true, true, 0},
    TFindCase{"whole_word_delimiters", "x", "!x+", 1, true, true, 2},
    TFindCase{"longer_than_text", "abcd", "abc", 1, false, true, 0},
    TFindCase{"empty_find", "", "abc", 1, false, true, 0}));

TEST(ReplaceText, ReplacesAllAndNeverLoops) {
  EXPECT_EQ(ReplaceText("a-a-a", "a", "b", false, true), "b-b-b");
  EXPECT_EQ(ReplaceText("aaa", "a", "aa", false, true), "aaaaaa") << "scan goes on after the replacement";
  EXPECT_EQ(ReplaceText("Open Opened", "open", "Close", true, false), "Close Opened");
  EXPECT_EQ(ReplaceText("abc", "", "x", false, true), "abc");
  EXPECT_EQ(ReplaceText("xx", "x", "", false, true), "");
}

TEST(SmallHelpers, PathsTrimsAndNumbers) {
  EXPECT_EQ(JoinPath("dir", "KSTrans.DB"), "dir/KSTrans.DB");
  EXPECT_EQ(JoinPath("dir\\", "KSTrans.DB"), "dir\\KSTrans.DB") << "no doubled separator";
  EXPECT_EQ(JoinPath("dir/", "x"), "dir/x");
  EXPECT_EQ(JoinPath("", "KSTrans.DB"), "KSTrans.DB");
  EXPECT_EQ(TrimBlanks("  a b \t "), "a b \t");
  EXPECT_EQ(TrimBlanks("   "), "");
  EXPECT_EQ(StripThroughGreaterThan("a>b>c"), "c");
  EXPECT_EQ(StripThroughGreaterThan("abc"), "abc");
  EXPECT_EQ(NumberAfterHash("#00012"), 12);
  EXPECT_EQ(NumberAfterHash("34x"), 34);
  EXPECT_EQ(NumberAfterHash("#"), 0);
  EXPECT_TRUE(IsAllDigits("0123"));
  EXPECT_FALSE(IsAllDigits(""));
  EXPECT_FALSE(IsAllDigits("12a"));
}

TEST(FormatText, FillsTheFirstPlaceholderOnly) {
  struct {
    const char* pattern;
    const char* arg;
    const char* expected;
  } cases[] = {
      {"Reading '%s'...", "Main.dfm", "Reading 'Main.dfm'..."},
      {"%s on line %d", "Bad", "Bad on line %d"},
      {"%s and %s", "one", "one and %s"},
      {"no placeholder", "x", "no placeholder"},
      {"File %s", "", "File "},
      {"Item \"%s\"", "100%s", "Item \"100%s\""},  // the argument is not expanded again
  };
  for (const auto& c : cases) EXPECT_EQ(FormatText(c.pattern, c.arg), c.expected) << c.pattern;
}

TEST(UniqueId, CounterRunsToFFThenTheGuidChanges) {
  TUniqueIdGenerator gen;
  std::string first = gen.NewUniqueId();
  ASSERT_EQ(first.size(), 39u);
  EXPECT_EQ(first.substr(36), "-01");
  std::string guid = first.substr(0, 36);
  std::set<std::string> seen{first};
  for (int i = 2; i <= 255; ++i) {
    std::string id = gen.NewUniqueId();
    EXPECT_EQ(id.substr(0, 36), guid);
    seen.insert(id);
    if (i == 255) {
      EXPECT_EQ(id.substr(36), "-FF");
    }
  }
  EXPECT_EQ(seen.size(), 255u);
  std::string next = gen.NewUniqueId();
  EXPECT_NE(next.substr(0, 36), guid);
  EXPECT_EQ(next.substr(36), "-01");
}

}  // namespace
}  // namespace kst
