// Fuzzes the form text converter: any text either converts or raises a
// located parse error; a stream it made must convert back to text.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "formmodel/form_conversion.h"
#include "formmodel/form_errors.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string input(reinterpret_cast<const char*>(data), size);
  std::string resource;
  try {
    kst::TextToResource(input, resource);
  } catch (const kst::EParserError&) {
    return 0;
  }
  try {
    kst::ResourceToText(resource);
  } catch (const kst::EFormError&) {
    std::abort();  // our own output must always read
  }
  return 0;
}
