// File-backed registry: the whole store is re-read when another process has
// replaced the file, and every change is a locked read-modify-write followed
// by an atomic rename.
#include "platform/registry.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "platform/file_utils.h"
#include "platform/ini_file.h"
#include "platform/same_text.h"

namespace kst {

namespace {

std::string NormalizeKeyPath(std::string_view key) {
  std::string out;
  for (char c : key) {
    char sep = c == '/' ? '\\' : c;
    if (sep == '\\' && (out.empty() || out.back() == '\\')) continue;
    out += sep;
  }
  while (!out.empty() && out.back() == '\\') out.pop_back();
  return out;
}

std::string ValueKey(std::string_view name) { return name.empty() ? "@" : std::string(name); }

std::string EscapeValue(std::string_view text) {
  static const char hex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : text) {
    if (c == '\\') out += "\\\\";
    else if (c == '\r') out += "\\r";
    else if (c == '\n') out += "\\n";
    else if (c < 32) { out += "\\x"; out += hex[c >> 4]; out += hex[c & 15]; }
    else out += static_cast<char>(c);
  }
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::string UnescapeValue(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c != '\\' || i + 1 >= text.size()) { out += c; continue; }
    char n = text[++i];
    if (n == 'r') out += '\r';
    else if (n == 'n') out += '\n';
    else if (n == 'x' && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 && HexDigit(text[i + 2]) >= 0) {
      out += static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
      i += 2;
    } else out += n;
  }
  return out;
}

struct TTypedValue {
  char type;  // 'S' or 'D'
  std::string text;
};

std::optional<TTypedValue> ParseTypedValue(const std::string& stored) {
  if (stored.size() < 2 || stored[1] != ':' || (stored[0] != 'S' && stored[0] != 'D')) return std::nullopt;
  return TTypedValue{stored[0], stored.substr(2)};
}

// An exclusive lock on a lock file, held for the guard's life and released
// (and its descriptor closed) on every way out, errors included.
class TFileLock {
public:
  explicit TFileLock(const std::string& lockName) {
    fd_ = ::open(lockName.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd_ < 0) throw EFileError("Cannot open \"" + lockName + "\"");
    int result;
    do result = ::flock(fd_, LOCK_EX);
    while (result != 0 && errno == EINTR);
    if (result != 0) {
      // Writing unlocked could lose another process's change.
      int err = errno;
      ::close(fd_);
      throw EFileError("Cannot lock \"" + lockName + "\". " + std::strerror(err));
    }
  }
  ~TFileLock() {
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
  }
  TFileLock(const TFileLock&) = delete;
  TFileLock& operator=(const TFileLock&) = delete;

private:
  int fd_;
};

}  // namespace

// One registry file, reloaded when its identity on disk changes.
class TRegistryStore {
public:
  explicit TRegistryStore(std::string fileName) : fileName_(std::move(fileName)) {}

  const TIniFile& Current() {
    struct stat st;
    Identity now{};
    if (::stat(fileName_.c_str(), &st) == 0)
      now = Identity{st.st_ino, st.st_size, st.st_mtim.tv_sec, st.st_mtim.tv_nsec, true};
    if (!ini_ || !(now == identity_)) {
      ini_ = std::make_unique<TIniFile>(fileName_);
      identity_ = now;
    }
    return *ini_;
  }

  // Runs a change under an exclusive lock on a lock file beside the store, so
  // that two processes writing at once lose nothing.
  template <typename F>
  void Modify(F&& change) {
    std::string dir = ExtractFileDir(fileName_);
    if (!dir.empty()) ForceDirectories(dir);
    TFileLock lock(fileName_ + ".lock");
    // Whatever the change does, the next read goes to the file again.
    ini_.reset();
    TIniFile ini(fileName_);
    ini.BeginUpdate();
    change(ini);
    ini.EndUpdate();
  }

private:
  struct Identity {
    ino_t ino = 0;
    off_t size = 0;
    time_t sec = 0;
    long nsec = 0;
    bool exists = false;
    bool operator==(const Identity&) const = default;
  };
  std::string fileName_;
  std::unique_ptr<TIniFile> ini_;
  Identity identity_;
};

TRegistryLocation TRegistryLocation::InDirectory(const std::string& dir) {
  return TRegistryLocation{dir + "/user/registry.ini", dir + "/machine/registry.ini"};
}

