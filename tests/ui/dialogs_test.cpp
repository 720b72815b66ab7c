// The dialogs, each opened from its command on a copy of the demo. The options and the
// dictionary editor change the shared dictionary in one transaction that OK commits.
#include <gtest/gtest.h>

#include <algorithm>

#include "config/language_info.h"
#include "config/registry_settings.h"
#include "dictionary/common.h"
#include "dictionary/config_data.h"
#include "dictionary/dictionary_editor.h"
#include "dictionary/module_groups.h"
#include "dictionary/settings.h"
#include "dictionary/translation_history.h"
#include "exchange/exchange_file.h"
#include "formmodel/form_conversion.h"
#include "formmodel/user_defined.h"
#include "platform/database_engine.h"
#include "platform/user_name.h"
#include "ui/abstract_dialog.h"
#include "ui/add_property_dialog.h"
#include "ui/auto_translate_dialog.h"
#include "ui/config_dialog.h"
#include "ui/dictionary_dialog.h"
#include "ui/dictionary_models.h"
#include "ui/display_page.h"
#include "ui/edit_grid.h"
#include "ui/help_viewer.h"
#include "ui/highlighting_page.h"
#include "ui/module_groups_page.h"
#include "ui/new_language_dialog.h"
#include "ui/project_options_dialog.h"
#include "ui/user_defined_dialog.h"
#include "ui/write_exchange_dialog.h"
#include "ui_fixture.h"

