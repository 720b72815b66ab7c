// The text measure of the real fonts, through Qt's font metrics. Needs a
// QGuiApplication (the offscreen platform will do) but no widgets, so the
// command line can measure as the window does.
#pragma once

#include <QFont>
#include <QFontMetricsF>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "preview/text_measure.h"

namespace kst {

// The installed face that stands in for a Windows face. Liberation Sans,
// Serif and Mono have the widths of Arial, Times New Roman and Courier New;
// where they are not installed, DejaVu takes their place. A face the table
// does not know gets the sans face.
std::string InstalledFace(std::string_view windowsFace);

// The installed font that draws a VCL font (a cell height resolved to an em
// size), unhinted so that widths are the same on every screen.
QFont QtFont(const TFontSpec& spec);

class TQtTextMeasure : public TTextMeasure {
public:
  // Texts are in `codePage` (the language's).
  explicit TQtTextMeasure(int codePage) : codePage_(codePage) {}
  int TextWidth(std::string_view text, const TFontSpec& font) const override;
  int TextHeight(const TFontSpec& font) const override;

private:
  // Resolving a font is most of a measurement's cost, and a form uses few.
  const QFontMetricsF& Metrics(const TFontSpec& font) const;

  int codePage_;
  mutable std::vector<std::pair<TFontSpec, QFontMetricsF>> metrics_;
};

}  // namespace kst
