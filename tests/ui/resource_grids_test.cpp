// The resource-string, custom-resource and version grids through the
// window: the dictionary mark, the identifier sorted as text, translated
// styles, resets, file names and the read-only version panel.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include "platform/file_utils.h"
#include "project/project_data.h"
#include "dictionary/translation_history.h"
#include "session/translation_session.h"
#include "session/translator_environment.h"
#include "ui/auto_translate_dialog.h"
#include "ui/cell_editor.h"
#include "ui/grid_delegate.h"
#include "ui/grid_model.h"
#include "ui/main_window.h"
#include "ui/resource_string_model.h"
#include "ui/translation_grid.h"
#include "dialog_driver.h"
#include "grid_fixture.h"

namespace kst {
namespace {

using ui::TCommand;
constexpr int kDict = 4, kTranslated = 5;

void Press(ui::TTranslationGrid& grid, int row, int column) {
  QTableView* view = grid.View();
  QRect cell = view->visualRect(grid.Model()->index(row, column));
  QTest::mousePress(view->viewport(), Qt::LeftButton, {}, cell.center());
  QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, cell.center());
}

bool Marked(ui::TTranslationGrid& grid, int row) {
  return grid.Model()->index(row, kDict).data(Qt::CheckStateRole).toInt() == Qt::Checked;
}

TEST(ResourceStringGrid, ClickingTheDictCellTwiceReturnsTheMarkAndTheBox) {
  test::TGridFixture f;
  f.window->ShowTab(ui::TTab::ResourceStrings);
  test::Pump();
  ui::TTranslationGrid& grid = f.Strings();
  int row = f.Row(grid, "Texts_SReady");
  TResourceStrListItem& item = *f.window->Project().ResourceStrings.Find(0, "Texts_SReady");
  EXPECT_FALSE(Marked(grid, row));
  Press(grid, row, kDict);
  EXPECT_TRUE(Marked(grid, row));
  EXPECT_EQ(item.FromDictionary, 1);
  EXPECT_EQ(grid.Model()->index(row, kDict).data().toString(), "Yes");
  Press(grid, row, kDict);
  EXPECT_FALSE(Marked(grid, row));
  EXPECT_EQ(item.FromDictionary, 0);
  // From the keyboard on the current row.
  grid.SelectRow(row);
  grid.View()->setFocus();
  QTest::keyClick(grid.View(), Qt::Key_D, Qt::ControlModifier);
  EXPECT_TRUE(Marked(grid, row));
}

TEST(ResourceStringGrid, ATranslatedStringShowsTheTranslatedStyleAndAResetClearsTheMark) {
  test::TGridFixture f;
  f.window->ShowTab(ui::TTab::ResourceStrings);
  ui::TTranslationGrid& grid = f.Strings();
  int row = f.Row(grid, "Texts_SReady");
  EXPECT_EQ(grid.Model()->index(row, kTranslated).data(ui::kStyleRole).toInt(), ui::kStyleStandard)
      << "these grids never use the highlighted style";
  f.Type(grid, row, QStringLiteral("Bereit"));
  EXPECT_EQ(grid.Model()->index(row, kTranslated).data(ui::kStyleRole).toInt(), ui::kStyleTranslated);
  Press(grid, row, kDict);
  ASSERT_TRUE(Marked(grid, row));
  grid.SelectRow(row);
  f.window->Action(TCommand::ResetTranslation)->trigger();
  EXPECT_EQ(grid.Model()->index(row, kTranslated).data().toString(), "Ready");
  EXPECT_FALSE(Marked(grid, row)) << "a reset text is no translation remembered from the dictionary";
}

TEST(ResourceStringGrid, AnEditStillOpenIsStoredWhenTheTabChanges) {
  test::TGridFixture f;
  f.window->ShowTab(ui::TTab::ResourceStrings);
  ui::TTranslationGrid& grid = f.Strings();
  grid.SelectRow(f.Row(grid, "Texts_SReady"), true);
  QLineEdit* editor = grid.Delegate()->OpenEditor();
  ASSERT_NE(editor, nullptr);
  editor->selectAll();
  test::TGridFixture::Keys(editor, QStringLiteral("Bereit"));
  f.window->ShowTab(ui::TTab::VersionResource);
  EXPECT_EQ(f.window->Project().ResourceStrings.Find(0, "Texts_SReady")->TranslatedValue, "Bereit");
  EXPECT_FALSE(grid.Editing());
}

TEST(ResourceStringGrid, TheIdentifierSortsAsText) {
  test::TGridFixture f;
  // Two more strings with shorter identifiers in the script.
  std::string drc = ReadFileBytes(f.dir.File("demo/project/Demo.drc"));
  drc.replace(drc.find("STRINGTABLE"), 11,
              "#define Texts_SHundred 100\r\n#define Texts_STwenty 20\r\nSTRINGTABLE");
  drc.replace(drc.find("END"), 3, "\tTexts_SHundred,\t\"Hundred\"\r\n\tTexts_STwenty,\t\"Twenty\"\r\nEND");
  test::WriteFile(f.dir.File("demo/project/Demo.drc"), drc);
  f.answers = {TAnswer::No};
  f.window->OpenProject(QString::fromStdString(f.Demo()));
  f.window->SelectLanguage(0x0407);
  f.window->ShowTab(ui::TTab::ResourceStrings);
  test::Pump();
  ui::TTranslationGrid& grid = f.Strings();
  QHeaderView* header = grid.View()->horizontalHeader();
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionViewportPosition(0) + 10, 5));
  ASSERT_GE(grid.Model()->rowCount(), 3);
  EXPECT_EQ(grid.Model()->index(0, 0).data().toString(), "100");
  EXPECT_EQ(grid.Model()->index(1, 0).data().toString(), "20");
  EXPECT_EQ(grid.Model()->index(2, 0).data().toString(), "65520");
}

