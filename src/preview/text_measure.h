// A control's font as the VCL resolves it, and the one question the layout
// and the fit check ask of a real font: how large a text is drawn in it.
#pragma once

#include <string>
#include <string_view>

namespace kst {

struct TFontSpec {
  std::string Name = "MS Sans Serif";
  // Pixels on the 96-dpi screen. Delphi's Font.Height is negative for the
  // character (em) height and positive for the cell height, which also
  // holds the internal leading; CellHeight keeps which one it was.
  int PixelHeight = 11;
  bool CellHeight = false;
  bool Bold = false;
  bool Italic = false;
  bool Underline = false;
  bool StrikeOut = false;
  // Font.Charset as a number (DEFAULT_CHARSET 1, ANSI_CHARSET 0, ...).
  int Charset = 1;

  bool operator==(const TFontSpec&) const = default;
};

// Measures one line of text. The text is 8-bit in the code page the
// implementation was made for (the language's), accelerators already
// resolved; widths and heights are pixels at 96 dpi.
class TTextMeasure {
public:
  virtual ~TTextMeasure() = default;
  virtual int TextWidth(std::string_view text, const TFontSpec& font) const = 0;
  // The height of a line, as Canvas.TextHeight gives it (cell height).
  virtual int TextHeight(const TFontSpec& font) const = 0;
};

// The cell height of a font without a measure: the em height and a fifth of
// it for the internal leading, which is what MS Sans Serif and Arial have
// (8 points at 96 dpi: 11 -> 13).
int ApproximateTextHeight(const TFontSpec& font);

}  // namespace kst
