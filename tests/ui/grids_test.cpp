// The translation grids through the window, the translator's keys, code
// pages, and the marks drawn in a cell's text.
#include <gtest/gtest.h>

#include <filesystem>

#include "config/registry_settings.h"
#include "dictionary/translation_history.h"
#include "formmodel/form_conversion.h"
#include "ui/display_state.h"
#include "ui/properties_page.h"
#include "ui/search_commands.h"
#include "ui/spell_checker.h"
#include "ui/text_marks.h"
#include "ui_fixture.h"

namespace kst {
namespace {

using test::Column;
using test::TWindowFixture;
using ui::TCommand;
using ui::TTab;

int Style(ui::TTranslationGrid& grid, int row, int col) { return grid.Model()->index(row, col).data(ui::kStyleRole).toInt(); }

void ClickHeader(ui::TTranslationGrid& grid, int column) {
  QHeaderView* header = grid.View()->horizontalHeader();
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                    QPoint(header->sectionViewportPosition(column) + header->sectionSize(column) / 2, 5));
}

QString CurrentForm(TWindowFixture& f) { return f.Views().Properties()->Selector()->currentText(); }

// Where the keys go: the open editor, or the grid.
QWidget* Target(ui::TTranslationGrid& grid) {
  QWidget* editor = grid.Delegate()->OpenEditor();
  return editor ? editor : grid.View();
}

// One row of each grid; `inScratch` texts are file names in the scratch directory.
struct TGridCase {
  const char* name;
  TTab tab;
  const char* key;  // nullptr: the first row
  int trns;         // the "Trns." column
  // typedBack: the original again, in other letters where letter case does not count
  const char *translation, *typedBack;
  int untranslatedStyle;
  std::string (*stored)(TWindowFixture& f);
  bool inScratch = false;
};

class GridEdits : public testing::TestWithParam<TGridCase> {};

TEST_P(GridEdits, TypeTypeBackResetAndUndo) {
  const TGridCase& c = GetParam();
  TWindowFixture f({test::kGerman});
  f.AddGreeting();
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
                  ui::kStyleHighlighted, [](TWindowFixture& f) { return f.Translation("Main.dfm", "frmMain.Caption"); }},
        // These grids never use the highlighted style.
        TGridCase{"ResourceStrings", TTab::ResourceStrings, "Texts_SReady", 3, "Bereit", "Ready", ui::kStyleStandard,
                  [](TWindowFixture& f) { return f.Translation("Texts_SReady"); }},
        TGridCase{"CustomResources", TTab::CustomResources, nullptr, 1, "demo/project/DEU/Gr\xC3\xBC\xC3\x9F" "e.res",
                  "DEMO/PROJECT/GREETING.RES", ui::kStyleStandard,
                  [](TWindowFixture& f) { return f.window->Project().CustomResources.Items[0]->TranslatedFile; }, true},
        TGridCase{"Version", TTab::VersionResource, "ProductName", 2, "Kestrin-Beispiel", "KESTRIN DEMO",
                  ui::kStyleStandard,
                  [](TWindowFixture& f) { return f.window->Project().VersionInfo.Find("ProductName")->Translation; }}),
    test::TCaseName());

TEST(PropertyGrid, FiltersAndNumbers) {
  TWindowFixture f({test::kGerman});
  ui::TTranslationGrid& grid = f.ShowForm("Main.dfm");
  ASSERT_GT(grid.Model()->rowCount(), 0);
  f.window->Action(TCommand::ShowStringProperties)->trigger();
  EXPECT_EQ(grid.Model()->rowCount(), 0);
  EXPECT_FALSE(f.window->Action(TCommand::ResetTranslation)->isEnabled());
  // Over an empty grid the keyboard flow and the search do nothing.
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
  int row = f.Row(grid, "frmMain.Left");
  f.Type(grid, row, QStringLiteral("left"));
  EXPECT_TRUE(f.Asked(1, "frmMain.Left"));
  EXPECT_EQ(f.Translation("Main.dfm", "frmMain.Left"), "192");
}

