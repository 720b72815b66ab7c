// The text helpers and language texts as a table of cases
// (tests/data/config/text-cases.txt); then errors, round trips of every byte,
// unique identifiers, the languages known and the display character sets.
#include "config/text_helpers.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "config/interaction.h"
#include "config/language_info.h"
#include "platform/file_utils.h"
#include "support/test_support.h"

namespace kst {
namespace {

// The fields of a line of the table, split at tabs, with <XX> as byte XX.
std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields(1);
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '\t') {
      fields.emplace_back();
    } else if (line[i] == '<' && i + 3 < line.size() && line[i + 3] == '>') {
      fields.back() += static_cast<char>(std::stoi(line.substr(i + 1, 2), nullptr, 16));
      i += 3;
    } else {
      fields.back() += line[i];
    }
  }
  return fields;
}

TEST(TextHelpers, EveryCaseOfTheTable) {
  std::istringstream table(ReadFileBytes(test::TestDataDir() + "/config/text-cases.txt"));
  int cases = 0;
  for (std::string line; std::getline(table, line);) {
    if (line.empty() || line[0] == '#') continue;
    SCOPED_TRACE(line);
    const std::vector<std::string> f = Fields(line);
    const std::string& helper = f[0];
    ++cases;
    if (helper == "encode-escapes") {
      EXPECT_EQ(EncodeEscapes(f[1]), f[2]);
    } else if (helper == "decode-escapes") {
      EXPECT_EQ(DecodeEscapes(f[1]), f[2]);
    } else if (helper == "decode-full-escapes") {
      EXPECT_EQ(DecodeFullEscapes(f[1]), f[2]);
    } else if (helper == "quoted-hex") {
      EXPECT_EQ(EncodeQuotedHex(f[1]), f[2]);
      EXPECT_EQ(DecodeQuotedHex(f[2]), f[1]);
    } else if (helper == "decode-quoted-hex") {
      EXPECT_EQ(DecodeQuotedHex(f[1]), f[2]);
    } else if (helper == "find-text") {
      EXPECT_EQ(FindText(f[1], f[2], std::stoll(f[3]), f[4] == "whole", f[5] == "case"), std::stoul(f[6]));
    } else if (helper == "replace-text") {
      EXPECT_EQ(ReplaceText(f[1], f[2], f[3], f[4] == "whole", f[5] == "case"), f[6]);
    } else if (helper == "format-text") {
      EXPECT_EQ(FormatText(f[1], f[2]), f[3]);
    } else if (helper == "join-path") {
      EXPECT_EQ(JoinPath(f[1], f[2]), f[3]);
    } else if (helper == "trim-blanks") {
      EXPECT_EQ(TrimBlanks(f[1]), f[2]);
    } else if (helper == "strip-through-greater-than") {
      EXPECT_EQ(StripThroughGreaterThan(f[1]), f[2]);
    } else if (helper == "number-after-hash") {
      EXPECT_EQ(NumberAfterHash(f[1]), std::stoi(f[2]));
    } else if (helper == "is-all-digits") {
      EXPECT_EQ(IsAllDigits(f[1]), f[2] == "yes");
    } else if (helper == "language-info") {
      EXPECT_EQ(LanguageInfoText(std::stoi(f[1], nullptr, 16), std::stoi(f[2], nullptr, 16), std::stoi(f[3])), f[4]);
    } else if (helper == "language-display") {
      EXPECT_EQ(LanguageDisplayName(std::stoi(f[1], nullptr, 16), std::stoi(f[2])), f[3]);
    } else if (helper == "language-abbreviation") {
      EXPECT_EQ(LanguageAbbreviation(std::stoi(f[1], nullptr, 16)), f[2]);
    } else if (helper == "parse-language" && f[2] == "error") {
      EXPECT_THROW(ParseLanguageArgument(f[1]), std::invalid_argument);
    } else if (helper == "parse-language") {
      EXPECT_EQ(ParseLanguageArgument(f[1]), std::stoi(f[2], nullptr, 16));
    } else if (helper != "path-macro") {  // settings_test reads these
      ADD_FAILURE() << "no such helper";
      --cases;
    }
  }
  EXPECT_GE(cases, 110) << "the table was not read whole";
}

TEST(DecodeEscapes, BadHexIsAConversionError) {
  EXPECT_THROW(DecodeEscapes("\\xZZ"), EConvertError);
  EXPECT_THROW(DecodeEscapes("\\x"), EConvertError);
  try {
    DecodeEscapes("ab\\xG1");
    ADD_FAILURE();
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

TEST(QuotedHex, MalformedCodesWarnAndEveryByteRoundTrips) {
  TRecordingInteraction ui;
  EXPECT_EQ(DecodeQuotedHex("$ZZ'ok'$4", &ui), "ok\x04");
  EXPECT_EQ(ui.warnings, std::vector<std::string>{"'$ZZ' is not a valid integer value"});
  std::string all;
  for (int c = 0; c < 256; ++c) all += static_cast<char>(c);
  EXPECT_EQ(DecodeQuotedHex(EncodeQuotedHex(all)), all);
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

TEST(LanguageInfoText, EveryLocaleNamesFitItsOwnAnsiCodePage) {
  for (const TLocaleRow& row : LocaleRows()) {
    int cp = row.ansiCodePage == 0 ? 1252 : row.ansiCodePage;  // Unicode-only locales: the system's
    for (int type : {LOCALE_SLANGUAGE, LOCALE_SCOUNTRY}) {
      std::string utf8 = LanguageInfoText(row.lcid, type, CP_UTF8);
      bool lossless = false;
      std::string ansi = Utf8ToCodePage(utf8, cp, lossless);
      EXPECT_TRUE(lossless) << std::hex << row.lcid << " type " << type << ": " << utf8;
      EXPECT_EQ(CodePageToUtf8(ansi, cp), utf8) << std::hex << row.lcid;
    }
  }
}

TEST(KnownLanguages, SpecificAndNeutralIds) {
  std::vector<int> ids = KnownLanguageIds();
  auto has = [&](int id) { return std::find(ids.begin(), ids.end(), id) != ids.end(); };
  EXPECT_TRUE(has(0x0407));
  EXPECT_TRUE(has(0x0007));
  EXPECT_TRUE(has(0x0009));
  EXPECT_FALSE(has(0x00FF));
  EXPECT_TRUE(std::is_sorted(ids.begin(), ids.end()));
  EXPECT_GT(ids.size(), LocaleRows().size());
}

TEST(ParseLanguage, AnAbbreviationOfTwoLanguagesNamesBoth) {
  try {
    ParseLanguageArgument("aze");
    FAIL() << "AZE names two languages";
  } catch (const std::invalid_argument& e) {
    std::string message = e.what();
    EXPECT_NE(message.find("042C"), std::string::npos) << message;
    EXPECT_NE(message.find("082C"), std::string::npos) << message;
  }
}

TEST(DisplayCharsets, CodePagesFollowTheSystem) {
  TSystemCodePages russian{1251, 866, 10000};
  EXPECT_EQ(CharsetCodePage(204, russian), 1251);
  EXPECT_EQ(CharsetCodePage(1, russian), 1251) << "DEFAULT is the system's ANSI code page";
  EXPECT_EQ(CharsetCodePage(255, russian), 866);
  EXPECT_EQ(CharsetCodePage(77, russian), 10000);
  EXPECT_EQ(CharsetCodePage(2, russian), 42);
  for (const auto& cs : DisplayCharsets())
    EXPECT_TRUE(IsCodePageSupported(CharsetCodePage(cs.charset, russian))) << cs.name;
}

}  // namespace
}  // namespace kst
