// A font without a font: every character the same advance, lines as high as
// the approximation the layout uses, so expected pixels can be worked out by hand.
#pragma once

#include "preview/text_measure.h"

namespace kst::test {

class TFixedAdvanceMeasure : public TTextMeasure {
public:
  explicit TFixedAdvanceMeasure(int advance = 6) : advance_(advance) {}
  int TextWidth(std::string_view text, const TFontSpec&) const override {
    return static_cast<int>(text.size()) * advance_;
  }
  int TextHeight(const TFontSpec& font) const override { return ApproximateTextHeight(font); }

private:
  int advance_;
};

}  // namespace kst::test
