// The dictionary editor opened from "Edit Dictionary...": an edit, a delete
// and an import vanish on Cancel (the file byte for byte as it was) and
// persist on OK, as another process sees; another process adds to the
// dictionary while the editor holds its changes; texts too long for the field, changes another
// workstation made meanwhile and a busy dictionary keep the dialog open with
// every change; the filter and the language tabs.
#include <gtest/gtest.h>

#include <QPushButton>
#include <QTabBar>

#include <algorithm>
#include <chrono>

#include "dictionary/common.h"
#include "dictionary/dictionary_editor.h"
#include "dictionary/translation_history.h"
#include "platform/database_engine.h"
#include "ui/dictionary_dialog.h"
#include "ui/dictionary_models.h"
#include "ui/edit_grid.h"
#include "ui_fixture.h"

namespace kst {
namespace {

using ui::TCommand;
using ui::TfrmEditDictionary;

constexpr int kGermany = 0x0407, kAustria = 0x0C07;

class DictionaryDialog : public testing::Test {
protected:
  void SetUp() override {
    TdatTranslationHistory& history = f.environment->History();
    history.AddTranslation("Open", "\xD6" "ffnen", kGermany);
    history.AddTranslation("Print", "Drucken", kGermany);
    history.AddTranslation("Save", "Speichern", kGermany);
    test::WriteFile(f.dir.File("strdict.DEU"), "[Strings]\r\nSCloseQuery=Beenden?\r\n");
  }
  std::string DictionaryBytes() {
    f.environment->Common().Database().Exec("PRAGMA wal_checkpoint(TRUNCATE)");
    return ReadFileBytes(f.environment->DictionaryDirectory() + "/" + kDatabaseFileName);
  }
  // What another process finds.
  std::string Lookup(const std::string& source) {
    test::TProgramRun run = test::RunKst("dict lookup '" + source + "' DEU", f.dir.Path(), f.dir.File("cfg"));
    EXPECT_EQ(run.exitCode, 0) << run.err;
    return run.out;
  }
  static int Row(TfrmEditDictionary& d, const QString& text) {
    ui::TSourceModel* model = d.SourceModel();
    for (int i = 0; i < model->rowCount(); ++i)
      if (model->index(i, 0).data().toString() == text) return i;
    return -1;
  }
  // An edit, a delete, a changed translation and an import.
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

TEST_F(DictionaryDialog, CancelForgetsEveryChangeAndOkKeepsThemAll) {
  const std::string before = DictionaryBytes();
  ASSERT_TRUE(f.window->Action(TCommand::EditDictionary)->isEnabled());
  test::WhenShown<TfrmEditDictionary>([&](TfrmEditDictionary& d) {
    Edit(d);
    test::TWindowFixture::Screenshot(d, "dictionary-editor");
    d.CancelButton()->click();
  });
  f.window->Action(TCommand::EditDictionary)->trigger();
  EXPECT_EQ(DictionaryBytes(), before) << "Cancel leaves every byte";
  // Closing the window any other way forgets them too.
  test::WhenShown<TfrmEditDictionary>([&](TfrmEditDictionary& d) {
    Edit(d);
    d.close();
  });
  f.window->Action(TCommand::EditDictionary)->trigger();
  EXPECT_EQ(DictionaryBytes(), before);

  test::WhenShown<TfrmEditDictionary>([&](TfrmEditDictionary& d) {
    Edit(d);
    d.OkButton()->click();
  });
  f.window->Action(TCommand::EditDictionary)->trigger();
  EXPECT_EQ(Lookup("Save as"), "Speichern\n");
  EXPECT_EQ(Lookup("Open"), "");
  EXPECT_EQ(Lookup("Print"), "Ausdrucken\n");
  EXPECT_EQ(Lookup(".ResourceString.SCloseQuery"), "Beenden?\n");
}

TEST_F(DictionaryDialog, AnotherProcessAddsWhileTheEditorHoldsItsChanges) {
  test::WhenShown<TfrmEditDictionary>([&](TfrmEditDictionary& d) {
    Edit(d);
    auto start = std::chrono::steady_clock::now();
    test::TProgramRun run = test::RunKst("dict add Close Schliessen DEU", f.dir.Path(), f.dir.File("cfg"));
    auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_LT(took, std::chrono::seconds(1)) << "the open editor locks nobody out";
    d.OkButton()->click();
  });
  f.window->Action(TCommand::EditDictionary)->trigger();
  EXPECT_EQ(Lookup("Close"), "Schliessen\n");
  EXPECT_EQ(Lookup("Save as"), "Speichern\n");
}

TEST_F(DictionaryDialog, ATextTooLongForTheFieldIsRefusedWholeAndTheRowStaysInEditState) {
  const std::string before = DictionaryBytes();
  test::WhenShown<TfrmEditDictionary>([&](TfrmEditDictionary& d) {
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
    ASSERT_EQ(f.asked.size(), 1u);
    EXPECT_NE(f.asked[0].indexOf("too long"), -1) << f.asked[0].toStdString();
    QLineEdit* editor = test::OpenEditor(*d.TranslationGrid());
    ASSERT_NE(editor, nullptr) << "the typed text is kept to be shortened";
    EXPECT_EQ(editor->text(), tooLong);
    editor->setText(tooLong.left(40));
    d.OkButton()->click();
  });
  f.window->Action(TCommand::EditDictionary)->trigger();
  EXPECT_NE(DictionaryBytes(), before);
  std::vector<std::string> known;
  f.environment->History().GetKnownTranslations("Save", kGermany, known);
  std::sort(known.begin(), known.end());
  EXPECT_EQ(known, (std::vector<std::string>{"Speichern", std::string(40, '\xE4')}));
}

TEST_F(DictionaryDialog, TabsNameTheLanguagesAndNewRowsTakeTheCurrentTabsLanguage) {
  f.environment->History().AddTranslation("Save", "Sichern", kAustria);
  test::WhenShown<TfrmEditDictionary>([&](TfrmEditDictionary& d) {
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
    // The filter narrows the list as the person types.
    QTest::keyClicks(d.Filter(), "pr");
    EXPECT_EQ(d.SourceModel()->rowCount(), 1);
    EXPECT_EQ(d.SourceModel()->index(0, 0).data().toString(), "Print");
    EXPECT_EQ(translations->Rows()[0].text, "Drucken") << "the first row's translations";
    QTest::keyClick(d.Filter(), Qt::Key_Return);
    EXPECT_TRUE(d.isVisible()) << "Enter in the filter box is no OK";
    // Insert starts a new source string; one the filter leaves out is
    // shown all the same, and selected for its translations.
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
  f.window->Action(TCommand::EditDictionary)->trigger();
  std::vector<std::string> known;
  f.environment->History().GetKnownTranslations("Save", kAustria, known);
  EXPECT_EQ(known, (std::vector<std::string>{"Ablegen", "Sichern", "Speichern"}));
  EXPECT_EQ(Lookup("Quit"), "Beenden\n") << "a new translation in the current tab's language";
}

TEST_F(DictionaryDialog, AChangeAnotherWorkstationMadeMeanwhileIsReportedAndTheDialogStays) {
  f.answers = {TAnswer::Yes};  // take the other workstation's version
  int oks = 0;
  test::WhenShown<TfrmEditDictionary>([&](TfrmEditDictionary& d) {
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
    ++oks;
    EXPECT_TRUE(d.isVisible()) << "nothing was overwritten; the dialog stays";
    EXPECT_NE(Row(d, "Save now"), -1) << "their version";
    EXPECT_NE(Row(d, "Print all"), -1) << "the rest of the changes kept";
    d.OkButton()->click();
  });
  f.window->Action(TCommand::EditDictionary)->trigger();
  EXPECT_EQ(oks, 1);
  ASSERT_EQ(f.asked.size(), 1u);
  EXPECT_NE(f.asked[0].indexOf("Another workstation"), -1) << f.asked[0].toStdString();
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
  ASSERT_EQ(f.asked.size(), 1u);
  EXPECT_TRUE(d.Session().HasChanges());
  holder->Rollback();
  d.OkButton()->click();
  EXPECT_FALSE(d.isVisible());
  EXPECT_EQ(Lookup("Save as"), "Speichern\n");
}

}  // namespace
}  // namespace kst
