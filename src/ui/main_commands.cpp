// What the main window's commands do: opening, saving and closing with the
// save prompt, choosing the language and the form, generating and
// compiling, exchange files, recent projects. Every command ends with the
// views refilled and UpdateCommands, whatever happened on the way.
#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QTabWidget>

#include "build/language_module.h"
#include "build/module_verify.h"
#include "config/language_info.h"
#include "config/registry_settings.h"
#include "dictionary/display_settings.h"
#include "exchange/exchange_file.h"
#include "exchange/exchange_format.h"
#include "platform/file_utils.h"
#include "project/project_data.h"
#include "session/translation_session.h"
#include "session/translator_environment.h"
#include "ui/compile_runner.h"
#include "ui/forms_page.h"
#include "ui/info_dialog.h"
#include "ui/log_pane.h"
#include "ui/main_window.h"
#include "ui/qt_interaction.h"
#include "ui/tab_page.h"
#include "ui/ui_text.h"

namespace kst::ui {

namespace {

constexpr const char* kSaveQuestion = "Do you want to save the project settings?";

QString FileFilter(std::initializer_list<std::pair<const char*, const char*>> pairs) {
  QStringList parts;
  for (const auto& [description, patterns] : pairs) {
    QString p = QString::fromLatin1(patterns);
    p.replace(QLatin1Char(';'), QLatin1Char(' '));
    parts << QStringLiteral("%1 (%2)").arg(QString::fromLatin1(description), p);
  }
  return parts.join(QStringLiteral(";;"));
}

}  // namespace

void TfrmLexibox::Run(const char* what, const std::function<void()>& action) {
  try {
    action();
  } catch (const std::exception& e) {
    // The core's messages are in the system's code page.
    interaction_.ShowError(interaction_.Shown(e.what()));
  }
  (void)what;
}

QString TfrmLexibox::Ansi(const std::string& text) const { return interaction_.Shown(text); }

std::string TfrmLexibox::FromScreen(const QString& text) const {
  // File names typed or chosen on this system: UTF-8 is what the file system
  // takes; the core keeps them as bytes.
  QByteArray bytes = text.toUtf8();
  return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

void TfrmLexibox::OpenProjectDialog() {
  QString file = QFileDialog::getOpenFileName(
      this, tr("Open Project"), QString(),
      FileFilter({{"Delphi Project", "*.dpr"}, {"Delphi Packages", "*.dpl;*.bpl"}, {"Executables", "*.exe;*.dll"}, {"All Files", "*"}}));
  if (!file.isEmpty()) OpenProject(file);
}

void TfrmLexibox::CommitEdits() {
  for (TTabPage* page : pages_) page->CommitEdit();
}

bool TfrmLexibox::LeaveProject() {
  if (!Session().IsProjectOpen()) return true;
  CommitEdits();
  TAnswer answer = interaction_.Ask(kSaveQuestion, TButtons::YesNoCancel);
  if (answer == TAnswer::Cancel) return false;
  bool stored = false;
  Run("close", [&] {
    if (answer == TAnswer::Yes)
      Session().SaveProject();
    else
      // No skips the project settings only: the translations typed since
      // the last switch are stored as every switch stores them.
      Session().SelectLanguage(-1);
    stored = true;
  });
  return stored;
}

void TfrmLexibox::OpenProject(const QString& file) {
  if (compile_->Running()) return;
  if (!LeaveProject()) return;
  std::string name = AbsolutePath(FromScreen(file));
  interaction_.SetBusyCursor(true);
  Run("open", [&] {
    Session().CloseProject();
    if (Session().OpenProject(name)) AddRecent(name);
  });
  interaction_.SetBusyCursor(false);
  AfterStructureChange();
  emit LanguageChanged();
}

void TfrmLexibox::SaveProject() {
  if (!Session().IsProjectOpen()) return;
  CommitEdits();
  interaction_.SetBusyCursor(true);
  Run("save", [&] { Session().SaveProject(); });
  interaction_.SetBusyCursor(false);
  UpdateCommands();
}

bool TfrmLexibox::CloseProject() {
  if (!LeaveProject()) return false;
  Run("close", [&] { Session().CloseProject(); });
  AfterStructureChange();
  return true;
}

void TfrmLexibox::Reopen(int index) {
  std::vector<std::string> recent = ReadRecentProjects(environment_.Location());
  if (index < static_cast<int>(recent.size())) OpenProject(QString::fromUtf8(recent[static_cast<size_t>(index)].c_str()));
}

void TfrmLexibox::SelectLanguage(int languageId) {
  if (!Session().IsProjectOpen() || compile_->Running()) return;
  CommitEdits();
  interaction_.SetBusyCursor(true);
  Run("language", [&] { Session().SelectLanguage(languageId); });
  interaction_.SetBusyCursor(false);
  if (Session().CurrentLanguage() <= 0) ShowTab(TTab::Overview);
  emit LanguageChanged();
  UpdateCommands();
}

void TfrmLexibox::SelectForm(const QString& name) {
  if (!Session().IsProjectOpen()) return;
  CommitEdits();
  Run("form", [&] {
    TModuleHelper* form = name.isEmpty() ? nullptr : Project().FindModule(FromScreen(name));
    Session().SelectForm(form);
  });
  emit FormChanged();
  UpdateCommands();
}

QString TfrmLexibox::CurrentFormName() const {
  TModuleHelper* form = const_cast<TfrmLexibox*>(this)->Session().CurrentForm();
  if (!form) return QString();
  for (const TModuleEntry& m : const_cast<TfrmLexibox*>(this)->Project().Modules)
    if (m.Module.get() == form) return QString::fromUtf8(m.Name.c_str());
  return QString();
}

void TfrmLexibox::AfterStructureChange() {
  SetTitle();
  emit ProjectChanged();
  UpdateCommands();
}

void TfrmLexibox::SetTitle() {
  QString title = QString::fromLatin1("Kestrin Translator for Delphi 3");
  if (Session().IsProjectOpen())
    title += QStringLiteral(" - ") + QFileInfo(QString::fromUtf8(Project().FileName.c_str())).completeBaseName();
  setWindowTitle(title);
  QApplication::setApplicationDisplayName(title);
}

void TfrmLexibox::AddRecent(const std::string& file) { AddRecentProject(environment_.Location(), file); }

void TfrmLexibox::AddForms() {
  QStringList files = QFileDialog::getOpenFileNames(this, tr("Add Form"), QString::fromUtf8(Project().Directory().c_str()),
                                                    FileFilter({{"Delphi Form Files", "*.dfm;*.DFM"}, {"All Files", "*"}}));
  if (files.isEmpty()) return;
  interaction_.SetBusyCursor(true);
  for (const QString& file : files) Run("add form", [&] { Session().AddForm(AbsolutePath(FromScreen(file))); });
  interaction_.SetBusyCursor(false);
  AfterStructureChange();
}

void TfrmLexibox::AddCustomResources() {
  QStringList files = QFileDialog::getOpenFileNames(
      this, tr("Add Custom Resource"), QString::fromUtf8(Project().Directory().c_str()),
      FileFilter({{"Resource Files", "*.res;*.RES;*.r32;*.R32"}, {"All Files", "*"}}));
  if (files.isEmpty()) return;
  for (const QString& file : files) Run("add resource", [&] { Session().AddCustomResource(AbsolutePath(FromScreen(file))); });
  AfterStructureChange();
}

void TfrmLexibox::AddModuleGroup(const QString& name) {
  interaction_.SetBusyCursor(true);
  Run("module group", [&] { environment_.AddModuleGroup(FromScreen(name)); });
  interaction_.SetBusyCursor(false);
  AfterStructureChange();
}

void TfrmLexibox::RefillRecentProjects() {
  std::vector<std::string> recent = ReadRecentProjects(environment_.Location());
  const TCommand items[] = {TCommand::Reopen0, TCommand::Reopen1, TCommand::Reopen2, TCommand::Reopen3, TCommand::Reopen4};
  for (size_t i = 0; i < 5; ++i) {
    QAction* action = Action(items[i]);
    bool used = i < recent.size();
    // The path as the file system has it; "&" would be taken as a shortcut.
    action->setText(used ? QString::fromUtf8(recent[i].c_str()).replace(QLatin1Char('&'), QLatin1String("&&")) : QString());
    action->setVisible(used);
  }
  sepReopen_->setVisible(!recent.empty());
}

void TfrmLexibox::Generate() {
  int language = Session().CurrentLanguage();
  if (!Session().IsProjectOpen() || language <= 0 || compile_->Running()) return;
  CommitEdits();
  interaction_.SetBusyCursor(true);
  Run("generate", [&] {
    Session().SaveProject();
    GenerateLanguageModule(Project(), language);
  });
  interaction_.SetBusyCursor(false);
  UpdateCommands();
}

void TfrmLexibox::Compile() {
  int language = Session().CurrentLanguage();
  if (!Session().IsProjectOpen() || language <= 0 || compile_->Running()) return;
  CommitEdits();
  log_->ClearLog();
  log_->AppendLine(QStringLiteral("--- %1 ----").arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))));
  bool generated = false;
  std::string commandLine;
  interaction_.SetBusyCursor(true);
  Run("compile", [&] {
    Session().SaveProject();
    GenerateLanguageModule(Project(), language);
    ForceDirectories(ExtractFileDir(ChangeFileExt(Project().TranslatedFileName(Project().FileName, language), ".dpr")));
    commandLine = CompilerCommandLine(Project(), language);
    compileStamp_ = LanguageModuleStamp(Project(), language);
    generated = true;
  });
  interaction_.SetBusyCursor(false);
  if (!generated) {
    UpdateCommands();
    return;
  }
  compileLanguage_ = language;
  interaction_.SetHint("Compiling...");
  compile_->Start(commandLine);
  UpdateCommands();
}

