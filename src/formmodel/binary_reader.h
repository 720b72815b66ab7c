// The one checked reader of binary form data: a span of bytes and a position.
// Every read checks what remains first and fails with "Stream read error"
// instead of reading past the end; integers are little-endian.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kst {

class TBinaryReader {
public:
  explicit TBinaryReader(std::string_view data, size_t position = 0) : data_(data), pos_(position) {}

  size_t Position() const { return pos_; }
  size_t Size() const { return data_.size(); }
  size_t Remaining() const { return pos_ < data_.size() ? data_.size() - pos_ : 0; }
  bool AtEnd() const { return Remaining() == 0; }

  // The next byte without moving on; raises at the end.
  uint8_t Peek() const;
  uint8_t ReadByte();
  int8_t ReadInt8() { return static_cast<int8_t>(ReadByte()); }
  int16_t ReadInt16();
  int32_t ReadInt32();
  uint32_t ReadUInt32();
  // `count` bytes as a view into the data; checked against what remains
  // before anything is done with the count (callers allocate after this).
  std::string_view ReadBytes(uint64_t count);
  // A length byte and that many 8-bit characters.
  std::string_view ReadShortString();
  void Skip(uint64_t count) { ReadBytes(count); }

private:
  void Need(uint64_t count) const;

  std::string_view data_;
  size_t pos_;
};

}  // namespace kst
