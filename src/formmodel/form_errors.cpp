// The form model's error classes.
#include "formmodel/form_errors.h"

#include "config/text_helpers.h"

namespace kst {

static std::string ParseErrorText(const std::string& message, int line) {
  std::string out = FormatText(kSParseError, message);
  size_t at = out.find("%d");
  if (at != std::string::npos) out.replace(at, 2, std::to_string(line));
  return out;
}

EParserError::EParserError(const std::string& message, int line)
    : EFormError(ParseErrorText(message, line)), reason_(message), line_(line) {}

EParserError::EParserError(const EParserError& error, std::string_view fileName)
    : EFormError(std::string(fileName) + ": " + error.what()), reason_(error.reason_), line_(error.line_) {}

}  // namespace kst
