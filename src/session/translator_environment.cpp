// The environment both front ends run in: settings, engine, dictionary data
// modules, project and session, made in the order the program starts them.
#include "session/translator_environment.h"

#include "config/language_info.h"
#include "config/text_helpers.h"
#include "dictionary/highlighting.h"
#include "dictionary/module_groups.h"
#include "dictionary/settings.h"
#include "dictionary/translation_history.h"
#include "platform/database_engine.h"
#include "platform/file_utils.h"
#include "project/project_data.h"
#include "session/translation_session.h"
#include "platform/same_text.h"

namespace kst {

EDictionaryNotSetUp::EDictionaryNotSetUp()
    : std::runtime_error("The translation dictionary is not set up yet: choose the directory it is kept in first.") {}

TTranslatorEnvironment::TTranslatorEnvironment(const TRegistryLocation& location, TUserInteraction& interaction,
                                               TSystemCodePages system)
    : location_(location),
      interaction_(interaction),
      system_(system),
      registry_(location_),
      engine_(std::make_unique<TDatabaseEngine>(location_)),
      project_(std::make_unique<TProjectData>(registry_, interaction_, system_)) {}

TTranslatorEnvironment::~TTranslatorEnvironment() = default;

std::string TTranslatorEnvironment::DictionaryDirectory() const { return engine_->GetAliasPath(kDictionaryAlias); }

std::string TTranslatorEnvironment::SetUpDictionary(const std::string& parent) {
  // Absolute, so that the dictionary does not move with the directory the
  // program is started in.
  std::string path = JoinPath(AbsolutePath(parent), kDictionaryDirectoryName);
  ForceDirectories(path);
  engine_->SetAliasPath(kDictionaryAlias, path);
  ReopenDictionary();
  return path;
}

void TTranslatorEnvironment::SetUpServerDictionary(const std::string& conninfo) {
  // Reached before the configuration changes, so that a wrong string does
  // not leave the program without its dictionary.
  engine_->ConnectServer(conninfo);
  engine_->SetAliasConnection(kDictionaryAlias, conninfo);
  ReopenDictionary();
}

void TTranslatorEnvironment::ReopenDictionary() {
  session_.reset();
  settings_.reset();
  moduleGroups_.reset();
  highlighting_.reset();
  history_.reset();
  common_.reset();
  OpenDictionary();
}

bool TTranslatorEnvironment::OpenDictionary() {
  if (common_) return true;
  if (!engine_->AliasIsSetUp(kDictionaryAlias)) return false;
  common_ = std::make_unique<TdatCommon>(*engine_, interaction_);
  history_ = std::make_unique<TdatTranslationHistory>(*common_);
  highlighting_ = std::make_unique<TdatHighLighting>(*common_);
  moduleGroups_ = std::make_unique<TdatModuleGroups>(*common_);
  settings_ = std::make_unique<TdatSettings>(*common_);
  return true;
}

TdatCommon& TTranslatorEnvironment::Common() {
  if (!common_) throw EDictionaryNotSetUp();
  return *common_;
}

TdatTranslationHistory& TTranslatorEnvironment::History() {
  Common();
  return *history_;
}

TdatHighLighting& TTranslatorEnvironment::HighLighting() {
  Common();
  return *highlighting_;
}

TdatModuleGroups& TTranslatorEnvironment::ModuleGroups() {
  Common();
  return *moduleGroups_;
}

TdatSettings& TTranslatorEnvironment::Settings() {
  Common();
  return *settings_;
}

TDictionaryStatistics TTranslatorEnvironment::DictionaryStatistics() { return kst::DictionaryStatistics(Common()); }

TTranslationSession& TTranslatorEnvironment::Session() {
  if (!session_)
    session_ = std::make_unique<TTranslationSession>(*project_, history_.get(), interaction_,
                                                     common_ ? &common_->Database() : nullptr);
  return *session_;
}

int TTranslatorEnvironment::AddModuleGroup(const std::string& name) {
  TdatModuleGroups& groups = ModuleGroups();
  std::vector<std::string> names;
  groups.GetGroupNames(names);
  return Session().AddModuleGroup(name, [&](const std::string& group) -> std::optional<std::vector<std::string>> {
    bool known = false;
    for (const std::string& each : names) known = known || SameText(each, group);
    if (!known) return std::nullopt;
    std::vector<std::string> entries;
    groups.GetGroupEntries(group, entries);
    return entries;
  });
}

void TTranslatorEnvironment::OpenProject(const std::string& fileName, int languageId) {
  TTranslationSession& session = Session();
  session.OpenProject(fileName);
  if (!project_->HasLanguage(languageId)) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "%04X", languageId & 0xFFFF);
    throw std::runtime_error("Language " + std::string(hex) + " (" + TrimBlanks(LanguageDisplayName(languageId, system_.ansi)) +
                             ") is not a language of the project");
  }
  session.SelectLanguage(languageId);
}

}  // namespace kst
