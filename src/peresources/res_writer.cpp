// The .RES framing: entry headers and their sizes.
#include "peresources/res_writer.h"

#include <stdexcept>

namespace kst {

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
