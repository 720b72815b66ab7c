// A font without a font: every character 6 pixels (about MS Sans Serif at 8
// points), lines as high as the layout's approximation.
#pragma once

#include "preview/text_measure.h"

namespace kst::test {

struct TFixedAdvanceMeasure : TTextMeasure {
  int TextWidth(std::string_view text, const TFontSpec&) const override { return static_cast<int>(text.size()) * 6; }
  int TextHeight(const TFontSpec& font) const override { return ApproximateTextHeight(font); }
};

}  // namespace kst::test