namespace kst {
namespace {

using test::TWindowFixture;
using ui::TCommand;
using ui::TfrmAddProperty;
using ui::TfrmConfig;
using ui::TfrmEditDictionary;
using ui::TfrmUserDefinedProperties;

class ConfigDialog : public testing::Test {
protected:
  TWindowFixture f;
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
  Open([&](TfrmConfig& d) {
    TWindowFixture::Screenshot(d, "options-directories");
    d.DelphiBinDir()->setText("/elsewhere/bin");
    d.Pages()->setCurrentIndex(1);
    ui::THighlightingPage* rules = d.Highlighting();
    EXPECT_TRUE(test::TypeIntoCell(*rules->Grid(), rules->Model()->index(5, 0), "TMemo.Lines"));
    TWindowFixture::Screenshot(d, "options-highlighting");
    d.Pages()->setCurrentIndex(2);
    ui::TModuleGroupsPage* groups = d.ModuleGroups();
    groups->NewButton()->click();
    groups->NameEdit()->setText("Own dialogs");
    groups->EntriesGrid()->setFocus();
    EXPECT_TRUE(test::TypeIntoCell(*groups->EntriesGrid(), groups->EntriesModel()->index(0, 0), "C:\\lib\\own.dfm"));
    TWindowFixture::Screenshot(d, "options-module-groups");
    d.Pages()->setCurrentIndex(3);
    ClickElement(d, 2);
    d.FontsColors()->Grid()->Cell(9)->click();  // red
    d.FontsColors()->Bold()->click();
    TWindowFixture::Screenshot(d, "options-fonts-and-colors");
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
    d.Pages()->setCurrentIndex(1);
    // A duplicate of "?.Caption" (rules match without regard to case).
    ui::TEditGrid* grid = d.Highlighting()->Grid();
    test::EditCell(*grid, d.Highlighting()->Model()->index(5, 0), "?.caption");
    d.OkButton()->click();
    test::Pump(50);
    EXPECT_TRUE(f.Refused(d, 1, "already exists"));
    EXPECT_TRUE(unchanged()) << "nothing was written";
    QLineEdit* editor = test::OpenEditor(*grid);
    ASSERT_NE(editor, nullptr) << "the row stays in edit state";
    EXPECT_EQ(editor->text(), "?.caption");
    editor->setText("TLabel.Caption");
    d.OkButton()->click();
  });
  std::vector<std::string> rules = Rules();
  EXPECT_NE(std::find(rules.begin(), rules.end(), "TLabel.Caption"), rules.end());
  EXPECT_EQ(TTranslatorRegistry(f.location).Directories().ReadString("DelphiBinDir"), "/elsewhere/bin");
}

// First the defaults, then what was stored before: a system colour other
// than window text, a colour the grid lacks, an older version's hexadecimal.
TEST_F(ConfigDialog, ColoursAreStoredAsSignedDecimalsStylesAsLettersAndTheFontSize) {
  using TChoice = std::function<void(ui::TFontsColorsPage&)>;
  struct TCase {
    const char *element, *color, *style;  // color, style: stored before the dialog opens (nullptr: nothing)
    bool system;                          // shown: "System", else the colour's cell (-1: none)
    int cell;
    const char* styles;  // shown: the checked style boxes as letters
    TChoice choose;
    const char *storedColor, *storedStyle;  // after OK; "(none)": not written
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
        TWindowFixture::Screenshot(d, "options-fonts-stored-colours");
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

// Which rules "Defaults" adds is the dictionary's tests'.
TEST_F(ConfigDialog, DefaultRulesAndTheDelphiRoot) {
  {
    TdatConfig config(f.environment->Common());
    config.DeleteRule("?.Hint");
    config.CommitConfig();
  }
  const std::string machine = MachineDelphiRootDir(f.location);
  for (const std::string& typed : {std::string("/opt/delphi3"), machine}) {
    Open([&](TfrmConfig& d) {
      EXPECT_FALSE(d.DelphiRootDir()->text().isEmpty() && !machine.empty());
      d.DelphiRootDir()->setText(QString::fromStdString(typed));
      d.ShortFileNames()->setChecked(true);
      d.Highlighting()->DefaultsButton()->click();
      EXPECT_EQ(d.Highlighting()->Model()->Rules().size(), 5u);
      d.OkButton()->click();
    });
    TTranslatorRegistry registry(f.location);
    const bool stored = typed != machine;
    EXPECT_EQ(registry.Directories().ValueExists("DelphiRootDir"), stored) << typed;
    if (stored) { EXPECT_EQ(registry.Directories().ReadString("DelphiRootDir"), typed); }
    EXPECT_TRUE(registry.UseShortFileNames());
  }
  EXPECT_EQ(Rules().size(), 5u) << "OK stored the rule Defaults added";
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
    page->NewButton()->click();
    page->NameEdit()->setText("Own dialogs");
    page->RemarksEdit()->setText("Our dialogs");
    page->EntriesGrid()->setFocus();  // stores the group
    ui::TEntriesModel* entries = page->EntriesModel();
    const std::tuple<int, int, const char*> typed[] = {
        {0, 0, "%CommonDelphiLibDir%\\one.dfm"}, {1, 0, "%CommonDelphiLibDir%\\two.res"}, {2, 0, "<VCL-Basics>"},
        {1, 0, "%CommonDelphiLibDir%\\three.dfm"}, {0, 1, "the shared list"}};
    for (auto [row, column, text] : typed)
      EXPECT_TRUE(test::TypeIntoCell(*page->EntriesGrid(), entries->index(row, column), text)) << text;
    page->EntriesGrid()->setCurrentIndex(entries->index(2, 0));
    page->EntriesGrid()->DeleteCurrentRow();
    // The QuickReport group goes (no question).
    ui::TGroupsModel* groups = page->GroupsModel();
    page->GroupsGrid()->setCurrentIndex(groups->index(groups->RowOf(groups->Groups()[1].id), 0));
    ASSERT_EQ(page->NameEdit()->text(), "QuickReport");
    page->DeleteButton()->click();
    TWindowFixture::Screenshot(d, "options-module-groups-edited");
    d.OkButton()->click();
  });
  EXPECT_TRUE(f.Asked(2, "<VCL-Basics>"));
  std::vector<std::string> names, entries;
  f.environment->ModuleGroups().GetGroupNames(names);
  EXPECT_EQ(names, (std::vector<std::string>{"Own dialogs", "VCL-Basics"}));
  f.environment->ModuleGroups().GetGroupEntries("own dialogs", entries);
  EXPECT_EQ(entries, (std::vector<std::string>{"%CommonDelphiLibDir%\\one.dfm", "%CommonDelphiLibDir%\\three.dfm"}));
  TdatConfig config(f.environment->Common());
  const TModuleGroupRow own = config.GetGroups()[0];
  EXPECT_EQ(own.remarks, "Our dialogs");
  EXPECT_EQ(config.GetEntries(own.id)[0].remarks, "the shared list");
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
    QModelIndexList found = d.SourceModel()->match(d.SourceModel()->index(0, 0), Qt::DisplayRole, text, 1, Qt::MatchExactly);
    return found.isEmpty() ? -1 : found[0].row();
  }
  void Edit(TfrmEditDictionary& d) {
    ui::TSourceModel* sources = d.SourceModel();
    EXPECT_TRUE(test::TypeIntoCell(*d.SourceGrid(), sources->index(Row(d, "Save"), 0), "Save as"));
    d.SourceGrid()->setCurrentIndex(sources->index(Row(d, "Open"), 0));
    f.answers.push_back(TAnswer::Yes);
    d.SourceGrid()->DeleteCurrentRow();
    d.SourceGrid()->setCurrentIndex(sources->index(Row(d, "Print"), 0));
    EXPECT_TRUE(test::TypeIntoCell(*d.TranslationGrid(), d.TranslationsModel()->index(0, 0), "Ausdrucken"));
    d.Import(QString::fromStdString(f.dir.File("strdict.DEU")));
  }
  TWindowFixture f;
};

// Another process writing while the editor holds changes is the dictionary editor's tests'.
TEST_F(DictionaryDialog, CancelForgetsEveryChangeAndOkKeepsThemAll) {
  const std::string before = f.DictionaryBytes();
  // The close box reaches the same reject() (QDialog::closeEvent).
  Open([&](TfrmEditDictionary& d) {
    Edit(d);
    TWindowFixture::Screenshot(d, "dictionary-editor");
    d.CancelButton()->click();
  });
  EXPECT_EQ(f.DictionaryBytes(), before) << "Cancel leaves every byte";

  Open([&](TfrmEditDictionary& d) {
    Edit(d);
    d.OkButton()->click();
  });
  EXPECT_EQ(Lookup("Save as"), "Speichern\n");
  EXPECT_EQ(Lookup("Open"), "");
  EXPECT_EQ(Lookup("Print"), "Ausdrucken\n");
  EXPECT_EQ(Lookup(".ResourceString.SCloseQuery"), "Beenden?\n");
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
    EXPECT_TRUE(test::TypeIntoCell(*d.TranslationGrid(), translations->index(1, 0), "Ablegen"));
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
    TWindowFixture::Screenshot(d, "dictionary-editor-filtered");
    d.OkButton()->click();
  });
  std::vector<std::string> known;
  f.environment->History().GetKnownTranslations("Save", kAustria, known);
  EXPECT_EQ(known, (std::vector<std::string>{"Ablegen", "Sichern", "Speichern"}));
  EXPECT_EQ(Lookup("Quit"), "Beenden\n") << "a new translation in the current tab's language";
}

