// The main window driven as a user drives it, and one end-to-end run.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "config/registry_settings.h"
#include "dictionary/config_data.h"
#include "dictionary/translation_history.h"
#include "formmodel/form_conversion.h"
#include "session/search.h"
#include "support/postgres_server.h"
#include "ui/compile_runner.h"
#include "ui/database_setup_dialog.h"
#include "ui/file_change_watcher.h"
#include "ui/form_preview.h"
#include "ui/log_pane.h"
#include "ui/overview_page.h"
#include "ui/properties_page.h"
#include "ui/search_commands.h"
#include "ui/search_dialog.h"
#include "ui/startup.h"
#include "ui_fixture.h"

namespace kst {
namespace {

namespace fs = std::filesystem;
using test::TWindowFixture;
using ui::TCommand;

QAction* LanguageItem(ui::TfrmLexibox& window, int id) {
  return window.ProjectMenu()->findChild<QAction*>(QStringLiteral("mnuLanguage%1").arg(id, 4, 16, QLatin1Char('0')));
}

// The recent projects' rules (letter case, order) are the settings tests'.
TEST(MainWindow, OpeningAnotherProjectTheRecentProjectsAndAFailedOpen) {
  TWindowFixture f;
  f.AddLanguages({test::kGerman});
  fs::copy(f.dir.File("demo/common"), f.dir.File("common"), fs::copy_options::recursive);
  std::vector<std::string> projects;
  for (const char* name : {"p0", "p1"}) {
    fs::copy(f.dir.File("demo/project"), f.dir.File(name), fs::copy_options::recursive);
    projects.push_back(f.dir.File(name) + "/Demo.dpr");
    f.answers = {TAnswer::No};
    f.window->OpenProject(QString::fromStdString(projects.back()));
  }
  EXPECT_EQ(f.window->windowTitle(), "Kestrin Translator for Delphi 3 - Demo");
  EXPECT_EQ(ReadRecentProjects(f.location), (std::vector<std::string>{projects[1], projects[0]}));
  EXPECT_EQ(f.window->Action(TCommand::Reopen1)->text().toStdString(), projects[0]);

  f.asked.clear();
  f.answers = {TAnswer::Cancel};
  f.window->OpenProject(QString::fromStdString(projects[0]));
  EXPECT_TRUE(f.Asked(1, "Do you want to save the project settings?"));
  EXPECT_EQ(f.window->Project().FileName, projects[1]) << "Cancel keeps the open project";
  EXPECT_TRUE(f.window->Action(TCommand::SaveProject)->isEnabled());

  // A failed open leaves no project to save over.
  test::WriteFile(f.dir.File("broken.dpr"), "program Broken;\r\nuses\r\n  Main in 'Main.pas';\r\nbegin\r\nend.\r\n");
  test::WriteFile(f.dir.File("Main.dfm"), "not a form");
  const std::string settings = ReadFileBytes(f.dir.File("p0/Demo.TRI"));
  f.answers = {TAnswer::No};
  f.window->OpenProject(QString::fromStdString(f.dir.File("broken.dpr")));
  EXPECT_FALSE(f.window->Session().IsProjectOpen());
  EXPECT_FALSE(f.window->Action(TCommand::SaveProject)->isEnabled());
  EXPECT_FALSE(f.window->Action(TCommand::Internationalize)->isEnabled());
  EXPECT_EQ(f.window->windowTitle(), "Kestrin Translator for Delphi 3");
  f.window->SaveProject();
  EXPECT_EQ(ReadFileBytes(f.dir.File("p0/Demo.TRI")), settings);
  EXPECT_TRUE(f.asked.back().contains("Invalid stream format")) << f.asked.back().toStdString();
}

// One item per language, Internationalize mode, the dictionary's module groups (naming others).
TEST(MainWindow, TheProjectMenusLanguagesAndModuleGroups) {
  TWindowFixture f;
  f.AddLanguages({test::kGerman, test::kFrench});
  std::string lib = f.dir.File("lib");
  fs::create_directories(lib);
  fs::copy_file(f.dir.File("demo/project/About.dfm"), lib + "/ABOUTBOX.DFM");
  fs::copy_file(f.dir.File("demo/project/Greeting.res"), lib + "/Pictures.res");
  {
    TdatConfig config(f.environment->Common());
    std::string outer = config.NewGroup("Outer", ""), inner = config.NewGroup("Inner", "");
    config.AddEntry(outer, lib + "/*.dfm", "");
    config.AddEntry(outer, "<Inner>", "");
    config.AddEntry(inner, lib + "/*.res", "");
    config.CommitConfig();
  }
  f.window->show();
  TWindowFixture::Screenshot(*f.window, "main-start");
  f.window->OpenProject(QString::fromStdString(f.Demo()));
  QLabel* status = f.window->findChild<QLabel*>(QStringLiteral("statusLanguage"));
  EXPECT_EQ(status->text(), "Internationalization");
  EXPECT_EQ(f.window->Tabs()->count(), 1) << "only the overview without a language";
  EXPECT_FALSE(f.window->Action(TCommand::Compile)->isEnabled());
  TWindowFixture::Screenshot(*f.window, "main-project-open");

  f.window->RefillProjectMenu();
  f.window->RefillProjectMenu();
  QStringList items;
  for (QAction* a : f.window->ProjectMenu()->actions())
    if (a->objectName().startsWith(QLatin1String("mnuLanguage"))) items << a->text();
  EXPECT_EQ(items, (QStringList{"German (Germany)", "French (France)"}));
  LanguageItem(*f.window, test::kGerman)->trigger();
  EXPECT_EQ(f.window->Session().CurrentLanguage(), test::kGerman);
  EXPECT_EQ(status->text(), "German (Germany)");
  EXPECT_EQ(f.window->Tabs()->count(), 5);
  EXPECT_TRUE(f.window->Action(TCommand::Compile)->isEnabled());
  EXPECT_FALSE(f.window->Action(TCommand::AddLanguage)->isEnabled());
  EXPECT_TRUE(LanguageItem(*f.window, test::kGerman)->isChecked());
  EXPECT_FALSE(f.window->Action(TCommand::Internationalize)->isChecked());
  TWindowFixture::Screenshot(*f.window, "main-language-selected");

  f.window->Action(TCommand::Internationalize)->trigger();
  EXPECT_EQ(status->text(), "Internationalization");
  EXPECT_EQ(f.window->Tabs()->count(), 1);

  QMenu* groups = f.window->ProjectMenu()->findChild<QMenu*>(QStringLiteral("mnuAddModuleGroup"));
  ASSERT_NE(groups, nullptr);
  QAction* outer = nullptr;
  for (QAction* a : groups->actions()) outer = a->text() == "Outer" ? a : outer;
  ASSERT_NE(outer, nullptr);
  outer->trigger();
  EXPECT_NE(f.window->Project().FindModule("ABOUTBOX.DFM"), nullptr);
  EXPECT_NE(f.window->Project().FindCustomResource(lib + "/Pictures.res"), nullptr) << "the nested group's file too";
}

// The demo opened again in German, compiled by `script` instead of Delphi.
void UseCompiler(TWindowFixture& f, const std::string& script) {
  std::string compiler = f.dir.File("dcc.sh");
  test::WriteFile(compiler, script);
  fs::permissions(compiler, fs::perms::owner_all);
  TTranslatorRegistry(f.location).Compiler().WriteString("DCC32", compiler);
  f.Open(test::kGerman);
}

// The bundled linker's run is the end-to-end test's.
TEST(MainWindow, CompileStreamsTheCompilersOutputAndClosingStopsIt) {
  TWindowFixture f({test::kGerman});
  UseCompiler(f, "#!/bin/sh\necho 'Compiling part one'\nsleep 2\necho 'part two done'\n");
  f.window->Action(TCommand::Compile)->trigger();
  ASSERT_TRUE(f.window->CompileRunner().Running());
  EXPECT_FALSE(f.window->Action(TCommand::OpenProject)->isEnabled());
  auto log = [&] { return f.window->Log().toPlainText(); };
  EXPECT_TRUE(QTest::qWaitFor([&] { return log().contains("Compiling part one"); }, 2000)) << log().toStdString();
  EXPECT_TRUE(f.window->CompileRunner().Running()) << "the first line arrived before the compiler ended";
  EXPECT_TRUE(QTest::qWaitFor([&] { return !f.window->CompileRunner().Running(); }, 6000));
  EXPECT_TRUE(QTest::qWaitFor([&] { return log().contains("No language module was written"); }, 1000))
      << log().toStdString();
  EXPECT_TRUE(log().startsWith("--- ")) << log().toStdString();
  EXPECT_TRUE(log().contains("Compiling part one\npart two done\n")) << "line breaks only where the compiler made them";
  EXPECT_TRUE(f.window->Action(TCommand::OpenProject)->isEnabled());

  UseCompiler(f, "#!/bin/sh\necho started\nsleep 60\n");
  f.window->Compile();
  f.answers = {TAnswer::No};
  EXPECT_FALSE(f.window->close());
  EXPECT_TRUE(f.window->CompileRunner().Running());
  f.answers = {TAnswer::Yes, TAnswer::No};
  EXPECT_TRUE(f.window->close());
  EXPECT_FALSE(f.window->CompileRunner().Running());
}

// A finding's line in the log pane leads to its row, on another form or tab
// too; the findings themselves are the checker's tests'.
TEST(MainWindow, CheckTranslationsListsFindingsThatLeadToTheirRows) {
  TWindowFixture f({test::kGerman});
  f.window->SelectForm(QString::fromStdString(f.dir.File("demo/project/About.dfm")));
  f.window->Session().SetTranslation("@Texts_SFileNotFound", "Datei wurde nicht gefunden.");
  f.window->Session().SetTranslation("Main.dfm:btnOpen.Hint", "\xD6" "ffnet eine Textdatei");
  f.window->Action(TCommand::CheckTranslations)->trigger();
  ui::TLogPane& log = f.window->Log();
  const QStringList lines = log.toPlainText().split(QLatin1Char('\n'));
  auto doubleClick = [&](const QString& start) {
    int block = static_cast<int>(lines.indexOf(QRegularExpression("^" + QRegularExpression::escape(start) + ".*")));
    ASSERT_GE(block, 0) << log.toPlainText().toStdString();
    QTextCursor at(log.document()->findBlockByNumber(block));
    test::DoubleClick(log.viewport(), log.cursorRect(at).center() + QPoint(4, 0));
  };
  doubleClick(QStringLiteral("Main.dfm:btnOpen.Hint: error: "));
  EXPECT_EQ(f.window->ActiveTab(), ui::TTab::Forms);
  EXPECT_TRUE(f.window->CurrentFormName().endsWith("/Main.dfm")) << f.window->CurrentFormName().toStdString();
  EXPECT_EQ(f.Properties().CurrentRow(), f.Row(f.Properties(), "btnOpen.Hint"));
  test::TWindowFixture::Screenshot(*f.window, "check-translations");

  doubleClick(QStringLiteral("@Texts_SFileNotFound: error: "));
  ui::TTranslationGrid& strings = f.Grid(ui::TTab::ResourceStrings);
  EXPECT_EQ(f.window->ActiveTab(), ui::TTab::ResourceStrings);
  EXPECT_EQ(strings.CurrentRow(), f.Row(strings, "Texts_SFileNotFound"));

  // Findings of a language no longer current lead nowhere.
  f.window->SelectLanguage(-1);
  const ui::TTab tab = f.window->ActiveTab();
  doubleClick(QStringLiteral("Main.dfm:btnOpen.Hint: error: "));
  EXPECT_EQ(f.window->ActiveTab(), tab);
  EXPECT_EQ(f.interaction->Hint(), "The findings are of another language: check again");
}

TEST(StartUp, CancelledSetUpStartsWithoutADictionaryAndSaysSo) {
  test::TScratchDir dir;
  ui::TProgram program(TRegistryLocation::InDirectory(dir.File("cfg")), TSystemCodePages{1252, 850, 10000});
  test::WhenShown<ui::TfrmTranslatorConfiguration>([](ui::TfrmTranslatorConfiguration& dialog) { dialog.reject(); });
  program.Interaction().SetAnswerer([](const QString&, TButtons) { return TAnswer::Ok; });
  test::CopyDemo(dir.File("demo"));
  ui::TfrmLexibox& window = program.Start({QStringLiteral("kstrans3"), QString::fromStdString(dir.File("demo/project/Demo.dpr"))});
  EXPECT_FALSE(program.Environment().DictionaryOpen());
  EXPECT_TRUE(window.Session().IsProjectOpen()) << "the project named on the command line is open";
  EXPECT_THROW(program.Environment().History(), EDictionaryNotSetUp);
  window.close();
}

// A start with the test server up and an empty database of its own.
class ServerStartUp : public test::TServerDatabaseTest {};

// A dictionary on a team's server is set up: the window starts on it
// without asking where the dictionary is.
TEST_F(ServerStartUp, AServerDictionaryOpensWithoutAskingPostgreSql) {
  {
    test::TScratchDir dir;
    TRegistryLocation location = TRegistryLocation::InDirectory(dir.File("cfg"));
    TDatabaseEngine(location).SetAliasConnection(kDictionaryAlias, server->ConnectionTo(database));
    ui::TProgram program(location, TSystemCodePages{1252, 850, 10000});
    // Asking would block the start below.
    ASSERT_FALSE(ui::TfrmTranslatorConfiguration::Needed(program.Environment()));
    ui::TfrmLexibox& window = program.Start({QStringLiteral("kstrans3")});
    ASSERT_TRUE(program.Environment().DictionaryOpen());
    program.Environment().History().AddTranslation("Save", "Speichern", test::kGerman);
    std::vector<std::string> known;
    program.Environment().History().GetKnownTranslations("SAVE", test::kGerman, known);
    EXPECT_EQ(known, std::vector<std::string>{"Speichern"});
    window.close();
  }
}

// The first start's set-up dialog with the server chosen: a connection
// string with a password in it is refused (the password belongs in libpq's
// own places), the one without opens the server's dictionary.
TEST_F(ServerStartUp, TheSetUpDialogPutsTheDictionaryOnAServerPostgreSql) {
  {
    test::TScratchDir dir;
    TRegistryLocation location = TRegistryLocation::InDirectory(dir.File("cfg"));
    ui::TProgram program(location, TSystemCodePages{1252, 850, 10000});
    QString refusal;
    test::WhenShown<ui::TfrmTranslatorConfiguration>([&](ui::TfrmTranslatorConfiguration& dialog) {
      EXPECT_FALSE(dialog.ServerConnection()->isEnabled());
      dialog.OnServer()->setChecked(true);
      EXPECT_TRUE(dialog.ServerConnection()->isEnabled());
      EXPECT_FALSE(dialog.DatabaseDirectory()->isEnabled()) << "one place or the other";
      dialog.ServerConnection()->setText(QString::fromStdString(server->ConnectionTo(database) + " password=x"));
      TWindowFixture::Screenshot(dialog, "dialog-database-setup-server");
      test::WhenShown<QMessageBox>([&](QMessageBox& box) {
        refusal = box.text();
        box.accept();
      });
      dialog.findChild<QPushButton*>(QStringLiteral("btnOK"))->click();
      EXPECT_TRUE(dialog.isVisible()) << "a refused connection keeps the dialog open";
      dialog.ServerConnection()->setText(QString::fromStdString(server->ConnectionTo(database)));
      dialog.findChild<QPushButton*>(QStringLiteral("btnOK"))->click();
    });
    ui::TfrmLexibox& window = program.Start({QStringLiteral("kstrans3")});
    EXPECT_TRUE(refusal.contains(QStringLiteral("PGPASSWORD"))) << refusal.toStdString();
    ASSERT_TRUE(program.Environment().DictionaryOpen());
    EXPECT_EQ(program.Environment().Engine().GetAliasKind(kDictionaryAlias), TDatabaseKind::PostgreSql);
    window.close();
  }
}

// With real message boxes; also run under a real X server (see CMakeLists.txt).
TEST(EndToEnd, StartSetUpTheDictionaryChooseGermanCompileAndQuitThroughTheSavePrompt) {
  test::TScratchDir dir;
  test::CopyDemo(dir.File("demo"));
  TRegistryLocation location = TRegistryLocation::InDirectory(dir.File("cfg"));
  std::string project = dir.File("demo/project/Demo.dpr");
  TWindowFixture::AddLanguages(location, project, {test::kGerman});
  auto data = std::make_unique<test::TScopedEnv>("XDG_DATA_HOME", dir.File("data").c_str());
  ui::TProgram program(location, TSystemCodePages{1252, 850, 10000});
  // The first start asks where the dictionary goes, the user's data directory preset.
  test::WhenShown<ui::TfrmTranslatorConfiguration>([&](ui::TfrmTranslatorConfiguration& dialog) {
    EXPECT_EQ(dialog.DatabaseDirectory()->text().toStdString(), dir.File("data/kestrin"));
    TWindowFixture::Screenshot(dialog, "dialog-database-setup");
    dialog.DatabaseDirectory()->setText(QString::fromStdString(dir.File("team")));
    dialog.findChild<QPushButton*>(QStringLiteral("btnOK"))->click();
  });
  ui::TfrmLexibox& window = program.Start({QStringLiteral("kstrans3"), QString::fromStdString(project)});
  data.reset();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  ASSERT_TRUE(window.Session().IsProjectOpen());
  EXPECT_TRUE(program.Environment().DictionaryOpen());
  EXPECT_EQ(program.Environment().DictionaryDirectory(), dir.File("team/KSTrans.DB"));
  EXPECT_TRUE(FileExists(dir.File("team/KSTrans.DB/dictionary.sqlite")));

  window.RefillProjectMenu();
  ASSERT_NE(LanguageItem(window, test::kGerman), nullptr);
  LanguageItem(window, test::kGerman)->trigger();

  // The form preview beside the grid, clicked as a person would.
  window.ShowTab(ui::TTab::Forms);
  ui::TPropertiesPage& forms = *window.Views().Properties();
  forms.SetPreviewPlacement(QStringLiteral("Beside"), true);
  const int main = forms.Selector()->findText(QStringLiteral("/Main.dfm"), Qt::MatchEndsWith);
  ASSERT_GE(main, 0);
  forms.Selector()->setCurrentIndex(main);
  emit forms.Selector()->activated(main);
  test::Pump();
  ui::TFormPreview& preview = *forms.Preview();
  const TComponentHelper* button = preview.ComponentOfPath("btnOpen.Caption");
  ASSERT_NE(button, nullptr);
  QTest::mouseClick(&preview, Qt::LeftButton, {}, preview.ControlRect(button).center());
  test::Pump();
  EXPECT_EQ(forms.Grid()->Model()->Key(forms.Grid()->CurrentRow()).rfind("btnOpen.", 0), 0u);
  TWindowFixture::Screenshot(window, "main-preview-beside");

  test::Focus(&window);
  QSignalSpy compiled(&window, &ui::TfrmLexibox::CompileFinished);
  QTest::keyClick(&window, Qt::Key_F9, Qt::ControlModifier);
  ASSERT_TRUE(compiled.count() > 0 || compiled.wait(20000)) << "Ctrl+F9 compiles";
  EXPECT_TRUE(compiled.at(0).at(0).toBool()) << "the module was written";
  std::string module = dir.File("demo/project/DEU/Demo.DEU");
  EXPECT_TRUE(window.Log().toPlainText().contains("Checked ")) << "the module check follows the compile";
  TWindowFixture::Screenshot(window, "main-after-compile");

  test::WhenShown<QMessageBox>([](QMessageBox& box) {
    EXPECT_EQ(box.text(), "Do you want to save the project settings?");
    box.button(QMessageBox::Yes)->click();
  });
  EXPECT_TRUE(window.close());
  EXPECT_FALSE(window.Session().IsProjectOpen());

  test::TProgramRun listed = test::RunKst("pe resources '" + module + "'", dir.Path(), dir.File("cfg"));
  EXPECT_EQ(listed.exitCode, 0) << listed.err;
  EXPECT_NE(listed.out.find("TFRMMAIN"), std::string::npos) << listed.out;
}

ui::TOverviewPage& Overview(TWindowFixture& f) { return *f.Views().Overview(); }

QTreeWidgetItem* FormItem(TWindowFixture& f, const char* name) {
  QTreeWidgetItem* root = Overview(f).FormsRoot();
  for (int i = 0; i < root->childCount(); ++i)
    if (root->child(i)->text(0).endsWith(QString::fromLatin1(name))) return root->child(i);
  return nullptr;
}

TEST(Overview, TheTreeAndTheLanguageList) {
  TWindowFixture f({test::kGerman, 0x0007});
  f.AddGreeting();
  QTreeWidgetItem* forms = Overview(f).FormsRoot();
  for (bool expanded : {false, true}) {
    forms->setExpanded(expanded);
    f.window->AfterStructureChange();
    EXPECT_EQ(forms->isExpanded(), expanded) << "across a refill";
  }
  EXPECT_EQ(forms->childCount(), 3);

  f.window->ShowTab(ui::TTab::Overview);
  QTreeWidget* tree = Overview(f).Tree();
  emit tree->itemActivated(FormItem(f, "About.dfm"), 0);
  EXPECT_TRUE(f.window->CurrentFormName().endsWith("About.dfm"));
  EXPECT_EQ(f.window->ActiveTab(), ui::TTab::Overview) << "the tab itself is not switched";
  EXPECT_GT(f.Properties().Model()->rowCount(), 0);
  emit tree->itemActivated(Overview(f).ResourcesRoot()->child(0), 0);
  EXPECT_EQ(f.window->ActiveTab(), ui::TTab::CustomResources);

  // Chooses the item (the commands follow the focus) and answers the question.
  auto choose = [&](QTreeWidget* view, QTreeWidgetItem* item, TAnswer answer) {
    f.window->ShowTab(ui::TTab::Overview);
    view->setCurrentItem(item);
    test::Focus(view);
    f.answers = {answer};
  };
  choose(tree, Overview(f).FormsRoot(), TAnswer::Yes);
  EXPECT_FALSE(f.window->Action(TCommand::Delete)->isEnabled()) << "the roots stay";
  tree->setCurrentItem(Overview(f).ResourcesRoot()->child(0));
  f.window->Action(TCommand::Delete)->trigger();
  EXPECT_TRUE(f.Asked(1, "Are you sure that you want to remove the custom resource \""));
  EXPECT_TRUE(f.window->Project().CustomResources.Items.empty());
  EXPECT_EQ(f.Grid(ui::TTab::CustomResources).Model()->rowCount(), 0);

  // The current form: a warning, then a question. (That what goes is stored
  // first is the session's tests'.)
  ui::TTranslationGrid& grid = f.ShowForm("Main.dfm");
  choose(tree, FormItem(f, "Main.dfm"), TAnswer::Yes);
  ASSERT_TRUE(f.window->Action(TCommand::Remove)->isEnabled());
  f.window->Action(TCommand::Delete)->trigger();
  ASSERT_TRUE(f.Asked(3, "Are you sure that you want to remove the form \""));
  EXPECT_EQ(f.asked[1], "This is not a manually added form!");
  EXPECT_EQ(f.window->Project().FindModule("Main.dfm"), nullptr);
  EXPECT_EQ(grid.Model()->rowCount(), 0);
  EXPECT_EQ(FormItem(f, "Main.dfm"), nullptr);

  // The language list: abbreviations, a double click (or Enter) chooses, removing asks.
  QTreeWidget* list = Overview(f).Languages();
  ASSERT_EQ(list->topLevelItemCount(), 2);
  EXPECT_EQ(list->topLevelItem(0)->text(1), "DEU");
  EXPECT_EQ(list->topLevelItem(1)->text(1), "DE");
  EXPECT_EQ(list->topLevelItem(1)->text(2), "0007");
  list->setCurrentItem(list->topLevelItem(1));
  emit list->itemActivated(list->topLevelItem(1), 0);
  EXPECT_EQ(f.window->Session().CurrentLanguage(), 0x0007);
  f.window->SelectLanguage(test::kGerman);

  choose(list, list->topLevelItem(1), TAnswer::No);
  f.window->Action(TCommand::Delete)->trigger();
  EXPECT_TRUE(f.window->Project().HasLanguage(0x0007));
  choose(list, list->topLevelItem(0), TAnswer::Yes);
  f.window->Action(TCommand::Delete)->trigger();
  EXPECT_TRUE(f.Asked(5, "Are you sure that you want to remove the language \"German (Germany)\"?"));
  EXPECT_FALSE(f.window->Project().HasLanguage(test::kGerman));
  ASSERT_EQ(list->topLevelItemCount(), 1);
  EXPECT_EQ(list->topLevelItem(0)->text(2), "0007");
}

// Main.dfm with another caption, its time `hours` ahead.
void RewriteMainForm(TWindowFixture& f, const std::string& caption, int hours) {
  std::string text = ReadFileBytes(test::DemoDir() + "/forms/Main.txt");
  text.replace(text.find("'Kestrin Demo'"), 14, "'" + caption + "'");
  std::string file = f.dir.File("demo/project/Main.dfm");
  test::WriteFile(file, TextToResource(text));
  fs::last_write_time(file, fs::file_time_type::clock::now() + std::chrono::hours(hours));
}

// A reload would free the form tree an open dialog works on. (What No and Yes
// keep, the translations, a running command are the session's tests'.)
TEST(FileChangeWatcher, ARewrittenFormIsAskedAboutOnAQuietTickAndShownAgainAfterYes) {
  TWindowFixture f({test::kGerman});
  ui::TFileChangeWatcher& watcher = f.Views().Watcher();
  EXPECT_TRUE(watcher.Timer()->isActive());
  ui::TTranslationGrid& grid = f.ShowForm("Main.dfm");
  EXPECT_FALSE(watcher.Tick()) << "nothing changed";
  RewriteMainForm(f, "Kestrin Demo 2", 1);
  bool duringDialog = true;
  QDialog dialog(f.window.get());
  QTimer::singleShot(0, [&] {
    duringDialog = watcher.Tick();
    dialog.reject();
  });
  dialog.exec();
  EXPECT_FALSE(duringDialog);
  EXPECT_TRUE(f.Asked(0, ""));
  f.answers = {TAnswer::No};
  EXPECT_TRUE(watcher.Tick()) << "the next quiet tick asks";
  EXPECT_TRUE(f.Asked(1, "Main.dfm has been changed. Do you want to load the new version?"));

  RewriteMainForm(f, "Kestrin Demo 3", 2);
  f.answers = {TAnswer::Yes};
  EXPECT_TRUE(watcher.Tick());
  EXPECT_TRUE(f.window->CurrentFormName().endsWith("Main.dfm"));
  EXPECT_EQ(f.window->ActiveTab(), ui::TTab::Forms);
  EXPECT_EQ(f.Cell(grid, f.Row(grid, "frmMain.Caption"), 2), "Kestrin Demo 3") << "the new original";

  // Answering the second question opens a modal loop in which the grid
  // paints while the first form has already been read again.
  RewriteMainForm(f, "Kestrin Demo 4", 3);
  fs::last_write_time(f.dir.File("demo/project/About.dfm"), fs::file_time_type::clock::now() + std::chrono::hours(4));
  int questions = 0;
  f.interaction->SetAnswerer([&](const QString&, TButtons) {
    if (++questions == 2) {
      // What a real message box's event loop does meanwhile.
      grid.View()->viewport()->repaint();
      test::Column(grid, 2);
    }
    return TAnswer::Yes;
  });
  EXPECT_TRUE(watcher.Tick());
  EXPECT_EQ(questions, 2);
  EXPECT_EQ(f.Cell(grid, f.Row(grid, "frmMain.Caption"), 2), "Kestrin Demo 4");
}

// F3 as the person presses it once a search was confirmed.
void SearchAgain(TWindowFixture& f) {
  f.window->SetSearchAgainPossible(true);
  f.window->UpdateCommands();
  f.window->Action(TCommand::SearchAgain)->trigger();
}

// The rows whose translation holds `text`.
int Rows(ui::TTranslationGrid& grid, const std::string& text) {
  int rows = 0;
  for (int row = 0; row < grid.Model()->rowCount(); ++row) rows += grid.Model()->Translation(row).find(text) != std::string::npos;
  return rows;
}

TEST(Search, TheDialogsSearchAgainAndReplace) {
  TWindowFixture f({test::kGerman});
  ui::TTranslationGrid& grid = f.ShowGrid(ui::TTab::ResourceStrings);
  f.OpenDialog<ui::TfrmSearch>(TCommand::Find, [&](ui::TfrmSearch& dialog) {
    EXPECT_FALSE(dialog.NewText()->isVisibleTo(&dialog));
    TWindowFixture::Screenshot(dialog, "dialog-find");
    dialog.SearchString()->setEditText("Ready");
    dialog.findChild<QCheckBox*>("ctlCaseSensitive")->setChecked(true);  // "already" is no match
    dialog.OkButton()->click();
  });
  EXPECT_EQ(grid.Model()->Key(grid.CurrentRow()), "Texts_SReady");
  EXPECT_TRUE(f.window->Action(TCommand::SearchAgain)->isEnabled());

  f.answers = {TAnswer::Yes};
  f.OpenDialog<ui::TfrmSearch>(TCommand::Replace, [&](ui::TfrmSearch& dialog) {
    EXPECT_FALSE(dialog.Scope()->isVisibleTo(&dialog));
    EXPECT_TRUE(dialog.NewText()->isVisibleTo(&dialog));
    EXPECT_EQ(dialog.SearchString()->currentText(), "Ready");
    TWindowFixture::Screenshot(dialog, "dialog-replace");
    dialog.NewText()->setText("Bereit");
    dialog.OkButton()->click();
  });
  EXPECT_EQ(f.Translation("Texts_SReady"), "Bereit");
  TSearchSettings& settings = f.Views().Search().Settings();
  EXPECT_EQ(settings.history, (std::vector<std::string>{"Ready", "Ready"})) << "duplicates kept";
  EXPECT_TRUE(settings.replaceMode);

  // F3 from the current row; the walk's rules (scopes, a replace without
  // "Replace all" ending at the first cell) are the session's search tests'.
  settings.Confirm(false, "Cancel", "", kSearchPromptOnReplace, kScopeOriginal);
  int cancel = f.Row(grid, "Consts_SMsgDlgCancel");
  grid.SelectRow(grid.Model()->rowCount() - 1);
  SearchAgain(f);
  EXPECT_EQ(grid.CurrentRow(), cancel) << "after the last row comes the first";
  settings.Confirm(false, "nothing like this", "", kSearchPromptOnReplace, 7);
  SearchAgain(f);
  EXPECT_EQ(grid.CurrentRow(), cancel) << "no match leaves the current row";

  // A replace walk asks through the window and is one step to undo.
  settings.Confirm(true, "%s", "<%s>", kSearchPromptOnReplace | kSearchReplaceAll, kScopeTranslated);
  grid.SelectRow(0);
  f.asked.clear();
  f.answers = {TAnswer::No, TAnswer::Yes, TAnswer::Yes};
  SearchAgain(f);
  ASSERT_EQ(f.asked.size(), 3u);
  EXPECT_TRUE(f.asked[0].startsWith("Do you want to replace\n\n")) << f.asked[0].toStdString();
  EXPECT_EQ(Rows(grid, "<%s>"), 2);
  f.window->Action(TCommand::Undo)->trigger();
  EXPECT_EQ(Rows(grid, "<%s>"), 0);
  f.window->Action(TCommand::Undo)->trigger();
  EXPECT_EQ(f.Translation("Texts_SReady"), "Ready");
  EXPECT_FALSE(f.window->Action(TCommand::Undo)->isEnabled()) << "each walk was one step";
  f.window->Action(TCommand::Redo)->trigger();
  f.window->Action(TCommand::Redo)->trigger();
  EXPECT_EQ(Rows(grid, "<%s>"), 2) << "and one step to redo";

  ui::TTranslationGrid& properties = f.ShowForm("Main.dfm");
  settings.Confirm(false, "mnuHelpAbout", "", 0, kScopeKey);
  SearchAgain(f);
  EXPECT_EQ(properties.Model()->Key(properties.CurrentRow()), "mnuHelpAbout.Caption");
}

}  // namespace
}  // namespace kst
