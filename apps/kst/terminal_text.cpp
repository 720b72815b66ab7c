// Texts between the terminal (UTF-8) and the core's code pages, refusing
// what a page cannot hold instead of turning it into "?".
#include <cstdio>

#include "cli.h"
#include "config/language_info.h"
#include "config/text_helpers.h"
#include "platform/file_utils.h"
#include "session/translator_environment.h"

namespace kst::cli {

namespace {

// The length of the UTF-8 sequence that starts with this byte (1 for a
// stray continuation byte, which the converter then reports on its own).
size_t SequenceLength(unsigned char lead) {
  if (lead >= 0xF0) return 4;
  if (lead >= 0xE0) return 3;
  if (lead >= 0xC0) return 2;
  return 1;
}

}  // namespace

std::string TContext::FromTerminal(const std::string& utf8, int codePage, const std::string& page) const {
  bool lossless = true;
  std::string converted = Utf8ToCodePage(utf8, codePage, lossless);
  if (lossless) return converted;
  for (size_t at = 0; at < utf8.size();) {
    size_t n = std::min(SequenceLength(static_cast<unsigned char>(utf8[at])), utf8.size() - at);
    std::string character = utf8.substr(at, n);
    bool ok = true;
    Utf8ToCodePage(character, codePage, ok);
    if (!ok) {
      std::u16string units = Utf8ToUtf16(character);
      char code[16];
      std::snprintf(code, sizeof code, "U+%04X", units.empty() ? 0u : static_cast<unsigned>(units[0]));
      throw ETerminalError("The text \"" + utf8 + "\" has the character \"" + character + "\" (" + code + "), which " +
                           page + " cannot hold; nothing was changed.");
    }
    at += n;
  }
  throw ETerminalError("The text \"" + utf8 + "\" cannot be held by " + page + "; nothing was changed.");
}

std::string TContext::FromTerminal(const std::string& utf8) const {
  return FromTerminal(utf8, system.ansi, "the project's code page " + std::to_string(system.ansi));
}

std::runtime_error NotSetUp() {
  return std::runtime_error(std::string(EDictionaryNotSetUp().what()) + " Run \"kst dict init DIR\".");
}

std::string AbsoluteArgument(const std::string& path) { return AbsolutePath(path); }

std::string LanguagePageName(int languageId, int codePage) {
  std::string name = TrimBlanks(LanguageDisplayName(languageId, CP_UTF8));
  return "code page " + std::to_string(codePage) + " of " + (name.empty() ? Hex4(languageId) : name);
}

}  // namespace kst::cli
