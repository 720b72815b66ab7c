// The small dialogs, each opened from its command on a copy of the demo.
#include <gtest/gtest.h>

#include <algorithm>

#include "config/language_info.h"
#include "dictionary/translation_history.h"
#include "exchange/exchange_file.h"
#include "formmodel/form_conversion.h"
#include "formmodel/user_defined.h"
#include "ui/abstract_dialog.h"
#include "ui/add_property_dialog.h"
#include "ui/auto_translate_dialog.h"
#include "ui/help_viewer.h"
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
using ui::TfrmUserDefinedProperties;

std::vector<int> Languages(TProjectData& project) {
  std::vector<int> ids;
  for (const TLanguageEntry& l : project.Languages) ids.push_back(l.Item->LanguageId);
  return ids;
}

TEST(NewLanguageDialog, ItemTextsNameTheLanguageAndItsIdentifierAndParseBack) {
  const std::pair<int, const char*> cases[] = {
      {0x0C07, " (Austria)\t[$0C07] .DEA"}, {0x0007, "German \t[$0007] .DE"}, {0x040C, "\t[$040C] .FRA"}};
  for (auto [id, ending] : cases) {
    QString text = ui::NewLanguageItemText(id);
    EXPECT_TRUE(text.endsWith(QString::fromUtf8(ending))) << text.toStdString();
    EXPECT_EQ(ui::ParseLanguageItem(text), id);
  }
  EXPECT_EQ(ui::ParseLanguageItem("German (Germany)\t[0407]"), std::nullopt);
  EXPECT_EQ(ui::ParseLanguageItem("German\t[$XY]"), std::nullopt);
}

// Kannada's and Georgian's neutral abbreviation are both KA: they would
// write into one directory.
TEST(NewLanguageDialog, RefusalsAndADoubleClickThatAddsAustrianGerman) {
  TWindowFixture f;
  f.AddLanguages({0x0037});  // Georgian, neutral: KA
  f.window->show();
  f.window->OpenProject(QString::fromStdString(f.Demo()));
  ASSERT_TRUE(f.window->Action(TCommand::AddLanguage)->isEnabled());
  int chosen = 0;
  f.OpenDialog<ui::TfrmNewLanguage>(TCommand::AddLanguage, [&](ui::TfrmNewLanguage& d) {
    EXPECT_FALSE(d.OkButton()->isEnabled()) << "nothing chosen yet";
    QListWidget* list = d.List();
    EXPECT_LT(list->row(d.Item(0x0007)), list->row(d.Item(0x0C07)));
    for (int i = 1; i < list->count(); ++i)
      ASSERT_LE(list->item(i - 1)->text().compare(list->item(i)->text(), Qt::CaseInsensitive), 0);
    const std::pair<int, const char*> refused[] = {{0x004B, "Georgian [0037] has the same abbreviation KA"},
                                                   {0x0037, "The project already has the language Georgian [0037]."}};
    size_t asked = 0;
    for (auto [id, message] : refused) {
      list->setCurrentItem(d.Item(id));
      d.OkButton()->click();
      EXPECT_TRUE(d.isVisible()) << "the person can choose another one";
      EXPECT_TRUE(f.Asked(++asked, message));
    }
    QListWidgetItem* item = d.Item(0x0C07);
    list->setCurrentItem(item);
    list->scrollToItem(item);
    QApplication::processEvents();
    ASSERT_TRUE(list->viewport()->rect().contains(list->visualItemRect(item).center()));
    TWindowFixture::Screenshot(d, "new-language");
    test::DoubleClick(list->viewport(), list->visualItemRect(item).center());
    chosen = d.GetSelectedLanguageId();
  });
  EXPECT_EQ(chosen, 0x0C07);
  EXPECT_EQ(Languages(f.window->Project()), (std::vector<int>{0x0037, 0x0C07}));
  EXPECT_EQ(f.asked.size(), 2u) << "the double click asked nothing";
}

