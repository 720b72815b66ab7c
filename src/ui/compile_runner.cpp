// The compiler thread and its signals.
#include "ui/compile_runner.h"

#include <QMetaObject>

#include "build/compiler_run.h"
#include "ui/ui_text.h"

namespace kst::ui {

TCompileRunner::TCompileRunner(TSystemCodePages system, QObject* parent) : QObject(parent), system_(system) {}

TCompileRunner::~TCompileRunner() { Stop(); }

bool TCompileRunner::Start(const std::string& commandLine) {
  if (running_) return false;
  Join();
  stop_ = false;
  running_ = true;
  TCompilerRunLimits limits;
  limits.timeLimit = std::chrono::milliseconds(timeLimitMs_);
  thread_ = std::thread([this, commandLine, limits]() mutable {
    limits.stop = &stop_;
    TOemToAnsiSink sink(
        [this](const std::string& ansi) {
          QByteArray bytes(ansi.data(), static_cast<qsizetype>(ansi.size()));
          QMetaObject::invokeMethod(this, [this, bytes] { emit Output(bytes); }, Qt::QueuedConnection);
        },
        system_);
    QString error;
    bool stopped = false;
    try {
      RunCompiler(commandLine, sink, limits);
    } catch (const ECompileStopped& e) {
      stopped = true;
      error = FromAnsi(e.what(), system_.ansi);
    } catch (const std::exception& e) {
      error = FromAnsi(e.what(), system_.ansi);
    }
    QMetaObject::invokeMethod(
        this,
        [this, error, stopped] {
          running_ = false;
          emit Finished(error, stopped);
        },
        Qt::QueuedConnection);
  });
  return true;
}

void TCompileRunner::Join() {
  if (thread_.joinable()) thread_.join();
}

void TCompileRunner::Stop() {
  if (!thread_.joinable()) return;
  stop_ = true;
  Join();
  running_ = false;
}

}  // namespace kst::ui
