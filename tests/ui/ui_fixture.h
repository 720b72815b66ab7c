// The window tests' fixture: a scratch copy of the demo project with its
// own settings and dictionary, the real environment and interaction, and
// the main window over them. Questions are answered from a script.
#pragma once

#include <QApplication>
#include <QString>
#include <QWidget>

#include <deque>
#include <ostream>
#include <memory>
#include <string>
#include <vector>

#include "config/interaction.h"
#include "platform/registry.h"
#include "support/test_support.h"

namespace kst {
class TTranslatorEnvironment;
}

namespace kst::ui {
class TfrmLexibox;
class TQtInteraction;
}  // namespace kst::ui

// Readable QStrings in failure messages.
inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

namespace kst::test {

class TWindowFixture {
public:
  // `withDictionary`: a dictionary set up in the scratch directory.
  explicit TWindowFixture(bool withDictionary = true);
  ~TWindowFixture();

  TScratchDir dir;
  TRegistryLocation location;
  std::unique_ptr<ui::TQtInteraction> interaction;
  std::unique_ptr<TTranslatorEnvironment> environment;
  std::unique_ptr<ui::TfrmLexibox> window;

  // Answers for the questions to come (front first); Cancel when they run
  // out. Every question and warning asked is kept.
  std::deque<TAnswer> answers;
  std::vector<QString> asked;

  std::string Demo() const { return dir.File("demo/project/Demo.dpr"); }
  // Adds languages to the demo's settings (as "kst project add-language" does).
  void AddLanguages(const std::vector<int>& ids);
  // Saves a picture of the window (or any widget) as BUILD/ui-screenshots/NAME.png.
  static void Screenshot(QWidget& widget, const std::string& name);
};

// Lets queued signals and timers run for about `ms` milliseconds.
void Pump(int ms = 0);

}  // namespace kst::test
