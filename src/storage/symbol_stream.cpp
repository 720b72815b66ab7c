// The file stream and the tagged value codec of the binary translation files.
#include "storage/symbol_stream.h"

#include "config/path_macros.h"
#include "platform/file_utils.h"

namespace kst {

TSymbolFileStream::TSymbolFileStream(const std::string& fileName, uint16_t mode, const TTranslatorRegistry* registry)
    : fileName_(registry ? ExpandPathMacros(fileName, *registry) : ToInternalPath(fileName)), mode_(mode) {
  if (mode_ == fmOpenRead) data_ = ReadFileBytes(fileName_);
}

void TSymbolFileStream::Commit() {
  if (mode_ != fmCreate) return;
  try {
    AtomicWriteFile(fileName_, data_);
  } catch (const EFileError&) {
    throw EFileError("Cannot create file " + fileName_);
  }
}

std::string TTaggedReader::ReadString() {
  uint8_t tag = reader_.U8();
  uint32_t length = 0;
  if (tag == 0x06) {
    length = reader_.U8();
  } else if (tag == 0x0C) {
    length = reader_.U32();
  } else {
    throw EReadError(kSInvalidProperty);
  }
  // The reader checks the length against what remains before the copy.
  return std::string(reader_.Chars(length));
}

void TTaggedReader::ReadListBegin() {
  if (reader_.U8() != 0x01) throw EReadError(kSInvalidProperty);
}

void TTaggedReader::ReadListEnd() {
  if (reader_.U8() != 0x00) throw EReadError(kSInvalidProperty);
}

void TTaggedWriter::WriteString(std::string_view text) {
  if (text.size() <= 255) {
    out_.U8(0x06);
    out_.U8(static_cast<uint8_t>(text.size()));
  } else {
    out_.U8(0x0C);
    out_.U32(static_cast<uint32_t>(text.size()));
  }
  out_.Bytes(text);
}

}  // namespace kst
