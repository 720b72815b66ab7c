// One run of the whole program as a user makes it, with real message boxes:
// start on a scratch copy of the demo (German already added), choose
// German, compile with Ctrl+F9 (the bundled linker, the module checked),
// quit through the save prompt answering Yes.
// The same test runs offscreen and, when xvfb-run is there, once under a
// real X server.
#include <gtest/gtest.h>

#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>

#include "config/registry_settings.h"
#include "ui/log_pane.h"
#include "ui/startup.h"
#include "ui_fixture.h"

namespace kst {
namespace {

TEST(EndToEnd, StartChooseGermanCompileAndQuitThroughTheSavePrompt) {
  test::TScratchDir dir;
  test::CopyDemo(dir.File("demo"));
  TRegistryLocation location = TRegistryLocation::InDirectory(dir.File("cfg"));
  std::string project = dir.File("demo/project/Demo.dpr");
  {
    TTranslatorRegistry registry(location);
    TRecordingInteraction quiet;
    TProjectData p(registry, quiet, TSystemCodePages{1252, 850, 10000});
    p.Open(project);
    p.AddLanguage(0x0407);
    p.Save();
  }
  qputenv("XDG_DATA_HOME", QByteArray::fromStdString(dir.File("data")));
  ui::TProgram program(location, TSystemCodePages{1252, 850, 10000});
  // The first start asks where the dictionary goes; OK takes the default.
  QTimer::singleShot(200, [] {
    if (QWidget* dialog = QApplication::activeModalWidget())
      if (auto* ok = dialog->findChild<QPushButton*>(QStringLiteral("btnOK"))) ok->click();
  });
  ui::TfrmLexibox& window = program.Start({QStringLiteral("kstrans3"), QString::fromStdString(project)});
  qunsetenv("XDG_DATA_HOME");
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  ASSERT_TRUE(window.Session().IsProjectOpen());
  EXPECT_TRUE(FileExists(dir.File("data/kestrin/KSTrans.DB/dictionary.sqlite")));

  window.RefillProjectMenu();
  QAction* german = window.ProjectMenu()->findChild<QAction*>(QStringLiteral("mnuLanguage0407"));
  ASSERT_NE(german, nullptr);
  german->trigger();
  ASSERT_EQ(window.Session().CurrentLanguage(), 0x0407);

  // The window's own shortcut, as a user presses it.
  QApplication::setActiveWindow(&window);
  EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
  QSignalSpy compiled(&window, &ui::TfrmLexibox::CompileFinished);
  QTest::keyClick(&window, Qt::Key_F9, Qt::ControlModifier);
  ASSERT_TRUE(compiled.count() > 0 || compiled.wait(20000)) << "Ctrl+F9 compiles";
  EXPECT_TRUE(compiled.at(0).at(0).toBool()) << "the module was written";
  std::string module = dir.File("demo/project/DEU/Demo.DEU");
  EXPECT_TRUE(FileExists(module));
  EXPECT_TRUE(window.Log().toPlainText().contains("Checked ")) << "the module check follows the compile";
  test::TWindowFixture::Screenshot(window, "main-after-compile");

  // Quit: the save prompt is a real message box; Yes saves and closes.
  bool prompted = false;
  QTimer::singleShot(200, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    prompted = box->text() == "Do you want to save the project settings?";
    box->button(QMessageBox::Yes)->click();
  });
  EXPECT_TRUE(window.close());
  EXPECT_TRUE(prompted);
  EXPECT_FALSE(window.Session().IsProjectOpen());

  test::TProgramRun listed = test::RunKst("pe resources '" + module + "'", dir.Path(), dir.File("cfg"));
  EXPECT_EQ(listed.exitCode, 0) << listed.err;
  EXPECT_NE(listed.out.find("TFRMMAIN"), std::string::npos) << listed.out;
}

}  // namespace
}  // namespace kst
