// The session's sequences: what is stored and loaded, in which order, when
// a project is opened, saved or closed and when the language or form changes.
#include "session/translation_session.h"

#include <optional>

#include "config/language_info.h"
#include "dictionary/dictionary_schema.h"
#include "dictionary/translation_history.h"
#include "formmodel/user_defined.h"
#include "platform/database.h"
#include "platform/file_utils.h"
#include "platform/same_text.h"
#include "session/pseudo_text.h"
#include "storage/translation_files.h"

namespace kst {

namespace {

constexpr const char* kSaveQuestion = "Do you want to save the project settings?";
constexpr const char* kNoProject = "No project is open";
constexpr size_t kReportedSources = 20;

// Feeds the dictionary; a text the dictionary cannot hold is counted and
// left out so that the save goes on. Pseudo-translations are left out
// silently: the team's dictionary would offer the fake text to automatic
// translation in every project.
class THistoryFeed : public TDictionaryFeed {
public:
  THistoryFeed(TdatTranslationHistory& history, TDictionaryFeedReport& report, TProjectData& project)
      : history_(history), report_(report), project_(project) {}
  void AddTranslation(const std::string& source, const std::string& translation, int languageId) override {
    if (IsPseudo(source, translation, languageId)) return;
    try {
      history_.AddTranslation(source, translation, languageId);
      ++report_.added;
    } catch (const ETextTooLong&) {
      TooLong(source);
    }
  }
  void SetResourceStringTranslation(const std::string& name, int languageId, const std::string& translation) override {
    // A string marked as taken from the dictionary may have been given a
    // pseudo-translation since (the look-up only for a text that may be one).
    if (translation.find('[') != std::string::npos) {
      const TResourceStrListItem* item = project_.ResourceStrings.Find(0, name);
      if (item && IsPseudo(item->OriginalValue, translation, languageId)) return;
    }
    try {
      history_.SetResourceStringTranslation(name, languageId, translation);
    } catch (const ETextTooLong&) {
      TooLong(name);
    }
  }
  bool HasResourceStringTranslation(const std::string& name, int languageId) override {
    return history_.HasResourceStringTranslation(name, languageId);
  }
  std::string GetResourceStringTranslation(const std::string& name, int languageId) override {
    return history_.GetResourceStringTranslation(name, languageId);
  }

private:
  bool IsPseudo(const std::string& source, const std::string& translation, int languageId) {
    if (translation.find('[') == std::string::npos) return false;  // most texts, without making a translator
    const TSystemCodePages& system = project_.SystemCodePages();
    int page = LanguageAnsiCodePage(languageId, system);
    if (!pseudo_ || pseudo_->TranslationCodePage() != page) pseudo_.emplace(system.ansi, page);
    return pseudo_->IsPseudoTranslation(source, translation);
  }
  void TooLong(const std::string& source) {
    ++report_.tooLong;
    if (report_.tooLongSources.size() < kReportedSources) report_.tooLongSources.push_back(source);
  }
  TdatTranslationHistory& history_;
  TDictionaryFeedReport& report_;
  TProjectData& project_;
  std::optional<TPseudoTranslator> pseudo_;
};

}  // namespace

// Everything stored by one operation (a save stores the form, then the
// language) goes to the dictionary in one transaction, which is what makes
// a large save fast; nested operations join it.
class TTranslationSession::TStoreScope {
public:
  explicit TStoreScope(TTranslationSession& session) : session_(session) {
    if (session_.storeDepth_++ == 0) session_.feed_ = {};
    if (session_.database_) transaction_.emplace(*session_.database_);
  }
  ~TStoreScope() { --session_.storeDepth_; }
  void Commit() {
    if (transaction_) transaction_->Commit();
  }

private:
  TTranslationSession& session_;
  std::optional<TWriteTransaction> transaction_;
};

TTranslationSession::TTranslationSession(TProjectData& project, TdatTranslationHistory* dictionary,
                                         TUserInteraction& interaction, TDatabase* dictionaryDatabase)
    : project_(project), dictionary_(dictionary), interaction_(interaction), database_(dictionaryDatabase) {}

TTranslationSession::~TTranslationSession() = default;

TDictionaryFeed* TTranslationSession::Feed() {
  if (!dictionary_) return nullptr;
  if (!historyFeed_) historyFeed_ = std::make_unique<THistoryFeed>(*dictionary_, feed_, project_);
  return historyFeed_.get();
}

bool TTranslationSession::OpenProject(const std::string& file) {
  TBusyGuard command(*this);
  if (IsProjectOpen()) {
    TAnswer answer = interaction_.Ask(kSaveQuestion, TButtons::YesNoCancel);
    if (answer == TAnswer::Cancel) return false;
    if (answer == TAnswer::Yes) SaveProject();
  }
  TStatusScope busy(&interaction_, TShow::BusyCursor);
  CloseProject();
  project_.Open(file);
  SelectLanguage(-1);
  return true;
}

void TTranslationSession::SaveProject() {
  if (!IsProjectOpen()) return;
  // Leaving the language stores the current form as well (in the same
  // dictionary transaction); storing it once more beforehand would only
  // feed the dictionary every pair twice.
  SelectLanguage(language_);
  project_.Save();
}

void TTranslationSession::CloseProject() {
  SelectForm(nullptr);
  SelectLanguage(-1);
  loaded_.clear();
  loadedParts_ = 0;
  undo_.clear();
  undoGroup_.clear();
  project_.Clear();
}

void TTranslationSession::SelectLanguage(int languageId) {
  TBusyGuard command(*this);
  TStatusScope busy(&interaction_, TShow::BusyCursor);
  TModuleHelper* remembered = form_;
  {
    TStoreScope scope(*this);
    // Only what was loaded is stored: after a file that could not be read,
    // the rest of the model still holds another language's texts, and
    // writing them would overwrite this language's files.
    if (language_ > 0) {
      if (loadedParts_ & kStringsLoaded)
        SaveResourceStringTranslations(project_, project_.ResourceStrings, ResourceStringFileName(), language_, Feed());
      if (loadedParts_ & kCustomLoaded) SaveCustomResourceTranslations(project_, project_.CustomResources, language_);
      if (loadedParts_ & kVersionLoaded) SaveVersionInfoTranslations(project_, project_.VersionInfo, language_);
    }
    SelectForm(nullptr);
    for (TModuleEntry& entry : project_.Modules)
      if (entry.Module) StoreFormIfChanged(*entry.Module);
    scope.Commit();
  }
  language_ = languageId;
  loaded_.clear();
  loadedParts_ = 0;
  if (language_ <= 0) return;
  for (TModuleEntry& entry : project_.Modules) {
    TModuleHelper* module = entry.Module.get();
    if (!module || !module->Root) continue;
    try {
      LoadFormTranslations(project_, *module->Root, FormTranslationFileName(*module));
    } catch (...) {
      // What was applied counts as loaded, so that the file is rewritten
      // only when the person changes that form.
      loaded_[module] = BuildFormTranslationFile(*module->Root, language_, nullptr);
      throw;
    }
    loaded_[module] = BuildFormTranslationFile(*module->Root, language_, nullptr);
  }
  LoadResourceStringTranslations(project_, project_.ResourceStrings, ResourceStringFileName(), language_, Feed());
  loadedParts_ |= kStringsLoaded;
  LoadCustomResourceTranslations(project_, project_.CustomResources, language_);
  loadedParts_ |= kCustomLoaded;
  LoadVersionInfoTranslations(project_, project_.VersionInfo, language_);
  loadedParts_ |= kVersionLoaded;
  SelectForm(remembered);
}

void TTranslationSession::SelectForm(TModuleHelper* form) {
  // Without a language there is nothing of a language to store.
  if (form_ && form_->Root && language_ > 0 && loaded_.count(form_)) {
    TStoreScope scope(*this);
    StoreForm(*form_);
    scope.Commit();
  }
  form_ = form;
}

void TTranslationSession::StoreForm(TModuleHelper& form, std::string* built) {
  SaveFormTranslations(project_, *form.Root, FormTranslationFileName(form), language_, Feed());
  loaded_[&form] = built ? std::move(*built) : BuildFormTranslationFile(*form.Root, language_, nullptr);
}

void TTranslationSession::StoreFormIfChanged(TModuleHelper& form) {
  auto it = loaded_.find(&form);
  if (language_ <= 0 || !form.Root || it == loaded_.end()) return;
  std::string now = BuildFormTranslationFile(*form.Root, language_, nullptr);
  if (now == it->second) return;
  TStoreScope scope(*this);
  StoreForm(form, &now);
  scope.Commit();
}

TModuleHelper* TTranslationSession::AddForm(const std::string& file) {
  if (!IsProjectOpen()) throw EProjectError(kNoProject);
  // One file is one form however its name is written: two modules of one
  // file would store over each other's translation file.
  auto place = [&](const std::string& name) { return AbsolutePath(project_.ExpandFileName(name)); };
  const std::string path = place(file);
  for (const TModuleEntry& entry : project_.Modules)
    if (SameText(entry.Name, file) || SameText(place(entry.Name), path)) return entry.Module.get();
  if (TModuleHelper* known = project_.FindModule(file)) return known;
  project_.AddModule(file, true);
  TModuleHelper* module = project_.Modules.back().Module.get();
  // The settings file may still hold the user's additions to a form that
  // was removed and is added again; the next save would drop them.
  if (project_.SettingsFile) LoadUserDefinedProperties(*module, *project_.SettingsFile, interaction_);
  if (language_ > 0) {
    try {
      LoadFormTranslations(project_, *module->Root, FormTranslationFileName(*module));
    } catch (...) {
      loaded_[module] = BuildFormTranslationFile(*module->Root, language_, nullptr);
      throw;
    }
    loaded_[module] = BuildFormTranslationFile(*module->Root, language_, nullptr);
  }
  return module;
}

void TTranslationSession::RemoveForm(const std::string& name) {
  for (TModuleEntry& entry : project_.Modules) {
    if (!SameText(entry.Name, name) || !entry.Module) continue;
    if (entry.Module.get() == form_)
      SelectForm(nullptr);
    else
      StoreFormIfChanged(*entry.Module);
  }
  for (TModuleEntry& entry : project_.Modules)
    if (SameText(entry.Name, name)) loaded_.erase(entry.Module.get());
  project_.RemoveModule(name);
}

TCustomResource& TTranslationSession::AddCustomResource(const std::string& file) {
  if (!IsProjectOpen()) throw EProjectError(kNoProject);
  if (TCustomResource* known = project_.FindCustomResource(file)) return *known;
  TCustomResource& resource = project_.AddCustomResource(file);
  if (language_ > 0 && (loadedParts_ & kCustomLoaded)) LoadCustomResourceTranslation(project_, resource, language_);
  return resource;
}

void TTranslationSession::RemoveCustomResource(const std::string& name) {
  TCustomResource* resource = project_.FindCustomResource(name);
  if (!resource) return;
  if (language_ > 0 && (loadedParts_ & kCustomLoaded)) SaveCustomResourceTranslation(project_, *resource, language_);
  project_.RemoveCustomResource(name);
}

bool TTranslationSession::AddLanguage(int languageId) {
  project_.AddLanguage(languageId);
  return project_.HasLanguage(languageId);
}

void TTranslationSession::RemoveLanguage(int languageId) {
  auto same = [&](int id) { return (id & 0xFFFF) == (languageId & 0xFFFF); };
  if (language_ > 0 && same(language_)) SelectLanguage(-1);
  project_.RemoveLanguage(languageId);
  std::erase_if(undo_, [&](const auto& history) { return same(history.first); });
}

int TTranslationSession::TranslationCodePage() const {
  return language_ > 0 ? LanguageAnsiCodePage(language_, project_.SystemCodePages()) : OriginalCodePage();
}

int TTranslationSession::OriginalCodePage() const { return project_.SystemCodePages().ansi; }

std::string TTranslationSession::ResourceStringFileName() const {
  return ChangeFileExt(project_.TranslatedFileName(project_.FileName, language_), ".TRS");
}

std::string TTranslationSession::FormTranslationFileName(const TModuleHelper& form) const {
  return ChangeFileExt(project_.TranslatedFileName(form.FileName, language_), ".TRD");
}

std::string TTranslationSession::DefaultExchangeFileName(TExchangeFormat format) const {
  return ChangeFileExt(project_.TranslatedFileName(project_.FileName, language_), ExchangeExtension(format));
}

}  // namespace kst
