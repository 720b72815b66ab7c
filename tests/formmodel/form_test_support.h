// Helpers of the form model tests: building component streams byte by byte,
// decoding streams into comparable values, comparing trees, and finding the
// forms of the shared corpus.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "formmodel/form_model.h"

namespace kst::test {

// Builds a component stream: B().Sig().Obj("TForm1", "Form1")...
class TStreamBuilder {
public:
  TStreamBuilder& Sig() { return Raw("TPF0"); }
  TStreamBuilder& Raw(std::string_view bytes);
  TStreamBuilder& Byte(uint8_t b);
  TStreamBuilder& Int32Raw(uint32_t v);
  TStreamBuilder& Str(std::string_view s);  // short string
  TStreamBuilder& Obj(std::string_view cls, std::string_view name) { return Str(cls).Str(name); }
  TStreamBuilder& Prop(std::string_view name) { return Str(name); }
  TStreamBuilder& End() { return Byte(0); }
  TStreamBuilder& Int(int32_t v);  // smallest width, with type byte
  TStreamBuilder& String(std::string_view s);  // vaString / vaLString
  TStreamBuilder& Ident(std::string_view s);
  TStreamBuilder& Binary(std::string_view bytes);
  TStreamBuilder& Extended(long double v);
  const std::string& Bytes() const { return bytes_; }
  // The stream with a resource header for the class name in upper case.
  std::string Resource(std::string_view className) const;

private:
  std::string bytes_;
};

// Form text keeps 15 significant digits of a float, which is within half a
// unit of the 15th digit: a relative 5e-15 at worst (1.00000000000000499...).
inline constexpr double kTextFloatTolerance = 5e-15;

// The first difference between the values of two component streams ("" when
// they hold the same values). Integers compare by value whatever their
// width, and an integral float equals the same integer (the text has no
// decimals for it); floats compare with the given relative tolerance;
// vaString and vaLString are both strings.
std::string CompareStreams(std::string_view a, std::string_view b, double tolerance = kTextFloatTolerance);

// The same for two trees read from form text.
std::string CompareTrees(const TComponentHelper& a, const TComponentHelper& b, double tolerance = kTextFloatTolerance);

// Binary (FF 0A 00 ...) and text forms of the shared corpus, by path; empty
// when the corpus is absent.
struct TCorpusForms {
  std::string root;
  std::vector<std::string> binary;
  std::vector<std::string> text;
};
TCorpusForms FindCorpusForms();

std::string ToHex(std::string_view bytes);

}  // namespace kst::test
