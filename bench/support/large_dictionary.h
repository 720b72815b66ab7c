// A large dictionary for the benchmarks of the dictionary editor: source
// texts that share their first words as real captions and messages do (so
// that typed prefixes select anything from one row to a tenth), one
// translation each, built once per run; its size from --rows=N or
// KST_BENCH_DICTIONARY_ROWS (1,000,000 by default).
#pragma once

#include <string>

namespace kst {
class TdatCommon;
}

namespace kst::bench {

inline constexpr long long kDefaultDictionaryRows = 1000000;

// The size asked for; takes "--rows=N" out of the arguments.
long long DictionaryRowsOption(int& argc, char** argv);

// The i-th source text.
std::string LargeDictionarySource(long long i);

// Adds `rows` source texts with one translation each (German, every
// seventh Austrian German) in one write, then checkpoints the journal.
void FillLargeDictionary(TdatCommon& common, long long rows);

}  // namespace kst::bench
