// TTranslationSession, which both front ends drive: the project, the current
// language and form; outgoing translations are stored (and fed to the
// dictionary) before the incoming ones are loaded.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

#include "config/interaction.h"
#include "exchange/exchange_file.h"
#include "exchange/exchange_format.h"
#include "project/project_data.h"

namespace kst {

class TdatTranslationHistory;
class TDatabase;
class TAutoTranslateDialog;
class TDictionaryFeed;

// A translation that cannot be taken: its entry is not in the project, or
// its text is not a value of the property's type. The message is for a
// person.
class ETranslationError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// One entry of the current language as both front ends address it: "@Name"
// a resource string, "#Key" a version key, "FORM:PATH" a plain value of a
// form (FORM the form file's name without its directory, or the form's name
// as the project lists it). SetTranslation also takes "*File", the
// translated file of a custom resource.
struct TSessionEntry {
  std::string key;
  const std::string* original = nullptr;     // in the project's code page
  const std::string* translation = nullptr;  // in the language's code page
  TPropertyType type = ptString;             // resource strings and version keys are strings
  bool ignoreCase = false;                   // version keys: a change of letter case is none
  bool IsTranslated() const;
};

// What the last storing of a language's files gave to the dictionary.
struct TDictionaryFeedReport {
  int added = 0;     // pairs handed to the dictionary
  int tooLong = 0;   // pairs the dictionary could not hold (left out, save went on)
  std::vector<std::string> tooLongSources;  // their originals (names for remembered resource strings), first 20
};

// The files a module group names, by group name (compared without regard
// to case): its entries as stored, or nothing when no group has that name.
using TModuleGroupEntries = std::function<std::optional<std::vector<std::string>>(const std::string& group)>;

class TTranslationSession {
public:
  // `dictionary` may be null: then nothing is fed to or taken from the
  // dictionary. `dictionaryDatabase` (the dictionary's connection, may be
  // null) lets one save run as a single transaction. All must outlive the
  // session.
  TTranslationSession(TProjectData& project, TdatTranslationHistory* dictionary, TUserInteraction& interaction,
                      TDatabase* dictionaryDatabase = nullptr);
  ~TTranslationSession();
  TTranslationSession(const TTranslationSession&) = delete;
  TTranslationSession& operator=(const TTranslationSession&) = delete;

  // Asks "Do you want to save the project settings?" when a project is open
  // (Cancel leaves everything as it was, Yes saves first), then closes, opens
  // the file and selects no language. Raises the project's errors. False
  // when the person cancelled (the window then keeps its title and does not
  // list the file among the recent projects).
  bool OpenProject(const std::string& file);
  // Stores the current form and language and loads them again, then writes
  // the project settings file.
  void SaveProject();
  // Stores what is loaded, selects no language and empties the project.
  void CloseProject();
  // Stores the outgoing language's translations (resource strings, custom
  // resources, version information, the current form, and every other form
  // whose translations changed since they were loaded, as an exchange-file
  // import changes them), then loads the incoming one's (every form,
  // resource strings, custom resources, version information). 0 or below:
  // no language (Internationalize mode). A file that cannot be read stops
  // the loading with its error; the parts not loaded are then never stored
  // over this language's files.
  void SelectLanguage(int languageId);
  int CurrentLanguage() const { return language_; }
  // Stores the translations of the form that was current (when a language
  // is current and its file was loaded), then makes `form` (a module of the
  // project, or null) current. Remove forms through RemoveForm, which lets
  // go of the pointer first.
  void SelectForm(TModuleHelper* form);
  TModuleHelper* CurrentForm() const { return form_; }
  TProjectData& Project() { return project_; }
  TUserInteraction& Interaction() { return interaction_; }
  bool IsProjectOpen() const { return !project_.FileName.empty(); }

  // A long command is running (the window marks its own with TBusyGuard;
  // the session's sequences mark themselves): the file-change check then
  // returns at once instead of switching languages under the command.
  void BeginCommand() { ++commandDepth_; }
  void EndCommand() { --commandDepth_; }
  bool CommandRunning() const { return commandDepth_ > 0; }

