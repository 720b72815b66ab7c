// The one checked reader of every binary format the program reads: a span of
// bytes and a position. Offsets are computed in 64 bits and compared with the
// size before anything is touched; a read that would leave the span raises
// the caller's exception type with the caller's message, so each format keeps
// the error its users know ("Stream read error", "Invalid Dos Header!", ...).
// Integers are little-endian and need no alignment.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace kst {

// `Error` is an exception type constructible from a `const char*`.
template <class Error>
class TByteReader {
public:
  // `message` (a literal: it is kept, not copied) is the message of every
  // error this reader raises.
  TByteReader(std::span<const uint8_t> bytes, const char* message)
      : data_(bytes.data()), size_(bytes.size()), message_(message) {}
  TByteReader(std::string_view bytes, const char* message)
      : data_(reinterpret_cast<const uint8_t*>(bytes.data())), size_(bytes.size()), message_(message) {}

  uint64_t Size() const { return size_; }
  uint64_t Position() const { return pos_; }
  uint64_t Remaining() const { return size_ - pos_; }
  bool AtEnd() const { return pos_ == size_; }

  // True when `length` bytes from `offset` lie inside the span (offset may be
  // negative: it often comes from subtracting addresses taken from the file).
  bool Fits(int64_t offset, uint64_t length) const {
    return offset >= 0 && static_cast<uint64_t>(offset) <= size_ && length <= size_ - static_cast<uint64_t>(offset);
  }
  // Raises unless Fits(offset, length).
  void Require(int64_t offset, uint64_t length) const {
    if (!Fits(offset, length)) Fail();
  }

  void Seek(int64_t offset) {
    Require(offset, 0);
    pos_ = static_cast<size_t>(offset);
  }
  void Skip(uint64_t count) { Take(count); }

  // The next byte without moving on.
  uint8_t Peek() const {
    if (pos_ == size_) Fail();
    return data_[pos_];
  }
  uint8_t U8() { return *Take(1); }
  uint16_t U16() { return Le16(Take(2)); }
  uint32_t U32() { return Le32(Take(4)); }
  int8_t I8() { return static_cast<int8_t>(U8()); }
  int16_t I16() { return static_cast<int16_t>(U16()); }
  int32_t I32() { return static_cast<int32_t>(U32()); }
  uint64_t U64() {
    const uint8_t* p = Take(8);
    return Le32(p) | uint64_t{Le32(p + 4)} << 32;
  }
  int64_t I64() { return static_cast<int64_t>(U64()); }

  // Reads at an absolute offset; the position does not move.
  uint8_t U8At(int64_t offset) const { return *At(offset, 1); }
  uint16_t U16At(int64_t offset) const { return Le16(At(offset, 2)); }
  uint32_t U32At(int64_t offset) const { return Le32(At(offset, 4)); }

  // `count` bytes from the position, as a view into the span (not copied):
  // checked against what remains before the caller can allocate for them.
  std::span<const uint8_t> Bytes(uint64_t count) { return {Take(count), static_cast<size_t>(count)}; }
  std::span<const uint8_t> BytesAt(int64_t offset, uint64_t count) const {
    return {At(offset, count), static_cast<size_t>(count)};
  }
  // The same bytes as 8-bit characters.
  std::string_view Chars(uint64_t count) { return AsChars(Take(count), count); }
  std::string_view CharsAt(int64_t offset, uint64_t count) const { return AsChars(At(offset, count), count); }
  // A length byte and that many 8-bit characters.
  std::string_view ShortString() { return Chars(U8()); }

  // `count` UTF-16 code units, assembled one by one.
  std::u16string Utf16(uint64_t count) {
    if (count > Remaining() / 2) Fail();
    return Units(Take(count * 2), count);
  }
  std::u16string Utf16At(int64_t offset, uint64_t count) const {
    if (count > size_ / 2) Fail();
    return Units(At(offset, count * 2), count);
  }

  [[noreturn]] void Fail() const { throw Error(message_); }

private:
  static uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
  static uint32_t Le32(const uint8_t* p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
  }
  static std::string_view AsChars(const uint8_t* p, uint64_t count) {
    return {reinterpret_cast<const char*>(p), static_cast<size_t>(count)};
  }
  static std::u16string Units(const uint8_t* p, uint64_t count) {
    std::u16string text(static_cast<size_t>(count), u'\0');
    for (size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char16_t>(Le16(p + 2 * i));
    return text;
  }
  // The bytes at the position, moving past them; raises unless all are there.
  const uint8_t* Take(uint64_t count) {
    if (count > Remaining()) Fail();
    const uint8_t* p = data_ + pos_;
    pos_ += static_cast<size_t>(count);
    return p;
  }
  const uint8_t* At(int64_t offset, uint64_t count) const {
    Require(offset, count);
    return data_ + offset;
  }

  const uint8_t* data_;
  size_t size_;
  const char* message_;
  size_t pos_ = 0;
};

}  // namespace kst
