// Conversions between Windows code pages and Unicode, giving the results that
// Windows' MultiByteToWideChar / WideCharToMultiByte give (ICU underneath).
//
// Replacement rule:
//   bytes -> Unicode: a byte (or byte pair) that the code page does not define
//     becomes U+FFFD; nothing is dropped.
//   Unicode -> bytes: a character the code page cannot hold becomes the code
//     page's default character "?" (0x3F); an unpaired surrogate likewise.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kst {

// Windows' pseudo code pages, as used by the display character-set table.
inline constexpr int CP_ACP = 0;
inline constexpr int CP_OEMCP = 1;
inline constexpr int CP_MACCP = 2;
inline constexpr int CP_SYMBOL = 42;
inline constexpr int CP_UTF8 = 65001;

class ECodePageError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// The system locale the program runs under, as Windows would have it: its
// ANSI and OEM code pages. Taken from the environment variable
// KESTRIN_SYSTEM_LOCALE (a hexadecimal language ID such as "0419"), default
// 0409 (ANSI 1252, OEM 437).
struct TSystemCodePages {
  int ansi = 1252;
  int oem = 437;
  int mac = 10000;
  int locale = 0x0409;  // the system locale's language ID
  static TSystemCodePages FromEnvironment();
};

// Resolves the pseudo code pages 0 (ANSI), 1 (OEM) and 2 (Mac) against the
// system's; 42 (symbol) stays 42; real code pages come back unchanged.
int ResolveCodePage(int codePage, const TSystemCodePages& system);

// True when the code page can be converted (after resolving pseudo pages).
bool IsCodePageSupported(int codePage);

// Symbol (42) maps byte b to U+F000+b both ways, as Windows' symbol fonts do.
// Code page 65001 is UTF-8. An unsupported code page raises ECodePageError
// with the message "Code page %d is not supported".
std::u16string CodePageToUtf16(std::string_view bytes, int codePage);
std::string Utf16ToCodePage(std::u16string_view text, int codePage);

std::string CodePageToUtf8(std::string_view bytes, int codePage);
std::string Utf8ToCodePage(std::string_view utf8, int codePage);

// Like Utf8ToCodePage, but tells whether every character had a mapping.
std::string Utf8ToCodePage(std::string_view utf8, int codePage, bool& lossless);

// Converts a byte string from one code page to another through Unicode.
std::string ConvertCodePage(std::string_view bytes, int fromCodePage, int toCodePage);

// OEM to ANSI of the given system (compiler output is OEM text).
std::string OemToAnsi(std::string_view bytes, const TSystemCodePages& system);

// Plain UTF-8 <-> UTF-16 helpers (invalid sequences become U+FFFD).
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view text);

}  // namespace kst
