// The program's start: the application's title, the dictionary set-up when
// needed, the splash, the dictionary's data modules, the main window, and
// the project named on the command line.
#pragma once

#include <QStringList>

#include <memory>

#include "platform/codepage.h"
#include "platform/registry.h"

namespace kst {
class TTranslatorEnvironment;
}

namespace kst::ui {

class TfrmLexibox;
class TQtInteraction;

class TProgram {
public:
  TProgram(const TRegistryLocation& location, TSystemCodePages system);
  ~TProgram();

  // Runs the start up to the shown main window; `arguments` are the
  // program's (the first after the program's name is a project to open).
  // The set-up dialog, when needed, is modal: it returns when it closes.
  TfrmLexibox& Start(const QStringList& arguments);

  TTranslatorEnvironment& Environment() { return *environment_; }
  TQtInteraction& Interaction() { return *interaction_; }
  TfrmLexibox* Window() { return window_.get(); }

private:
  std::unique_ptr<TQtInteraction> interaction_;
  std::unique_ptr<TTranslatorEnvironment> environment_;
  std::unique_ptr<TfrmLexibox> window_;
};

// The whole program: Start, then the event loop until the window closes.
int RunProgram(int argc, char** argv);

}  // namespace kst::ui
