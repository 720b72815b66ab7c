// TSymbolFileStream and the tagged value stream of the binary translation
// files. Every value starts with a tag byte:
//   0x06 | n (1 byte)          | n bytes  short string, n <= 255
//   0x0C | n (4 bytes, LE)     | n bytes  long string (written for n > 255)
//   0x01                                  list begin
//   0x00                                  list end
// Texts are ANSI bytes as they stand, without terminator.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "formmodel/form_errors.h"
#include "platform/byte_reader.h"
#include "platform/byte_writer.h"

namespace kst {

class TTranslatorRegistry;

inline constexpr uint16_t fmOpenRead = 0;
inline constexpr uint16_t fmCreate = 0xFFFF;

// A file opened by a name whose path macros are expanded first. Open for
// reading, the whole file is held in memory; created, the bytes collect in
// memory and reach the disk only through Commit, which replaces the file
// atomically, so a crash or a full disk leaves the previous file intact.
// Raises EFileError ("Cannot create file %s" when Commit fails).
class TSymbolFileStream {
public:
  // `registry` may be null: the name is then used as it stands.
  TSymbolFileStream(const std::string& fileName, uint16_t mode, const TTranslatorRegistry* registry);
  const std::string& FileName() const { return fileName_; }
  std::string_view Data() const { return data_; }
  void Write(std::string_view bytes) { data_.append(bytes); }
  std::string& Buffer() { return data_; }
  void Commit();

private:
  std::string fileName_;
  uint16_t mode_;
  std::string data_;
};

// Reads tagged values from bytes; every read checks what remains first.
// Raises EReadError "Stream read error" when the bytes end early (a length
// that runs past the end included, before anything is allocated) and
// "Invalid property value" for an unexpected tag.
class TTaggedReader {
public:
  explicit TTaggedReader(std::string_view data) : reader_(data, kSReadError) {}
  std::string ReadString();
  void ReadListBegin();
  void ReadListEnd();
  // Peeks: true when the next value is the list end (not consumed).
  bool EndOfList() { return reader_.Peek() == 0x00; }
  size_t Position() const { return static_cast<size_t>(reader_.Position()); }

private:
  TByteReader<EReadError> reader_;
};

class TTaggedWriter {
public:
  explicit TTaggedWriter(std::string& out) : out_(out) {}
  void WriteString(std::string_view text);
  void WriteListBegin() { out_.U8(0x01); }
  void WriteListEnd() { out_.U8(0x00); }

private:
  TByteWriter out_;
};

}  // namespace kst
