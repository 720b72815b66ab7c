// The one checked reader through which every byte of a compiled module or a
// resource file is read: a span of bytes and a position. Offsets are computed
// in 64 bits and compared with the size before anything is touched; a read
// that would leave the span raises EPEResourceError with the caller's message.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>

namespace kst {

// A compiled module or a resource file is damaged or is not one; the message
// is the one a person sees ("Invalid Dos Header!", ...).
class EPEResourceError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

class TByteReader {
public:
  // `failure` (a literal: it is kept, not copied) is the message of every
  // error this reader raises.
  TByteReader(std::span<const uint8_t> bytes, const char* failure) : bytes_(bytes), failure_(failure) {}

  uint64_t Size() const { return bytes_.size(); }
  uint64_t Position() const { return pos_; }
  uint64_t Remaining() const { return bytes_.size() - pos_; }

  // True when `length` bytes from `offset` lie inside the span (offset may be
  // negative: it comes from subtracting addresses taken from the file).
  bool Fits(int64_t offset, uint64_t length) const {
    return offset >= 0 && static_cast<uint64_t>(offset) <= bytes_.size() &&
           length <= bytes_.size() - static_cast<uint64_t>(offset);
  }
  // Raises unless Fits(offset, length).
  void Require(int64_t offset, uint64_t length) const {
    if (!Fits(offset, length)) Fail();
  }

  void Seek(int64_t offset) {
    Require(offset, 0);
    pos_ = static_cast<uint64_t>(offset);
  }
  void Skip(uint64_t count) {
    if (count > Remaining()) Fail();
    pos_ += count;
  }

  uint8_t U8() { return static_cast<uint8_t>(Take(1)); }
  uint16_t U16() { return static_cast<uint16_t>(Take(2)); }
  uint32_t U32() { return static_cast<uint32_t>(Take(4)); }

  // Little-endian reads at an absolute offset; the position does not move.
  uint16_t U16At(int64_t offset) const {
    Require(offset, 2);
    return Le(bytes_.data() + offset, 2);
  }
  uint32_t U32At(int64_t offset) const {
    Require(offset, 4);
    return static_cast<uint32_t>(Le(bytes_.data() + offset, 4));
  }

  // `count` bytes from the position, as a view into the span (not copied).
  std::span<const uint8_t> Bytes(uint64_t count) {
    if (count > Remaining()) Fail();
    auto result = bytes_.subspan(pos_, count);
    pos_ += count;
    return result;
  }
  // `count` UTF-16 code units from the position (they are unaligned in the
  // file, so they are assembled one by one).
  std::u16string Utf16(uint64_t count);

  [[noreturn]] void Fail() const { throw EPEResourceError(failure_); }

private:
  static uint32_t Le(const uint8_t* p, int n) {
    uint32_t v = 0;
    for (int i = n - 1; i >= 0; --i) v = (v << 8) | p[i];
    return v;
  }
  uint32_t Take(int n) {
    if (static_cast<uint64_t>(n) > Remaining()) Fail();
    uint32_t v = Le(bytes_.data() + pos_, n);
    pos_ += n;
    return v;
  }

  std::span<const uint8_t> bytes_;
  const char* failure_;
  uint64_t pos_ = 0;
};

// UTF-16 code units read from little-endian bytes (which need not be aligned).
std::u16string Utf16FromBytes(std::span<const uint8_t> bytes);

}  // namespace kst
