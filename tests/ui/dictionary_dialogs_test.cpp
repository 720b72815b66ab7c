// The options and the dictionary editor: each changes the shared
// dictionary in one transaction that OK commits.
#include <gtest/gtest.h>

#include <algorithm>

#include "config/registry_settings.h"
#include "dictionary/common.h"
#include "dictionary/config_data.h"
#include "dictionary/dictionary_editor.h"
#include "dictionary/module_groups.h"
#include "dictionary/settings.h"
#include "dictionary/translation_history.h"
#include "platform/database_engine.h"
#include "platform/user_name.h"
#include "ui/config_dialog.h"
#include "ui/dictionary_dialog.h"
#include "ui/dictionary_models.h"
#include "ui/display_page.h"
#include "ui/edit_grid.h"
#include "ui/highlighting_page.h"
#include "ui/module_groups_page.h"
#include "ui_fixture.h"

namespace kst {
namespace {

using ui::TCommand;
using ui::TfrmConfig;
using ui::TfrmEditDictionary;

class ConfigDialog : public testing::Test {
protected:
  test::TWindowFixture f;
  const std::string user = GetNetUserName();

  // What another process reads now.
  std::string Stored(const std::string& suffix) {
    return TdatSettings(f.environment->Common()).ReadSetting(UserSettingKey(user, suffix), std::string("(none)"));
  }
  std::vector<std::string> Rules() { return TdatConfig(f.environment->Common()).GetRules(); }
  void Open(std::function<void(TfrmConfig&)> act) { f.OpenDialog<TfrmConfig>(TCommand::Config, std::move(act)); }
  static void ClickElement(TfrmConfig& d, int row) {
    QListWidget* list = d.FontsColors()->Elements();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
  }
};

TEST_F(ConfigDialog, CancelAndARefusedOkWriteNothing) {
  const std::string dictionary = f.DictionaryBytes(), registry = ReadFileBytes(f.location.userFile);
  auto unchanged = [&] { return f.DictionaryBytes() == dictionary && ReadFileBytes(f.location.userFile) == registry; };
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
  EXPECT_TRUE(f.Asked(0, ""));
  EXPECT_TRUE(unchanged()) << "Cancel leaves every byte";
  std::vector<std::string> names;
  f.environment->ModuleGroups().GetGroupNames(names);
  EXPECT_EQ(names, (std::vector<std::string>{"QuickReport", "VCL-Basics"})) << "the cancelled group is nowhere";
  EXPECT_EQ(f.window->Display().styles[ui::kStyleTranslated].color, QColor(0, 0, 255));

  Open([&](TfrmConfig& d) {
    d.DelphiBinDir()->setText("/elsewhere/bin");
    d.Pages()->setCurrentIndex(3);
    d.FontsColors()->Grid()->Cell(9)->click();
    d.Pages()->setCurrentIndex(1);
    // A duplicate of "?.Caption" (rules match without regard to case).
    ui::TEditGrid* grid = d.Highlighting()->Grid();
    grid->setCurrentIndex(d.Highlighting()->Model()->index(5, 0));
    grid->edit(grid->currentIndex());
    ASSERT_NE(test::OpenEditor(*grid), nullptr);
    test::OpenEditor(*grid)->setText("?.caption");
    d.OkButton()->click();
    test::Pump(50);
    EXPECT_TRUE(d.isVisible()) << "the dialog stays";
    EXPECT_TRUE(f.Asked(1, "already exists"));
    EXPECT_TRUE(unchanged()) << "nothing was written";
    QLineEdit* editor = test::OpenEditor(*grid);
    ASSERT_NE(editor, nullptr) << "the row stays in edit state";
    EXPECT_EQ(editor->text(), "?.caption");
    editor->setText("TLabel.Caption");
    d.OkButton()->click();
  });
  EXPECT_EQ(Stored("\\StandardText\\Color"), "255");
  std::vector<std::string> rules = Rules();
  EXPECT_NE(std::find(rules.begin(), rules.end(), "TLabel.Caption"), rules.end());
  EXPECT_EQ(TTranslatorRegistry(f.location).Directories().ReadString("DelphiBinDir"), "/elsewhere/bin");
}

// First the defaults, then what was stored before: a system colour other
// than window text, a colour the grid lacks, an older version's hexadecimal.
TEST_F(ConfigDialog, ColoursAreStoredAsSignedDecimalsStylesAsLettersAndTheFontSize) {
  using TChoice = std::function<void(ui::TFontsColorsPage&)>;
  struct TCase {
    const char* element;
    const char* color;  // stored before the dialog opens; nullptr: nothing
    const char* style;
    bool system;        // shown: "System", else the colour's cell (-1: none)
    int cell;
    const char* styles;  // shown: the checked style boxes as letters
    TChoice choose;
    const char* storedColor;  // after OK; "(none)": not written
    const char* storedStyle;
  };
  const TChoice standard = [](ui::TFontsColorsPage& p) {
    // Underline, then bold: "BU"; a colour, then System.
    p.Underline()->click();
    p.Bold()->click();
    p.Grid()->Cell(2)->click();
    EXPECT_TRUE(p.SelectedColor()->isChecked());
    p.SystemColor()->click();
  };
  const TChoice red = [](ui::TFontsColorsPage& p) { p.Grid()->Cell(9)->click(); };
  const TChoice bold = [](ui::TFontsColorsPage& p) { p.Bold()->click(); };
  const std::vector<TCase> rounds[] = {
      {{"StandardText", nullptr, nullptr, true, -1, "", standard, "-2147483640", "BU"},
       {"HiLiText", nullptr, nullptr, true, -1, "B", nullptr, "(none)", "(none)"},
       {"TranslatedText", nullptr, nullptr, false, 12, "", red, "255", "(none)"}},
      {{"StandardText", "-2147483635", "iu", false, -1, "IU", bold, "-2147483635", "BIU"},
       {"HiLiText", "1193046", nullptr, false, -1, "B", nullptr, "1193046", "(none)"},
       {"TranslatedText", "$000080FF", "UB", false, -1, "BU", nullptr, "$000080FF", "UB"}}};
  const QColor translated[] = {QColor(255, 0, 0), QColor(0xFF, 0x80, 0)};
  auto key = [](const TCase& c, const char* value) { return std::string("\\") + c.element + "\\" + value; };
  for (int round = 0; round < 2; ++round) {
    for (const TCase& c : rounds[round]) {
      if (c.color) f.environment->Settings().WriteSetting(UserSettingKey(user, key(c, "Color")), c.color);
      if (c.style) f.environment->Settings().WriteSetting(UserSettingKey(user, key(c, "Style")), c.style);
    }
    Open([&](TfrmConfig& d) {
      d.Pages()->setCurrentIndex(3);
      ui::TFontsColorsPage* page = d.FontsColors();
      for (int element = 0; element < 3; ++element) {
        const TCase& c = rounds[round][element];
        // The first element is shown at opening with its styles, so that
        // one click on Bold adds bold to them instead of replacing them.
        if (element > 0) ClickElement(d, element);
        EXPECT_EQ(page->SystemColor()->isChecked(), c.system) << c.element;
        EXPECT_EQ(page->SelectedColor()->isChecked(), !c.system) << c.element;
        EXPECT_EQ(page->Grid()->Chosen(), c.cell) << c.element;
        const std::pair<QCheckBox*, char> boxes[] = {{page->Bold(), 'B'}, {page->Italic(), 'I'}, {page->Underline(), 'U'}};
        QString styles;
        for (auto [box, letter] : boxes)
          if (box->isChecked()) styles += QLatin1Char(letter);
        EXPECT_EQ(styles, c.styles) << c.element;
        if (c.choose) c.choose(*page);
      }
      if (round == 0) {
        page->FontSizes()->setCurrentIndex(4);
      } else {
        EXPECT_EQ(page->FontSizes()->currentText(), "12") << "reopening preselects the font size";
        test::TWindowFixture::Screenshot(d, "options-fonts-stored-colours");
      }
      d.OkButton()->click();
    });
    EXPECT_TRUE(f.Asked(0, ""));
    for (const TCase& c : rounds[round]) {
      EXPECT_EQ(Stored(key(c, "Color")), c.storedColor) << c.element;
      EXPECT_EQ(Stored(key(c, "Style")), c.storedStyle) << c.element;
    }
    EXPECT_EQ(f.window->Display().styles[ui::kStyleTranslated].color, translated[round]) << "the window reloaded";
  }
  EXPECT_EQ(Stored("\\FontSize"), "12");
  EXPECT_EQ(f.window->Display().fontSize, 12);
}

TEST_F(ConfigDialog, DefaultRulesAndTheDelphiRoot) {
  {
    TdatConfig config(f.environment->Common());
    config.DeleteRule("?.Hint");
    config.ChangeRule("?.Caption", "?.CAPTION");
    config.AddRule("TMemo.Lines");
    config.CommitConfig();
  }
  const std::string machine = MachineDelphiRootDir(f.location);
  for (const std::string& typed : {std::string("/opt/delphi3"), machine}) {
    Open([&](TfrmConfig& d) {
      EXPECT_FALSE(d.DelphiRootDir()->text().isEmpty() && !machine.empty());
      d.DelphiRootDir()->setText(QString::fromStdString(typed));
      d.ShortFileNames()->setChecked(true);
      d.Highlighting()->DefaultsButton()->click();
      EXPECT_EQ(d.Highlighting()->Model()->Rules().size(), 6u);
      d.OkButton()->click();
    });
    TTranslatorRegistry registry(f.location);
    const bool stored = typed != machine;
    EXPECT_EQ(registry.Directories().ValueExists("DelphiRootDir"), stored) << typed;
    if (stored) EXPECT_EQ(registry.Directories().ReadString("DelphiRootDir"), typed);
    EXPECT_TRUE(registry.UseShortFileNames());
  }
  std::vector<std::string> rules = Rules();
  std::sort(rules.begin(), rules.end());
  EXPECT_EQ(rules, (std::vector<std::string>{"?.CAPTION", "?.DisplayLabel", "?.Hint", "TMemo.Lines", "TOpenDialog.Filter",
                                             "TSaveDialog.Filter"}));
}

TEST_F(ConfigDialog, ModuleGroupsAndAChangeAnotherWorkstationMadeMeanwhile) {
  f.answers = {TAnswer::Yes};  // take the other workstation's version
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
    EXPECT_TRUE(d.isVisible()) << "the dialog stays after the conflict";
    EXPECT_EQ(page->RemarksEdit()->text(), "theirs") << "their version taken";
    d.OkButton()->click();
  });
  EXPECT_TRUE(f.Asked(1, "Another workstation"));
  EXPECT_EQ(TdatConfig(f.environment->Common()).GetGroups()[0].remarks, "theirs");