  // Changing the project's structure, in any mode. While a language is
  // current, what is added gets that language's translations and is stored
  // with the rest; what is removed is stored first.
  //
  // Reads the form and adds it as added by hand, with the user-defined
  // properties the settings file holds for it (the form the project already
  // lists under that name is returned as it is). Raises the reader's errors,
  // and then adds nothing; a translation file that cannot be read raises
  // after the form was added, with what was read applied.
  TModuleHelper* AddForm(const std::string& file);
  // Removes every form listed under that name (without regard to case). The
  // current form is deselected first, which stores it; any other of them
  // whose translations changed since they were loaded is stored as well.
  void RemoveForm(const std::string& name);
  // The custom resource of that file (TProjectData::AddCustomResource). A
  // new one takes the current language's entry of its .TRR, so that the
  // next save keeps what that file (perhaps shared with other projects)
  // holds for the language.
  TCustomResource& AddCustomResource(const std::string& file);
  // Stores the resource's .TRR entry of the current language, then removes it.
  void RemoveCustomResource(const std::string& name);
  // TProjectData::AddLanguage (raises EProjectError for a clash of
  // abbreviations); false when the ID is no known language.
  bool AddLanguage(int languageId);
  // Removing the current language first selects no language, which stores
  // its translations; its undo history goes with it.
  void RemoveLanguage(int languageId);
  // Adds the files of a module group: an entry "<Other>" adds that group
  // too; any other entry is a file pattern (path macros expanded, relative
  // to the project, "*" and "?" in the file name matched without regard to
  // case) whose files are added in name order, ".DFM" files as forms
  // (AddForm) and ".RES" files as custom resources; other files are
  // skipped. A group reached again through its own entries is added once,
  // with a warning naming the cycle; unknown groups, patterns that match
  // nothing and files that cannot be read are warned about, and the rest is
  // added. Returns the number of forms and resources the project gained.
  int AddModuleGroup(const std::string& name, const TModuleGroupEntries& entries);

  // Every entry of the current language: resource strings, version keys,
  // then the forms' plain values in path order.
  void ForEachEntry(const std::function<void(const TSessionEntry&)>& visit);
  // Sets the translation of one entry (key as in TSessionEntry; a form's
  // value becomes the current form's, as editing it would). Raises
  // ETranslationError when there is no such entry, or when the text is not
  // one value of the property's type (a number for Left, an identifier for
  // Color ...): such a text would change the translated form around it.
  // Every change of a translation through the session is recorded for
  // Undo; without a language there is nothing to change (raises).
  void SetTranslation(const std::string& key, const std::string& text);
  // The same for entries the caller already holds (the grids' rows); a
  // form's value by its path. Raise ETranslationError as SetTranslation.
  void SetTranslationOf(TModuleHelper& form, const std::string& path, const std::string& text);
  void SetTranslationOf(TResourceStrListItem& item, const std::string& text);
  void SetTranslationOf(TVersionInfoLabel& label, const std::string& text);
  void SetTranslationOf(TCustomResource& resource, const std::string& text);
  // The entry's original becomes its translation again (a resource string
  // also stops counting as taken from the dictionary).
  void ResetTranslation(const std::string& key);
  // The checks alone (the value's type; a "?" for a wide original's
  // character the language's code page lacks), for a value the caller
  // holds; `key` names it in the message. Records nothing.
  void SetValueTranslation(const std::string& key, TCHValue& value, const std::string& text) const;

  // Undo and redo of the current language's translation changes. Each
  // language keeps a history of its own: another language's texts are not
  // loaded, so its changes cannot be taken back while it is not current,
  // and switching back finds its history as it was. The histories go when
  // the project is closed. Changes made between BeginUndoGroup and the
  // matching EndUndoGroup (they nest) are one step, as a replace-all is.
  // Undo and Redo apply the step through SetTranslation and return false
  // when there is nothing to do. A step whose entry is gone or whose text
  // was changed since by other means is dropped, with ETranslationError
  // saying why, and nothing of it is applied.
  void BeginUndoGroup();
  void EndUndoGroup();
  bool CanUndo() const;
  bool CanRedo() const;
  bool Undo();
  bool Redo();

  // ReadExchange (exchange_format.h) on the loaded language, recorded as
  // one undo step. Returns the number of translations it changed. Raises
  // ETranslationError without a language: the texts read would be lost on
  // the next switch.
  int ReadExchangeFile(const std::string& fileName, TExchangeFormat format = TExchangeFormat::Tab);

