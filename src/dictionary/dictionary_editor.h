// TDictionaryEditSession: what the dictionary editor shows and changes, on a
// connection of its own. The source strings come a page at a time, for a
// typed prefix; the language tabs are the languages the history uses; the
// translations are those of one source string in the current tab. Changes
// wait in the session (the view sees them merged over the dictionary) and
// are written together by Commit ("OK") in one short write transaction, so
// an open editor never locks another workstation out; Rollback ("Cancel")
// or destruction forgets them. Texts in and out are plain ANSI; the tables
// hold their quoted-hex form, to which the 255-character limit applies.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "dictionary/source_pages.h"
#include "platform/database.h"

namespace kst {

class TdatCommon;

struct TSourceRow {
  enum class TState { Stored, Changed, New };
  std::string text;    // decoded
  std::string stored;  // the quoted-hex form it has, or will have at Commit
  TState state = TState::Stored;
};

struct TLanguageTab {
  int languageId = 0;
  std::string abbreviation;
  // "German (Austria)  -  [$0C07] .DEA"; a neutral language has no country.
  std::string caption;
};

struct TTranslationRow {
  std::string strId;
  int languageId = 0;
  std::string abbreviation;  // from the language list; empty for an unknown ID
  std::string text;          // decoded
  std::string stored;        // the quoted-hex form
  bool pending = false;      // added or changed in this session
};

class TDictionaryEditSession {
public:
  // Opens the session's own connection, reads the language tabs (the first
  // is current) and nothing else yet. common must outlive the session.
  explicit TDictionaryEditSession(TdatCommon& common, size_t pageSize = 200);
  ~TDictionaryEditSession();
  TDictionaryEditSession(const TDictionaryEditSession&) = delete;
  TDictionaryEditSession& operator=(const TDictionaryEditSession&) = delete;

  // --- Source strings, for a view that fetches as it scrolls.
  // Starts the list again for a typed prefix of the decoded text (without
  // regard to case; empty for all).
  void SetFilter(std::string_view prefix);
  const std::string& Filter() const { return filter_.Typed(); }
  size_t LoadedCount() const { return loaded_.size(); }
  bool AllLoaded() const;
  // Loads the next page; returns how many rows it added (0 at the end).
  size_t FetchMore();
  // The row at that position, loading pages up to it. Raises
  // std::out_of_range beyond the last row. The reference holds until the
  // next call that loads or changes rows.
  const TSourceRow& Row(size_t position);
  // Reads the tabs and the loaded rows again (as many as were loaded), to
  // show what other workstations committed since.
  void Refresh();
  // The key of the row at that position, for the calls below that act on a
  // source string (looked up once per row: a page is read without it).
  // Raises EInvalidEntry when another workstation deleted the row.
  const std::string& StrIdAt(size_t position);
  // The position of a loaded row whose key is known (a row added or changed
  // here, or one StrIdAt answered for), e.g. to select it after a change.
  std::optional<size_t> PositionOf(std::string_view strId) const;
  // How many rows the filter selects: a count over the index, which takes
  // time in proportion to the rows (about a tenth of a second for a
  // million); a view shows the first rows without it.
  int64_t CountRows();

  // --- Language tabs: every language the history uses (and those given a
  // translation in this session), ordered by language name and country.
  const std::vector<TLanguageTab>& Tabs() const { return tabs_; }
  // The current tab's language ID; 0 when there are no tabs.
  int CurrentLanguage() const { return current_; }
  // Makes the tab of that language current; raises std::invalid_argument
  // when there is none.
  void SelectLanguage(int languageId);
  // A tab for a language of the language list that has no translation yet,
  // made current. Raises EInvalidEntry for an ID the list does not know.
  void AddLanguageTab(int languageId);

  // --- Translations of one source string in the current tab: a neutral
  // tab (sub-language 0) shows every sub-language of its primary language,
  // a specific tab only its own. Ordered by language, then stored text.
  std::vector<TTranslationRow> Translations(std::string_view strId);

  // --- Editing. Each raises, changing nothing: ETextTooLong when the
  // stored form would pass the field (a text is refused whole, never cut);
  // EInvalidEntry for an empty source string, a source string already there
  // (without regard to case), a translation already recorded for that
  // source and language (exactly), or a row that is not there.
  std::string AddSource(std::string_view text);  // returns the new StrID
  void ChangeSource(std::string_view strId, std::string_view text);
  // Deletes the source string with all its translations.
  void DeleteSource(std::string_view strId);
  // In the current tab's language (EInvalidEntry when there is no tab).
  void AddTranslation(std::string_view strId, std::string_view text);
  void AddTranslation(std::string_view strId, std::string_view text, int languageId);
  void ChangeTranslation(const TTranslationRow& row, std::string_view text);
  void DeleteTranslation(const TTranslationRow& row);