// An empty directory would reach the compiler as -e"".
TEST(ProjectOptionsDialog, ShowsTheStoredChoiceAndRefusesAnEmptyDirectory) {
  TWindowFixture f;
  f.window->OpenProject(QString::fromStdString(f.Demo()));
  auto open = [&](std::function<void(ui::TfrmProjectOptions&, QLineEdit*)> act) {
    f.OpenDialog<ui::TfrmProjectOptions>(TCommand::ProjectOptions, [&](ui::TfrmProjectOptions& d) {
      act(d, d.findChild<QLineEdit*>("ctlOutputDir"));
    });
  };
  const std::tuple<const char*, const char*, const char*> cases[] = {{"<translationdirectory>", "ctlTransDir", ""},
                                                                     {"<ProjectOutputDirectory>", "ctlProjDir", ""},
                                                                     {"D:\\Out", "ctlSpecified", "D:\\Out"}};
  for (auto [stored, checked, shown] : cases) {
    f.window->Project().SetOutputDirectory(stored);
    open([&](ui::TfrmProjectOptions& d, QLineEdit* directory) {
      EXPECT_TRUE(d.findChild<QRadioButton*>(QString::fromLatin1(checked))->isChecked()) << stored;
      EXPECT_EQ(directory->text(), QString::fromLatin1(shown));
      d.CancelButton()->click();
    });
  }
  open([&](ui::TfrmProjectOptions& d, QLineEdit* directory) {
    directory->clear();
    d.OkButton()->click();
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(f.asked.size(), 1u);
    QTest::keyClicks(directory, "/tmp/modules");
    TWindowFixture::Screenshot(d, "project-options");
    d.OkButton()->click();
  });
  EXPECT_EQ(f.window->Project().GetOutputDirectory(true, -1), "/tmp/modules");
  open([&](ui::TfrmProjectOptions& d, QLineEdit*) {
    d.findChild<QRadioButton*>("ctlTransDir")->click();
    d.OkButton()->click();
  });
  EXPECT_EQ(f.window->Project().GetOutputDirectory(true, -1), kTranslationDirectoryPlaceholder);
}