// Header clicks sort stably, by character codes (not numbers, not the
// locale's), and the sort survives a change of language (a refill).
TEST(Grids, SortingByHeaderClicksAndAFormOfMoreThan512Values) {
  constexpr int kTrns = 3;
  TWindowFixture f({test::kGerman, test::kFrench});
  std::string drc = ReadFileBytes(f.dir.File("demo/project/Demo.drc"));
  drc.replace(drc.find("STRINGTABLE"), 11, "#define Texts_SHundred 100\r\n#define Texts_STwenty 20\r\nSTRINGTABLE");
  drc.replace(drc.find("END"), 3, "\tTexts_SHundred,\t\"Hundred\"\r\n\tTexts_STwenty,\t\"Twenty\"\r\nEND");
  test::WriteFile(f.dir.File("demo/project/Demo.drc"), drc);
  std::string about = ReadFileBytes(test::DemoDir() + "/forms/About.txt");
  std::string lines;
  for (int i = 0; i < 600; ++i) lines += "\r\n      'Line " + std::to_string(i) + "'";
  size_t at = about.find("Lines.Strings = (") + std::string("Lines.Strings = (").size();
  about.replace(at, about.find(')', at) - at, lines);
  test::WriteFile(f.dir.File("demo/project/About.dfm"), TextToResource(about));
  f.Open(test::kGerman);

  ui::TTranslationGrid& grid = f.ShowForm("Main.dfm");
  QStringList expected = Column(grid, 0);
  f.Type(grid, f.Row(grid, "btnOpen.Caption"), QStringLiteral("\u00D6&ffnen..."));
  f.Type(grid, f.Row(grid, "lblItems.Caption"), QStringLiteral("&Eintr\u00E4ge:"));
  ClickHeader(grid, kTrns);
  QStringList trns = Column(grid, kTrns);
  EXPECT_EQ(trns.count("Yes"), 2);
  // "No" first, and equal texts keep their order: the "No" rows in path order.
  expected.removeAll("btnOpen.Caption");
  expected.removeAll("lblItems.Caption");
  EXPECT_EQ(Column(grid, 0).mid(0, trns.count("No")), expected);
  EXPECT_EQ(grid.View()->horizontalHeader()->sortIndicatorSection(), kTrns);
  const QStringList once = Column(grid, 0);
  ClickHeader(grid, kTrns);
  EXPECT_EQ(Column(grid, 0), once) << "a second sort by the same column changes nothing";

  f.window->SelectLanguage(test::kFrench);
  EXPECT_TRUE(CurrentForm(f).endsWith("Main.dfm"));
  EXPECT_EQ(Column(grid, kTrns).count("Yes"), 0) << "French has nothing translated";
  f.window->SelectLanguage(test::kGerman);
  EXPECT_EQ(Column(grid, 0), once) << "sorted again after the refill";

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

  f.ShowForm("About.dfm");
  EXPECT_GT(grid.Model()->rowCount(), 600);
  EXPECT_GE(f.Row(grid, "memNotes.Lines.Strings[599]"), 0);
}

// Without a dictionary there are no highlighting rules.
TEST(PropertyGrid, HighlightingFollowsTheDictionarysRules) {
  for (bool dictionary : {true, false}) {
    TWindowFixture f({test::kGerman}, dictionary);
    WriteShowHighlightedPropertiesOnly(f.location, dictionary);
    ui::TTranslationGrid& grid = f.ShowForm("Main.dfm");
    QStringList paths = Column(grid, 0);
    ASSERT_GT(paths.size(), 0);
    for (int row = 0; row < grid.Model()->rowCount(); ++row)
      EXPECT_EQ(Style(grid, row, 4), dictionary ? ui::kStyleHighlighted : ui::kStyleStandard) << paths[row].toStdString();
    if (!dictionary) continue;
    // Which paths the rules match is the dictionary's tests'.
    for (const char* path : {"frmMain.Caption", "btnOpen.Hint", "dlgOpen.Filter"}) EXPECT_TRUE(paths.contains(path)) << path;
  }
}

