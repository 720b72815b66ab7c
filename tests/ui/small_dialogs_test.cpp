// The small dialogs, each opened from its command on a copy of the demo:
// new language (item texts, double-click, refusals), project options (the
// output choice, an empty directory refused), write exchange file (the
// preset, asking before a file is replaced) and automatic translation (an
// edited candidate is what is stored; Skip and Close).
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include "config/language_info.h"
#include "dictionary/translation_history.h"
#include "exchange/exchange_file.h"
#include "ui/auto_translate_dialog.h"
#include "ui/help_viewer.h"
#include "ui/new_language_dialog.h"
#include "ui/project_options_dialog.h"
#include "ui/write_exchange_dialog.h"
#include "ui_fixture.h"

namespace kst {
namespace {

using ui::TCommand;

std::vector<int> Languages(TProjectData& project) {
  std::vector<int> ids;
  for (const TLanguageEntry& l : project.Languages) ids.push_back(l.Item->LanguageId);
  return ids;
}

TEST(NewLanguageDialog, ItemTextsNameTheLanguageAndItsIdentifierAndParseBack) {
  struct TCase {
    int id;
    const char* ending;
  };
  const TCase cases[] = {{0x0C07, " (Austria)\t[$0C07] .DEA"}, {0x0007, "German \t[$0007] .DE"}, {0x040C, "\t[$040C] .FRA"}};
  for (const TCase& c : cases) {
    QString text = ui::NewLanguageItemText(c.id);
    EXPECT_TRUE(text.endsWith(QString::fromUtf8(c.ending))) << text.toStdString();
    EXPECT_EQ(ui::ParseLanguageItem(text), c.id);
  }
  EXPECT_EQ(ui::ParseLanguageItem("German (Germany)\t[0407]"), std::nullopt);
  EXPECT_EQ(ui::ParseLanguageItem("German\t[$XY]"), std::nullopt);
}

TEST(NewLanguageDialog, DoubleClickingAustrianGermanAddsIt) {
  test::TWindowFixture f;
  f.window->show();
  f.window->OpenProject(QString::fromStdString(f.Demo()));
  ASSERT_TRUE(f.window->Action(TCommand::AddLanguage)->isEnabled());
  int chosen = 0;
  test::WhenShown<ui::TfrmNewLanguage>([&](ui::TfrmNewLanguage& d) {
    EXPECT_FALSE(d.OkButton()->isEnabled()) << "nothing chosen yet";
    QListWidget* list = d.List();
    // Sorted without regard to case: the neutral language before its
    // sub-languages.
    int neutral = list->row(d.Item(0x0007)), austria = list->row(d.Item(0x0C07));
    EXPECT_LT(neutral, austria);
    for (int i = 1; i < list->count(); ++i)
      ASSERT_LE(list->item(i - 1)->text().compare(list->item(i)->text(), Qt::CaseInsensitive), 0);
    QListWidgetItem* item = d.Item(0x0C07);
    list->setCurrentItem(item);
    list->scrollToItem(item);
    QApplication::processEvents();
    ASSERT_TRUE(list->viewport()->rect().contains(list->visualItemRect(item).center()));
    test::TWindowFixture::Screenshot(d, "new-language");
    test::DoubleClick(list->viewport(), list->visualItemRect(item).center());
    chosen = d.GetSelectedLanguageId();
  });
  f.window->Action(TCommand::AddLanguage)->trigger();
  EXPECT_EQ(chosen, 0x0C07);
  EXPECT_EQ(Languages(f.window->Project()), std::vector<int>{0x0C07});
  EXPECT_TRUE(f.asked.empty());
}

TEST(NewLanguageDialog, ALanguageTheProjectHasOrWhoseAbbreviationIsTakenIsRefused) {
  test::TWindowFixture f;
  f.AddLanguages({0x0037});  // Georgian, neutral: KA
  f.window->OpenProject(QString::fromStdString(f.Demo()));
  test::WhenShown<ui::TfrmNewLanguage>([&](ui::TfrmNewLanguage& d) {
    struct TCase {
      int id;
      const char* message;
    };
    // Kannada's neutral abbreviation is KA as well: both would write into
    // one language directory.
    const TCase cases[] = {{0x004B, "Georgian [0037] has the same abbreviation KA"},
                           {0x0037, "The project already has the language Georgian [0037]."}};
    for (const TCase& c : cases) {
      d.List()->setCurrentItem(d.Item(c.id));
      d.OkButton()->click();
      EXPECT_TRUE(d.isVisible()) << "the person can choose another one";
      ASSERT_FALSE(f.asked.empty());
      EXPECT_NE(f.asked.back().indexOf(QString::fromLatin1(c.message)), -1) << f.asked.back().toStdString();
    }
    d.CancelButton()->click();
  });
  f.window->Action(TCommand::AddLanguage)->trigger();
  EXPECT_EQ(Languages(f.window->Project()), std::vector<int>{0x0037});
}

TEST(ProjectOptionsDialog, ShowsTheStoredChoiceAndRefusesAnEmptyDirectory) {
  test::TWindowFixture f;
  f.window->OpenProject(QString::fromStdString(f.Demo()));
  struct TCase {
    const char* stored;
    const char* checked;
    const char* edit;
  };
  const TCase cases[] = {{"<translationdirectory>", "ctlTransDir", ""},
                         {"<ProjectOutputDirectory>", "ctlProjDir", ""},
                         {"D:\\Out", "ctlSpecified", "D:\\Out"}};
  for (const TCase& c : cases) {
    f.window->Project().SetOutputDirectory(c.stored);
    test::WhenShown<ui::TfrmProjectOptions>([&](ui::TfrmProjectOptions& d) {
      EXPECT_TRUE(d.findChild<QRadioButton*>(QString::fromLatin1(c.checked))->isChecked()) << c.stored;
      EXPECT_EQ(d.findChild<QLineEdit*>("ctlOutputDir")->text(), QString::fromLatin1(c.edit));
      d.CancelButton()->click();
    });
    f.window->Action(TCommand::ProjectOptions)->trigger();
  }
  test::WhenShown<ui::TfrmProjectOptions>([&](ui::TfrmProjectOptions& d) {
    d.findChild<QLineEdit*>("ctlOutputDir")->clear();
    d.OkButton()->click();
    EXPECT_TRUE(d.isVisible()) << "an empty directory would reach the compiler as -e\"\"";
    ASSERT_EQ(f.asked.size(), 1u);
    QTest::keyClicks(d.findChild<QLineEdit*>("ctlOutputDir"), "/tmp/modules");
    test::TWindowFixture::Screenshot(d, "project-options");
    d.OkButton()->click();
  });
  f.window->Action(TCommand::ProjectOptions)->trigger();
  EXPECT_EQ(f.window->Project().GetOutputDirectory(true, -1), "/tmp/modules");

  test::WhenShown<ui::TfrmProjectOptions>([&](ui::TfrmProjectOptions& d) {
    d.findChild<QRadioButton*>("ctlTransDir")->click();
    d.OkButton()->click();
  });
  f.window->Action(TCommand::ProjectOptions)->trigger();
  EXPECT_EQ(f.window->Project().GetOutputDirectory(true, -1), kTranslationDirectoryPlaceholder);
}

TEST(WriteExchangeFileDialog, PresetFromTheWindowAndAsksBeforeReplacingAFile) {
  test::TWindowFixture f({test::kGerman});
  const std::string file = f.dir.File("demo/project/DEU/Demo.trx");
  test::WhenShown<ui::TfrmWriteExchangeFile>([&](ui::TfrmWriteExchangeFile& d) {
    EXPECT_EQ(d.FileName().toStdString(), file);
    EXPECT_EQ(d.TypeFilter(), kFilterStrings);
    EXPECT_TRUE(d.IncludeOriginal());
    // Tab goes through the controls top to bottom, then to the buttons.
    ASSERT_NE(d.focusWidget(), nullptr);
    QStringList order;
    QWidget* w = d.focusWidget();
    for (int i = 0; i < 8; ++i) {
      order << w->objectName();
      do w = w->nextInFocusChain();
      while (!(w->focusPolicy() & Qt::TabFocus) || !w->isVisible());
    }
    EXPECT_EQ(order, (QStringList{"edtFileName", "btnBrowse", "chkStringProperties", "chkNumericProperties",
                                  "chkSymbolProperties", "chkIncludeOriginalValue", "btnOK", "btnCancel"}));
    test::TWindowFixture::Screenshot(d, "write-exchange-file");
    for (const char* box : {"chkStringProperties", "chkNumericProperties", "chkSymbolProperties"})
      d.findChild<QCheckBox*>(box)->setChecked(false);
    EXPECT_EQ(d.TypeFilter(), 0);
    d.findChild<QCheckBox*>("chkNumericProperties")->setChecked(true);
    d.findChild<QCheckBox*>("chkIncludeOriginalValue")->setChecked(false);
    d.OkButton()->click();
  });
  f.window->Action(TCommand::WriteExchangeFile)->trigger();
  std::string written = ReadFileBytes(file);
  EXPECT_EQ(written, BuildExchangeFile(f.window->Project(), false, kFilterNumbers));
  EXPECT_TRUE(f.asked.empty());

  // The file exists now: No keeps the dialog (and the file), Yes replaces it.
  f.answers = {TAnswer::No, TAnswer::Yes};
  test::WhenShown<ui::TfrmWriteExchangeFile>([&](ui::TfrmWriteExchangeFile& d) {
    d.OkButton()->click();
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(ReadFileBytes(file), written);
    d.OkButton()->click();
  });
  f.window->Action(TCommand::WriteExchangeFile)->trigger();
  ASSERT_EQ(f.asked.size(), 2u);
  EXPECT_NE(f.asked[0].indexOf("already exists"), -1) << f.asked[0].toStdString();
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
  test::TWindowFixture f{{test::kGerman}, true};
};

TEST_F(AutoTranslateDialog, AnEditedCandidateIsWhatIsStoredAndCloseStopsTheWalk) {
  int offered = 0;
  // Entries in the form's order: the label's caption, the button's, the
  // menu item's.
  test::WhenShown<ui::TfrmAutoTranslate>([&](ui::TfrmAutoTranslate& d) {
    ++offered;
    EXPECT_EQ(d.findChild<QLineEdit*>("ctlOriginal")->text(), "&Items:");
    d.SkipButton()->click();
    test::WhenShown<ui::TfrmAutoTranslate>([&](ui::TfrmAutoTranslate& d) {
      ++offered;
      EXPECT_EQ(d.findChild<QLineEdit*>("ctlOriginal")->text(), "&Open...");
      ASSERT_EQ(d.Candidates()->count(), 2);
      EXPECT_EQ(d.Candidates()->item(0)->text(), QString::fromUtf8("\xC3\x96&ffnen...")) << "in the language's code page";
      EXPECT_EQ(d.TranslationEdit()->text(), d.Candidates()->item(0)->text()) << "the first preselected";
      test::TWindowFixture::Screenshot(d, "auto-translation");
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
  f.window->Action(TCommand::AutoTranslate)->trigger();
  EXPECT_EQ(offered, 3);
  EXPECT_EQ(Translation("lblItems.Caption"), "&Items:") << "skipped";
  EXPECT_EQ(Translation("btnOpen.Caption"), "Datei \xF6" "ffnen...") << "the edited text";
  EXPECT_EQ(Translation("mnuFileOpen.Caption"), "&Open...") << "Close stopped the walk";
}

TEST_F(AutoTranslateDialog, ATextTheLanguagesCodePageLacksIsRefusedAndTheCloseBoxStops) {
  test::WhenShown<ui::TfrmAutoTranslate>([&](ui::TfrmAutoTranslate& d) {
    d.TranslationEdit()->setText(QString::fromUtf8("\xD0\x96"));  // Cyrillic Zhe
    d.TranslateButton()->click();
    EXPECT_TRUE(d.isVisible());
    ASSERT_EQ(f.asked.size(), 1u);
    EXPECT_NE(f.asked[0].indexOf("U+0416"), -1) << f.asked[0].toStdString();
    // Its own Help button, in the column of its buttons.
    d.findChild<QPushButton*>("btnHelpColumn")->click();
    ASSERT_NE(f.window->Help().Window(), nullptr);
    EXPECT_TRUE(f.window->Help().Window()->CurrentPage().endsWith("topic-10.html"));
    d.close();
  });
  f.window->Action(TCommand::AutoTranslate)->trigger();
  EXPECT_EQ(Translation("lblItems.Caption"), "&Items:");
  EXPECT_EQ(Translation("btnOpen.Caption"), "&Open...") << "the close box is Cancel";
}

TEST(DialogHelp, EveryDialogsContextHasAPageOfItsOwn) {
  QStringList seen;
  for (int context : {ui::kHelpOptions, ui::kHelpNewLanguage, ui::kHelpProjectOptions, ui::kHelpWriteExchangeFile,
                      ui::kHelpAutoTranslate, ui::kHelpDictionary, ui::kHelpUserDefined, ui::kHelpAddProperty}) {
    QString path = ui::THelpViewer::TopicPath(context);
    EXPECT_FALSE(path.isEmpty()) << context;
    EXPECT_FALSE(seen.contains(path));
    seen << path;
  }
}

}  // namespace
}  // namespace kst