  f.answers = {TAnswer::Yes};
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
    const std::tuple<int, int, const char*> typed[] = {{0, 0, "%CommonDelphiLibDir%\\one.dfm"},
                                                       {1, 0, "%CommonDelphiLibDir%\\two.res"},
                                                       {2, 0, "<VCL-Basics>"},
                                                       {1, 0, "%CommonDelphiLibDir%\\three.dfm"},
                                                       {0, 1, "the shared list"}};
    for (auto [row, column, text] : typed)
      EXPECT_TRUE(test::TypeIntoCell(*page->EntriesGrid(), entries->index(row, column), text)) << text;
    ASSERT_EQ(entries->Entries().size(), 3u);
    ASSERT_EQ(entries->Entries()[2].file, "<VCL-Basics>");
    page->EntriesGrid()->setCurrentIndex(entries->index(2, 0));
    page->EntriesGrid()->DeleteCurrentRow();
    // The QuickReport group goes (no question).
    ui::TGroupsModel* groups = page->GroupsModel();
    page->GroupsGrid()->setCurrentIndex(groups->index(groups->RowOf(groups->Groups()[1].id), 0));
    ASSERT_EQ(page->NameEdit()->text(), "QuickReport");
    page->DeleteButton()->click();
    test::TWindowFixture::Screenshot(d, "options-module-groups-edited");
    d.OkButton()->click();
  });
  EXPECT_TRUE(f.Asked(2, "<VCL-Basics>"));
  std::vector<std::string> names, entries;
  f.environment->ModuleGroups().GetGroupNames(names);
  EXPECT_EQ(names, (std::vector<std::string>{"Own dialogs", "VCL-Basics"}));
  f.environment->ModuleGroups().GetGroupEntries("own dialogs", entries);
  EXPECT_EQ(entries, (std::vector<std::string>{"%CommonDelphiLibDir%\\one.dfm", "%CommonDelphiLibDir%\\three.dfm"}));
  TdatConfig config(f.environment->Common());
  for (const TModuleGroupRow& group : config.GetGroups())
    if (group.name == "Own dialogs") {
      EXPECT_EQ(group.remarks, "Our dialogs");
      EXPECT_EQ(config.GetEntries(group.id)[0].remarks, "the shared list");
    }
}

