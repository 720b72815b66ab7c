// The main window's construction: the command table, menus, tool bar, tabs,
// log pane and status bar, and the close query.
#include "ui/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>

#include "config/language_info.h"
#include "session/translation_session.h"
#include "session/translator_environment.h"
#include "ui/compile_runner.h"
#include "ui/dialog_commands.h"
#include "ui/forms_page.h"
#include "ui/help_viewer.h"
#include "ui/log_pane.h"
#include "ui/qt_interaction.h"
#include "ui/tab_page.h"
#include "ui/translation_views.h"

namespace kst::ui {

const char* const kTitle = "Kestrin Translator for Delphi 3";

struct TfrmLexibox::TCommandRow {
  TCommand command;
  const char* name;      // the action's object name
  const char* caption;   // with the menu's "&"
  const char* shortcut;  // QKeySequence text, or empty
  const char* hint;      // tool tip and status tip
  bool checkable;
  std::function<void()> run;
};

TfrmLexibox::TfrmLexibox(TTranslatorEnvironment& environment, TQtInteraction& interaction)
    : environment_(environment), interaction_(interaction), help_(std::make_unique<THelpViewer>()) {
  setObjectName(QStringLiteral("frmLexibox"));
  setWindowTitle(QString::fromLatin1(kTitle));
  QApplication::setApplicationDisplayName(QString::fromLatin1(kTitle));
  interaction_.SetWindow(this);
  compile_ = new TCompileRunner(environment_.SystemCodePages(), this);
  connect(compile_, &TCompileRunner::Output, this, [this](const QByteArray& ansi) {
    log_->AppendLog(interaction_.Shown(std::string(ansi.constData(), static_cast<size_t>(ansi.size()))));
  });
  connect(compile_, &TCompileRunner::Finished, this, &TfrmLexibox::CompileFinishedRun);

  CreateCommands();
  CreateMenus();
  CreateToolBar();
  CreateTabs();

  statusLanguage_ = new QLabel(this);
  statusLanguage_->setObjectName(QStringLiteral("statusLanguage"));
  statusLanguage_->setMinimumWidth(150);
  statusHint_ = new QLabel(this);
  statusHint_->setObjectName(QStringLiteral("statusHint"));
  statusHint_->setMinimumWidth(50);
  statusBar()->addWidget(statusLanguage_);
  statusBar()->addWidget(statusHint_, 1);
  connect(&interaction_, &TQtInteraction::HintChanged, this, [this](const QString& text) {
    statusHint_->setText(text);
    statusHint_->repaint();
  });

  views_ = new TTranslationViews(*this);
  ReloadDisplaySettings();
  InstallDialogCommands(*this);
  resize(1000, 700);
  UpdateCommands();
}

TfrmLexibox::~TfrmLexibox() {
  compile_->Stop();
  // Hiding commits a cell editor that is still open. That must happen while
  // the window the grids ask is whole, not inside QWidget's destructor.
  hide();
  interaction_.SetWindow(nullptr);
}

TTranslationSession& TfrmLexibox::Session() { return environment_.Session(); }
TProjectData& TfrmLexibox::Project() { return environment_.Project(); }

void TfrmLexibox::CreateCommands() {
  auto on = [this](void (TfrmLexibox::*f)()) { return [this, f] { (this->*f)(); }; };
  const std::vector<TCommandRow> rows = {
      {TCommand::OpenProject, "cmdOpenProject", "&Open Project...", "Ctrl+O", "Open Project", false,
       [this] { OpenProjectDialog(); }},
      {TCommand::SaveProject, "cmdSaveProject", "&Save Project", "Ctrl+S", "Save Project", false, on(&TfrmLexibox::SaveProject)},
      {TCommand::Exit, "FileExitItem", "&Exit", "", "Close the window", false, [this] { close(); }},
      {TCommand::Reopen0, "cmdReopenProject0", "", "", "", false, [this] { Reopen(0); }},
      {TCommand::Reopen1, "cmdReopenProject1", "", "", "", false, [this] { Reopen(1); }},
      {TCommand::Reopen2, "cmdReopenProject2", "", "", "", false, [this] { Reopen(2); }},
      {TCommand::Reopen3, "cmdReopenProject3", "", "", "", false, [this] { Reopen(3); }},
      {TCommand::Reopen4, "cmdReopenProject4", "", "", "", false, [this] { Reopen(4); }},
      {TCommand::Find, "cmdFind", "&Find...", "Ctrl+F", "Find a text in the grid", false, nullptr},
      {TCommand::Replace, "cmdReplace", "&Replace...", "Ctrl+R", "Replace a text in the translations", false, nullptr},
      {TCommand::SearchAgain, "cmdSearchAgain", "Search again", "F3", "Repeat the last search", false, nullptr},
      {TCommand::Undo, "cmdUndo", "&Undo", "Ctrl+Z", "Take back the last change of translations", false, nullptr},
      {TCommand::Redo, "cmdRedo", "Re&do", "Ctrl+Shift+Z", "Make the change taken back again", false, nullptr},
      {TCommand::Internationalize, "cmdInternationalize", "&Internationalize", "", "Work on the project without a target language",
       true, [this] { SelectLanguage(-1); }},
      {TCommand::AddLanguage, "cmdAddLanguage", "Add &Language...", "", "Add a target language", false, nullptr},
      {TCommand::AddModule, "cmdAddModule", "Add &Form...", "", "Add form files to the project", false,
       on(&TfrmLexibox::AddForms)},
      {TCommand::AddCustomResource, "cmdAddCustRes", "Add Custom &Resource...", "", "Add resource files to the project",
       false, on(&TfrmLexibox::AddCustomResources)},
      {TCommand::UserDefinedProperties, "cmdUserDefinedProperties", "User Defined Properties...", "",
       "Properties the form file does not hold", false, nullptr},
      {TCommand::Remove, "cmdRemove", "R&emove", "", "Remove the selected language, form or custom resource", false,
       [this] { RemoveSelected(); }},
      {TCommand::Generate, "cmdGenerate", "Genera&te", "", "Write the sources of the language module", false,
       on(&TfrmLexibox::Generate)},
      {TCommand::Compile, "cmdCompile", "&Compile", "Ctrl+F9", "Build the language module", false, on(&TfrmLexibox::Compile)},
      {TCommand::CheckTranslations, "cmdCheckTranslations", "C&heck Translations", "",
       "Look for faults in the translations that the program would show at run time", false,
       on(&TfrmLexibox::CheckTranslations)},
      {TCommand::WriteExchangeFile, "cmdWriteExchangeFile", "Write Exchange File...", "",
       "Write the texts for an outside translator", false, nullptr},
      {TCommand::ReadExchangeFile, "cmdReadExchangeFile", "Read Exchange File...", "",
       "Read the translations back from an outside translator", false, on(&TfrmLexibox::ReadExchangeFile)},
      {TCommand::ProjectOptions, "cmdProjectOptions", "&Options...", "", "Where the language modules go", false, nullptr},
      {TCommand::AutoTranslate, "cmdAutoTranslate", "&AutoTranslate...", "", "Offer the dictionary's translations", false,
       nullptr},
      {TCommand::EditDictionary, "cmdEditDictionary", "Edit &Dictionary...", "", "Browse and correct the dictionary", false,
       nullptr},
      {TCommand::Config, "cmdConfig", "&Configuration...", "", "Directories, tools, highlighting, module groups, colours",
       false, nullptr},
      {TCommand::ShowStringProperties, "cmdShowStringProperties", "Show &String Properties", "F10",
       "Show String Properties", true, [this] { ShowTypeFilter(TCommand::ShowStringProperties, false); }},
      {TCommand::ShowNumericProperties, "cmdShowNumericProperties", "Show &Numeric Properties", "F11",
       "Show Numeric Properties", true, [this] { ShowTypeFilter(TCommand::ShowNumericProperties, false); }},
      {TCommand::ShowSymbolProperties, "cmdShowSymbolProperties", "Show S&ymbol Properties", "F12",
       "Show Symbol Properties", true, [this] { ShowTypeFilter(TCommand::ShowSymbolProperties, false); }},
      {TCommand::ResetTranslation, "cmdBtnResetTranslation", "Reset Translation", "", "Reset Translation", false,
       [this] { ResetTranslation(); }},
      {TCommand::Delete, "cmdBtnDelete", "Remove", "", "Remove the selected entry", false, [this] { RemoveSelected(); }},
      {TCommand::Help, "cmdHelp", "Help", "F1", "Help on the main window", false, [this] { help_->ShowTopic(kHelpMainWindow); }},
      {TCommand::HelpContents, "cmdHelpContents", "&Contents", "", "The help's contents", false,
       [this] { help_->ShowContents(); }},
      {TCommand::SearchOnHelp, "cmdSearchOnHelp", "&Search for Help On...", "", "Search the help", false,
       [this] { help_->SearchFor(QString()); }},
      {TCommand::Info, "cmdInfo", "Inf&o...", "", "The program's name and version", false, [this] { ShowInfo(); }},
  };
  for (const TCommandRow& row : rows) actions_[row.command] = MakeAction(row.command, row);
}

QAction* TfrmLexibox::MakeAction(TCommand command, const TCommandRow& row) {
  auto* action = new QAction(QString::fromUtf8(row.caption), this);
  action->setObjectName(QString::fromLatin1(row.name));
  if (*row.shortcut) action->setShortcut(QKeySequence(QString::fromLatin1(row.shortcut)));
  if (*row.hint) {
    action->setToolTip(QString::fromUtf8(row.hint));
    action->setStatusTip(QString::fromUtf8(row.hint));
  }
  action->setCheckable(row.checkable);
  // A command whose dialog is not there yet stays off instead of pretending.
  if (row.run)
    connect(action, &QAction::triggered, this, row.run);
  else
    action->setProperty("kstNoHandler", true);
  (void)command;
  return action;
}

void TfrmLexibox::SetCommandHandler(TCommand command, std::function<void()> run) {
  QAction* action = Action(command);
  action->setProperty("kstNoHandler", false);
  disconnect(action, &QAction::triggered, this, nullptr);
  connect(action, &QAction::triggered, this, std::move(run));
  UpdateCommands();
}

void TfrmLexibox::CreateMenus() {
  fileMenu_ = menuBar()->addMenu(tr("&File"));
  fileMenu_->addAction(Action(TCommand::OpenProject));
  fileMenu_->addAction(Action(TCommand::SaveProject));
  sepReopen_ = fileMenu_->addSeparator();
  for (TCommand c : {TCommand::Reopen0, TCommand::Reopen1, TCommand::Reopen2, TCommand::Reopen3, TCommand::Reopen4})
    fileMenu_->addAction(Action(c));
  fileMenu_->addSeparator();
  fileMenu_->addAction(Action(TCommand::Exit));

  QMenu* edit = menuBar()->addMenu(tr("&Edit"));
  edit->addAction(Action(TCommand::Undo));
  edit->addAction(Action(TCommand::Redo));
  edit->addSeparator();
  edit->addAction(Action(TCommand::Find));
  edit->addAction(Action(TCommand::Replace));
  edit->addAction(Action(TCommand::SearchAgain));

  projectMenu_ = menuBar()->addMenu(tr("&Project"));
  projectMenu_->setObjectName(QStringLiteral("mnuProject"));
  projectMenu_->addAction(Action(TCommand::Internationalize));
  sepLanguagesEnd_ = projectMenu_->addSeparator();
  sepLanguagesEnd_->setObjectName(QStringLiteral("mnuSepLanguagesEnd"));
  projectMenu_->addAction(Action(TCommand::AddLanguage));
  projectMenu_->addAction(Action(TCommand::AddModule));
  projectMenu_->addAction(Action(TCommand::AddCustomResource));
  moduleGroupMenu_ = projectMenu_->addMenu(tr("Add Module &Group"));
  moduleGroupMenu_->setObjectName(QStringLiteral("mnuAddModuleGroup"));
  emptyGroups_ = moduleGroupMenu_->addAction(tr("(Empty)"));
  emptyGroups_->setEnabled(false);
  projectMenu_->addAction(Action(TCommand::UserDefinedProperties));
  projectMenu_->addAction(Action(TCommand::Remove));
  projectMenu_->addSeparator();
  projectMenu_->addAction(Action(TCommand::Generate));
  projectMenu_->addAction(Action(TCommand::Compile));
  projectMenu_->addAction(Action(TCommand::CheckTranslations));
  projectMenu_->addSeparator();
  projectMenu_->addAction(Action(TCommand::WriteExchangeFile));
  projectMenu_->addAction(Action(TCommand::ReadExchangeFile));
  projectMenu_->addSeparator();
  projectMenu_->addAction(Action(TCommand::ProjectOptions));
  connect(projectMenu_, &QMenu::aboutToShow, this, &TfrmLexibox::RefillProjectMenu);

  QMenu* view = menuBar()->addMenu(tr("&View"));
  view->addAction(Action(TCommand::ShowStringProperties));
  view->addAction(Action(TCommand::ShowNumericProperties));
  view->addAction(Action(TCommand::ShowSymbolProperties));
  view->addSeparator();
  view->addAction(Action(TCommand::ResetTranslation));

  QMenu* dictionary = menuBar()->addMenu(tr("&Dictionary"));
  dictionary->addAction(Action(TCommand::AutoTranslate));
  dictionary->addAction(Action(TCommand::EditDictionary));

  QMenu* tools = menuBar()->addMenu(tr("&Tools"));
  tools->addAction(Action(TCommand::Config));

  QMenu* help = menuBar()->addMenu(tr("&Help"));
  help->addAction(Action(TCommand::Help));
  help->addAction(Action(TCommand::HelpContents));
  help->addAction(Action(TCommand::SearchOnHelp));
  help->addSeparator();
  help->addAction(Action(TCommand::Info));
}

void TfrmLexibox::CreateToolBar() {
  toolBar_ = addToolBar(tr("Tools"));
  toolBar_->setObjectName(QStringLiteral("toolBar"));
  toolBar_->setMovable(false);
  QStyle* style = QApplication::style();
  Action(TCommand::OpenProject)->setIcon(style->standardIcon(QStyle::SP_DialogOpenButton));
  Action(TCommand::SaveProject)->setIcon(style->standardIcon(QStyle::SP_DialogSaveButton));
  Action(TCommand::ResetTranslation)->setIcon(style->standardIcon(QStyle::SP_DialogResetButton));
  Action(TCommand::Delete)->setIcon(style->standardIcon(QStyle::SP_TrashIcon));
  toolBar_->addAction(Action(TCommand::OpenProject));
  toolBar_->addAction(Action(TCommand::SaveProject));
  toolBar_->addSeparator();
  // The filter buttons are check buttons of their own that copy their state
  // into the menu items.
  struct {
    TCommand command;
    const char* name;
    const char* text;
  } filters[] = {{TCommand::ShowStringProperties, "cmdBtnShowStringProperties", "Str"},
                 {TCommand::ShowNumericProperties, "cmdBtnShowNumericProperties", "Num"},
                 {TCommand::ShowSymbolProperties, "cmdBtnShowSymbolProperties", "Sym"}};
  for (const auto& f : filters) {
    auto* button = new QAction(QString::fromLatin1(f.text), this);
    button->setObjectName(QString::fromLatin1(f.name));
    button->setCheckable(true);
    button->setToolTip(Action(f.command)->toolTip());
    TCommand command = f.command;
    connect(button, &QAction::triggered, this, [this, command, button] {
      Action(command)->setChecked(button->isChecked());
      ShowTypeFilter(command, true);
    });
    filterButtons_[command] = button;
    toolBar_->addAction(button);
  }
  toolBar_->addSeparator();
  toolBar_->addAction(Action(TCommand::ResetTranslation));
  toolBar_->addAction(Action(TCommand::Delete));
  toolBar_->addSeparator();
  auto* label = new QLabel(tr("Display Character Set:"), toolBar_);
  label->setContentsMargins(4, 0, 4, 0);
  toolBar_->addWidget(label);
  charsets_ = new QComboBox(toolBar_);
  charsets_->setObjectName(QStringLiteral("ctlCharSets"));
  for (const TDisplayCharset& c : DisplayCharsets()) charsets_->addItem(QString::fromLatin1(c.name), c.charset);
  charsets_->setCurrentIndex(1);
  label->setBuddy(charsets_);
  toolBar_->addWidget(charsets_);
  connect(charsets_, &QComboBox::currentIndexChanged, this, [this](int index) {
    display_.charset = charsets_->itemData(index).toInt();
    emit DisplayChanged();
  });
}

void TfrmLexibox::CreateTabs() {
  splitter_ = new QSplitter(Qt::Vertical, this);
  tabs_ = new QTabWidget(splitter_);
  tabs_->setObjectName(QStringLiteral("ctlTabs"));
  auto* overview = new TTabPage(*this);
  overview->setObjectName(QStringLiteral("sheetOverview"));
  formsPage_ = new TFormsPage(*this);
  auto* strings = new TTabPage(*this);
  strings->setObjectName(QStringLiteral("sheetResourceStrings"));
  auto* custom = new TTabPage(*this);
  custom->setObjectName(QStringLiteral("sheetCustomResources"));
  auto* version = new TTabPage(*this);
  version->setObjectName(QStringLiteral("sheetVersionResource"));
  pages_ = {overview, formsPage_, strings, custom, version};
  tabCaptions_ = {tr("Project Overview"), tr("Forms"), tr("Resource Strings"), tr("Custom Resources"),
                  tr("Version Resource")};
  tabs_->addTab(overview, tabCaptions_[0]);
  tabs_->setVisible(false);
  log_ = new TLogPane(splitter_);
  splitter_->addWidget(tabs_);
  splitter_->addWidget(log_);
  splitter_->setStretchFactor(0, 4);
  splitter_->setStretchFactor(1, 1);
  splitter_->setChildrenCollapsible(false);
  setCentralWidget(splitter_);
  connect(tabs_, &QTabWidget::currentChanged, this, [this] { UpdateCommands(); });
}

void TfrmLexibox::SetPage(TTab tab, TTabPage* page) {
  size_t index = static_cast<size_t>(tab);
  TTabPage* old = pages_[index];
  int at = tabs_->indexOf(old);
  pages_[index] = page;
  if (tab == TTab::Forms) formsPage_ = dynamic_cast<TFormsPage*>(page);
  if (at >= 0) {
    tabs_->removeTab(at);
    tabs_->insertTab(at, page, tabCaptions_[index]);
  }
  delete old;
  UpdateCommands();
}

TTab TfrmLexibox::ActiveTab() const {
  for (size_t i = 0; i < pages_.size(); ++i)
    if (tabs_->currentWidget() == pages_[i]) return static_cast<TTab>(i);
  return TTab::Overview;
}

void TfrmLexibox::ShowTab(TTab tab) {
  int at = tabs_->indexOf(pages_[static_cast<size_t>(tab)]);
  if (at >= 0) tabs_->setCurrentIndex(at);
}

void TfrmLexibox::SetTranslationTabsVisible(bool visible) {
  bool shown = tabs_->count() > 1;
  if (visible == shown) return;
  // Taking tabs out keeps their pages alive: they belong to the window.
  QWidget* current = tabs_->currentWidget();
  while (tabs_->count() > 1) tabs_->removeTab(1);
  if (visible)
    for (size_t i = 1; i < pages_.size(); ++i) tabs_->addTab(pages_[i], tabCaptions_[i]);
  int at = tabs_->indexOf(current);
  tabs_->setCurrentIndex(at >= 0 ? at : 0);
}

void TfrmLexibox::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (shownOnce_) return;
  shownOnce_ = true;
  Action(TCommand::ShowStringProperties)->setChecked(true);
  UpdateCommands();
}

void TfrmLexibox::closeEvent(QCloseEvent* event) {
  if (compile_->Running() && !ConfirmStopCompile()) {
    event->ignore();
    return;
  }
  if (!CloseProject()) {
    event->ignore();
    return;
  }
  help_.reset();
  event->accept();
}

}  // namespace kst::ui
