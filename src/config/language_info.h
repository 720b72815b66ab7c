// Language texts from the locale data with the program's rules on top (cut
// at "(", neutral languages answered by their default sub-language, two
// letters for a neutral abbreviation), in the code page the caller works in.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/codepage.h"
#include "platform/locale_table.h"

namespace kst {

inline int PrimaryLanguage(int id) { return id & 0x3FF; }
inline int SubLanguage(int id) { return (id >> 10) & 0x3F; }
inline int MakeLangId(int primary, int sub) { return (sub << 10) | primary; }

// The locale text of that type for the language, by the rules above,
// converted from the table's Unicode to `codePage` (a character the code page
// lacks becomes "?"). Empty when the locale data has nothing.
std::string LanguageInfoText(int languageId, int type, int codePage);
// The same in the system's ANSI code page.
std::string LanguageInfoText(int languageId, int type);

// "German (Germany)" style display name: the language name, a blank, and
// "(" + country + ")" when the ID is 256 or above (neutral IDs end in the
// blank).
std::string LanguageDisplayName(int languageId, int codePage);
// Three letters, two for a neutral language.
std::string LanguageAbbreviation(int languageId);

// The ANSI code page a language's texts are kept in (its translations in
// the translation files, the language module's strings and forms): the
// locale's default ANSI code page, 1252 when the locale data has no number
// for it, and the system's ANSI code page for a language that has none of
// its own (0, the Unicode-only locales).
int LanguageAnsiCodePage(int languageId, const TSystemCodePages& system);

// Every ID for which the locale data has a language name and an abbreviation
// (each specific locale and each neutral language with a default
// sub-language), ascending.
std::vector<int> KnownLanguageIds();

// A language given on a command line or in a setting: hexadecimal ("0407",
// "$0407", "0x0407") or an abbreviation ("DEU", "en"). Raises
// std::invalid_argument with a message for a person: unknown languages, and
// abbreviations that two languages share (naming both).
int ParseLanguageArgument(std::string_view text);

// The display character sets of the main window's selector, in table order.
struct TDisplayCharset {
  const char* name;  // as the selector shows it
  int charset;       // the font character-set number
};
const std::vector<TDisplayCharset>& DisplayCharsets();
// The code page of a font character set, pseudo code pages resolved against
// the system's; 0 when the number is not a known character set.
int CharsetCodePage(int charset, const TSystemCodePages& system);

}  // namespace kst
