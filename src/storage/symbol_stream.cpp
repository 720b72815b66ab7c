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

uint8_t TTaggedReader::ReadByte() {
  if (pos_ >= data_.size()) throw EReadError(kSReadError);
  return static_cast<uint8_t>(data_[pos_++]);
}

std::string TTaggedReader::ReadString() {
  uint8_t tag = ReadByte();
  uint64_t length = 0;
  if (tag == 0x06) {
    length = ReadByte();
  } else if (tag == 0x0C) {
    for (int i = 0; i < 4; ++i) length |= static_cast<uint64_t>(ReadByte()) << (8 * i);
  } else {
    throw EReadError(kSInvalidProperty);
  }
  // Checked in 64 bits against what remains before anything is allocated.
  if (length > data_.size() - pos_) throw EReadError(kSReadError);
  std::string text(data_.substr(pos_, static_cast<size_t>(length)));
  pos_ += static_cast<size_t>(length);
  return text;
}

void TTaggedReader::ReadListBegin() {
  if (ReadByte() != 0x01) throw EReadError(kSInvalidProperty);
}

void TTaggedReader::ReadListEnd() {
  if (ReadByte() != 0x00) throw EReadError(kSInvalidProperty);
}

bool TTaggedReader::EndOfList() {
  if (pos_ >= data_.size()) throw EReadError(kSReadError);
  return data_[pos_] == '\0';
}

void TTaggedWriter::WriteString(std::string_view text) {
  if (text.size() <= 255) {
    out_.push_back('\x06');
    out_.push_back(static_cast<char>(text.size()));
  } else {
    uint32_t n = static_cast<uint32_t>(text.size());
    out_.push_back('\x0C');
    for (int i = 0; i < 4; ++i) out_.push_back(static_cast<char>((n >> (8 * i)) & 0xFF));
  }
  out_.append(text);
}

}  // namespace kst
