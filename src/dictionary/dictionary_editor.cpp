// The dictionary editor's session: source strings by page merged with the
// session's changes, language tabs, translations, editing, import, and the
// one write at "OK" that first checks for other workstations' changes.
#include "dictionary/dictionary_editor.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <stdexcept>

#include "config/language_info.h"
#include "config/text_helpers.h"
#include "dictionary/common.h"
#include "dictionary/dictionary_schema.h"
#include "dictionary/edit_errors.h"
#include "dictionary/translation_history.h"

namespace kst {

namespace {

std::string Hex4(int id) {
  char text[8];
  std::snprintf(text, sizeof text, "%04X", id & 0xFFFF);
  return text;
}

std::string Quoted(std::string_view stored) { return "\"" + DecodeQuotedHex(stored) + "\""; }

bool InTab(int tab, int languageId) {
  if (tab <= 0) return false;
  return SubLanguage(tab) == 0 ? PrimaryLanguage(languageId) == PrimaryLanguage(tab) : languageId == tab;
}

const char kSourceGone[] = "The source string is no longer in the dictionary.";
const char kTranslationGone[] = "The translation is no longer in the dictionary.";

}  // namespace

TDictionaryEditSession::TDictionaryEditSession(TdatCommon& common, size_t pageSize)
    : common_(common), db_(common.NewConnection()), pageSize_(std::max<size_t>(1, pageSize)) {
  ReadTabs();
  Restart(0);
}

TDictionaryEditSession::~TDictionaryEditSession() = default;

// ---------------------------------------------------------------- source rows

void TDictionaryEditSession::SetFilter(std::string_view prefix) {
  filter_ = TSourceFilter(prefix);
  Restart(0);
}

void TDictionaryEditSession::Restart(size_t keepLoaded) {
  pager_ = std::make_unique<TSourcePager>(*db_, filter_, pageSize_);
  dbPage_.clear();
  dbNext_ = 0;
  pendingView_.clear();
  for (const auto& [id, change] : sources_)
    if (!change.deleted && filter_.Matches(change.stored)) pendingView_.emplace_back(change.stored, id);
  std::sort(pendingView_.begin(), pendingView_.end(), [](const auto& a, const auto& b) {
    int c = CompareNoCase(a.first, b.first);
    return c != 0 ? c < 0 : a.second < b.second;
  });
  pendingNext_ = 0;
  loaded_.clear();
  loadedIndex_.clear();
  while (loaded_.size() < keepLoaded && FetchMore() > 0) {
  }
}

void TDictionaryEditSession::ChangesChanged() { Restart(loaded_.size()); }

void TDictionaryEditSession::Refresh() {
  found_.clear();
  ReadTabs();
  Restart(loaded_.size());
}

bool TDictionaryEditSession::PendingBefore(const TStoredSource& db) const {
  // Equal keys: the stored row first, as the index keeps older rows first.
  return CompareNoCase(pendingView_[pendingNext_].first, db.stored) < 0;
}

bool TDictionaryEditSession::AllLoaded() const {
  return pager_->Done() && dbNext_ >= dbPage_.size() && pendingNext_ >= pendingView_.size();
}

size_t TDictionaryEditSession::FetchMore() {
  size_t added = 0;
  while (added < pageSize_) {
    // Rows this session changes or deletes come from its changes instead.
    for (;;) {
      while (dbNext_ < dbPage_.size() && hiddenRowids_.count(dbPage_[dbNext_].rowid)) ++dbNext_;
      if (dbNext_ < dbPage_.size() || pager_->Done()) break;
      dbPage_ = pager_->Next();
      dbNext_ = 0;
    }
    bool haveDb = dbNext_ < dbPage_.size();
    bool havePending = pendingNext_ < pendingView_.size();
    if (!haveDb && !havePending) break;
    TLoadedRow loaded;
    if (havePending && (!haveDb || PendingBefore(dbPage_[dbNext_]))) {
      const auto& [stored, id] = pendingView_[pendingNext_++];
      loaded.strId = id;
      loaded.row.stored = stored;
      loaded.row.state = sources_.at(id).isNew ? TSourceRow::TState::New : TSourceRow::TState::Changed;
      loadedIndex_[id] = loaded_.size();
    } else {
      TStoredSource& db = dbPage_[dbNext_++];
      loaded.rowid = db.rowid;
      loaded.row.stored = std::move(db.stored);
    }
    // No warnings while scrolling: a malformed code stays as it is written.
    loaded.row.text = DecodeQuotedHex(loaded.row.stored);
    loaded_.push_back(std::move(loaded));
    ++added;
  }
  return added;
}

const TSourceRow& TDictionaryEditSession::Row(size_t position) {
  while (position >= loaded_.size())
    if (FetchMore() == 0)
      throw std::out_of_range("There is no source string at position " + std::to_string(position) + ".");
  return loaded_[position].row;
}

const std::string& TDictionaryEditSession::StrIdAt(size_t position) {
  Row(position);
  TLoadedRow& loaded = loaded_[position];
  if (!loaded.strId.empty()) return loaded.strId;
  if (!keyOfRow_.Prepared()) keyOfRow_ = db_->Prepare("SELECT StrID, SourceString FROM StrIdx WHERE rowid = ?1");
  {
    TStatementUse use(keyOfRow_);
    keyOfRow_.Bind(1, static_cast<long long>(loaded.rowid));
    if (keyOfRow_.Step() && keyOfRow_.Text(1) == loaded.row.stored) loaded.strId = keyOfRow_.Text(0);
  }
  if (loaded.strId.empty()) {
    // The row moved (another workstation deleted and added rows, or the
    // file was compacted): the same text is the same source string.
    if (!keyOfText_.Prepared()) keyOfText_ = db_->Prepare("SELECT StrID FROM StrIdx WHERE SourceString = ?1 LIMIT 1");
    TStatementUse use(keyOfText_);
    keyOfText_.Bind(1, loaded.row.stored);
    if (keyOfText_.Step()) loaded.strId = keyOfText_.Text(0);
  }
  if (loaded.strId.empty()) throw EInvalidEntry(kSourceGone);
  loadedIndex_[loaded.strId] = position;
  return loaded.strId;
}

std::optional<size_t> TDictionaryEditSession::PositionOf(std::string_view strId) const {
  auto it = loadedIndex_.find(std::string(strId));
  if (it == loadedIndex_.end()) return std::nullopt;
  return it->second;
}

int64_t TDictionaryEditSession::CountRows() {
  int64_t count = TSourcePager(*db_, filter_, pageSize_).Count();
  for (const auto& [id, change] : sources_)
    if (!change.isNew && filter_.Matches(change.readStored)) --count;
  return count + static_cast<int64_t>(pendingView_.size());
}

// ---------------------------------------------------------------- look-ups

std::optional<TDictionaryEditSession::TDbSource> TDictionaryEditSession::ReadById(const std::string& strId) {
  // StrIdx has no index on StrID alone, so this reads the table: used only
  // for a row the view has not loaded, or to tell what became of a row.
  TStatement q = db_->Prepare("SELECT rowid, SourceString FROM StrIdx WHERE StrID = ?1 LIMIT 1");
  q.Bind(1, strId);
  if (!q.Step()) return std::nullopt;
  return TDbSource{q.Int(0), q.Text(1)};
}

std::optional<TDictionaryEditSession::TDbSource> TDictionaryEditSession::DbSource(const std::string& strId) {
  auto loaded = loadedIndex_.find(strId);
  if (loaded != loadedIndex_.end() && loaded_[loaded->second].rowid != 0)
    return TDbSource{loaded_[loaded->second].rowid, loaded_[loaded->second].row.stored};
  auto found = found_.find(strId);
  if (found != found_.end()) return found->second;
  return ReadById(strId);
}

std::optional<std::string> TDictionaryEditSession::StoredSource(const std::string& strId) {
  auto change = sources_.find(strId);
  if (change != sources_.end()) {
    if (change->second.deleted) return std::nullopt;
    return change->second.stored;
  }
  std::optional<TDbSource> db = DbSource(strId);
  if (!db) return std::nullopt;
  return db->stored;
}

bool TDictionaryEditSession::SourceStillThere(const std::string& strId, const std::string& stored) {
  if (!sourceExists_.Prepared())
    sourceExists_ = db_->Prepare("SELECT 1 FROM StrIdx WHERE SourceString = ?1 AND StrID = ?2");
  TStatementUse use(sourceExists_);
  sourceExists_.Bind(1, stored).Bind(2, strId);
  return sourceExists_.Step();
}

bool TDictionaryEditSession::TranslationStillThere(const TTranslationKey& key) {
  if (!translationExists_.Prepared())
    translationExists_ = db_->Prepare("SELECT 1 FROM TrnsHist WHERE " + db_->Dialect().NoCase("SourceStrID") + " = " +
                                      db_->Dialect().NoCase("?1") + " AND LangId = ?2 AND Translation = ?3");
  TStatementUse use(translationExists_);
  translationExists_.Bind(1, key.strId).Bind(2, key.languageId).Bind(3, key.stored);
  return translationExists_.Step();
}

std::string TDictionaryEditSession::FindSourceInDb(const std::string& stored, std::string_view exceptStrId) {
  if (!findSource_.Prepared())
    findSource_ = db_->Prepare("SELECT StrID, rowid, SourceString FROM StrIdx WHERE " +
                               db_->Dialect().NoCase("SourceString") + " = " + db_->Dialect().NoCase("?1"));
  TStatementUse use(findSource_);
  findSource_.Bind(1, stored);
  while (findSource_.Step()) {
    std::string id = findSource_.Text(0);
    if (id == exceptStrId || sources_.count(id)) continue;
    // Kept, so that acting on the row found needs no search by its key.
    found_[id] = TDbSource{findSource_.Int(1), findSource_.Text(2)};
    return id;
  }
  return {};
}

std::string TDictionaryEditSession::FindSource(const std::string& stored, std::string_view exceptStrId) {
  auto pending = pendingByKey_.find(FoldNoCase(stored));
  if (pending != pendingByKey_.end() && pending->second != exceptStrId) return pending->second;
  return FindSourceInDb(stored, exceptStrId);
}

void TDictionaryEditSession::CheckSourceFree(const std::string& stored, std::string_view exceptStrId) {
  if (!FindSource(stored, exceptStrId).empty())
    throw EInvalidEntry("The source string " + Quoted(stored) + " is already in the dictionary.");
}

std::vector<TDictionaryEditSession::TTranslationKey> TDictionaryEditSession::DbTranslations(const std::string& strId) {
  if (!translationsOf_.Prepared())
    translationsOf_ =
        db_->Prepare("SELECT LangId, Translation FROM TrnsHist WHERE " + db_->Dialect().NoCase("SourceStrID") + " = " +
                     db_->Dialect().NoCase("?1") + " ORDER BY LangId, Translation");
  std::vector<TTranslationKey> keys;
  TStatementUse use(translationsOf_);
  translationsOf_.Bind(1, strId);
  while (translationsOf_.Step())
    keys.push_back({strId, static_cast<int>(translationsOf_.Int(0)), translationsOf_.Text(1)});
  return keys;
}

std::vector<TDictionaryEditSession::TTranslationKey> TDictionaryEditSession::ViewTranslations(
    const std::string& strId) {
  auto source = sources_.find(strId);
  if (source != sources_.end() && source->second.deleted) return {};
  std::vector<TTranslationKey> keys;
  if (source == sources_.end() || !source->second.isNew) keys = DbTranslations(strId);
  auto changes = translations_.find(strId);
  if (changes != translations_.end()) {
    for (const TTranslationChange& c : changes->second)
      if (c.from) std::erase(keys, *c.from);
    for (const TTranslationChange& c : changes->second)
      if (c.to) keys.push_back(*c.to);
  }
  std::sort(keys.begin(), keys.end());
  return keys;
}

std::optional<TDictionaryEditSession::TLanguageRow> TDictionaryEditSession::Language(int languageId) {
  auto cached = languages_.find(languageId);
  if (cached != languages_.end()) return cached->second;
  if (!language_.Prepared()) language_ = db_->Prepare("SELECT Abbr, Language, Country FROM LangList WHERE LangId = ?1");
  std::optional<TLanguageRow> row;
  {
    TStatementUse use(language_);
    language_.Bind(1, languageId);
    if (language_.Step()) row = TLanguageRow{language_.Text(0), language_.Text(1), language_.Text(2)};
  }
  languages_[languageId] = row;
  return row;
}

// ---------------------------------------------------------------- tabs

void TDictionaryEditSession::ReadTabs() {
  std::set<int> ids = sessionLanguages_;
  // The distinct languages, one index seek each, instead of a walk over
  // every translation.
  if (!nextLanguage_.Prepared())
    nextLanguage_ = db_->Prepare("SELECT LangId FROM TrnsHist WHERE " + db_->Dialect().IndexedNumber("LangId") + " > " +
                                 db_->Dialect().IndexedNumber("?1") + " ORDER BY " +
                                 db_->Dialect().IndexedNumber("LangId") + " LIMIT 1");
  long long after = std::numeric_limits<long long>::min();
  for (;;) {
    TStatementUse use(nextLanguage_);
    nextLanguage_.Bind(1, after);
    if (!nextLanguage_.Step()) break;
    after = nextLanguage_.Int(0);
    ids.insert(static_cast<int>(after));
  }
  for (const auto& [strId, changes] : translations_)
    for (const TTranslationChange& c : changes)
      if (c.to) ids.insert(c.to->languageId);

  struct TSorted {
    TLanguageRow row;
    TLanguageTab tab;
  };
  std::vector<TSorted> sorted;
  for (int id : ids) {
    std::optional<TLanguageRow> row = Language(id);
    if (!row) continue;  // as the language list does not know it, it has no name to show
    TLanguageTab tab{id, row->abbreviation,
                     row->language + (row->country.empty() ? "" : " " + row->country) + "  -  [$" + Hex4(id) + "] ." +
                         row->abbreviation};
    sorted.push_back({*row, std::move(tab)});
  }
  std::stable_sort(sorted.begin(), sorted.end(), [](const TSorted& a, const TSorted& b) {
    if (a.row.language != b.row.language) return a.row.language < b.row.language;
    return a.row.country < b.row.country;
  });
  tabs_.clear();
  bool keep = false;
  for (TSorted& s : sorted) {
    keep = keep || s.tab.languageId == current_;
    tabs_.push_back(std::move(s.tab));
  }
  if (!keep) current_ = tabs_.empty() ? 0 : tabs_.front().languageId;
}

void TDictionaryEditSession::SelectLanguage(int languageId) {
  for (const TLanguageTab& tab : tabs_)
    if (tab.languageId == languageId) {
      current_ = languageId;
      return;
    }
  throw std::invalid_argument("There is no tab for the language [$" + Hex4(languageId) + "].");
}

void TDictionaryEditSession::AddLanguageTab(int languageId) {
  if (!Language(languageId))
    throw EInvalidEntry("The language [$" + Hex4(languageId) + "] is not in the dictionary's language list.");
  sessionLanguages_.insert(languageId);
  ReadTabs();
  current_ = languageId;
}

// ---------------------------------------------------------------- translations

std::vector<TTranslationRow> TDictionaryEditSession::Translations(std::string_view strId) {
  std::string id(strId);
  std::set<TTranslationKey> pending;
  auto changes = translations_.find(id);
  if (changes != translations_.end())
    for (const TTranslationChange& c : changes->second)
      if (c.to) pending.insert(*c.to);
  std::vector<TTranslationRow> rows;
  for (const TTranslationKey& key : ViewTranslations(id)) {
    if (!InTab(current_, key.languageId)) continue;
    std::optional<TLanguageRow> language = Language(key.languageId);
    rows.push_back({key.strId, key.languageId, language ? language->abbreviation : std::string(),
                    DecodeQuotedHex(key.stored), key.stored, pending.count(key) > 0});
  }
  return rows;
}

// ---------------------------------------------------------------- editing

void TDictionaryEditSession::SetSource(const std::string& strId, TSourceChange change) {
  DropSource(strId);
  if (!change.deleted) pendingByKey_[FoldNoCase(change.stored)] = strId;
  if (change.rowid != 0) hiddenRowids_.insert(change.rowid);
  sources_[strId] = std::move(change);
}

void TDictionaryEditSession::DropSource(const std::string& strId) {
  auto it = sources_.find(strId);
  if (it == sources_.end()) return;
  if (!it->second.deleted) pendingByKey_.erase(FoldNoCase(it->second.stored));
  hiddenRowids_.erase(it->second.rowid);
  sources_.erase(it);
}

std::string TDictionaryEditSession::AddSource(std::string_view text) {
  if (text.empty()) throw EInvalidEntry("Please enter the source string.");
  std::string stored = EncodeForStorage(text, "SourceString");
  CheckSourceFree(stored, {});
  std::string id = common_.IdGenerator().NewUniqueId();
  SetSource(id, TSourceChange{0, {}, stored, true, false, {}});
  ChangesChanged();
  return id;
}

void TDictionaryEditSession::ChangeSource(std::string_view strId, std::string_view text) {
  std::string id(strId);
  if (text.empty()) throw EInvalidEntry("Please enter the source string.");
  std::string stored = EncodeForStorage(text, "SourceString");
  auto it = sources_.find(id);
  TSourceChange change;
  if (it != sources_.end()) {
    if (it->second.deleted) throw EInvalidEntry(kSourceGone);
    change = it->second;
  } else {
    std::optional<TDbSource> read = DbSource(id);
    if (!read) throw EInvalidEntry(kSourceGone);
    change.rowid = read->rowid;
    change.readStored = read->stored;
  }
  CheckSourceFree(stored, id);
  change.stored = stored;
  if (!change.isNew && change.stored == change.readStored)
    DropSource(id);  // back to what the dictionary holds
  else
    SetSource(id, std::move(change));
  ChangesChanged();
}

void TDictionaryEditSession::DeleteSource(std::string_view strId) {
  std::string id(strId);
  auto it = sources_.find(id);
  if (it != sources_.end() && it->second.deleted) return;
  translations_.erase(id);
  if (it != sources_.end() && it->second.isNew) {
    DropSource(id);
  } else {
    std::optional<TDbSource> read =
        it != sources_.end() ? TDbSource{it->second.rowid, it->second.readStored} : DbSource(id);
    if (!read) return;  // already gone
    SetSource(id, TSourceChange{read->rowid, read->stored, {}, false, true, DbTranslations(id)});
  }
  ReadTabs();
  ChangesChanged();
}

void TDictionaryEditSession::SetTranslation(const std::string& strId, const std::optional<TTranslationKey>& from,
                                            const std::optional<TTranslationKey>& to) {
  std::vector<TTranslationChange>& changes = translations_[strId];
  if (from) {
    // A row this session added or changed: change that change.
    auto own = std::find_if(changes.begin(), changes.end(), [&](const TTranslationChange& c) { return c.to == from; });
    if (own != changes.end()) {
      own->to = to;
      // Back to the stored row, or an addition taken back: nothing is left
      // to do. A stored row changed and then deleted stays a deletion.
      bool nothingLeft = own->from ? own->to == own->from : !own->to;
      if (nothingLeft) changes.erase(own);
      if (changes.empty()) translations_.erase(strId);
      return;
    }
  } else if (to) {
    // Adding back a stored row this session deleted undoes the deletion.
    auto deletion = std::find_if(changes.begin(), changes.end(),
                                 [&](const TTranslationChange& c) { return c.from == to && !c.to; });
    if (deletion != changes.end()) {
      changes.erase(deletion);
      if (changes.empty()) translations_.erase(strId);
      return;
    }
  }
  changes.push_back({from, to, StoredSource(strId).value_or(std::string())});
}

void TDictionaryEditSession::AddTranslation(std::string_view strId, std::string_view text) {
  if (current_ <= 0)
    throw EInvalidEntry("The new translation needs a language: the dictionary has no language tab yet.");
  AddTranslation(strId, text, current_);
}

void TDictionaryEditSession::AddTranslation(std::string_view strId, std::string_view text, int languageId) {
  std::string id(strId);
  std::optional<std::string> source = StoredSource(id);
  if (!source) throw EInvalidEntry(kSourceGone);
  if (!Language(languageId))
    throw EInvalidEntry("The language [$" + Hex4(languageId) + "] is not in the dictionary's language list.");
  TTranslationKey key{id, languageId, EncodeForStorage(text, "Translation")};
  std::vector<TTranslationKey> view = ViewTranslations(id);
  if (std::find(view.begin(), view.end(), key) != view.end())
    throw EInvalidEntry("The translation " + Quoted(key.stored) + " of " + Quoted(*source) +
                        " is already in the dictionary for this language.");
  SetTranslation(id, std::nullopt, key);
  if (std::none_of(tabs_.begin(), tabs_.end(), [&](const TLanguageTab& t) { return t.languageId == languageId; }))
    ReadTabs();
}

void TDictionaryEditSession::ChangeTranslation(const TTranslationRow& row, std::string_view text) {
  TTranslationKey from{row.strId, row.languageId, row.stored};
  std::vector<TTranslationKey> view = ViewTranslations(row.strId);
  if (std::find(view.begin(), view.end(), from) == view.end()) throw EInvalidEntry(kTranslationGone);
  TTranslationKey to{row.strId, row.languageId, EncodeForStorage(text, "Translation")};
  if (to == from) return;
  if (std::find(view.begin(), view.end(), to) != view.end())
    throw EInvalidEntry("The translation " + Quoted(to.stored) + " of " +
                        Quoted(StoredSource(row.strId).value_or(std::string())) +
                        " is already in the dictionary for this language.");
  SetTranslation(row.strId, from, to);
}

void TDictionaryEditSession::DeleteTranslation(const TTranslationRow& row) {
  TTranslationKey from{row.strId, row.languageId, row.stored};
  std::vector<TTranslationKey> view = ViewTranslations(row.strId);
  if (std::find(view.begin(), view.end(), from) == view.end()) throw EInvalidEntry(kTranslationGone);
  SetTranslation(row.strId, from, std::nullopt);
}

int TDictionaryEditSession::ImportDictionaryFile(const std::string& fileName) {
  TDictionaryFile file = ReadDictionaryFile(*db_, fileName);
  struct TItem {
    std::string source, translation;
  };
  std::vector<TItem> items;
  for (const auto& [name, value] : file.entries) {
    try {
      items.push_back(
          {EncodeForStorage(kResourceStringPrefix + name, "SourceString"), EncodeForStorage(value, "Translation")});
    } catch (const ETextTooLong& e) {
      throw ETextTooLong("The entry \"" + name + "\" of \"" + fileName + "\" cannot be imported: " + e.what());
    }
  }
  // All or nothing: what the session held before comes back on any error.
  auto sources = sources_;
  auto pendingByKey = pendingByKey_;
  auto hiddenRowids = hiddenRowids_;
  auto translations = translations_;
  try {
    for (const TItem& item : items) {
      std::string id = FindSource(item.source, {});
      if (id.empty()) {
        id = common_.IdGenerator().NewUniqueId();
        SetSource(id, TSourceChange{0, {}, item.source, true, false, {}});
      }
      // As for resource strings outside the editor: the language's first
      // translation is replaced, or one is added.
      std::vector<TTranslationKey> same;
      for (const TTranslationKey& key : ViewTranslations(id))
        if (key.languageId == file.languageId) same.push_back(key);
      TTranslationKey key{id, file.languageId, item.translation};
      if (std::find(same.begin(), same.end(), key) != same.end()) continue;
      SetTranslation(id, same.empty() ? std::nullopt : std::optional<TTranslationKey>(same.front()), key);
    }
  } catch (...) {
    sources_ = std::move(sources);
    pendingByKey_ = std::move(pendingByKey);
    hiddenRowids_ = std::move(hiddenRowids);
    translations_ = std::move(translations);
    throw;
  }
  sessionLanguages_.insert(file.languageId);
  ReadTabs();
  current_ = file.languageId;
  ChangesChanged();
  return file.languageId;
}

// ---------------------------------------------------------------- OK and Cancel

bool TDictionaryEditSession::HasChanges() const { return !sources_.empty() || !translations_.empty(); }

std::vector<TDictionaryEditSession::TConflict> TDictionaryEditSession::FindConflicts() {
  using TKind = TConflict::TKind;
  std::vector<TConflict> conflicts;
  auto add = [&](std::string message, TKind kind, const std::string& strId, size_t translation = 0,
                 std::string other = {}) {
    conflicts.push_back(TConflict{std::move(message), kind, strId, translation, std::move(other)});
  };
  for (const auto& [id, change] : sources_) {
    if (!change.isNew) {
      if (!SourceStillThere(id, change.readStored)) {
        std::optional<TDbSource> now = ReadById(id);
        if (!change.deleted || now) {
          add(now ? "The source string " + Quoted(change.readStored) +
                        " was changed by another workstation; it now reads " + Quoted(now->stored) + "."
                  : "The source string " + Quoted(change.readStored) + " was deleted by another workstation.",
              TKind::Source, id);
          continue;
        }
      }
      if (change.deleted) {
        for (const TTranslationKey& key : DbTranslations(id))
          if (std::find(change.readTranslations.begin(), change.readTranslations.end(), key) ==
              change.readTranslations.end()) {
            add("The translations of " + Quoted(change.readStored) + " were changed by another workstation.",
                TKind::Source, id);
            break;
          }
        continue;
      }
    }
    if (change.deleted) continue;
    std::string other = FindSourceInDb(change.stored, id);
    if (!other.empty())
      add("The source string " + Quoted(change.stored) + " was added by another workstation.", TKind::SourceDuplicate,
          id, 0, other);
  }
  for (const auto& [id, changes] : translations_) {
    auto source = sources_.find(id);
    bool sourceHere = source != sources_.end();
    for (size_t i = 0; i < changes.size(); ++i) {
      const TTranslationChange& c = changes[i];
      const TTranslationKey& shown = c.to ? *c.to : *c.from;
      std::string what = "The translation " + Quoted(shown.stored) + " of " + Quoted(c.sourceStored);
      if (c.from && c.to && !TranslationStillThere(*c.from)) {
        add("The translation " + Quoted(c.from->stored) + " of " + Quoted(c.sourceStored) +
                " was changed or deleted by another workstation.",
            TKind::Translation, id, i);
      } else if (c.to && !sourceHere && !SourceStillThere(id, c.sourceStored) && !ReadById(id)) {
        add(what + " cannot be stored: its source string was deleted by another workstation.", TKind::Translation, id,
            i);
      }
    }
  }
  return conflicts;
}

void TDictionaryEditSession::Commit() {
  if (!HasChanges()) {
    Rollback();
    return;
  }
  TWriteTransaction transaction(*db_);
  std::vector<TConflict> conflicts = FindConflicts();
  if (!conflicts.empty()) {
    std::vector<std::string> messages;
    for (TConflict& c : conflicts) messages.push_back(std::move(c.message));
    throw EEditConflict(std::move(messages));
  }
  TDatabase& db = *db_;
  const TSqlDialect sql = db.Dialect();
  TStatement deleteTranslationsOf =
      db.Prepare("DELETE FROM TrnsHist WHERE " + sql.NoCase("SourceStrID") + " = " + sql.NoCase("?1"));
  TStatement deleteSource = db.Prepare("DELETE FROM StrIdx WHERE SourceString = ?2 AND StrID = ?1");
  TStatement updateSource = db.Prepare("UPDATE StrIdx SET SourceString = ?3 WHERE SourceString = ?2 AND StrID = ?1");
  TStatement insertSource = db.Prepare("INSERT INTO StrIdx (SourceString, StrID) VALUES (?1, ?2)");
  TStatement deleteTranslation = db.Prepare("DELETE FROM TrnsHist WHERE " + sql.NoCase("SourceStrID") + " = " +
                                            sql.NoCase("?1") + " AND LangId = ?2 AND Translation = ?3");
  TStatement insertTranslation =
      db.Prepare("INSERT OR IGNORE INTO TrnsHist (SourceStrID, LangId, Translation) VALUES (?1, ?2, ?3)");
  for (const auto& [id, change] : sources_) {
    if (change.deleted) {
      deleteTranslationsOf.Bind(1, id).Run();
      deleteSource.Bind(1, id).Bind(2, change.readStored).Run();
    } else if (change.isNew) {
      insertSource.Bind(1, change.stored).Bind(2, id).Run();
    } else {
      updateSource.Bind(1, id).Bind(2, change.readStored).Bind(3, change.stored).Run();
    }
  }
  // Deletions before additions, so that rows swapping texts do not collide.
  for (const auto& [id, changes] : translations_)
    for (const TTranslationChange& c : changes)
      if (c.from) deleteTranslation.Bind(1, c.from->strId).Bind(2, c.from->languageId).Bind(3, c.from->stored).Run();
  for (const auto& [id, changes] : translations_)
    for (const TTranslationChange& c : changes)
      if (c.to) insertTranslation.Bind(1, c.to->strId).Bind(2, c.to->languageId).Bind(3, c.to->stored).Run();
  transaction.Commit();
  Rollback();
}

void TDictionaryEditSession::Rollback() {
  sources_.clear();
  pendingByKey_.clear();
  hiddenRowids_.clear();
  found_.clear();
  translations_.clear();
  sessionLanguages_.clear();
  ReadTabs();
  ChangesChanged();
}

std::vector<std::string> TDictionaryEditSession::DiscardConflictingChanges() {
  std::vector<TConflict> conflicts = FindConflicts();
  std::vector<std::string> messages;
  std::map<std::string, std::set<size_t>> droppedTranslations;
  for (TConflict& c : conflicts) {
    messages.push_back(c.message);
    switch (c.kind) {
      case TConflict::TKind::Source:
        DropSource(c.strId);
        break;
      case TConflict::TKind::SourceDuplicate: {
        bool isNew = sources_.at(c.strId).isNew;
        DropSource(c.strId);
        if (!isNew) break;
        // The translations typed for it join the source string that is there.
        std::vector<TTranslationChange> moved;
        auto it = translations_.find(c.strId);
        if (it != translations_.end()) moved = std::move(it->second);
        translations_.erase(c.strId);
        for (const TTranslationChange& m : moved) {
          if (!m.to) continue;
          TTranslationKey key{c.otherStrId, m.to->languageId, m.to->stored};
          std::vector<TTranslationKey> view = ViewTranslations(c.otherStrId);
          if (std::find(view.begin(), view.end(), key) == view.end()) SetTranslation(c.otherStrId, std::nullopt, key);
        }
        break;
      }
      case TConflict::TKind::Translation:
        droppedTranslations[c.strId].insert(c.translation);
        break;
    }
  }
  for (const auto& [id, indices] : droppedTranslations) {
    std::vector<TTranslationChange>& changes = translations_[id];
    for (auto i = indices.rbegin(); i != indices.rend(); ++i) changes.erase(changes.begin() + static_cast<long>(*i));
    if (changes.empty()) translations_.erase(id);
  }
  ReadTabs();
  ChangesChanged();
  return messages;
}

}  // namespace kst
