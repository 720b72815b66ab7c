// The session's sequences: what is stored and loaded, in which order, when
// a project is opened, saved or closed and when the language or form changes.
#include "session/translation_session.h"

#include <optional>

#include "config/language_info.h"
#include "dictionary/auto_translate.h"
#include "formmodel/form_errors.h"
#include "formmodel/value_check.h"
#include "dictionary/dictionary_schema.h"
#include "dictionary/translation_history.h"
#include "platform/file_utils.h"
#include "platform/same_text.h"
#include "platform/sqlite_db.h"
#include "storage/translation_files.h"

namespace kst {

namespace {

constexpr const char* kSaveQuestion = "Do you want to save the project settings?";
constexpr size_t kReportedSources = 20;

// Feeds the dictionary; a text the dictionary cannot hold is counted and
// left out so that the save goes on.
class THistoryFeed : public TDictionaryFeed {
public:
  THistoryFeed(TdatTranslationHistory& history, TDictionaryFeedReport& report) : history_(history), report_(report) {}
  void AddTranslation(const std::string& source, const std::string& translation, int languageId) override {
    try {
      history_.AddTranslation(source, translation, languageId);
      ++report_.added;
    } catch (const ETextTooLong&) {
      TooLong(source);
    }
  }
  void SetResourceStringTranslation(const std::string& name, int languageId, const std::string& translation) override {
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
  void TooLong(const std::string& source) {
    ++report_.tooLong;
    if (report_.tooLongSources.size() < kReportedSources) report_.tooLongSources.push_back(source);
  }
  TdatTranslationHistory& history_;
  TDictionaryFeedReport& report_;
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
                                         TUserInteraction& interaction, TSqliteDatabase* dictionaryDatabase)
    : project_(project), dictionary_(dictionary), interaction_(interaction), database_(dictionaryDatabase) {}

TTranslationSession::~TTranslationSession() = default;

TDictionaryFeed* TTranslationSession::Feed() {
  if (!dictionary_) return nullptr;
  if (!historyFeed_) historyFeed_ = std::make_unique<THistoryFeed>(*dictionary_, feed_);
  return historyFeed_.get();
}

void TTranslationSession::OpenProject(const std::string& file) {
  if (IsProjectOpen()) {
    TAnswer answer = interaction_.Ask(kSaveQuestion, TButtons::YesNoCancel);
    if (answer == TAnswer::Cancel) return;
    if (answer == TAnswer::Yes) SaveProject();
  }
  TStatusScope busy(&interaction_, TShow::BusyCursor);
  CloseProject();
  project_.Open(file);
  SelectLanguage(-1);
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
  project_.Clear();
}

void TTranslationSession::SelectLanguage(int languageId) {
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
    if (language_ > 0) {
      for (TModuleEntry& entry : project_.Modules) {
        TModuleHelper* module = entry.Module.get();
        if (!module || !module->Root) continue;
        auto it = loaded_.find(module);
        if (it == loaded_.end()) continue;
        std::string now = BuildFormTranslationFile(*module->Root, language_, nullptr);
        if (now != it->second) StoreForm(*module, &now);
      }
    }
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

namespace {

std::string FormKey(const TModuleHelper& form, const std::string& path) {
  return ExtractFileName(ToInternalPath(form.FileName)) + ":" + path;
}

}  // namespace

bool TSessionEntry::IsTranslated() const {
  return ignoreCase ? !SameText(*original, *translation) : *original != *translation;
}

void TTranslationSession::ForEachEntry(const std::function<void(const TSessionEntry&)>& visit) {
  TSessionEntry entry;
  for (int i = 0; i < project_.ResourceStrings.Count(); ++i) {
    const TResourceStrListItem& item = project_.ResourceStrings.Item(i);
    entry.key = "@" + item.Name;
    entry.original = &item.OriginalValue;
    entry.translation = &item.TranslatedValue;
    visit(entry);
  }
  entry.ignoreCase = true;
  for (const auto& label : project_.VersionInfo.Items) {
    entry.key = "#" + label->Key;
    entry.original = &label->Value;
    entry.translation = &label->Translation;
    visit(entry);
  }
  entry.ignoreCase = false;
  for (TModuleEntry& module : project_.Modules) {
    if (!module.Module || !module.Module->Root) continue;
    module.Module->Root->ForEachPropertyPath([&](const std::string& path, TCHValue& value) {
      entry.key = FormKey(*module.Module, path);
      entry.original = &value.OriginalValue;
      entry.translation = &value.TranslatedValue;
      entry.type = value.PropertyType;
      visit(entry);
    });
    entry.type = ptString;
  }
}

void TTranslationSession::SetValueTranslation(const std::string& key, TCHValue& value, const std::string& text) {
  try {
    CheckValueText(key, value.PropertyType, text);
  } catch (const EFormModelError& e) {
    throw ETranslationError(e.what());
  }
  value.TranslatedValue = text;
}

void TTranslationSession::SetTranslation(const std::string& key, const std::string& text) {
  auto notFound = [&](const std::string& item) {
    return ETranslationError("Item \"" + item + "\" not found in current project");
  };
  if (!key.empty() && key[0] == '@') {
    TResourceStrListItem* item = project_.ResourceStrings.Find(0, key.substr(1));
    if (!item) throw notFound(key.substr(1));
    item->TranslatedValue = text;
    return;
  }
  if (!key.empty() && key[0] == '#') {
    TVersionInfoLabel* label = project_.VersionInfo.Find(key.substr(1));
    if (!label) throw notFound(key.substr(1));
    label->Translation = text;
    return;
  }
  size_t colon = key.find(':');
  if (colon == std::string::npos)
    throw ETranslationError("\"" + key + "\" names no entry: write FORM.dfm:Component.Property, @ResourceString or #VersionKey");
  std::string formName = key.substr(0, colon);
  TModuleHelper* form = project_.FindModule(formName);
  if (!form || !form->Root) throw ETranslationError("Module \"" + formName + "\" not found in current project!");
  TCHValue* value = nullptr;
  try {
    value = form->Root->FindProperty(key.substr(colon + 1));
  } catch (const EFormModelError&) {
    value = nullptr;  // "Invalid ID": a path of no value
  }
  if (!value) throw notFound(key.substr(colon + 1));
  SelectForm(form);
  SetValueTranslation(FormKey(*form, key.substr(colon + 1)), *value, text);
}

int TTranslationSession::TranslationCodePage() const {
  return language_ > 0 ? LanguageAnsiCodePage(language_, project_.SystemCodePages()) : OriginalCodePage();
}

int TTranslationSession::OriginalCodePage() const { return project_.SystemCodePages().ansi; }

int TTranslationSession::AutoTranslateForm(TAutoTranslateDialog& dialog, int typeFilter) {
  if (language_ <= 0 || !dictionary_ || !form_ || !form_->Root) return 0;
  std::vector<std::pair<std::string, TCHValue*>> values;
  form_->Root->ForEachPropertyPath([&](const std::string& path, TCHValue& value) {
    if (TypeFilterBit(value.PropertyType) & typeFilter) values.emplace_back(path, &value);
  });
  int changed = 0;
  for (auto& [path, value] : values) {
    if (value->TranslatedValue != value->OriginalValue) continue;
    std::string translation = value->TranslatedValue;
    TAnswer answer = AskTranslation(*dictionary_, language_, value->OriginalValue, translation, dialog);
    if (answer == TAnswer::Yes) {
      try {
        SetValueTranslation(FormKey(*form_, path), *value, translation);
      } catch (const ETranslationError& e) {
        interaction_.ShowWarning(e.what());
      }
      if (value->IsTranslated()) ++changed;
    }
    if (answer == TAnswer::Cancel) break;
  }
  return changed;
}

int TTranslationSession::AutoTranslateResourceStrings(TAutoTranslateDialog& dialog) {
  if (language_ <= 0 || !dictionary_) return 0;
  int changed = 0;
  TResourceStringsHelper& strings = project_.ResourceStrings;
  for (int i = 0; i < strings.Count(); ++i) {
    TResourceStrListItem& item = strings.Item(i);
    if (item.TranslatedValue != item.OriginalValue) continue;
    std::string translation = item.TranslatedValue;
    TAnswer answer = AskTranslation(*dictionary_, language_, item.OriginalValue, translation, dialog);
    if (answer == TAnswer::Yes) {
      item.TranslatedValue = translation;
      if (item.IsTranslated()) ++changed;
    }
    if (answer == TAnswer::Cancel) break;
  }
  return changed;
}

std::string TTranslationSession::ResourceStringFileName() const {
  return ChangeFileExt(project_.TranslatedFileName(project_.FileName, language_), ".TRS");
}

std::string TTranslationSession::FormTranslationFileName(const TModuleHelper& form) const {
  return ChangeFileExt(project_.TranslatedFileName(form.FileName, language_), ".TRD");
}

std::string TTranslationSession::DefaultExchangeFileName() const {
  return ChangeFileExt(project_.TranslatedFileName(project_.FileName, language_), ".trx");
}

}  // namespace kst