void TfrmLexibox::CompileFinishedRun(const QString& error, bool stopped) {
  interaction_.SetHint("");
  bool written = false;
  if (!error.isEmpty()) {
    log_->AppendLine(error);
    if (!stopped) interaction_.ShowError(error);
  } else if (Session().IsProjectOpen() && Session().CurrentLanguage() == compileLanguage_) {
    auto after = LanguageModuleStamp(Project(), compileLanguage_);
    std::string module = LanguageModuleFileName(Project(), compileLanguage_);
    written = after && after != compileStamp_;
    if (!written) {
      log_->AppendLine(tr("No language module was written to %1; see the compiler's messages above.").arg(Ansi(module)));
    } else {
      // The module is read back and compared with the project: the
      // original forms with exactly the translated values, and the rest.
      Run("verify", [&] {
        std::vector<TModuleDifference> differences = VerifyLanguageModule(Project(), compileLanguage_, module);
        int page = LanguageAnsiCodePage(compileLanguage_, environment_.SystemCodePages());
        for (const TModuleDifference& d : differences)
          log_->AppendLine(Ansi(d.where) + QStringLiteral(": ") + FromAnsi(d.what, page));
        if (differences.empty())
          log_->AppendLine(tr("Checked %1: the original forms with exactly the translated values, every resource "
                              "string, the version information and the custom resources.")
                               .arg(Ansi(module)));
        else
          log_->AppendLine(tr("%1 difference(s) between %2 and the project.").arg(differences.size()).arg(Ansi(module)));
      });
    }
  }
  UpdateCommands();
  emit CompileFinished(written);
}

