// The form model's error classes.
#include "formmodel/form_errors.h"

namespace kst {

std::string FormatMessage(std::string_view pattern, std::string_view arg) {
  std::string out(pattern);
  size_t at = out.find("%s");
  if (at != std::string::npos) out.replace(at, 2, arg);
  return out;
}

static std::string ParseErrorText(const std::string& message, int line) {
  std::string out = FormatMessage(kSParseError, message);
  size_t at = out.find("%d");
  if (at != std::string::npos) out.replace(at, 2, std::to_string(line));
  return out;
}

EParserError::EParserError(const std::string& message, int line)
    : EFormError(ParseErrorText(message, line)), reason_(message), line_(line) {}

}  // namespace kst