constexpr int kAustria = 0x0C07;

class DictionaryDialog : public testing::Test {
protected:
  void SetUp() override {
    TdatTranslationHistory& history = f.environment->History();
    history.AddTranslation("Open", "\xD6" "ffnen", test::kGerman);
    history.AddTranslation("Print", "Drucken", test::kGerman);
    history.AddTranslation("Save", "Speichern", test::kGerman);
    test::WriteFile(f.dir.File("strdict.DEU"), "[Strings]\r\nSCloseQuery=Beenden?\r\n");
  }
  // What another process finds.
  std::string Lookup(const std::string& source) {
    test::TProgramRun run = test::RunKst("dict lookup '" + source + "' DEU", f.dir.Path(), f.dir.File("cfg"));
    EXPECT_EQ(run.exitCode, 0) << run.err;
    return run.out;
  }
  void Open(std::function<void(TfrmEditDictionary&)> act) {
    f.OpenDialog<TfrmEditDictionary>(TCommand::EditDictionary, std::move(act));
  }
  static int Row(TfrmEditDictionary& d, const QString& text) {
    ui::TSourceModel* model = d.SourceModel();
    for (int i = 0; i < model->rowCount(); ++i)
      if (model->index(i, 0).data().toString() == text) return i;
    return -1;
  }
  void Edit(TfrmEditDictionary& d) {
    ui::TSourceModel* sources = d.SourceModel();
    ASSERT_EQ(sources->rowCount(), 3);
    EXPECT_TRUE(test::TypeIntoCell(*d.SourceGrid(), sources->index(Row(d, "Save"), 0), "Save as"));
    d.SourceGrid()->setCurrentIndex(sources->index(Row(d, "Open"), 0));
    f.answers.push_back(TAnswer::Yes);
    d.SourceGrid()->DeleteCurrentRow();
    d.SourceGrid()->setCurrentIndex(sources->index(Row(d, "Print"), 0));
    ASSERT_EQ(d.TranslationsModel()->Rows().size(), 1u);
    EXPECT_TRUE(test::TypeIntoCell(*d.TranslationGrid(), d.TranslationsModel()->index(0, 0), "Ausdrucken"));
    d.Import(QString::fromStdString(f.dir.File("strdict.DEU")));
    EXPECT_EQ(Row(d, "Open"), -1);
    EXPECT_NE(Row(d, ".ResourceString.SCloseQuery"), -1);
  }
  test::TWindowFixture f;
};

