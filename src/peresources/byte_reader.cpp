// The checked reader's out-of-line parts.
#include "peresources/byte_reader.h"

namespace kst {

std::u16string Utf16FromBytes(std::span<const uint8_t> bytes) {
  std::u16string text(bytes.size() / 2, u'\0');
  for (size_t i = 0; i < text.size(); ++i)
    text[i] = static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
  return text;
}

std::u16string TByteReader::Utf16(uint64_t count) {
  if (count > Remaining() / 2) Fail();
  return Utf16FromBytes(Bytes(count * 2));
}

}  // namespace kst
