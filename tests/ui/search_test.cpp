// Find, Replace and Search again through the window and the real search
// dialog: its defaults and history, the cyclic walk from the current row,
// replace with Yes, No, Cancel and All.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <functional>

#include "project/project_data.h"
#include "session/search.h"
#include "session/translation_session.h"
#include "ui/grid_model.h"
#include "ui/main_window.h"
#include "ui/search_commands.h"
#include "ui/search_dialog.h"
#include "ui/translation_grid.h"
#include "ui/translation_views.h"
#include "grid_fixture.h"

namespace kst {
namespace {

using ui::TCommand;

// Runs `fill` on the dialog the command opens, then presses OK.
void WithDialog(const std::function<void(ui::TfrmSearch&)>& fill) {
  QTimer::singleShot(0, [fill] {
    auto* dialog = qobject_cast<ui::TfrmSearch*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    fill(*dialog);
    dialog->OkButton()->click();
  });
}

// F3 as the person presses it once a search was confirmed.
void SearchAgain(test::TGridFixture& f) {
  f.window->SetSearchAgainPossible(true);
  f.window->UpdateCommands();
  f.window->Action(TCommand::SearchAgain)->trigger();
}

QCheckBox* Box(ui::TfrmSearch& dialog, const char* name) { return dialog.findChild<QCheckBox*>(QString::fromLatin1(name)); }

TEST(Search, TheDialogStartsEmptyAndRemembersEveryConfirmedText) {
  test::TGridFixture f;
  f.window->ShowTab(ui::TTab::ResourceStrings);
  bool looked = false;
  WithDialog([&](ui::TfrmSearch& dialog) {
    looked = true;
    EXPECT_EQ(dialog.windowTitle(), "Find");
    EXPECT_TRUE(dialog.SearchString()->currentText().isEmpty());
    EXPECT_TRUE(Box(dialog, "ctlAsk")->isChecked());
    EXPECT_FALSE(Box(dialog, "ctlCaseSensitive")->isChecked());
    for (const char* scope : {"ctlTranslatedValue", "ctlOriginalValue", "ctlPropertyName"})
      EXPECT_TRUE(Box(dialog, scope)->isChecked()) << scope;
    EXPECT_FALSE(dialog.NewText()->isVisibleTo(&dialog));
    test::TWindowFixture::Screenshot(dialog, "dialog-find");
    dialog.SearchString()->setEditText("Ready");
    Box(dialog, "ctlCaseSensitive")->setChecked(true);  // "already" is no match
  });
  f.window->Action(TCommand::Find)->trigger();
  ASSERT_TRUE(looked);
  EXPECT_EQ(f.Strings().Model()->Key(f.Strings().CurrentRow()), "Texts_SReady");
  EXPECT_TRUE(f.window->Action(TCommand::SearchAgain)->isEnabled());

  WithDialog([&](ui::TfrmSearch& dialog) {
    EXPECT_EQ(dialog.windowTitle(), "Replace");
    EXPECT_FALSE(dialog.Scope()->isVisibleTo(&dialog));
    EXPECT_TRUE(dialog.NewText()->isVisibleTo(&dialog));
    EXPECT_EQ(dialog.SearchString()->currentText(), "Ready");
    test::TWindowFixture::Screenshot(dialog, "dialog-replace");
    dialog.NewText()->setText("Bereit");
  });
  f.answers = {TAnswer::Yes};
  f.window->Action(TCommand::Replace)->trigger();
  EXPECT_EQ(f.window->Project().ResourceStrings.Find(0, "Texts_SReady")->TranslatedValue, "Bereit");
  const TSearchSettings& settings = f.Views().Search().Settings();
  EXPECT_EQ(settings.history, (std::vector<std::string>{"Ready", "Ready"})) << "duplicates kept";
  EXPECT_TRUE(settings.replaceMode);
}

TEST(Search, FindGoesRoundFromTheRowAfterTheCurrentOne) {
  test::TGridFixture f;
  f.window->ShowTab(ui::TTab::ResourceStrings);
  ui::TTranslationGrid& grid = f.Strings();
  TSearchSettings& settings = f.Views().Search().Settings();
  settings.Confirm(false, "Cancel", "", kSearchPromptOnReplace, kScopeOriginal);
  int cancel = f.Row(grid, "Consts_SMsgDlgCancel");
  grid.SelectRow(grid.Model()->rowCount() - 1);
  SearchAgain(f);
  EXPECT_EQ(grid.CurrentRow(), cancel) << "after the last row comes the first";
  SearchAgain(f);
  EXPECT_EQ(grid.CurrentRow(), cancel) << "the only match is found again after a full round";
  settings.Confirm(false, "nothing like this", "", kSearchPromptOnReplace, 7);
  SearchAgain(f);
  EXPECT_EQ(grid.CurrentRow(), cancel) << "no match leaves the current row";
  // The key scope searches the names.
  settings.Confirm(false, "SQuoted", "", 0, kScopeKey);
  SearchAgain(f);
  EXPECT_EQ(grid.Model()->Key(grid.CurrentRow()), "Texts_SQuoted");
}

TEST(Search, FindOnTheFormsTabSearchesThePropertyGrid) {
  test::TGridFixture f;
  f.ShowForm("Main.dfm");
  TSearchSettings& settings = f.Views().Search().Settings();
  settings.Confirm(false, "mnuHelpAbout", "", 0, kScopeKey);
  SearchAgain(f);
  EXPECT_EQ(f.Properties().Model()->Key(f.Properties().CurrentRow()), "mnuHelpAbout.Caption");
}

TEST(Search, AllStopsTheQuestionsAndCancelStopsTheWalk) {
  test::TGridFixture f;
  f.window->ShowTab(ui::TTab::ResourceStrings);
  ui::TTranslationGrid& grid = f.Strings();
  TSearchSettings& settings = f.Views().Search().Settings();
  // Whatever the hidden scope says, replace works on the translations.
  settings.Confirm(true, "%s", "<%s>", kSearchPromptOnReplace | kSearchReplaceAll, kScopeKey);
  grid.SelectRow(0);
  f.answers = {TAnswer::No, TAnswer::Yes, TAnswer::Cancel};
  SearchAgain(f);
  ASSERT_EQ(f.asked.size(), 3u);
  EXPECT_TRUE(f.asked[0].startsWith("Do you want to replace\n\n")) << f.asked[0].toStdString();
  int changed = 0;
  for (int row = 0; row < grid.Model()->rowCount(); ++row) changed += grid.Model()->Translation(row).find("<%s>") != std::string::npos;
  EXPECT_EQ(changed, 1) << "No skipped one, Yes replaced one, Cancel stopped";

  f.asked.clear();
  f.answers = {TAnswer::All};
  SearchAgain(f);
  EXPECT_EQ(f.asked.size(), 1u) << "All asks no more";
  changed = 0;
  for (int row = 0; row < grid.Model()->rowCount(); ++row) changed += grid.Model()->Translation(row).find("<%s>") != std::string::npos;
  EXPECT_EQ(changed, 3);
}

TEST(Search, WithoutReplaceAllTheFirstReplacementEndsTheWalk) {
  test::TGridFixture f;
  f.window->ShowTab(ui::TTab::ResourceStrings);
  ui::TTranslationGrid& grid = f.Strings();
  TSearchSettings& settings = f.Views().Search().Settings();
  settings.Confirm(true, "line", "Zeile", 0, kScopeTranslated);
  grid.SelectRow(0);
  SearchAgain(f);
  int row = f.Row(grid, "Texts_STwoLines");
  EXPECT_EQ(grid.CurrentRow(), row);
  EXPECT_EQ(grid.Model()->Translation(row), "The first Zeile\\x0D\\x0Aand the second Zeile") << "every match in the cell";
  EXPECT_TRUE(f.asked.empty());
}

}  // namespace
}  // namespace kst