// Another process writing while the editor holds changes is the dictionary
// editor's tests'.
TEST_F(DictionaryDialog, CancelForgetsEveryChangeAndOkKeepsThemAll) {
  const std::string before = f.DictionaryBytes();
  ASSERT_TRUE(f.window->Action(TCommand::EditDictionary)->isEnabled());
  // Cancel, and closing the window any other way, forget them.
  for (bool cancel : {true, false}) {
    Open([&](TfrmEditDictionary& d) {
      Edit(d);
      if (cancel) {
        test::TWindowFixture::Screenshot(d, "dictionary-editor");
        d.CancelButton()->click();
      } else {
        d.close();
      }
    });
    EXPECT_EQ(f.DictionaryBytes(), before) << "Cancel leaves every byte";
  }

  Open([&](TfrmEditDictionary& d) {
    Edit(d);
    d.OkButton()->click();
  });
  EXPECT_EQ(Lookup("Save as"), "Speichern\n");
  EXPECT_EQ(Lookup("Open"), "");
  EXPECT_EQ(Lookup("Print"), "Ausdrucken\n");
  EXPECT_EQ(Lookup(".ResourceString.SCloseQuery"), "Beenden?\n");
}

TEST_F(DictionaryDialog, ATextTooLongForTheFieldIsRefusedWholeAndTheRowStaysInEditState) {
  Open([&](TfrmEditDictionary& d) {
    // 90 umlauts take 270 characters stored ("$E4" each): cutting them
    // would leave half a code behind.
    QString tooLong(90, QChar(0xE4));
    ui::TTranslationsModel* translations = d.TranslationsModel();
    d.SourceGrid()->setCurrentIndex(d.SourceModel()->index(Row(d, "Save"), 0));
    QModelIndex fresh = translations->index(translations->rowCount() - 1, 0);
    d.TranslationGrid()->setCurrentIndex(fresh);
    d.TranslationGrid()->edit(fresh);
    ASSERT_NE(test::OpenEditor(*d.TranslationGrid()), nullptr);
    test::OpenEditor(*d.TranslationGrid())->setText(tooLong);
    d.OkButton()->click();
    test::Pump(20);
    EXPECT_TRUE(d.isVisible());
    EXPECT_TRUE(f.Asked(1, "too long"));
    QLineEdit* editor = test::OpenEditor(*d.TranslationGrid());
    ASSERT_NE(editor, nullptr) << "the typed text is kept to be shortened";
    EXPECT_EQ(editor->text(), tooLong);
    editor->setText(tooLong.left(40));
    d.OkButton()->click();
  });
  std::vector<std::string> known;
  f.environment->History().GetKnownTranslations("Save", test::kGerman, known);
  EXPECT_EQ(known.size(), 2u) << "the shortened text stored";
}

