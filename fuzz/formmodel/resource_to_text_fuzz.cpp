// Fuzzes the binary form reader: any bytes either convert or raise one of
// the form errors, and the text made from them converts back or raises a
// parse error (names in a stream may hold bytes that form text cannot).
#include <cstdint>
#include <string>

#include "formmodel/form_conversion.h"
#include "formmodel/form_errors.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string input(reinterpret_cast<const char*>(data), size);
  std::string text;
  try {
    kst::ResourceToText(input, text);
  } catch (const kst::EFormError&) {
    return 0;
  }
  try {
    kst::TextToBinary(text);
  } catch (const kst::EParserError&) {
  }
  return 0;
}
