// Helpers of the form model tests: building component streams byte by byte,
// comparing the values of two streams or two trees, and the forms of the
// shared corpus.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "formmodel/form_model.h"

namespace kst::test {

// Builds a component stream: TStreamBuilder().Sig().Obj("TForm1", "Form1")...
class TStreamBuilder {
public:
  TStreamBuilder& Raw(std::string_view bytes) { return bytes_ += bytes, *this; }
  TStreamBuilder& Byte(uint8_t b) { return bytes_ += static_cast<char>(b), *this; }
  TStreamBuilder& Int32Raw(uint32_t v);
  TStreamBuilder& Str(std::string_view s) { return Byte(static_cast<uint8_t>(s.size())).Raw(s); }  // short string
  TStreamBuilder& Sig() { return Raw("TPF0"); }
  TStreamBuilder& Obj(std::string_view cls, std::string_view name) { return Str(cls).Str(name); }
  TStreamBuilder& Prop(std::string_view name) { return Str(name); }
  TStreamBuilder& End() { return Byte(0); }
  const std::string& Bytes() const { return bytes_; }
  // The stream with a resource header naming the class in upper case.
  std::string Resource(std::string_view className) const;

private:
  std::string bytes_;
};

// A root form with one property "P" of the given type byte and data.
std::string OneProperty(const std::string& value);

// The first difference between the values of two component streams, read
// by a decoder of this file (not the converter under test), or "" when they
// hold the same values; the same for two trees. Numbers compare by value
// whatever their width, an integral float equals the integer, and floats
// compare at the 15 significant digits that form text keeps; vaString and
// vaLString are both strings. Single, currency (its number times 10,000)
// and date values differ from an Extended of the same number, and wide and
// UTF-8 strings from 8-bit ones, unless `floatWidths` is false (for a
// converter that keeps neither: then strings compare by their characters).
std::string CompareStreams(std::string_view a, std::string_view b, bool floatWidths = true);
std::string CompareTrees(const TComponentHelper& a, const TComponentHelper& b);

// Binary (FF 0A 00 ...) and text forms of the shared corpus; empty when the
// corpus is absent.
struct TCorpusForms {
  std::string root;
  std::vector<std::string> binary;
  std::vector<std::string> text;
};
TCorpusForms FindCorpusForms();

std::string ToHex(std::string_view bytes);

}  // namespace kst::test
