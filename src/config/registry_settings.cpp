// The registry classes and settings.
#include "config/registry_settings.h"

#include "config/language_info.h"
#include "config/text_helpers.h"
#include "platform/file_utils.h"
#include "platform/same_text.h"

namespace kst {

TKSRegistry::TKSRegistry(const TRegistryLocation& location, TRootKey root, std::string_view keyPath)
    : TRegistry(location) {
  SetRootKey(root);
  OpenKey(keyPath, true);
}

bool TKSRegistry::ReadBoolDef(std::string_view name, bool def) const {
  return ValueExists(name) ? ReadBool(name) : def;
}

std::string TKSRegistry::ReadStringDef(std::string_view name, std::string_view def) const {
  return ValueExists(name) ? ReadString(name) : std::string(def);
}

TTranslatorRegistry::TTranslatorRegistry(const TRegistryLocation& location)
    : TCustomTranslatorRegistry(location, HKEY_CURRENT_USER, kProductKey),
      directories_(std::make_unique<TTranslatorDirectoriesRegistry>(location)),
      compiler_(std::make_unique<TTranslatorCompilerRegistry>(location)) {}

std::string TTranslatorRegistry::Brcc32Path() const { return compiler_->ReadStringDef("BRCC32", kDefaultBrcc32); }

std::string TTranslatorRegistry::Dcc32Path() const { return compiler_->ReadStringDef("DCC32", kDefaultDcc32); }

bool TTranslatorRegistry::UseShortFileNames() const { return compiler_->ReadBoolDef("UseShortFileNames", false); }

std::string MachineDelphiRootDir(const TRegistryLocation& location) {
  TRegistry machine(location);
  machine.SetRootKey(HKEY_LOCAL_MACHINE);
  if (machine.OpenKeyReadOnly(kDelphiMachineKey) && machine.ValueExists("RootDir")) {
    try {
      return machine.ReadString("RootDir");
    } catch (const ERegistryException&) {
      // A value of the wrong type is no root directory.
    }
  }
  std::string standIn = ProgramDirectory() + "/delphi3";
  return DirectoryExists(standIn) ? standIn : std::string();
}

bool ReadShowHighlightedPropertiesOnly(const TRegistryLocation& location) {
  try {
    TKSRegistry reg(location, HKEY_CURRENT_USER, kCurrentVersionKey);
    return reg.ReadBoolDef("ShowHighlightedPropertiesOnly", false);
  } catch (const std::exception&) {
    return false;
  }
}

void WriteShowHighlightedPropertiesOnly(const TRegistryLocation& location, bool value) {
  TKSRegistry reg(location, HKEY_CURRENT_USER, kCurrentVersionKey);
  reg.WriteBool("ShowHighlightedPropertiesOnly", value);
}

std::string ReadFormPreviewPlacement(const TRegistryLocation& location) {
  try {
    TKSRegistry reg(location, HKEY_CURRENT_USER, kCurrentVersionKey);
    const std::string placement = reg.ReadStringDef("FormPreview", "Tab");
    for (const char* known : {"Beside", "Tab", "Hidden"})
      if (SameText(placement, known)) return known;
  } catch (const std::exception&) {
  }
  return "Tab";
}

void WriteFormPreviewPlacement(const TRegistryLocation& location, std::string_view placement) {
  TKSRegistry reg(location, HKEY_CURRENT_USER, kCurrentVersionKey);
  reg.WriteString("FormPreview", placement);
}

std::vector<std::string> ReadRecentProjects(const TRegistryLocation& location) {
  TKSRegistry reg(location, HKEY_CURRENT_USER, kCurrentVersionKey);
  std::vector<std::string> projects;
  for (int i = 0; i < 5; ++i) {
    std::string name = "ProjHist" + std::to_string(i);
    std::string value;
    try {
      value = reg.ReadStringDef(name, "");
    } catch (const ERegistryException&) {
      continue;
    }
    if (!value.empty()) projects.push_back(value);
  }
  return projects;
}

void WriteRecentProjects(const TRegistryLocation& location, const std::vector<std::string>& projects) {
  TKSRegistry reg(location, HKEY_CURRENT_USER, kCurrentVersionKey);
  for (size_t i = 0; i < 5; ++i)
    reg.WriteString("ProjHist" + std::to_string(i), i < projects.size() ? projects[i] : std::string());
}

void AddRecentProject(const TRegistryLocation& location, const std::string& file) {
  if (file.empty()) return;
  std::vector<std::string> projects{file};
  for (const std::string& old : ReadRecentProjects(location)) {
    bool known = false;
    for (const std::string& kept : projects) known = known || SameText(kept, old);
    if (!known) projects.push_back(old);
  }
  if (projects.size() > 5) projects.resize(5);
  WriteRecentProjects(location, projects);
}

std::string GlobalStringDictionaryDirectory(const TRegistryLocation& location, const std::string& programDirectory) {
  TKSRegistry reg(location, HKEY_CURRENT_USER, kCurrentVersionKey);
  std::string dir = reg.ReadStringDef("GlobalStringDictionary", "");
  if (dir.empty()) dir = programDirectory;
  reg.WriteString("GlobalStringDictionary", dir);
  return dir;
}

std::string GlobalStringDictionaryFile(const TRegistryLocation& location, const std::string& programDirectory,
                                       int languageId) {
  return JoinPath(GlobalStringDictionaryDirectory(location, programDirectory), "STRDICT") + "." +
         LanguageAbbreviation(languageId);
}

}  // namespace kst
