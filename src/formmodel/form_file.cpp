// Form files as projects hold them: binary resources (Delphi 3 and every
// later version's default) or form text (what Delphi 5 and later write when
// "text DFM" is chosen).
#include <string>

#include "formmodel/form_conversion.h"
#include "formmodel/form_errors.h"

namespace kst {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool StartsWithWord(std::string_view text, std::string_view word) {
  if (text.size() <= word.size() || !IsBlank(text[word.size()])) return false;
  for (size_t i = 0; i < word.size(); ++i)
    if ((text[i] | 0x20) != word[i]) return false;
  return true;
}

}  // namespace

bool IsFormText(std::string_view bytes) {
  if (bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom) bytes.remove_prefix(kUtf8Bom.size());
  size_t start = 0;
  while (start < bytes.size() && IsBlank(bytes[start])) ++start;
  bytes.remove_prefix(start);
  return StartsWithWord(bytes, "object") || StartsWithWord(bytes, "inherited") || StartsWithWord(bytes, "inline");
}

std::string FormFileToText(std::string_view bytes, int codePage) {
  if (!IsFormText(bytes)) return ResourceToText(bytes);
  if (bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
    bytes.remove_prefix(kUtf8Bom.size());
    // Such text comes from Delphi versions whose strings are Unicode; its
    // characters beyond ASCII have no ANSI code page to be read in here.
    for (char c : bytes)
      if (static_cast<unsigned char>(c) >= 0x80) throw EReadError(kSUtf8FormText);
  }
  // Through the stream, so that the values read are exactly the ones the
  // language module's binary form will carry.
  return BinaryToText(TextToBinary(bytes, codePage));
}

}  // namespace kst
