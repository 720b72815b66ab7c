// The built-in locale and character-set tables.
#include "platform/locale_table.h"

#include <gtest/gtest.h>

namespace kst {
namespace {

TEST(LocaleTable, HoldsTheWholeTableSortedAndUnique) {
  const auto& rows = LocaleRows();
  EXPECT_EQ(rows.size(), 161u);
  for (size_t i = 0; i < rows.size(); ++i) {
    if (i > 0) EXPECT_LT(rows[i - 1].lcid, rows[i].lcid) << "sorted, so no ID twice";
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

}  // namespace
}  // namespace kst
