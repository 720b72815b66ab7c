// What the dialog commands do around their dialogs: preset them from the
// project, and hand their results to the session.
#include "ui/dialog_commands.h"

#include <QAction>

#include <memory>

#include "exchange/exchange_file.h"
#include "exchange/exchange_format.h"
#include "project/project_data.h"
#include "session/pseudo_translation.h"
#include "session/translation_session.h"
#include "session/translator_environment.h"
#include "ui/auto_translate_dialog.h"
#include "ui/config_dialog.h"
#include "ui/dictionary_dialog.h"
#include "ui/main_window.h"
#include "ui/new_language_dialog.h"
#include "ui/project_options_dialog.h"
#include "ui/qt_interaction.h"
#include "ui/user_defined_dialog.h"
#include "ui/write_exchange_dialog.h"

namespace kst::ui {

namespace {

// Paths as the window shows them (the file system's UTF-8).
QString PathText(const std::string& path) { return QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size())); }

void AddLanguage(TfrmLexibox& w) {
  TTranslationSession& session = w.Session();
  if (!session.IsProjectOpen() || session.CurrentLanguage() > 0) return;
  TfrmNewLanguage dialog(&w, &w.Help(), w.Interaction(), [&w](int id) { return w.Project().LanguageRefusal(id); });
  if (dialog.exec() != QDialog::Accepted) return;
  w.Run("add language", [&] { session.AddLanguage(dialog.GetSelectedLanguageId()); });
  w.AfterStructureChange();
}

void UserDefinedProperties(TfrmLexibox& w) {
  TTranslationSession& session = w.Session();
  TModuleHelper* form = session.CurrentForm();
  if (!session.IsProjectOpen() || session.CurrentLanguage() <= 0 || !form) return;
  TfrmUserDefinedProperties dialog(&w, &w.Help(), w.Interaction());
  dialog.SetModule(*form);
  dialog.exec();
  // The form's grid lists the entries anew; selecting the form again stores
  // its translations with the new entries first.
  if (dialog.Changed()) w.SelectForm(w.CurrentFormName());
}

void WriteExchange(TfrmLexibox& w) {
  TTranslationSession& session = w.Session();
  if (!session.IsProjectOpen() || session.CurrentLanguage() <= 0) return;
  TProjectData& project = w.Project();
  TfrmWriteExchangeFile dialog(&w, &w.Help(), w.Interaction());
  dialog.SetFileName(PathText(project.ExpandFileName(session.DefaultExchangeFileName())));
  dialog.SetTypeFilter(kFilterStrings);
  dialog.SetIncludeOriginal(true);
  dialog.SetResolver([&](const QString& name) { return PathText(project.ExpandFileName(w.FromScreen(name))); });
  if (dialog.exec() != QDialog::Accepted) return;
  w.Interaction().SetBusyCursor(true);
  w.Run("exchange", [&] {
    TExchangeWriteOptions options;
    options.format = dialog.Format();
    options.typeFilter = dialog.TypeFilter();
    options.includeOriginal = dialog.IncludeOriginal();
    options.highlighted = PseudoHighlightTest(w.Environment());
    WriteExchange(project, project.ExpandFileName(w.FromScreen(dialog.FileName())), session.CurrentLanguage(), options);
  });
  w.Interaction().SetBusyCursor(false);
}

void ProjectOptions(TfrmLexibox& w) {
  if (!w.Session().IsProjectOpen()) return;
  TfrmProjectOptions dialog(&w, &w.Help(), w.Interaction());
  dialog.SetOutputChoice(PathText(w.Project().GetOutputDirectory(true, -1)));
  if (dialog.exec() != QDialog::Accepted) return;
  w.Run("project options", [&] { w.Project().SetOutputDirectory(w.FromScreen(dialog.GetOutputChoice())); });
  w.UpdateCommands();
}

void AutoTranslate(TfrmLexibox& w) {
  TTranslationSession& session = w.Session();
  if (!session.IsProjectOpen() || session.CurrentLanguage() <= 0) return;
  TQtAutoTranslate dialog(&w, &w.Help(), w.Interaction(), session.OriginalCodePage(), session.TranslationCodePage());
  switch (w.ActiveTab()) {
    case TTab::Forms:
      if (!session.CurrentForm()) return;
      w.Run("auto translate", [&] { session.AutoTranslateForm(dialog, w.TypeFilter()); });
      emit w.FormChanged();
      break;
    case TTab::ResourceStrings:
      w.Run("auto translate", [&] { session.AutoTranslateResourceStrings(dialog); });
      emit w.LanguageChanged();
      break;
    default: return;
  }
}

void EditDictionary(TfrmLexibox& w) {
  std::unique_ptr<TfrmEditDictionary> dialog;
  TTranslatorEnvironment& environment = w.Environment();
  w.Run("dictionary", [&] {
    dialog = std::make_unique<TfrmEditDictionary>(&w, &w.Help(), w.Interaction(), environment.Common(),
                                                  environment.SystemCodePages());
  });
  if (dialog) dialog->exec();
}

void Config(TfrmLexibox& w) {
  std::unique_ptr<TfrmConfig> dialog;
  w.Run("options", [&] { dialog = std::make_unique<TfrmConfig>(&w, &w.Help(), w.Interaction(), w.Environment()); });
  if (!dialog) return;
  bool stored = dialog->exec() == QDialog::Accepted;
  dialog.reset();
  if (!stored) return;
  // The colours, styles and font size, the highlighting rules and whether
  // only highlighted properties show: the grids are drawn and filled anew.
  w.ReloadDisplaySettings();
  emit w.FormChanged();
  w.update();
  w.UpdateCommands();
}

}  // namespace

void InstallDialogCommands(TfrmLexibox& window) {
  TfrmLexibox* w = &window;
  window.SetCommandHandler(TCommand::AddLanguage, [w] { AddLanguage(*w); });
  window.SetCommandHandler(TCommand::UserDefinedProperties, [w] { UserDefinedProperties(*w); });
  window.SetCommandHandler(TCommand::WriteExchangeFile, [w] { WriteExchange(*w); });
  window.SetCommandHandler(TCommand::ProjectOptions, [w] { ProjectOptions(*w); });
  window.SetCommandHandler(TCommand::AutoTranslate, [w] { AutoTranslate(*w); });
  window.SetCommandHandler(TCommand::EditDictionary, [w] { EditDictionary(*w); });
  window.SetCommandHandler(TCommand::Config, [w] { Config(*w); });
}

}  // namespace kst::ui
