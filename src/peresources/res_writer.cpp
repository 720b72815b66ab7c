// The .RES framing: placeholders, padding and entry headers.
#include "peresources/res_writer.h"

#include <stdexcept>

namespace kst {

void TByteWriter::U16(uint16_t v) {
  U8(static_cast<uint8_t>(v));
  U8(static_cast<uint8_t>(v >> 8));
}

void TByteWriter::U32(uint32_t v) {
  U16(static_cast<uint16_t>(v));
  U16(static_cast<uint16_t>(v >> 16));
}

void TByteWriter::Bytes(std::span<const uint8_t> bytes) {
  data_.append(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

void TByteWriter::Utf16(std::u16string_view text) {
  size_t at = data_.size();
  data_.resize(at + text.size() * 2);
  for (char16_t c : text) {
    data_[at++] = static_cast<char>(c & 0xFF);
    data_[at++] = static_cast<char>(c >> 8);
  }
}

size_t TByteWriter::Placeholder32() {
  size_t at = data_.size();
  U32(0);
  return at;
}

void TByteWriter::Patch32(size_t at, uint32_t value) {
  if (at + 4 > data_.size()) throw std::logic_error("Patch32 past the end of the buffer");
  for (int i = 0; i < 4; ++i) data_[at + i] = static_cast<char>(value >> (8 * i));
}

void TByteWriter::Patch16(size_t at, uint16_t value) {
  if (at + 2 > data_.size()) throw std::logic_error("Patch16 past the end of the buffer");
  data_[at] = static_cast<char>(value & 0xFF);
  data_[at + 1] = static_cast<char>(value >> 8);
}

void TByteWriter::PadTo(size_t alignment) {
  while (data_.size() % alignment != 0) U8(0);
}

TResWriter::TResWriter() {
  BeginResource(TResId::Number(0), TResId::Number(0), {});
  EndResource();
}

void TResWriter::WriteId(const TResId& id) {
  if (id.numeric) {
    out_.U16(0xFFFF);
    out_.U16(id.id);
  } else {
    out_.Utf16(id.name);
    out_.U16(0);
  }
}

void TResWriter::BeginResource(const TResId& type, const TResId& name, const TResHeaderFields& fields) {
  if (open_) throw std::logic_error("BeginResource inside an open resource");
  open_ = true;
  size_t start = out_.Size();
  sizeAt_ = out_.Placeholder32();
  size_t headerSizeAt = out_.Placeholder32();
  WriteId(type);
  WriteId(name);
  out_.PadTo(4);
  out_.U32(fields.dataVersion);
  out_.U16(fields.memoryFlags);
  out_.U16(fields.language);
  out_.U32(fields.version);
  out_.U32(fields.characteristics);
  out_.Patch32(headerSizeAt, static_cast<uint32_t>(out_.Size() - start));
  dataStart_ = out_.Size();
}

void TResWriter::EndResource() {
  if (!open_) throw std::logic_error("EndResource without BeginResource");
  open_ = false;
  out_.Patch32(sizeAt_, static_cast<uint32_t>(out_.Size() - dataStart_));
  out_.PadTo(4);
}

}  // namespace kst
