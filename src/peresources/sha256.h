// SHA-256 of a byte range, as lower-case hex: the fingerprint the resource
// listing prints for each leaf so that it can be compared with other tools.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace kst {

std::string Sha256Hex(std::span<const uint8_t> data);

}  // namespace kst
