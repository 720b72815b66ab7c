// TProjectData: the translation project in memory. It owns the forms, the
// target languages, the resource strings, the version information and the
// custom resources of one Delphi project or compiled module, and the two
// ini files beside it (the Delphi options file, read only, and the project
// settings file). Texts are 8-bit ANSI; paths use "/" inside the program.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "config/text_helpers.h"
#include "formmodel/form_model.h"
#include "platform/codepage.h"
#include "platform/ini_file.h"
#include "project/custom_resources.h"
#include "project/version_info.h"
#include "resstrings/resource_strings.h"

namespace kst {

class TTranslatorRegistry;
class TUserInteraction;

// Opening or changing the project cannot go on; the message is for a person.
class EProjectError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

inline constexpr const char* kTranslationDirectoryPlaceholder = "<TranslationDirectory>";
inline constexpr const char* kProjectOutputDirectoryPlaceholder = "<ProjectOutputDirectory>";

class TLanguageListItem {
public:
  int LanguageId = 0;
};

struct TLanguageEntry {
  std::string Name;  // the display name
  std::unique_ptr<TLanguageListItem> Item;
};

struct TModuleEntry {
  std::string Name;  // the form file, possibly holding path macros
  std::unique_ptr<TModuleHelper> Module;
};

class TProjectData {
public:
  // The registry gives the path macros and "UseShortFileNames"; warnings go
  // to `interaction`. Both must outlive the project.
  TProjectData(TTranslatorRegistry& registry, TUserInteraction& interaction,
               TSystemCodePages system = TSystemCodePages::FromEnvironment());
  ~TProjectData();
  TProjectData(const TProjectData&) = delete;
  TProjectData& operator=(const TProjectData&) = delete;

  std::string FileName;
  std::vector<TLanguageEntry> Languages;
  std::string SourceBuffer;
  std::vector<TModuleEntry> Modules;
  std::unique_ptr<TIniFile> SettingsFile;
  std::unique_ptr<TIniFile> OptionsFile;
  TResourceStringsHelper ResourceStrings;
  TVersionInfo VersionInfo;
  std::string ProjectOutputDir;
  std::string UnitOutputDir;
  std::string OutputDirectory = kTranslationDirectoryPlaceholder;
  double DrcFileDate = 0;
  TCustomResources CustomResources;

  // Opens a .DPR project source or a compiled .EXE, .DLL, .DPL or .BPL. Raises
  // EProjectError and the readers' errors; warnings go to the interaction
  // interface and the open goes on. A failed open leaves FileName empty.
  // FileName becomes the absolute name of the file, so that every name
  // derived from it (language directories, the library source and what it
  // links) means the same file whatever the current directory is.
  void Open(const std::string& fileName);
  // Empties the project (FileName, languages, forms, custom resources,
  // version labels, resource strings).
  void Clear();
  // Writes the project settings file (in one atomic write).
  void Save();

  // Adds a known language once; an unknown ID adds nothing. Raises
  // EProjectError when another language of the project has the same
  // abbreviation: both would share one language directory.
  void AddLanguage(int languageId);
  // What the new-language dialog asks before it closes: why the language
  // cannot be added (unknown, already in the project, or its abbreviation
  // taken by another of the project's languages, which is named), or ""
  // when AddLanguage would add it.
  std::string LanguageRefusal(int languageId) const;
  void RemoveLanguage(int languageId);
  bool HasLanguage(int languageId) const;

  // The last module whose name, or the file-name part of it, equals `name`
  // without regard to case.
  TModuleHelper* FindModule(std::string_view name) const;
  // Reads the form and appends it unless FindModule finds it already.
  void AddModule(const std::string& fileName, bool manuallyAdded);
  void RemoveModule(std::string_view name);
  // Reads the module's form file again (after it changed on disk). The new
  // tree is read before the old one goes, so a file that no longer reads
  // leaves the tree as it was and raises the reader's error; the
  // user-defined properties of the old tree are carried over to the new one.
  void ReloadModule(TModuleHelper& module);
  // ".DFM" files become forms, ".RES" files custom resources; other files
  // are ignored.
  void AddFile(const std::string& fileName, bool manuallyAdded);
  // The custom resource of that file, added when the project has none: one
  // file is one entry however its name is written (relative to the
  // project's directory or absolute, in any letter case).
  TCustomResource& AddCustomResource(const std::string& fileName);
  // The entry of that file, or nullptr; and removing it (by the same rule).
  TCustomResource* FindCustomResource(std::string_view fileName) const;
  void RemoveCustomResource(std::string_view fileName);

  // The output choice of the project options: one of the two placeholders
  // or a directory. Raises EProjectError for an empty (or all-blank) text,
  // which would give the compiler an empty output directory; nothing changes.
  void SetOutputDirectory(std::string value);
  std::string GetOutputDirectory(bool raw, int languageId) const;

  // Per-language names, derived from a file name.
  std::string TranslationDirectory(std::string_view fileName, int languageId) const;
  std::string TranslatedFileName(std::string_view fileName, int languageId) const;
  std::string BuildLogFileName(std::string_view fileName, int languageId) const;
  std::string VersionResourceFileName(std::string_view fileName, int languageId) const;
  std::string StringResourceFileName(std::string_view fileName, int languageId) const;
  std::string BuildBatchFileName(std::string_view fileName, int languageId) const;

  // Where the resource-string script of the open project is: beside a
  // project source, or among the files extracted from a compiled module.
  std::string DrcFileName() const;
  // Reads that script again (after a recompile) into a new set, which takes
  // the place of the old one, with the script's time stamp in DrcFileDate,
  // only once the whole script was read: a script that does not read raises
  // its error and leaves both as they were. A missing script gives an empty
  // set and DrcFileDate 0.
  void ReloadResourceStrings();
  // The folder the files of a compiled module are extracted to (see Open).
  static std::string ExtractionDirectory(std::string_view moduleFileName);

  // A path as the file system has it: macros expanded, a relative name taken
  // against the project's directory (names stored in the settings file may
  // be relative), letter case resolved.
  std::string ExpandFileName(std::string_view fileName) const;
  // The project's directory (absolute; empty while nothing is open).
  const std::string& Directory() const { return directory_; }

  TTranslatorRegistry& Registry() const { return registry_; }
  TUserInteraction& Interaction() const { return interaction_; }
  const TSystemCodePages& SystemCodePages() const { return system_; }
  TFormEnvironment FormEnvironment() const;

private:
  void ScanProjectSource(const std::string& fileName);
  void ScanUsesClause(class TParser& parser, const std::string& projectDir);
  void ImportCompiledModule(const std::string& fileName);
  void LoadResourceStrings(const std::string& drcFileName);
  std::string BuildFileName(std::string_view fileName, int languageId, const char* longExt,
                            const char* shortExt) const;
  bool IsCompiledModule() const;
  // True for the names of compiled modules a project can be opened from:
  // .EXE, .DLL and the packages .DPL and .BPL, in any letter case.
  static bool IsCompiledModuleName(std::string_view fileName);

  TTranslatorRegistry& registry_;
  TUserInteraction& interaction_;
  TSystemCodePages system_;
  TUniqueIdGenerator ids_;
  std::string drcFileName_;
  std::string directory_;
};

}  // namespace kst
