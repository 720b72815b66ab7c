// Building 32-bit resource files (.RES) in memory, shared by every writer of
// resources: entry headers framed on the byte writer, whose placeholder
// takes the data size until the data is written.
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
#include <string>

#include "platform/byte_writer.h"

namespace kst {

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
