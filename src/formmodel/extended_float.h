// The 80-bit floating-point numbers of form streams (vaExtended), and their
// text in the general format with 15 significant digits.
//
//   bytes 0..7  significand, explicit integer bit (bit 63), little-endian
//   bytes 8..9  bit 15 sign, bits 0..14 exponent biased by 16383
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace kst {

long double DecodeExtended(std::string_view tenBytes);
std::array<char, 10> EncodeExtended(long double value);

// Fixed notation while the number has at most 15 digits before the point and
// is at least 0.0001 in size, otherwise "1.5E20" / "1E-5"; no trailing zeros.
std::string FormatExtended(long double value);

// The whole text as a decimal floating-point literal; nothing when it is not
// one or does not fit.
std::optional<long double> ParseExtended(std::string_view text);

}  // namespace kst
