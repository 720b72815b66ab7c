// The specifiers of Delphi's Format in a text, with the argument each one
// takes, so that a translation can be compared with its original.
//
// A specifier is "%" [index ":"] ["-"] [width] ["." precision] type, where
// index is digits, width and precision are digits or "*", and type is one of
// d u e f g n m p s x in either case; "%%" is a percent sign. Anything else
// after a "%" (a blank, the end of the text, digits without a type, a
// letter that is no type) makes that "%" a stray: Format would raise on it,
// but in a text that is not a format string it is a plain percent sign
// ("100%", "50% off"). A text counts as a format string only when it holds
// at least one specifier.
//
// Arguments follow Delphi: each specifier takes the argument after the last
// one taken; an index takes that argument and the next unindexed specifier
// continues after it; a "*" width or precision takes an argument (an
// integer) before the specifier takes its own.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace kst {

struct TFormatArgument {
  int argument = 0;   // 0-based, as the index is written
  char16_t type = 0;  // lower-case type letter, or '*' for a width or precision
  size_t offset = 0;  // of the specifier's "%"
  size_t length = 0;  // of the whole specifier
  bool operator==(const TFormatArgument&) const = default;
};

struct TFormatScan {
  // Every argument taken, in the order Format takes them.
  std::vector<TFormatArgument> arguments;
  // Offsets of the "%" signs that begin no specifier.
  std::vector<size_t> strays;
  // True when at least one specifier (not "%%") was found.
  bool IsFormatString() const { return !arguments.empty(); }
  // 1 + the highest argument taken; 0 when none is.
  int ArgumentCount() const;
};

TFormatScan ScanFormat(std::u16string_view text);

}  // namespace kst
