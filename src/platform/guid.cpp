// GUIDs from the system's random source.
#include "platform/guid.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <random>

namespace kst {

std::string NewGuidText() {
  // random_device reads the kernel's random source; seeding a generator per
  // call keeps this free of shared state.
  std::random_device device;
  std::array<uint8_t, 16> b;
  for (size_t i = 0; i < b.size(); i += 4) {
    uint32_t r = device();
    for (int k = 0; k < 4; ++k) b[i + k] = static_cast<uint8_t>(r >> (8 * k));
  }
  b[6] = static_cast<uint8_t>((b[6] & 0x0F) | 0x40);  // version 4
  b[8] = static_cast<uint8_t>((b[8] & 0x3F) | 0x80);  // RFC 4122 variant
  char text[37];
  std::snprintf(text, sizeof text, "%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X",
                b[0], b[1], b[2], b[3], b[4], b[5], b[6], b[7], b[8], b[9], b[10], b[11], b[12], b[13], b[14],
                b[15]);
  return text;
}

}  // namespace kst
