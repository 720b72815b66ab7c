// The dictionary's stores: translations and resource strings, the per-user
// and display settings, the automatic-translation step. What is recorded,
// known translations' order, highlighting, text lengths and import are
// dict-* CLI cases.
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "dictionary/auto_translate.h"
#include "dictionary/display_settings.h"
#include "dictionary/settings.h"
#include "dictionary_fixture.h"

namespace kst {
namespace {

using namespace test;

class StoresTest : public testing::TestWithParam<TBackend>, public TDictionary {
protected:
  StoresTest() : TDictionary(GetParam()) {}
  TdatSettings settings{*common};
  const std::string user = "anna";
  std::string Stored(const std::string& suffix) { return settings.ReadSetting(UserSettingKey(user, suffix), "-"); }
};

INSTANTIATE_TEST_SUITE_P(Backends, StoresTest, kBackends, BackendName);

// Which adds record a row: the dict-add CLI case.
TEST_P(StoresTest, TranslationsAreStoredQuotedHexAndSourcesMatchWithoutRegardToCase) {
  history->AddTranslation("Don't", "Nicht", kGermany);
  EXPECT_EQ(Text("SELECT SourceString, Translation, LangId FROM StrIdx JOIN TrnsHist ON StrID = SourceStrID"),
            "'Don'$27't'|'Nicht'|1031\n");
  const std::string id = history->GetStrID("DON'T");
  EXPECT_EQ(history->GetOrAddStrID("dOn'T"), id);
  EXPECT_EQ(history->GetStrID("Don't "), "");
  EXPECT_EQ(history->GetStrID(std::string(300, 'x')), "");  // a look-up never raises for length
  // The hint named the source while it worked and was restored afterwards.
  EXPECT_NE(std::find(interaction.hints.begin(), interaction.hints.end(), "Adding to Dictionary: \"Don't\""),
            interaction.hints.end());
  EXPECT_EQ(interaction.Hint(), "");
  // Older tools stored texts without the quoted form.
  common->Database().Exec("INSERT INTO TrnsHist VALUES ('" + history->GetOrAddStrID("Hello") + "', 1031, 'Hallo')");
  EXPECT_EQ(Known("Hello", kGermany), std::vector<std::string>{"Hallo"});
}

TEST_P(StoresTest, ResourceStringsFallBackToTheNeutralLanguageAndAreReplacedNotAccumulated) {
  history->SetResourceStringTranslation("SOpenError", kGerman, "Fehler beim \326ffnen");
  EXPECT_TRUE(history->HasResourceStringTranslation("SOpenError", kGermany));
  EXPECT_EQ(history->GetResourceStringTranslation("SOpenError", kGermany), "Fehler beim \326ffnen");
  EXPECT_FALSE(history->HasResourceStringTranslation("SOpenError", kFrance));
  EXPECT_EQ(history->GetResourceStringTranslation("SOpenError", kFrance), "");
  EXPECT_FALSE(history->HasResourceStringTranslation("SOther", kGermany));

  history->SetResourceStringTranslation("SOpenError", kGermany, "Kann nicht ge\366ffnet werden");
  history->SetResourceStringTranslation("SOpenError", kGermany, "\326ffnen fehlgeschlagen");
  history->SetResourceStringTranslation("SOpenError", kGermany, "\326ffnen fehlgeschlagen");
  EXPECT_EQ(history->GetResourceStringTranslation("SOpenError", kGermany), "\326ffnen fehlgeschlagen");
  EXPECT_EQ(history->GetResourceStringTranslation("SOpenError", kAustria), "Fehler beim \326ffnen");
  EXPECT_EQ(Count("TrnsHist WHERE SourceStrID = '" + history->GetStrID(".ResourceString.SOpenError") + "'"), 2);
  EXPECT_THROW(history->SetResourceStringTranslation("SLong", kGermany, std::string(200, '\n')), ETextTooLong);
}

TEST_P(StoresTest, SaveRunsItsAddsInOneTransactionThatCanBeUndone) {
  for (bool commit : {false, true}) {
    EXPECT_EQ(Known("Open", kGermany), std::vector<std::string>{}) << "nothing of a save that is not committed stays";
    TWriteTransaction save(common->Database());
    history->AddTranslation("Open", "\326ffnen", kGermany);
    history->AddTranslation("Close", "Schlie\337en", kGermany);
    EXPECT_EQ(Known("Open", kGermany).size(), 1u) << "the save sees its own adds";
    if (commit) save.Commit();
  }
  EXPECT_EQ(Known("Close", kGermany), (std::vector<std::string>{"Schlie\337en"}));
}

TEST_P(StoresTest, SettingsIgnoreCaseAndTheOptionsDialogsWritesFollowItsTransaction) {
  const std::string size = UserSettingKey(user, "\\FontSize"), style = UserSettingKey(user, "\\HiLiText\\Style");
  EXPECT_EQ(ReloadDisplaySettings(settings), TDisplaySettings{}) << "the running user's store is empty";
  settings.WriteSetting(size, 12);
  EXPECT_EQ(settings.ReadSetting("\\user\\ANNA\\fontsize", 8), 12);
  settings.WriteSetting("\\USER\\ANNA\\FONTSIZE", "abc");
  EXPECT_EQ(settings.ReadSetting(size, 8), 8);  // not a number: the default
  EXPECT_EQ(Count("tblIni"), 1);

  settings.BeginSettingsTransaction();
  WriteTextColor(settings, user, TDisplayElement::TranslatedText, 0x0000FF);
  EXPECT_EQ(ReloadDisplaySettings(settings, user).translated.color, 0x0000FFu) << "the dialog sees its own choice";
  settings.RollbackSettings();
  EXPECT_EQ(ReloadDisplaySettings(settings, user), TDisplaySettings{}) << "Cancel";

  settings.BeginSettingsTransaction();
  WriteTextColor(settings, user, TDisplayElement::TranslatedText, 0x0000FF);
  settings.WriteSetting(style, "BU");
  settings.WriteSetting(style, "I");
  EXPECT_EQ(settings.ReadSetting(style, ""), "I") << "a value written twice reads back the later one";
  WriteGridFontSize(settings, user, 14);
  for (int refused : {7, 21}) EXPECT_THROW(WriteGridFontSize(settings, user, refused), std::invalid_argument);
  settings.CommitSettings();
  settings.RollbackSettings();  // after a commit there is nothing left to undo
  TdatSettings other(*common);
  const TDisplaySettings s = ReloadDisplaySettings(other, user);
  EXPECT_EQ(s.translated.color, 0x0000FFu);
  EXPECT_EQ(s.highlighted.style, (TFontStyles{false, true, false}));
  EXPECT_EQ(s.fontSize, 14);
  EXPECT_EQ(ReloadDisplaySettings(other, "bob"), TDisplaySettings{}) << "another user keeps the defaults";
  EXPECT_THROW(settings.WriteSetting(style, std::string(256, 'B')), ETextTooLong);
  EXPECT_EQ(other.ReadSetting(style, ""), "I");
}

TEST_P(StoresTest, ColoursRoundTripThroughTheirSignedDecimalFormAndOthersWrittenByHandAreRead) {
  // The stored text, the colour read, and whether the program writes that text for it.
  const std::tuple<const char*, TColorValue, bool> cases[] = {
      {"-2147483640", 0x80000008, true}, {"-2147483633", 0x8000000F, true}, {"16711680", 0xFF0000, true},
      {"255", 0xFF, true}, {"0", 0, true}, {"16777215", 0xFFFFFF, true}, {"$FF", 0xFF, false},
      {"$80000008", 0x80000008, false}, {"2147483656", 0x80000008, false}, {" 255 ", 0xFF, false},
      // Not a 32-bit number: the default.
      {"abc", kPureBlue, false}, {"", kPureBlue, false}, {"99999999999", kPureBlue, false}, {"12 3", kPureBlue, false}};
  for (const auto& [text, color, written] : cases) {
    settings.WriteSetting(UserSettingKey(user, "\\TranslatedText\\Color"), text);
    EXPECT_EQ(ReloadDisplaySettings(settings, user).translated.color, color) << "'" << text << "'";
    if (!written) continue;
    WriteTextColor(settings, user, TDisplayElement::TranslatedText, color);
    EXPECT_EQ(Stored("\\TranslatedText\\Color"), text);
  }
}

TEST_P(StoresTest, StylesAreWrittenBIUAndReadInAnyOrderAndCaseAndSizesAreBroughtIntoRange) {
  WriteTextStyle(settings, user, TDisplayElement::StandardText, {true, false, true});
  EXPECT_EQ(Stored("\\StandardText\\Style"), "BU");
  WriteTextStyle(settings, user, TDisplayElement::HiLiText, {});
  EXPECT_EQ(Stored("\\HiLiText\\Style"), "") << "no style is stored as an empty text, not as the default";
  EXPECT_EQ(ReloadDisplaySettings(settings, user).highlighted.style, TFontStyles{});
  const std::pair<const char*, TFontStyles> styles[] = {
      {"ub", {true, false, true}}, {"IUB", {true, true, true}}, {"xiz", {false, true, false}}, {"", {}}};
  for (const auto& [text, style] : styles) {
    settings.WriteSetting(UserSettingKey(user, "\\StandardText\\Style"), text);
    EXPECT_EQ(ReloadDisplaySettings(settings, user).standard.style, style) << text;
  }
  for (const auto& [text, size] : std::vector<std::pair<const char*, int>>{{"50", 20}, {"3", 8}, {"-1", 8}, {"x", 8}}) {
    settings.WriteSetting(UserSettingKey(user, "\\FontSize"), text);
    EXPECT_EQ(ReloadDisplaySettings(settings, user).fontSize, size) << text;
  }
}

// The dialog for front ends without one of their own: one question; Yes takes
// the first candidate (never a similar text's), Ignore the original, any
// other answer cancels. Which
// entries are offered, and edited answers: the session's auto-translate test.
TEST_P(StoresTest, AskTranslationThroughTheInteractionInterface) {
  history->AddTranslation("Open", "\326ffnen", kGermany);
  history->AddTranslation("Open", "Aufmachen", kAustria);
  TRecordingInteraction person;
  person.answers = {TAnswer::Yes, TAnswer::Ignore, TAnswer::No, TAnswer::Yes};
  TInteractionAutoTranslate dialog(person);
  for (const auto& [answer, text] :
       {std::pair{TAnswer::Yes, "\326ffnen"}, {TAnswer::Ignore, "Open"}, {TAnswer::Cancel, "mine"}}) {
    std::string translation = "mine";
    EXPECT_EQ(AskTranslation(*history, kGermany, "Open", translation, dialog), answer);
    EXPECT_EQ(translation, text);
  }
  EXPECT_EQ(person.questions.at(0),
            "Auto Translation\nOriginal: Open\nTranslation: \326ffnen\nKnown Translations:\n  \326ffnen\n  Aufmachen");

  // Only a similar text is known: its translation is shown with the score,
  // and Yes (nobody chose it) skips the entry.
  history->AddTranslation("Open the files", "Dateien \366ffnen", kGermany);
  std::string translation = "mine";
  EXPECT_EQ(AskTranslation(*history, kGermany, "Open the file", translation, dialog), TAnswer::Ignore);
  EXPECT_EQ(translation, "Open the file");
  EXPECT_EQ(person.questions.back(), "Auto Translation\nOriginal: Open the file\nTranslation: \nSimilar Texts' "
                                     "Translations:\n  79% Dateien \366ffnen (Open the files)");
}

}  // namespace
}  // namespace kst