// A change another workstation made meanwhile, then a text too long for the field.
TEST_F(DictionaryDialog, RefusalsAtOkKeepTheDialogWithEveryChange) {
  f.answers = {TAnswer::Yes};  // take the other workstation's version
  // 90 umlauts take 270 characters stored ("$E4" each): cutting them would
  // leave half a code behind.
  const QString tooLong(90, QChar(0xE4));
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
    EXPECT_TRUE(f.Refused(d, 1, "Another workstation")) << "nothing was overwritten";

    ui::TTranslationsModel* translations = d.TranslationsModel();
    d.SourceGrid()->setCurrentIndex(d.SourceModel()->index(Row(d, "Save now"), 0));
    test::EditCell(*d.TranslationGrid(), translations->index(translations->rowCount() - 1, 0), tooLong);
    d.OkButton()->click();
    test::Pump(20);
    EXPECT_TRUE(f.Refused(d, 2, "too long"));
    QLineEdit* editor = test::OpenEditor(*d.TranslationGrid());
    ASSERT_NE(editor, nullptr) << "the typed text is kept to be shortened";
    EXPECT_EQ(editor->text(), tooLong);
    editor->setText(tooLong.left(40));
    d.OkButton()->click();
  });
  EXPECT_EQ(Lookup("Print all"), "Drucken\n");
  std::vector<std::string> known;
  f.environment->History().GetKnownTranslations("Save now", test::kGerman, known);
  std::sort(known.begin(), known.end());
  EXPECT_EQ(known, (std::vector<std::string>{"Speichern", std::string(40, '\xE4')}));
}

TEST_F(DictionaryDialog, ADictionaryBusyAtOkKeepsTheDialogWithEveryChange) {
  // Another workstation holds the write lock longer than the editor waits.
  TDatabaseEngine engine(f.location, TBusyPolicy{20, 2});
  TdatCommon common(engine, *f.interaction);
  TfrmEditDictionary d(f.window.get(), nullptr, *f.interaction, common, TSystemCodePages{1252, 850, 10000});
  d.show();
  EXPECT_TRUE(test::TypeIntoCell(*d.SourceGrid(), d.SourceModel()->index(Row(d, "Save"), 0), "Save as"));
  std::unique_ptr<TDatabase> holder = common.NewConnection();
  holder->BeginWrite();
  d.OkButton()->click();
  EXPECT_TRUE(d.isVisible());
  EXPECT_EQ(f.asked.size(), 1u);
  holder->Rollback();
  d.OkButton()->click();
  EXPECT_FALSE(d.isVisible());
  EXPECT_EQ(Lookup("Save as"), "Speichern\n");
}

