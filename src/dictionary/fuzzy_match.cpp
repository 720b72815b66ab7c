// The similarity score of fuzzy matches.
#include "dictionary/fuzzy_match.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace kst {

namespace {

std::string Folded(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

bool WordByte(unsigned char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || c >= 0x80; }

std::vector<std::string_view> Words(std::string_view text) {
  std::vector<std::string_view> words;
  size_t i = 0;
  while (i < text.size()) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (WordByte(c)) {
      size_t start = i;
      while (i < text.size() && WordByte(static_cast<unsigned char>(text[i]))) ++i;
      words.push_back(text.substr(start, i - start));
      continue;
    }
    size_t start = i;
    while (i < text.size() && text[i] == text[start]) ++i;
    if (c > ' ' && c != '&' && c != 0x7F) words.push_back(text.substr(start, i - start));
  }
  return words;
}

// Levenshtein distance of two sequences, or `limit` + 1 when it is larger:
// only the cells within `limit` of the diagonal are computed.
template <typename Seq>
size_t BoundedDistance(const Seq& a, const Seq& b, size_t limit) {
  const size_t n = a.size(), m = b.size();
  if ((n > m ? n - m : m - n) > limit) return limit + 1;
  const size_t over = limit + 1;
  std::vector<size_t> prev(m + 1, over), cur(m + 1, over);
  for (size_t j = 0; j <= std::min(m, limit); ++j) prev[j] = j;
  for (size_t i = 1; i <= n; ++i) {
    size_t from = i > limit ? i - limit : 1, to = std::min(m, i + limit);
    std::fill(cur.begin(), cur.end(), over);
    if (i <= limit) cur[0] = i;
    size_t best = cur[0];
    for (size_t j = from; j <= to; ++j) {
      size_t cost = a[i - 1] == b[j - 1] ? 0 : 1;
      size_t d = std::min({prev[j - 1] + cost, prev[j] + 1, cur[j - 1] + 1});
      cur[j] = std::min(d, over);
      best = std::min(best, cur[j]);
    }
    if (best > limit) return over;
    std::swap(prev, cur);
  }
  return std::min(prev[m], over);
}

}  // namespace

int FuzzyScore(std::string_view a, std::string_view b, int minScore) {
  if (a == b) return 100;
  const std::string fa = Folded(a), fb = Folded(b);
  const std::vector<std::string_view> wa = Words(fa), wb = Words(fb);
  const size_t words = std::max(wa.size(), wb.size());
  const double w =
      words == 0 ? 1.0 : 1.0 - static_cast<double>(BoundedDistance(wa, wb, words)) / static_cast<double>(words);
  const size_t chars = std::max(fa.size(), fb.size());
  // The largest character distance that can still reach minScore; one more
  // than the exact bound so that rounding never drops a pair that reaches it.
  size_t limit = chars;
  if (minScore > 0) {
    double c = minScore / 50.0 - w;
    if (c > 1.0) return -1;
    limit = std::min(chars, static_cast<size_t>(std::max(0.0, (1.0 - c) * static_cast<double>(chars))) + 1);
  }
  size_t distance = BoundedDistance(fa, fb, limit);
  if (distance > limit) return -1;
  const double c = chars == 0 ? 1.0 : 1.0 - static_cast<double>(distance) / static_cast<double>(chars);
  int score = std::min(99, static_cast<int>(std::floor(50.0 * (c + w) + 1e-9)));
  return score < minScore ? -1 : score;
}

}  // namespace kst
