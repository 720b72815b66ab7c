// Language texts with the program's rules, their code pages, and parsing of
// languages given on a command line.
#include "config/language_info.h"

#include <gtest/gtest.h>

namespace kst {
namespace {

TEST(LanguageInfoText, RulesOnTopOfTheLocaleData) {
  EXPECT_EQ(LanguageInfoText(0x0407, LOCALE_SLANGUAGE, 1252), "German ") << "cut at '(' keeps the blank";
  EXPECT_EQ(LanguageInfoText(0x0407, LOCALE_SABBREVLANGNAME, 1252), "DEU");
  EXPECT_EQ(LanguageInfoText(0x0009, LOCALE_SLANGUAGE, 1252), "English ") << "neutral asks sub-language 1";
  EXPECT_EQ(LanguageInfoText(0x0009, LOCALE_SABBREVLANGNAME, 1252), "EN");
  EXPECT_EQ(LanguageInfoText(0x0402, LOCALE_SLANGUAGE, 1252), "Bulgarian");
  EXPECT_EQ(LanguageInfoText(0x0404, LOCALE_SENGLANGUAGE, 1252), "Chinese");
  EXPECT_EQ(LanguageInfoText(0x00FF, LOCALE_SLANGUAGE, 1252), "");
  EXPECT_EQ(LanguageInfoText(0x0407, LOCALE_IDEFAULTANSICODEPAGE, 1252), "1252");
  EXPECT_EQ(LanguageInfoText(0x0007, LOCALE_IDEFAULTCODEPAGE, 1252), "850");
  // Only the low 16 bits name the language.
  EXPECT_EQ(LanguageInfoText(0x10407, LOCALE_SABBREVLANGNAME, 1252), "DEU");
}

TEST(LanguageInfoText, NativeNamesInTheCallersCodePage) {
  EXPECT_EQ(LanguageInfoText(0x0419, LOCALE_SNATIVELANGNAME, 1251), "\xF0\xF3\xF1\xF1\xEA\xE8\xE9");
  // Cyrillic does not fit 1252: replacement characters, never mojibake.
  EXPECT_EQ(LanguageInfoText(0x0419, LOCALE_SNATIVELANGNAME, 1252), "???????");
  EXPECT_EQ(LanguageInfoText(0x0407, LOCALE_SNATIVELANGNAME, CP_UTF8), "Deutsch");
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

TEST(LanguageDisplay, NamesAndAbbreviations) {
  EXPECT_EQ(LanguageDisplayName(0x0407, 1252), "German  (Germany)");
  EXPECT_EQ(LanguageDisplayName(0x0402, 1252), "Bulgarian (Bulgaria)");
  EXPECT_EQ(LanguageDisplayName(0x0009, 1252), "English  ") << "no country part, ends in a blank";
  EXPECT_EQ(LanguageAbbreviation(0x0C07), "DEA");
  EXPECT_EQ(LanguageAbbreviation(0x0009), "EN");
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
