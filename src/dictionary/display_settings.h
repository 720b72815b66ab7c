// The per-user display settings of the translation grids (colour and font
// style of standard, highlighted and translated text, grid font size) as
// the settings store keeps them under "\USER\<user name>": colours as signed
// decimal text of Windows' colour value, styles as the letters B, I, U.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kst {

class TdatSettings;

// A colour in Windows' encoding: 0x00BBGGRR, or 0x800000nn for system
// colour nn (window text is 8).
using TColorValue = uint32_t;
inline constexpr TColorValue kWindowTextColor = 0x80000008;
inline constexpr TColorValue kPureBlue = 0xFF0000;

inline bool IsSystemColor(TColorValue color) { return (color & 0xFF000000u) == 0x80000000u; }
// The system colour's index (COLOR_WINDOWTEXT = 8), or -1 for a plain colour.
inline int SystemColorIndex(TColorValue color) { return IsSystemColor(color) ? static_cast<int>(color & 0xFFu) : -1; }

struct TFontStyles {
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool operator==(const TFontStyles&) const = default;
};

struct TTextDisplay {
  TColorValue color = kWindowTextColor;
  TFontStyles style;
  bool operator==(const TTextDisplay&) const = default;
};

inline constexpr int kMinGridFontSize = 8;
inline constexpr int kMaxGridFontSize = 20;

struct TDisplaySettings {
  TTextDisplay standard;                               // "StandardText"
  TTextDisplay highlighted{kWindowTextColor, {true}};  // "HiLiText"
  TTextDisplay translated{kPureBlue, {}};              // "TranslatedText"
  int fontSize = kMinGridFontSize;
  bool operator==(const TDisplaySettings&) const = default;
};

// The three kinds of text, and the middle part of their keys.
enum class TDisplayElement { StandardText, HiLiText, TranslatedText };
const char* DisplayElementKeyPart(TDisplayElement element);

// Reads the user's settings; every missing or unreadable value takes its
// default (a colour that is no number, a size outside 8..20 is brought into
// the range). Never raises for the values themselves.
TDisplaySettings ReloadDisplaySettings(TdatSettings& settings, std::string_view userName);
// The same for the user the program runs as (GetNetUserName).
TDisplaySettings ReloadDisplaySettings(TdatSettings& settings);

// The options dialog's writers (inside its settings transaction when one is
// open). WriteGridFontSize raises std::invalid_argument, storing nothing,
// for a size outside 8..20.
void WriteTextColor(TdatSettings& settings, std::string_view userName, TDisplayElement element, TColorValue color);
void WriteTextStyle(TdatSettings& settings, std::string_view userName, TDisplayElement element, TFontStyles style);
void WriteGridFontSize(TdatSettings& settings, std::string_view userName, int size);

// The stored forms: the colour as signed 32-bit decimal (0x80000008 is
// "-2147483640"), the style as "B", "I", "U" in that order.
std::string FormatColorSetting(TColorValue color);
std::string FormatStyleSetting(TFontStyles style);
// Readers: decimal (signed or not) or "$" and hex digits; anything else, or
// a number that does not fit 32 bits, gives the default. Style letters in
// any order and case; other characters are ignored.
TColorValue ParseColorSetting(std::string_view text, TColorValue defaultColor);
TFontStyles ParseStyleSetting(std::string_view text);

// The grids' row height for the font size: round(pixelsPerInch x size / 72
// x 1.5), at least 21 pixels.
int GridRowHeight(int pixelsPerInch, int fontSize);

}  // namespace kst
