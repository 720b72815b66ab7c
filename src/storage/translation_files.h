// Loading and storing one language's translations: the resource strings
// (.TRS) and each form (.TRD), both tagged binary (symbol_stream.h), and the
// version information (project .TRD) and custom resources (.TRR), ini text.
//   .TRS: "TRS301", list begin, (Name, TranslatedValue)*, list end
//   .TRD: "TRD301", list begin, (property path, TranslatedValue)*, list end
// Every file is replaced atomically; a reader stops with EReadError.
#pragma once

#include <string>
#include <string_view>

#include "project/project_data.h"

namespace kst {

// Where stored translations go besides the files, and where remembered
// resource-string translations come from (the dictionary). Implementations
// decide what to do with texts they cannot hold; they should not raise for
// them, so that a save goes on.
class TDictionaryFeed {
public:
  virtual ~TDictionaryFeed() = default;
  virtual void AddTranslation(const std::string& source, const std::string& translation, int languageId) = 0;
  virtual void SetResourceStringTranslation(const std::string& name, int languageId, const std::string& translation) = 0;
  virtual bool HasResourceStringTranslation(const std::string& name, int languageId) = 0;
  virtual std::string GetResourceStringTranslation(const std::string& name, int languageId) = 0;
};

// `feed` may be null everywhere: nothing is fed to or taken from a dictionary.
void LoadResourceStringTranslations(TProjectData& project, TResourceStringsHelper& resourceStrings,
                                    const std::string& fileName, int languageId, TDictionaryFeed* feed);
void SaveResourceStringTranslations(TProjectData& project, TResourceStringsHelper& resourceStrings,
                                    const std::string& fileName, int languageId, TDictionaryFeed* feed);
void LoadFormTranslations(TProjectData& project, TComponentHelper& root, const std::string& fileName);
void SaveFormTranslations(TProjectData& project, TComponentHelper& root, const std::string& fileName, int languageId,
                          TDictionaryFeed* feed);
void LoadCustomResourceTranslations(TProjectData& project, TCustomResources& customResources, int languageId);
void SaveCustomResourceTranslations(TProjectData& project, TCustomResources& customResources, int languageId);
// The same for one custom resource (its .TRR entry of the language): for a
// resource added or removed while a language is current.
void LoadCustomResourceTranslation(TProjectData& project, TCustomResource& resource, int languageId);
void SaveCustomResourceTranslation(TProjectData& project, const TCustomResource& resource, int languageId);
void LoadVersionInfoTranslations(TProjectData& project, TVersionInfo& versionInfo, int languageId);
void SaveVersionInfoTranslations(TProjectData& project, TVersionInfo& versionInfo, int languageId);

// The byte-level halves, for tests and fuzzing. Build* also feed the pairs
// they write; Apply* apply pairs until an error, raising EReadError then
// (what was applied stays applied).
std::string BuildResourceStringFile(const TResourceStringsHelper& resourceStrings, int languageId, TDictionaryFeed* feed);
void ApplyResourceStringFile(TResourceStringsHelper& resourceStrings, std::string_view data);
std::string BuildFormTranslationFile(TComponentHelper& root, int languageId, TDictionaryFeed* feed);
void ApplyFormTranslationFile(TComponentHelper& root, std::string_view data);

// The ini files: the version-information .TRD of the project and a custom
// resource's .TRR (path macros expanded).
std::string VersionInfoFileName(const TProjectData& project, int languageId);
std::string CustomResourceFileName(const TProjectData& project, const TCustomResource& resource);

}  // namespace kst
