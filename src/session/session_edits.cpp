// Changing translations through the session: the entries by key, the type
// check, the undo history of each language, and the walks that change many
// entries at once (automatic translation, an exchange file).
#include <algorithm>

#include "config/language_info.h"
#include "dictionary/auto_translate.h"
#include "formmodel/form_errors.h"
#include "formmodel/value_check.h"
#include "platform/file_utils.h"
#include "session/translation_session.h"
#include "platform/same_text.h"

namespace kst {

namespace {

constexpr const char* kNoLanguage =
    "No language is selected: translations belong to a language, so select one before changing them.";

std::string FormKey(const TModuleHelper& form, const std::string& path) {
  return ExtractFileName(ToInternalPath(form.FileName)) + ":" + path;
}

ETranslationError NotFound(const std::string& item) {
  return ETranslationError("Item \"" + item + "\" not found in current project");
}

}  // namespace

// One entry found in the loaded model: where its texts are, how the undo
// history and messages name it, and what setting it involves.
struct TTranslationSession::TEntryRef {
  std::string recordKey;
  std::string name;
  std::string* translation = nullptr;
  const std::string* original = nullptr;
  TCHValue* value = nullptr;  // a form's value: its text is checked against its type
  TModuleHelper* form = nullptr;
  TResourceStrListItem* string = nullptr;
};

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

std::string TTranslationSession::RecordKey(const TModuleHelper& form, const std::string& path) const {
  // The name the project lists the form under tells two forms of one file
  // name in different folders apart, which the file name alone does not.
  for (const TModuleEntry& entry : project_.Modules)
    if (entry.Module.get() == &form) return entry.Name + ":" + path;
  return form.FileName + ":" + path;
}

TTranslationSession::TEntryRef TTranslationSession::Resolve(const std::string& key) {
  TEntryRef entry;
  if (!key.empty() && key[0] == '@') {
    TResourceStrListItem* item = project_.ResourceStrings.Find(0, key.substr(1));
    if (!item) throw NotFound(key.substr(1));
    entry = TEntryRef{"@" + item->Name, item->Name, &item->TranslatedValue, &item->OriginalValue};
    entry.string = item;
    return entry;
  }
  if (!key.empty() && key[0] == '#') {
    TVersionInfoLabel* label = project_.VersionInfo.Find(key.substr(1));
    if (!label) throw NotFound(key.substr(1));
    return TEntryRef{"#" + label->Key, label->Key, &label->Translation, &label->Value};
  }
  if (!key.empty() && key[0] == '*') {
    TCustomResource* resource = project_.FindCustomResource(key.substr(1));
    if (!resource) throw NotFound(key.substr(1));
    return TEntryRef{"*" + resource->FileName, resource->FileName, &resource->TranslatedFile, &resource->FileName};
  }
  // Property paths hold no colon; a form's name may (a drive, a macro).
  size_t colon = key.rfind(':');
  if (colon == std::string::npos)
    throw ETranslationError("\"" + key + "\" names no entry: write FORM.dfm:Component.Property, @ResourceString or #VersionKey");
  std::string formName = key.substr(0, colon);
  std::string path = key.substr(colon + 1);
  TModuleHelper* form = project_.FindModule(formName);
  if (!form || !form->Root) throw ETranslationError("Module \"" + formName + "\" not found in current project!");
  TCHValue* value = nullptr;
  try {
    value = form->Root->FindProperty(path);
  } catch (const EFormModelError&) {
    value = nullptr;  // "Invalid ID": a path of no value
  }
  if (!value) throw NotFound(path);
  entry = TEntryRef{RecordKey(*form, path), FormKey(*form, path), &value->TranslatedValue, &value->OriginalValue};
  entry.value = value;
  entry.form = form;
  return entry;
}

namespace {

// A wide string whose original holds a character the language's code page
// shows as "?" keeps its original rather than take a translation with "?".
void CheckWideOriginal(const std::string& key, const TCHValue& value, const std::string& text, int codePage) {
  if (value.WideKind == 0 || !value.WideOriginal || text == value.OriginalValue) return;
  if (char16_t lost = WideTranslationLoss(*value.WideOriginal, text, codePage))
    throw ETranslationError(WideCharRefusedMessage(key, lost, codePage));
}

}  // namespace

void TTranslationSession::Assign(TEntryRef& entry, const std::string& text) {
  if (language_ <= 0) throw ETranslationError(kNoLanguage);
  if (entry.value) {
    try {
      CheckValueText(entry.name, entry.value->PropertyType, text, entry.value->OriginalValue);
    } catch (const EFormModelError& e) {
      throw ETranslationError(e.what());
    }
    CheckWideOriginal(entry.name, *entry.value, text, LanguageAnsiCodePage(language_, project_.SystemCodePages()));
    // As editing it would; selecting the form that is current already
    // would store it on every change.
    if (entry.form != form_) SelectForm(entry.form);
  }
  std::string before = *entry.translation;
  *entry.translation = text;
  Record(entry.recordKey, before, text);
}

void TTranslationSession::SetValueTranslation(const std::string& key, TCHValue& value, const std::string& text) const {
  try {
    CheckValueText(key, value.PropertyType, text, value.OriginalValue);
  } catch (const EFormModelError& e) {
    throw ETranslationError(e.what());
  }
  CheckWideOriginal(key, value, text, LanguageAnsiCodePage(language_, project_.SystemCodePages()));
  value.TranslatedValue = text;
}

void TTranslationSession::SetTranslation(const std::string& key, const std::string& text) {
  TEntryRef entry = Resolve(key);
  Assign(entry, text);
}

void TTranslationSession::SetTranslationOf(TModuleHelper& form, const std::string& path, const std::string& text) {
  TCHValue* value = nullptr;
  try {
    value = form.Root ? form.Root->FindProperty(path) : nullptr;
  } catch (const EFormModelError&) {
    value = nullptr;
  }
  if (!value) throw NotFound(path);
  TEntryRef entry{RecordKey(form, path), FormKey(form, path), &value->TranslatedValue, &value->OriginalValue};
  entry.value = value;
  entry.form = &form;
  Assign(entry, text);
}

void TTranslationSession::SetTranslationOf(TResourceStrListItem& item, const std::string& text) {
  TEntryRef entry{"@" + item.Name, item.Name, &item.TranslatedValue, &item.OriginalValue};
  entry.string = &item;
  Assign(entry, text);
}

void TTranslationSession::SetTranslationOf(TVersionInfoLabel& label, const std::string& text) {
  TEntryRef entry{"#" + label.Key, label.Key, &label.Translation, &label.Value};
  Assign(entry, text);
}

void TTranslationSession::SetTranslationOf(TCustomResource& resource, const std::string& text) {
  TEntryRef entry{"*" + resource.FileName, resource.FileName, &resource.TranslatedFile, &resource.FileName};
  Assign(entry, text);
}

void TTranslationSession::ResetTranslation(const std::string& key) {
  TEntryRef entry = Resolve(key);
  Assign(entry, *entry.original);
  if (entry.string) entry.string->ResetTranslation();
}

void TTranslationSession::Record(std::string key, const std::string& before, const std::string& after) {
  if (replaying_ || before == after || language_ <= 0) return;
  if (undoGroupDepth_ > 0) {
    // A group that outlives a change of language ends for the language it
    // began in; what follows belongs to the new one.
    if (undoGroupLanguage_ != language_) {
      if (!undoGroup_.empty() && undoGroupLanguage_ > 0) {
        TUndoHistory& history = undo_[undoGroupLanguage_];
        history.done.push_back(std::move(undoGroup_));
        history.undone.clear();
      }
      undoGroup_.clear();
      undoGroupLanguage_ = language_;
    }
    undoGroup_.push_back(TUndoChange{std::move(key), before, after});
    return;
  }
  TUndoHistory& history = undo_[language_];
  history.done.push_back(TUndoStep{TUndoChange{std::move(key), before, after}});
  history.undone.clear();
}

void TTranslationSession::BeginUndoGroup() {
  if (undoGroupDepth_++ > 0) return;
  undoGroup_.clear();
  undoGroupLanguage_ = language_;
}

void TTranslationSession::EndUndoGroup() {
  if (undoGroupDepth_ == 0 || --undoGroupDepth_ > 0) return;
  if (undoGroup_.empty() || undoGroupLanguage_ <= 0) return;
  TUndoHistory& history = undo_[undoGroupLanguage_];
  history.done.push_back(std::move(undoGroup_));
  history.undone.clear();
  undoGroup_.clear();
}

bool TTranslationSession::CanUndo() const {
  auto it = undo_.find(language_);
  return language_ > 0 && it != undo_.end() && !it->second.done.empty();
}

bool TTranslationSession::CanRedo() const {
  auto it = undo_.find(language_);
  return language_ > 0 && it != undo_.end() && !it->second.undone.empty();
}

bool TTranslationSession::Undo() { return Replay(true); }
bool TTranslationSession::Redo() { return Replay(false); }

bool TTranslationSession::Replay(bool undo) {
  if (language_ <= 0 || undoGroupDepth_ > 0) return false;
  auto it = undo_.find(language_);
  if (it == undo_.end()) return false;
  std::vector<TUndoStep>& from = undo ? it->second.done : it->second.undone;
  std::vector<TUndoStep>& to = undo ? it->second.undone : it->second.done;
  if (from.empty()) return false;
  TBusyGuard busy(*this);
  TUndoStep step = from.back();
  if (undo) std::reverse(step.begin(), step.end());
  const char* failure = undo ? "This change cannot be undone: " : "This change cannot be redone: ";

  // Everything is checked before anything is applied, following the texts
  // through the step (one entry may change twice in it).
  std::vector<std::pair<TEntryRef, std::string>> plan;
  std::map<std::string, std::string> simulated;
  try {
    for (const TUndoChange& change : step) {
      TEntryRef entry = Resolve(change.key);
      const std::string& expected = undo ? change.after : change.before;
      auto known = simulated.find(entry.recordKey);
      const std::string& now = known != simulated.end() ? known->second : *entry.translation;
      if (now != expected)
        throw ETranslationError("the translation of " + entry.name + " was changed since by other means.");
      simulated[entry.recordKey] = undo ? change.before : change.after;
      plan.emplace_back(std::move(entry), undo ? change.before : change.after);
    }
  } catch (const ETranslationError& e) {
    from.pop_back();
    throw ETranslationError(failure + std::string(e.what()));
  }
  replaying_ = true;
  try {
    for (auto& [entry, text] : plan) Assign(entry, text);
  } catch (...) {
    replaying_ = false;
    from.pop_back();
    throw;
  }
  replaying_ = false;
  if (undo) std::reverse(step.begin(), step.end());
  from.pop_back();
  to.push_back(std::move(step));
  return true;
}

int TTranslationSession::ReadExchangeFile(const std::string& fileName, TExchangeFormat format) {
  if (language_ <= 0) throw ETranslationError(kNoLanguage);
  TBusyGuard busy(*this);
  // The file changes the model directly; the step is what differs after it.
  struct TSlot {
    std::string key;
    std::string* translation;
    std::string before;
  };
  std::vector<TSlot> slots;
  for (int i = 0; i < project_.ResourceStrings.Count(); ++i) {
    TResourceStrListItem& item = project_.ResourceStrings.Item(i);
    slots.push_back(TSlot{"@" + item.Name, &item.TranslatedValue, item.TranslatedValue});
  }
  for (const auto& label : project_.VersionInfo.Items)
    slots.push_back(TSlot{"#" + label->Key, &label->Translation, label->Translation});
  for (TModuleEntry& module : project_.Modules) {
    if (!module.Module || !module.Module->Root) continue;
    module.Module->Root->ForEachPropertyPath([&](const std::string& path, TCHValue& value) {
      slots.push_back(TSlot{module.Name + ":" + path, &value.TranslatedValue, value.TranslatedValue});
    });
  }
  TUndoGroup group(*this);
  auto record = [&] {
    for (const TSlot& slot : slots) Record(slot.key, slot.before, *slot.translation);
  };
  int changed = 0;
  try {
    changed = ReadExchange(project_, fileName, language_, format);
  } catch (...) {
    record();  // what was applied before the error stays applied
    throw;
  }
  record();
  return changed;
}

int TTranslationSession::AutoTranslateForm(TAutoTranslateDialog& dialog, int typeFilter) {
  if (language_ <= 0 || !dictionary_ || !form_ || !form_->Root) return 0;
  TBusyGuard busy(*this);
  TUndoGroup group(*this);
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
      TEntryRef entry{RecordKey(*form_, path), FormKey(*form_, path), &value->TranslatedValue, &value->OriginalValue};
      entry.value = value;
      entry.form = form_;
      try {
        Assign(entry, translation);
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
  TBusyGuard busy(*this);
  TUndoGroup group(*this);
  int changed = 0;
  TResourceStringsHelper& strings = project_.ResourceStrings;
  for (int i = 0; i < strings.Count(); ++i) {
    TResourceStrListItem& item = strings.Item(i);
    if (item.TranslatedValue != item.OriginalValue) continue;
    std::string translation = item.TranslatedValue;
    TAnswer answer = AskTranslation(*dictionary_, language_, item.OriginalValue, translation, dialog);
    if (answer == TAnswer::Yes) {
      SetTranslationOf(item, translation);
      if (item.IsTranslated()) ++changed;
    }
    if (answer == TAnswer::Cancel) break;
  }
  return changed;
}

}  // namespace kst
