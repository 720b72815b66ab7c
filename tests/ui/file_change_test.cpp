// The window's file-change check: a form rewritten on disk is loaded again
// after the person agrees, with its translations, language, form and tab
// back; ticks wait while a dialog, a command or an unchanged project give
// no reason to disturb anything.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDialog>
#include <QTableView>
#include <QTimer>

#include <chrono>
#include <filesystem>

#include "formmodel/form_conversion.h"
#include "platform/file_utils.h"
#include "project/project_data.h"
#include "session/translation_session.h"
#include "ui/file_change_watcher.h"
#include "ui/grid_model.h"
#include "ui/main_window.h"
#include "ui/properties_page.h"
#include "ui/qt_interaction.h"
#include "ui/translation_grid.h"
#include "ui/translation_views.h"
#include "grid_fixture.h"

namespace kst {
namespace {

void RewriteMainForm(test::TGridFixture& f, const std::string& caption) {
  std::string text = ReadFileBytes(test::DemoDir() + "/forms/Main.txt");
  text.replace(text.find("'Kestrin Demo'"), 14, "'" + caption + "'");
  std::string file = f.dir.File("demo/project/Main.dfm");
  test::WriteFile(file, TextToResource(text));
  std::filesystem::last_write_time(file, std::filesystem::file_time_type::clock::now() + std::chrono::hours(1));
}

TEST(FileChangeWatcher, ARewrittenFormIsLoadedAgainAfterYesAndItsTranslationsStay) {
  test::TGridFixture f;
  EXPECT_EQ(f.Views().Watcher().Timer()->interval(), 10000);
  EXPECT_TRUE(f.Views().Watcher().Timer()->isActive());
  f.ShowForm("Main.dfm");
  ui::TTranslationGrid& grid = f.Properties();
  f.Type(grid, f.Row(grid, "mnuFile.Caption"), QStringLiteral("&Datei"));
  EXPECT_FALSE(f.Views().Watcher().Tick()) << "nothing changed";
  RewriteMainForm(f, "Kestrin Demo 2");
  f.answers = {TAnswer::Yes};
  EXPECT_TRUE(f.Views().Watcher().Tick());
  ASSERT_EQ(f.asked.size(), 1u);
  EXPECT_TRUE(f.asked[0].startsWith("The file ")) << f.asked[0].toStdString();
  EXPECT_TRUE(f.asked[0].endsWith("Main.dfm has been changed. Do you want to load the new version?"));
  EXPECT_EQ(f.window->Session().CurrentLanguage(), 0x0407);
  EXPECT_TRUE(f.window->CurrentFormName().endsWith("Main.dfm"));
  EXPECT_EQ(f.window->ActiveTab(), ui::TTab::Forms);
  EXPECT_EQ(f.Cell(grid, f.Row(grid, "frmMain.Caption"), 2), "Kestrin Demo 2") << "the new original";
  EXPECT_EQ(f.Cell(grid, f.Row(grid, "mnuFile.Caption"), 4), "&Datei") << "the translation stayed";
  EXPECT_FALSE(f.Views().Watcher().Tick()) << "asked once per change";
}

TEST(FileChangeWatcher, NoKeepsTheOldFormAndIsNotAskedAgain) {
  test::TGridFixture f;
  f.ShowForm("Main.dfm");
  RewriteMainForm(f, "Kestrin Demo 2");
  f.answers = {TAnswer::No};
  EXPECT_TRUE(f.Views().Watcher().Tick());
  EXPECT_EQ(f.Cell(f.Properties(), f.Row(f.Properties(), "frmMain.Caption"), 2), "Kestrin Demo");
  EXPECT_FALSE(f.Views().Watcher().Tick());
  EXPECT_EQ(f.asked.size(), 1u);
}

// The reload would free the form tree a modal loop is working on.
TEST(FileChangeWatcher, ATickWaitsWhileADialogIsOpenOrACommandRuns) {
  test::TGridFixture f;
  RewriteMainForm(f, "Kestrin Demo 2");
  f.answers = {TAnswer::Yes};
  bool duringDialog = true;
  QDialog dialog(f.window.get());
  QTimer::singleShot(0, [&] {
    duringDialog = f.Views().Watcher().Tick();
    dialog.reject();
  });
  dialog.exec();
  EXPECT_FALSE(duringDialog);
  EXPECT_TRUE(f.asked.empty());
  {
    TBusyGuard command(f.window->Session());
    EXPECT_FALSE(f.Views().Watcher().Tick());
  }
  EXPECT_TRUE(f.Views().Watcher().Tick()) << "the next quiet tick asks";
  EXPECT_EQ(f.asked.size(), 1u);
}

// Answering the second question opens a modal loop in which the grid
// paints while the first form has already been read again.
TEST(FileChangeWatcher, TheGridPaintsSafelyBetweenTwoReloads) {
  test::TGridFixture f;
  f.ShowForm("Main.dfm");
  RewriteMainForm(f, "Kestrin Demo 2");
  std::string about = f.dir.File("demo/project/About.dfm");
  std::filesystem::last_write_time(about, std::filesystem::file_time_type::clock::now() + std::chrono::hours(2));
  int questions = 0;
  f.interaction->SetAnswerer([&](const QString&, TButtons) {
    if (++questions == 2) {
      // What a real message box's event loop does meanwhile.
      f.Properties().View()->viewport()->repaint();
      for (int row = 0; row < f.Properties().Model()->rowCount(); ++row) f.Cell(f.Properties(), row, 2);
    }
    return TAnswer::Yes;
  });
  EXPECT_TRUE(f.Views().Watcher().Tick());
  EXPECT_EQ(questions, 2);
  EXPECT_EQ(f.Cell(f.Properties(), f.Row(f.Properties(), "frmMain.Caption"), 2), "Kestrin Demo 2");
}

}  // namespace
}  // namespace kst
