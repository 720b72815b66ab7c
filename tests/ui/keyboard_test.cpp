// The translator's keyboard flow and undo, through the window's shortcuts:
// Ctrl+Enter walks exactly the untranslated rows (Ctrl+Shift+Enter across
// forms), Ctrl+B copies the original, Ctrl+Up/Down keep the editor open,
// Ctrl+Z / Ctrl+Shift+Z take edits, resets and a whole replace back.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QTableView>

#include "ui/properties_page.h"
#include "ui/search_commands.h"
#include "ui_fixture.h"

namespace kst {
namespace {

using ui::TCommand;

void Key(QWidget* to, Qt::Key key, Qt::KeyboardModifiers modifiers) {
  QApplication::setActiveWindow(to->window());
  EXPECT_TRUE(QTest::qWaitForWindowActive(to->window(), 5000));
  to->setFocus();
  // A shortcut of the grid reaches it only while the focus is inside it.
  EXPECT_TRUE(QTest::qWaitFor([to] { return to->hasFocus(); }, 2000));
  QTest::keyClick(to, key, modifiers);
  test::Pump();
}

// Where the keys go: the open editor, or the grid.
QWidget* Focus(ui::TTranslationGrid& grid) {
  if (QWidget* editor = grid.Delegate()->OpenEditor()) return editor;
  return grid.View();
}

TEST(KeyboardFlow, CtrlEnterWalksExactlyTheUntranslatedRows) {
  test::TWindowFixture f({test::kGerman});
  ui::TTranslationGrid& grid = f.ShowGrid(ui::TTab::ResourceStrings);
  TTranslationSession& session = f.window->Session();
  session.SetTranslation("@Texts_SReady", "Bereit");
  session.SetTranslation("@Consts_SMsgDlgCancel", "Abbrechen");
  grid.Model()->RefreshRows();
  std::vector<int> untranslated;
  for (int row = 0; row < grid.Model()->rowCount(); ++row)
    if (!grid.Model()->IsTranslated(row)) untranslated.push_back(row);
  ASSERT_EQ(untranslated.size(), 6u);
  grid.SelectRow(0);  // translated ("Abbrechen")
  std::vector<int> visited;
  for (size_t i = 0; i < untranslated.size() + 2; ++i) {
    Key(Focus(grid), Qt::Key_Return, Qt::ControlModifier);
    visited.push_back(grid.CurrentRow());
    EXPECT_TRUE(grid.Editing()) << "the editor opens on the row reached";
  }
  std::vector<int> expected = untranslated;
  expected.push_back(untranslated[0]);  // round again
  expected.push_back(untranslated[1]);
  EXPECT_EQ(visited, expected);

  // Typing and Ctrl+Enter: the row is translated and the walk goes on.
  int row = grid.CurrentRow();
  QLineEdit* editor = grid.Delegate()->OpenEditor();
  editor->selectAll();
  test::Keys(editor, QStringLiteral("OK!"));
  Key(editor, Qt::Key_Return, Qt::ControlModifier);
  EXPECT_TRUE(grid.Model()->IsTranslated(row));
  EXPECT_NE(grid.CurrentRow(), row);
}

TEST(KeyboardFlow, CtrlShiftEnterGoesOnInTheNextFormWithAnUntranslatedRow) {
  test::TWindowFixture f({test::kGerman});
  ui::TTranslationGrid& grid = f.ShowForm("Main.dfm");
  int last = grid.Model()->rowCount() - 1;
  grid.SelectRow(last);
  Key(Focus(grid), Qt::Key_Return, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_TRUE(f.Views().Properties()->Selector()->currentText().endsWith("About.dfm"))
      << f.Views().Properties()->Selector()->currentText().toStdString();
  EXPECT_EQ(grid.CurrentRow(), 0);
  EXPECT_TRUE(grid.Editing());
  // Within one form Ctrl+Enter goes round instead.
  f.ShowForm("Main.dfm");
  grid.SelectRow(grid.Model()->rowCount() - 1);
  Key(Focus(grid), Qt::Key_Return, Qt::ControlModifier);
  EXPECT_TRUE(f.Views().Properties()->Selector()->currentText().endsWith("Main.dfm"));
  EXPECT_EQ(grid.CurrentRow(), 0);
}

TEST(KeyboardFlow, CtrlBCopiesTheOriginalAndUndoRedoFollowIt) {
  test::TWindowFixture f({test::kGerman});
  ui::TTranslationGrid& grid = f.ShowForm("Main.dfm");
  int row = f.Row(grid, "mnuFileOpen.Caption");
  f.Type(grid, row, QStringLiteral("\u00D6&ffnen..."));
  grid.SelectRow(row);
  Key(grid.View(), Qt::Key_B, Qt::ControlModifier);
  EXPECT_EQ(f.Cell(grid, row, 4), "&Open...");
  EXPECT_FALSE(grid.Model()->IsTranslated(row));
  Key(grid.View(), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(f.Cell(grid, row, 4), QStringLiteral("\u00D6&ffnen..."));
  Key(grid.View(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(f.Cell(grid, row, 4), "&Open...");
  // In the editor, Ctrl+B puts the original there to go on from.
  grid.SelectRow(row, true);
  QLineEdit* editor = grid.Delegate()->OpenEditor();
  editor->setText(QStringLiteral("x"));
  Key(editor, Qt::Key_B, Qt::ControlModifier);
  EXPECT_EQ(editor->text(), "&Open...");
}

TEST(KeyboardFlow, CtrlUpAndDownMoveWithoutLeavingTheEditor) {
  test::TWindowFixture f({test::kGerman});
  ui::TTranslationGrid& grid = f.ShowForm("Main.dfm");
  grid.SelectRow(2, true);
  QLineEdit* editor = grid.Delegate()->OpenEditor();
  ASSERT_NE(editor, nullptr);
  editor->selectAll();
  test::Keys(editor, QStringLiteral("Zeile drei"));
  Key(editor, Qt::Key_Down, Qt::ControlModifier);
  EXPECT_EQ(grid.CurrentRow(), 3);
  EXPECT_TRUE(grid.Editing());
  EXPECT_EQ(f.Cell(grid, 2, 4), "Zeile drei") << "the row left was committed";
  Key(Focus(grid), Qt::Key_Up, Qt::ControlModifier);
  Key(Focus(grid), Qt::Key_Up, Qt::ControlModifier);
  EXPECT_EQ(grid.CurrentRow(), 1);
  EXPECT_TRUE(grid.Editing());
}

TEST(Undo, AReplaceAllIsOneStepAndUndoRestoresEveryRow) {
  test::TWindowFixture f({test::kGerman});
  ui::TTranslationGrid& grid = f.ShowGrid(ui::TTab::ResourceStrings);
  auto texts = [&] {
    QStringList all;
    for (int row = 0; row < grid.Model()->rowCount(); ++row) all << f.Cell(grid, row, 5);
    return all;
  };
  const QStringList before = texts();
  TSearchSettings& settings = f.Views().Search().Settings();
  settings.Confirm(true, "e", "E", kSearchReplaceAll, kScopeTranslated);
  f.Views().Search().RunReplace();
  const QStringList after = texts();
  ASSERT_NE(after, before);
  EXPECT_EQ(after.filter("e", Qt::CaseSensitive).size(), 0);
  EXPECT_TRUE(f.window->Action(TCommand::Undo)->isEnabled());
  f.window->Action(TCommand::Undo)->trigger();
  EXPECT_EQ(texts(), before);
  EXPECT_FALSE(f.window->Action(TCommand::Undo)->isEnabled()) << "the whole replace was one step";
  f.window->Action(TCommand::Redo)->trigger();
  EXPECT_EQ(texts(), after);
}

TEST(Undo, UndoingAnEditOfAnotherFormShowsThatForm) {
  test::TWindowFixture f({test::kGerman});
  ui::TTranslationGrid& grid = f.ShowForm("Main.dfm");
  f.Type(grid, f.Row(grid, "mnuFile.Caption"), QStringLiteral("&Datei"));
  f.ShowForm("About.dfm");
  f.window->Action(TCommand::Undo)->trigger();
  EXPECT_TRUE(f.Views().Properties()->Selector()->currentText().endsWith("Main.dfm"));
  EXPECT_EQ(f.Cell(grid, f.Row(grid, "mnuFile.Caption"), 4), "&File");
}

}  // namespace
}  // namespace kst
