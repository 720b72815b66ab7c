// Reading the source strings of a large dictionary a page at a time: the
// rows of StrIdx whose decoded text begins with a typed prefix (without
// regard to case), in the order of the case-insensitive index
// "BySourceString", by keyset (each page continues after the last key of
// the one before), so that no page costs more than its own rows.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/database.h"

namespace kst {

// The index's order: bytes compared after folding A-Z to a-z (SQLite's
// NOCASE), shorter first.
std::string FoldNoCase(std::string_view text);
int CompareNoCase(std::string_view a, std::string_view b);

// Which stored texts a typed prefix selects: those whose quoted-hex form
// begins with the prefix's quoted-hex form (less its closing apostrophe),
// and, for texts stored unencoded by older tools (they begin with neither
// "$" nor an apostrophe), those that begin with the prefix itself. Both
// without regard to case; an empty prefix selects everything.
class TSourceFilter {
public:
  explicit TSourceFilter(std::string_view typed = {});
  const std::string& Typed() const { return typed_; }
  bool Matches(std::string_view stored) const;

  // Disjoint ranges of folded keys, ascending: low <= key < high (no high
  // bound when unbounded).
  struct TRange {
    std::string low, high;
    bool unbounded = false;
  };
  const std::vector<TRange>& Ranges() const { return ranges_; }

private:
  std::string typed_;
  std::vector<TRange> ranges_;
};

// A row as the index holds it; its StrID is one look-up away (by rowid),
// so that a page is read from the index alone.
struct TStoredSource {
  int64_t rowid = 0;
  std::string stored;  // the quoted-hex form as the table holds it
};

// One walk over the rows a filter selects. Each Next() runs one short
// statement and keeps no read transaction open between pages.
class TSourcePager {
public:
  TSourcePager(TDatabase& db, TSourceFilter filter, size_t pageSize);
  // The next rows, at most the page size; empty once the walk is done.
  std::vector<TStoredSource> Next();
  bool Done() const { return range_ >= filter_.Ranges().size(); }
  // How many rows the filter selects now (a count over the index: it costs
  // time in proportion to the rows it counts).
  int64_t Count();

private:
  TDatabase& db_;
  TSourceFilter filter_;
  size_t pageSize_;
  size_t range_ = 0;
  bool started_ = false;
  std::string lastKey_;
  int64_t lastRowid_ = 0;
  TStatement bounded_, unbounded_;
};

}  // namespace kst