// Which languages a project refuses is the project's tests'.
TEST(NewLanguageDialog, RefusalsAndADoubleClickThatAddsAustrianGerman) {
  TWindowFixture f;
  f.AddLanguages({0x0037});  // Georgian, neutral: KA
  f.window->show();
  f.window->OpenProject(QString::fromStdString(f.Demo()));
  f.OpenDialog<ui::TfrmNewLanguage>(TCommand::AddLanguage, [&](ui::TfrmNewLanguage& d) {
    EXPECT_FALSE(d.OkButton()->isEnabled()) << "nothing chosen yet";
    QListWidget* list = d.List();
    // Each item names the language and its identifier, and parses back.
    const std::pair<int, const char*> items[] = {
        {0x0C07, " (Austria)\t[$0C07] .DEA"}, {0x0007, "German \t[$0007] .DE"}, {0x040C, "\t[$040C] .FRA"}};
    for (auto [id, ending] : items) {
      EXPECT_TRUE(d.Item(id)->text().endsWith(QString::fromUtf8(ending))) << d.Item(id)->text().toStdString();
      EXPECT_EQ(ui::ParseLanguageItem(d.Item(id)->text()), id);
    }
    EXPECT_EQ(ui::ParseLanguageItem("German (Germany)\t[0407]"), std::nullopt);
    EXPECT_EQ(ui::ParseLanguageItem("German\t[$XY]"), std::nullopt);
    for (int i = 1; i < list->count(); ++i)
      ASSERT_LE(list->item(i - 1)->text().compare(list->item(i)->text(), Qt::CaseInsensitive), 0);
    list->setCurrentItem(d.Item(0x004B));  // Kannada, KA as well
    d.OkButton()->click();
    EXPECT_TRUE(f.Refused(d, 1, "Georgian [0037] has the same abbreviation KA")) << "the person can choose another";
    QListWidgetItem* item = d.Item(0x0C07);
    list->setCurrentItem(item);
    list->scrollToItem(item);
    QApplication::processEvents();
    ASSERT_TRUE(list->viewport()->rect().contains(list->visualItemRect(item).center()));
    TWindowFixture::Screenshot(d, "new-language");
    test::DoubleClick(list->viewport(), list->visualItemRect(item).center());
  });
  EXPECT_TRUE(f.window->Project().HasLanguage(0x0C07));
  EXPECT_EQ(f.asked.size(), 1u) << "the double click asked nothing";
}

// An empty directory would reach the compiler as -e"".
TEST(ProjectOptionsDialog, ShowsTheStoredChoiceAndRefusesAnEmptyDirectory) {
  TWindowFixture f;
  f.window->OpenProject(QString::fromStdString(f.Demo()));
  using ui::TfrmProjectOptions;
  const std::tuple<const char*, const char*, const char*> cases[] = {{"<translationdirectory>", "ctlTransDir", ""},
                                                                     {"<ProjectOutputDirectory>", "ctlProjDir", ""},
                                                                     {"D:\\Out", "ctlSpecified", "D:\\Out"}};
  for (auto [stored, checked, shown] : cases) {
    f.window->Project().SetOutputDirectory(stored);
    f.OpenDialog<TfrmProjectOptions>(TCommand::ProjectOptions, [&](TfrmProjectOptions& d) {
      EXPECT_TRUE(d.findChild<QRadioButton*>(QString::fromLatin1(checked))->isChecked()) << stored;
      EXPECT_EQ(d.findChild<QLineEdit*>("ctlOutputDir")->text(), QString::fromLatin1(shown));
      d.CancelButton()->click();
    });
  }
  f.OpenDialog<TfrmProjectOptions>(TCommand::ProjectOptions, [&](TfrmProjectOptions& d) {
    QLineEdit* directory = d.findChild<QLineEdit*>("ctlOutputDir");
    directory->clear();
    d.OkButton()->click();
    EXPECT_TRUE(f.Refused(d, 1, ""));
    QTest::keyClicks(directory, "/tmp/modules");
    TWindowFixture::Screenshot(d, "project-options");
    d.OkButton()->click();
  });
  EXPECT_EQ(f.window->Project().GetOutputDirectory(true, -1), "/tmp/modules");
  f.OpenDialog<TfrmProjectOptions>(TCommand::ProjectOptions, [&](TfrmProjectOptions& d) {
    d.findChild<QRadioButton*>("ctlTransDir")->click();
    d.OkButton()->click();
  });
  EXPECT_EQ(f.window->Project().GetOutputDirectory(true, -1), kTranslationDirectoryPlaceholder);
}

