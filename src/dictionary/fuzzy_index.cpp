// The trigram index over StrIdx and the fuzzy search through it.
#include "dictionary/fuzzy_index.h"

#include <algorithm>
#include <chrono>

#include "config/language_info.h"
#include "config/text_helpers.h"
#include "platform/same_text.h"

namespace kst {

namespace {

constexpr size_t kMaxQueryTrigrams = 48;
constexpr size_t kMaxCommonTrigrams = 6;

// The server's trigram index: pg_trgm's GIN index on the folded source
// strings, which the server keeps up to date for every writer itself.
const char* const kServerIndex = "StrIdxFuzzy";

bool ServerHasTrigrams(TDatabase& db) {
  TStatement q =
      db.Prepare("SELECT 1 FROM pg_catalog.pg_indexes WHERE schemaname = current_schema() AND indexname = lower(?1)");
  q.Bind(1, kServerIndex);
  return q.Step();
}

// Creates pg_trgm and its index when the server has the extension and lets
// us create it (it is a trusted extension: a database owner may); without
// it the fuzzy search finds less, and nothing else changes.
void SetUpServerTrigrams(TDatabase& db) {
  if (ServerHasTrigrams(db)) return;
  TWriteTransaction transaction(db);
  if (!ServerHasTrigrams(db)) {
    TStatement available = db.Prepare("SELECT 1 FROM pg_catalog.pg_available_extensions WHERE name = 'pg_trgm'");
    if (!available.Step()) return;
    available.Reset();
    try {
      db.Exec("CREATE EXTENSION IF NOT EXISTS pg_trgm");
      db.Exec(std::string("CREATE INDEX IF NOT EXISTS ") + kServerIndex +
              " ON StrIdx USING gin (lower(SourceString) gin_trgm_ops)");
    } catch (const EDatabaseBusy&) {
      throw;
    } catch (const EDatabaseError&) {
      return;  // not allowed here: the search does without
    }
  }
  transaction.Commit();
}

// Keyed by StrIdx's rowid (which our program never renumbers: it runs no
// VACUUM); a contentless table keeps no second copy of the texts. The
// 'delete' command of a contentless table needs the values it indexed,
// which the triggers have as old.SourceString.
const char* const kCreateIndex =
    "CREATE VIRTUAL TABLE IF NOT EXISTS StrIdxFuzzy USING fts5(SourceString, content='', columnsize=0, "
    "tokenize='trigram')";
// The highest StrIdx rowid whose text is in the index. New rows get higher
// rowids, so the index catches up with every writer's adds by one range
// read. Adds have no trigger: a trigger costs every added row a statement
// journal, and a trigger that writes into FTS5 ends that statement's
// savepoint, which makes FTS5 write each row out as a segment of its own;
// together several times what the add itself costs.
const char* const kCreateMark = "CREATE TABLE IF NOT EXISTS StrIdxFuzzyMark (Row INTEGER NOT NULL)";
// Deletes and updates (rare: the editor) are kept by triggers. Deleting the
// row with the highest rowid lets SQLite give that rowid to the next new
// row, so the mark comes down to the highest rowid left.
const char* const kTriggers[] = {
    "CREATE TRIGGER IF NOT EXISTS StrIdxFuzzyDelete AFTER DELETE ON StrIdx BEGIN "
    "INSERT INTO StrIdxFuzzy (StrIdxFuzzy, rowid, SourceString) SELECT 'delete', old.rowid, old.SourceString "
    "WHERE old.rowid <= (SELECT Row FROM StrIdxFuzzyMark); "
    "UPDATE StrIdxFuzzyMark SET Row = min(Row, coalesce((SELECT max(rowid) FROM StrIdx), 0)); END",
    "CREATE TRIGGER IF NOT EXISTS StrIdxFuzzyUpdate AFTER UPDATE ON StrIdx "
    "WHEN old.rowid <= (SELECT Row FROM StrIdxFuzzyMark) BEGIN "
    "INSERT INTO StrIdxFuzzy (StrIdxFuzzy, rowid, SourceString) VALUES ('delete', old.rowid, old.SourceString); "
    "INSERT INTO StrIdxFuzzy (rowid, SourceString) VALUES (new.rowid, new.SourceString); END",
};
constexpr int kSchemaObjects = 4;

int SchemaObjects(TDatabase& db, bool* table) {
  TStatement q = db.Prepare(
      "SELECT name FROM sqlite_schema WHERE name IN ('StrIdxFuzzy', 'StrIdxFuzzyMark', 'StrIdxFuzzyDelete', "
      "'StrIdxFuzzyUpdate')");
  int count = 0;
  *table = false;
  while (q.Step()) {
    ++count;
    if (q.Text(0) == "StrIdxFuzzy") *table = true;
  }
  return count;
}

// The distinct trigrams of the stored form, folded as the tokenizer folds
// them; a long text gives an evenly spread choice.
std::vector<std::string> QueryTrigrams(const std::string& stored) {
  std::vector<std::string> all;
  for (size_t i = 0; i + 3 <= stored.size(); ++i) {
    std::string t = stored.substr(i, 3);
    for (char& c : t)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (std::find(all.begin(), all.end(), t) == all.end()) all.push_back(std::move(t));
  }
  if (all.size() <= kMaxQueryTrigrams) return all;
  std::vector<std::string> spread;
  for (size_t k = 0; k < kMaxQueryTrigrams; ++k) spread.push_back(all[k * all.size() / kMaxQueryTrigrams]);
  return spread;
}

// A trigram as an FTS5 phrase.
std::string Phrase(const std::string& trigram) {
  std::string out = "\"";
  for (char c : trigram) {
    out += c;
    if (c == '"') out += '"';
  }
  return out + "\"";
}

// Milliseconds since the last call, for the search's statistics.
class TLap {
public:
  void operator()(double& milliseconds) {
    auto now = std::chrono::steady_clock::now();
    milliseconds = std::chrono::duration<double, std::milli>(now - phase_).count();
    phase_ = now;
  }

private:
  std::chrono::steady_clock::time_point phase_ = std::chrono::steady_clock::now();
};

// The rowids of the source strings to score, through the FTS5 index (the
// steps 1 to 4 of TFuzzyIndex).
std::vector<long long> Candidates(TDatabase& db, const std::string& stored, TFuzzySearchStats& st, TLap& lap) {
  const std::vector<std::string> trigrams = QueryTrigrams(stored);
  st.trigrams = static_cast<int>(trigrams.size());
  // Rarity of each trigram, counted no further than the rare bound.
  struct TTrigram {
    std::string phrase;
    long long texts;
  };
  std::vector<TTrigram> rare, common;
  {
    TStatement count =
        db.Prepare("SELECT count(*) FROM (SELECT 1 FROM StrIdxFuzzy WHERE StrIdxFuzzy MATCH ?1 LIMIT ?2)");
    for (const std::string& t : trigrams) {
      TStatementUse use(count);
      count.Bind(1, Phrase(t)).Bind(2, TFuzzyIndex::kRareTrigramTexts + 1);
      count.Step();
      long long n = count.Int(0);
      if (n > TFuzzyIndex::kRareTrigramTexts)
        common.push_back({Phrase(t), n});
      else if (n > 0)
        rare.push_back({Phrase(t), n});
    }
  }
  std::sort(rare.begin(), rare.end(), [](const TTrigram& x, const TTrigram& y) { return x.texts < y.texts; });

  lap(st.probeMs);
  // The rowids of the rare trigrams' texts, once per shared trigram.
  std::vector<long long> hits;
  {
    TStatement rows = db.Prepare("SELECT rowid FROM StrIdxFuzzy WHERE StrIdxFuzzy MATCH ?1");
    long long read = 0;
    for (const TTrigram& t : rare) {
      if (read + t.texts > TFuzzyIndex::kMaxTrigramTexts) break;
      read += t.texts;
      ++st.rareTrigrams;
      TStatementUse use(rows);
      rows.Bind(1, t.phrase);
      while (rows.Step()) hits.push_back(rows.Int(0));
    }
  }
  lap(st.rareMs);
  // The texts that hold every common trigram, and those that equal the
  // query but for case, are scored whatever the rare trigrams say.
  std::vector<long long> first;
  {
    TStatement same = db.Prepare("SELECT rowid FROM StrIdx WHERE " + db.Dialect().NoCase("SourceString") + " = " +
                                 db.Dialect().NoCase("?1"));
    same.Bind(1, stored);
    while (same.Step()) first.push_back(same.Int(0));
  }
  if (!common.empty()) {
    // A few, spread over the text: each one more is another long list for
    // FTS5 to walk, and another chance that the change being looked past
    // is in it (measured on a million texts: six).
    std::string all;
    const size_t use = std::min(common.size(), kMaxCommonTrigrams);
    for (size_t k = 0; k < use; ++k)
      all += (all.empty() ? "" : " AND ") + common[k * common.size() / use].phrase;
    TStatement rows = db.Prepare("SELECT rowid FROM StrIdxFuzzy WHERE StrIdxFuzzy MATCH ?1 LIMIT ?2");
    rows.Bind(1, all).Bind(2, TFuzzyIndex::kMaxScoredRows / 2);
    while (rows.Step()) first.push_back(rows.Int(0));
  }
  lap(st.commonMs);
  std::sort(first.begin(), first.end());
  first.erase(std::unique(first.begin(), first.end()), first.end());

  // Then the texts that share the most rare trigrams.
  std::sort(hits.begin(), hits.end());
  std::vector<std::pair<int, long long>> shared;  // (-count, rowid)
  for (size_t i = 0; i < hits.size();) {
    size_t j = i;
    while (j < hits.size() && hits[j] == hits[i]) ++j;
    if (!std::binary_search(first.begin(), first.end(), hits[i]))
      shared.emplace_back(-static_cast<int>(j - i), hits[i]);
    i = j;
  }
  const size_t room =
      first.size() < static_cast<size_t>(TFuzzyIndex::kMaxScoredRows) ? TFuzzyIndex::kMaxScoredRows - first.size() : 0;
  if (shared.size() > room) {
    std::nth_element(shared.begin(), shared.begin() + static_cast<std::ptrdiff_t>(room), shared.end());
    shared.resize(room);
  }
  std::vector<long long> order = first;
  for (const auto& [count, rowid] : shared) order.push_back(rowid);
  if (order.size() > static_cast<size_t>(TFuzzyIndex::kMaxScoredRows)) order.resize(TFuzzyIndex::kMaxScoredRows);

  return order;
}

// The rowids of the source strings to score on the server: those equal to
// the query but for case, then the most similar by pg_trgm's trigram index
// when the server has it, at most kMaxScoredRows in all. Without pg_trgm
// only the first kind is found.
std::vector<long long> ServerCandidates(TDatabase& db, const std::string& stored) {
  std::vector<long long> order;
  const TSqlDialect sql = db.Dialect();
  TStatement same = db.Prepare("SELECT rowid FROM StrIdx WHERE " + sql.NoCase("SourceString") + " = " +
                               sql.NoCase("?1") + " ORDER BY rowid");
  same.Bind(1, stored);
  while (same.Step()) order.push_back(same.Int(0));
  if (!ServerHasTrigrams(db)) return order;
  TStatement similar = db.Prepare(
      "SELECT rowid FROM StrIdx WHERE lower(SourceString) % lower(?1) "
      "ORDER BY similarity(lower(SourceString), lower(?1)) DESC, rowid LIMIT ?2");
  similar.Bind(1, stored).Bind(2, TFuzzyIndex::kMaxScoredRows);
  while (similar.Step()) {
    long long rowid = similar.Int(0);
    if (std::find(order.begin(), order.end(), rowid) == order.end()) order.push_back(rowid);
  }
  if (order.size() > static_cast<size_t>(TFuzzyIndex::kMaxScoredRows)) order.resize(TFuzzyIndex::kMaxScoredRows);
  return order;
}

}  // namespace

void SetUpFuzzyIndex(TDatabase& db) {
  if (db.Kind() == TDatabaseKind::PostgreSql) return SetUpServerTrigrams(db);
  bool table = false;
  if (SchemaObjects(db, &table) != kSchemaObjects) {
    TWriteTransaction transaction(db);
    // Another process may have done it since we looked.
    if (SchemaObjects(db, &table) != kSchemaObjects) {
      // Without the mark and both triggers, changes since may be missing:
      // start over.
      if (table)
        db.Exec("INSERT INTO StrIdxFuzzy (StrIdxFuzzy) VALUES ('delete-all')");
      else
        db.Exec(kCreateIndex);
      db.Exec(kCreateMark);
      db.Exec("DELETE FROM StrIdxFuzzyMark");
      db.Exec("INSERT INTO StrIdxFuzzyMark (Row) VALUES (0)");
      for (const char* trigger : kTriggers) db.Exec(trigger);
    }
    transaction.Commit();
  }
  UpdateFuzzyIndex(db);
}

void UpdateFuzzyIndex(TDatabase& db) {
  if (db.Kind() == TDatabaseKind::PostgreSql) return;
  const char* behind = "SELECT (SELECT Row FROM StrIdxFuzzyMark) < (SELECT coalesce(max(rowid), 0) FROM StrIdx)";
  {
    TStatement q = db.Prepare(behind);
    if (!q.Step() || q.Int(0) == 0) return;
  }
  TWriteTransaction transaction(db);
  TStatement q = db.Prepare(behind);
  if (q.Step() && q.Int(0) != 0) {
    q.Reset();
    db.Exec(
        "INSERT INTO StrIdxFuzzy (rowid, SourceString) SELECT rowid, SourceString FROM StrIdx "
        "WHERE rowid > (SELECT Row FROM StrIdxFuzzyMark)");
    db.Exec("UPDATE StrIdxFuzzyMark SET Row = (SELECT coalesce(max(rowid), 0) FROM StrIdx)");
  }
  q.Reset();
  transaction.Commit();
}

TFuzzyIndex::TFuzzyIndex(TDatabase& db, TUserInteraction* warn) : db_(db), warn_(warn) {}

std::vector<TFuzzyTranslation> TFuzzyIndex::Find(std::string_view source, int languageId, int minScore, int maxResults,
                                                 TFuzzySearchStats* stats) {
  TFuzzySearchStats local;
  TFuzzySearchStats& st = stats ? *stats : local;
  st = {};
  std::vector<TFuzzyTranslation> results;
  if (source.empty() || maxResults <= 0) return results;
  minScore = std::clamp(minScore, 0, 100);
  try {
    UpdateFuzzyIndex(db_);
  } catch (const EDatabaseBusy&) {
    // Another workstation is saving: the texts it added are not searched
    // this time, the rest are.
  }
  const std::string stored = EncodeQuotedHex(source);
  TLap lap;
  std::vector<long long> order =
      db_.Kind() == TDatabaseKind::PostgreSql ? ServerCandidates(db_, stored) : Candidates(db_, stored, st, lap);
  struct TCandidate {
    int score;
    std::string text;
    std::string id;
  };
  std::vector<TCandidate> candidates;
  {
    TStatement row = db_.Prepare("SELECT SourceString, StrID FROM StrIdx WHERE rowid = ?1");
    for (long long rowid : order) {
      TStatementUse use(row);
      row.Bind(1, rowid);
      if (!row.Step()) continue;
      ++st.rowsScored;
      std::string text = DecodeQuotedHex(row.Text(0), warn_);
      int score = FuzzyScore(source, text, minScore);
      if (score >= minScore) candidates.push_back({score, std::move(text), row.Text(1)});
    }
  }
  std::sort(candidates.begin(), candidates.end(), [](const TCandidate& x, const TCandidate& y) {
    return x.score != y.score ? x.score > y.score : x.text < y.text;
  });

  lap(st.scoreMs);
  // Translations per candidate in the order GetKnownTranslations gives:
  // the language's own, then its siblings', each by the primary key.
  struct TFound {
    TFuzzyTranslation match;
    bool sibling;
  };
  std::vector<TFound> found;
  TStatement list =
      db_.Prepare("SELECT LangId, Translation FROM TrnsHist WHERE " + db_.Dialect().NoCase("SourceStrID") + " = " +
                  db_.Dialect().NoCase("?1") + " ORDER BY SourceStrID, LangId, Translation");
  size_t distinct = 0;
  for (const TCandidate& c : candidates) {
    // Enough found, and no later candidate can rank above them.
    if (distinct >= static_cast<size_t>(maxResults) && found.back().match.score > c.score) break;
    std::vector<std::pair<int, std::string>> rows;
    {
      TStatementUse use(list);
      list.Bind(1, c.id);
      while (list.Step())
        if (PrimaryLanguage(static_cast<int>(list.Int(0))) == PrimaryLanguage(languageId))
          rows.emplace_back(static_cast<int>(list.Int(0)), list.Text(1));
    }
    for (bool sibling : {false, true})
      for (const auto& [lang, storedTranslation] : rows)
        if ((lang != languageId) == sibling) {
          std::string text = DecodeQuotedHex(storedTranslation, warn_);
          if (std::none_of(found.begin(), found.end(),
                           [&](const TFound& f) { return SameText(f.match.translation, text); }))
            ++distinct;
          found.push_back({{c.score, c.text, std::move(text), lang}, sibling});
        }
  }
  lap(st.translationsMs);
  // Equal scores: the language's own translations before its siblings'; a
  // text seen before (in any case) is not offered again.
  std::stable_sort(found.begin(), found.end(), [](const TFound& x, const TFound& y) {
    return x.match.score != y.match.score ? x.match.score > y.match.score : !x.sibling && y.sibling;
  });
  for (TFound& f : found) {
    if (results.size() >= static_cast<size_t>(maxResults)) break;
    bool again = std::any_of(results.begin(), results.end(),
                             [&](const TFuzzyTranslation& r) { return SameText(r.translation, f.match.translation); });
    if (!again) results.push_back(std::move(f.match));
  }
  return results;
}

}  // namespace kst