bool TfrmLexibox::ConfirmStopCompile() {
  TAnswer answer =
      interaction_.Ask("The compiler is still running. Do you want to stop it and close the window?", TButtons::YesNo);
  if (answer != TAnswer::Yes) return false;
  compile_->Stop();
  return true;
}

void TfrmLexibox::ReadExchangeFile() {
  int language = Session().CurrentLanguage();
  if (!Session().IsProjectOpen() || language <= 0) return;
  QString preset = QString::fromUtf8(Project().ExpandFileName(Session().DefaultExchangeFileName()).c_str());
  QString chosen;
  QString file = QFileDialog::getOpenFileName(this, tr("Read Exchange File"), preset,
                                              FileFilter({{"Translator Exchange File", "*.trx;*.TRX"},
                                                          {"XLIFF File", "*.xlf;*.xliff;*.XLF;*.XLIFF"},
                                                          {"gettext PO File", "*.po;*.PO"},
                                                          {"All Files", "*"}}),
                                              &chosen);
  if (file.isEmpty()) return;
  // The filter chosen names the format; with all files shown the name's
  // extension does.
  std::string name = AbsolutePath(FromScreen(file));
  TExchangeFormat format = chosen.startsWith(QStringLiteral("XLIFF"))     ? TExchangeFormat::Xliff
                           : chosen.startsWith(QStringLiteral("gettext"))   ? TExchangeFormat::Po
                           : chosen.startsWith(QStringLiteral("Translator")) ? TExchangeFormat::Tab
                                                                             : ExchangeFormatOfFile(name);
  CommitEdits();
  interaction_.SetBusyCursor(true);
  Run("exchange", [&] { Session().ReadExchangeFile(name, format); });
  interaction_.SetBusyCursor(false);
  emit LanguageChanged();
  UpdateCommands();
}

void TfrmLexibox::ShowTypeFilter(TCommand command, bool fromButton) {
  CommitEdits();
  if (!fromButton) filterButtons_[command]->setChecked(Action(command)->isChecked());
  emit FormChanged();
  UpdateCommands();
}

int TfrmLexibox::TypeFilter() const {
  return (Action(TCommand::ShowStringProperties)->isChecked() ? kFilterStrings : 0) |
         (Action(TCommand::ShowNumericProperties)->isChecked() ? kFilterNumbers : 0) |
         (Action(TCommand::ShowSymbolProperties)->isChecked() ? kFilterOthers : 0);
}

void TfrmLexibox::ResetTranslation() {
  TTabPage* page = pages_[static_cast<size_t>(ActiveTab())];
  if (page->CanResetTranslation()) page->ResetTranslation();
}

void TfrmLexibox::RemoveSelected() {
  TTabPage* page = pages_[static_cast<size_t>(TTab::Overview)];
  if (ActiveTab() == TTab::Overview && page->CanRemove()) page->RemoveSelected();
  UpdateCommands();
}

void TfrmLexibox::ShowInfo() {
  TfrmInfo info(this, help_.get());
  info.exec();
}

void TfrmLexibox::ReloadDisplaySettings() {
  display_ = TDisplayState();
  display_.charset = charsets_ ? charsets_->currentData().toInt() : 1;
  TDisplaySettings stored;
  if (environment_.DictionaryOpen()) {
    try {
      stored = kst::ReloadDisplaySettings(environment_.Settings());
    } catch (const std::exception& e) {
      // The defaults serve; the reason is worth a look.
      interaction_.ShowWarning(e.what());
    }
  }
  display_.Apply(stored, logicalDpiY());
  emit DisplayChanged();
}

}  // namespace kst::ui
