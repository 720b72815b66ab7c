// The form model's error classes.
#include "formmodel/form_errors.h"

#include <cstdio>

#include "config/text_helpers.h"
#include "platform/codepage.h"

namespace kst {

static std::string ParseErrorText(const std::string& message, int line) {
  std::string out = FormatText(kSParseError, message);
  size_t at = out.find("%d");
  if (at != std::string::npos) out.replace(at, 2, std::to_string(line));
  return out;
}

std::string WideCharRefusedMessage(std::string_view key, char16_t character, int codePage) {
  char code[8];
  std::snprintf(code, sizeof code, "%04X", static_cast<unsigned>(character));
  return std::string(key) + ": the original holds the character U+" + code + ", which code page " +
         std::to_string(codePage) +
         " cannot hold and shows as \"?\"; a translation with \"?\" would put a question mark in its place, so it is "
         "refused and the original kept.";
}

char16_t WideTranslationLoss(std::u16string_view text, std::string_view translation, int codePage) {
  if (translation.find('?') == std::string_view::npos) return 0;
  bool lossless = true;
  Utf8ToCodePage(Utf16ToUtf8(text), codePage, lossless);
  if (lossless) return 0;
  for (char16_t c : text) {
    Utf8ToCodePage(Utf16ToUtf8(std::u16string_view(&c, 1)), codePage, lossless);
    if (!lossless) return c;
  }
  return text.empty() ? 0 : text[0];  // a pair of surrogates no single unit shows
}

EParserError::EParserError(const std::string& message, int line)
    : EFormError(ParseErrorText(message, line)), reason_(message), line_(line) {}

EParserError::EParserError(const EParserError& error, std::string_view fileName)
    : EFormError(std::string(fileName) + ": " + error.what()), reason_(error.reason_), line_(error.line_) {}

}  // namespace kst
