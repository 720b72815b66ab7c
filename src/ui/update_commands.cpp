// UpdateCommands, the one place that decides every command's state, and the
// Project menu's languages and module groups, rebuilt each time it opens.
#include <QAction>
#include <QActionGroup>
#include <QLabel>
#include <QMenu>
#include <QSplitter>
#include <QTabWidget>

#include "config/language_info.h"
#include "config/registry_settings.h"
#include "config/text_helpers.h"
#include "dictionary/module_groups.h"
#include "project/project_data.h"
#include "session/translation_session.h"
#include "session/translator_environment.h"
#include "ui/compile_runner.h"
#include "ui/main_window.h"
#include "ui/qt_interaction.h"
#include "ui/tab_page.h"

namespace kst::ui {

QString TfrmLexibox::LanguageStatusText() const {
  int language = const_cast<TfrmLexibox*>(this)->Session().CurrentLanguage();
  if (language <= 0) return tr("Internationalization");
  int page = environment_.SystemCodePages().ansi;
  QString text = Ansi(LanguageInfoText(language, LOCALE_SLANGUAGE, page));
  if ((language & 0xFFFF) >= 256) text += QStringLiteral(" (") + Ansi(LanguageInfoText(language, LOCALE_SCOUNTRY, page)) + ")";
  // The locale's name keeps the blank before its "(": one blank on screen.
  return text.simplified();
}

void TfrmLexibox::UpdateCommands() {
  TTranslationSession& session = Session();
  const bool open = session.IsProjectOpen();
  const bool language = open && session.CurrentLanguage() > 0;
  const bool compiling = compile_->Running();
  const TTab tab = ActiveTab();
  const bool form = session.CurrentForm() != nullptr;

  std::map<TCommand, bool> on;
  for (const auto& [command, action] : actions_) on[command] = true;
  // Commands of the project menu, and those that need an open project.
  for (TCommand c : {TCommand::Internationalize, TCommand::AddLanguage, TCommand::AddModule, TCommand::AddCustomResource,
                     TCommand::UserDefinedProperties, TCommand::Remove, TCommand::Generate, TCommand::Compile,
                     TCommand::CheckTranslations, TCommand::WriteExchangeFile, TCommand::ReadExchangeFile,
                     TCommand::ProjectOptions, TCommand::SaveProject,
                     TCommand::Find, TCommand::Replace, TCommand::SearchAgain, TCommand::ShowStringProperties,
                     TCommand::ShowNumericProperties, TCommand::ShowSymbolProperties, TCommand::ResetTranslation,
                     TCommand::AutoTranslate, TCommand::Undo, TCommand::Redo})
    on[c] = open;
  if (open) {
    on[TCommand::AddModule] = on[TCommand::AddLanguage] = !language;
    on[TCommand::Generate] = on[TCommand::Compile] = on[TCommand::CheckTranslations] = language;
    bool formsTab = language && tab == TTab::Forms;
    on[TCommand::ShowStringProperties] = on[TCommand::ShowNumericProperties] = on[TCommand::ShowSymbolProperties] = formsTab;
    TTabPage* page = pages_[static_cast<size_t>(tab)];
    on[TCommand::ResetTranslation] = language && tab != TTab::Overview && page->CanResetTranslation();
    on[TCommand::UserDefinedProperties] = formsTab && form;
    on[TCommand::Find] = on[TCommand::Replace] = language && ((tab == TTab::Forms && form) || tab == TTab::ResourceStrings);
    on[TCommand::SearchAgain] = on[TCommand::Find] && searchAgainPossible_;
    on[TCommand::ReadExchangeFile] = on[TCommand::WriteExchangeFile] = language;
    on[TCommand::AutoTranslate] = language && (tab == TTab::Forms || tab == TTab::ResourceStrings);
    on[TCommand::Undo] = language && session.CanUndo();
    on[TCommand::Redo] = language && session.CanRedo();
  }
  // Removal: the overview's selection decides.
  on[TCommand::Remove] = on[TCommand::Delete] =
      open && tab == TTab::Overview && pages_[static_cast<size_t>(TTab::Overview)]->CanRemove();
  // While the compiler runs on its thread nothing may change the project.
  if (compiling)
    for (TCommand c : {TCommand::OpenProject, TCommand::SaveProject, TCommand::Reopen0, TCommand::Reopen1, TCommand::Reopen2,
                       TCommand::Reopen3, TCommand::Reopen4, TCommand::Internationalize, TCommand::AddLanguage,
                       TCommand::AddModule, TCommand::AddCustomResource, TCommand::UserDefinedProperties, TCommand::Remove,
                       TCommand::Delete, TCommand::Generate, TCommand::Compile, TCommand::WriteExchangeFile,
                       TCommand::ReadExchangeFile, TCommand::ProjectOptions, TCommand::AutoTranslate,
                       TCommand::EditDictionary, TCommand::Config, TCommand::Replace, TCommand::ResetTranslation,
                       TCommand::Undo, TCommand::Redo})
      on[c] = false;
  for (const auto& [command, action] : actions_) {
    bool noHandler = action->property("kstNoHandler").toBool();
    action->setEnabled(on[command] && !noHandler);
  }
  Action(TCommand::Internationalize)->setChecked(!language);
  for (const auto& [command, button] : filterButtons_) {
    button->setEnabled(Action(command)->isEnabled());
    button->setChecked(Action(command)->isChecked());
  }
  for (QAction* item : languageItems_) {
    item->setEnabled(open && !compiling);
    item->setChecked(language && item->data().toInt() == session.CurrentLanguage());
  }

  if (open && !tabs_->isVisibleTo(this)) {
    // The tab control appears with the first project; the splitter gave it
    // no room while it was hidden.
    tabs_->setVisible(true);
    int height = std::max(splitter_->height(), 400);
    splitter_->setSizes({height * 4 / 5, height / 5});
  }
  SetTranslationTabsVisible(language);
  statusLanguage_->setText(LanguageStatusText());
  RefillRecentProjects();
}

void TfrmLexibox::RefillProjectMenu() {
  UpdateCommands();
  if (!Session().IsProjectOpen()) return;
  for (QAction* item : languageItems_) {
    projectMenu_->removeAction(item);
    delete item;
  }
  languageItems_.clear();
  auto* group = new QActionGroup(projectMenu_);
  group->addAction(Action(TCommand::Internationalize));
  for (const TLanguageEntry& entry : Project().Languages) {
    auto* item = new QAction(Ansi(entry.Name).simplified().replace(QLatin1Char('&'), QLatin1String("&&")), projectMenu_);
    item->setCheckable(true);
    item->setData(entry.Item->LanguageId);
    item->setObjectName(QStringLiteral("mnuLanguage%1").arg(entry.Item->LanguageId, 4, 16, QLatin1Char('0')));
    group->addAction(item);
    int id = entry.Item->LanguageId;
    connect(item, &QAction::triggered, this, [this, id] {
      if (id > 0) SelectLanguage(id);
    });
    projectMenu_->insertAction(sepLanguagesEnd_, item);
    languageItems_.push_back(item);
  }
  UpdateCommands();

  for (QAction* item : moduleGroupMenu_->actions())
    if (item != emptyGroups_) {
      moduleGroupMenu_->removeAction(item);
      delete item;
    }
  std::vector<std::string> names;
  if (environment_.DictionaryOpen()) {
    try {
      environment_.ModuleGroups().GetGroupNames(names);
    } catch (const std::exception& e) {
      interaction_.ShowWarning(e.what());
    }
  }
  for (const std::string& name : names) {
    QString caption = Ansi(name);
    QAction* item = moduleGroupMenu_->addAction(QString(caption).replace(QLatin1Char('&'), QLatin1String("&&")));
    connect(item, &QAction::triggered, this, [this, caption] { AddModuleGroup(caption); });
  }
  emptyGroups_->setVisible(names.empty());
  moduleGroupMenu_->setEnabled(Session().IsProjectOpen() && !compile_->Running());
}

}  // namespace kst::ui
