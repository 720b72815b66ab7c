// The checked binary reader.
#include "formmodel/binary_reader.h"

#include "formmodel/form_errors.h"

namespace kst {

void TBinaryReader::Need(uint64_t count) const {
  // Computed in 64 bits so that a huge count cannot wrap around.
  if (static_cast<uint64_t>(pos_) + count > static_cast<uint64_t>(data_.size())) throw EReadError(kSReadError);
}

uint8_t TBinaryReader::Peek() const {
  Need(1);
  return static_cast<uint8_t>(data_[pos_]);
}

uint8_t TBinaryReader::ReadByte() {
  Need(1);
  return static_cast<uint8_t>(data_[pos_++]);
}

int16_t TBinaryReader::ReadInt16() {
  Need(2);
  auto b = reinterpret_cast<const uint8_t*>(data_.data() + pos_);
  pos_ += 2;
  return static_cast<int16_t>(static_cast<uint16_t>(b[0] | (b[1] << 8)));
}

uint32_t TBinaryReader::ReadUInt32() {
  Need(4);
  auto b = reinterpret_cast<const uint8_t*>(data_.data() + pos_);
  pos_ += 4;
  return static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) | (static_cast<uint32_t>(b[2]) << 16) |
         (static_cast<uint32_t>(b[3]) << 24);
}

int32_t TBinaryReader::ReadInt32() { return static_cast<int32_t>(ReadUInt32()); }

std::string_view TBinaryReader::ReadBytes(uint64_t count) {
  Need(count);
  std::string_view out = data_.substr(pos_, static_cast<size_t>(count));
  pos_ += static_cast<size_t>(count);
  return out;
}

std::string_view TBinaryReader::ReadShortString() {
  uint8_t length = ReadByte();
  return ReadBytes(length);
}

}  // namespace kst