TEST(CustomResourceGrid, TheTranslatedFileIsEditedAndALetterCaseChangeIsNone) {
  test::TGridFixture f;
  std::string file = f.dir.File("demo/project/Greeting.res");
  f.window->Session().AddCustomResource(file);
  f.window->AfterStructureChange();
  f.window->ShowTab(ui::TTab::CustomResources);
  ui::TTranslationGrid& grid = f.CustomResources();
  ASSERT_EQ(grid.Model()->rowCount(), 1);
  std::string german = f.dir.File("demo/project/DEU/Gr\xC3\xBC\xC3\x9F" "e.res");
  f.Type(grid, 0, QString::fromStdString(german));
  EXPECT_EQ(f.window->Project().CustomResources.Items[0]->TranslatedFile, german) << "file names are kept in UTF-8";
  EXPECT_EQ(grid.Model()->index(0, 1).data().toString(), "Yes");
  f.Type(grid, 0, QString::fromStdString(file).toUpper());
  EXPECT_EQ(grid.Model()->index(0, 1).data().toString(), "No") << "the same file in other letters";
}

TEST(VersionGrid, ThePanelShowsTheProjectsNumbersAndTheLanguageInDecimal) {
  test::TGridFixture f;
  f.window->ShowTab(ui::TTab::VersionResource);
  test::Pump();
  EXPECT_EQ(f.window->findChild<QLineEdit*>(QStringLiteral("ctlLanguage"))->text(), "1031");
  EXPECT_EQ(f.window->findChild<QLineEdit*>(QStringLiteral("ctlBuild"))->text(), "17");
  EXPECT_TRUE(f.window->findChild<QCheckBox*>(QStringLiteral("ctlIncludeVerInfo"))->isChecked());
  ui::TTranslationGrid& grid = f.Version();
  int row = f.Row(grid, "ProductName");
  f.Type(grid, row, QStringLiteral("KESTRIN DEMO"));
  EXPECT_EQ(grid.Model()->index(row, 2).data().toString(), "No") << "a change of letter case does not count here";
  f.Type(grid, row, QStringLiteral("Kestrin-Beispiel"));
  EXPECT_EQ(grid.Model()->index(row, 2).data().toString(), "Yes");
  EXPECT_EQ(f.window->Project().VersionInfo.Find("ProductName")->Translation, "Kestrin-Beispiel");
}

// The dictionary's translations offered for the untranslated strings; the
// walk is one step to undo.
TEST(AutoTranslate, TheDictionarysTranslationIsOfferedAndTheWalkIsOneStep) {
  test::TGridFixture f;
  f.environment->History().AddTranslation("Ready", "Bereit", 0x0407);
  f.environment->History().AddTranslation("Cancel", "Abbrechen", 0x0407);
  f.window->ShowTab(ui::TTab::ResourceStrings);
  ui::TTranslationGrid& grid = f.Strings();
  ASSERT_TRUE(f.window->Action(TCommand::AutoTranslate)->isEnabled());
  int offered = 0;
  test::WhenShown<ui::TfrmAutoTranslate>([&](ui::TfrmAutoTranslate& d) {
    ++offered;
    test::WhenShown<ui::TfrmAutoTranslate>([&](ui::TfrmAutoTranslate& d) {
      ++offered;
      d.TranslateButton()->click();
    });
    d.TranslateButton()->click();
  });
  f.window->Action(TCommand::AutoTranslate)->trigger();
  EXPECT_EQ(offered, 2) << "only the strings the dictionary knows are offered";
  EXPECT_EQ(grid.Model()->index(f.Row(grid, "Texts_SReady"), kTranslated).data().toString(), "Bereit");
  EXPECT_EQ(grid.Model()->index(f.Row(grid, "Consts_SMsgDlgCancel"), kTranslated).data().toString(), "Abbrechen");
  f.window->Action(TCommand::Undo)->trigger();
  EXPECT_EQ(grid.Model()->index(f.Row(grid, "Texts_SReady"), kTranslated).data().toString(), "Ready");
  EXPECT_EQ(grid.Model()->index(f.Row(grid, "Consts_SMsgDlgCancel"), kTranslated).data().toString(), "Cancel");
}

}  // namespace
}  // namespace kst
