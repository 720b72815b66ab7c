// Running the command-line compiler as a child process: the command line is
// split as Windows splits one, the program starts without a shell, and what
// it prints to standard output and standard error arrives, piece by piece,
// at an output sink. The run has a time limit; a child that outlives it is
// stopped.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/codepage.h"

namespace kst {

// A compile that could not be run to its end; the message is for a person.
class ECompileError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// Where the compiler's output goes (the GUI's log pane, the terminal). Each
// piece is raw bytes as the compiler wrote them (OEM text), in order.
class TCompilerOutputSink {
public:
  virtual ~TCompilerOutputSink() = default;
  virtual void Append(std::string_view piece) = 0;
};

// Converts each piece from the system's OEM code page to its ANSI code page
// and hands it on (the log pane's AppendLog, or a terminal writer).
class TOemToAnsiSink : public TCompilerOutputSink {
public:
  TOemToAnsiSink(std::function<void(const std::string&)> appendLog, const TSystemCodePages& system)
      : appendLog_(std::move(appendLog)), system_(system) {}
  void Append(std::string_view piece) override { appendLog_(OemToAnsi(piece, system_)); }

private:
  std::function<void(const std::string&)> appendLog_;
  TSystemCodePages system_;
};

// The arguments of a Windows command line, as the C runtime's startup code
// splits it: blanks and tabs separate arguments outside double quotes; 2n
// backslashes before a quote are n backslashes and the quote toggles quoting;
// 2n+1 backslashes before a quote are n backslashes and a literal quote;
// other backslashes are literal; "" inside quotes is a literal quote. The
// first argument (the program) ends at the first blank outside quotes and
// takes no escapes, as CreateProcess reads it.
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

struct TCompilerRunLimits {
  std::chrono::milliseconds timeLimit{30000};  // for the whole run, from the start
  size_t readBuffer = 32001;                    // the most one piece holds
  // Set (from another thread) to stop the run: the child and everything it
  // started are stopped and ECompileStopped is raised. May be null.
  const std::atomic<bool>* stop = nullptr;
};

// The run was stopped through TCompilerRunLimits::stop.
class ECompileStopped : public ECompileError {
public:
  ECompileStopped() : ECompileError("The compile was stopped.") {}
};

inline const char* const kCompileTimeOutMessage = "Internal Error: Compile Error - WaitForSingleObject returned Time Out";

// Starts the program of the command line (looked up without regard to case
// when it names a path; on PATH when it is a bare name) with the remaining
// arguments, the program's environment and current directory. Standard
// input is a pipe nobody writes; standard output and standard error share
// one pipe, whose pieces go to `sink` as they arrive. Returns when the
// program has ended and its output is read; its exit code is not examined.
// Raises ECompileError: "Error creating process %s. Error Code %d" (with the
// Windows error code of the cause: 2 file not found, 3 path not found,
// 5 access denied, 193 not an executable), "Internal Error: Compile Error -
// WaitForSingleObject returned %s" (the error code when a pipe cannot be
// made, "Time Out" after the time limit, when the child and everything it
// started are stopped), "Error #%d reading pipe", and ECompileStopped when
// the stop flag is set. An exception from the sink also stops the child
// before it propagates. Touches nothing but its arguments, so it may run on
// a thread of its own while the caller's thread goes on.
void RunCompiler(const std::string& commandLine, TCompilerOutputSink& sink, const TCompilerRunLimits& limits = {});

}  // namespace kst
