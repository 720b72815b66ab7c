// Start-up in the order the program has always started: title, set-up
// dialog (only when needed), splash, data modules, main window.
#include "ui/startup.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>

#include "session/translator_environment.h"
#include "ui/database_setup_dialog.h"
#include "ui/main_window.h"
#include "ui/qt_interaction.h"
#include "ui/splash.h"

namespace kst::ui {

TProgram::TProgram(const TRegistryLocation& location, TSystemCodePages system)
    : interaction_(std::make_unique<TQtInteraction>(system.ansi)),
      environment_(std::make_unique<TTranslatorEnvironment>(location, *interaction_, system)) {}

TProgram::~TProgram() = default;

TfrmLexibox& TProgram::Start(const QStringList& arguments) {
  QApplication::setApplicationDisplayName(QStringLiteral("Kestrin Translator for Delphi 3.10"));
  bool setUp = true;
  try {
    setUp = TfrmTranslatorConfiguration::Needed(*environment_);
  } catch (const std::exception& e) {
    interaction_->ShowWarning(e.what());
  }
  if (setUp) {
    TfrmTranslatorConfiguration dialog(*environment_, *interaction_);
    dialog.exec();  // cancelled or not, the program starts
  }
  TfrmSplash splash;
  splash.ShowNow();
  try {
    environment_->OpenDictionary();
  } catch (const std::exception& e) {
    // The program runs without a dictionary; its commands say so.
    interaction_->ShowWarning(e.what());
  }
  window_ = std::make_unique<TfrmLexibox>(*environment_, *interaction_);
  if (arguments.size() > 1) window_->OpenProject(QDir::current().absoluteFilePath(arguments.at(1)));
  splash.Finish();
  window_->showMaximized();
  return *window_;
}

int RunProgram(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("kstrans3"));
  TProgram program(TRegistryLocation::FromEnvironment(), TSystemCodePages::FromEnvironment());
  program.Start(QApplication::arguments());
  return app.exec();
}

}  // namespace kst::ui
