// The stores around the dictionary: the per-user settings, dictionary-file
// import, the automatic-translation step, and a database kept busy by
// someone else.
#include <gtest/gtest.h>

#include "dictionary/auto_translate.h"
#include "dictionary/dictionary_schema.h"
#include "dictionary/edit_errors.h"
#include "dictionary/settings.h"
#include "dictionary/translation_history.h"
#include "support/dictionary_place.h"
#include "platform/file_utils.h"

// German letters are written in octal (\326 is Ö, \337 ß in code page 1252) so
// that the letters after them are not read as more hex digits.
namespace kst {
namespace {

constexpr int kGermany = 0x0407, kAustria = 0x0C07;

class StoresTest : public testing::Test {
protected:
  test::TDictionaryPlace place;
  TRecordingInteraction interaction;
  TdatCommon common{place.engine, interaction};
  TdatTranslationHistory history{common};
};

TEST_F(StoresTest, SettingsHaveDefaultsIgnoreCaseAndFollowTheTransaction) {
  TdatSettings settings(common);
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

  // Cancel is checked with the display settings; here a value written twice
  // before OK reads back as the later one.
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
    try {
      history.ImportDictionaryFile(dir.File(name));
      FAIL() << name;
    } catch (const EDictionaryError& e) {
      EXPECT_STREQ(e.what(), "Unknown dictionary file language");
    }
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

TEST(BusyDictionary, AWriterThatWaitsTooLongGetsOneClearMessageAndLaterSucceeds) {
  test::TDictionaryPlace place(TBusyPolicy{20, 3});
  TRecordingInteraction interaction;
  TdatCommon common(place.engine, interaction);
  TdatTranslationHistory history(common);
  auto holder = common.NewConnection();
  holder->BeginWrite();
  try {
    history.AddTranslation("Save", "Speichern", kGermany);
    FAIL() << "wrote through another writer's lock";
  } catch (const EDatabaseBusy& e) {
    EXPECT_STREQ(e.what(), kDatabaseBusyMessage);
  }
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
