// The one writer of every binary format the program writes: little-endian
// integers, bytes and UTF-16 appended to a byte string, with a placeholder
// for a size that is known only later (patched in afterwards) and zero
// padding to an alignment.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace kst {

class TByteWriter {
public:
  // Writes into a buffer of its own, handed over by Take.
  TByteWriter() : out_(own_) {}
  // Appends to `target`, which must outlive the writer; what it holds stays.
  explicit TByteWriter(std::string& target) : out_(target) {}
  TByteWriter(const TByteWriter&) = delete;
  TByteWriter& operator=(const TByteWriter&) = delete;

  void U8(uint8_t v) { out_.push_back(static_cast<char>(v)); }
  void U16(uint16_t v) {
    U8(static_cast<uint8_t>(v));
    U8(static_cast<uint8_t>(v >> 8));
  }
  void U32(uint32_t v) {
    U16(static_cast<uint16_t>(v));
    U16(static_cast<uint16_t>(v >> 16));
  }
  void U64(uint64_t v) {
    U32(static_cast<uint32_t>(v));
    U32(static_cast<uint32_t>(v >> 32));
  }
  void Bytes(std::span<const uint8_t> bytes) { out_.append(reinterpret_cast<const char*>(bytes.data()), bytes.size()); }
  void Bytes(std::string_view bytes) { out_.append(bytes); }
  // The code units of `text`, without a terminator.
  void Utf16(std::u16string_view text);

  // Writes a u32 of 0 and returns where, for Patch32 once the value is known.
  size_t Placeholder32();
  // Overwrite what was written at `at`; a patch past the end is a
  // programming error (std::logic_error).
  void Patch32(size_t at, uint32_t value);
  void Patch16(size_t at, uint16_t value);
  // Zero bytes until the size is a multiple of `alignment`.
  void PadTo(size_t alignment);

  size_t Size() const { return out_.size(); }
  const std::string& Data() const { return out_; }
  std::string Take() { return std::move(out_); }
  void Reserve(size_t bytes) { out_.reserve(bytes); }

private:
  std::string own_;
  std::string& out_;
};

}  // namespace kst
