// TfrmLexibox: the one main window. It owns nothing of the project itself:
// the environment's session holds the project, the current language and the
// current form; the window turns its commands into calls on the session and
// keeps its views in step. Commands come from one table (main_commands.cpp),
// and one function (UpdateCommands) computes every command's state.
#pragma once

#include <QMainWindow>

#include <filesystem>
#include <functional>
#include <optional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ui/display_state.h"

class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QSplitter;
class QTabWidget;
class QToolBar;

namespace kst {
struct TFinding;
class TTranslatorEnvironment;
class TTranslationSession;
class TProjectData;
}  // namespace kst

namespace kst::ui {

class TCompileRunner;
class THelpViewer;
class TLogPane;
class TQtInteraction;
class TTabPage;
class TTranslationViews;

// The window's commands; each has one QAction named as in the command table
// (cmdOpenProject, ...), so that tests and the tool bar find it.
enum class TCommand {
  OpenProject, SaveProject, Exit, Reopen0, Reopen1, Reopen2, Reopen3, Reopen4,
  Find, Replace, SearchAgain, Undo, Redo,
  Internationalize, AddLanguage, AddModule, AddCustomResource, UserDefinedProperties, Remove,
  Generate, Compile, CheckTranslations, WriteExchangeFile, ReadExchangeFile, ProjectOptions,
  AutoTranslate, EditDictionary, Config,
  ShowStringProperties, ShowNumericProperties, ShowSymbolProperties, ResetTranslation, Delete,
  Help, HelpContents, SearchOnHelp, Info,
};

// The tabs, in their order.
enum class TTab { Overview = 0, Forms = 1, ResourceStrings = 2, CustomResources = 3, VersionResource = 4 };

class TfrmLexibox : public QMainWindow {
  Q_OBJECT

public:
  // Both must outlive the window. Creating the window reads the display
  // settings; it shows nothing yet.
  TfrmLexibox(TTranslatorEnvironment& environment, TQtInteraction& interaction);
  ~TfrmLexibox() override;

  // Opening, saving and closing, with the save prompt where a project is
  // open. Errors are shown, never passed on: the window always ends in a
  // consistent state (views refilled, commands updated).
  void OpenProject(const QString& file);
  void SaveProject();
  bool CloseProject();  // false when the user cancelled at the prompt
  void SelectLanguage(int languageId);
  void SelectForm(const QString& name);
  void Generate();
  void Compile();
  // The quality checks of the current language into the log pane.
  void CheckTranslations();
  void UpdateCommands();

  QAction* Action(TCommand command) const { return actions_.at(command); }
  // Gives a command whose dialog lives elsewhere its action.
  void SetCommandHandler(TCommand command, std::function<void()> run);
  // Puts a page of its own in the place of a tab's page.
  void SetPage(TTab tab, TTabPage* page);
  TTabPage* Page(TTab tab) const { return pages_[static_cast<size_t>(tab)]; }
  // The overview, the grids, search, undo, spelling and the file-change check.
  TTranslationViews& Views() const { return *views_; }
  // Stores what the pages' open cell editors hold (before anything is
  // stored, switched or closed).
  void CommitEdits();
  // The property-type filter of the Show commands (bits of exchange_file.h).
  int TypeFilter() const;
  // Whether Search again has something to repeat (set by the search).
  void SetSearchAgainPossible(bool possible) { searchAgainPossible_ = possible; }
  // A core text (system code page) for the screen, and a file name from it.
  QString Ansi(const std::string& text) const;
  std::string FromScreen(const QString& text) const;
  QString CurrentFormName() const;
  TTranslationSession& Session();
  TProjectData& Project();
  TTranslatorEnvironment& Environment() { return environment_; }
  TQtInteraction& Interaction() { return interaction_; }
  THelpViewer& Help() { return *help_; }
  TLogPane& Log() { return *log_; }
  TCompileRunner& CompileRunner() { return *compile_; }
  const TDisplayState& Display() const { return display_; }
  QTabWidget* Tabs() const { return tabs_; }
  TTab ActiveTab() const;
  void ShowTab(TTab tab);
  QMenu* ProjectMenu() const { return projectMenu_; }

  // Re-reads the display settings and repaints (after the options dialog).
  void ReloadDisplaySettings();
  // The project menu as it shows when opened: languages and module groups.
  void RefillProjectMenu();

signals:
  // The project, the language or the form changed: pages refill.
  void ProjectChanged();
  void LanguageChanged();
  void FormChanged();
  void DisplayChanged();
  // A compile ran to its end (its module checked) or stopped.
  void CompileFinished(bool moduleWritten);

protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;

private:
  struct TCommandRow;
  void CreateCommands();
  void CreateMenus();
  void CreateToolBar();
  void CreateTabs();
  QAction* MakeAction(TCommand command, const TCommandRow& row);
public:
  // Runs an action of a command, showing its error in the standard error box.
  void Run(const char* what, const std::function<void()>& action);
  // Refills every view and updates the commands after a change of the
  // project's structure (open, close, languages, forms, resources).
  void AfterStructureChange();

private:
  void OpenProjectDialog();
  bool LeaveProject();
  void Reopen(int index);
  void SetTitle();
  void RefillRecentProjects();
  void AddRecent(const std::string& file);
  void ReadExchangeFile();
  void AddForms();
  void AddCustomResources();
  void AddModuleGroup(const QString& name);
  void ShowTypeFilter(TCommand command, bool fromButton);
  void ResetTranslation();
  void RemoveSelected();
  void ShowInfo();
  // Shows a finding's row, when `language` is still current.
  void ShowFinding(const TFinding& finding, int language);
  void CompileFinishedRun(const QString& error, bool stopped);
  bool ConfirmStopCompile();
  void SetTranslationTabsVisible(bool visible);
  QString LanguageStatusText() const;

  TTranslatorEnvironment& environment_;
  TQtInteraction& interaction_;
  std::unique_ptr<THelpViewer> help_;
  std::map<TCommand, QAction*> actions_;
  QMenu* fileMenu_ = nullptr;
  QMenu* projectMenu_ = nullptr;
  QMenu* moduleGroupMenu_ = nullptr;
  QAction* sepReopen_ = nullptr;
  QAction* sepLanguagesEnd_ = nullptr;
  QAction* emptyGroups_ = nullptr;
  std::vector<QAction*> languageItems_;
  QToolBar* toolBar_ = nullptr;
  QComboBox* charsets_ = nullptr;
  QSplitter* splitter_ = nullptr;
  QTabWidget* tabs_ = nullptr;
  std::vector<TTabPage*> pages_;
  std::vector<QString> tabCaptions_;
  class TFormsPage* formsPage_ = nullptr;
  std::map<TCommand, QAction*> filterButtons_;
  bool searchAgainPossible_ = false;
  std::optional<std::filesystem::file_time_type> compileStamp_;
  TLogPane* log_ = nullptr;
  QLabel* statusLanguage_ = nullptr;
  QLabel* statusHint_ = nullptr;
  TDisplayState display_;
  TCompileRunner* compile_ = nullptr;
  TTranslationViews* views_ = nullptr;
  int compileLanguage_ = 0;
  bool shownOnce_ = false;
};

}  // namespace kst::ui
