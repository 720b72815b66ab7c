// How alike two source texts are, as the dictionary's fuzzy matches rank
// them: one score from 0 to 100 built from edit distances over characters and
// over words.
#pragma once

#include <string>
#include <string_view>

namespace kst {

// The similarity of two texts (8-bit ANSI, any code page), 0 to 100:
//
//   100  the texts are byte for byte the same;
//   else floor(50 * (C + W)), at most 99, where on both texts with ASCII
//        letters folded to lower case (as the dictionary's exact look-up
//        folds them)
//        C = 1 - Levenshtein distance over bytes / the longer length,
//        W = 1 - Levenshtein distance over words / the larger word count;
//        a word is a run of letters and digits (every byte from 0x80 counts
//        as a letter), every other visible character is a word of its own
//        (a run of one such character, like "...", is one word), blanks and
//        control characters separate words, and the accelerator marker "&"
//        is dropped (so "&Save" and "Save" have the same words).
//        Both texts empty: C = W = 1.
//
// So a case-only difference scores 99, "Page 1 of 10" against "Page 2 of 10"
// 83, "Save file" against "Save files" 70. C counts every typo; W keeps a
// changed word from costing only its letters.
//
// With minScore above 0 the result is -1 for every pair that scores below it,
// computed with a bounded edit distance so that a far-off candidate costs
// little.
int FuzzyScore(std::string_view a, std::string_view b, int minScore = 0);

// One fuzzy match of the dictionary: the similarity of its source text to
// the text asked for, that source text and a translation of it (both decoded
// ANSI text).
struct TFuzzyTranslation {
  int score = 0;
  std::string sourceText;
  std::string translation;
  int languageId = 0;  // the language the translation was recorded for
};

}  // namespace kst
