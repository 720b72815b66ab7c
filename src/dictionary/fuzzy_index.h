// The trigram index of the dictionary's source strings and the fuzzy search
// through it: similar source texts are found without reading the whole
// dictionary, then ranked by FuzzyScore.
//
// The index is an SQLite FTS5 table (trigram tokenizer, ASCII letters folded,
// contentless) over StrIdx.SourceString, keyed by StrIdx's rowid. Every
// writer's adds reach it: our connections, the editor's, other processes and
// workstations, even an SQL shell. New rows have higher rowids than the
// highest one indexed (a mark kept beside the index), so before each search
// the rows above the mark go into the index in one statement
// (UpdateFuzzyIndex); deletes and updates, which only the editor makes, are
// applied by triggers on StrIdx at once.
// It indexes the stored (quoted-hex) form, not the decoded text, because a
// trigger runs inside whichever connection writes and only plain SQL is
// there: a decoder registered in our connections would be missing from the
// others, and their writes would fail. The stored form keeps every printable
// character as it is, and its quotes mark where a text begins and ends, so a
// text of one or two characters still has trigrams (Ok is 'Ok'). Scores are
// always computed on the decoded texts.
// On a PostgreSQL dictionary the index is pg_trgm's, which the server keeps
// itself; the search there scores the texts equal but for case and the most
// similar ones by pg_trgm (only the first without the extension).
#pragma once

#include <string_view>
#include <vector>

#include "dictionary/fuzzy_match.h"
#include "platform/database.h"

namespace kst {

class TUserInteraction;

// Creates the index, its mark and its triggers when any of them is missing
// (one write transaction, so that several processes starting at once create
// them once), then brings the index up to date, so that a dictionary from
// before the index is filled on its first start. Takes no lock when all is
// there and up to date. StrIdx must exist.
void SetUpFuzzyIndex(TDatabase& db);

// Puts the source strings added since the last update (by anyone) into the
// index, in one write transaction; nothing, and no lock, when there are
// none. A search does it first; a caller that has just added many texts may
// do it at once.
void UpdateFuzzyIndex(TDatabase& db);

// What one search did, for tests and benchmarks.
struct TFuzzySearchStats {
  int trigrams = 0;       // distinct trigrams of the query that were looked up
  int rareTrigrams = 0;   // of those, the ones whose texts were all read
  int rowsScored = 0;     // source strings read and scored
  // Milliseconds spent on the steps: counting the trigrams' texts, reading
  // the rare ones, the conjunction of common ones, reading and scoring the
  // candidates, their translations.
  double probeMs = 0, rareMs = 0, commonMs = 0, scoreMs = 0, translationsMs = 0;
};

// The best known translations of source texts similar to `source`, for the
// language and its sibling sub-languages: at most maxResults, each with a
// score of at least minScore, best score first; for equal scores (and for
// several translations of one source) the language's own translations come
// before its siblings', in the order GetKnownTranslations gives. Each
// translation text appears once (compared without regard to case). The
// source itself, when the dictionary holds it, scores 100 (or 99 for
// another case).
//
// How candidates are found, never by reading all of StrIdx (first the
// index catches up, UpdateFuzzyIndex):
// 1. The query's stored form is cut into distinct trigrams (at most 48,
//    evenly spread over a longer text).
// 2. For each, the index counts its texts, no further than
//    kRareTrigramTexts. Rare trigrams narrow the search: a text within k
//    edits (of the stored form) of the query keeps all but at most 3k of
//    the query's trigrams, so a similar text shares most of them, rare ones
//    too. The texts of the rare trigrams are read (rarest first, at most
//    kMaxTrigramTexts rows in all) and counted per text.
// 3. The common trigrams (six of them, spread over the text, when there are
//    more) are looked up as one conjunction: the texts that hold all of
//    them, at most half of kMaxScoredRows. This finds a changed number or
//    word in a text made of common words. They are scored, and so are the
//    texts that equal the query but for case.
// 4. The rest of the kMaxScoredRows rows to score are the texts that share
//    the most rare trigrams. Those at or above minScore are ranked.
// So the search reads a bounded number of rows however large the
// dictionary is, at the price of missing a similar text that shares no rare
// trigram and is not among the first texts holding the common ones.
// An empty source has no matches. A text of one or two characters has one
// or two trigrams with its quotes ('Ok'), so it finds little but itself in
// another case (its score falls fast with every edit anyway).
class TFuzzyIndex {
public:
  static constexpr int kRareTrigramTexts = 1000;
  static constexpr int kMaxTrigramTexts = 30000;
  static constexpr int kMaxScoredRows = 200;

  // Works on `db`, which must outlive this object; `warn` (may be null)
  // hears of stored texts that do not decode.
  TFuzzyIndex(TDatabase& db, TUserInteraction* warn);

  std::vector<TFuzzyTranslation> Find(std::string_view source, int languageId, int minScore, int maxResults,
                                      TFuzzySearchStats* stats = nullptr);

private:
  TDatabase& db_;
  TUserInteraction* warn_;
};

}  // namespace kst