TEST_F(DictionaryDialog, TabsNameTheLanguagesAndNewRowsTakeTheCurrentTabsLanguage) {
  f.environment->History().AddTranslation("Save", "Sichern", kAustria);
  Open([&](TfrmEditDictionary& d) {
    QTabBar* tabs = d.Tabs();
    ASSERT_EQ(tabs->count(), 2);
    EXPECT_TRUE(tabs->tabText(0).endsWith("  -  [$0C07] .DEA")) << tabs->tabText(0).toStdString();
    EXPECT_TRUE(tabs->tabText(1).endsWith("  -  [$0407] .DEU")) << tabs->tabText(1).toStdString();
    EXPECT_EQ(tabs->currentIndex(), 0) << "the first tab is current at opening";
    d.SourceGrid()->setCurrentIndex(d.SourceModel()->index(Row(d, "Save"), 0));
    ui::TTranslationsModel* translations = d.TranslationsModel();
    ASSERT_EQ(translations->Rows().size(), 1u);
    EXPECT_EQ(translations->Rows()[0].text, "Sichern");
    EXPECT_TRUE(test::TypeIntoCell(*d.TranslationGrid(), translations->index(1, 0), "Ablegen"));
    ASSERT_EQ(translations->Rows().size(), 2u);
    tabs->setCurrentIndex(1);
    ASSERT_EQ(translations->Rows().size(), 1u);
    EXPECT_EQ(translations->Rows()[0].text, "Speichern");
    QTest::keyClicks(d.Filter(), "pr");
    EXPECT_EQ(d.SourceModel()->rowCount(), 1);
    EXPECT_EQ(d.SourceModel()->index(0, 0).data().toString(), "Print");
    EXPECT_EQ(translations->Rows()[0].text, "Drucken") << "the first row's translations";
    QTest::keyClick(d.Filter(), Qt::Key_Return);
    EXPECT_TRUE(d.isVisible()) << "Enter in the filter box is no OK";
    // A new source string the filter leaves out is shown all the same.
    EXPECT_TRUE(d.SourceGrid()->hasFocus());
    QTest::keyClick(d.SourceGrid(), Qt::Key_Insert);
    QLineEdit* editor = test::OpenEditor(*d.SourceGrid());
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, "Quit");
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(d.Filter()->text(), "Quit");
    ASSERT_EQ(d.SourceGrid()->currentIndex().data().toString(), "Quit");
    EXPECT_TRUE(test::TypeIntoCell(*d.TranslationGrid(), translations->index(0, 0), "Beenden"));
    test::TWindowFixture::Screenshot(d, "dictionary-editor-filtered");
    d.OkButton()->click();
  });
  std::vector<std::string> known;
  f.environment->History().GetKnownTranslations("Save", kAustria, known);
  EXPECT_EQ(known, (std::vector<std::string>{"Ablegen", "Sichern", "Speichern"}));
  EXPECT_EQ(Lookup("Quit"), "Beenden\n") << "a new translation in the current tab's language";
}

