// The file-change check on its timer.
#include "ui/file_change_watcher.h"

#include <QApplication>
#include <QTimer>

#include "session/file_change_check.h"
#include "session/translation_session.h"
#include "ui/compile_runner.h"
#include "ui/main_window.h"

namespace kst::ui {

TFileChangeWatcher::TFileChangeWatcher(TfrmLexibox& window) : QObject(&window), window_(window) {
  timer_ = new QTimer(this);
  timer_->setObjectName(QStringLiteral("ctlCheckTimer"));
  timer_->setInterval(kInterval);
  connect(timer_, &QTimer::timeout, this, &TFileChangeWatcher::Tick);
  timer_->start();
}

bool TFileChangeWatcher::Tick() {
  TTranslationSession& session = window_.Session();
  if (checking_ || !session.IsProjectOpen() || session.CommandRunning() || window_.CompileRunner().Running()) return false;
  // A modal loop (a dialog, a question, the automatic translation) works on
  // what a reload would free; the next tick comes soon enough.
  if (QApplication::activeModalWidget() || QApplication::activePopupWidget()) return false;
  TFileChangeCheck check(session);
  // Only a change is worth disturbing an open cell editor for.
  if (!check.AnyFileChanged()) return false;
  checking_ = true;
  window_.CommitEdits();
  const TTab tab = window_.ActiveTab();
  bool reloaded = false, finished = false;
  window_.Run("check", [&] {
    reloaded = check.CheckForChangedFiles();
    finished = true;
  });
  checking_ = false;
  // After an error the check has put language and form back as well as it
  // could; the views show what it came to.
  if (reloaded || !finished) {
    window_.AfterStructureChange();
    window_.ShowTab(tab);
  }
  return true;
}

}  // namespace kst::ui
