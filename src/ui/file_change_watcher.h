// The window's ten-second look at the project's files: a form or the
// resource-string script changed on disk (the developer recompiled in
// Delphi) is offered for loading again (TFileChangeCheck). A tick is
// skipped while a dialog or a message box is open, a command runs or the
// compiler runs: the reload would free the form tree they work on.
#pragma once

#include <QObject>

class QTimer;

namespace kst::ui {

class TfrmLexibox;

class TFileChangeWatcher : public QObject {
  Q_OBJECT

public:
  static constexpr int kInterval = 10000;  // milliseconds
  explicit TFileChangeWatcher(TfrmLexibox& window);

  QTimer* Timer() const { return timer_; }
  // One tick; true when the check ran (a file had changed).
  bool Tick();

private:
  TfrmLexibox& window_;
  QTimer* timer_;
  bool checking_ = false;
};

}  // namespace kst::ui
