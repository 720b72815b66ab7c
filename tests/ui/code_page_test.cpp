// Characters on the screen and typed: a Russian language's translations are
// typed and shown in code page 1251 whatever the system's page is, a
// character the page cannot hold is refused and named, and nothing is ever
// stored as "?".
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QStatusBar>
#include <QTableView>
#include <QTest>

#include "platform/file_utils.h"
#include "project/project_data.h"
#include "session/translation_session.h"
#include "ui/cell_editor.h"
#include "ui/grid_delegate.h"
#include "ui/grid_model.h"
#include "ui/main_window.h"
#include "ui/translation_grid.h"
#include "grid_fixture.h"

namespace kst {
namespace {

constexpr int kRussian = 0x0419;

TEST(CodePages, CyrillicTypedInARussianLanguageIsStoredAs1251AndComesBack) {
  test::TGridFixture f({kRussian});
  f.ShowForm("Main.dfm");
  ui::TTranslationGrid& grid = f.Properties();
  const QString russian = QStringLiteral("\u0424\u0430\u0439\u043B");  // "Файл"
  f.Type(grid, f.Row(grid, "mnuFile.Caption"), QStringLiteral("&") + russian);
  EXPECT_TRUE(f.asked.empty()) << f.asked.front().toStdString();
  f.window->SaveProject();
  std::string file = ReadFileBytes(f.dir.File("demo/project/RUS/Main.TRD"));
  EXPECT_NE(file.find("&\xD4\xE0\xE9\xEB"), std::string::npos) << "1251 bytes in the translation file";
  EXPECT_EQ(file.find("&?"), std::string::npos);

  f.answers = {TAnswer::No};
  f.window->OpenProject(QString::fromStdString(f.Demo()));
  f.window->SelectLanguage(kRussian);
  f.ShowForm("Main.dfm");
  EXPECT_EQ(f.Cell(grid, f.Row(grid, "mnuFile.Caption"), 4), QStringLiteral("&") + russian);
}

TEST(CodePages, ACharacterThePageCannotHoldIsRefusedAndNamed) {
  test::TGridFixture f;  // German: 1252
  f.ShowForm("Main.dfm");
  ui::TTranslationGrid& grid = f.Properties();
  int row = f.Row(grid, "mnuFile.Caption");
  grid.SelectRow(row, true);
  QLineEdit* editor = grid.Delegate()->OpenEditor();
  ASSERT_NE(editor, nullptr);
  editor->selectAll();
  test::TGridFixture::Keys(editor, QStringLiteral("D\u0416a"));
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
  test::TGridFixture f;
  f.ShowForm("Main.dfm");
  ui::TTranslationGrid& grid = f.Properties();
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
  test::TGridFixture f;
  f.window->ShowTab(ui::TTab::ResourceStrings);
  f.window->Session().SetTranslation("@Texts_SReady", "Bereit\x81");
  ui::TTranslationGrid& grid = f.Strings();
  grid.Model()->RefreshRows();
  int row = f.Row(grid, "Texts_SReady");
  grid.SelectRow(row, true);
  QTest::keyClick(grid.Delegate()->OpenEditor(), Qt::Key_Return);
  EXPECT_EQ(f.window->Project().ResourceStrings.Find(0, "Texts_SReady")->TranslatedValue, "Bereit\x81");
  EXPECT_TRUE(f.asked.empty());
}

}  // namespace
}  // namespace kst
