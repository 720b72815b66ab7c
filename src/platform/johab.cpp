// Johab (code page 1361) <-> UTF-16, giving what Windows' 1361 table gives.
// The reference is Microsoft's published code page data as rendered in
// Wine's libs/port/c_1361.c.

#include "platform/johab.h"

#include <unicode/ucnv.h>

#include <array>
#include <cstdint>
#include <stdexcept>
#include <unordered_map>

namespace kst::johab {
namespace {

constexpr char16_t kBad = 0xFFFD;

// Johab's 5-bit field codes. Initial and final code 1, medial code 2 are the
// fill codes; the rest map onto the Unicode jamo order.
constexpr int kInitialFill = 1;
constexpr int kMedialFill = 2;
constexpr int kFinalFill = 1;
constexpr std::array<int8_t, 32> kMedialIndex = {
    -1, -1, -1, 0,  1,  2,  3,  4,  -1, -1, 5,  6,  7,  8,  9,  10,
    -1, -1, 11, 12, 13, 14, 15, 16, -1, -1, 17, 18, 19, 20, -1, -1};
constexpr std::array<int8_t, 32> kFinalIndex = {
    -1, 0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14,
    15, 16, -1, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, -1, -1};
constexpr std::array<uint8_t, 21> kMedialCode = {3,  4,  5,  6,  7,  10, 11, 12, 13, 14, 15,
                                                 18, 19, 20, 21, 22, 23, 26, 27, 28, 29};
constexpr std::array<uint8_t, 28> kFinalCode = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10,
                                                11, 12, 13, 14, 15, 16, 17, 19, 20, 21,
                                                22, 23, 24, 25, 26, 27, 28, 29};

// Windows decodes partial combinations to conjoining jamo (U+1100 block), not
// to the compatibility jamo that KS X 1001 and most other Johab tables use.
// Compatibility jamo U+3131-U+3163 are still accepted when encoding, since
// Korean input methods type standalone jamo that way: consonants go to the
// initial-only form where one exists, otherwise to the final-only form.
struct TCompatConsonant {
  int8_t initial;  // 0-18 or -1
  int8_t final;    // 1-27 or -1
};
constexpr std::array<TCompatConsonant, 30> kCompatConsonants = {{
    {0, 1},   {1, 2},   {-1, 3},  {2, 4},   {-1, 5},  {-1, 6},  {3, 7},   {4, -1},
    {5, 8},   {-1, 9},  {-1, 10}, {-1, 11}, {-1, 12}, {-1, 13}, {-1, 14}, {-1, 15},
    {6, 16},  {7, 17},  {8, -1},  {-1, 18}, {9, 19},  {10, 20}, {11, 21}, {12, 22},
    {13, -1}, {14, 23}, {15, 24}, {16, 25}, {17, 26}, {18, 27},
}};

// KS X 1001 row 4 columns 0x54-0x7E (old jamo): windows-949 has compatibility
// jamo U+3164-U+318E there, Windows' Johab table the conjoining jamo below.
// Columns 0x21-0x53 (modern jamo) are undefined in the symbol area.
constexpr int kOldJamoFirstCol = 0x54;
constexpr std::array<char16_t, 43> kOldJamo = {
    0x115F, 0x1114, 0x1115, 0x11C7, 0x11C8, 0x11CC, 0x11CE, 0x11D3, 0x11D7, 0x11D9, 0x111C,
    0x11DD, 0x11DF, 0x111D, 0x111E, 0x1120, 0x1122, 0x1123, 0x1127, 0x1128, 0x112B, 0x112C,
    0x112D, 0x112E, 0x112F, 0x1132, 0x1136, 0x1140, 0x1147, 0x114C, 0x1145, 0x1146, 0x1157,
    0x1158, 0x1159, 0x1184, 0x1185, 0x1188, 0x1191, 0x1192, 0x1194, 0x119E, 0x11A1};

// Bytes outside the lead byte ranges that Windows maps on their own.
char16_t SingleByte(uint8_t b) {
  if (b < 0x84) return b;  // ASCII and 0x80-0x83 (C1 controls)
  if (b >= 0xD4 && b <= 0xD7) return static_cast<char16_t>(0xF8EC + (b - 0xD4));
  if (b == 0xDF) return 0xF8F0;
  if (b >= 0xFA) return static_cast<char16_t>(0xF8F1 + (b - 0xFA));
  return kBad;
}

bool IsHangulLead(uint8_t b) { return b >= 0x84 && b <= 0xD3; }
bool IsHangulTrail(uint8_t b) { return (b >= 0x41 && b <= 0x7E) || (b >= 0x81 && b <= 0xFE); }
bool IsUserDefinedLead(uint8_t b) { return b == 0xD8; }

// Symbols (0xD9-0xDE) and Hanja (0xE0-0xF9); -1 for anything else.
int SymbolLeadIndex(uint8_t b) {
  if (b >= 0xD9 && b <= 0xDE) return b - 0xD9;
  if (b >= 0xE0 && b <= 0xF9) return 6 + (b - 0xE0);
  return -1;
}
// Trail bytes of the symbol and user-defined areas, 0-187; -1 if invalid.
int SymbolTrailIndex(uint8_t b) {
  if (b >= 0x31 && b <= 0x7E) return b - 0x31;
  if (b >= 0x91 && b <= 0xFE) return b - 0x43;
  return -1;
}
constexpr int kTrailCount = 188;
constexpr int kSymbolLeadCount = 32;

uint8_t TrailFromIndex(int index) {
  return static_cast<uint8_t>(index < 0x4E ? index + 0x31 : index + 0x43);
}

// The KS X 1001 row and column (0x21-0x7E) of a symbol-area byte pair.
struct TKsCode {
  int row;
  int col;
};
TKsCode KsCodeOf(uint8_t lead, int trailIndex) {
  const int t1 = lead < 0xE0 ? 2 * (lead - 0xD9) : 2 * lead - 0x197;
  const int t2 = trailIndex;
  return {t1 + (t2 < 0x5E ? 0 : 1) + 0x21, (t2 < 0x5E ? t2 : t2 - 0x5E) + 0x21};
}

char16_t HangulFromCode(unsigned code) {
  const int ic = (code >> 10) & 31;
  const int mc = (code >> 5) & 31;
  const int fc = code & 31;
  const int i = (ic >= 2 && ic <= 20) ? ic - 2 : -1;
  const int m = kMedialIndex[mc];
  const int f = kFinalIndex[fc];
  if (i >= 0 && m >= 0 && f >= 0) return static_cast<char16_t>(0xAC00 + (i * 21 + m) * 28 + f);
  if (i >= 0 && mc == kMedialFill && fc == kFinalFill) return static_cast<char16_t>(0x1100 + i);
  if (ic == kInitialFill && m >= 0 && fc == kFinalFill) return static_cast<char16_t>(0x1161 + m);
  if (ic == kInitialFill && mc == kMedialFill && f > 0) return static_cast<char16_t>(0x11A7 + f);
  return kBad;
}

uint16_t CodeFromFields(int initialCode, int medialCode, int finalCode) {
  return static_cast<uint16_t>(0x8000 | initialCode << 10 | medialCode << 5 | finalCode);
}

// Johab code for a Hangul syllable or jamo; 0 if the character is none.
uint16_t HangulToCode(char16_t c) {
  if (c >= 0xAC00 && c <= 0xD7A3) {
    const int s = c - 0xAC00;
    return CodeFromFields(s / 588 + 2, kMedialCode[(s % 588) / 28], kFinalCode[s % 28]);
  }
  if (c >= 0x1100 && c <= 0x1112) return CodeFromFields(c - 0x1100 + 2, kMedialFill, kFinalFill);
  if (c >= 0x1161 && c <= 0x1175) return CodeFromFields(kInitialFill, kMedialCode[c - 0x1161], kFinalFill);
  if (c >= 0x11A8 && c <= 0x11C2) return CodeFromFields(kInitialFill, kMedialFill, kFinalCode[c - 0x11A7]);
  if (c >= 0x3131 && c <= 0x314E) {
    const TCompatConsonant& jamo = kCompatConsonants[c - 0x3131];
    if (jamo.initial >= 0) return CodeFromFields(jamo.initial + 2, kMedialFill, kFinalFill);
    return CodeFromFields(kInitialFill, kMedialFill, kFinalCode[jamo.final]);
  }
  if (c >= 0x314F && c <= 0x3163) return CodeFromFields(kInitialFill, kMedialCode[c - 0x314F], kFinalFill);
  return 0;
}

struct TSymbolTables {
  std::array<char16_t, kSymbolLeadCount * kTrailCount> toUnicode{};
  std::unordered_map<char16_t, uint16_t> fromUnicode;
};

char16_t DecodeEuc(UConverter* euc, int row, int col) {
  const char pair[2] = {static_cast<char>(row | 0x80), static_cast<char>(col | 0x80)};
  UChar out[4];
  UErrorCode err = U_ZERO_ERROR;
  const int32_t n = ucnv_toUChars(euc, out, 4, pair, 2, &err);
  return U_SUCCESS(err) && n == 1 ? out[0] : kBad;
}

TSymbolTables BuildSymbolTables() {
  UErrorCode err = U_ZERO_ERROR;
  UConverter* euc = ucnv_open("windows-949", &err);
  if (U_FAILURE(err)) throw std::runtime_error("ICU has no windows-949 converter");
  ucnv_setToUCallBack(euc, UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &err);

  TSymbolTables tables;
  std::unordered_map<char16_t, uint16_t> compatExtras;
  for (int lead = 0xD9; lead <= 0xF9; ++lead) {
    const int leadIndex = SymbolLeadIndex(static_cast<uint8_t>(lead));
    if (leadIndex < 0) continue;
    for (int t = 0; t < kTrailCount; ++t) {
      const TKsCode ks = KsCodeOf(static_cast<uint8_t>(lead), t);
      const uint16_t code = static_cast<uint16_t>(lead << 8 | TrailFromIndex(t));
      char16_t c = kBad;
      if (ks.row == 0x24) {
        if (ks.col >= kOldJamoFirstCol) {
          c = kOldJamo[ks.col - kOldJamoFirstCol];
          // Accept windows-949's compatibility form of the old jamo too.
          const char16_t compat = DecodeEuc(euc, ks.row, ks.col);
          if (compat != kBad) compatExtras.emplace(compat, code);
        }
      } else {
        c = DecodeEuc(euc, ks.row, ks.col);
      }
      tables.toUnicode[leadIndex * kTrailCount + t] = c;
      if (c != kBad) tables.fromUnicode.emplace(c, code);
    }
  }
  ucnv_close(euc);
  for (const auto& [c, code] : compatExtras) tables.fromUnicode.emplace(c, code);
  return tables;
}

// Built once and never changed afterwards.
const TSymbolTables& SymbolTables() {
  static const TSymbolTables tables = BuildSymbolTables();
  return tables;
}

void AppendCode(std::string& out, uint16_t code) {
  out.push_back(static_cast<char>(code >> 8));
  out.push_back(static_cast<char>(code & 0xFF));
}

}  // namespace