// The presets (the file, strings with their originals) show in what the second OK writes.
TEST(WriteExchangeFileDialog, PresetFromTheWindowAndAsksBeforeReplacingAFile) {
  TWindowFixture f({test::kGerman});
  const std::string file = f.dir.File("demo/project/DEU/Demo.trx");
  f.OpenDialog<ui::TfrmWriteExchangeFile>(TCommand::WriteExchangeFile, [&](ui::TfrmWriteExchangeFile& d) {
    TWindowFixture::Screenshot(d, "write-exchange-file");
    for (const char* box : {"chkStringProperties", "chkNumericProperties", "chkSymbolProperties"})
      d.findChild<QCheckBox*>(box)->setChecked(false);
    d.findChild<QCheckBox*>("chkNumericProperties")->setChecked(true);
    d.findChild<QCheckBox*>("chkIncludeOriginalValue")->setChecked(false);
    d.OkButton()->click();
  });
  const std::string written = ReadFileBytes(file);
  EXPECT_EQ(written, BuildExchangeFile(f.window->Project(), false, kFilterNumbers));
  EXPECT_TRUE(f.Asked(0, ""));

  f.answers = {TAnswer::No, TAnswer::Yes};
  f.OpenDialog<ui::TfrmWriteExchangeFile>(TCommand::WriteExchangeFile, [&](ui::TfrmWriteExchangeFile& d) {
    d.OkButton()->click();
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(ReadFileBytes(file), written);
    d.OkButton()->click();
  });
  EXPECT_TRUE(f.Asked(2, "already exists"));
  EXPECT_EQ(ReadFileBytes(file), BuildExchangeFile(f.window->Project(), true, kFilterStrings));

  // The format choice: the proposed name follows it, and the originals,
  // which XLIFF and PO always carry, are no choice there.
  f.OpenDialog<ui::TfrmWriteExchangeFile>(TCommand::WriteExchangeFile, [&](ui::TfrmWriteExchangeFile& d) {
    auto* format = d.findChild<QComboBox*>("cbxFormat");
    auto* name = d.findChild<QLineEdit*>("edtFileName");
    format->setCurrentIndex(1);
    EXPECT_TRUE(name->text().endsWith("/DEU/Demo.xlf")) << name->text().toStdString();
    EXPECT_FALSE(d.findChild<QCheckBox*>("chkIncludeOriginalValue")->isEnabled());
    TWindowFixture::Screenshot(d, "write-exchange-file-xliff");
    format->setCurrentIndex(2);
    EXPECT_TRUE(name->text().endsWith("/DEU/Demo.po"));
    d.OkButton()->click();
  });
  const std::string po = ReadFileBytes(f.dir.File("demo/project/DEU/Demo.po"));
  EXPECT_NE(po.find("\nmsgctxt \"Main.dfm:frmMain.Caption\"\nmsgid \"Kestrin Demo\"\n"), std::string::npos);
}

// What a walk offers, in which order, is the session's tests'. Each offer
// must show (see WhenShown); a walk the close box did not stop would hang.
TEST(AutoTranslateDialog, AnEditedCandidateIsStoredARefusedOneIsNotAWalkIsOneStepToUndo) {
  TWindowFixture f({test::kGerman});
  for (auto [original, translation] : {std::pair{"&Open...", "\xD6&ffnen..."}, {"&Open...", "&Datei \xF6" "ffnen..."},
                                       {"&Items:", "&Eintr\xE4" "ge:"}, {"Ready", "Bereit"}, {"Cancel", "Abbrechen"}})
    f.environment->History().AddTranslation(original, translation, test::kGerman);
  f.ShowForm("Main.dfm");
  auto translation = [&](const std::string& path) { return f.Translation("Main.dfm", path); };
  // The label's caption, the button's, the menu item's.
  f.OpenDialog<ui::TfrmAutoTranslate>(TCommand::AutoTranslate, [&](ui::TfrmAutoTranslate& d) {
    EXPECT_EQ(d.findChild<QLineEdit*>("ctlOriginal")->text(), "&Items:");
    d.SkipButton()->click();
    test::WhenShown<ui::TfrmAutoTranslate>([&](ui::TfrmAutoTranslate& d) {
      EXPECT_EQ(d.findChild<QLineEdit*>("ctlOriginal")->text(), "&Open...");
      ASSERT_EQ(d.Candidates()->count(), 2);
      EXPECT_EQ(d.Candidates()->item(0)->text(), QString::fromUtf8("\xC3\x96&ffnen...")) << "in the language's code page";
      EXPECT_EQ(d.TranslationEdit()->text(), d.Candidates()->item(0)->text()) << "the first preselected";
      TWindowFixture::Screenshot(d, "auto-translation");
      // Escape does nothing: the only cancel button is hidden.
      QTest::keyClick(&d, Qt::Key_Escape);
      EXPECT_TRUE(d.isVisible());
      QListWidget* list = d.Candidates();
      QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
      EXPECT_EQ(d.TranslationEdit()->text(), list->item(1)->text());
      d.TranslationEdit()->setText(QString::fromUtf8("Datei \xC3\xB6" "ffnen..."));
      test::WhenShown<ui::TfrmAutoTranslate>([](ui::TfrmAutoTranslate& d) { d.CloseButton()->click(); });
      QTest::keyClick(d.TranslationEdit(), Qt::Key_Return);  // "Translate" is the default
    });
  });
  EXPECT_EQ(translation("lblItems.Caption"), "&Items:") << "skipped";
  EXPECT_EQ(translation("btnOpen.Caption"), "Datei \xF6" "ffnen...") << "the edited text";
  EXPECT_EQ(translation("mnuFileOpen.Caption"), "&Open...") << "Close stopped the walk";

  f.OpenDialog<ui::TfrmAutoTranslate>(TCommand::AutoTranslate, [&](ui::TfrmAutoTranslate& d) {
    d.TranslationEdit()->setText(QString::fromUtf8("\xD0\x96"));  // Cyrillic Zhe
    d.TranslateButton()->click();
    EXPECT_TRUE(f.Refused(d, 1, "U+0416"));
    d.close();
  });
  EXPECT_EQ(translation("lblItems.Caption"), "&Items:");

  constexpr int kTranslated = 5;
  ui::TTranslationGrid& grid = f.ShowGrid(ui::TTab::ResourceStrings);
  int offered = 0;
  std::function<void(ui::TfrmAutoTranslate&)> translate = [&](ui::TfrmAutoTranslate& d) {
    if (++offered == 1) test::WhenShown<ui::TfrmAutoTranslate>(translate);
    d.TranslateButton()->click();
  };
  f.OpenDialog<ui::TfrmAutoTranslate>(TCommand::AutoTranslate, translate);
  EXPECT_EQ(offered, 2);
  const int ready = f.Row(grid, "Texts_SReady"), cancel = f.Row(grid, "Consts_SMsgDlgCancel");
  EXPECT_EQ(f.Cell(grid, ready, kTranslated), "Bereit");
  EXPECT_EQ(f.Cell(grid, cancel, kTranslated), "Abbrechen");
  f.window->Action(TCommand::Undo)->trigger();
  EXPECT_EQ(f.Cell(grid, ready, kTranslated), "Ready");
  EXPECT_EQ(f.Cell(grid, cancel, kTranslated), "Cancel");
}