TEST(Grids, AnOpenEditIsStoredWhenTheFormOrTabChangesOrTheWindowCloses) {
  TWindowFixture f({test::kGerman});
  ui::TTranslationGrid& grid = f.ShowForm("Main.dfm");
  test::Keys(f.Editor(grid, f.Row(grid, "mnuHelp.Caption")), QStringLiteral("&Hilfe"));
  f.ShowForm("About.dfm");
  EXPECT_EQ(f.Translation("Main.dfm", "mnuHelp.Caption"), "&Hilfe");

  ui::TTranslationGrid& strings = f.ShowGrid(TTab::ResourceStrings);
  test::Keys(f.Editor(strings, f.Row(strings, "Texts_SReady")), QStringLiteral("Bereit"));
  f.window->ShowTab(TTab::VersionResource);
  EXPECT_EQ(f.Translation("Texts_SReady"), "Bereit");
  EXPECT_FALSE(strings.Editing());

  f.ShowForm("About.dfm");
  test::Keys(f.Editor(grid, f.Row(grid, "btnOK.Caption")), QStringLiteral("Gut"));
  f.answers = {TAnswer::Yes};
  EXPECT_TRUE(f.window->close());
  std::string file = ReadFileBytes(f.dir.File("demo/project/DEU/About.TRD"));
  EXPECT_NE(file.find("Gut"), std::string::npos) << "closing with Yes stored the open edit";
}

// A reset text is no translation remembered from the dictionary.
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
  grid.SelectRow(row);
  test::Key(grid.View(), Qt::Key_D, Qt::ControlModifier);
  EXPECT_TRUE(marked());

  f.Type(grid, row, QStringLiteral("Bereit"));
  ASSERT_TRUE(marked());
  grid.SelectRow(row);
  f.window->Action(TCommand::ResetTranslation)->trigger();
  EXPECT_FALSE(marked());
}

// Pictures for a person to look at; the default colours follow a dark theme.
TEST(Grids, Screenshots) {
  TWindowFixture f({test::kGerman});
  f.AddGreeting();
  ui::TTranslationGrid& grid = f.ShowForm("Main.dfm");
  f.Type(grid, f.Row(grid, "frmMain.Caption"), QStringLiteral("Kestrin-Beispiel"));
  f.Type(grid, f.Row(grid, "lblItems.Caption"), QStringLiteral("&Eintr\u00E4ge:"));
  f.Type(grid, f.Row(grid, "lstItems.Items.Strings[0]"), QStringLiteral("Erster Eintrag"));
  f.Type(grid, f.Row(grid, "lstItems.Items.Strings[1]"), QStringLiteral("Zweiter Eitnrag"));
  grid.SelectRow(f.Row(grid, "mnuFile.Caption"));
  TWindowFixture::Screenshot(*f.window, "grid-forms");
  const QPalette light = f.window->palette();
  f.window->setPalette(QPalette(QColor(60, 60, 60), QColor(45, 45, 45)));
  test::Pump();
  TWindowFixture::Screenshot(*f.window, "grid-forms-dark");
  f.window->setPalette(light);
  ui::TTranslationGrid& strings = f.ShowGrid(TTab::ResourceStrings);
  f.Type(strings, f.Row(strings, "Texts_SFileNotFound"), QStringLiteral("Die Datei %s wurde nicht gefundn."));
  f.Type(strings, f.Row(strings, "Texts_SReady"), QStringLiteral("Bereit"));
  TWindowFixture::Screenshot(*f.window, "grid-resource-strings");
  f.ShowGrid(TTab::CustomResources);
  TWindowFixture::Screenshot(*f.window, "grid-custom-resources");
  ui::TTranslationGrid& version = f.ShowGrid(TTab::VersionResource);
  EXPECT_EQ(f.window->findChild<QLineEdit*>(QStringLiteral("ctlLanguage"))->text(), "1031");
  EXPECT_EQ(f.window->findChild<QLineEdit*>(QStringLiteral("ctlBuild"))->text(), "17");
  EXPECT_TRUE(f.window->findChild<QCheckBox*>(QStringLiteral("ctlIncludeVerInfo"))->isChecked());
  f.Type(version, f.Row(version, "FileDescription"), QStringLiteral("Kestrin-Beispielprogramm"));
  TWindowFixture::Screenshot(*f.window, "grid-version");
  f.window->ShowTab(TTab::Overview);  // a tree, not a grid
  test::Pump();
  TWindowFixture::Screenshot(*f.window, "grid-overview");
}

