// Find, Replace and Search again through the window and the real search
// dialog: its defaults and history, the cyclic walk from the current row,
// replace with Yes, No, Cancel and All.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>

#include "session/search.h"
#include "ui/search_commands.h"
#include "ui/search_dialog.h"
#include "ui_fixture.h"

namespace kst {
namespace {

using ui::TCommand;

// F3 as the person presses it once a search was confirmed.
void SearchAgain(test::TWindowFixture& f) {
  f.window->SetSearchAgainPossible(true);
  f.window->UpdateCommands();
  f.window->Action(TCommand::SearchAgain)->trigger();
}

QCheckBox* Box(ui::TfrmSearch& dialog, const char* name) { return dialog.findChild<QCheckBox*>(QString::fromLatin1(name)); }

int ReplacedRows(ui::TTranslationGrid& grid, const std::string& text) {
  int changed = 0;
  for (int row = 0; row < grid.Model()->rowCount(); ++row) changed += grid.Model()->Translation(row).find(text) != std::string::npos;
  return changed;
}

TEST(Search, TheDialogStartsEmptyAndRemembersEveryConfirmedText) {
  test::TWindowFixture f({test::kGerman});
  ui::TTranslationGrid& grid = f.ShowGrid(ui::TTab::ResourceStrings);
  bool looked = false;
  test::WhenShown<ui::TfrmSearch>([&](ui::TfrmSearch& dialog) {
    looked = true;
    // Every scope searched, asking before each replacement.
    EXPECT_TRUE(dialog.SearchString()->currentText().isEmpty());
    EXPECT_TRUE(Box(dialog, "ctlAsk")->isChecked());
    EXPECT_FALSE(Box(dialog, "ctlCaseSensitive")->isChecked());
    for (const char* scope : {"ctlTranslatedValue", "ctlOriginalValue", "ctlPropertyName"})
      EXPECT_TRUE(Box(dialog, scope)->isChecked()) << scope;
    EXPECT_FALSE(dialog.NewText()->isVisibleTo(&dialog));
    test::TWindowFixture::Screenshot(dialog, "dialog-find");
    dialog.SearchString()->setEditText("Ready");
    Box(dialog, "ctlCaseSensitive")->setChecked(true);  // "already" is no match
    dialog.OkButton()->click();
  });
  f.window->Action(TCommand::Find)->trigger();
  ASSERT_TRUE(looked);
  EXPECT_EQ(grid.Model()->Key(grid.CurrentRow()), "Texts_SReady");
  EXPECT_TRUE(f.window->Action(TCommand::SearchAgain)->isEnabled());

  test::WhenShown<ui::TfrmSearch>([&](ui::TfrmSearch& dialog) {
    // Replace works on the translations only: no scope to choose.
    EXPECT_FALSE(dialog.Scope()->isVisibleTo(&dialog));
    EXPECT_TRUE(dialog.NewText()->isVisibleTo(&dialog));
    EXPECT_EQ(dialog.SearchString()->currentText(), "Ready");
    test::TWindowFixture::Screenshot(dialog, "dialog-replace");
    dialog.NewText()->setText("Bereit");
    dialog.OkButton()->click();
  });
  f.answers = {TAnswer::Yes};
  f.window->Action(TCommand::Replace)->trigger();
  EXPECT_EQ(f.window->Project().ResourceStrings.Find(0, "Texts_SReady")->TranslatedValue, "Bereit");
  const TSearchSettings& settings = f.Views().Search().Settings();
  EXPECT_EQ(settings.history, (std::vector<std::string>{"Ready", "Ready"})) << "duplicates kept";
  EXPECT_TRUE(settings.replaceMode);
}

TEST(Search, FindGoesRoundFromTheRowAfterTheCurrentOne) {
  test::TWindowFixture f({test::kGerman});
  ui::TTranslationGrid& grid = f.ShowGrid(ui::TTab::ResourceStrings);
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
  // The key scope searches the names, on the forms tab the property grid's.
  settings.Confirm(false, "SQuoted", "", 0, kScopeKey);
  SearchAgain(f);
  EXPECT_EQ(grid.Model()->Key(grid.CurrentRow()), "Texts_SQuoted");
  ui::TTranslationGrid& properties = f.ShowForm("Main.dfm");
  settings.Confirm(false, "mnuHelpAbout", "", 0, kScopeKey);
  SearchAgain(f);
  EXPECT_EQ(properties.Model()->Key(properties.CurrentRow()), "mnuHelpAbout.Caption");
}

TEST(Search, AllStopsTheQuestionsAndCancelStopsTheWalk) {
  test::TWindowFixture f({test::kGerman});
  ui::TTranslationGrid& grid = f.ShowGrid(ui::TTab::ResourceStrings);
  TSearchSettings& settings = f.Views().Search().Settings();
  // Whatever the hidden scope says, replace works on the translations.
  settings.Confirm(true, "%s", "<%s>", kSearchPromptOnReplace | kSearchReplaceAll, kScopeKey);
  grid.SelectRow(0);
  f.answers = {TAnswer::No, TAnswer::Yes, TAnswer::Cancel};
  SearchAgain(f);
  ASSERT_EQ(f.asked.size(), 3u);
  EXPECT_TRUE(f.asked[0].startsWith("Do you want to replace\n\n")) << f.asked[0].toStdString();
  EXPECT_EQ(ReplacedRows(grid, "<%s>"), 1) << "No skipped one, Yes replaced one, Cancel stopped";

  f.asked.clear();
  f.answers = {TAnswer::All};
  SearchAgain(f);
  EXPECT_EQ(f.asked.size(), 1u) << "All asks no more";
  EXPECT_EQ(ReplacedRows(grid, "<%s>"), 3);

  // Without "Replace all" the first replacement (of every match in the
  // cell) ends the walk.
  f.asked.clear();
  settings.Confirm(true, "line", "Zeile", 0, kScopeTranslated);
  grid.SelectRow(0);
  SearchAgain(f);
  int row = f.Row(grid, "Texts_STwoLines");
  EXPECT_EQ(grid.CurrentRow(), row);
  EXPECT_EQ(grid.Model()->Translation(row), "The first Zeile\\x0D\\x0Aand the second Zeile");
  EXPECT_TRUE(f.asked.empty());
}

}  // namespace
}  // namespace kst
