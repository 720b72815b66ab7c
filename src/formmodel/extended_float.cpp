// 80-bit floats: byte codec and text.
#include "formmodel/extended_float.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "formmodel/form_errors.h"
#include "platform/byte_reader.h"
#include "platform/byte_writer.h"

namespace kst {

long double DecodeExtended(std::string_view b) {
  TByteReader<EReadError> reader(b, kSReadError);
  uint64_t mantissa = reader.U32();
  mantissa |= uint64_t{reader.U32()} << 32;
  unsigned top = reader.U16();
  bool negative = (top & 0x8000) != 0;
  int exponent = static_cast<int>(top & 0x7FFF);
  long double value;
  if (exponent == 0x7FFF) {
    value = (mantissa << 1) == 0 ? HUGE_VALL : NAN;
  } else {
    // Denormals use the smallest exponent without the implicit step.
    int e = (exponent == 0 ? 1 : exponent) - 16383 - 63;
    value = std::ldexp(static_cast<long double>(mantissa), e);
  }
  return negative ? -value : value;
}

std::array<char, 10> EncodeExtended(long double value) {
  std::array<char, 10> out{};
  bool negative = std::signbit(value);
  if (negative) value = -value;
  uint64_t mantissa = 0;
  int exponent = 0;
  if (std::isnan(value)) {
    exponent = 0x7FFF;
    mantissa = 0xC000000000000000ull;
  } else if (std::isinf(value)) {
    exponent = 0x7FFF;
    mantissa = 0x8000000000000000ull;
  } else if (value != 0) {
    int e = 0;
    long double m = std::frexp(value, &e);  // value = m * 2^e, m in [0.5, 1)
    exponent = e - 1 + 16383;
    if (exponent <= 0) {
      exponent = 0;
      mantissa = static_cast<uint64_t>(std::ldexp(value, 16382 + 63));
    } else {
      mantissa = static_cast<uint64_t>(std::ldexp(m, 64));
    }
  }
  std::string bytes;
  TByteWriter writer(bytes);
  writer.U32(static_cast<uint32_t>(mantissa));
  writer.U32(static_cast<uint32_t>(mantissa >> 32));
  writer.U16(static_cast<uint16_t>(exponent | (negative ? 0x8000 : 0)));
  std::copy(bytes.begin(), bytes.end(), out.begin());
  return out;
}

std::string FormatExtended(long double value) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  if (value == 0) return "0";
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.14Le", value);
  // buf: [-]d.dddddddddddddde[+-]x
  std::string text(buf);
  bool negative = text[0] == '-';
  if (negative) text.erase(0, 1);
  size_t ePos = text.find('e');
  int exp10 = std::atoi(text.c_str() + ePos + 1);
  std::string digits = text.substr(0, 1) + text.substr(2, ePos - 2);
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

  std::string out = negative ? "-" : "";
  int pointAfter = exp10 + 1;  // digits before the decimal point
  if (pointAfter > 15 || pointAfter < -3) {
    out += digits[0];
    if (digits.size() > 1) out += "." + digits.substr(1);
    out += "E" + std::to_string(exp10);
  } else if (pointAfter > 0) {
    if (static_cast<int>(digits.size()) <= pointAfter) {
      out += digits + std::string(pointAfter - digits.size(), '0');
    } else {
      out += digits.substr(0, pointAfter) + "." + digits.substr(pointAfter);
    }
  } else {
    out += "0." + std::string(-pointAfter, '0') + digits;
  }
  return out;
}

std::optional<long double> ParseExtended(std::string_view text) {
  long double value = 0;
  const char* first = text.data();
  const char* last = text.data() + text.size();
  if (first != last && *first == '+') return std::nullopt;
  auto [ptr, ec] = std::from_chars(first, last, value, std::chars_format::general);
  if (ec != std::errc() || ptr != last) return std::nullopt;
  return value;
}

}  // namespace kst