// A translation of a similar text is offered with its score and is taken
// only when picked: the field starts empty and Enter does nothing until then.
TEST(AutoTranslateDialog, ASimilarTextsTranslationIsShownWithItsScoreAndTakenOnlyWhenPicked) {
  TWindowFixture f({test::kGerman});
  f.environment->History().AddTranslation("The items you may choose from", "Die Eintr\xE4ge zur Wahl", test::kGerman);
  f.ShowForm("Main.dfm");
  f.OpenDialog<ui::TfrmAutoTranslate>(TCommand::AutoTranslate, [&](ui::TfrmAutoTranslate& d) {
    EXPECT_EQ(d.findChild<QLineEdit*>("ctlOriginal")->text(), "The items you can choose from");
    QListWidget* list = d.Candidates();
    ASSERT_EQ(list->count(), 1);
    EXPECT_EQ(list->item(0)->text(), QString::fromUtf8("88% \xE2\x80\x94 Die Eintr\xC3\xA4ge zur Wahl"));
    EXPECT_TRUE(d.TranslationEdit()->text().isEmpty());
    EXPECT_FALSE(d.TranslateButton()->isEnabled());
    TWindowFixture::Screenshot(d, "auto-translation-similar");
    QTest::keyClick(d.TranslationEdit(), Qt::Key_Return);
    EXPECT_TRUE(d.isVisible()) << "nothing picked, nothing taken";
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
    EXPECT_EQ(d.TranslationEdit()->text(), QString::fromUtf8("Die Eintr\xC3\xA4ge zur Wahl"));
    d.TranslateButton()->click();
  });
  EXPECT_EQ(f.Translation("Main.dfm", "lstItems.Hint"), "Die Eintr\xE4ge zur Wahl");
}

// The tab stops from the focus a dialog opens with, once round.
std::vector<QWidget*> TabStops(QDialog& d) {
  std::vector<QWidget*> stops;
  for (QWidget* w = d.focusWidget(); w && stops.size() < 100; w = w->nextInFocusChain()) {
    if ((w->focusPolicy() & Qt::TabFocus) && w->isVisible() && w->isEnabled()) stops.push_back(w);
    if (w->nextInFocusChain() == d.focusWidget()) break;
  }
  return stops;
}

