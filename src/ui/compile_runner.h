// Runs the compiler on a thread of its own, so that the window repaints and
// its log scrolls while a slow compiler works; the output arrives on the
// window's thread as signals. Nothing of the project is touched by the
// thread: the command line is made before it starts.
#pragma once

#include <QObject>
#include <QString>

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "platform/codepage.h"

namespace kst::ui {

class TCompileRunner : public QObject {
  Q_OBJECT

public:
  explicit TCompileRunner(TSystemCodePages system, QObject* parent = nullptr);
  ~TCompileRunner() override;

  // Starts the command line; false when a run is going on already.
  bool Start(const std::string& commandLine);
  bool Running() const { return running_; }
  // Stops the compiler and waits until the thread has ended.
  void Stop();
  // Time limit of a run (the compiler's 30 seconds by default).
  void SetTimeLimit(int milliseconds) { timeLimitMs_ = milliseconds; }

signals:
  // A piece of output in the system's ANSI code page (converted from OEM).
  void Output(const QByteArray& ansi);
  // The run is over; `error` is the reason it could not run to its end, or
  // empty (a failed compile ends normally: its messages are the output).
  void Finished(const QString& error, bool stopped);

private:
  void Join();
  TSystemCodePages system_;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  bool running_ = false;
  int timeLimitMs_ = 30000;
};

}  // namespace kst::ui