TEST(WriteExchangeFileDialog, PresetFromTheWindowAndAsksBeforeReplacingAFile) {
  TWindowFixture f({test::kGerman});
  const std::string file = f.dir.File("demo/project/DEU/Demo.trx");
  f.OpenDialog<ui::TfrmWriteExchangeFile>(TCommand::WriteExchangeFile, [&](ui::TfrmWriteExchangeFile& d) {
    EXPECT_EQ(d.FileName().toStdString(), file);
    EXPECT_EQ(d.TypeFilter(), kFilterStrings);
    EXPECT_TRUE(d.IncludeOriginal());
    TWindowFixture::Screenshot(d, "write-exchange-file");
    for (const char* box : {"chkStringProperties", "chkNumericProperties", "chkSymbolProperties"})
      d.findChild<QCheckBox*>(box)->setChecked(false);
    EXPECT_EQ(d.TypeFilter(), 0);
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
}

class AutoTranslateDialog : public testing::Test {
protected:
  void SetUp() override {
    TdatTranslationHistory& history = f.environment->History();
    history.AddTranslation("&Open...", "\xD6" "&ffnen...", test::kGerman);
    history.AddTranslation("&Open...", "&Datei \xF6" "ffnen...", test::kGerman);
    history.AddTranslation("&Items:", "&Eintr\xE4" "ge:", test::kGerman);
    f.ShowForm("Main.dfm");
    ASSERT_TRUE(f.window->Action(TCommand::AutoTranslate)->isEnabled());
  }
  std::string Translation(const std::string& path) {
    return f.window->Session().CurrentForm()->Root->FindProperty(path)->TranslatedValue;
  }
  TWindowFixture f{{test::kGerman}, true};
};

TEST_F(AutoTranslateDialog, AnEditedCandidateIsWhatIsStoredAndCloseStopsTheWalk) {
  int offered = 0;
  // In the form's order: the label's caption, the button's, the menu item's.
  f.OpenDialog<ui::TfrmAutoTranslate>(TCommand::AutoTranslate, [&](ui::TfrmAutoTranslate& d) {
    ++offered;
    EXPECT_EQ(d.findChild<QLineEdit*>("ctlOriginal")->text(), "&Items:");
    d.SkipButton()->click();
    test::WhenShown<ui::TfrmAutoTranslate>([&](ui::TfrmAutoTranslate& d) {
      ++offered;
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
      test::WhenShown<ui::TfrmAutoTranslate>([&](ui::TfrmAutoTranslate& d) {
        ++offered;
        d.CloseButton()->click();
      });
      QTest::keyClick(d.TranslationEdit(), Qt::Key_Return);  // "Translate" is the default
    });
  });
  EXPECT_EQ(offered, 3);
  EXPECT_EQ(Translation("lblItems.Caption"), "&Items:") << "skipped";
  EXPECT_EQ(Translation("btnOpen.Caption"), "Datei \xF6" "ffnen...") << "the edited text";
  EXPECT_EQ(Translation("mnuFileOpen.Caption"), "&Open...") << "Close stopped the walk";
}

// Only what the dictionary knows is offered; a whole walk is one step to undo.
TEST_F(AutoTranslateDialog, AWalkIsOneStepAndARefusedTextOrTheCloseBoxStopsIt) {
  constexpr int kTranslated = 5;
  f.environment->History().AddTranslation("Ready", "Bereit", test::kGerman);
  f.environment->History().AddTranslation("Cancel", "Abbrechen", test::kGerman);
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

  f.ShowForm("Main.dfm");
  f.OpenDialog<ui::TfrmAutoTranslate>(TCommand::AutoTranslate, [&](ui::TfrmAutoTranslate& d) {
    d.TranslationEdit()->setText(QString::fromUtf8("\xD0\x96"));  // Cyrillic Zhe
    d.TranslateButton()->click();
    EXPECT_TRUE(d.isVisible());
    EXPECT_TRUE(f.Asked(1, "U+0416"));
    d.close();
  });
  EXPECT_EQ(Translation("lblItems.Caption"), "&Items:");
  EXPECT_EQ(Translation("btnOpen.Caption"), "&Open...") << "the close box is Cancel";
}

// The tab stops from the focus a dialog opens with, once round.
std::vector<QWidget*> TabStops(QDialog& d) {
  std::vector<QWidget*> stops;
  QWidget* w = d.focusWidget();
  if (!w) return stops;
  do {
    if ((w->focusPolicy() & Qt::TabFocus) && w->isVisible() && w->isEnabled()) stops.push_back(w);
    w = w->nextInFocusChain();
  } while (w != d.focusWidget() && stops.size() < 100);
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
  f.OpenDemo(test::kGerman);
  f.ShowForm("Main.dfm");
  for (TCommand command : {TCommand::WriteExchangeFile, TCommand::AutoTranslate, TCommand::UserDefinedProperties})
    open(command);
  ASSERT_EQ(pages.size(), 8);
  pages.removeDuplicates();
  EXPECT_EQ(pages.size(), 8) << pages.join(' ').toStdString();
}

// The form's child 2 is an unnamed panel.
const char* const kForm =
    "object frmPanels: TfrmPanels\r\n"
    "  Caption = 'Panels'\r\n"
    "  object Panel1: TPanel\r\n    Caption = 'One'\r\n  end\r\n"
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
    ASSERT_TRUE(f.window->Action(TCommand::UserDefinedProperties)->isEnabled());
  }
  TComponentHelper& Root() { return *f.window->Session().CurrentForm()->Root; }
  static QStringList Lines(TfrmUserDefinedProperties& d) {
    QStringList lines;
    for (int i = 0; i < d.List()->count(); ++i) lines << d.List()->item(i)->text();
    return lines;
  }
  // Adds for the owner line containing `owner` the name (when it may be
  // typed) and the type at position `type`.
  static void Add(TfrmUserDefinedProperties& d, const QString& owner, const QString& name, int type,
                  std::function<void(TfrmAddProperty&)> check = nullptr) {
    test::WhenShown<TfrmAddProperty>([=](TfrmAddProperty& a) {
      int at = -1;
      for (int i = 0; i < a.Owners()->count(); ++i)
        if (a.Owners()->itemText(i).contains(owner)) at = i;
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

// Which names, owners and removals the form model takes is its own tests';
// here the dialogs refuse what it refuses and stay open.
TEST_F(UserDefinedDialogs, EntriesLandOnTheOwnerChosenAndOnlyTheLastElementGoes) {
  f.OpenDialog<TfrmUserDefinedProperties>(TCommand::UserDefinedProperties, [&](TfrmUserDefinedProperties& d) {
    EXPECT_EQ(d.List()->count(), 0);
    EXPECT_FALSE(d.RemoveButton()->isEnabled());
    for (const char* bad : {"", "1st"}) {
      Add(d, "Panel1 (Component)", bad, 0, [&](TfrmAddProperty& a) {
        a.OkButton()->click();
        EXPECT_TRUE(a.isVisible()) << '"' << bad << '"';
        a.CancelButton()->click();
      });
    }
    EXPECT_EQ(f.asked.size(), 2u);
    EXPECT_EQ(d.List()->count(), 0);
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
      EXPECT_TRUE(a.isVisible());
      EXPECT_TRUE(f.Asked(3, "not supported"));
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
    EXPECT_TRUE(d.RemoveButton()->isEnabled());
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
