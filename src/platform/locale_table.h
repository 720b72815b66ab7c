// Windows' locale data (Windows 2000/XP era), built into the program from
// data/windows-locales.tsv, and the font character-set table from
// data/windows-charsets.tsv. Texts here are UTF-8; callers convert them to
// the code page they work in.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kst {

// Locale information types that the table answers (GetLocaleInfo's numbers).
inline constexpr int LOCALE_SLANGUAGE = 0x0002;
inline constexpr int LOCALE_SABBREVLANGNAME = 0x0003;
inline constexpr int LOCALE_SNATIVELANGNAME = 0x0004;
inline constexpr int LOCALE_SCOUNTRY = 0x0006;
inline constexpr int LOCALE_IDEFAULTCODEPAGE = 0x000B;
inline constexpr int LOCALE_SENGLANGUAGE = 0x1001;
inline constexpr int LOCALE_SENGCOUNTRY = 0x1002;
inline constexpr int LOCALE_IDEFAULTANSICODEPAGE = 0x1004;

struct TLocaleRow {
  uint16_t lcid = 0;
  std::string slanguage;
  std::string senglanguage;
  std::string sabbrevlangname;
  std::string scountry;
  std::string sengcountry;
  int ansiCodePage = 0;  // 0 for Unicode-only locales
  int oemCodePage = 1;   // 1 for Unicode-only locales
  std::string snativelangname;
};

// Every specific locale, sorted by identifier. Neutral IDs are not rows.
const std::vector<TLocaleRow>& LocaleRows();

// The row of exactly this identifier, or nullptr.
const TLocaleRow* FindLocaleRow(uint16_t lcid);

// GetLocaleInfo for one of the types above: the UTF-8 text, or an empty text
// when the identifier is unknown or the type is not one the table has (which
// Windows reports as an error). Numeric types come back as decimal text.
std::string LocaleInfoUtf8(uint16_t lcid, int type);

struct TCharsetRow {
  int charset = 0;       // the font character-set number
  std::string name;      // upper-case name of the table ("EASTEUROPE")
  int codePage = 0;      // may be a pseudo code page: 0, 1, 2 or 42
};

// The 18 font character sets in table order.
const std::vector<TCharsetRow>& CharsetRows();
const TCharsetRow* FindCharsetRow(int charset);

}  // namespace kst
