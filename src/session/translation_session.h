// TTranslationSession, which both front ends drive: the project, the current
// language and form; outgoing translations are stored (and fed to the
// dictionary) before the incoming ones are loaded.
#pragma once

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

#include "config/interaction.h"
#include "exchange/exchange_file.h"
#include "project/project_data.h"

namespace kst {

class TdatTranslationHistory;
class TSqliteDatabase;
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
// form (FORM the form file's name without its directory).
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

class TTranslationSession {
public:
  // `dictionary` may be null: then nothing is fed to or taken from the
  // dictionary. `dictionaryDatabase` (the dictionary's connection, may be
  // null) lets one save run as a single transaction. All must outlive the
  // session.
  TTranslationSession(TProjectData& project, TdatTranslationHistory* dictionary, TUserInteraction& interaction,
                      TSqliteDatabase* dictionaryDatabase = nullptr);
  ~TTranslationSession();
  TTranslationSession(const TTranslationSession&) = delete;
  TTranslationSession& operator=(const TTranslationSession&) = delete;

  // Asks "Do you want to save the project settings?" when a project is open
  // (Cancel leaves everything as it was, Yes saves first), then closes, opens
  // the file and selects no language. Raises the project's errors.
  void OpenProject(const std::string& file);
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
  // is current and its file was loaded), then makes `form` (a module of the project, or null) current.
  // Select another form (or null) before removing the current one from the
  // project: the session keeps the pointer.
  void SelectForm(TModuleHelper* form);
  TModuleHelper* CurrentForm() const { return form_; }
  TProjectData& Project() { return project_; }
  bool IsProjectOpen() const { return !project_.FileName.empty(); }

  // Every entry of the current language: resource strings, version keys,
  // then the forms' plain values in path order.
  void ForEachEntry(const std::function<void(const TSessionEntry&)>& visit);
  // Sets the translation of one entry (key as in TSessionEntry; a form's
  // value becomes the current form's, as editing it would). Raises
  // ETranslationError when there is no such entry, or when the text is not
  // one value of the property's type (a number for Left, an identifier for
  // Color ...): such a text would change the translated form around it.
  void SetTranslation(const std::string& key, const std::string& text);
  // The same check for a value the caller already holds; `key` names it in
  // the message.
  static void SetValueTranslation(const std::string& key, TCHValue& value, const std::string& text);

  // The code page of the current language's translations, and of the
  // originals (the project's, the system's ANSI code page).
  int TranslationCodePage() const;
  int OriginalCodePage() const;

  // The automatic-translation walk over the current form's plain values
  // that pass `typeFilter`, or over the resource strings: each entry whose
  // translation still equals its original is offered (AskTranslation);
  // Cancel stops after that entry. A candidate that is not a value of its
  // property's type is shown as a warning and not taken. Returns the number
  // of entries changed.
  // Does nothing (returns 0) without a language or without a dictionary.
  int AutoTranslateForm(TAutoTranslateDialog& dialog, int typeFilter = kFilterStrings | kFilterNumbers | kFilterOthers);
  int AutoTranslateResourceStrings(TAutoTranslateDialog& dialog);

  // The per-language file names of the current language.
  std::string ResourceStringFileName() const;                  // D/A/Project.TRS
  std::string FormTranslationFileName(const TModuleHelper& form) const;  // D/A/Form.TRD
  // The exchange file name the dialog proposes: D/A/Project.trx.
  std::string DefaultExchangeFileName() const;

  // The outcome of the last storing of translation files.
  const TDictionaryFeedReport& LastFeedReport() const { return feed_; }

private:
  class TStoreScope;
  TDictionaryFeed* Feed();
  // `built`: the form's file as just built, when the caller has it.
  void StoreForm(TModuleHelper& form, std::string* built = nullptr);

  TProjectData& project_;
  TdatTranslationHistory* dictionary_;
  TUserInteraction& interaction_;
  TSqliteDatabase* database_;
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
};

}  // namespace kst
