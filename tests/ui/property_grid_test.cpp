// The property grid driven through the window on the demo in German: the
// filters, the "Trns." column, sorting that survives refills, editing,
// checking and resetting, highlighting, a form of more than 512 values, and
// edits still open when the form changes or the window closes.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPalette>
#include <QTableView>
#include <QTest>

#include "config/registry_settings.h"
#include "formmodel/form_conversion.h"
#include "platform/file_utils.h"
#include "project/project_data.h"
#include "session/translation_session.h"
#include "ui/cell_editor.h"
#include "ui/grid_delegate.h"
#include "ui/grid_model.h"
#include "ui/main_window.h"
#include "ui/properties_page.h"
#include "ui/search_commands.h"
#include "ui/translation_grid.h"
#include "ui/translation_views.h"
#include "grid_fixture.h"

namespace kst {
namespace {

using ui::TCommand;
constexpr int kTrns = 3, kTranslated = 4;

QStringList Column(ui::TTranslationGrid& grid, int column) {
  QStringList texts;
  for (int row = 0; row < grid.Model()->rowCount(); ++row) texts << grid.Model()->index(row, column).data().toString();
  return texts;
}

void ClickHeader(ui::TTranslationGrid& grid, int column) {
  QHeaderView* header = grid.View()->horizontalHeader();
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                    QPoint(header->sectionViewportPosition(column) + header->sectionSize(column) / 2, 5));
}

const TCHValue& Value(test::TGridFixture& f, const char* form, const char* path) {
  return *f.window->Project().FindModule(form)->Root->FindProperty(path);
}

TEST(PropertyGrid, AllFiltersOffLeavesNoRowAndTheCommandsStaySafe) {
  test::TGridFixture f;
  f.ShowForm("Main.dfm");
  ui::TTranslationGrid& grid = f.Properties();
  ASSERT_GT(grid.Model()->rowCount(), 0);
  f.window->Action(TCommand::ShowStringProperties)->trigger();
  EXPECT_EQ(grid.Model()->rowCount(), 0);
  EXPECT_FALSE(f.window->Action(TCommand::ResetTranslation)->isEnabled());
  // The keyboard flow and the search over an empty grid do nothing.
  grid.CommitNextAction()->trigger();
  grid.CommitNextFormAction()->trigger();
  grid.CopyOriginalAction()->trigger();
  grid.MoveRow(1);
  f.Views().Search().Settings().textToFind = "Demo";
  f.Views().Search().RunFind();
  EXPECT_EQ(grid.CurrentRow(), -1);
  // The tool button turns the numbers on; every row then reads "Num".
  f.window->findChild<QAction*>(QStringLiteral("cmdBtnShowNumericProperties"))->trigger();
  EXPECT_TRUE(f.window->Action(TCommand::ShowNumericProperties)->isChecked());
  ASSERT_GT(grid.Model()->rowCount(), 0);
  EXPECT_EQ(Column(grid, 1).filter("Num").size(), grid.Model()->rowCount());
}

TEST(PropertyGrid, TypingTheOriginalBackShowsNo) {
  test::TGridFixture f;
  f.ShowForm("Main.dfm");
  ui::TTranslationGrid& grid = f.Properties();
  int row = f.Row(grid, "frmMain.Caption");
  f.Type(grid, row, QStringLiteral("Kestrin-Beispiel"));
  EXPECT_EQ(f.Cell(grid, row, kTrns), "Yes");
  EXPECT_EQ(grid.Model()->index(row, kTranslated).data(ui::kStyleRole).toInt(), ui::kStyleTranslated);
  EXPECT_EQ(Value(f, "Main.dfm", "frmMain.Caption").TranslatedValue, "Kestrin-Beispiel");
  f.Type(grid, row, QStringLiteral("Kestrin Demo"));
  EXPECT_EQ(f.Cell(grid, row, kTrns), "No");
  EXPECT_EQ(grid.Model()->index(row, kTranslated).data(ui::kStyleRole).toInt(), ui::kStyleHighlighted)
      << "a caption is highlighted again once it is no longer translated";
  EXPECT_EQ(grid.Model()->index(row, 2).data(ui::kStyleRole).toInt(), ui::kStyleHeader) << "the original is read-only";
}

TEST(PropertyGrid, SortingByTrnsGroupsNoBeforeYesStablyAndSurvivesRefills) {
  test::TGridFixture f({0x0407, 0x040C});
  f.ShowForm("Main.dfm");
  ui::TTranslationGrid& grid = f.Properties();
  const QStringList pathOrder = Column(grid, 0);
  f.Type(grid, f.Row(grid, "btnOpen.Caption"), QStringLiteral("\u00D6&ffnen..."));
  f.Type(grid, f.Row(grid, "lblItems.Caption"), QStringLiteral("&Eintr\u00E4ge:"));
  ClickHeader(grid, kTrns);
  QStringList trns = Column(grid, kTrns);
  QStringList sorted = trns;
  std::stable_sort(sorted.begin(), sorted.end());
  EXPECT_EQ(trns, sorted);
  EXPECT_EQ(trns.count("Yes"), 2);
  EXPECT_EQ(trns.last(), "Yes");
  // Equal texts keep their order: the "No" rows in path order.
  QStringList untranslatedPaths = Column(grid, 0).mid(0, trns.count("No"));
  QStringList expected = pathOrder;
  expected.removeAll("btnOpen.Caption");
  expected.removeAll("lblItems.Caption");
  EXPECT_EQ(untranslatedPaths, expected);
  EXPECT_EQ(grid.View()->horizontalHeader()->sortIndicatorSection(), kTrns);

  const QStringList once = Column(grid, 0);
  ClickHeader(grid, kTrns);
  EXPECT_EQ(Column(grid, 0), once) << "a second sort by the same column changes nothing";

  // Another language refills the grid: sorted again, same form.
  f.window->SelectLanguage(0x040C);
  EXPECT_TRUE(f.Views().Properties()->Selector()->currentText().endsWith("Main.dfm"));
  EXPECT_EQ(Column(grid, kTrns).count("Yes"), 0) << "French has nothing translated";
  f.window->SelectLanguage(0x0407);
  EXPECT_EQ(Column(grid, 0), once) << "sorted again after the refill";
  EXPECT_EQ(f.Cell(grid, f.Row(grid, "btnOpen.Caption"), kTranslated), QStringLiteral("\u00D6&ffnen..."));
}

TEST(PropertyGrid, SortingIsByBytesAndKeepsTheCurrentRow) {
  test::TGridFixture f;
  f.ShowForm("Main.dfm");
  ui::TTranslationGrid& grid = f.Properties();
  grid.SelectRow(f.Row(grid, "mnuFileExit.Caption"));
  ClickHeader(grid, 2);
  QStringList originals = Column(grid, 2);
  // Plain character-code order: "&" (0x26) before capitals, capitals before small letters.
  QStringList bytes = originals;
  std::stable_sort(bytes.begin(), bytes.end(), [](const QString& a, const QString& b) { return a.toLatin1() < b.toLatin1(); });
  EXPECT_EQ(originals, bytes);
  EXPECT_TRUE(originals.front().startsWith('&'));
  EXPECT_EQ(grid.Model()->Key(grid.CurrentRow()), "mnuFileExit.Caption") << "the cursor stays on its row";
}

TEST(PropertyGrid, SwitchingTheLanguageKeepsTheFormAndShowsItsTranslations) {
  test::TGridFixture f({0x0407, 0x040C});
  f.ShowForm("About.dfm");
  ui::TTranslationGrid& grid = f.Properties();
  f.Type(grid, f.Row(grid, "frmAbout.Caption"), QStringLiteral("\u00DCber Kestrin Demo"));
  f.window->SelectLanguage(0x040C);
  EXPECT_TRUE(f.Views().Properties()->Selector()->currentText().endsWith("About.dfm"));
  f.Type(grid, f.Row(grid, "frmAbout.Caption"), QStringLiteral("\u00C0 propos"));
  f.window->SelectLanguage(0x0407);
  EXPECT_EQ(f.Cell(grid, f.Row(grid, "frmAbout.Caption"), kTranslated), QStringLiteral("\u00DCber Kestrin Demo"));
  f.window->SelectLanguage(0x040C);
  EXPECT_EQ(f.Cell(grid, f.Row(grid, "frmAbout.Caption"), kTranslated), QStringLiteral("\u00C0 propos"));
}

TEST(PropertyGrid, AFormOfMoreThan512ValuesListsAllOfThem) {
  test::TGridFixture f;
  // About.dfm made again with a memo of 600 lines.
  std::string text = ReadFileBytes(test::DemoDir() + "/forms/About.txt");
  std::string lines;
  for (int i = 0; i < 600; ++i) lines += "\r\n      'Line " + std::to_string(i) + "'";
  size_t at = text.find("Lines.Strings = (") + std::string("Lines.Strings = (").size();
  size_t end = text.find(')', at);
  text.replace(at, end - at, lines);
  test::WriteFile(f.dir.File("demo/project/About.dfm"), TextToResource(text));
  f.answers = {TAnswer::No};
  f.window->OpenProject(QString::fromStdString(f.Demo()));
  f.window->SelectLanguage(0x0407);
  f.ShowForm("About.dfm");
  ui::TTranslationGrid& grid = f.Properties();
  EXPECT_GT(grid.Model()->rowCount(), 600);
  EXPECT_GE(f.Row(grid, "memNotes.Lines.Strings[599]"), 0);
}

TEST(PropertyGrid, HighlightedOnlyListsWhatTheGridDrawsHighlighted) {
  test::TGridFixture f;
  WriteShowHighlightedPropertiesOnly(f.location, true);
  f.ShowForm("Main.dfm");
  ui::TTranslationGrid& grid = f.Properties();
  QStringList paths = Column(grid, 0);
  EXPECT_TRUE(paths.contains("frmMain.Caption"));
  EXPECT_TRUE(paths.contains("btnOpen.Hint"));
  // Its rule names the class ("TOpenDialog.Filter"), not the component.
  EXPECT_TRUE(paths.contains("dlgOpen.Filter"));
  EXPECT_FALSE(paths.contains("dlgOpen.DefaultExt"));
  EXPECT_FALSE(paths.contains("lstItems.Items.Strings[0]"));
  for (int row = 0; row < grid.Model()->rowCount(); ++row)
    EXPECT_EQ(grid.Model()->index(row, kTranslated).data(ui::kStyleRole).toInt(), ui::kStyleHighlighted);
}

TEST(PropertyGrid, WithoutADictionaryNothingIsHighlighted) {
  test::TGridFixture f({0x0407}, false);
  f.ShowForm("Main.dfm");
  ui::TTranslationGrid& grid = f.Properties();
  ASSERT_GT(grid.Model()->rowCount(), 0);
  for (int row = 0; row < grid.Model()->rowCount(); ++row)
    EXPECT_EQ(grid.Model()->index(row, kTranslated).data(ui::kStyleRole).toInt(), ui::kStyleStandard);
}

TEST(PropertyGrid, ANumberIsCheckedAgainstItsTypeAndTheCellKeepsItsValue) {
  test::TGridFixture f;
  f.ShowForm("Main.dfm");
  f.window->Action(TCommand::ShowNumericProperties)->trigger();
  ui::TTranslationGrid& grid = f.Properties();
  int row = f.Row(grid, "frmMain.Left");
  f.Type(grid, row, QStringLiteral("left"));
  ASSERT_FALSE(f.asked.empty());
  EXPECT_TRUE(f.asked.back().contains("frmMain.Left")) << f.asked.back().toStdString();
  EXPECT_EQ(f.Cell(grid, row, kTranslated), "192");
  EXPECT_EQ(Value(f, "Main.dfm", "frmMain.Left").TranslatedValue, "192");
  f.Type(grid, row, QStringLiteral("200"));
  EXPECT_EQ(f.Cell(grid, row, kTrns), "Yes");
}

TEST(PropertyGrid, ResetPutsTheOriginalBack) {
  test::TGridFixture f;
  f.ShowForm("Main.dfm");
  ui::TTranslationGrid& grid = f.Properties();
  int row = f.Row(grid, "mnuFile.Caption");
  f.Type(grid, row, QStringLiteral("&Datei"));
  grid.SelectRow(row);
  QAction* reset = f.window->Action(TCommand::ResetTranslation);
  ASSERT_TRUE(reset->isEnabled());
  reset->trigger();
  EXPECT_EQ(f.Cell(grid, row, kTranslated), "&File");
  EXPECT_EQ(f.Cell(grid, row, kTrns), "No");
  f.window->Action(TCommand::Undo)->trigger();
  EXPECT_EQ(f.Cell(grid, row, kTranslated), "&Datei") << "a reset is undone like an edit";
}

// An editor still open when the form changes, or when the window closes
// through the save prompt, is stored first.
TEST(PropertyGrid, AnOpenEditIsStoredWhenTheFormChangesOrTheWindowCloses) {
  test::TGridFixture f;
  f.ShowForm("Main.dfm");
  ui::TTranslationGrid& grid = f.Properties();
  grid.SelectRow(f.Row(grid, "mnuHelp.Caption"), true);
  ASSERT_TRUE(grid.Editing());
  test::TGridFixture::Keys(grid.Delegate()->OpenEditor(), QStringLiteral("&Hilfe"));
  f.ShowForm("About.dfm");
  EXPECT_EQ(Value(f, "Main.dfm", "mnuHelp.Caption").TranslatedValue, "&Hilfe");

  grid.SelectRow(f.Row(grid, "btnOK.Caption"), true);
  QLineEdit* editor = grid.Delegate()->OpenEditor();
  editor->selectAll();
  test::TGridFixture::Keys(editor, QStringLiteral("Gut"));
  f.answers = {TAnswer::Yes};
  EXPECT_TRUE(f.window->close());
  std::string file = ReadFileBytes(f.dir.File("demo/project/DEU/About.TRD"));
  EXPECT_NE(file.find("Gut"), std::string::npos) << "closing with Yes stored the open edit";
}

// Screen readers read the cells through Qt's accessible table.
TEST(PropertyGrid, CellsExposeTheirTextToScreenReaders) {
  test::TGridFixture f;
  f.ShowForm("Main.dfm");
  ui::TTranslationGrid& grid = f.Properties();
  int row = f.Row(grid, "mnuFile.Caption");
  f.Type(grid, row, QStringLiteral("&Datei"));
  QAccessibleInterface* table = QAccessible::queryAccessibleInterface(grid.View());
  ASSERT_NE(table, nullptr);
  ASSERT_NE(table->tableInterface(), nullptr);
  QAccessibleInterface* cell = table->tableInterface()->cellAt(row, kTranslated);
  ASSERT_NE(cell, nullptr);
  EXPECT_EQ(cell->text(QAccessible::Name), "&Datei");
  EXPECT_EQ(table->tableInterface()->columnDescription(kTranslated), "Translated Value");
}

TEST(PropertyGrid, Screenshots) {
  test::TGridFixture f;
  f.window->Session().AddCustomResource(f.dir.File("demo/project/Greeting.res"));
  f.window->AfterStructureChange();
  f.ShowForm("Main.dfm");
  ui::TTranslationGrid& grid = f.Properties();
  f.Type(grid, f.Row(grid, "frmMain.Caption"), QStringLiteral("Kestrin-Beispiel"));
  f.Type(grid, f.Row(grid, "lblItems.Caption"), QStringLiteral("&Eintr\u00E4ge:"));
  f.Type(grid, f.Row(grid, "lstItems.Items.Strings[0]"), QStringLiteral("Erster Eintrag"));
  f.Type(grid, f.Row(grid, "lstItems.Items.Strings[1]"), QStringLiteral("Zweiter Eitnrag"));
  grid.SelectRow(f.Row(grid, "mnuFile.Caption"));
  test::TWindowFixture::Screenshot(*f.window, "grid-forms");
  // A dark desktop theme: the default colours follow it.
  QPalette dark;
  dark.setColor(QPalette::Window, QColor(45, 45, 45));
  dark.setColor(QPalette::WindowText, QColor(230, 230, 230));
  dark.setColor(QPalette::Base, QColor(30, 30, 30));
  dark.setColor(QPalette::Text, QColor(230, 230, 230));
  dark.setColor(QPalette::Button, QColor(60, 60, 60));
  dark.setColor(QPalette::ButtonText, QColor(230, 230, 230));
  dark.setColor(QPalette::Light, QColor(90, 90, 90));
  dark.setColor(QPalette::Dark, QColor(20, 20, 20));
  dark.setColor(QPalette::Highlight, QColor(40, 90, 160));
  dark.setColor(QPalette::HighlightedText, Qt::white);
  QPalette before = f.window->palette();
  f.window->setPalette(dark);
  test::Pump();
  test::TWindowFixture::Screenshot(*f.window, "grid-forms-dark");
  f.window->setPalette(before);
  f.window->ShowTab(ui::TTab::ResourceStrings);
  ui::TTranslationGrid& strings = f.Strings();
  f.Type(strings, f.Row(strings, "Texts_SFileNotFound"), QStringLiteral("Die Datei %s wurde nicht gefundn."));
  f.Type(strings, f.Row(strings, "Texts_SReady"), QStringLiteral("Bereit"));
  test::TWindowFixture::Screenshot(*f.window, "grid-resource-strings");
  f.window->ShowTab(ui::TTab::CustomResources);
  test::Pump();
  test::TWindowFixture::Screenshot(*f.window, "grid-custom-resources");
  f.window->ShowTab(ui::TTab::VersionResource);
  f.Type(f.Version(), f.Row(f.Version(), "FileDescription"), QStringLiteral("Kestrin-Beispielprogramm"));
  test::TWindowFixture::Screenshot(*f.window, "grid-version");
  f.window->ShowTab(ui::TTab::Overview);
  test::Pump();
  test::TWindowFixture::Screenshot(*f.window, "grid-overview");
}

}  // namespace
}  // namespace kst