TEST(Dialogs, TabReachesTheButtonsLastAndHelpOpensAPageOfItsOwn) {
  TWindowFixture f;
  f.environment->History().AddTranslation("&Open...", "\xD6" "&ffnen...", test::kGerman);
  f.window->show();
  f.window->OpenProject(QString::fromStdString(f.Demo()));
  QStringList pages;
  std::function<void(ui::TfrmAbstractDialog&)> check = [&](ui::TfrmAbstractDialog& d) {
    const char* name = d.metaObject()->className();
    // The automatic translation has its buttons in a column of its own; a
    // disabled button (OK before anything is chosen) is no tab stop.
    std::vector<QWidget*> buttons;
    for (QPushButton* b : {d.OkButton(), d.CancelButton(), d.HelpButton(), d.findChild<QPushButton*>("btnHelpColumn")})
      if (b && b->isVisible() && b->isEnabled()) buttons.push_back(b);
    ASSERT_FALSE(buttons.empty()) << name;
    EXPECT_EQ(std::count(buttons.begin(), buttons.end(), d.focusWidget()), 0) << name << " opens in its own controls";
    // Round from the last button: the buttons come after every control.
    std::vector<QWidget*> stops = TabStops(d);
    auto last = std::find(stops.begin(), stops.end(), buttons.back());
    ASSERT_NE(last, stops.end()) << name;
    std::rotate(stops.begin(), last + 1, stops.end());
    ASSERT_GT(stops.size(), buttons.size()) << name;
    EXPECT_EQ(std::vector<QWidget*>(stops.end() - buttons.size(), stops.end()), buttons) << name;
    static_cast<QPushButton*>(buttons.back())->click();
    ASSERT_NE(f.window->Help().Window(), nullptr) << name;
    pages << f.window->Help().Window()->CurrentPage();
    EXPECT_FALSE(pages.back().isEmpty()) << name;
    // Closed, so that the next dialog becomes the active window.
    f.window->Help().Window()->close();
    // The add dialog opens from the user-defined properties.
    if (auto* properties = qobject_cast<TfrmUserDefinedProperties*>(&d)) {
      test::WhenShown<TfrmAddProperty>([&](TfrmAddProperty& a) { check(a); });
      properties->AddButton()->click();
    }
    d.reject();
  };
  auto open = [&](TCommand command) {
    ASSERT_TRUE(f.window->Action(command)->isEnabled()) << static_cast<int>(command);
    f.OpenDialog<ui::TfrmAbstractDialog>(command, check);
  };
  // A language is added while none is chosen; the rest once one is.
  for (TCommand command : {TCommand::Config, TCommand::AddLanguage, TCommand::ProjectOptions, TCommand::EditDictionary})
    open(command);
  f.AddLanguages({test::kGerman});
  f.Open(test::kGerman);
  f.ShowForm("Main.dfm");
  for (TCommand command : {TCommand::WriteExchangeFile, TCommand::AutoTranslate, TCommand::UserDefinedProperties})
    open(command);
  ASSERT_EQ(pages.size(), 8);
  pages.removeDuplicates();
  EXPECT_EQ(pages.size(), 8) << pages.join(' ').toStdString();
}

// The form's child 2 is an unnamed panel.
const char* const kForm =
    "object frmPanels: TfrmPanels\r\n  Caption = 'Panels'\r\n  object Panel1: TPanel\r\n    Caption = 'One'\r\n  end\r\n"
    "  object ListBox1: TListBox\r\n    Items.Strings = (\r\n      'a'\r\n      'b')\r\n  end\r\n"
    "  object TPanel\r\n    Caption = 'Two'\r\n  end\r\n"
    "  object lvCols: TListView\r\n    Columns = <\r\n      item\r\n        Caption = 'Name'\r\n      end>\r\n  end\r\n"
    "end\r\n";

class UserDefinedDialogs : public testing::Test {
protected:
  void SetUp() override {
    test::WriteFile(f.dir.File("demo/project/Panels.dfm"), TextToResource(kForm));
    f.window->Session().AddForm(f.dir.File("demo/project/Panels.dfm"));
    f.window->AfterStructureChange();
    f.ShowForm("Panels.dfm");
  }
  TComponentHelper& Root() { return *f.window->Session().CurrentForm()->Root; }
  static QStringList Lines(TfrmUserDefinedProperties& d) {
    QStringList lines;
    for (int i = 0; i < d.List()->count(); ++i) lines << d.List()->item(i)->text();
    return lines;
  }
  // Adds for the owner line holding `owner` the name (when it may be typed) and the type at `type`.
  static void Add(TfrmUserDefinedProperties& d, const QString& owner, const QString& name, int type,
                  std::function<void(TfrmAddProperty&)> check = nullptr) {
    test::WhenShown<TfrmAddProperty>([=](TfrmAddProperty& a) {
      const int at = a.Owners()->findText(owner, Qt::MatchContains | Qt::MatchCaseSensitive);
      ASSERT_GE(at, 0) << owner.toStdString();
      a.Owners()->setCurrentIndex(at);
      if (a.NameEdit()->isEnabled()) a.NameEdit()->setText(name);
      if (type >= 0 && a.Types()->isEnabled()) a.Types()->setCurrentIndex(type);
      if (check) check(a);
      if (a.isVisible()) a.OkButton()->click();
    });
    d.AddButton()->click();
  }
  TWindowFixture f{{test::kGerman}, true};
};

