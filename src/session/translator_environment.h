// TTranslatorEnvironment: what both front ends open before anything else and
// keep while they run: the settings store, the database engine, the
// dictionary's data modules (when the dictionary is set up), the project and
// the translation session over them.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "config/registry_settings.h"
#include "dictionary/common.h"
#include "platform/codepage.h"
#include "platform/registry.h"

namespace kst {

class TDatabaseEngine;
class TdatCommon;
class TdatTranslationHistory;
class TdatHighLighting;
class TdatModuleGroups;
class TdatSettings;
class TProjectData;
class TTranslationSession;
class TUserInteraction;

// A dictionary operation was asked for while no dictionary is set up.
class EDictionaryNotSetUp : public std::runtime_error {
public:
  EDictionaryNotSetUp();
};

class TTranslatorEnvironment {
public:
  // Nothing is opened yet; `interaction` must outlive the environment.
  TTranslatorEnvironment(const TRegistryLocation& location, TUserInteraction& interaction,
                         TSystemCodePages system = TSystemCodePages::FromEnvironment());
  ~TTranslatorEnvironment();
  TTranslatorEnvironment(const TTranslatorEnvironment&) = delete;
  TTranslatorEnvironment& operator=(const TTranslatorEnvironment&) = delete;

  // The directory the dictionary's alias points at; empty while it is not
  // set up. Raises the engine's errors for a configuration it cannot read.
  std::string DictionaryDirectory() const;
  // Points the dictionary at `parent`/KSTrans.DB (made absolute and
  // created), creates what is missing there, opens it and returns the
  // directory. Raises EFileError when the directory cannot be created.
  std::string SetUpDictionary(const std::string& parent);
  // Points the dictionary at a PostgreSQL server (a libpq connection string
  // without password), creates what is missing there and opens it. Raises
  // std::invalid_argument for a string with a password, EDatabaseError when
  // the server cannot be reached.
  void SetUpServerDictionary(const std::string& conninfo);
  // Opens the dictionary's data modules (connection and set-up, the
  // translation history, highlighting, module groups, settings) when the
  // dictionary is set up; false when it is not. Call it before Session():
  // the session is given the dictionary it finds then.
  bool OpenDictionary();
  bool DictionaryOpen() const { return common_ != nullptr; }

  // The data modules; each raises EDictionaryNotSetUp while the dictionary
  // is not open.
  TdatCommon& Common();
  TdatTranslationHistory& History();
  TdatHighLighting& HighLighting();
  TdatModuleGroups& ModuleGroups();
  TdatSettings& Settings();
  TDictionaryStatistics DictionaryStatistics();

  const TRegistryLocation& Location() const { return location_; }
  TTranslatorRegistry& Registry() { return registry_; }
  TDatabaseEngine& Engine() { return *engine_; }
  const TSystemCodePages& SystemCodePages() const { return system_; }
  TUserInteraction& Interaction() { return interaction_; }
  TProjectData& Project() { return *project_; }
  // Made on first use, with the dictionary when it is open.
  TTranslationSession& Session();

  // Adds the module group of that name from the dictionary's module-group
  // store to the open project (TTranslationSession::AddModuleGroup).
  // Raises EDictionaryNotSetUp without a dictionary.
  int AddModuleGroup(const std::string& name);

  // Opens the project and selects `languageId`, which must be one of its
  // languages (raises std::runtime_error naming it otherwise).
  void OpenProject(const std::string& fileName, int languageId);

private:
  void ReopenDictionary();
  TRegistryLocation location_;
  TUserInteraction& interaction_;
  TSystemCodePages system_;
  TTranslatorRegistry registry_;
  std::unique_ptr<TDatabaseEngine> engine_;
  std::unique_ptr<TdatCommon> common_;
  std::unique_ptr<TdatTranslationHistory> history_;
  std::unique_ptr<TdatHighLighting> highlighting_;
  std::unique_ptr<TdatModuleGroups> moduleGroups_;
  std::unique_ptr<TdatSettings> settings_;
  std::unique_ptr<TProjectData> project_;
  std::unique_ptr<TTranslationSession> session_;
};

}  // namespace kst