std::u16string Decode(std::string_view bytes) {
  std::u16string out;
  out.reserve(bytes.size());
  const size_t n = bytes.size();
  for (size_t i = 0; i < n;) {
    const uint8_t lead = static_cast<uint8_t>(bytes[i]);
    const int symbolLead = SymbolLeadIndex(lead);
    const bool hangul = IsHangulLead(lead);
    if (!hangul && symbolLead < 0 && !IsUserDefinedLead(lead)) {
      out.push_back(SingleByte(lead));
      ++i;
      continue;
    }
    // A lead byte without a valid trail byte stands alone; the next byte is
    // read afresh.
    const uint8_t trail = i + 1 < n ? static_cast<uint8_t>(bytes[i + 1]) : 0;
    const int trailIndex = SymbolTrailIndex(trail);
    if (i + 1 >= n || (hangul ? !IsHangulTrail(trail) : trailIndex < 0)) {
      out.push_back(kBad);
      ++i;
      continue;
    }
    if (hangul) {
      out.push_back(HangulFromCode(static_cast<unsigned>(lead) << 8 | trail));
    } else if (symbolLead >= 0) {
      out.push_back(SymbolTables().toUnicode[symbolLead * kTrailCount + trailIndex]);
    } else {
      out.push_back(static_cast<char16_t>(0xE000 + trailIndex));
    }
    i += 2;
  }
  return out;
}

std::string Encode(std::u16string_view text, bool& lossless) {
  lossless = true;
  std::string out;
  out.reserve(text.size() * 2);
  for (const char16_t c : text) {
    if (c < 0x84) {
      out.push_back(static_cast<char>(c));
    } else if (c >= 0xF8EC && c <= 0xF8EF) {
      out.push_back(static_cast<char>(0xD4 + (c - 0xF8EC)));
    } else if (c == 0xF8F0) {
      out.push_back(static_cast<char>(0xDF));
    } else if (c >= 0xF8F1 && c <= 0xF8F6) {
      out.push_back(static_cast<char>(0xFA + (c - 0xF8F1)));
    } else if (const uint16_t code = HangulToCode(c)) {
      AppendCode(out, code);
    } else if (c >= 0xE000 && c < 0xE000 + kTrailCount) {
      AppendCode(out, static_cast<uint16_t>(0xD800 | TrailFromIndex(c - 0xE000)));
    } else {
      const auto& map = SymbolTables().fromUnicode;
      const auto it = map.find(c);
      if (it != map.end()) {
        AppendCode(out, it->second);
      } else {
        out.push_back('?');
        lossless = false;
      }
    }
  }
  return out;
}

}  // namespace kst::johab
