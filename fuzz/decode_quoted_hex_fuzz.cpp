// Fuzzes DecodeQuotedHex (warnings recorded, never a crash) and checks that
// encoding then decoding gives every input back.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "config/interaction.h"
#include "config/text_helpers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  kst::TRecordingInteraction ui;
  std::string decoded = kst::DecodeQuotedHex(text, &ui);
  if (decoded.size() > text.size()) __builtin_trap();
  if (kst::DecodeQuotedHex(kst::EncodeQuotedHex(text)) != text) __builtin_trap();
  return 0;
}
