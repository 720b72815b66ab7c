// The options dialog opened from "Configuration...": Cancel leaves the
// dictionary and the registry as they were, OK stores colours in their
// signed decimal form (system colours included), styles as letters, rules
// with "Defaults", module groups with changed entries, and the registry
// last, after everything else was stored; a refusal keeps it all open.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

#include "config/registry_settings.h"
#include "dictionary/common.h"
#include "dictionary/config_data.h"
#include "dictionary/module_groups.h"
#include "dictionary/settings.h"
#include "platform/database_engine.h"
#include "platform/user_name.h"
#include "ui/config_dialog.h"
#include "ui/display_page.h"
#include "ui/highlighting_page.h"
#include "ui/module_groups_page.h"
#include "ui_fixture.h"

namespace kst {
namespace {

using ui::TCommand;
using ui::TfrmConfig;

class ConfigDialog : public testing::Test {
protected:
  test::TWindowFixture f;
  const std::string user = GetNetUserName();

  std::string DictionaryBytes() {
    f.environment->Common().Database().Exec("PRAGMA wal_checkpoint(TRUNCATE)");
    return ReadFileBytes(f.environment->DictionaryDirectory() + "/" + kDatabaseFileName);
  }
  // What another process reads now.
  std::string Stored(const std::string& suffix) {
    TdatSettings settings(f.environment->Common());
    return settings.ReadSetting(UserSettingKey(user, suffix), std::string("(none)"));
  }
  std::vector<std::string> Rules() {
    TdatConfig config(f.environment->Common());
    return config.GetRules();
  }
  void Open(std::function<void(TfrmConfig&)> act) {
    test::WhenShown<TfrmConfig>(std::move(act));
    f.window->Action(TCommand::Config)->trigger();
  }
  static void ClickElement(TfrmConfig& d, int row) {
    QListWidget* list = d.FontsColors()->Elements();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
  }
};

TEST_F(ConfigDialog, CancelLeavesTheDictionaryAndTheRegistryAsTheyWere) {
  const std::string dictionary = DictionaryBytes();
  const std::string registry = ReadFileBytes(f.location.userFile);
  ASSERT_TRUE(f.window->Action(TCommand::Config)->isEnabled());
  Open([&](TfrmConfig& d) {
    test::TWindowFixture::Screenshot(d, "options-directories");
    d.DelphiBinDir()->setText("/elsewhere/bin");
    d.Pages()->setCurrentIndex(1);
    ui::THighlightingPage* rules = d.Highlighting();
    EXPECT_TRUE(test::TypeIntoCell(*rules->Grid(), rules->Model()->index(5, 0), "TMemo.Lines"));
    test::TWindowFixture::Screenshot(d, "options-highlighting");
    d.Pages()->setCurrentIndex(2);
    ui::TModuleGroupsPage* groups = d.ModuleGroups();
    groups->NewButton()->click();
    groups->NameEdit()->setText("Own dialogs");
    groups->EntriesGrid()->setFocus();
    EXPECT_TRUE(test::TypeIntoCell(*groups->EntriesGrid(), groups->EntriesModel()->index(0, 0), "C:\\lib\\own.dfm"));
    test::TWindowFixture::Screenshot(d, "options-module-groups");
    d.Pages()->setCurrentIndex(3);
    ClickElement(d, 2);
    d.FontsColors()->Grid()->Cell(9)->click();  // red
    d.FontsColors()->Bold()->click();
    test::TWindowFixture::Screenshot(d, "options-fonts-and-colors");
    d.CancelButton()->click();
  });
  EXPECT_TRUE(f.asked.empty()) << f.asked.front().toStdString();
  EXPECT_EQ(DictionaryBytes(), dictionary) << "Cancel leaves every byte of the dictionary";
  EXPECT_EQ(ReadFileBytes(f.location.userFile), registry);
  std::vector<std::string> names;
  f.environment->ModuleGroups().GetGroupNames(names);
  EXPECT_EQ(names, (std::vector<std::string>{"QuickReport", "VCL-Basics"})) << "the cancelled group is nowhere";
  EXPECT_EQ(f.window->Display().styles[ui::kStyleTranslated].color, QColor(0, 0, 255));
}

TEST_F(ConfigDialog, OkStoresColoursAsSignedDecimalsStylesAsLettersAndTheFontSize) {
  Open([&](TfrmConfig& d) {
    d.Pages()->setCurrentIndex(3);
    ui::TFontsColorsPage* page = d.FontsColors();
    // Standard text: underline, then bold: "BU"; a colour, then System.
    page->Underline()->click();
    page->Bold()->click();
    page->Grid()->Cell(2)->click();
    EXPECT_TRUE(page->SelectedColor()->isChecked());
    page->SystemColor()->click();
    // Highlighted text shows its defaults: System and Bold.
    ClickElement(d, 1);
    EXPECT_TRUE(page->SystemColor()->isChecked());
    EXPECT_TRUE(page->Bold()->isChecked());
    // Translated text: blue chosen; red instead.
    ClickElement(d, 2);
    EXPECT_TRUE(page->SelectedColor()->isChecked());
    EXPECT_EQ(page->Grid()->Chosen(), 12) << "blue";
    page->Grid()->Cell(9)->click();
    page->FontSizes()->setCurrentIndex(4);
    d.OkButton()->click();
  });
  EXPECT_TRUE(f.asked.empty()) << f.asked.front().toStdString();
  EXPECT_EQ(Stored("\\TranslatedText\\Color"), "255");
  EXPECT_EQ(Stored("\\StandardText\\Color"), "-2147483640");
  EXPECT_EQ(Stored("\\StandardText\\Style"), "BU");
  EXPECT_EQ(Stored("\\HiLiText\\Color"), "(none)") << "an element only looked at is not written";
  EXPECT_EQ(Stored("\\FontSize"), "12");
  EXPECT_EQ(f.window->Display().styles[ui::kStyleTranslated].color, QColor(255, 0, 0)) << "the window reloaded";
  EXPECT_EQ(f.window->Display().fontSize, 12);

  Open([&](TfrmConfig& d) {
    EXPECT_EQ(d.FontsColors()->FontSizes()->currentText(), "12") << "reopening preselects it";
    d.CancelButton()->click();
  });
}

TEST_F(ConfigDialog, StoredColoursAndStylesRoundTripAndTheFirstElementShowsItsStyles) {
  struct TCase {
    const char* suffix;
    const char* stored;
  };
  // A system colour other than window text, a colour the grid lacks, the
  // hexadecimal form an older version wrote, styles in any order and case.
  const TCase cases[] = {{"\\StandardText\\Color", "-2147483635"},
                         {"\\StandardText\\Style", "iu"},
                         {"\\HiLiText\\Color", "1193046"},
                         {"\\TranslatedText\\Color", "$000080FF"},
                         {"\\TranslatedText\\Style", "UB"}};
  for (const TCase& c : cases) f.environment->Settings().WriteSetting(UserSettingKey(user, c.suffix), c.stored);
  Open([&](TfrmConfig& d) {
    d.Pages()->setCurrentIndex(3);
    ui::TFontsColorsPage* page = d.FontsColors();
    // The first element shows its styles at once, so that one click on Bold
    // adds bold to them instead of replacing them.
    EXPECT_TRUE(page->Italic()->isChecked());
    EXPECT_TRUE(page->Underline()->isChecked());
    EXPECT_TRUE(page->SelectedColor()->isChecked());
    EXPECT_EQ(page->Grid()->Chosen(), -1);
    page->Bold()->click();
    ClickElement(d, 1);
    EXPECT_EQ(page->Grid()->Chosen(), -1) << "no cell shows 0x123456";
    ClickElement(d, 2);
    EXPECT_TRUE(page->Bold()->isChecked());
    EXPECT_TRUE(page->Underline()->isChecked());
    test::TWindowFixture::Screenshot(d, "options-fonts-stored-colours");
    d.OkButton()->click();
  });
  EXPECT_EQ(Stored("\\StandardText\\Style"), "BIU");
  EXPECT_EQ(Stored("\\StandardText\\Color"), "-2147483635") << "kept as stored";
  EXPECT_EQ(Stored("\\HiLiText\\Color"), "1193046");
  EXPECT_EQ(Stored("\\TranslatedText\\Color"), "$000080FF");
  EXPECT_EQ(Stored("\\TranslatedText\\Style"), "UB");
  EXPECT_EQ(f.window->Display().styles[ui::kStyleTranslated].color, QColor(0xFF, 0x80, 0));
}

TEST_F(ConfigDialog, DefaultsAddOnlyTheMissingDefaultRules) {
  {
    TdatConfig config(f.environment->Common());
    config.DeleteRule("?.Hint");
    config.ChangeRule("?.Caption", "?.CAPTION");
    config.AddRule("TMemo.Lines");
    config.CommitConfig();
  }
  Open([&](TfrmConfig& d) {
    d.Pages()->setCurrentIndex(1);
    d.Highlighting()->DefaultsButton()->click();
    EXPECT_EQ(d.Highlighting()->Model()->Rules().size(), 6u);
    d.OkButton()->click();
  });
  std::vector<std::string> rules = Rules();
  std::sort(rules.begin(), rules.end());
  EXPECT_EQ(rules, (std::vector<std::string>{"?.CAPTION", "?.DisplayLabel", "?.Hint", "TMemo.Lines", "TOpenDialog.Filter",
                                             "TSaveDialog.Filter"}));
}

TEST_F(ConfigDialog, ARefusedRowKeepsTheDialogOpenAndWritesNothingUntilItIsPut) {
  const std::string dictionary = DictionaryBytes();
  const std::string registry = ReadFileBytes(f.location.userFile);
  bool checked = false;
  Open([&](TfrmConfig& d) {
    d.DelphiBinDir()->setText("/elsewhere/bin");
    d.Pages()->setCurrentIndex(3);
    d.FontsColors()->Grid()->Cell(9)->click();
    d.Pages()->setCurrentIndex(1);
    ui::TEditGrid* grid = d.Highlighting()->Grid();
    // A duplicate of "?.Caption" (rules match without regard to case), left
    // in its editor when OK is pressed.
    QModelIndex last = d.Highlighting()->Model()->index(5, 0);
    grid->setCurrentIndex(last);
    grid->edit(last);
    ASSERT_NE(test::OpenEditor(*grid), nullptr);
    test::OpenEditor(*grid)->setText("?.caption");
    d.OkButton()->click();
    test::Pump(50);
    EXPECT_TRUE(d.isVisible()) << "the dialog stays";
    ASSERT_FALSE(f.asked.empty());
    EXPECT_NE(f.asked.back().indexOf("already exists"), -1) << f.asked.back().toStdString();
    EXPECT_EQ(DictionaryBytes(), dictionary) << "nothing was written";
    EXPECT_EQ(ReadFileBytes(f.location.userFile), registry);
    // The typed rule is still there to be put right.
    QLineEdit* editor = test::OpenEditor(*grid);
    ASSERT_NE(editor, nullptr) << "the row stays in edit state";
    EXPECT_EQ(editor->text(), "?.caption");
    editor->setText("TLabel.Caption");
    d.OkButton()->click();
    checked = true;
  });
  ASSERT_TRUE(checked);
  EXPECT_EQ(Stored("\\StandardText\\Color"), "255");
  std::vector<std::string> rules = Rules();
  EXPECT_NE(std::find(rules.begin(), rules.end(), "TLabel.Caption"), rules.end());
  TTranslatorRegistry registryNow(f.location);
  EXPECT_EQ(registryNow.Directories().ReadString("DelphiBinDir"), "/elsewhere/bin");
}

TEST_F(ConfigDialog, TheDelphiRootIsStoredOnlyWhenItDiffersFromTheInstalledOne) {
  const std::string machine = MachineDelphiRootDir(f.location);
  struct TCase {
    std::string typed;
    bool stored;
  };
  const TCase cases[] = {{"/opt/delphi3", true}, {machine, false}};
  for (const TCase& c : cases) {
    Open([&](TfrmConfig& d) {
      EXPECT_FALSE(d.DelphiRootDir()->text().isEmpty() && !machine.empty());
      d.DelphiRootDir()->setText(QString::fromStdString(c.typed));
      d.ShortFileNames()->setChecked(true);
      d.OkButton()->click();
    });
    TTranslatorRegistry registry(f.location);
    EXPECT_EQ(registry.Directories().ValueExists("DelphiRootDir"), c.stored) << c.typed;
    if (c.stored) {
      EXPECT_EQ(registry.Directories().ReadString("DelphiRootDir"), c.typed);
    }
    EXPECT_TRUE(registry.UseShortFileNames());
  }
}

TEST_F(ConfigDialog, ModuleGroupsAreAddedChangedAndDeletedWithTheirEntries) {
  f.answers = {TAnswer::Yes};  // deleting an entry asks
  Open([&](TfrmConfig& d) {
    d.Pages()->setCurrentIndex(2);
    ui::TModuleGroupsPage* page = d.ModuleGroups();
    EXPECT_EQ(page->GroupsModel()->rowCount(), 2);
    page->NewButton()->click();
    page->NameEdit()->setText("Own dialogs");
    page->RemarksEdit()->setText("Our dialogs");
    page->EntriesGrid()->setFocus();  // stores the group
    ASSERT_FALSE(page->CurrentGroup().empty());
    ui::TEntriesModel* entries = page->EntriesModel();
    EXPECT_TRUE(test::TypeIntoCell(*page->EntriesGrid(), entries->index(0, 0), "%CommonDelphiLibDir%\\one.dfm"));
    EXPECT_TRUE(test::TypeIntoCell(*page->EntriesGrid(), entries->index(1, 0), "%CommonDelphiLibDir%\\two.res"));
    EXPECT_TRUE(test::TypeIntoCell(*page->EntriesGrid(), entries->index(2, 0), "<VCL-Basics>"));
    ASSERT_EQ(entries->Entries().size(), 3u);
    // Changing an entry's file and another's remarks.
    EXPECT_TRUE(test::TypeIntoCell(*page->EntriesGrid(), entries->index(1, 0), "%CommonDelphiLibDir%\\three.dfm"));
    EXPECT_TRUE(test::TypeIntoCell(*page->EntriesGrid(), entries->index(0, 1), "the shared list"));
    // Deleting the group's link to VCL-Basics.
    ASSERT_EQ(entries->Entries()[2].file, "<VCL-Basics>");
    page->EntriesGrid()->setCurrentIndex(entries->index(2, 0));
    page->EntriesGrid()->DeleteCurrentRow();
    // The QuickReport group goes (no question).
    page->GroupsGrid()->setCurrentIndex(page->GroupsModel()->index(page->GroupsModel()->RowOf(
                                            page->GroupsModel()->Groups()[1].id), 0));
    ASSERT_EQ(page->NameEdit()->text(), "QuickReport");
    page->DeleteButton()->click();
    test::TWindowFixture::Screenshot(d, "options-module-groups-edited");
    d.OkButton()->click();
  });
  ASSERT_EQ(f.asked.size(), 1u);
  EXPECT_NE(f.asked[0].indexOf("<VCL-Basics>"), -1);
  TdatModuleGroups& groups = f.environment->ModuleGroups();
  std::vector<std::string> names, entries;
  groups.GetGroupNames(names);
  EXPECT_EQ(names, (std::vector<std::string>{"Own dialogs", "VCL-Basics"}));
  groups.GetGroupEntries("own dialogs", entries);
  EXPECT_EQ(entries, (std::vector<std::string>{"%CommonDelphiLibDir%\\one.dfm", "%CommonDelphiLibDir%\\three.dfm"}));
  TdatConfig config(f.environment->Common());
  for (const TModuleGroupRow& group : config.GetGroups())
    if (group.name == "Own dialogs") {
      EXPECT_EQ(group.remarks, "Our dialogs");
      EXPECT_EQ(config.GetEntries(group.id)[0].remarks, "the shared list");
    }
}

TEST_F(ConfigDialog, AChangeAnotherWorkstationMadeMeanwhileIsReportedNotOverwritten) {
  f.answers = {TAnswer::Yes};  // take the other workstation's version
  int shown = 0;
  Open([&](TfrmConfig& d) {
    d.Pages()->setCurrentIndex(2);
    ui::TModuleGroupsPage* page = d.ModuleGroups();
    page->GroupsGrid()->setCurrentIndex(page->GroupsModel()->index(0, 0));
    ASSERT_EQ(page->NameEdit()->text(), "QuickReport");
    page->ModifyButton()->click();
    page->RemarksEdit()->setText("mine");
    {
      TdatConfig other(f.environment->Common());
      for (const TModuleGroupRow& group : other.GetGroups())
        if (group.name == "QuickReport") other.ModifyGroup(group.id, group.name, "theirs");
      other.CommitConfig();
    }
    d.OkButton()->click();
    ++shown;
    EXPECT_TRUE(d.isVisible()) << "the dialog stays after the conflict";
    EXPECT_EQ(page->RemarksEdit()->text(), "theirs") << "their version taken";
    d.OkButton()->click();
  });
  EXPECT_EQ(shown, 1);
  ASSERT_EQ(f.asked.size(), 1u);
  EXPECT_NE(f.asked[0].indexOf("Another workstation"), -1) << f.asked[0].toStdString();
  TdatConfig config(f.environment->Common());
  EXPECT_EQ(config.GetGroups()[0].remarks, "theirs");
}

}  // namespace
}  // namespace kst
