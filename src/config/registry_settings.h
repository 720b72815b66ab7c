// The program's per-user settings in the registry store: the registry
// classes, every value with its default, and the machine-wide Delphi root.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"

namespace kst {

inline constexpr const char* kProductKey = "\\software\\Kestrin\\Lexibox";
inline constexpr const char* kDirectoriesKey = "\\software\\Kestrin\\Lexibox\\Directories";
inline constexpr const char* kCompilerKey = "\\software\\Kestrin\\Lexibox\\Compiler";
inline constexpr const char* kCurrentVersionKey = "\\SOFTWARE\\Kestrin\\Lexibox\\CurrentVersion";
inline constexpr const char* kDelphiMachineKey = "\\SOFTWARE\\Borland\\Delphi\\3.0";

inline constexpr const char* kDefaultBrcc32 = "%DelphiBinDir%\\BRCC32.EXE";
inline constexpr const char* kDefaultDcc32 = "%DelphiBinDir%\\DCC32.EXE";
inline constexpr const char* kDefaultDelphiBinDir = "%DelphiRootDir%\\bin";
inline constexpr const char* kDefaultCommonDelphiLibDir = "%DelphiRootDir%\\lib";

// A registry object opened on one key (created when missing) with readers
// that fall back to a default when the value does not exist. A value of the
// wrong type still raises ERegistryException.
class TKSRegistry : public TRegistry {
public:
  TKSRegistry(const TRegistryLocation& location, TRootKey root, std::string_view keyPath);
  bool ReadBoolDef(std::string_view name, bool def) const;
  std::string ReadStringDef(std::string_view name, std::string_view def) const;
};

class TCustomTranslatorRegistry : public TKSRegistry {
public:
  using TKSRegistry::TKSRegistry;
};

class TTranslatorDirectoriesRegistry : public TCustomTranslatorRegistry {
public:
  explicit TTranslatorDirectoriesRegistry(const TRegistryLocation& location)
      : TCustomTranslatorRegistry(location, HKEY_CURRENT_USER, kDirectoriesKey) {}
};

class TTranslatorCompilerRegistry : public TCustomTranslatorRegistry {
public:
  explicit TTranslatorCompilerRegistry(const TRegistryLocation& location)
      : TCustomTranslatorRegistry(location, HKEY_CURRENT_USER, kCompilerKey) {}
};

// The long-lived settings object: created once at start and passed to every
// user of directories and tool paths.
class TTranslatorRegistry : public TCustomTranslatorRegistry {
public:
  explicit TTranslatorRegistry(const TRegistryLocation& location);

  TTranslatorDirectoriesRegistry& Directories() { return *directories_; }
  const TTranslatorDirectoriesRegistry& Directories() const { return *directories_; }
  TTranslatorCompilerRegistry& Compiler() { return *compiler_; }
  const TTranslatorCompilerRegistry& Compiler() const { return *compiler_; }

  // The compiler tool settings, unexpanded.
  std::string Brcc32Path() const;
  std::string Dcc32Path() const;
  bool UseShortFileNames() const;

private:
  std::unique_ptr<TTranslatorDirectoriesRegistry> directories_;
  std::unique_ptr<TTranslatorCompilerRegistry> compiler_;
};

// The machine-wide Delphi 3 root directory (HKEY_LOCAL_MACHINE, read only).
// Where no Delphi is installed, the stand-in that ships with this program is
// used: a "delphi3" directory beside the program, when it exists. Empty
// otherwise.
std::string MachineDelphiRootDir(const TRegistryLocation& location);

// "ShowHighlightedPropertiesOnly": false when missing or unreadable.
bool ReadShowHighlightedPropertiesOnly(const TRegistryLocation& location);
void WriteShowHighlightedPropertiesOnly(const TRegistryLocation& location, bool value);

// Where the "Forms" tab shows the form preview: "Beside" the property grid,
// on a "Tab" of its own, or "Hidden"; "Tab" when missing or unreadable.
std::string ReadFormPreviewPlacement(const TRegistryLocation& location);
void WriteFormPreviewPlacement(const TRegistryLocation& location, std::string_view placement);

// The recent-project list "ProjHist0" to "ProjHist4", without the empty ones.
std::vector<std::string> ReadRecentProjects(const TRegistryLocation& location);
// Writes up to five entries and clears the rest.
void WriteRecentProjects(const TRegistryLocation& location, const std::vector<std::string>& projects);
// Puts `file` at the front of the recent-project list: an entry naming the
// same file in another letter case goes, and so do duplicates left by
// others, so that at most five distinct projects remain, newest first. An
// empty name changes nothing.
void AddRecentProject(const TRegistryLocation& location, const std::string& file);

// The global string dictionary directory: the stored value, or the program's
// directory, which is then written back.
std::string GlobalStringDictionaryDirectory(const TRegistryLocation& location, const std::string& programDirectory);
// The dictionary directory joined with "STRDICT" and "." + the language's
// abbreviation.
std::string GlobalStringDictionaryFile(const TRegistryLocation& location, const std::string& programDirectory,
                                       int languageId);

}  // namespace kst
