// Building 32-bit resource files (.RES) in memory, shared by every writer of
// resources: a little-endian byte buffer that can leave a placeholder for a
// size and patch it later, pad to an alignment, and frame resource entries.
//
//   entry:  u32 DataSize (without padding), u32 HeaderSize,
//           type, name: each u16 0xFFFF + u16 id, or a zero-terminated UTF-16
//           name; zero bytes to a multiple of 4,
//           u32 DataVersion, u16 MemoryFlags, u16 LanguageId, u32 Version,
//           u32 Characteristics; then the data; zero bytes to a multiple of 4
//   A file starts with the empty entry: 0, 32, FFFF 0000, FFFF 0000, 16 zeros.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace kst {

class TByteWriter {
public:
  void U8(uint8_t v) { data_.push_back(static_cast<char>(v)); }
  void U16(uint16_t v);
  void U32(uint32_t v);
  void Bytes(std::span<const uint8_t> bytes);
  void Bytes(std::string_view bytes) { data_.append(bytes); }
  // The code units of `text`, without a terminator.
  void Utf16(std::u16string_view text);

  // Writes a u32 of 0 and returns where, for Patch32 once the value is known.
  size_t Placeholder32();
  void Patch32(size_t at, uint32_t value);
  void Patch16(size_t at, uint16_t value);
  // Zero bytes until the size is a multiple of `alignment`.
  void PadTo(size_t alignment);

  size_t Size() const { return data_.size(); }
  const std::string& Data() const { return data_; }
  std::string Take() { return std::move(data_); }
  void Reserve(size_t bytes) { data_.reserve(bytes); }

private:
  std::string data_;
};

// A resource type or name: a number, or a name string (stored as given;
// Windows looks names up in upper case, so callers pass them so).
struct TResId {
  bool numeric = true;
  uint16_t id = 0;
  std::u16string name;
  static TResId Number(uint16_t id) { return {true, id, {}}; }
  static TResId Named(std::u16string name) { return {false, 0, std::move(name)}; }
};

struct TResHeaderFields {
  uint32_t dataVersion = 0;
  uint16_t memoryFlags = 0;
  uint16_t language = 0;
  uint32_t version = 0;
  uint32_t characteristics = 0;
};

class TResWriter {
public:
  // Starts the file with the empty entry.
  TResWriter();

  // Writes the header of an entry with a data size still open; the data is
  // then written to Out(), and EndResource fills the size in and pads.
  void BeginResource(const TResId& type, const TResId& name, const TResHeaderFields& fields);
  void EndResource();

  TByteWriter& Out() { return out_; }
  std::string Take() { return out_.Take(); }

private:
  void WriteId(const TResId& id);

  TByteWriter out_;
  size_t sizeAt_ = 0;
  size_t dataStart_ = 0;
  bool open_ = false;
};

}  // namespace kst
