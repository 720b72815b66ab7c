// Keyset pages over the source strings.
#include "dictionary/source_pages.h"

#include <algorithm>
#include <limits>

#include "config/text_helpers.h"

namespace kst {

namespace {

char Fold(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

// The smallest folded text above every text that begins with the folded
// `prefix`; false when there is none (the prefix is all 0xFF bytes). Folded
// texts hold no A-Z, and a bound holding one would be folded itself, so
// "@" is followed by "[".
bool Successor(std::string prefix, std::string& out) {
  while (!prefix.empty()) {
    unsigned char last = static_cast<unsigned char>(prefix.back());
    if (last < 0xFF) {
      prefix.back() = static_cast<char>(last == '@' ? '[' : last + 1);
      out = prefix;
      return true;
    }
    prefix.pop_back();
  }
  return false;
}

TSourceFilter::TRange PrefixRange(const std::string& foldedPrefix) {
  TSourceFilter::TRange range;
  range.low = foldedPrefix;
  range.unbounded = !Successor(foldedPrefix, range.high);
  return range;
}

bool StartsWithNoCase(std::string_view text, std::string_view foldedPrefix) {
  if (text.size() < foldedPrefix.size()) return false;
  for (size_t i = 0; i < foldedPrefix.size(); ++i)
    if (Fold(text[i]) != foldedPrefix[i]) return false;
  return true;
}

bool IsEncodedForm(std::string_view stored) { return !stored.empty() && (stored[0] == '$' || stored[0] == '\''); }

// Rows from (key, rowid) on, within the range, in the index's order; the
// index holds both columns, so no row of the table itself is read.
std::string PageSql(const TSqlDialect& sql, bool unbounded) {
  const std::string source = sql.NoCase("SourceString");
  return "SELECT rowid, SourceString FROM StrIdx WHERE " + source + " >= " + sql.NoCase("?1") + " AND (" + source +
         ", rowid) > (" + sql.NoCase("?1") + ", ?2)" + (unbounded ? "" : " AND " + source + " < " + sql.NoCase("?3")) +
         " ORDER BY " + source + ", rowid LIMIT ?4";
}

}  // namespace

std::string FoldNoCase(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = Fold(c);
  return out;
}

int CompareNoCase(std::string_view a, std::string_view b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    unsigned char x = static_cast<unsigned char>(Fold(a[i])), y = static_cast<unsigned char>(Fold(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

TSourceFilter::TSourceFilter(std::string_view typed) : typed_(typed) {
  if (typed.empty()) {
    ranges_.push_back({std::string(), std::string(), true});
    return;
  }
  // A prefix ending in a printable character is encoded with a closing
  // apostrophe that longer texts do not have at that place.
  std::string encoded = EncodeQuotedHex(typed);
  if (encoded.size() > 1 && encoded.back() == '\'') encoded.pop_back();
  ranges_.push_back(PrefixRange(FoldNoCase(encoded)));
  if (!IsEncodedForm(typed)) ranges_.push_back(PrefixRange(FoldNoCase(typed)));
  std::sort(ranges_.begin(), ranges_.end(), [](const TRange& a, const TRange& b) { return a.low < b.low; });
}

bool TSourceFilter::Matches(std::string_view stored) const {
  if (typed_.empty()) return true;
  for (const TRange& range : ranges_) {
    // The unencoded range only ever holds unencoded texts, and the other way round.
    bool rawRange = !IsEncodedForm(range.low);
    if (rawRange == IsEncodedForm(stored)) continue;
    if (StartsWithNoCase(stored, range.low)) return true;
  }
  return false;
}

TSourcePager::TSourcePager(TDatabase& db, TSourceFilter filter, size_t pageSize)
    : db_(db), filter_(std::move(filter)), pageSize_(std::max<size_t>(1, pageSize)) {}

std::vector<TStoredSource> TSourcePager::Next() {
  std::vector<TStoredSource> rows;
  while (rows.empty() && !Done()) {
    const TSourceFilter::TRange& range = filter_.Ranges()[range_];
    if (!started_) {
      lastKey_ = range.low;
      lastRowid_ = std::numeric_limits<int64_t>::min();
      started_ = true;
    }
    TStatement& q = range.unbounded ? unbounded_ : bounded_;
    if (!q.Prepared()) q = db_.Prepare(PageSql(db_.Dialect(), range.unbounded));
    {
      TStatementUse use(q);
      q.Bind(1, lastKey_).Bind(2, static_cast<long long>(lastRowid_)).Bind(4, static_cast<long long>(pageSize_));
      if (!range.unbounded) q.Bind(3, range.high);
      while (q.Step()) rows.push_back({q.Int(0), q.Text(1)});
    }
    if (!rows.empty()) {
      lastKey_ = rows.back().stored;
      lastRowid_ = rows.back().rowid;
    }
    if (rows.size() < pageSize_) {
      ++range_;
      started_ = false;
    }
  }
  return rows;
}

int64_t TSourcePager::Count() {
  int64_t total = 0;
  for (const TSourceFilter::TRange& range : filter_.Ranges()) {
    const TSqlDialect sql = db_.Dialect();
    const std::string source = sql.NoCase("SourceString");
    TStatement q = db_.Prepare("SELECT count(*) FROM StrIdx WHERE " + source + " >= " + sql.NoCase("?1") +
                               (range.unbounded ? "" : " AND " + source + " < " + sql.NoCase("?2")));
    q.Bind(1, range.low);
    if (!range.unbounded) q.Bind(2, range.high);
    if (q.Step()) total += q.Int(0);
  }
  return total;
}

}  // namespace kst
