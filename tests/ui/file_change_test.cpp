// The window's file-change check: a form rewritten on disk is loaded again
// after the person agrees, with its translations, language, form and tab
// back; ticks wait while a dialog, a command or an unchanged project give
// no reason to disturb anything.
#include <gtest/gtest.h>

#include <QDialog>
#include <QTableView>

#include <chrono>
#include <filesystem>

#include "formmodel/form_conversion.h"
#include "ui/file_change_watcher.h"
#include "ui_fixture.h"

namespace kst {
namespace {

// The form with another caption, its time `hours` ahead.
void RewriteMainForm(test::TWindowFixture& f, const std::string& caption, int hours) {
  std::string text = ReadFileBytes(test::DemoDir() + "/forms/Main.txt");
  text.replace(text.find("'Kestrin Demo'"), 14, "'" + caption + "'");
  std::string file = f.dir.File("demo/project/Main.dfm");
  test::WriteFile(file, TextToResource(text));
  std::filesystem::last_write_time(file, std::filesystem::file_time_type::clock::now() + std::chrono::hours(hours));
}

// No keeps the old form and is not asked again; the next change asked
// about, Yes loads the form again with its translations, language, form
// and tab back.
TEST(FileChangeWatcher, ARewrittenFormIsLoadedAgainAfterYesAndItsTranslationsStay) {
  test::TWindowFixture f({test::kGerman});
  EXPECT_TRUE(f.Views().Watcher().Timer()->isActive());
  ui::TTranslationGrid& grid = f.ShowForm("Main.dfm");
  f.Type(grid, f.Row(grid, "mnuFile.Caption"), QStringLiteral("&Datei"));
  EXPECT_FALSE(f.Views().Watcher().Tick()) << "nothing changed";
  RewriteMainForm(f, "Kestrin Demo 2", 1);
  f.answers = {TAnswer::No};
  EXPECT_TRUE(f.Views().Watcher().Tick());
  EXPECT_EQ(f.Cell(grid, f.Row(grid, "frmMain.Caption"), 2), "Kestrin Demo");
  EXPECT_FALSE(f.Views().Watcher().Tick());
  ASSERT_EQ(f.asked.size(), 1u);
  EXPECT_TRUE(f.asked[0].startsWith("The file ")) << f.asked[0].toStdString();
  EXPECT_TRUE(f.asked[0].endsWith("Main.dfm has been changed. Do you want to load the new version?"));

  RewriteMainForm(f, "Kestrin Demo 3", 2);
  f.answers = {TAnswer::Yes};
  EXPECT_TRUE(f.Views().Watcher().Tick());
  EXPECT_EQ(f.asked.size(), 2u);
  EXPECT_EQ(f.window->Session().CurrentLanguage(), test::kGerman);
  EXPECT_TRUE(f.window->CurrentFormName().endsWith("Main.dfm"));
  EXPECT_EQ(f.window->ActiveTab(), ui::TTab::Forms);
  EXPECT_EQ(f.Cell(grid, f.Row(grid, "frmMain.Caption"), 2), "Kestrin Demo 3") << "the new original";
  EXPECT_EQ(f.Cell(grid, f.Row(grid, "mnuFile.Caption"), 4), "&Datei") << "the translation stayed";
  EXPECT_FALSE(f.Views().Watcher().Tick()) << "asked once per change";
}

// The reload would free the form tree a modal loop is working on.
TEST(FileChangeWatcher, ATickWaitsWhileADialogIsOpenOrACommandRuns) {
  test::TWindowFixture f({test::kGerman});
  RewriteMainForm(f, "Kestrin Demo 2", 1);
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
  test::TWindowFixture f({test::kGerman});
  f.ShowForm("Main.dfm");
  RewriteMainForm(f, "Kestrin Demo 2", 1);
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
