// The registry stand-in: two files with Windows registry semantics, one per
// user (HKEY_CURRENT_USER) and one for the machine (HKEY_LOCAL_MACHINE).
// Key paths compare without regard to case; values are typed (string or
// integer; booleans are integers as Windows' registry classes store them).
//
// File format (ini-style, CR LF): one section per key, named by the key path
// with backslashes and no leading one; one line per value:
//   name=S:text     a string, with \\ \r \n and \xNN escapes for control bytes
//   name=D:123      an integer
// The empty (default) value name is written "@".
//
// Location: the environment variable KESTRIN_CONFIG_DIR, when set, holds both
// files ($KESTRIN_CONFIG_DIR/user/registry.ini and .../machine/registry.ini),
// so tests never touch the real ones. Otherwise the per-user file is
// $XDG_CONFIG_HOME/kestrin/registry.ini (~/.config/...) and the machine-wide
// one /etc/kestrin/registry.ini.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace kst {

enum class TRootKey { CurrentUser, LocalMachine };
inline constexpr TRootKey HKEY_CURRENT_USER = TRootKey::CurrentUser;
inline constexpr TRootKey HKEY_LOCAL_MACHINE = TRootKey::LocalMachine;

class ERegistryException : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

struct TRegistryLocation {
  std::string userFile;
  std::string machineFile;
  // Where the configuration of this run lives (see the file comment).
  static TRegistryLocation FromEnvironment();
  // Both files under one directory, laid out as KESTRIN_CONFIG_DIR would.
  static TRegistryLocation InDirectory(const std::string& dir);
  // The directory that holds the per-user file: other per-user configuration
  // (the database engine's) lives beside it.
  std::string UserDirectory() const;
};

class TRegistryStore;

// The platform registry object: set a root key, open a key (optionally
// creating it), read and write typed values. Every read sees the latest
// write of any process; writes are atomic.
class TRegistry {
public:
  explicit TRegistry(TRegistryLocation location);
  virtual ~TRegistry();
  TRegistry(const TRegistry&) = delete;
  TRegistry& operator=(const TRegistry&) = delete;

  void SetRootKey(TRootKey root);
  TRootKey RootKey() const { return root_; }

  // Opens the key (a path like "\software\Kestrin\Lexibox"; a leading
  // backslash is optional, doubled backslashes are one). Returns false when
  // the key is missing and canCreate is false, or when it cannot be created.
  bool OpenKey(std::string_view key, bool canCreate);
  bool OpenKeyReadOnly(std::string_view key) { return OpenKey(key, false); }
  void CloseKey();
  bool KeyExists(std::string_view key) const;
  const std::string& CurrentPath() const { return path_; }

  bool ValueExists(std::string_view name) const;
  // A missing string reads as empty. An integer read of a missing value, or
  // any read of a value of the other type, raises ERegistryException
  // "Invalid data type for '%s'".
  std::string ReadString(std::string_view name) const;
  int ReadInteger(std::string_view name) const;
  bool ReadBool(std::string_view name) const;

  // Raise ERegistryException "Failed to set data for '%s'" when no key is
  // open or the store cannot be written.
  void WriteString(std::string_view name, std::string_view value);
  void WriteInteger(std::string_view name, int value);
  void WriteBool(std::string_view name, bool value);
  bool DeleteValue(std::string_view name);

  const TRegistryLocation& Location() const { return location_; }

private:
  TRegistryStore& Store() const;

  TRegistryLocation location_;
  TRootKey root_ = TRootKey::CurrentUser;
  std::string path_;  // normalized path of the open key; empty when none is open
  bool open_ = false;
  std::unique_ptr<TRegistryStore> user_;
  std::unique_ptr<TRegistryStore> machine_;
};

}  // namespace kst
