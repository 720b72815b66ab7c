// POSIX implementation of the file-system services.
#include "platform/file_utils.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <random>
#include <vector>

#include "platform/same_text.h"

namespace kst {

namespace {

std::string SystemReason(int err) { return std::strerror(err); }

}  // namespace

std::string ToInternalPath(std::string_view path) {
  std::string out(path);
  for (char& c : out)
    if (c == '\\') c = '/';
  return out;
}

bool IsAbsolutePath(std::string_view path) {
  return (!path.empty() && (path[0] == '/' || path[0] == '\\')) || (path.size() > 1 && path[1] == ':');
}

std::string AbsolutePath(std::string_view path, std::string_view baseDirectory) {
  std::string internal = ToInternalPath(path);
  if (internal.empty()) return internal;
  std::filesystem::path p(internal);
  if (!IsAbsolutePath(internal))
    p = baseDirectory.empty() ? std::filesystem::absolute(p)
                              : std::filesystem::path(ToInternalPath(baseDirectory)) / p;
  std::string out = p.lexically_normal().string();
  // A leading "//" (a network path) is kept as a pair.
  if (internal.size() > 1 && internal[0] == '/' && internal[1] == '/' && out.rfind("//", 0) != 0) out = "/" + out;
  if (out.size() > 1 && out.back() == '/') out.pop_back();
  return out;
}

static size_t LastSeparator(std::string_view path) { return path.find_last_of("/\\"); }

std::string ExtractFileDir(std::string_view path) {
  size_t sep = LastSeparator(path);
  if (sep == std::string_view::npos) return {};
  if (sep == 0) return std::string(path.substr(0, 1));
  return std::string(path.substr(0, sep));
}

std::string ExtractFileName(std::string_view path) {
  size_t sep = LastSeparator(path);
  return std::string(sep == std::string_view::npos ? path : path.substr(sep + 1));
}

std::string ExtractFileExt(std::string_view path) {
  std::string name = ExtractFileName(path);
  size_t dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::string ChangeFileExt(std::string_view path, std::string_view ext) {
  size_t sep = LastSeparator(path);
  size_t dot = path.rfind('.');
  std::string out(path);
  if (dot != std::string_view::npos && (sep == std::string_view::npos || dot > sep)) out.resize(dot);
  out += ext;
  return out;
}

bool FileExists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string ResolveFileNameCase(std::string_view path) {
  std::string internal = ToInternalPath(path);
  struct stat st;
  if (internal.empty() || ::stat(internal.c_str(), &st) == 0) return internal;

  // Walk the components; keep each that exists as written, otherwise look
  // for a case-insensitive match in its directory.
  std::string resolved;
  size_t pos = 0;
  if (internal[0] == '/') {
    resolved = "/";
    pos = 1;
  }
  while (pos <= internal.size()) {
    size_t next = internal.find('/', pos);
    std::string part = internal.substr(pos, next == std::string::npos ? std::string::npos : next - pos);
    pos = next == std::string::npos ? internal.size() + 1 : next + 1;
    if (part.empty()) continue;
    std::string candidate = resolved.empty() ? part : (resolved.back() == '/' ? resolved + part : resolved + "/" + part);
    if (part != "." && part != ".." && ::lstat(candidate.c_str(), &st) != 0) {
      std::string dir = resolved.empty() ? "." : resolved;
      std::string found;
      if (DIR* d = ::opendir(dir.c_str())) {
        while (dirent* e = ::readdir(d)) {
          if (SameText(e->d_name, part)) {
            found = e->d_name;
            break;
          }
        }
        ::closedir(d);
      }
      if (found.empty()) return internal;
      candidate = resolved.empty() ? found : (resolved.back() == '/' ? resolved + found : resolved + "/" + found);
    }
    resolved = candidate;
  }
  return resolved;
}

std::string ReadFileBytes(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw EFileError("Cannot open file \"" + path + "\". " + SystemReason(errno));
  std::string data;
  char buffer[65536];
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      int err = errno;
      ::close(fd);
      throw EFileError("Cannot read file \"" + path + "\". " + SystemReason(err));
    }
    if (n == 0) break;
    data.append(buffer, static_cast<size_t>(n));
  }
  ::close(fd);
  return data;
}

