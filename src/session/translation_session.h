// TTranslationSession, which both front ends drive: the project, the current
// language and form; outgoing translations are stored (and fed to the
// dictionary) before the incoming ones are loaded.
#pragma once

#include <memory>
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

  // The automatic-translation walk over the current form's plain values
  // that pass `typeFilter`, or over the resource strings: each entry whose
  // translation still equals its original is offered (AskTranslation);
  // Cancel stops after that entry. Returns the number of entries changed.
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
