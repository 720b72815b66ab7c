// The dictionary's stores: translations and resource strings, each against
// a fresh dictionary and against one opened again; the per-user settings and
// the grids' display settings; dictionary-file import; the automatic-
// translation step; and a database kept busy by someone else. The known
// translations' order and the default rules are the dict-rules CLI case.
#include <gtest/gtest.h>

#include "config/text_helpers.h"
#include "dictionary/auto_translate.h"
#include "dictionary/dictionary_schema.h"
#include "dictionary/display_settings.h"
#include "dictionary/edit_errors.h"
#include "dictionary/highlighting.h"
#include "dictionary/settings.h"
#include "dictionary/translation_history.h"
#include "platform/file_utils.h"
#include "support/dictionary_place.h"

namespace kst {
namespace {

// \326 is Ö, \337 ß in code page 1252 (octal, so that no letter after it is read as a hex digit).
constexpr int kGermany = 0x0407, kAustria = 0x0C07, kGerman = 0x0007, kFrance = 0x040C;

class HistoryTest : public testing::TestWithParam<bool> {
protected:
  void SetUp() override {
    if (GetParam()) {
      // A first start that leaves data of its own behind.
      TdatCommon first(place.engine, interaction);
      TdatTranslationHistory(first).AddTranslation("Unrelated", "Sonstiges", kFrance);
    }
    common = std::make_unique<TdatCommon>(place.engine, interaction);
    history = std::make_unique<TdatTranslationHistory>(*common);
  }
  std::vector<std::string> Known(const std::string& source, int lang) {
    std::vector<std::string> list{"left over"};
    history->GetKnownTranslations(source, lang, list);
    return list;
  }
  long long Count(const std::string& sql) { return test::QueryCount(common->Database(), sql); }