// Which names, owners and removals the form model takes is its tests'; the dialogs refuse them and stay.
TEST_F(UserDefinedDialogs, EntriesLandOnTheOwnerChosenAndOnlyTheLastElementGoes) {
  f.OpenDialog<TfrmUserDefinedProperties>(TCommand::UserDefinedProperties, [&](TfrmUserDefinedProperties& d) {
    EXPECT_FALSE(d.RemoveButton()->isEnabled());
    for (const char* bad : {"", "1st"}) {
      Add(d, "Panel1 (Component)", bad, 0, [&](TfrmAddProperty& a) {
        a.OkButton()->click();
        EXPECT_TRUE(a.isVisible()) << '"' << bad << '"';
        a.CancelButton()->click();
      });
    }
    // The unnamed panel is shown with its position.
    Add(d, "frmPanels{00002} (Component)", "Hint", 0, [](TfrmAddProperty& a) {
      EXPECT_TRUE(a.NameEdit()->isEnabled());
      EXPECT_TRUE(a.Types()->isEnabled());
      EXPECT_EQ(a.Types()->currentText(), "String");
      TWindowFixture::Screenshot(a, "add-property");
    });
    // A collection takes the next item number, without a type.
    Add(d, "lvCols.Columns (Collection)", "", -1, [](TfrmAddProperty& a) {
      EXPECT_EQ(a.NameEdit()->text(), "[1]");
      EXPECT_FALSE(a.NameEdit()->isEnabled());
      EXPECT_FALSE(a.Types()->isEnabled());
      EXPECT_EQ(a.Types()->currentIndex(), -1);
    });
    // A list the next element, of the type chosen but a collection's.
    Add(d, "ListBox1.Items.Strings (List)", "", 6, [&](TfrmAddProperty& a) {
      EXPECT_EQ(a.NameEdit()->text(), "[2]");
      a.OkButton()->click();
      EXPECT_TRUE(f.Refused(a, 3, "not supported"));
      a.Types()->setCurrentIndex(1);
    });
    Add(d, "ListBox1.Items.Strings (List)", "", 0);
    Add(d, "Panel1 (Component)", "Font.Name", 0);
    EXPECT_EQ(Lines(d), (QStringList{"frmPanels{2}.Hint", "ListBox1.Items.Strings[2]", "ListBox1.Items.Strings[3]",
                                     "lvCols.Columns[1]", "Panel1.Font.Name"}));
    TWindowFixture::Screenshot(d, "user-defined-properties");
    d.OkButton()->click();
  });
  ASSERT_NE(Root().Children[2]->FindPropertyItem("Hint"), nullptr) << "on the unnamed panel";
  EXPECT_EQ(Root().FindProperty("ListBox1.Items.Strings[2]")->PropertyType, ptInteger);
  std::vector<std::string> entries = UserDefinedEntries(*f.window->Session().CurrentForm());
  EXPECT_EQ(std::count_if(entries.begin(), entries.end(),
                          [](const std::string& e) { return e.find(";frmPanels{2};Hint;ptString") != std::string::npos; }),
            1);

  f.OpenDialog<TfrmUserDefinedProperties>(TCommand::UserDefinedProperties, [&](TfrmUserDefinedProperties& d) {
    ASSERT_EQ(d.List()->count(), 5);
    // Removing element 2 would renumber element 3, whose translations other
    // languages keep under its number.
    d.List()->setCurrentRow(1);
    d.RemoveButton()->click();
    EXPECT_TRUE(f.Asked(4, "ListBox1.Items.Strings[2]"));
    for (int left = 5; left > 0 && d.List()->count() == left; --left) {
      d.List()->setCurrentRow(left - 1);
      d.RemoveButton()->click();
    }
    EXPECT_EQ(d.List()->count(), 0);
    EXPECT_FALSE(d.RemoveButton()->isEnabled());
    d.OkButton()->click();
  });
  EXPECT_EQ(f.asked.size(), 4u);
  EXPECT_EQ(Root().FindProperty("ListBox1.Items.Strings[2]"), nullptr);
  EXPECT_EQ(Root().Children[2]->FindPropertyItem("Hint"), nullptr);
  EXPECT_TRUE(UserDefinedEntries(*f.window->Session().CurrentForm()).empty());
}

}  // namespace
}  // namespace kst
