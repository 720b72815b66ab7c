// Fuzzes ReadScript over any text, then writes the string-table resource of
// what was read: a set or EConvertError, and always a resource whose blocks
// account for every byte.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "config/text_helpers.h"
#include "resstrings/resource_strings.h"
#include "resstrings/string_tables.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  kst::TResourceStringsHelper strings;
  try {
    strings.ReadScriptText(text);
  } catch (const kst::EConvertError&) {
  }
  std::string res = kst::StringTableResource(strings, 1252);
  // Walk the entries by their sizes: they must land exactly on the end.
  size_t at = 32;
  while (at + 32 <= res.size()) {
    uint32_t dataSize = 0;
    for (int i = 3; i >= 0; --i) dataSize = (dataSize << 8) | static_cast<uint8_t>(res[at + i]);
    at = (at + 32 + dataSize + 3) & ~size_t{3};
  }
  if (at != res.size()) __builtin_trap();
  return 0;
}