  // Imports a dictionary file into the session: each resource string's
  // translation in the file's language replaces the one there (or is
  // added), becoming permanent with Commit and vanishing with Rollback.
  // All entries or none; the imported language's tab becomes current.
  // Raises EDictionaryError "Unknown dictionary file language", EFileError,
  // or ETextTooLong naming the entry.
  int ImportDictionaryFile(const std::string& fileName);

  bool HasChanges() const;
  // "OK": checks every change against the dictionary as it is now and
  // writes them all in one write transaction. Raises, writing nothing and
  // keeping every change: EEditConflict when another workstation changed or
  // deleted rows this session changed after it read them (or added a
  // source string this session adds too), EDatabaseBusy, EDatabaseError.
  // A row deleted here that is already gone counts as deleted.
  void Commit();
  // "Cancel": forgets every change.
  void Rollback();
  // After an EEditConflict: drops this session's changes to the rows in
  // conflict, taking the other workstation's version of them, and keeps the
  // rest; translations added to a source string another workstation added
  // too go to that one. Returns the entries concerned.
  std::vector<std::string> DiscardConflictingChanges();

private:
  struct TTranslationKey {
    std::string strId;
    int languageId = 0;
    std::string stored;
    auto operator<=>(const TTranslationKey&) const = default;
  };
  // A translation row's change: `from` the row as read (deleted or
  // changed), `to` the row as it will be (added or changed).
  struct TTranslationChange {
    std::optional<TTranslationKey> from, to;
    std::string sourceStored;  // the source string as the session saw it then
  };
  struct TSourceChange {
    int64_t rowid = 0;       // of the stored row; 0 for a new source string
    std::string readStored;  // as read; empty for a new source string
    std::string stored;      // as it will be; unused when deleted
    bool isNew = false;
    bool deleted = false;
    // For a deletion: the translations it takes, as they were then.
    std::vector<TTranslationKey> readTranslations;
  };
  struct TConflict {
    std::string message;
    enum class TKind { Source, SourceDuplicate, Translation } kind;
    std::string strId;
    size_t translation = 0;  // index into the source's translation changes
    std::string otherStrId;  // for a duplicate: the source string there
  };

  // Loading rows.
  void Restart(size_t keepLoaded);
  void ChangesChanged();
  bool PendingBefore(const TStoredSource& db) const;

  // Looking things up in the session's view.
  std::optional<std::string> StoredSource(const std::string& strId);
  struct TDbSource {
    int64_t rowid = 0;
    std::string stored;
  };
  std::optional<TDbSource> DbSource(const std::string& strId);
  std::optional<TDbSource> ReadById(const std::string& strId);
  bool SourceStillThere(const std::string& strId, const std::string& stored);
  bool TranslationStillThere(const TTranslationKey& key);
  std::string FindSourceInDb(const std::string& stored, std::string_view exceptStrId);
  std::string FindSource(const std::string& stored, std::string_view exceptStrId);
  std::vector<TTranslationKey> DbTranslations(const std::string& strId);
  std::vector<TTranslationKey> ViewTranslations(const std::string& strId);
  void CheckSourceFree(const std::string& stored, std::string_view exceptStrId);
  struct TLanguageRow {
    std::string abbreviation, language, country;
  };
  std::optional<TLanguageRow> Language(int languageId);
  void ReadTabs();
  std::string Describe(const std::string& strId, const std::string& stored) const;

  void SetSource(const std::string& strId, TSourceChange change);
  void DropSource(const std::string& strId);
  void SetTranslation(const std::string& strId, const std::optional<TTranslationKey>& from,
                      const std::optional<TTranslationKey>& to);
  std::vector<TConflict> FindConflicts();

  TdatCommon& common_;
  std::unique_ptr<TDatabase> db_;
  size_t pageSize_;

  TSourceFilter filter_;
  std::unique_ptr<TSourcePager> pager_;
  std::vector<TStoredSource> dbPage_;  // read, not yet merged
  size_t dbNext_ = 0;
  std::vector<std::pair<std::string, std::string>> pendingView_;  // (stored, StrID), in index order
  size_t pendingNext_ = 0;
  struct TLoadedRow {
    TSourceRow row;
    int64_t rowid = 0;  // 0 for a row of the session's changes
    std::string strId;  // empty until looked up
  };
  std::vector<TLoadedRow> loaded_;
  std::map<std::string, size_t> loadedIndex_;  // known StrIDs -> position
  std::set<int64_t> hiddenRowids_;             // stored rows the session changes or deletes
  std::map<std::string, TDbSource> found_;     // rows found by their text

  std::vector<TLanguageTab> tabs_;
  std::set<int> sessionLanguages_;
  int current_ = 0;
  std::map<int, std::optional<TLanguageRow>> languages_;

  std::map<std::string, TSourceChange> sources_;                         // by StrID
  std::map<std::string, std::string> pendingByKey_;                      // folded stored -> StrID
  std::map<std::string, std::vector<TTranslationChange>> translations_;  // by StrID
  TStatement findSource_, sourceExists_, keyOfRow_, keyOfText_, translationsOf_, translationExists_, language_,
      nextLanguage_;
};

}  // namespace kst