TRegistryLocation TRegistryLocation::FromEnvironment() {
  const char* redirect = std::getenv("KESTRIN_CONFIG_DIR");
  if (redirect && *redirect) return InDirectory(redirect);
  std::string userDir;
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg && *xdg && xdg[0] == '/') {
    userDir = xdg;
  } else {
    const char* home = std::getenv("HOME");
    userDir = std::string(home && *home ? home : ".") + "/.config";
  }
  return TRegistryLocation{userDir + "/kestrin/registry.ini", "/etc/kestrin/registry.ini"};
}

std::string TRegistryLocation::UserDirectory() const { return ExtractFileDir(userFile); }

TRegistry::TRegistry(TRegistryLocation location)
    : location_(std::move(location)),
      user_(std::make_unique<TRegistryStore>(location_.userFile)),
      machine_(std::make_unique<TRegistryStore>(location_.machineFile)) {}

TRegistry::~TRegistry() = default;

TRegistryStore& TRegistry::Store() const { return root_ == TRootKey::LocalMachine ? *machine_ : *user_; }

void TRegistry::SetRootKey(TRootKey root) {
  CloseKey();
  root_ = root;
}

bool TRegistry::KeyExists(std::string_view key) const {
  std::string path = NormalizeKeyPath(key);
  if (path.empty()) return true;
  const TIniFile& ini = Store().Current();
  if (ini.SectionExists(path)) return true;
  // A key with sub-keys exists even when it holds no values of its own.
  std::string prefix = path + "\\";
  for (const std::string& s : ini.ReadSections())
    if (s.size() > prefix.size() && StartsWithText(s, prefix)) return true;
  return false;
}

bool TRegistry::OpenKey(std::string_view key, bool canCreate) {
  std::string path = NormalizeKeyPath(key);
  if (!KeyExists(path)) {
    if (!canCreate) return false;
    try {
      Store().Modify([&](TIniFile& ini) {
        ini.AddSection(path);
      });
    } catch (const std::exception&) {
      return false;
    }
  }
  path_ = path;
  open_ = true;
  return true;
}

void TRegistry::CloseKey() {
  path_.clear();
  open_ = false;
}

bool TRegistry::ValueExists(std::string_view name) const {
  return open_ && Store().Current().ValueExists(path_, ValueKey(name));
}

std::string TRegistry::ReadString(std::string_view name) const {
  if (!open_) return {};
  const TIniFile& ini = Store().Current();
  if (!ini.ValueExists(path_, ValueKey(name))) return {};
  auto value = ParseTypedValue(ini.ReadString(path_, ValueKey(name), ""));
  if (!value || value->type != 'S') throw ERegistryException("Invalid data type for '" + std::string(name) + "'");
  return UnescapeValue(value->text);
}

int TRegistry::ReadInteger(std::string_view name) const {
  std::optional<TTypedValue> value;
  if (open_) {
    const TIniFile& ini = Store().Current();
    if (ini.ValueExists(path_, ValueKey(name))) value = ParseTypedValue(ini.ReadString(path_, ValueKey(name), ""));
  }
  int result = 0;
  if (value && value->type == 'D') {
    auto [p, ec] = std::from_chars(value->text.data(), value->text.data() + value->text.size(), result);
    if (ec == std::errc() && p == value->text.data() + value->text.size()) return result;
  }
  throw ERegistryException("Invalid data type for '" + std::string(name) + "'");
}

bool TRegistry::ReadBool(std::string_view name) const { return ReadInteger(name) != 0; }

void TRegistry::WriteString(std::string_view name, std::string_view value) {
  if (!open_) throw ERegistryException("Failed to set data for '" + std::string(name) + "'");
  try {
    Store().Modify([&](TIniFile& ini) { ini.WriteString(path_, ValueKey(name), "S:" + EscapeValue(value)); });
  } catch (const std::exception& e) {
    throw ERegistryException("Failed to set data for '" + std::string(name) + "'. " + e.what());
  }
}

void TRegistry::WriteInteger(std::string_view name, int value) {
  if (!open_) throw ERegistryException("Failed to set data for '" + std::string(name) + "'");
  try {
    Store().Modify([&](TIniFile& ini) { ini.WriteString(path_, ValueKey(name), "D:" + std::to_string(value)); });
  } catch (const std::exception& e) {
    throw ERegistryException("Failed to set data for '" + std::string(name) + "'. " + e.what());
  }
}

void TRegistry::WriteBool(std::string_view name, bool value) { WriteInteger(name, value ? 1 : 0); }

bool TRegistry::DeleteValue(std::string_view name) {
  if (!ValueExists(name)) return false;
  try {
    Store().Modify([&](TIniFile& ini) { ini.DeleteKey(path_, ValueKey(name)); });
  } catch (const std::exception&) {
    return false;
  }
  return true;
}

}  // namespace kst
