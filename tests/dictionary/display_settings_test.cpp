// The display settings of the grids in the per-user settings store: the
// defaults of an empty store, the stored forms of colours and styles, values
// written by hand, and the options dialog's transaction.
#include "dictionary/display_settings.h"

#include <gtest/gtest.h>

#include "dictionary/settings.h"
#include "support/dictionary_place.h"

namespace kst {
namespace {

class DisplaySettings : public testing::Test {
protected:
  test::TDictionaryPlace place;
  TRecordingInteraction interaction;
  TdatCommon common{place.engine, interaction};
  TdatSettings settings{common};
  const std::string user = "anna";
  std::string Stored(const std::string& suffix) { return settings.ReadSetting(UserSettingKey(user, suffix), "-"); }
};

TEST_F(DisplaySettings, ColoursRoundTripThroughTheirSignedDecimalForm) {
  struct TCase {
    TColorValue color;
    const char* stored;
    int systemIndex;
  } cases[] = {
      {0x80000008, "-2147483640", 8},
      {0x8000000F, "-2147483633", 15},
      {0xFF0000, "16711680", -1},
      {0x0000FF, "255", -1},
      {0, "0", -1},
      {0xFFFFFF, "16777215", -1},
  };
  for (const TCase& c : cases) {
    WriteTextColor(settings, user, TDisplayElement::TranslatedText, c.color);
    EXPECT_EQ(Stored("\\TranslatedText\\Color"), c.stored);
    TColorValue back = ReloadDisplaySettings(settings, user).translated.color;
    EXPECT_EQ(back, c.color) << c.stored;
    EXPECT_EQ(SystemColorIndex(back), c.systemIndex) << c.stored;
    EXPECT_EQ(IsSystemColor(back), c.systemIndex >= 0) << c.stored;
  }
}

TEST_F(DisplaySettings, StylesAreWrittenBIUAndReadInAnyOrderAndCase) {
  WriteTextStyle(settings, user, TDisplayElement::StandardText, {true, false, true});
  EXPECT_EQ(Stored("\\StandardText\\Style"), "BU");
  WriteTextStyle(settings, user, TDisplayElement::HiLiText, {});
  EXPECT_EQ(Stored("\\HiLiText\\Style"), "") << "no style is stored as an empty text, not as the default";
  EXPECT_EQ(ReloadDisplaySettings(settings, user).highlighted.style, TFontStyles{});

  const std::pair<const char*, TFontStyles> read[] = {
      {"ub", {true, false, true}}, {"IUB", {true, true, true}}, {"xiz", {false, true, false}}, {"", {}}};
  for (const auto& [text, style] : read) {
    settings.WriteSetting(UserSettingKey(user, "\\StandardText\\Style"), text);
    EXPECT_EQ(ReloadDisplaySettings(settings, user).standard.style, style) << text;
  }
}

TEST_F(DisplaySettings, ValuesWrittenByHandFallBackOrAreBroughtIntoRange) {
  const std::pair<const char*, TColorValue> colours[] = {
      {"abc", 0xFF0000},          {"", 0xFF0000},  {"99999999999", 0xFF0000},
      {"12 3", 0xFF0000},         {"$FF", 0xFF},   {"$80000008", 0x80000008},
      {"2147483656", 0x80000008}, {" 255 ", 0xFF},
  };
  for (const auto& [text, colour] : colours) {
    settings.WriteSetting(UserSettingKey(user, "\\TranslatedText\\Color"), text);
    EXPECT_EQ(ReloadDisplaySettings(settings, user).translated.color, colour) << "'" << text << "'";
  }
  const std::pair<const char*, int> sizes[] = {{"12", 12}, {"50", 20}, {"3", 8}, {"-1", 8}, {"x", 8}};
  for (const auto& [text, size] : sizes) {
    settings.WriteSetting(UserSettingKey(user, "\\FontSize"), text);
    EXPECT_EQ(ReloadDisplaySettings(settings, user).fontSize, size) << text;
  }
}

TEST_F(DisplaySettings, AnEmptyStoreGivesTheDefaultsAndTheDialogsWritesFollowItsTransaction) {
  EXPECT_EQ(ReloadDisplaySettings(settings, user), TDisplaySettings{});
  EXPECT_EQ(ReloadDisplaySettings(settings), TDisplaySettings{}) << "the running user's store is empty too";
  settings.BeginSettingsTransaction();
  WriteTextColor(settings, user, TDisplayElement::TranslatedText, 0x0000FF);
  WriteGridFontSize(settings, user, 12);
  EXPECT_EQ(ReloadDisplaySettings(settings, user).translated.color, 0x0000FFu) << "the dialog sees its own choice";
  settings.RollbackSettings();
  EXPECT_EQ(ReloadDisplaySettings(settings, user), TDisplaySettings{}) << "Cancel";

  settings.BeginSettingsTransaction();
  WriteTextColor(settings, user, TDisplayElement::TranslatedText, 0x0000FF);
  WriteGridFontSize(settings, user, 12);
  for (int refused : {7, 21}) EXPECT_THROW(WriteGridFontSize(settings, user, refused), std::invalid_argument);
  settings.CommitSettings();
  TdatSettings other(common);
  TDisplaySettings s = ReloadDisplaySettings(other, user);
  EXPECT_EQ(s.translated.color, 0x0000FFu);
  EXPECT_EQ(s.fontSize, 12);
  EXPECT_EQ(other.ReadSetting(UserSettingKey(user, "\\TranslatedText\\Color"), ""), "255");
  EXPECT_EQ(ReloadDisplaySettings(other, "bob"), TDisplaySettings{}) << "another user keeps the defaults";
}

}  // namespace
}  // namespace kst
