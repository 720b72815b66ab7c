// The text helpers and language texts as a table of cases
// (tests/data/config/text-cases.txt); then errors, round trips of every byte,
// unique identifiers and the display character sets. The languages known and
// an ambiguous abbreviation: the languages and usage CLI cases.
#include "config/text_helpers.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <map>
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

int Hex(const std::string& text) { return std::stoi(text, nullptr, 16); }
std::string Hex4(int id) {
  char text[8];
  std::snprintf(text, sizeof text, "%04X", static_cast<unsigned>(id));
  return text;
}

// Each helper's answer as the table writes it in its last field.
using THelper = std::function<std::string(const std::vector<std::string>&)>;
const std::map<std::string, THelper> kHelpers = {
    {"encode-escapes", [](auto& f) { return EncodeEscapes(f[1]); }},
    {"decode-escapes", [](auto& f) { return DecodeEscapes(f[1]); }},
    {"decode-full-escapes", [](auto& f) { return DecodeFullEscapes(f[1]); }},
    {"quoted-hex", [](auto& f) { return DecodeQuotedHex(f[2]) == f[1] ? EncodeQuotedHex(f[1]) : "(one way)"; }},
    {"decode-quoted-hex", [](auto& f) { return DecodeQuotedHex(f[1]); }},
    {"find-text",
     [](auto& f) { return std::to_string(FindText(f[1], f[2], std::stoll(f[3]), f[4] == "whole", f[5] == "case")); }},
    {"replace-text", [](auto& f) { return ReplaceText(f[1], f[2], f[3], f[4] == "whole", f[5] == "case"); }},
    {"format-text", [](auto& f) { return FormatText(f[1], f[2]); }},
    {"join-path", [](auto& f) { return JoinPath(f[1], f[2]); }},
    {"trim-blanks", [](auto& f) { return TrimBlanks(f[1]); }},
    {"strip-through-greater-than", [](auto& f) { return StripThroughGreaterThan(f[1]); }},
    {"number-after-hash", [](auto& f) { return std::to_string(NumberAfterHash(f[1])); }},
    {"is-all-digits", [](auto& f) { return std::string(IsAllDigits(f[1]) ? "yes" : "no"); }},
    {"language-info", [](auto& f) { return LanguageInfoText(Hex(f[1]), Hex(f[2]), std::stoi(f[3])); }},
    {"language-display", [](auto& f) { return LanguageDisplayName(Hex(f[1]), std::stoi(f[2])); }},
    {"language-abbreviation", [](auto& f) { return LanguageAbbreviation(Hex(f[1])); }},
    {"parse-language",
     [](auto& f) {
       try {
         return Hex4(ParseLanguageArgument(f[1]));
       } catch (const std::invalid_argument&) {
         return std::string("error");
       }
     }},
};

TEST(TextHelpers, EveryCaseOfTheTable) {
  std::istringstream table(ReadFileBytes(test::TestDataDir() + "/config/text-cases.txt"));
  int cases = 0;
  for (std::string line; std::getline(table, line);) {
    if (line.empty() || line[0] == '#' || line.starts_with("path-macro\t")) continue;  // settings_test reads these
    SCOPED_TRACE(line);
    const std::vector<std::string> f = Fields(line);
    auto helper = kHelpers.find(f[0]);
    ASSERT_NE(helper, kHelpers.end()) << "no such helper";
    EXPECT_EQ(helper->second(f), f.back());
    ++cases;
  }
  EXPECT_GE(cases, 110) << "the table was not read whole";
}

TEST(TextHelpers, MalformedCodesAreErrorsOrWarningsAndEveryByteRoundTrips) {
  EXPECT_THROW(DecodeEscapes("\\xZZ"), EConvertError);
  EXPECT_THROW(DecodeEscapes("\\x"), EConvertError);
  EXPECT_EQ(test::Thrown<EConvertError>([] { DecodeEscapes("ab\\xG1"); }), "'$G1' is not a valid integer value");
  TRecordingInteraction ui;
  EXPECT_EQ(DecodeQuotedHex("$ZZ'ok'$4", &ui), "ok\x04");
  EXPECT_EQ(ui.warnings, std::vector<std::string>{"'$ZZ' is not a valid integer value"});
  std::string all;
  for (int c = 0; c < 256; ++c) all += static_cast<char>(c);
  EXPECT_EQ(DecodeQuotedHex(EncodeQuotedHex(all)), all);
  // Control characters come back escaped, everything else exactly.
  EXPECT_EQ(DecodeEscapes(EncodeEscapes(all.substr(32))), all.substr(32));
  EXPECT_EQ(DecodeEscapes(EncodeEscapes("x\r\ny")), "x\\x0D\\x0Ay");
}

TEST(UniqueId, CounterRunsToFFThenTheGuidChanges) {
  TUniqueIdGenerator gen;
  std::set<std::string> ids;
  for (int i = 1; i <= 255; ++i) ids.insert(gen.NewUniqueId());
  ASSERT_EQ(ids.size(), 255u);
  const std::string guid = ids.begin()->substr(0, 36);
  for (const std::string& id : ids) EXPECT_EQ(id.size(), 39u);
  for (const std::string& id : ids) EXPECT_EQ(id.substr(0, 36), guid);
  EXPECT_EQ(ids.begin()->substr(36), "-01");
  EXPECT_EQ(ids.rbegin()->substr(36), "-FF");
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