TEST_F(DictionaryDialog, AChangeAnotherWorkstationMadeMeanwhileIsReportedAndTheDialogStays) {
  f.answers = {TAnswer::Yes};  // take the other workstation's version
  Open([&](TfrmEditDictionary& d) {
    EXPECT_TRUE(test::TypeIntoCell(*d.SourceGrid(), d.SourceModel()->index(Row(d, "Save"), 0), "Save as"));
    EXPECT_TRUE(test::TypeIntoCell(*d.SourceGrid(), d.SourceModel()->index(Row(d, "Print"), 0), "Print all"));
    {
      TDictionaryEditSession other(f.environment->Common());
      other.SetFilter("Save");
      other.FetchMore();
      other.ChangeSource(other.StrIdAt(0), "Save now");
      other.Commit();
    }
    d.OkButton()->click();
    EXPECT_TRUE(d.isVisible()) << "nothing was overwritten; the dialog stays";
    EXPECT_NE(Row(d, "Save now"), -1) << "their version";
    EXPECT_NE(Row(d, "Print all"), -1) << "the rest of the changes kept";
    d.OkButton()->click();
  });
  EXPECT_TRUE(f.Asked(1, "Another workstation"));
  EXPECT_EQ(Lookup("Save now"), "Speichern\n");
  EXPECT_EQ(Lookup("Print all"), "Drucken\n");
}

TEST_F(DictionaryDialog, ADictionaryBusyAtOkKeepsTheDialogWithEveryChange) {
  // Another workstation holds the write lock longer than the editor waits.
  TDatabaseEngine engine(f.location, TBusyPolicy{20, 2});
  TdatCommon common(engine, *f.interaction);
  TfrmEditDictionary d(f.window.get(), nullptr, *f.interaction, common, TSystemCodePages{1252, 850, 10000});
  d.show();
  EXPECT_TRUE(test::TypeIntoCell(*d.SourceGrid(), d.SourceModel()->index(Row(d, "Save"), 0), "Save as"));
  std::unique_ptr<TSqliteDatabase> holder = common.NewConnection();
  holder->BeginWrite();
  d.OkButton()->click();
  EXPECT_TRUE(d.isVisible());
  EXPECT_EQ(f.asked.size(), 1u);
  EXPECT_TRUE(d.Session().HasChanges());
  holder->Rollback();
  d.OkButton()->click();
  EXPECT_FALSE(d.isVisible());
  EXPECT_EQ(Lookup("Save as"), "Speichern\n");
}

}  // namespace
}  // namespace kst
