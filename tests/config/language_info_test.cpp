// Language texts in every locale's own code page, the languages known, and
// display character sets (the single answers are rows of text-cases.txt).
#include "config/language_info.h"

#include <gtest/gtest.h>

namespace kst {
namespace {

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