  // The code page of the current language's translations, and of the
  // originals (the project's, the system's ANSI code page).
  int TranslationCodePage() const;
  int OriginalCodePage() const;

  // The automatic-translation walk over the current form's plain values
  // that pass `typeFilter`, or over the resource strings: each entry whose
  // translation still equals its original is offered (AskTranslation);
  // Cancel stops after that entry. A candidate that is not a value of its
  // property's type is shown as a warning and not taken. Returns the number
  // of entries changed; the walk is one undo step.
  // Does nothing (returns 0) without a language or without a dictionary.
  int AutoTranslateForm(TAutoTranslateDialog& dialog, int typeFilter = kFilterStrings | kFilterNumbers | kFilterOthers);
  int AutoTranslateResourceStrings(TAutoTranslateDialog& dialog);

  // The per-language file names of the current language.
  std::string ResourceStringFileName() const;                  // D/A/Project.TRS
  std::string FormTranslationFileName(const TModuleHelper& form) const;  // D/A/Form.TRD
  // The exchange file name the dialog proposes: D/A/Project.trx (.xlf, .po).
  std::string DefaultExchangeFileName(TExchangeFormat format = TExchangeFormat::Tab) const;

  // The outcome of the last storing of translation files.
  const TDictionaryFeedReport& LastFeedReport() const { return feed_; }

private:
  class TStoreScope;
  struct TEntryRef;
  struct TUndoChange {
    std::string key;  // "@Name", "#Key", "*File", or the form's list name + ":" + path
    std::string before, after;
  };
  using TUndoStep = std::vector<TUndoChange>;
  struct TUndoHistory {
    std::vector<TUndoStep> done, undone;
  };

  TDictionaryFeed* Feed();
  TEntryRef Resolve(const std::string& key);
  void Assign(TEntryRef& entry, const std::string& text);
  void Record(std::string key, const std::string& before, const std::string& after);
  bool Replay(bool undo);
  std::string RecordKey(const TModuleHelper& form, const std::string& path) const;
  void AddGroup(const std::string& name, const TModuleGroupEntries& entries, std::vector<std::string>& path,
                std::vector<std::string>& done, std::vector<std::string>& unmatched, int& added);
  void AddGroupFile(const std::string& file, int& added);
  // `built`: the form's file as just built, when the caller has it.
  void StoreForm(TModuleHelper& form, std::string* built = nullptr);
  // Stores a loaded form whose translations differ from what was loaded.
  void StoreFormIfChanged(TModuleHelper& form);

  TProjectData& project_;
  TdatTranslationHistory* dictionary_;
  TUserInteraction& interaction_;
  TDatabase* database_;
  int language_ = -1;
  TModuleHelper* form_ = nullptr;
  TDictionaryFeedReport feed_;
  std::unique_ptr<TDictionaryFeed> historyFeed_;
  int storeDepth_ = 0;
  // Each form's translation file as it was when loaded, to find the forms
  // changed while they were not the current one.
  std::unordered_map<const TModuleHelper*, std::string> loaded_;
  static constexpr int kStringsLoaded = 1, kCustomLoaded = 2, kVersionLoaded = 4;
  int loadedParts_ = 0;
  int commandDepth_ = 0;
  std::map<int, TUndoHistory> undo_;  // by language
  int undoGroupDepth_ = 0;
  int undoGroupLanguage_ = 0;
  TUndoStep undoGroup_;
  bool replaying_ = false;
};

// Marks a command as running for as long as it lives (see BeginCommand).
class TBusyGuard {
public:
  explicit TBusyGuard(TTranslationSession& session) : session_(session) { session_.BeginCommand(); }
  ~TBusyGuard() { session_.EndCommand(); }
  TBusyGuard(const TBusyGuard&) = delete;
  TBusyGuard& operator=(const TBusyGuard&) = delete;

private:
  TTranslationSession& session_;
};

// Makes the changes of its lifetime one undo step.
class TUndoGroup {
public:
  explicit TUndoGroup(TTranslationSession& session) : session_(session) { session_.BeginUndoGroup(); }
  ~TUndoGroup() { session_.EndUndoGroup(); }
  TUndoGroup(const TUndoGroup&) = delete;
  TUndoGroup& operator=(const TUndoGroup&) = delete;

private:
  TTranslationSession& session_;
};

}  // namespace kst
