// Characters on the screen and typed: a Russian language's translations are
// typed and shown in code page 1251 whatever the system's page is, a
// character the page cannot hold is refused and named, and nothing is ever
// stored as "?".
#include <gtest/gtest.h>

#include <QComboBox>
#include <QStatusBar>

#include "ui_fixture.h"

namespace kst {
namespace {

constexpr int kRussian = 0x0419;

TEST(CodePages, CyrillicTypedInARussianLanguageIsStoredAs1251AndComesBack) {
  test::TWindowFixture f({kRussian});
  ui::TTranslationGrid& grid = f.ShowForm("Main.dfm");
  const QString russian = QStringLiteral("\u0424\u0430\u0439\u043B");  // "Файл"
  f.Type(grid, f.Row(grid, "mnuFile.Caption"), QStringLiteral("&") + russian);
  EXPECT_TRUE(f.asked.empty()) << f.asked.front().toStdString();
  f.window->SaveProject();
  std::string file = ReadFileBytes(f.dir.File("demo/project/RUS/Main.TRD"));
  EXPECT_NE(file.find("&\xD4\xE0\xE9\xEB"), std::string::npos) << "1251 bytes in the translation file";
  EXPECT_EQ(file.find("&?"), std::string::npos);

  f.OpenDemo(kRussian);
  f.ShowForm("Main.dfm");
  EXPECT_EQ(f.Cell(grid, f.Row(grid, "mnuFile.Caption"), 4), QStringLiteral("&") + russian);
}

TEST(CodePages, ACharacterThePageCannotHoldIsRefusedAndNamed) {
  test::TWindowFixture f({test::kGerman});  // German: 1252
  ui::TTranslationGrid& grid = f.ShowForm("Main.dfm");
  int row = f.Row(grid, "mnuFile.Caption");
  grid.SelectRow(row, true);
  QLineEdit* editor = grid.Delegate()->OpenEditor();
  ASSERT_NE(editor, nullptr);
  editor->selectAll();
  test::Keys(editor, QStringLiteral("D\u0416a"));
  EXPECT_EQ(editor->text(), "Da") << "the keystroke is refused";
  QString message = f.window->statusBar()->currentMessage();
  EXPECT_TRUE(message.contains(QStringLiteral("\"\u0416\" (U+0416)"))) << message.toStdString();
  EXPECT_TRUE(message.contains("1252")) << message.toStdString();

  // Whatever reaches the model is checked again: the cell keeps its text.
  grid.CommitEdit();
  f.asked.clear();
  EXPECT_FALSE(grid.Model()->setData(grid.Model()->index(row, 4), QStringLiteral("\u0416uk")));
  ASSERT_EQ(f.asked.size(), 1u);
  EXPECT_TRUE(f.asked[0].contains(QStringLiteral("\u0416"))) << f.asked[0].toStdString();
  EXPECT_EQ(f.Cell(grid, row, 4), "Da");
  EXPECT_EQ(f.window->Project().FindModule("Main.dfm")->Root->FindProperty("mnuFile.Caption")->TranslatedValue, "Da");
}

TEST(CodePages, TheDisplayCharacterSetDecidesHowTranslationsAreTyped) {
  test::TWindowFixture f({test::kGerman});
  ui::TTranslationGrid& grid = f.ShowForm("Main.dfm");
  auto* charsets = f.window->findChild<QComboBox*>(QStringLiteral("ctlCharSets"));
  int russian = charsets->findText("RUSSIAN", Qt::MatchContains);
  ASSERT_GE(russian, 0);
  charsets->setCurrentIndex(russian);
  int row = f.Row(grid, "mnuFile.Caption");
  f.Type(grid, row, QStringLiteral("\u0424"));
  EXPECT_EQ(f.window->Project().FindModule("Main.dfm")->Root->FindProperty("mnuFile.Caption")->TranslatedValue, "\xD4");
  EXPECT_EQ(f.Cell(grid, row, 4), QStringLiteral("\u0424"));
}

// A byte the page does not define is shown, and left alone unless the
// translator changes the text.
TEST(CodePages, LookingAtATextWithAnUndefinedByteDoesNotRewriteIt) {
  test::TWindowFixture f({test::kGerman});
  ui::TTranslationGrid& grid = f.ShowGrid(ui::TTab::ResourceStrings);
  f.window->Session().SetTranslation("@Texts_SReady", "Bereit\x81");
  grid.Model()->RefreshRows();
  int row = f.Row(grid, "Texts_SReady");
  grid.SelectRow(row, true);
  QTest::keyClick(grid.Delegate()->OpenEditor(), Qt::Key_Return);
  EXPECT_EQ(f.window->Project().ResourceStrings.Find(0, "Texts_SReady")->TranslatedValue, "Bereit\x81");
  EXPECT_TRUE(f.asked.empty());
}

}  // namespace
}  // namespace kst
