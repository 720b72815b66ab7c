// Fuzzes DecodeEscapes: any input gives a result or EConvertError, never a crash.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "config/text_helpers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  try {
    std::string decoded = kst::DecodeEscapes(text);
    // Decoding never makes a text longer.
    if (decoded.size() > text.size()) __builtin_trap();
  } catch (const kst::EConvertError&) {
  }
  return 0;
}
