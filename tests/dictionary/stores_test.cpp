// The stores around the dictionary: the options dialog's transaction on rules
// and module groups, the per-user settings, dictionary-file import, the
// automatic-translation step, and a database kept busy by someone else.
#include <gtest/gtest.h>

#include "dictionary/auto_translate.h"
#include "dictionary/config_data.h"
#include "dictionary/dictionary_schema.h"
#include "dictionary/edit_errors.h"
#include "dictionary/highlighting.h"
#include "dictionary/module_groups.h"
#include "dictionary/settings.h"
#include "dictionary/translation_history.h"
#include "support/dictionary_place.h"
#include "platform/file_utils.h"

namespace kst {
namespace {

constexpr int kGermany = 0x0407, kAustria = 0x0C07;

class StoresTest : public testing::Test {
protected:
  test::TDictionaryPlace place;
  TRecordingInteraction interaction;
  TdatCommon common{place.engine, interaction};
  TdatTranslationHistory history{common};

  std::vector<std::string> GroupNames() {
    std::vector<std::string> names;
    TdatModuleGroups(common).GetGroupNames(names);
    return names;
  }
};

TEST_F(StoresTest, ConfigChangesAreSeenElsewhereOnlyAfterCommit) {
  TdatHighLighting highlighting(common);
  {
    TdatConfig config(common);
    config.BeginConfig();
    std::string id = config.NewGroup("Dialogs", "My dialogs");
    config.AddEntry(id, "%CommonDelphiLibDir%\\dialogs.res", "");
    config.AddRule("TEdit.Text");
    EXPECT_EQ(config.GetEntries(id).size(), 1u);  // the dialog sees its own changes
    EXPECT_EQ(GroupNames().size(), 2u);
    EXPECT_FALSE(highlighting.IsHighlighted("TEdit.Text"));
    config.RollbackConfig();
  }
  EXPECT_EQ(GroupNames().size(), 2u);
  {
    TdatConfig config(common);
    config.BeginConfig();
    std::string id = config.NewGroup("Dialogs", "My dialogs");
    config.AddEntry(id, "b.res", "");
    config.AddEntry(id, "a.res", "");
    EXPECT_THROW(config.AddEntry(id, "a.res", ""), EDatabaseError);
    EXPECT_THROW(config.NewGroup("Dialogs", ""), EDatabaseError);
    EXPECT_THROW(config.NewGroup("", ""), EInvalidEntry);
    EXPECT_THROW(config.NewGroup(std::string(31, 'x'), ""), ETextTooLong);
    config.AddRule("TEdit.Text");
    config.CommitConfig();
  }  // destruction after a commit undoes nothing
  EXPECT_EQ(GroupNames(), (std::vector<std::string>{"Dialogs", "QuickReport", "VCL-Basics"}));
  std::vector<std::string> entries;
  TdatModuleGroups(common).GetGroupEntries("DIALOGS", entries);
  EXPECT_EQ(entries, (std::vector<std::string>{"a.res", "b.res"}));
  EXPECT_TRUE(highlighting.IsHighlighted("TEdit.Text"));
}

TEST_F(StoresTest, ARecreatedGroupDoesNotInheritTheOldEntries) {
  TdatConfig config(common);
  config.BeginConfig();
  std::string oldId;
  for (const TModuleGroupRow& g : config.GetGroups())
    if (g.name == "QuickReport") oldId = g.id;
  config.DeleteGroup(oldId);
  std::string newId = config.NewGroup("QuickReport", "");
  EXPECT_NE(newId, oldId);
  config.CommitConfig();
  std::vector<std::string> entries;
  TdatModuleGroups(common).GetGroupEntries("QuickReport", entries);
  EXPECT_TRUE(entries.empty());
}

TEST_F(StoresTest, HighlightingDefaultsAddOnlyWhatIsMissing) {
  TdatConfig config(common);
  config.BeginConfig();
  config.DeleteRule("?.Hint");
  config.DeleteRule("TSaveDialog.Filter");
  config.AddRule("TSAVEDIALOG.FILTER");
  config.AddRule("TEdit.Text");
  config.SetHighlightingDefaults();
  EXPECT_EQ(config.GetRules(), (std::vector<std::string>{"?.Caption", "?.DisplayLabel", "?.Hint", "TEdit.Text",
                                                         "TOpenDialog.Filter", "TSAVEDIALOG.FILTER"}));
}

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

  settings.BeginSettingsTransaction();
  settings.WriteSetting(style, "BU");
  EXPECT_EQ(settings.ReadSetting(style, ""), "BU");
  settings.RollbackSettings();
  EXPECT_EQ(settings.ReadSetting(style, "B"), "B");

  settings.BeginSettingsTransaction();
  settings.WriteSetting(style, "I");
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
                  "[Other]\r\nSIgnored=Nein\r\n[Strings]\r\nSOpen=\xD6" "ffnen\r\nSEmpty=\r\nSQuote=Don't\r\n");
  EXPECT_EQ(history.ImportDictionaryFile(dir.File("strdict.DEU")), kGermany);
  EXPECT_EQ(history.GetResourceStringTranslation("SOpen", kGermany), "\xD6" "ffnen");
  EXPECT_EQ(history.GetResourceStringTranslation("SQuote", kGermany), "Don't");
  EXPECT_TRUE(history.HasResourceStringTranslation("SEmpty", kGermany));
  EXPECT_FALSE(history.HasResourceStringTranslation("SIgnored", kGermany));

  test::WriteFile(dir.File("again.dea"), "[Strings]\r\nSOpen=Aufmachen\r\n");
  EXPECT_EQ(history.ImportDictionaryFile(dir.File("again.dea")), kAustria);
  test::WriteFile(dir.File("replace.deu"), "[Strings]\r\nSOpen=Auf\r\nSLong=" + std::string(100, '\x01') + "\r\n");
  EXPECT_THROW(history.ImportDictionaryFile(dir.File("replace.deu")), ETextTooLong);
  EXPECT_EQ(history.GetResourceStringTranslation("SOpen", kGermany), "\xD6" "ffnen");  // nothing of it went in

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
  history.AddTranslation("Open", "\xD6" "ffnen", kGermany);
  history.AddTranslation("Open", "Aufmachen", kAustria);
  TRecordingInteraction person;
  person.answers = {TAnswer::Yes, TAnswer::Ignore, TAnswer::No};
  TInteractionAutoTranslate dialog(person);
  const std::pair<TAnswer, std::string> expected[] = {
      {TAnswer::Yes, "\xD6" "ffnen"}, {TAnswer::Ignore, "Open"}, {TAnswer::Cancel, "Open"}};
  for (const auto& [answer, text] : expected) {
    std::string translation = "Open";
    EXPECT_EQ(AskTranslation(history, kGermany, "Open", translation, dialog), answer);
    EXPECT_EQ(translation, text);
  }
  ASSERT_EQ(person.questions.size(), 3u);
  EXPECT_NE(person.questions[0].find("\xD6" "ffnen\n  Aufmachen"), std::string::npos) << person.questions[0];
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
