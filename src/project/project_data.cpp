// The project model: languages, forms, settings file and per-language names.
#include "project/project_data.h"

#include <cstdio>

#include "config/interaction.h"
#include "config/language_info.h"
#include "config/path_macros.h"
#include "config/registry_settings.h"
#include "formmodel/user_defined.h"
#include "platform/file_utils.h"
#include "platform/same_text.h"

namespace kst {

namespace {

const char kLanguagesSection[] = "Kestrin.Translator.Languages";
const char kModulesSection[] = "Kestrin.Translator.Modules";
const char kCustomResourcesSection[] = "Kestrin.Translator.CustomResources";

std::string LanguageHex(int id) {
  char text[8];
  std::snprintf(text, sizeof text, "$%04X", id & 0xFFFF);
  return text;
}

}  // namespace

TProjectData::TProjectData(TTranslatorRegistry& registry, TUserInteraction& interaction, TSystemCodePages system)
    : registry_(registry), interaction_(interaction), system_(system) {}

TProjectData::~TProjectData() = default;

TFormEnvironment TProjectData::FormEnvironment() const {
  return TFormEnvironment{&registry_, &interaction_, directory_, system_.ansi};
}

std::string TProjectData::ExpandFileName(std::string_view fileName) const {
  std::string expanded = ExpandPathMacros(fileName, registry_);
  if (!directory_.empty() && !IsAbsolutePath(expanded)) expanded = AbsolutePath(expanded, directory_);
  return ResolveFileNameCase(expanded);
}

void TProjectData::Clear() {
  Languages.clear();
  Modules.clear();
  CustomResources.Clear();
  VersionInfo.Clear();
  FileName.clear();
  ResourceStrings.Clear();
  drcFileName_.clear();
  directory_.clear();
}

void TProjectData::Save() {
  if (!SettingsFile) throw EProjectError("No project is open");
  TIniFile& ini = *SettingsFile;
  ini.BeginUpdate();
  try {
    ini.WriteString("Directories", "OutputDir", OutputDirectory);
    std::string list;
    for (const TLanguageEntry& lang : Languages) {
      if (!list.empty()) list += ";";
      list += LanguageHex(lang.Item->LanguageId);
    }
    ini.WriteString(kLanguagesSection, "LanguageList", list);
    ini.EraseSection(kModulesSection);
    for (size_t n = 0; n < Modules.size(); ++n)
      if (Modules[n].Module->ManuallyAdded) ini.WriteString(kModulesSection, "Module" + std::to_string(n), Modules[n].Name);
    ini.EraseSection(kUserDefinedSection);
    for (const TModuleEntry& m : Modules) SaveUserDefinedProperties(*m.Module, ini, ids_);
    ini.EraseSection(kCustomResourcesSection);
    for (size_t n = 0; n < CustomResources.Items.size(); ++n)
      ini.WriteString(kCustomResourcesSection, "Res" + std::to_string(n), CustomResources.Items[n]->FileName);
  } catch (...) {
    // Nothing half-saved reaches the disk: the file keeps its previous text.
    ini.EndUpdateDiscard();
    throw;
  }
  ini.EndUpdate();
}

bool TProjectData::HasLanguage(int languageId) const {
  // Language IDs are 16 bits wherever they are kept (the settings file
  // writes four hex digits); higher bits mean nothing.
  for (const TLanguageEntry& lang : Languages)
    if ((lang.Item->LanguageId & 0xFFFF) == (languageId & 0xFFFF)) return true;
  return false;
}

std::string TProjectData::LanguageRefusal(int languageId) const {
  std::string display = TrimBlanks(LanguageDisplayName(languageId, system_.ansi));
  std::string hex = LanguageHex(languageId).substr(1);
  if (LanguageInfoText(languageId, LOCALE_SLANGUAGE, system_.ansi).empty())
    return "The language [" + hex + "] is not known on this system and cannot be added to the project.";
  if (HasLanguage(languageId)) return "The project already has the language " + display + " [" + hex + "].";
  // Windows' locale data gives AZE and UZB to two languages each, and KA to
  // two neutral languages; a project with both would write both into one
  // language directory.
  std::string abbreviation = LanguageAbbreviation(languageId);
  for (const TLanguageEntry& lang : Languages)
    if (SameText(LanguageAbbreviation(lang.Item->LanguageId), abbreviation))
      return display + " [" + hex + "] cannot be added to the project: " + TrimBlanks(lang.Name) + " [" +
             LanguageHex(lang.Item->LanguageId).substr(1) + "] has the same abbreviation " + abbreviation +
             ", and the two would share one language directory.";
  return {};
}

void TProjectData::AddLanguage(int languageId) {
  if (LanguageInfoText(languageId, LOCALE_SLANGUAGE, system_.ansi).empty() || HasLanguage(languageId)) return;
  std::string refusal = LanguageRefusal(languageId);
  if (!refusal.empty()) throw EProjectError(refusal);
  auto item = std::make_unique<TLanguageListItem>();
  item->LanguageId = languageId & 0xFFFF;
  Languages.push_back(TLanguageEntry{LanguageDisplayName(languageId, system_.ansi), std::move(item)});
}

void TProjectData::RemoveLanguage(int languageId) {
  std::erase_if(Languages, [&](const TLanguageEntry& lang) {
    return (lang.Item->LanguageId & 0xFFFF) == (languageId & 0xFFFF);
  });
}

TModuleHelper* TProjectData::FindModule(std::string_view name) const {
  TModuleHelper* found = nullptr;
  for (const TModuleEntry& m : Modules)
    if (SameText(m.Name, name) || SameText(ExtractFileName(m.Name), name)) found = m.Module.get();
  return found;
}

void TProjectData::AddModule(const std::string& fileName, bool manuallyAdded) {
  if (FindModule(fileName)) return;
  auto module = std::make_unique<TModuleHelper>(fileName, manuallyAdded, FormEnvironment());
  Modules.push_back(TModuleEntry{fileName, std::move(module)});
}

void TProjectData::RemoveModule(std::string_view name) {
  std::erase_if(Modules, [&](const TModuleEntry& m) { return SameText(m.Name, name); });
}

void TProjectData::ReloadModule(TModuleHelper& module) {
  std::vector<std::string> userDefined = UserDefinedEntries(module);
  module.Reload(FormEnvironment());
  ApplyUserDefinedEntries(module, userDefined, interaction_);
}

void TProjectData::AddFile(const std::string& fileName, bool manuallyAdded) {
  std::string ext = ExtractFileExt(fileName);
  if (SameText(ext, ".DFM"))
    AddModule(fileName, manuallyAdded);
  else if (SameText(ext, ".RES"))
    AddCustomResource(fileName);
}

TCustomResource* TProjectData::FindCustomResource(std::string_view fileName) const {
  if (TCustomResource* same = CustomResources.Find(fileName)) return same;
  std::string path = ExpandFileName(fileName);
  for (auto it = CustomResources.Items.rbegin(); it != CustomResources.Items.rend(); ++it)
    if (SameText(ExpandFileName((*it)->FileName), path)) return it->get();
  return nullptr;
}

TCustomResource& TProjectData::AddCustomResource(const std::string& fileName) {
  if (TCustomResource* existing = FindCustomResource(fileName)) return *existing;
  return CustomResources.Add(fileName);
}

void TProjectData::RemoveCustomResource(std::string_view fileName) {
  std::string path = ExpandFileName(fileName);
  std::erase_if(CustomResources.Items, [&](const std::unique_ptr<TCustomResource>& r) {
    return SameText(r->FileName, fileName) || SameText(ExpandFileName(r->FileName), path);
  });
}

void TProjectData::SetOutputDirectory(std::string value) {
  if (TrimBlanks(value).empty())
    throw EProjectError(
        "The output directory is empty. Enter the directory the language modules are to be written to, or choose "
        "the translation directory or the project's output directory.");
  OutputDirectory = std::move(value);
}

std::string TProjectData::GetOutputDirectory(bool raw, int languageId) const {
  if (raw) return OutputDirectory;
  if (SameText(OutputDirectory, kTranslationDirectoryPlaceholder)) return TranslationDirectory(FileName, languageId);
  if (SameText(OutputDirectory, kProjectOutputDirectoryPlaceholder))
    return ProjectOutputDir.empty() ? ExtractFileDir(FileName) : ProjectOutputDir;
  return OutputDirectory;
}

std::string TProjectData::TranslationDirectory(std::string_view fileName, int languageId) const {
  std::string dir = ExtractFileDir(fileName);
  std::string abbreviation = LanguageAbbreviation(languageId);
  // A bare file name has its language directory beside it, not at the root.
  return dir.empty() ? abbreviation : dir + "/" + abbreviation;
}

std::string TProjectData::TranslatedFileName(std::string_view fileName, int languageId) const {
  return TranslationDirectory(fileName, languageId) + "/" + ExtractFileName(fileName);
}

std::string TProjectData::BuildFileName(std::string_view fileName, int languageId, const char* longExt,
                                        const char* shortExt) const {
  return ChangeFileExt(TranslatedFileName(fileName, languageId), registry_.UseShortFileNames() ? shortExt : longExt);
}

std::string TProjectData::BuildLogFileName(std::string_view fileName, int languageId) const {
  return BuildFileName(fileName, languageId, ".Build.log", ".log");
}

std::string TProjectData::VersionResourceFileName(std::string_view fileName, int languageId) const {
  return BuildFileName(fileName, languageId, ".VerRes.res", ".tvr");
}

std::string TProjectData::StringResourceFileName(std::string_view fileName, int languageId) const {
  return BuildFileName(fileName, languageId, ".StringRes.RES", ".tsr");
}

std::string TProjectData::BuildBatchFileName(std::string_view fileName, int languageId) const {
  return BuildFileName(fileName, languageId, ".Build.bat", ".bat");
}

}  // namespace kst
