// The text measure of the real fonts, through Qt's font metrics. Needs a
// QGuiApplication (the offscreen platform will do) but no widgets, so the
// command line can measure as the window does.
#pragma once

#include <string>
#include <string_view>

#include "preview/text_measure.h"

namespace kst {

// The installed face that stands in for a Windows face. Liberation Sans,
// Serif and Mono have the widths of Arial, Times New Roman and Courier New;
// where they are not installed, DejaVu takes their place. A face the table
// does not know gets the sans face.
std::string InstalledFace(std::string_view windowsFace);

class TQtTextMeasure : public TTextMeasure {
public:
  // Texts are in `codePage` (the language's).
  explicit TQtTextMeasure(int codePage) : codePage_(codePage) {}
  int TextWidth(std::string_view text, const TFontSpec& font) const override;
  int TextHeight(const TFontSpec& font) const override;

private:
  int codePage_;
};

}  // namespace kst
