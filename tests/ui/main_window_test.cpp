// The main window driven as a user drives it, on a copy of the demo project:
// the save prompt, recent projects, Internationalize mode and the language
// items, a compile whose output arrives while the compiler runs, and start-up
// with its dictionary set-up. Screenshots of the main states go into the
// build directory (ui-screenshots/) for a person to look at.
#include <gtest/gtest.h>

#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>

#include <filesystem>

#include "config/registry_settings.h"
#include "dictionary/config_data.h"
#include "platform/same_text.h"
#include "ui/compile_runner.h"
#include "ui/database_setup_dialog.h"
#include "ui/log_pane.h"
#include "ui/startup.h"
#include "ui_fixture.h"

namespace kst {
namespace {

namespace fs = std::filesystem;
using ui::TCommand;

QStringList LanguageItems(ui::TfrmLexibox& window) {
  QStringList items;
  for (QAction* a : window.ProjectMenu()->actions())
    if (a->objectName().startsWith(QLatin1String("mnuLanguage"))) items << a->text();
  return items;
}

QAction* LanguageItem(ui::TfrmLexibox& window, int id) {
  return window.ProjectMenu()->findChild<QAction*>(QStringLiteral("mnuLanguage%1").arg(id, 4, 16, QLatin1Char('0')));
}

TEST(MainWindow, OpenAskAndCancelKeepsTheOpenProject) {
  test::TWindowFixture f;
  fs::copy(f.dir.File("demo/project"), f.dir.File("other"), fs::copy_options::recursive);
  f.window->OpenProject(QString::fromStdString(f.Demo()));
  ASSERT_TRUE(f.window->Session().IsProjectOpen());
  EXPECT_EQ(f.window->windowTitle(), "Kestrin Translator for Delphi 3 - Demo");
  f.answers = {TAnswer::Cancel};
  f.window->OpenProject(QString::fromStdString(f.dir.File("other/Demo.dpr")));
  ASSERT_EQ(f.asked.size(), 1u);
  EXPECT_EQ(f.asked[0], "Do you want to save the project settings?");
  EXPECT_EQ(f.window->Project().FileName, f.Demo()) << "Cancel keeps the old project";
  EXPECT_TRUE(f.window->Action(TCommand::SaveProject)->isEnabled());
}

TEST(MainWindow, AFailedOpenLeavesNoProjectToSaveOver) {
  test::TWindowFixture f;
  f.AddLanguages({0x0407});
  test::WriteFile(f.dir.File("broken.dpr"), "program Broken;\r\nuses\r\n  Main in 'Main.pas';\r\nbegin\r\nend.\r\n");
  test::WriteFile(f.dir.File("Main.dfm"), "not a form");
  f.window->OpenProject(QString::fromStdString(f.Demo()));
  std::string settings = ReadFileBytes(f.dir.File("demo/project/Demo.TRI"));
  f.answers = {TAnswer::No};
  f.window->OpenProject(QString::fromStdString(f.dir.File("broken.dpr")));
  EXPECT_FALSE(f.window->Session().IsProjectOpen());
  EXPECT_FALSE(f.window->Action(TCommand::SaveProject)->isEnabled()) << "nothing to save over";
  EXPECT_FALSE(f.window->Action(TCommand::Internationalize)->isEnabled());
  EXPECT_EQ(f.window->windowTitle(), "Kestrin Translator for Delphi 3");
  f.window->SaveProject();
  EXPECT_EQ(ReadFileBytes(f.dir.File("demo/project/Demo.TRI")), settings);
  ASSERT_FALSE(f.asked.empty());
  EXPECT_NE(f.asked.back().indexOf("Invalid stream format"), -1) << f.asked.back().toStdString();
}

TEST(MainWindow, RecentProjectsKeepTheFiveNewestDistinctOnes) {
  test::TWindowFixture f;
  std::vector<std::string> projects;
  for (int i = 0; i < 6; ++i) {
    std::string dir = f.dir.File("p" + std::to_string(i));
    fs::copy(f.dir.File("demo/project"), dir, fs::copy_options::recursive);
    fs::copy(f.dir.File("demo/common"), f.dir.File("common"), fs::copy_options::recursive | fs::copy_options::skip_existing);
    projects.push_back(dir + "/Demo.dpr");
    f.answers.push_back(TAnswer::No);
    f.window->OpenProject(QString::fromStdString(projects.back()));
  }
  std::vector<std::string> recent = ReadRecentProjects(f.location);
  EXPECT_EQ(recent, (std::vector<std::string>{projects[5], projects[4], projects[3], projects[2], projects[1]}));
  // Opened again in another letter case: moved to the front, not doubled.
  std::string other = projects[2];
  other.replace(other.size() - 8, 8, "DEMO.DPR");
  f.answers.push_back(TAnswer::No);
  f.window->OpenProject(QString::fromStdString(other));
  recent = ReadRecentProjects(f.location);
  ASSERT_EQ(recent.size(), 5u);
  EXPECT_TRUE(SameText(recent[0], projects[2]));
  EXPECT_EQ(recent[1], projects[5]);
  EXPECT_EQ(f.window->Action(TCommand::Reopen4)->text().toStdString(), projects[1]);
}

TEST(MainWindow, InternationalizeModeAndOneItemPerLanguage) {
  test::TWindowFixture f;
  f.AddLanguages({test::kGerman, test::kFrench});
  f.window->show();
  test::TWindowFixture::Screenshot(*f.window, "main-start");
  f.window->OpenProject(QString::fromStdString(f.Demo()));
  QLabel* status = f.window->findChild<QLabel*>(QStringLiteral("statusLanguage"));
  EXPECT_EQ(status->text(), "Internationalization");
  EXPECT_EQ(f.window->Tabs()->count(), 1) << "only the overview without a language";
  EXPECT_TRUE(f.window->Tabs()->isVisible());
  EXPECT_FALSE(f.window->Action(TCommand::Compile)->isEnabled());
  test::TWindowFixture::Screenshot(*f.window, "main-project-open");

  f.window->RefillProjectMenu();
  f.window->RefillProjectMenu();
  EXPECT_EQ(LanguageItems(*f.window), (QStringList{"German (Germany)", "French (France)"}));
  LanguageItem(*f.window, 0x0407)->trigger();
  EXPECT_EQ(f.window->Session().CurrentLanguage(), 0x0407);
  EXPECT_EQ(status->text(), "German (Germany)");
  EXPECT_EQ(f.window->Tabs()->count(), 5);
  EXPECT_TRUE(f.window->Action(TCommand::Compile)->isEnabled());
  EXPECT_FALSE(f.window->Action(TCommand::AddLanguage)->isEnabled());
  EXPECT_TRUE(LanguageItem(*f.window, 0x0407)->isChecked());
  EXPECT_FALSE(f.window->Action(TCommand::Internationalize)->isChecked());
  test::TWindowFixture::Screenshot(*f.window, "main-language-selected");

  f.window->Action(TCommand::Internationalize)->trigger();
  EXPECT_EQ(status->text(), "Internationalization");
  EXPECT_EQ(f.window->Tabs()->count(), 1);
}

// Module groups from the Project menu: a group naming another adds both
// groups' files; a group that reaches itself stops with a warning.
TEST(MainWindow, ModuleGroupsAddNestedGroupsAndStopAtCycles) {
  test::TWindowFixture f;
  std::string lib = f.dir.File("lib");
  fs::create_directories(lib);
  fs::copy_file(f.dir.File("demo/project/About.dfm"), lib + "/ABOUTBOX.DFM");
  fs::copy_file(f.dir.File("demo/project/Greeting.res"), lib + "/Pictures.res");
  {
    TdatConfig config(f.environment->Common());
    std::string outer = config.NewGroup("Outer", "");
    std::string inner = config.NewGroup("Inner", "");
    std::string loop = config.NewGroup("Loop", "");
    config.AddEntry(outer, lib + "/*.dfm", "");
    config.AddEntry(outer, "<Inner>", "");
    config.AddEntry(inner, lib + "/*.res", "");
    config.AddEntry(loop, "<Loop>", "");
    config.CommitConfig();
  }
  f.window->OpenProject(QString::fromStdString(f.Demo()));
  f.window->RefillProjectMenu();
  QMenu* groups = f.window->ProjectMenu()->findChild<QMenu*>(QStringLiteral("mnuAddModuleGroup"));
  ASSERT_NE(groups, nullptr);
  QAction* outer = nullptr;
  QAction* loop = nullptr;
  for (QAction* a : groups->actions()) {
    if (a->text() == "Outer") outer = a;
    if (a->text() == "Loop") loop = a;
  }
  ASSERT_TRUE(outer && loop);
  outer->trigger();
  EXPECT_NE(f.window->Project().FindModule("ABOUTBOX.DFM"), nullptr);
  EXPECT_NE(f.window->Project().FindCustomResource(lib + "/Pictures.res"), nullptr) << "the nested group's file too";
  size_t before = f.asked.size();
  loop->trigger();
  ASSERT_GT(f.asked.size(), before);
  EXPECT_NE(f.asked.back().indexOf("Loop"), -1) << f.asked.back().toStdString();
}

// The demo open in German, compiled by `script` instead of Delphi.
void UseCompiler(test::TWindowFixture& f, const std::string& script) {
  std::string compiler = f.dir.File("dcc.sh");
  test::WriteFile(compiler, script);
  fs::permissions(compiler, fs::perms::owner_all);
  TTranslatorRegistry(f.location).Compiler().WriteString("DCC32", compiler);
  f.AddLanguages({test::kGerman});
  f.OpenDemo(test::kGerman);
}

// A slow compiler's output shows while it still runs; the window stays
// responsive and the module check follows the run. (The bundled linker's
// run is the end-to-end test's.)
TEST(MainWindow, CompileStreamsTheCompilersOutputIntoTheLogPane) {
  test::TWindowFixture f;
  UseCompiler(f, "#!/bin/sh\necho 'Compiling part one'\nsleep 2\necho 'part two done'\n");
  f.window->Action(TCommand::Compile)->trigger();
  ASSERT_TRUE(f.window->CompileRunner().Running());
  EXPECT_FALSE(f.window->Action(TCommand::OpenProject)->isEnabled()) << "nothing changes the project meanwhile";
  QString log;
  for (int i = 0; i < 100 && !log.contains("Compiling part one"); ++i) {
    test::Pump(20);
    log = f.window->Log().toPlainText();
  }
  EXPECT_TRUE(log.contains("Compiling part one")) << log.toStdString();
  EXPECT_TRUE(f.window->CompileRunner().Running()) << "the first line arrived before the compiler ended";
  EXPECT_FALSE(log.contains("part two"));
  for (int i = 0; i < 300 && f.window->CompileRunner().Running(); ++i) test::Pump(20);
  test::Pump(50);
  log = f.window->Log().toPlainText();
  EXPECT_TRUE(log.startsWith("--- ")) << log.toStdString();
  EXPECT_TRUE(log.contains("Compiling part one\npart two done\n")) << "line breaks only where the compiler made them";
  EXPECT_TRUE(log.contains("No language module was written")) << log.toStdString();
  EXPECT_TRUE(f.window->Action(TCommand::OpenProject)->isEnabled());
}

// Closing while the compiler runs asks, then stops it; the window stays
// when the user says No.
TEST(MainWindow, ClosingDuringACompileAsksAndStopsTheCompiler) {
  test::TWindowFixture f;
  UseCompiler(f, "#!/bin/sh\necho started\nsleep 60\n");
  f.window->Compile();
  f.answers = {TAnswer::No};
  EXPECT_FALSE(f.window->close());
  EXPECT_TRUE(f.window->CompileRunner().Running());
  f.answers = {TAnswer::Yes, TAnswer::No};
  EXPECT_TRUE(f.window->close());
  EXPECT_FALSE(f.window->CompileRunner().Running());
}

// Start-up without a dictionary: the set-up dialog comes pre-filled with
// the user's data directory, and OK makes a working dictionary there.
TEST(StartUp, SetUpDialogCreatesTheDictionaryWhereTheUserSays) {
  test::TScratchDir dir;
  qputenv("XDG_DATA_HOME", QByteArray::fromStdString(dir.File("data")));
  ui::TProgram program(TRegistryLocation::InDirectory(dir.File("cfg")), TSystemCodePages{1252, 850, 10000});
  QString preset;
  test::WhenShown<ui::TfrmTranslatorConfiguration>([&](ui::TfrmTranslatorConfiguration& dialog) {
    preset = dialog.DatabaseDirectory()->text();
    test::TWindowFixture::Screenshot(dialog, "dialog-database-setup");
    dialog.DatabaseDirectory()->setText(QString::fromStdString(dir.File("team")));
    dialog.findChild<QPushButton*>(QStringLiteral("btnOK"))->click();
  });
  program.Interaction().SetAnswerer([](const QString&, TButtons) { return TAnswer::Ok; });
  ui::TfrmLexibox& window = program.Start({QStringLiteral("kstrans3")});
  EXPECT_EQ(preset.toStdString(), dir.File("data/kestrin"));
  EXPECT_TRUE(DirectoryExists(dir.File("team/KSTrans.DB")));
  EXPECT_TRUE(program.Environment().DictionaryOpen());
  EXPECT_EQ(program.Environment().DictionaryDirectory(), dir.File("team/KSTrans.DB"));
  window.close();
  qunsetenv("XDG_DATA_HOME");
}

TEST(StartUp, CancelledSetUpStartsWithoutADictionaryAndSaysSo) {
  test::TScratchDir dir;
  ui::TProgram program(TRegistryLocation::InDirectory(dir.File("cfg")), TSystemCodePages{1252, 850, 10000});
  test::WhenShown<ui::TfrmTranslatorConfiguration>([](ui::TfrmTranslatorConfiguration& dialog) { dialog.reject(); });
  std::vector<QString> asked;
  program.Interaction().SetAnswerer([&](const QString& text, TButtons) {
    asked.push_back(text);
    return TAnswer::Ok;
  });
  test::CopyDemo(dir.File("demo"));
  ui::TfrmLexibox& window = program.Start({QStringLiteral("kstrans3"), QString::fromStdString(dir.File("demo/project/Demo.dpr"))});
  EXPECT_FALSE(program.Environment().DictionaryOpen());
  EXPECT_TRUE(window.Session().IsProjectOpen()) << "the project named on the command line is open";
  EXPECT_THROW(program.Environment().History(), EDictionaryNotSetUp);
  window.close();
}

}  // namespace
}  // namespace kst