TEST(KeyboardFlow, CtrlEnterWalksTheUntranslatedRowsTheEditorStaysOpenAndCtrlBCopiesTheOriginal) {
  TWindowFixture f({test::kGerman});
  ui::TTranslationGrid& strings = f.ShowGrid(TTab::ResourceStrings);
  f.window->Session().SetTranslation("@Texts_SReady", "Bereit");
  f.window->Session().SetTranslation("@Consts_SMsgDlgCancel", "Abbrechen");
  strings.Model()->RefreshRows();
  std::vector<int> expected;
  for (int row = 0; row < strings.Model()->rowCount(); ++row)
    if (!strings.Model()->IsTranslated(row)) expected.push_back(row);
  ASSERT_EQ(expected.size(), 6u);
  expected.insert(expected.end(), {expected[0], expected[1]});  // and round again
  strings.SelectRow(0);  // translated ("Abbrechen")
  std::vector<int> visited;
  for (size_t i = 0; i < expected.size(); ++i) {
    test::Key(Target(strings), Qt::Key_Return, Qt::ControlModifier);
    visited.push_back(strings.CurrentRow());
    EXPECT_TRUE(strings.Editing()) << "the editor opens on the row reached";
  }
  EXPECT_EQ(visited, expected);

  const int last = strings.CurrentRow();
  QLineEdit* editor = f.Editor(strings, last);
  test::Keys(editor, QStringLiteral("OK!"));
  test::Key(editor, Qt::Key_Return, Qt::ControlModifier);
  EXPECT_TRUE(strings.Model()->IsTranslated(last));
  EXPECT_NE(strings.CurrentRow(), last);

  ui::TTranslationGrid& grid = f.ShowForm("Main.dfm");
  editor = f.Editor(grid, 2);
  test::Keys(editor, QStringLiteral("Zeile drei"));
  test::Key(editor, Qt::Key_Down, Qt::ControlModifier);
  EXPECT_EQ(grid.CurrentRow(), 3);
  EXPECT_TRUE(grid.Editing());
  EXPECT_EQ(f.Cell(grid, 2, 4), "Zeile drei") << "the row left was committed";
  test::Key(Target(grid), Qt::Key_Up, Qt::ControlModifier);
  test::Key(Target(grid), Qt::Key_Up, Qt::ControlModifier);
  EXPECT_EQ(grid.CurrentRow(), 1);
  EXPECT_TRUE(grid.Editing());

  grid.CommitEdit();
  grid.SelectRow(grid.Model()->rowCount() - 1);
  test::Key(Target(grid), Qt::Key_Return, Qt::ControlModifier);
  EXPECT_TRUE(CurrentForm(f).endsWith("Main.dfm"));
  EXPECT_EQ(grid.CurrentRow(), 0);
  grid.SelectRow(grid.Model()->rowCount() - 1);
  test::Key(Target(grid), Qt::Key_Return, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_TRUE(CurrentForm(f).endsWith("About.dfm")) << CurrentForm(f).toStdString();
  EXPECT_EQ(grid.CurrentRow(), 0);
  EXPECT_TRUE(grid.Editing());
  grid.CommitEdit();

  // Ctrl+B copies the original; in the editor it puts it there to go on from.
  f.ShowForm("Main.dfm");
  int row = f.Row(grid, "mnuFileOpen.Caption");
  f.Type(grid, row, QStringLiteral("\u00D6&ffnen..."));
  grid.SelectRow(row);
  test::Key(grid.View(), Qt::Key_B, Qt::ControlModifier);
  EXPECT_EQ(f.Cell(grid, row, 4), "&Open...");
  EXPECT_FALSE(grid.Model()->IsTranslated(row));
  test::Key(grid.View(), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(f.Cell(grid, row, 4), QStringLiteral("\u00D6&ffnen..."));
  test::Key(grid.View(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(f.Cell(grid, row, 4), "&Open...");
  editor = f.Editor(grid, row);
  editor->setText(QStringLiteral("x"));
  test::Key(editor, Qt::Key_B, Qt::ControlModifier);
  EXPECT_EQ(editor->text(), "&Open...");
  grid.CommitEdit();

  f.Type(grid, f.Row(grid, "mnuFile.Caption"), QStringLiteral("&Datei"));
  f.ShowForm("About.dfm");
  f.window->Action(TCommand::Undo)->trigger();
  EXPECT_TRUE(CurrentForm(f).endsWith("Main.dfm"));
  EXPECT_EQ(f.Cell(grid, f.Row(grid, "mnuFile.Caption"), 4), "&File");
}

// A project of Delphi 7 (text forms, a frame used inline, a wide caption) opens like any other;
// Cyrillic typed for Russian is kept in code page 1251, whatever the system's is, and shown back.
TEST(CodePages, ADelphi7ProjectsWideCaptionTakesCyrillicTypedForRussian) {
  constexpr int kRussian = 0x0419;
  TWindowFixture f;
  std::filesystem::copy(ExtractFileDir(test::DemoDir()) + "/delphi7", f.dir.File("d7"),
                        std::filesystem::copy_options::recursive);
  const std::string dpr = f.dir.File("d7/Shop.dpr"), cp1251 = "\xCC\xE0\xE3\xE0\xE7\xE8\xED \x96 Shop";
  TWindowFixture::AddLanguages(f.location, dpr, {kRussian});
  f.Show();
  f.Open(kRussian, dpr);
  ui::TTranslationGrid& grid = f.ShowForm("Main.dfm");
  EXPECT_EQ(f.Cell(grid, f.Row(grid, "lblWelcome.Caption"), 2), QStringLiteral("Welcome \u2013 Shop"));
  const QString typed = QStringLiteral("\u041C\u0430\u0433\u0430\u0437\u0438\u043D \u2013 Shop");  // "Магазин – Shop"
  f.Type(grid, f.Row(grid, "lblWelcome.Caption"), typed);
  EXPECT_TRUE(f.Asked(0, ""));
  EXPECT_EQ(f.Translation("Main.dfm", "lblWelcome.Caption"), cp1251);
  EXPECT_EQ(f.Cell(grid, f.Row(grid, "lblWelcome.Caption"), 4), typed);
  TWindowFixture::Screenshot(*f.window, "delphi7-project-russian");
  f.window->SaveProject();
  EXPECT_NE(ReadFileBytes(f.dir.File("d7/RUS/Main.TRD")).find(cp1251), std::string::npos);
}

TEST(CodePages, TypedTextIsCheckedAgainstTheLanguagesPage) {
  TWindowFixture f({test::kGerman});
  ui::TTranslationGrid& grid = f.ShowForm("Main.dfm");
  int row = f.Row(grid, "mnuFile.Caption");
  QLineEdit* editor = f.Editor(grid, row);
  test::Keys(editor, QStringLiteral("D\u0416a"));
  EXPECT_EQ(editor->text(), "Da") << "the keystroke is refused";
  QString message = f.window->statusBar()->currentMessage();
  EXPECT_TRUE(message.contains(QStringLiteral("\"\u0416\" (U+0416)")) && message.contains("1252")) << message.toStdString();
  grid.CommitEdit();
  EXPECT_FALSE(grid.Model()->setData(grid.Model()->index(row, 4), QStringLiteral("\u0416uk")));
  EXPECT_TRUE(f.Asked(1, QStringLiteral("\u0416")));
  EXPECT_EQ(f.Translation("Main.dfm", "mnuFile.Caption"), "Da");

  ui::TTranslationGrid& strings = f.ShowGrid(TTab::ResourceStrings);
  f.window->Session().SetTranslation("@Texts_SReady", "Bereit\x81");
  strings.Model()->RefreshRows();
  QTest::keyClick(f.Editor(strings, f.Row(strings, "Texts_SReady")), Qt::Key_Return);
  EXPECT_EQ(f.Translation("Texts_SReady"), "Bereit\x81");
  EXPECT_EQ(f.asked.size(), 1u);

  f.ShowForm("Main.dfm");
  auto* charsets = f.window->findChild<QComboBox*>(QStringLiteral("ctlCharSets"));
  charsets->setCurrentIndex(charsets->findText("RUSSIAN", Qt::MatchContains));
  f.Type(grid, row, QStringLiteral("\u0424"));
  EXPECT_EQ(f.Translation("Main.dfm", "mnuFile.Caption"), "\xD4");
  EXPECT_EQ(f.Cell(grid, row, 4), QStringLiteral("\u0424"));
}

struct TMarkCase {
  const char* text;
  QStringList placeholders, words;
};

class TextMarks : public testing::TestWithParam<TMarkCase> {};

TEST_P(TextMarks, PlaceholdersAndWords) {
  const QString text = ui::ShownText(QString::fromUtf8(GetParam().text));
  QStringList placeholders, words;
  for (const ui::TTextRange& r : ui::PlaceholderRanges(text)) placeholders << text.mid(r.start, r.length);
  for (const ui::TTextRange& w : ui::WordRanges(text)) words << ui::WordText(text, w);
  EXPECT_EQ(placeholders, GetParam().placeholders);
  EXPECT_EQ(words, GetParam().words);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextMarks,
    testing::Values(TMarkCase{"Datei %s nicht gefunden", {"%s"}, {"Datei", "nicht", "gefunden"}},
                    TMarkCase{"%sDatei", {"%s"}, {"Datei"}}, TMarkCase{"%*.*f und %%", {"%*.*f", "%%"}, {"und"}},
                    TMarkCase{"%0:d von %1:-10.2f", {"%0:d", "%1:-10.2f"}, {"von"}},
                    TMarkCase{"100% sicher", {}, {"sicher"}}, TMarkCase{"%z bleibt", {}, {"bleibt"}},
                    TMarkCase{"&Datei", {"&"}, {"Datei"}}, TMarkCase{"\xC3\x96&ffnen", {"&"}, {"\xC3\x96" "ffnen"}},
                    TMarkCase{"Fish && Chips", {"&&"}, {"Fish", "Chips"}}, TMarkCase{"Ende&", {}, {"Ende"}},
                    TMarkCase{"Zeile#13#10neu #$0D", {"#13", "#10", "#$0D"}, {"Zeile", "neu"}},
                    TMarkCase{"Zeile\\x0D\\x0Aneu\\n", {"\\x0D", "\\x0A", "\\n"}, {"Zeile", "neu"}},
                    // Line breaks of any kind and tabs show as one mark each.
                    TMarkCase{"eins\r\nzwei\tdrei", {"\xE2\x86\xB5", "\xE2\x86\x92"}, {"eins", "zwei", "drei"}},
                    TMarkCase{"eins\rzwei\ndrei", {"\xE2\x86\xB5", "\xE2\x86\xB5"}, {"eins", "zwei", "drei"}},
                    TMarkCase{"E-Mail it's MP3 x", {}, {"E-Mail", "it's"}}));

TEST(SpellChecker, DictionariesOfWindowsLanguages) {
  EXPECT_EQ(ui::TSpellChecker::LocaleName(0x0807), "de_CH") << "the sub-language's country";
  EXPECT_EQ(ui::TSpellChecker::LocaleName(0x0007), "de_DE") << "a neutral language stands for its default";
  test::TScratchDir dir;
  ui::TSpellChecker none({QString::fromStdString(dir.Path())});
  EXPECT_FALSE(none.SetLanguage(0x0407));
  EXPECT_TRUE(none.IsCorrect("Wrtt")) << "without a dictionary nothing is marked";
  EXPECT_TRUE(none.StatusText("German (Germany)").contains("no Hunspell dictionary de_DE installed"))
      << none.StatusText("German (Germany)").toStdString();
  ui::TSpellChecker system;
  if (!system.SetLanguage(0x0407)) GTEST_SKIP() << "no German Hunspell dictionary installed";
  ui::TSpellChecker swiss;
  EXPECT_TRUE(swiss.SetLanguage(0x0807)) << "Swiss German falls back to another German dictionary";
  EXPECT_TRUE(swiss.DictionaryName().startsWith("de_"));
}

TEST(Palette, ColoursStayReadableOnADarkTheme) {
  QPalette light, dark;
  light.setColor(QPalette::Base, Qt::white);
  dark.setColor(QPalette::Base, QColor(30, 30, 30));
  EXPECT_LT(ui::TGridDelegate::PlaceholderColor(light).lightness(), 128);
  EXPECT_GT(ui::TGridDelegate::PlaceholderColor(dark).lightness(), 128);
  ui::TDisplayState display;
  EXPECT_EQ(display.Color(ui::kStyleTranslated, light), QColor(0, 0, 255));
  QColor onDark = display.Color(ui::kStyleTranslated, dark);
  EXPECT_GT(onDark.lightness(), 180);
  EXPECT_GT(onDark.blue(), onDark.red()) << "still blue";
  dark.setColor(QPalette::Text, QColor(230, 230, 230));
  EXPECT_EQ(display.Color(ui::kStyleStandard, dark), QColor(230, 230, 230));
}

TEST(Spelling, AMisspelledGermanWordIsMarkedAndItsSuggestionsReplaceIt) {
  TWindowFixture f({test::kGerman});
  if (!f.Views().Spelling().Ready()) GTEST_SKIP() << "no German Hunspell dictionary installed";
  EXPECT_EQ(f.window->findChild<QLabel*>(QStringLiteral("statusSpelling"))->text(), "Spelling: de_DE");
  ui::TTranslationGrid& grid = f.ShowGrid(TTab::ResourceStrings);
  int row = f.Row(grid, "Texts_SFileNotFound");
  QModelIndex cell = grid.Model()->index(row, 5);
  EXPECT_TRUE(grid.Delegate()->Marks(cell).size() == 1 && !grid.Delegate()->Marks(cell)[0].misspelled)
      << "an untranslated text is still English: only its placeholder is marked";
  f.Type(grid, row, QStringLiteral("Die Datei %sgefundn wurde nicht gefunden."));
  const QString shown = cell.data().toString();
  QStringList misspelled, placeholders;
  for (const ui::TGridDelegate::TMark& mark : grid.Delegate()->Marks(cell))
    (mark.misspelled ? misspelled : placeholders) << shown.mid(mark.range.start, mark.range.length);
  EXPECT_EQ(misspelled, QStringList{"gefundn"});
  EXPECT_EQ(placeholders, QStringList{"%s"});
  EXPECT_FALSE(grid.Model()->index(row, 2).data(ui::kSpellRole).toBool()) << "originals are not spelled";

  QLineEdit* editor = f.Editor(grid, row);
  editor->setText(QStringLiteral("Datei %s nicht gefundn"));
  QStringList offered;
  QTimer::singleShot(0, [&] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    for (QAction* action : menu->actions())
      if (action->objectName() == "spellSuggestion") offered << action->text();
    for (QAction* action : menu->actions())
      if (action->objectName() == "spellSuggestion" && action->text() == "gefunden") action->trigger();
    menu->close();
  });
  QPoint at(editor->width() - 4, editor->height() / 2);  // past the text: the last word, "gefundn"
  QContextMenuEvent event(QContextMenuEvent::Mouse, at, editor->mapToGlobal(at));
  QApplication::sendEvent(editor, &event);
  EXPECT_TRUE(offered.contains("gefunden")) << offered.join(",").toStdString();
  EXPECT_EQ(editor->text(), "Datei %s nicht gefunden");
}

TEST(Spelling, ALanguageWithoutAnInstalledDictionaryIsNamedInTheStatusBar) {
  TWindowFixture f({0x0413});  // Dutch: no hunspell-nl here
  if (f.Views().Spelling().Ready()) GTEST_SKIP() << "a Dutch dictionary is installed";
  auto* status = f.window->findChild<QLabel*>(QStringLiteral("statusSpelling"));
  EXPECT_TRUE(status->isVisibleTo(f.window.get()));
  EXPECT_TRUE(status->text().contains("no Hunspell dictionary nl_NL installed for Dutch")) << status->text().toStdString();
  EXPECT_TRUE(status->text().contains("hunspell-nl"));
}

}  // namespace
}  // namespace kst
