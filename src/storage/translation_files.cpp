// The load and store operations of one language's translation files.
#include "storage/translation_files.h"

#include <unordered_map>

#include "config/interaction.h"
#include "config/language_info.h"
#include "config/path_macros.h"
#include "config/text_helpers.h"
#include "platform/file_utils.h"
#include "storage/symbol_stream.h"

namespace kst {

namespace {

constexpr const char* kReadingHint = "Reading Translation File %s...";
constexpr const char* kWritingHint = "Writing Translation File %s...";

void CreateFileDirectory(const std::string& fileName) {
  std::string dir = ExtractFileDir(fileName);
  if (dir.empty()) throw EFileError("Unable to create directory");
  ForceDirectories(dir);
}

// The first value of each path, as FindProperty resolves a path that occurs
// twice; looked up instead of resolving each path anew, which is quadratic
// on large forms.
class TPathIndex {
public:
  explicit TPathIndex(TComponentHelper& root) : root_(root) {}
  TCHValue* Resolve(const std::string& path) {
    if (!built_) {
      root_.ForEachPropertyPath([&](const std::string& p, TCHValue& v) { index_.emplace(UpperCaseAscii(p), &v); });
      built_ = true;
    }
    auto it = index_.find(UpperCaseAscii(path));
    if (it != index_.end()) return it->second;
    // Paths the walk does not produce may still name a value (other
    // spellings); a path the model refuses is skipped like a stale one.
    try {
      return root_.FindProperty(path);
    } catch (const EFormError&) {
      return nullptr;
    }
  }

private:
  TComponentHelper& root_;
  bool built_ = false;
  std::unordered_map<std::string, TCHValue*> index_;
};

}  // namespace

std::string BuildResourceStringFile(const TResourceStringsHelper& resourceStrings, int languageId, TDictionaryFeed* feed) {
  std::string out;
  TTaggedWriter writer(out);
  writer.WriteString("TRS301");
  writer.WriteListBegin();
  for (int i = 0; i < resourceStrings.Count(); ++i) {
    const TResourceStrListItem& item = resourceStrings.Item(i);
    if (item.ID <= 0 || !item.IsTranslated()) continue;
    writer.WriteString(item.Name);
    writer.WriteString(item.TranslatedValue);
    if (feed) feed->AddTranslation(item.OriginalValue, item.TranslatedValue, languageId);
  }
  writer.WriteListEnd();
  return out;
}

void ApplyResourceStringFile(TResourceStringsHelper& resourceStrings, std::string_view data) {
  std::unordered_map<std::string, TResourceStrListItem*> byName;
  byName.reserve(static_cast<size_t>(resourceStrings.Count()));
  for (int i = resourceStrings.Count() - 1; i >= 0; --i) {
    TResourceStrListItem& item = resourceStrings.Item(i);
    byName[UpperCaseAscii(item.Name)] = &item;  // walked backwards: the first of a name wins
  }
  TTaggedReader reader(data);
  reader.ReadString();  // the signature, not compared
  reader.ReadListBegin();
  while (!reader.EndOfList()) {
    std::string name = reader.ReadString();
    std::string text = reader.ReadString();
    auto it = byName.find(UpperCaseAscii(name));
    if (it != byName.end()) it->second->TranslatedValue = std::move(text);
  }
  reader.ReadListEnd();
}

std::string BuildFormTranslationFile(TComponentHelper& root, int languageId, TDictionaryFeed* feed) {
  std::string out;
  TTaggedWriter writer(out);
  writer.WriteString("TRD301");
  writer.WriteListBegin();
  std::unordered_map<std::string, TCHValue*> first;
  root.ForEachPropertyPath([&](const std::string& path, TCHValue& value) {
    TCHValue* target = first.emplace(UpperCaseAscii(path), &value).first->second;
    if (!target->IsTranslated()) return;
    writer.WriteString(path);
    writer.WriteString(target->TranslatedValue);
    if (feed) feed->AddTranslation(target->OriginalValue, target->TranslatedValue, languageId);
  });
  writer.WriteListEnd();
  return out;
}

void ApplyFormTranslationFile(TComponentHelper& root, std::string_view data) {
  TPathIndex index(root);
  TTaggedReader reader(data);
  reader.ReadString();  // the signature, not compared
  reader.ReadListBegin();
  while (!reader.EndOfList()) {
    std::string path = reader.ReadString();
    std::string text = reader.ReadString();
    if (TCHValue* value = index.Resolve(path)) value->TranslatedValue = std::move(text);
  }
  reader.ReadListEnd();
}

void LoadResourceStringTranslations(TProjectData& project, TResourceStringsHelper& resourceStrings,
                                    const std::string& fileName, int languageId, TDictionaryFeed* feed) {
  TStatusScope hint(&project.Interaction(), TShow::Hint, FormatText(kReadingHint, ExtractFileName(fileName)));
  for (int i = 0; i < resourceStrings.Count(); ++i) {
    TResourceStrListItem& item = resourceStrings.Item(i);
    // Resetting also drops a mark left from another language, which would
    // store this language's text as that string's remembered translation.
    item.ResetTranslation();
    if (feed && feed->HasResourceStringTranslation(item.Name, languageId)) {
      item.TranslatedValue = feed->GetResourceStringTranslation(item.Name, languageId);
      item.FromDictionary = 1;
    }
  }
  std::string name = project.ExpandFileName(fileName);
  if (!FileExists(name)) return;
  TSymbolFileStream stream(name, fmOpenRead, nullptr);
  ApplyResourceStringFile(resourceStrings, stream.Data());
}

void SaveResourceStringTranslations(TProjectData& project, TResourceStringsHelper& resourceStrings,
                                    const std::string& fileName, int languageId, TDictionaryFeed* feed) {
  if (feed) {
    for (int i = 0; i < resourceStrings.Count(); ++i) {
      const TResourceStrListItem& item = resourceStrings.Item(i);
      if (item.FromDictionary) feed->SetResourceStringTranslation(item.Name, languageId, item.TranslatedValue);
    }
  }
  TSymbolFileStream stream(project.ExpandFileName(fileName), fmCreate, nullptr);
  CreateFileDirectory(stream.FileName());
  stream.Buffer() = BuildResourceStringFile(resourceStrings, languageId, feed);
  stream.Commit();
}

void LoadFormTranslations(TProjectData& project, TComponentHelper& root, const std::string& fileName) {
  TStatusScope hint(&project.Interaction(), TShow::Hint, FormatText(kReadingHint, ExtractFileName(fileName)));
  root.ResetAllTranslations();
  std::string name = project.ExpandFileName(fileName);
  if (!FileExists(name)) return;
  TSymbolFileStream stream(name, fmOpenRead, nullptr);
  ApplyFormTranslationFile(root, stream.Data());
}

void SaveFormTranslations(TProjectData& project, TComponentHelper& root, const std::string& fileName, int languageId,
                          TDictionaryFeed* feed) {
  TStatusScope hint(&project.Interaction(), TShow::Hint, FormatText(kWritingHint, ExtractFileName(fileName)));
  TSymbolFileStream stream(project.ExpandFileName(fileName), fmCreate, nullptr);
  CreateFileDirectory(stream.FileName());
  stream.Buffer() = BuildFormTranslationFile(root, languageId, feed);
  stream.Commit();
}

std::string VersionInfoFileName(const TProjectData& project, int languageId) {
  return project.ExpandFileName(ChangeFileExt(project.TranslatedFileName(project.FileName, languageId), ".TRD"));
}

std::string CustomResourceFileName(const TProjectData& project, const TCustomResource& resource) {
  return ChangeFileExt(project.ExpandFileName(resource.FileName), ".TRR");
}

namespace {

// One ini file's changes reach the disk in one atomic write, or not at all.
template <class F>
void UpdateIni(TIniFile& ini, F&& change) {
  ini.BeginUpdate();
  try {
    change();
  } catch (...) {
    ini.EndUpdateDiscard();
    throw;
  }
  ini.EndUpdate();
}

std::string CustomResourceSection(int languageId) { return "Language." + LanguageAbbreviation(languageId); }

}  // namespace

void SaveCustomResourceTranslation(TProjectData& project, const TCustomResource& resource, int languageId) {
  TIniFile ini(CustomResourceFileName(project, resource));
  UpdateIni(ini, [&] {
    if (resource.IsTranslated())
      ini.WriteString(CustomResourceSection(languageId), "TranslatedFile", resource.TranslatedFile);
    else
      ini.DeleteKey(CustomResourceSection(languageId), "TranslatedFile");
  });
}

void LoadCustomResourceTranslation(TProjectData& project, TCustomResource& resource, int languageId) {
  resource.ResetTranslation();
  TIniFile ini(CustomResourceFileName(project, resource));
  resource.TranslatedFile = ini.ReadString(CustomResourceSection(languageId), "TranslatedFile", resource.FileName);
}

void SaveCustomResourceTranslations(TProjectData& project, TCustomResources& customResources, int languageId) {
  TStatusScope hint(&project.Interaction(), TShow::Hint, FormatText(kWritingHint, ""));
  for (const auto& resource : customResources.Items) SaveCustomResourceTranslation(project, *resource, languageId);
}

void LoadCustomResourceTranslations(TProjectData& project, TCustomResources& customResources, int languageId) {
  TStatusScope hint(&project.Interaction(), TShow::Hint, FormatText(kReadingHint, ""));
  for (const auto& resource : customResources.Items) resource->ResetTranslation();
  for (const auto& resource : customResources.Items) LoadCustomResourceTranslation(project, *resource, languageId);
}

void SaveVersionInfoTranslations(TProjectData& project, TVersionInfo& versionInfo, int languageId) {
  TStatusScope hint(&project.Interaction(), TShow::Hint, FormatText(kWritingHint, ""));
  const std::string fileName = VersionInfoFileName(project, languageId);
  const std::string section = "VersionInfo." + LanguageAbbreviation(languageId);
  bool anyTranslated = false;
  for (const auto& label : versionInfo.Items) anyTranslated = anyTranslated || label->IsTranslated();
  if (anyTranslated) CreateFileDirectory(fileName);
  TIniFile ini(fileName);
  UpdateIni(ini, [&] {
    for (const auto& label : versionInfo.Items) {
      if (label->IsTranslated())
        ini.WriteString(section, label->Key, EncodeEscapes(label->Translation));
      else
        ini.DeleteKey(section, label->Key);
    }
  });
}

void LoadVersionInfoTranslations(TProjectData& project, TVersionInfo& versionInfo, int languageId) {
  TStatusScope hint(&project.Interaction(), TShow::Hint, FormatText(kReadingHint, ""));
  const std::string section = "VersionInfo." + LanguageAbbreviation(languageId);
  for (const auto& label : versionInfo.Items) label->ResetTranslation();
  TIniFile ini(VersionInfoFileName(project, languageId));
  for (const auto& label : versionInfo.Items) {
    // An absent key keeps the original as it stands: un-escaping the
    // original itself would change (or refuse) texts holding a backslash.
    if (!ini.ValueExists(section, label->Key)) continue;
    label->Translation = DecodeEscapes(ini.ReadString(section, label->Key, label->Value));
  }
}

}  // namespace kst
