// The compiler run on POSIX: Windows command-line splitting, posix_spawn with
// redirected handles, and the read loop with its time limit.
#include "build/compiler_run.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "platform/file_utils.h"

extern char** environ;

namespace kst {

namespace {

using TClock = std::chrono::steady_clock;

// How long one wait for output lasts before the pass looks at the child and
// the clock again; short enough that an ended child is noticed at once.
constexpr int kPollSliceMs = 50;

class TFd {
public:
  TFd() = default;
  explicit TFd(int fd) : fd_(fd) {}
  ~TFd() { Close(); }
  TFd(const TFd&) = delete;
  TFd& operator=(const TFd&) = delete;
  int Get() const { return fd_; }
  void Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }
  void Reset(int fd) {
    Close();
    fd_ = fd;
  }

private:
  int fd_ = -1;
};

void MakePipe(TFd& readEnd, TFd& writeEnd) {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0)
    throw ECompileError("Internal Error: Compile Error - WaitForSingleObject returned " + std::to_string(errno));
  readEnd.Reset(fds[0]);
  writeEnd.Reset(fds[1]);
}

// The child and everything it started share a process group; whatever way
// the run ends early, the group is stopped and the child reaped, so that no
// compiler is left running unseen.
class TChild {
public:
  explicit TChild(pid_t pid) : pid_(pid) {}
  ~TChild() {
    if (!reaped_) Stop();
  }
  TChild(const TChild&) = delete;
  TChild& operator=(const TChild&) = delete;

  // True once the child has ended (it is then reaped).
  bool Ended() {
    if (reaped_) return true;
    int status;
    pid_t r = ::waitpid(pid_, &status, WNOHANG);
    if (r == pid_ || (r < 0 && errno == ECHILD)) reaped_ = true;
    return reaped_;
  }
  // Kills the group before reaping the leader: while the leader is
  // unreaped its group id cannot be reused by another process.
  void Stop() {
    ::kill(-pid_, SIGKILL);
    int status;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    reaped_ = true;
  }

private:
  pid_t pid_;
  bool reaped_ = false;
};

int WindowsErrorCode(int err, const std::string& program) {
  switch (err) {
    case ENOENT: {
      std::string dir = ExtractFileDir(program);
      return !dir.empty() && !DirectoryExists(dir) ? 3 : 2;  // path not found : file not found
    }
    case ENOTDIR: return 3;
    case EACCES: case EPERM: return 5;
    case ENOEXEC: return 193;  // not a valid application
    default: return err;
  }
}

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view s) {
  std::vector<std::string> args;
  size_t i = 0, n = s.size();
  auto blank = [&](size_t at) { return s[at] == ' ' || s[at] == '\t'; };
  while (i < n && blank(i)) ++i;
  if (i == n) return args;
  std::string program;
  if (s[i] == '"') {
    size_t end = s.find('"', i + 1);
    program = std::string(s.substr(i + 1, end == std::string_view::npos ? std::string_view::npos : end - i - 1));
    i = end == std::string_view::npos ? n : end + 1;
  }
  while (i < n && !blank(i)) program += s[i++];
  args.push_back(program);
  for (;;) {
    while (i < n && blank(i)) ++i;
    if (i == n) break;
    std::string arg;
    bool quoted = false;
    while (i < n && (quoted || !blank(i))) {
      if (s[i] == '\\') {
        size_t k = 0;
        while (i < n && s[i] == '\\') ++k, ++i;
        if (i < n && s[i] == '"') {
          arg.append(k / 2, '\\');
          if (k % 2 == 1) {
            arg += '"';
            ++i;
          }
        } else {
          arg.append(k, '\\');
        }
      } else if (s[i] == '"') {
        if (quoted && i + 1 < n && s[i + 1] == '"') {
          arg += '"';
          i += 2;
        } else {
          quoted = !quoted;
          ++i;
        }
      } else {
        arg += s[i++];
      }
    }
    args.push_back(arg);
  }
  return args;
}

void RunCompiler(const std::string& commandLine, TCompilerOutputSink& sink, const TCompilerRunLimits& limits) {
  std::vector<std::string> args = SplitCommandLine(commandLine);
  auto createError = [&](int code) {
    return ECompileError("Error creating process " + commandLine + ". Error Code " + std::to_string(code));
  };
  if (args.empty() || args[0].empty()) throw createError(2);
  std::string program = args[0];
  // A Windows path names its file without regard to case.
  if (program.find_first_of("/\\") != std::string::npos) program = ResolveFileNameCase(program);

  TFd outRead, outWrite, inRead, inWrite;
  MakePipe(outRead, outWrite);
  MakePipe(inRead, inWrite);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, inRead.Get(), 0);
  posix_spawn_file_actions_adddup2(&actions, outWrite.Get(), 1);
  posix_spawn_file_actions_adddup2(&actions, outWrite.Get(), 2);
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  sigset_t none, defaults;
  sigemptyset(&none);
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  posix_spawnattr_setsigmask(&attr, &none);
  posix_spawnattr_setsigdefault(&attr, &defaults);
  posix_spawnattr_setpgroup(&attr, 0);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  std::vector<char*> argv;
  argv.push_back(program.data());
  for (size_t a = 1; a < args.size(); ++a) argv.push_back(args[a].data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  int spawned = ::posix_spawnp(&pid, program.c_str(), &actions, &attr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attr);
  if (spawned != 0) throw createError(WindowsErrorCode(spawned, program));
  TChild child(pid);
  TClock::time_point start = TClock::now();
  // Only the child holds the write end now, so its end is the output's end.
  outWrite.Close();
  inRead.Close();

  std::string buffer(limits.readBuffer == 0 ? 1 : limits.readBuffer, '\0');
  bool endOfOutput = false;
  for (;;) {
    if (limits.stop && limits.stop->load()) {
      child.Stop();
      throw ECompileStopped();
    }
    TClock::time_point now = TClock::now();
    if (now > start + limits.timeLimit) {
      child.Stop();
      throw ECompileError(kCompileTimeOutMessage);
    }
    bool ended = child.Ended();
    if (endOfOutput) {
      if (ended) break;
      ::poll(nullptr, 0, kPollSliceMs);
      continue;
    }
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(start + limits.timeLimit - now).count();
    pollfd p{outRead.Get(), POLLIN, 0};
    int ready = ::poll(&p, 1, ended ? 0 : static_cast<int>(std::min<long long>(kPollSliceMs, left + 1)));
    if (ready < 0 && errno != EINTR) throw ECompileError("Error #" + std::to_string(errno) + " reading pipe");
    if (ready <= 0) {
      // Nothing waiting: the run is over once the child has ended.
      if (ended) break;
      continue;
    }
    ssize_t got = ::read(outRead.Get(), buffer.data(), buffer.size());
    if (got < 0) {
      if (errno == EINTR) continue;
      throw ECompileError("Error #" + std::to_string(errno) + " reading pipe");
    }
    if (got == 0) {
      endOfOutput = true;
      continue;
    }
    sink.Append(std::string_view(buffer.data(), static_cast<size_t>(got)));
  }
}

}  // namespace kst