  test::TDictionaryPlace place;
  TRecordingInteraction interaction;
  std::unique_ptr<TdatCommon> common;
  std::unique_ptr<TdatTranslationHistory> history;
};

TEST_P(HistoryTest, StoresTheQuotedHexFormAndRecordsEachTranslationOnce) {
  history->AddTranslation("Don't", "Nicht", kGermany);
  EXPECT_EQ(test::QueryText(common->Database(), "SELECT SourceString, Translation, LangId FROM StrIdx JOIN TrnsHist "
                                                "ON StrID = SourceStrID WHERE SourceString LIKE '''Don''%'"),
            "'Don'$27't'|'Nicht'|1031\n");

  history->AddTranslation("Don't", "Nicht", kGermany);
  history->AddTranslation("Don't", "Nicht", kAustria);  // a sibling sub-language knows it already
  history->AddTranslation("don't", "Nicht", kGermany);  // the source matches without regard to case
  EXPECT_EQ(Count("SELECT count(*) FROM TrnsHist WHERE Translation = '''Nicht'''"), 1);
  history->AddTranslation("Don't", "nicht", kGermany);  // the translation compares exactly
  EXPECT_EQ(Count("SELECT count(*) FROM TrnsHist WHERE Translation LIKE '''nicht'''"), 2);
  EXPECT_EQ(Count("SELECT count(*) FROM StrIdx WHERE SourceString LIKE '''Don''%'"), 1);
  // The hint named the source while it worked and was restored afterwards.
  EXPECT_NE(std::find(interaction.hints.begin(), interaction.hints.end(), "Adding to Dictionary: \"Don't\""),
            interaction.hints.end());
  EXPECT_EQ(interaction.Hint(), "");
}

TEST_P(HistoryTest, RefusesTextsWhoseStoredFormDoesNotFitAndStoresTheRestWhole) {
  const struct {
    std::string source, translation;
    bool stored;
  } cases[] = {
      // 85 control characters are 255 stored characters: too many.
      {std::string(85, '\x01'), "x", false},
      {std::string(84, '\x01'), "x", true},
      // 252 printable characters and two apostrophes: 254, the most that fits.
      {std::string(252, 'a'), "x", true},
      {std::string(253, 'a'), "x", false},
      {"Open", std::string(85, '\t'), false},
      {"Open", std::string(252, 'b'), true},
      // Apostrophes are three stored characters each.
      {"Quote", std::string(85, '\''), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(EncodeQuotedHex(c.source).size() + EncodeQuotedHex(c.translation).size());
    long long before = Count("SELECT count(*) FROM TrnsHist");
    if (c.stored) {
      history->AddTranslation(c.source, c.translation, kGermany);
      EXPECT_EQ(Known(c.source, kGermany), std::vector<std::string>{c.translation}) << "whole, not cut";
      continue;
    }
    std::string error = test::Thrown<ETextTooLong>([&] { history->AddTranslation(c.source, c.translation, kGermany); });
    EXPECT_NE(error.find("too long"), std::string::npos) << error;
    EXPECT_EQ(Count("SELECT count(*) FROM TrnsHist"), before);
    EXPECT_EQ(history->GetStrID(c.source), "") << "not even the source went in";
  }
}

TEST_P(HistoryTest, SourceStringsMatchWithoutRegardToCase) {
  history->AddTranslation("OK", "OK", kFrance);
  std::string id = history->GetStrID("OK");
  ASSERT_EQ(id.size(), 39u);
  EXPECT_EQ(history->GetStrID("ok"), id);
  EXPECT_EQ(history->GetOrAddStrID("Ok"), id);
  EXPECT_EQ(history->GetStrID("OK "), "");
  EXPECT_EQ(history->GetStrID(std::string(300, 'x')), "");  // a look-up never raises for length
}

TEST_P(HistoryTest, ResourceStringsFallBackToTheNeutralLanguageAndAreReplacedNotAccumulated) {
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
  std::string id = history->GetStrID(".ResourceString.SOpenError");
  EXPECT_EQ(Count("SELECT count(*) FROM TrnsHist WHERE SourceStrID = '" + id + "'"), 2);
  EXPECT_THROW(history->SetResourceStringTranslation("SLong", kGermany, std::string(200, '\n')), ETextTooLong);
}

TEST_P(HistoryTest, TextsStoredWithoutTheQuotedFormAreReadBackUnchanged) {
  std::string id = history->GetOrAddStrID("Hello");
  common->Database().Exec("INSERT INTO TrnsHist VALUES ('" + id + "', 1031, 'Hallo Welt')");
  EXPECT_EQ(Known("Hello", kGermany), (std::vector<std::string>{"Hallo Welt"}));
}

TEST_P(HistoryTest, SaveRunsItsAddsInOneTransactionThatCanBeUndone) {
  for (bool commit : {false, true}) {
    EXPECT_TRUE(Known("Open", kGermany).empty()) << "nothing of a save that is not committed stays";
    TWriteTransaction save(common->Database());
    history->AddTranslation("Open", "\326ffnen", kGermany);
    history->AddTranslation("Close", "Schlie\337en", kGermany);
    EXPECT_EQ(Known("Open", kGermany).size(), 1u) << "the save sees its own adds";
    if (commit) save.Commit();
  }
  EXPECT_EQ(Known("Close", kGermany), (std::vector<std::string>{"Schlie\337en"}));
}

INSTANTIATE_TEST_SUITE_P(FreshAndReopened, HistoryTest, testing::Bool(),
                         [](const auto& info) { return info.param ? "Reopened" : "Fresh"; });

TEST(HighlightNormalisation, RemovesIndexesAndDoubledDotsUntilNoneRemain) {
  const std::pair<const char*, const char*> cases[] = {
      {"TDBGrid.Columns[2].Title.Caption", "TDBGrid.Columns.Title.Caption"},
      {"A.B[1][2].C", "A.B.C"},
      {"A.[x]..B", "A.B"},   // removing the index leaves ".." behind, which then goes
      {"A...B", "A.B"},
      {"A[.]].B", "A].B"},
      {"A[1.B", "A[1.B"},
      {"A[1..B", "A[1B"},
      {"", ""},
  };
  for (auto [in, out] : cases) EXPECT_EQ(TdatHighLighting::NormalisePath(in), out) << in;
}

class StoresTest : public testing::Test {
protected:
  test::TDictionaryPlace place;
  TRecordingInteraction interaction;
  TdatCommon common{place.engine, interaction};
  TdatTranslationHistory history{common};
  TdatSettings settings{common};
  const std::string user = "anna";
  std::string Stored(const std::string& suffix) { return settings.ReadSetting(UserSettingKey(user, suffix), "-"); }
};

TEST_F(StoresTest, SettingsHaveDefaultsIgnoreCaseAndFollowTheTransaction) {
  const std::string size = UserSettingKey("anna", "\\FontSize");
  const std::string style = UserSettingKey("anna", "\\HiLiText\\Style");
  EXPECT_EQ(size, "\\USER\\anna\\FontSize");
  EXPECT_EQ(settings.ReadSetting(size, 8), 8);
  EXPECT_EQ(settings.ReadSetting(style, "B"), "B");
  settings.WriteSetting(size, 12);
  EXPECT_EQ(settings.ReadSetting("\\user\\ANNA\\fontsize", 8), 12);
  settings.WriteSetting("\\USER\\ANNA\\FONTSIZE", "abc");
  EXPECT_EQ(settings.ReadSetting(size, 8), 8);  // not a number: the default
  EXPECT_EQ(test::QueryCount(common.Database(), "SELECT count(*) FROM tblIni"), 1);

  // Cancel is checked with the display settings; a value written twice reads back the later one.
  settings.BeginSettingsTransaction();
  settings.WriteSetting(style, "BU");
  settings.WriteSetting(style, "I");
  EXPECT_EQ(settings.ReadSetting(style, ""), "I");
  settings.WriteSetting(size, 14);
  settings.CommitSettings();
  settings.RollbackSettings();  // after a commit there is nothing left to undo
  TdatSettings other(common);
  EXPECT_EQ(other.ReadSetting(style, ""), "I");
  EXPECT_EQ(other.ReadSetting(size, 8), 14);
  EXPECT_THROW(settings.WriteSetting(style, std::string(256, 'B')), ETextTooLong);
  EXPECT_EQ(other.ReadSetting(style, ""), "I");
}

TEST_F(StoresTest, ImportStoresResourceStringEntriesAllOrNothing) {
  test::TScratchDir dir;
  test::WriteFile(dir.File("strdict.DEU"),
                  "[Other]\r\nSIgnored=Nein\r\n[Strings]\r\nSOpen=\326ffnen\r\nSEmpty=\r\nSQuote=Don't\r\n");
  EXPECT_EQ(history.ImportDictionaryFile(dir.File("strdict.DEU")), kGermany);
  EXPECT_EQ(history.GetResourceStringTranslation("SOpen", kGermany), "\326ffnen");
  EXPECT_EQ(history.GetResourceStringTranslation("SQuote", kGermany), "Don't");
  EXPECT_TRUE(history.HasResourceStringTranslation("SEmpty", kGermany));
  EXPECT_FALSE(history.HasResourceStringTranslation("SIgnored", kGermany));

  test::WriteFile(dir.File("again.dea"), "[Strings]\r\nSOpen=Aufmachen\r\n");
  EXPECT_EQ(history.ImportDictionaryFile(dir.File("again.dea")), kAustria);
  test::WriteFile(dir.File("replace.deu"), "[Strings]\r\nSOpen=Auf\r\nSLong=" + std::string(100, '\x01') + "\r\n");
  EXPECT_THROW(history.ImportDictionaryFile(dir.File("replace.deu")), ETextTooLong);
  EXPECT_EQ(history.GetResourceStringTranslation("SOpen", kGermany), "\326ffnen");  // nothing of it went in

  for (const char* name : {"strdict", "strdict.XYZ", "strdict."}) {
    test::WriteFile(dir.File(name), "[Strings]\r\nSOpen=x\r\n");
    EXPECT_EQ(test::Thrown<EDictionaryError>([&] { history.ImportDictionaryFile(dir.File(name)); }),
              "Unknown dictionary file language");
  }
  EXPECT_THROW(history.ImportDictionaryFile(dir.File("missing.DEU")), EFileError);
}

class ScriptedDialog : public TAutoTranslateDialog {
public:
  TAnswer answer = TAnswer::Yes;
  std::string edit;  // typed over the preset when not empty
  std::vector<std::string> shown;
  int calls = 0;
  TAnswer Execute(const std::string&, const std::vector<std::string>& candidates, std::string& translation) override {
    ++calls;
    shown = candidates;
    EXPECT_EQ(translation, candidates.front());
    if (!edit.empty()) translation = edit;
    return answer;
  }
};

TEST_F(StoresTest, AskTranslationOffersTheCandidatesOfTheLanguage) {
  history.AddTranslation("File", "Datei", kGermany);
  history.AddTranslation("File", "datei", kAustria);
  history.AddTranslation("Edit", "Bearbeiten", kAustria);
  ScriptedDialog dialog;

  std::string translation = "File";
  EXPECT_EQ(AskTranslation(history, kGermany, "File", translation, dialog), TAnswer::Yes);
  EXPECT_EQ(dialog.shown, (std::vector<std::string>{"Datei"}));
  EXPECT_EQ(translation, "Datei");

  translation = "Edit";
  dialog.edit = "Bearbeiten...";
  EXPECT_EQ(AskTranslation(history, kGermany, "Edit", translation, dialog), TAnswer::Yes);
  EXPECT_EQ(translation, "Bearbeiten...");  // the edited text, not the candidate

  dialog.answer = TAnswer::Ignore;
  translation = "anything";
  EXPECT_EQ(AskTranslation(history, kGermany, "Edit", translation, dialog), TAnswer::Ignore);
  EXPECT_EQ(translation, "Edit");

  dialog.answer = TAnswer::Cancel;
  translation = "Edit";
  EXPECT_EQ(AskTranslation(history, kGermany, "Edit", translation, dialog), TAnswer::Cancel);
  EXPECT_EQ(translation, "Edit");

  dialog.calls = 0;
  translation = "Unknown";
  EXPECT_EQ(AskTranslation(history, kGermany, "Unknown", translation, dialog), TAnswer::Ignore);
  EXPECT_EQ(dialog.calls, 0);
}

TEST_F(StoresTest, AskTranslationThroughTheInteractionInterface) {
  history.AddTranslation("Open", "\326ffnen", kGermany);
  history.AddTranslation("Open", "Aufmachen", kAustria);
  TRecordingInteraction person;
  person.answers = {TAnswer::Yes, TAnswer::Ignore, TAnswer::No};
  TInteractionAutoTranslate dialog(person);
  const std::pair<TAnswer, std::string> expected[] = {
      {TAnswer::Yes, "\326ffnen"}, {TAnswer::Ignore, "Open"}, {TAnswer::Cancel, "Open"}};
  for (const auto& [answer, text] : expected) {
    std::string translation = "Open";
    EXPECT_EQ(AskTranslation(history, kGermany, "Open", translation, dialog), answer);
    EXPECT_EQ(translation, text);
  }
  ASSERT_EQ(person.questions.size(), 3u);
  EXPECT_NE(person.questions[0].find("\326ffnen\n  Aufmachen"), std::string::npos) << person.questions[0];
}

TEST_F(StoresTest, ColoursRoundTripThroughTheirSignedDecimalForm) {
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

TEST_F(StoresTest, StylesAreWrittenBIUAndReadInAnyOrderAndCase) {
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

TEST_F(StoresTest, ValuesWrittenByHandFallBackOrAreBroughtIntoRange) {
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

TEST_F(StoresTest, AnEmptyStoreGivesTheDefaultsAndTheDialogsWritesFollowItsTransaction) {
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

TEST(BusyDictionary, AWriterThatWaitsTooLongGetsOneClearMessageAndLaterSucceeds) {
  test::TDictionaryPlace place(TBusyPolicy{20, 3});
  TRecordingInteraction interaction;
  TdatCommon common(place.engine, interaction);
  TdatTranslationHistory history(common);
  auto holder = common.NewConnection();
  holder->BeginWrite();
  EXPECT_EQ(test::Thrown<EDatabaseBusy>([&] { history.AddTranslation("Save", "Speichern", kGermany); }),
            kDatabaseBusyMessage);
  std::vector<std::string> known;
  history.GetKnownTranslations("Save", kGermany, known);  // reading goes on meanwhile
  EXPECT_TRUE(known.empty());
  holder->Rollback();
  history.AddTranslation("Save", "Speichern", kGermany);
  history.GetKnownTranslations("Save", kGermany, known);
  EXPECT_EQ(known, (std::vector<std::string>{"Speichern"}));
}

}  // namespace
}  // namespace kst
