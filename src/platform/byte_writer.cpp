// The byte writer's placeholders, patches and padding.
#include "platform/byte_writer.h"

#include <stdexcept>

namespace kst {

void TByteWriter::Utf16(std::u16string_view text) {
  size_t at = out_.size();
  out_.resize(at + text.size() * 2);
  for (char16_t c : text) {
    out_[at++] = static_cast<char>(c & 0xFF);
    out_[at++] = static_cast<char>(c >> 8);
  }
}

size_t TByteWriter::Placeholder32() {
  size_t at = out_.size();
  U32(0);
  return at;
}

void TByteWriter::Patch32(size_t at, uint32_t value) {
  if (at > out_.size() || out_.size() - at < 4) throw std::logic_error("Patch32 past the end of the buffer");
  for (int i = 0; i < 4; ++i) out_[at + i] = static_cast<char>(value >> (8 * i));
}

void TByteWriter::Patch16(size_t at, uint16_t value) {
  if (at > out_.size() || out_.size() - at < 2) throw std::logic_error("Patch16 past the end of the buffer");
  out_[at] = static_cast<char>(value & 0xFF);
  out_[at + 1] = static_cast<char>(value >> 8);
}

void TByteWriter::PadTo(size_t alignment) {
  while (out_.size() % alignment != 0) U8(0);
}

}  // namespace kst
