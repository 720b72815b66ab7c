// Copying a whole dictionary between two databases of either engine (a
// team's SQLite file onto its server and back), and the comparison that
// shows nothing was lost on the way.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kst {

class TdatCommon;

struct TDictionaryCopyReport {
  struct TTable {
    std::string fileName;  // "StrIdx.db"
    int64_t from = 0, to = 0;
  };
  // One source string's known translations for one language at both ends.
  struct TLookUp {
    std::string source;  // decoded
    int languageId = 0;
    std::vector<std::string> from, to;
  };
  std::vector<TTable> tables;
  std::vector<TLookUp> lookUps;
  // Every table has as many rows at both ends and every look-up agrees.
  bool Same() const;
};

// Replaces the whole content of `to` by that of `from`, every row of the
// seven tables in their order, in one write transaction of `to` (all or
// nothing); then counts the rows of each table at both ends and compares
// the known translations of up to `samples` source strings spread over the
// dictionary. Both must be set up (TdatCommon does that). Refuses with
// EDictionaryError a target that already holds source strings or
// translations, which the copy would throw away, and a target that is the
// source itself.
TDictionaryCopyReport CopyDictionary(TdatCommon& from, TdatCommon& to, int samples = 20);

}  // namespace kst