void AtomicWriteFile(const std::string& given, std::string_view content) {
  // A link is kept a link: the file it names is the one replaced.
  std::string path = given;
  struct stat link;
  if (::lstat(given.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
    std::error_code ec;
    std::filesystem::path target = std::filesystem::canonical(given, ec);
    if (!ec) path = target.string();
  }
  std::string dir = ExtractFileDir(path);
  std::string tmpl = (dir.empty() ? std::string() : dir + "/") + "." + ExtractFileName(path) + ".XXXXXX";
  std::vector<char> name(tmpl.begin(), tmpl.end());
  name.push_back('\0');
  int fd = ::mkstemp(name.data());
  if (fd < 0) throw EFileError("Cannot create file \"" + path + "\". " + SystemReason(errno));
  std::string tmpName(name.data());
  auto fail = [&](const char* what, int err) {
    ::close(fd);
    ::unlink(tmpName.c_str());
    throw EFileError(std::string(what) + " \"" + path + "\". " + SystemReason(err));
  };
  // Keep the permissions of the file we replace; new files get the usual ones.
  struct stat st;
  mode_t mode = 0666;
  if (::stat(path.c_str(), &st) == 0) {
    mode = st.st_mode & 07777;
  } else {
    mode_t mask = ::umask(0);
    ::umask(mask);
    mode &= ~mask;
  }
  ::fchmod(fd, mode);
  const char* p = content.data();
  size_t left = content.size();
  while (left > 0) {
    ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      fail("Cannot write file", errno);
    }
    p += n;
    left -= static_cast<size_t>(n);
  }
  if (::fsync(fd) != 0) fail("Cannot write file", errno);
  if (::close(fd) != 0) {
    int err = errno;
    ::unlink(tmpName.c_str());
    throw EFileError("Cannot write file \"" + path + "\". " + SystemReason(err));
  }
  if (::rename(tmpName.c_str(), path.c_str()) != 0) {
    int err = errno;
    ::unlink(tmpName.c_str());
    throw EFileError("Cannot write file \"" + path + "\". " + SystemReason(err));
  }
  // The rename itself reaches the disk only with the directory; without this
  // a power cut could bring the old file back. File systems that cannot sync
  // a directory are left as they are.
  int dirFd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd >= 0) {
    ::fsync(dirFd);
    ::close(dirFd);
  }
}

void ForceDirectories(const std::string& path) {
  std::error_code ec;
  std::filesystem::create_directories(path, ec);
  if (ec && !DirectoryExists(path))
    throw EFileError("Cannot create directory \"" + path + "\". " + ec.message());
}

double UnixTimeToDateTime(double unixSeconds) {
  time_t whole = static_cast<time_t>(unixSeconds);
  struct tm local;
  if (!::localtime_r(&whole, &local)) return 0;
  // Days from 1899-12-30 to 1970-01-01 are 25569; add the local offset so the
  // date-time reads as local wall-clock time, as Windows' conversion gives.
  double localSeconds = unixSeconds + static_cast<double>(local.tm_gmtoff);
  return 25569.0 + localSeconds / 86400.0;
}

double FileTimeStamp(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return 0;
  struct stat st;
  int rc = ::fstat(fd, &st);
  ::close(fd);
  if (rc != 0 || S_ISDIR(st.st_mode)) return 0;
  double seconds = static_cast<double>(st.st_mtim.tv_sec) + st.st_mtim.tv_nsec / 1e9;
  return UnixTimeToDateTime(seconds);
}

std::string NewTemporaryFileName(std::string_view prefix) {
  const char* tmpdir = std::getenv("TMPDIR");
  std::string dir = tmpdir && *tmpdir ? tmpdir : "/tmp";
  std::string tmpl = dir + "/" + std::string(prefix) + "XXXXXX";
  std::vector<char> name(tmpl.begin(), tmpl.end());
  name.push_back('\0');
  int fd = ::mkstemp(name.data());
  if (fd < 0) throw EFileError("Cannot create a temporary file in \"" + dir + "\". " + SystemReason(errno));
  ::close(fd);
  return name.data();
}

std::string ProgramDirectory() {
  std::error_code ec;
  auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return ".";
  return exe.parent_path().string();
}

std::string UserDataDirectory() {
  const char* data = std::getenv("XDG_DATA_HOME");
  if (data && *data == '/') return std::string(data) + "/kestrin";
  const char* home = std::getenv("HOME");
  return std::string(home && *home ? home : "/tmp") + "/.local/share/kestrin";
}

}  // namespace kst
