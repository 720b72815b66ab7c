// The four translation grids driven through the window on the demo in
// German: a typed translation, the original typed back, reset and undo in
// each; the property grid's filters, sorting that survives refills,
// highlighting, a form of more than 512 values, number checks; the
// resource strings' dictionary mark; the version panel; edits still open
// when the form or tab changes or the window closes.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QPalette>
#include <QPushButton>
#include <QTableView>

#include "formmodel/form_conversion.h"
#include "config/registry_settings.h"
#include "dictionary/translation_history.h"
#include "ui/auto_translate_dialog.h"
#include "ui/properties_page.h"
#include "ui/search_commands.h"
#include "ui_fixture.h"

namespace kst {
namespace {

using test::TWindowFixture;
using ui::TCommand;
using ui::TTab;

QStringList Column(ui::TTranslationGrid& grid, int column) {
  QStringList texts;
  for (int row = 0; row < grid.Model()->rowCount(); ++row) texts << grid.Model()->index(row, column).data().toString();
  return texts;
}

int Style(ui::TTranslationGrid& grid, int row, int column) {
  return grid.Model()->index(row, column).data(ui::kStyleRole).toInt();
}

void ClickHeader(ui::TTranslationGrid& grid, int column) {
  QHeaderView* header = grid.View()->horizontalHeader();
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                    QPoint(header->sectionViewportPosition(column) + header->sectionSize(column) / 2, 5));
}

const TCHValue& Value(TWindowFixture& f, const char* form, const char* path) {
  return *f.window->Project().FindModule(form)->Root->FindProperty(path);
}

QString CurrentForm(TWindowFixture& f) { return f.Views().Properties()->Selector()->currentText(); }

// One row of each grid. Texts marked `inScratch` are file names in the
// scratch directory.
struct TGridCase {
  const char* name;
  TTab tab;
  const char* key;  // nullptr: the first row
  int trns;         // the "Trns." column
  const char* translation;
  const char* typedBack;  // the original again, in other letters where letter case does not count
  int untranslatedStyle;
  std::string (*stored)(TWindowFixture& f);
  bool inScratch = false;
};

void PrintTo(const TGridCase& c, std::ostream* os) { *os << c.name; }

class GridEdits : public testing::TestWithParam<TGridCase> {};

// Typed as a translator types: the row says "Yes" in the translated style,
// the project holds the text and screen readers read it; the original typed
// back is no translation; a reset puts the original back and is undone like
// an edit.
TEST_P(GridEdits, TypeTypeBackResetAndUndo) {
  const TGridCase& c = GetParam();
  TWindowFixture f({test::kGerman});
  f.window->Session().AddCustomResource(f.dir.File("demo/project/Greeting.res"));
  f.window->AfterStructureChange();
  ui::TTranslationGrid& grid = c.tab == TTab::Forms ? f.ShowForm("Main.dfm") : f.ShowGrid(c.tab);
  const int row = c.key ? f.Row(grid, c.key) : 0;
  const int edit = grid.Model()->EditColumn(), original = grid.Model()->OriginalColumn();
  auto text = [&](const char* t) { return QString::fromUtf8(c.inScratch ? f.dir.File(t).c_str() : t); };
  EXPECT_EQ(Style(grid, row, edit), c.untranslatedStyle);
  EXPECT_EQ(Style(grid, row, original), ui::kStyleHeader) << "the original is read-only";

  f.Type(grid, row, text(c.translation));
  EXPECT_EQ(f.Cell(grid, row, c.trns), "Yes");
  EXPECT_EQ(Style(grid, row, edit), ui::kStyleTranslated);
  EXPECT_EQ(c.stored(f), text(c.translation).toStdString()) << "file names are kept in UTF-8";
  QAccessibleInterface* table = QAccessible::queryAccessibleInterface(grid.View());
  ASSERT_TRUE(table && table->tableInterface());
  EXPECT_EQ(table->tableInterface()->cellAt(row, edit)->text(QAccessible::Name), text(c.translation));

  f.Type(grid, row, text(c.typedBack));
  EXPECT_EQ(f.Cell(grid, row, c.trns), "No");
  EXPECT_EQ(Style(grid, row, edit), c.untranslatedStyle);

  f.Type(grid, row, text(c.translation));
  grid.SelectRow(row);
  ASSERT_TRUE(f.window->Action(TCommand::ResetTranslation)->isEnabled());
  f.window->Action(TCommand::ResetTranslation)->trigger();
  EXPECT_EQ(f.Cell(grid, row, edit), f.Cell(grid, row, original));
  EXPECT_EQ(f.Cell(grid, row, c.trns), "No");
  f.window->Action(TCommand::Undo)->trigger();
  EXPECT_EQ(f.Cell(grid, row, edit), text(c.translation)) << "a reset is undone like an edit";
}

INSTANTIATE_TEST_SUITE_P(
    Grids, GridEdits,
    testing::Values(
        // A caption is highlighted again once it is no longer translated.
        TGridCase{"Properties", TTab::Forms, "frmMain.Caption", 3, "Kestrin-Beispiel", "Kestrin Demo",
                  ui::kStyleHighlighted,
                  [](TWindowFixture& f) { return Value(f, "Main.dfm", "frmMain.Caption").TranslatedValue; }},
        // These grids never use the highlighted style.
        TGridCase{"ResourceStrings", TTab::ResourceStrings, "Texts_SReady", 3, "Bereit", "Ready", ui::kStyleStandard,
                  [](TWindowFixture& f) {
                    return f.window->Project().ResourceStrings.Find(0, "Texts_SReady")->TranslatedValue;
                  }},
        TGridCase{"CustomResources", TTab::CustomResources, nullptr, 1, "demo/project/DEU/Gr\xC3\xBC\xC3\x9F" "e.res",
                  "DEMO/PROJECT/GREETING.RES", ui::kStyleStandard,
                  [](TWindowFixture& f) { return f.window->Project().CustomResources.Items[0]->TranslatedFile; }, true},
        TGridCase{"Version", TTab::VersionResource, "ProductName", 2, "Kestrin-Beispiel", "KESTRIN DEMO",
                  ui::kStyleStandard,
                  [](TWindowFixture& f) { return f.window->Project().VersionInfo.Find("ProductName")->Translation; }}));

TEST(PropertyGrid, AllFiltersOffLeavesNoRowAndTheCommandsStaySafe) {
  TWindowFixture f({test::kGerman});
  ui::TTranslationGrid& grid = f.ShowForm("Main.dfm");
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

// The sort survives a change of language (which refills the grid), and
// each language keeps its own translations of the form shown.
TEST(PropertyGrid, SortingByTrnsGroupsNoBeforeYesStablyAndSurvivesRefills) {
  constexpr int kTrns = 3, kTranslated = 4;
  TWindowFixture f({test::kGerman, test::kFrench});
  ui::TTranslationGrid& grid = f.ShowForm("Main.dfm");
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

  f.window->SelectLanguage(test::kFrench);
  EXPECT_TRUE(CurrentForm(f).endsWith("Main.dfm"));
  EXPECT_EQ(Column(grid, kTrns).count("Yes"), 0) << "French has nothing translated";
  f.Type(grid, f.Row(grid, "btnOpen.Caption"), QStringLiteral("&Ouvrir..."));
  f.window->SelectLanguage(test::kGerman);
  EXPECT_EQ(Column(grid, 0), once) << "sorted again after the refill";
  EXPECT_EQ(f.Cell(grid, f.Row(grid, "btnOpen.Caption"), kTranslated), QStringLiteral("\u00D6&ffnen..."));
  f.window->SelectLanguage(test::kFrench);
  EXPECT_EQ(f.Cell(grid, f.Row(grid, "btnOpen.Caption"), kTranslated), "&Ouvrir...");
}

// Plain character-code order, not numbers and not the locale's: "&" (0x26)
// before capitals, capitals before small letters, the resource strings'
// identifiers as text.
TEST(Grids, AHeaderClickSortsByCharacterCodesAndKeepsTheCurrentRow) {
  TWindowFixture f({test::kGerman});
  // Two more strings with shorter identifiers in the script.
  std::string drc = ReadFileBytes(f.dir.File("demo/project/Demo.drc"));
  drc.replace(drc.find("STRINGTABLE"), 11, "#define Texts_SHundred 100\r\n#define Texts_STwenty 20\r\nSTRINGTABLE");
  drc.replace(drc.find("END"), 3, "\tTexts_SHundred,\t\"Hundred\"\r\n\tTexts_STwenty,\t\"Twenty\"\r\nEND");
  test::WriteFile(f.dir.File("demo/project/Demo.drc"), drc);
  f.OpenDemo(test::kGerman);

  ui::TTranslationGrid& grid = f.ShowForm("Main.dfm");
  grid.SelectRow(f.Row(grid, "mnuFileExit.Caption"));
  ClickHeader(grid, 2);
  QStringList originals = Column(grid, 2);
  QStringList bytes = originals;
  std::stable_sort(bytes.begin(), bytes.end(), [](const QString& a, const QString& b) { return a.toLatin1() < b.toLatin1(); });
  EXPECT_EQ(originals, bytes);
  EXPECT_TRUE(originals.front().startsWith('&'));
  EXPECT_EQ(grid.Model()->Key(grid.CurrentRow()), "mnuFileExit.Caption") << "the cursor stays on its row";

  ui::TTranslationGrid& strings = f.ShowGrid(TTab::ResourceStrings);
  ClickHeader(strings, 0);
  EXPECT_EQ(Column(strings, 0).mid(0, 3), (QStringList{"100", "20", "65520"}));
}

TEST(PropertyGrid, AFormOfMoreThan512ValuesListsAllOfThem) {
  TWindowFixture f({test::kGerman});
  // About.dfm made again with a memo of 600 lines.
  std::string text = ReadFileBytes(test::DemoDir() + "/forms/About.txt");
  std::string lines;
  for (int i = 0; i < 600; ++i) lines += "\r\n      'Line " + std::to_string(i) + "'";
  size_t at = text.find("Lines.Strings = (") + std::string("Lines.Strings = (").size();
  size_t end = text.find(')', at);
  text.replace(at, end - at, lines);
  test::WriteFile(f.dir.File("demo/project/About.dfm"), TextToResource(text));
  f.OpenDemo(test::kGerman);
  ui::TTranslationGrid& grid = f.ShowForm("About.dfm");
  EXPECT_GT(grid.Model()->rowCount(), 600);
  EXPECT_GE(f.Row(grid, "memNotes.Lines.Strings[599]"), 0);
}

TEST(PropertyGrid, HighlightedOnlyListsWhatTheGridDrawsHighlighted) {
  TWindowFixture f({test::kGerman});
  WriteShowHighlightedPropertiesOnly(f.location, true);
  ui::TTranslationGrid& grid = f.ShowForm("Main.dfm");
  QStringList paths = Column(grid, 0);
  EXPECT_TRUE(paths.contains("frmMain.Caption"));
  EXPECT_TRUE(paths.contains("btnOpen.Hint"));
  // Its rule names the class ("TOpenDialog.Filter"), not the component.
  EXPECT_TRUE(paths.contains("dlgOpen.Filter"));
  EXPECT_FALSE(paths.contains("dlgOpen.DefaultExt"));
  EXPECT_FALSE(paths.contains("lstItems.Items.Strings[0]"));
  for (int row = 0; row < grid.Model()->rowCount(); ++row) EXPECT_EQ(Style(grid, row, 4), ui::kStyleHighlighted);
}

TEST(PropertyGrid, WithoutADictionaryNothingIsHighlighted) {
  TWindowFixture f({test::kGerman}, false);
  ui::TTranslationGrid& grid = f.ShowForm("Main.dfm");
  ASSERT_GT(grid.Model()->rowCount(), 0);
  for (int row = 0; row < grid.Model()->rowCount(); ++row) EXPECT_EQ(Style(grid, row, 4), ui::kStyleStandard);
}

TEST(PropertyGrid, ANumberIsCheckedAgainstItsTypeAndTheCellKeepsItsValue) {
  TWindowFixture f({test::kGerman});
  ui::TTranslationGrid& grid = f.ShowForm("Main.dfm");
  f.window->Action(TCommand::ShowNumericProperties)->trigger();
  int row = f.Row(grid, "frmMain.Left");
  f.Type(grid, row, QStringLiteral("left"));
  ASSERT_FALSE(f.asked.empty());
  EXPECT_TRUE(f.asked.back().contains("frmMain.Left")) << f.asked.back().toStdString();
  EXPECT_EQ(f.Cell(grid, row, 4), "192");
  EXPECT_EQ(Value(f, "Main.dfm", "frmMain.Left").TranslatedValue, "192");
  f.Type(grid, row, QStringLiteral("200"));
  EXPECT_EQ(f.Cell(grid, row, 3), "Yes");
}

// An editor still open when the form or the tab changes, or when the window
// closes through the save prompt, is stored first.
TEST(Grids, AnOpenEditIsStoredWhenTheFormOrTabChangesOrTheWindowCloses) {
  TWindowFixture f({test::kGerman});
  ui::TTranslationGrid& grid = f.ShowForm("Main.dfm");
  grid.SelectRow(f.Row(grid, "mnuHelp.Caption"), true);
  ASSERT_TRUE(grid.Editing());
  test::Keys(grid.Delegate()->OpenEditor(), QStringLiteral("&Hilfe"));
  f.ShowForm("About.dfm");
  EXPECT_EQ(Value(f, "Main.dfm", "mnuHelp.Caption").TranslatedValue, "&Hilfe");

  ui::TTranslationGrid& strings = f.ShowGrid(TTab::ResourceStrings);
  strings.SelectRow(f.Row(strings, "Texts_SReady"), true);
  ASSERT_NE(strings.Delegate()->OpenEditor(), nullptr);
  strings.Delegate()->OpenEditor()->selectAll();
  test::Keys(strings.Delegate()->OpenEditor(), QStringLiteral("Bereit"));
  f.window->ShowTab(TTab::VersionResource);
  EXPECT_EQ(f.window->Project().ResourceStrings.Find(0, "Texts_SReady")->TranslatedValue, "Bereit");
  EXPECT_FALSE(strings.Editing());

  f.ShowForm("About.dfm");
  grid.SelectRow(f.Row(grid, "btnOK.Caption"), true);
  QLineEdit* editor = grid.Delegate()->OpenEditor();
  editor->selectAll();
  test::Keys(editor, QStringLiteral("Gut"));
  f.answers = {TAnswer::Yes};
  EXPECT_TRUE(f.window->close());
  std::string file = ReadFileBytes(f.dir.File("demo/project/DEU/About.TRD"));
  EXPECT_NE(file.find("Gut"), std::string::npos) << "closing with Yes stored the open edit";
}

// The "Dict." mark by mouse and Ctrl+D; a reset text is no translation
// remembered from the dictionary.
TEST(ResourceStringGrid, TheDictMarkTogglesByClickAndCtrlDAndAResetClearsIt) {
  constexpr int kDict = 4;
  TWindowFixture f({test::kGerman});
  ui::TTranslationGrid& grid = f.ShowGrid(TTab::ResourceStrings);
  int row = f.Row(grid, "Texts_SReady");
  TResourceStrListItem& item = *f.window->Project().ResourceStrings.Find(0, "Texts_SReady");
  auto marked = [&] { return grid.Model()->index(row, kDict).data(Qt::CheckStateRole).toInt() == Qt::Checked; };
  auto press = [&] {
    QPoint at = grid.View()->visualRect(grid.Model()->index(row, kDict)).center();
    QTest::mousePress(grid.View()->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseRelease(grid.View()->viewport(), Qt::LeftButton, {}, at);
  };
  EXPECT_FALSE(marked());
  press();
  EXPECT_TRUE(marked());
  EXPECT_EQ(item.FromDictionary, 1);
  EXPECT_EQ(f.Cell(grid, row, kDict), "Yes");
  press();
  EXPECT_FALSE(marked());
  EXPECT_EQ(item.FromDictionary, 0);
  grid.SelectRow(row);
  grid.View()->setFocus();
  QTest::keyClick(grid.View(), Qt::Key_D, Qt::ControlModifier);
  EXPECT_TRUE(marked());

  f.Type(grid, row, QStringLiteral("Bereit"));
  ASSERT_TRUE(marked());
  grid.SelectRow(row);
  f.window->Action(TCommand::ResetTranslation)->trigger();
  EXPECT_FALSE(marked());
}

TEST(VersionGrid, ThePanelShowsTheProjectsNumbersAndTheLanguageInDecimal) {
  TWindowFixture f({test::kGerman});
  f.ShowGrid(TTab::VersionResource);
  EXPECT_EQ(f.window->findChild<QLineEdit*>(QStringLiteral("ctlLanguage"))->text(), "1031");
  EXPECT_EQ(f.window->findChild<QLineEdit*>(QStringLiteral("ctlBuild"))->text(), "17");
  EXPECT_TRUE(f.window->findChild<QCheckBox*>(QStringLiteral("ctlIncludeVerInfo"))->isChecked());
}

// The dictionary's translations offered for the untranslated strings; the
// walk is one step to undo.
TEST(AutoTranslate, TheDictionarysTranslationIsOfferedAndTheWalkIsOneStep) {
  constexpr int kTranslated = 5;
  TWindowFixture f({test::kGerman});
  f.environment->History().AddTranslation("Ready", "Bereit", test::kGerman);
  f.environment->History().AddTranslation("Cancel", "Abbrechen", test::kGerman);
  ui::TTranslationGrid& grid = f.ShowGrid(TTab::ResourceStrings);
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
  EXPECT_EQ(f.Cell(grid, f.Row(grid, "Texts_SReady"), kTranslated), "Bereit");
  EXPECT_EQ(f.Cell(grid, f.Row(grid, "Consts_SMsgDlgCancel"), kTranslated), "Abbrechen");
  f.window->Action(TCommand::Undo)->trigger();
  EXPECT_EQ(f.Cell(grid, f.Row(grid, "Texts_SReady"), kTranslated), "Ready");
  EXPECT_EQ(f.Cell(grid, f.Row(grid, "Consts_SMsgDlgCancel"), kTranslated), "Cancel");
}

TEST(Grids, Screenshots) {
  TWindowFixture f({test::kGerman});
  f.window->Session().AddCustomResource(f.dir.File("demo/project/Greeting.res"));
  f.window->AfterStructureChange();
  ui::TTranslationGrid& grid = f.ShowForm("Main.dfm");
  f.Type(grid, f.Row(grid, "frmMain.Caption"), QStringLiteral("Kestrin-Beispiel"));
  f.Type(grid, f.Row(grid, "lblItems.Caption"), QStringLiteral("&Eintr\u00E4ge:"));
  f.Type(grid, f.Row(grid, "lstItems.Items.Strings[0]"), QStringLiteral("Erster Eintrag"));
  f.Type(grid, f.Row(grid, "lstItems.Items.Strings[1]"), QStringLiteral("Zweiter Eitnrag"));
  grid.SelectRow(f.Row(grid, "mnuFile.Caption"));
  TWindowFixture::Screenshot(*f.window, "grid-forms");
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
  TWindowFixture::Screenshot(*f.window, "grid-forms-dark");
  f.window->setPalette(before);
  ui::TTranslationGrid& strings = f.ShowGrid(TTab::ResourceStrings);
  f.Type(strings, f.Row(strings, "Texts_SFileNotFound"), QStringLiteral("Die Datei %s wurde nicht gefundn."));
  f.Type(strings, f.Row(strings, "Texts_SReady"), QStringLiteral("Bereit"));
  TWindowFixture::Screenshot(*f.window, "grid-resource-strings");
  f.ShowGrid(TTab::CustomResources);
  TWindowFixture::Screenshot(*f.window, "grid-custom-resources");
  ui::TTranslationGrid& version = f.ShowGrid(TTab::VersionResource);
  f.Type(version, f.Row(version, "FileDescription"), QStringLiteral("Kestrin-Beispielprogramm"));
  TWindowFixture::Screenshot(*f.window, "grid-version");
  f.window->ShowTab(TTab::Overview);
  test::Pump();
  TWindowFixture::Screenshot(*f.window, "grid-overview");
}

}  // namespace
}  // namespace kst
