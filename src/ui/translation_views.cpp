// The translation views wired into the window.
#include "ui/translation_views.h"

#include <QLabel>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>

#include "config/language_info.h"
#include "dictionary/auto_translate.h"
#include "session/translation_session.h"
#include "session/translator_environment.h"
#include "ui/file_change_watcher.h"
#include "ui/grid_model.h"
#include "ui/grid_page.h"
#include "ui/main_window.h"
#include "ui/overview_page.h"
#include "ui/properties_page.h"
#include "ui/qt_interaction.h"
#include "ui/resource_strings_page.h"
#include "ui/search_commands.h"
#include "ui/spell_checker.h"
#include "ui/translation_grid.h"
#include "ui/version_page.h"

namespace kst::ui {

TTranslationViews::TTranslationViews(TfrmLexibox& window)
    : QObject(&window), window_(window), spell_(std::make_unique<TSpellChecker>()) {
  setObjectName(QStringLiteral("translationViews"));
  overview_ = new TOverviewPage(window);
  properties_ = new TPropertiesPage(window, spell_.get());
  strings_ = new TResourceStringsPage(window, spell_.get());
  custom_ = NewCustomResourcesPage(window, spell_.get());
  version_ = new TVersionPage(window, spell_.get());
  window.SetPage(TTab::Overview, overview_);
  window.SetPage(TTab::Forms, properties_);
  window.SetPage(TTab::ResourceStrings, strings_);
  window.SetPage(TTab::CustomResources, custom_);
  window.SetPage(TTab::VersionResource, version_);

  search_ = new TSearchCommands(window, *properties_->Grid(), *strings_->Grid());
  watcher_ = new TFileChangeWatcher(window);
  window.SetCommandHandler(TCommand::Find, [this] { search_->Find(); });
  window.SetCommandHandler(TCommand::Replace, [this] { search_->Replace(); });
  window.SetCommandHandler(TCommand::SearchAgain, [this] { search_->SearchAgain(); });
  window.SetCommandHandler(TCommand::Undo, [this] { Undo(); });
  window.SetCommandHandler(TCommand::Redo, [this] { Redo(); });
  window.SetCommandHandler(TCommand::AutoTranslate, [this] { AutoTranslate(); });

  spellingStatus_ = new QLabel(&window);
  spellingStatus_->setObjectName(QStringLiteral("statusSpelling"));
  spellingStatus_->setVisible(false);
  window.statusBar()->addPermanentWidget(spellingStatus_);

  for (TTranslationGrid* grid : {properties_->Grid(), strings_->Grid(), custom_->Grid(), version_->Grid()}) {
    connect(grid->Model(), &TGridModel::TranslationChanged, &window, &TfrmLexibox::UpdateCommands);
    connect(grid, &TTranslationGrid::CurrentRowChanged, &window, &TfrmLexibox::UpdateCommands);
  }
  // A cell being edited on the tab that is left is stored then, not later.
  connect(window.Tabs(), &QTabWidget::currentChanged, this, [this] { window_.CommitEdits(); });
  connect(&window, &TfrmLexibox::LanguageChanged, this, &TTranslationViews::LanguageChanged);
  connect(&window, &TfrmLexibox::ProjectChanged, this, &TTranslationViews::LanguageChanged);
}

TTranslationViews::~TTranslationViews() = default;

void TTranslationViews::LanguageChanged() {
  int language = window_.Session().CurrentLanguage();
  spell_->SetLanguage(language);
  const TSystemCodePages& system = window_.Environment().SystemCodePages();
  QString name = language > 0 ? window_.Ansi(LanguageDisplayName(language, system.ansi)).simplified() : QString();
  spellingStatus_->setText(spell_->StatusText(name));
  spellingStatus_->setVisible(language > 0);
}

void TTranslationViews::RefreshGrids() {
  for (TTranslationGrid* grid : {properties_->Grid(), strings_->Grid(), custom_->Grid(), version_->Grid()})
    grid->Model()->RefreshRows();
}

void TTranslationViews::AfterTranslationChange(bool formMayHaveChanged) {
  // Undoing an edit of another form makes that form current again, as the
  // edit did: the grid follows it.
  if (formMayHaveChanged) properties_->Refill();
  RefreshGrids();
  window_.UpdateCommands();
}

void TTranslationViews::Undo() {
  TTranslationSession& session = window_.Session();
  window_.CommitEdits();
  const TModuleHelper* form = session.CurrentForm();
  window_.Run("undo", [&] { session.Undo(); });
  AfterTranslationChange(session.CurrentForm() != form);
}

void TTranslationViews::Redo() {
  TTranslationSession& session = window_.Session();
  window_.CommitEdits();
  const TModuleHelper* form = session.CurrentForm();
  window_.Run("redo", [&] { session.Redo(); });
  AfterTranslationChange(session.CurrentForm() != form);
}

void TTranslationViews::AutoTranslate() {
  TTranslationSession& session = window_.Session();
  if (session.CurrentLanguage() <= 0) return;
  window_.CommitEdits();
  std::unique_ptr<TAutoTranslateDialog> dialog =
      autoTranslate_ ? autoTranslate_(&window_) : std::make_unique<TInteractionAutoTranslate>(window_.Interaction());
  const TTab tab = window_.ActiveTab();
  window_.Run("auto translate", [&] {
    if (tab == TTab::Forms)
      session.AutoTranslateForm(*dialog, window_.TypeFilter());
    else if (tab == TTab::ResourceStrings)
      session.AutoTranslateResourceStrings(*dialog);
  });
  AfterTranslationChange(false);
}

}  // namespace kst::ui
