// Reading and writing the display settings of the translation grids.
#include "dictionary/display_settings.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <stdexcept>

#include "config/text_helpers.h"
#include "dictionary/settings.h"
#include "platform/user_name.h"

namespace kst {

namespace {

struct TElementDefaults {
  TDisplayElement element;
  const char* keyPart;
  TColorValue color;
  const char* style;
};

const TElementDefaults kElements[] = {
    {TDisplayElement::StandardText, "StandardText", kWindowTextColor, ""},
    {TDisplayElement::HiLiText, "HiLiText", kWindowTextColor, "B"},
    {TDisplayElement::TranslatedText, "TranslatedText", kPureBlue, ""},
};

const TElementDefaults& Defaults(TDisplayElement element) {
  for (const TElementDefaults& d : kElements)
    if (d.element == element) return d;
  throw std::logic_error("unknown display element");
}

std::string ElementKey(std::string_view userName, TDisplayElement element, const char* what) {
  return UserSettingKey(userName, std::string("\\") + Defaults(element).keyPart + "\\" + what);
}

TTextDisplay ReadElement(TdatSettings& settings, std::string_view userName, TDisplayElement element) {
  const TElementDefaults& d = Defaults(element);
  TTextDisplay display;
  display.color = ParseColorSetting(settings.ReadSetting(ElementKey(userName, element, "Color"), ""), d.color);
  display.style = ParseStyleSetting(settings.ReadSetting(ElementKey(userName, element, "Style"), d.style));
  return display;
}

}  // namespace

const char* DisplayElementKeyPart(TDisplayElement element) { return Defaults(element).keyPart; }

std::string FormatColorSetting(TColorValue color) { return std::to_string(static_cast<int32_t>(color)); }

std::string FormatStyleSetting(TFontStyles style) {
  std::string text;
  if (style.bold) text += 'B';
  if (style.italic) text += 'I';
  if (style.underline) text += 'U';
  return text;
}

TColorValue ParseColorSetting(std::string_view text, TColorValue defaultColor) {
  std::string trimmed = TrimBlanks(text);
  std::string_view digits = trimmed;
  int base = 10;
  if (!digits.empty() && digits[0] == '$') {
    digits.remove_prefix(1);
    base = 16;
  }
  long long value = 0;
  auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
  if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size()) return defaultColor;
  // Both readings of 32 bits: the signed one we write and the unsigned one
  // of a hex text or an older writer.
  if (value < INT32_MIN || value > static_cast<long long>(UINT32_MAX)) return defaultColor;
  return static_cast<TColorValue>(static_cast<uint32_t>(value));
}

TFontStyles ParseStyleSetting(std::string_view text) {
  std::string upper = UpperCaseAscii(text);
  return TFontStyles{upper.find('B') != std::string::npos, upper.find('I') != std::string::npos,
                     upper.find('U') != std::string::npos};
}

TDisplaySettings ReloadDisplaySettings(TdatSettings& settings, std::string_view userName) {
  TDisplaySettings result;
  result.standard = ReadElement(settings, userName, TDisplayElement::StandardText);
  result.highlighted = ReadElement(settings, userName, TDisplayElement::HiLiText);
  result.translated = ReadElement(settings, userName, TDisplayElement::TranslatedText);
  // The options dialog offers 8 to 20 only; a size typed into the store by
  // hand is brought into that range rather than breaking the dialog's list.
  result.fontSize = std::clamp(settings.ReadSetting(UserSettingKey(userName, "\\FontSize"), kMinGridFontSize),
                               kMinGridFontSize, kMaxGridFontSize);
  return result;
}

TDisplaySettings ReloadDisplaySettings(TdatSettings& settings) {
  return ReloadDisplaySettings(settings, GetNetUserName());
}

void WriteTextColor(TdatSettings& settings, std::string_view userName, TDisplayElement element, TColorValue color) {
  settings.WriteSetting(ElementKey(userName, element, "Color"), FormatColorSetting(color));
}

void WriteTextStyle(TdatSettings& settings, std::string_view userName, TDisplayElement element, TFontStyles style) {
  settings.WriteSetting(ElementKey(userName, element, "Style"), FormatStyleSetting(style));
}

void WriteGridFontSize(TdatSettings& settings, std::string_view userName, int size) {
  if (size < kMinGridFontSize || size > kMaxGridFontSize)
    throw std::invalid_argument("The grid font size " + std::to_string(size) + " is not between " +
                                std::to_string(kMinGridFontSize) + " and " + std::to_string(kMaxGridFontSize) +
                                " points.");
  settings.WriteSetting(UserSettingKey(userName, "\\FontSize"), size);
}

int GridRowHeight(int pixelsPerInch, int fontSize) {
  return std::max(21, static_cast<int>(std::lround(pixelsPerInch * fontSize / 72.0 * 1.5)));
}

}  // namespace kst
