// The program's one case-insensitive comparison: a to z fold to A to Z and
// every other byte compares as it is, as Delphi's SameText does for ANSI
// texts. File, key, section, property and class names all compare this way.
#pragma once

#include <cstddef>
#include <string_view>

namespace kst {

inline bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (x >= 'a' && x <= 'z') x = static_cast<unsigned char>(x - 32);
    if (y >= 'a' && y <= 'z') y = static_cast<unsigned char>(y - 32);
    if (x != y) return false;
  }
  return true;
}

// True when `text` begins with `prefix`, compared as SameText compares.
inline bool StartsWithText(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && SameText(text.substr(0, prefix.size()), prefix);
}

}  // namespace kst
