// Scanning a text for Delphi's Format specifiers.
#include "checks/format_arguments.h"

#include <algorithm>

namespace kst {

namespace {

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

char16_t TypeLetter(char16_t c) {
  if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  return std::u16string_view(u"duefgnmpsx").find(c) == std::u16string_view::npos ? 0 : c;
}

// A number of digits or a "*" at `p`.
struct TNumber {
  bool present = false;
  bool star = false;
  int value = 0;
};

TNumber ReadNumber(std::u16string_view text, size_t& p) {
  TNumber n;
  if (p < text.size() && text[p] == u'*') {
    n.present = n.star = true;
    ++p;
    return n;
  }
  while (p < text.size() && IsDigit(text[p])) {
    n.present = true;
    // An index beyond any argument list stays beyond it, without overflow.
    n.value = std::min(n.value * 10 + (text[p] - u'0'), 1000000);
    ++p;
  }
  return n;
}

}  // namespace

int TFormatScan::ArgumentCount() const {
  int count = 0;
  for (const TFormatArgument& a : arguments) count = std::max(count, a.argument + 1);
  return count;
}

TFormatScan ScanFormat(std::u16string_view text) {
  TFormatScan scan;
  int next = 0;
  for (size_t at = 0; at < text.size(); ++at) {
    if (text[at] != u'%') continue;
    if (at + 1 < text.size() && text[at + 1] == u'%') {
      ++at;
      continue;
    }
    size_t p = at + 1;
    TNumber first = ReadNumber(text, p);
    int index = -1;
    TNumber width, precision;
    bool valid = true;
    if (p < text.size() && text[p] == u':') {
      if (!first.present || first.star) valid = false;
      index = first.value;
      ++p;
      first = {};
    }
    if (valid && !first.present) {
      if (p < text.size() && text[p] == u'-') ++p;
      width = ReadNumber(text, p);
    } else {
      width = first;
    }
    if (valid && p < text.size() && text[p] == u'.') {
      ++p;
      precision = ReadNumber(text, p);
    }
    char16_t type = valid && p < text.size() ? TypeLetter(text[p]) : 0;
    if (type == 0) {
      scan.strays.push_back(at);
      continue;
    }
    const size_t length = p + 1 - at;
    if (index >= 0) next = index;
    for (const TNumber* n : {&width, &precision})
      if (n->star) scan.arguments.push_back({next++, u'*', at, length});
    scan.arguments.push_back({next++, type, at, length});
    at = p;
  }
  return scan;
}

}  // namespace kst
