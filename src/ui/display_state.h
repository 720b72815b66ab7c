// How the grids draw texts: the four display styles (header, standard,
// highlighted, translated), the grid font size and the display character
// set, whose code page turns the 8-bit texts into characters on the screen.
#pragma once

#include <QColor>
#include <QFont>

#include <array>

#include "dictionary/display_settings.h"
#include "platform/codepage.h"

namespace kst::ui {

struct TDisplayStyle {
  QColor color;  // invalid: the palette's text colour (a system colour)
  bool bold = false;
  bool italic = false;
  bool underline = false;
};

enum TStyleIndex { kStyleHeader = 0, kStyleStandard = 1, kStyleHighlighted = 2, kStyleTranslated = 3 };

struct TDisplayState {
  std::array<TDisplayStyle, 4> styles;
  int fontSize = 8;
  int rowHeight = 21;  // of every grid's rows, from the font size
  // The font character set chosen in the tool bar (1 "Default").
  int charset = 1;

  TDisplayState();
  // The styles and font size the user stored (colours in Windows' encoding:
  // the system's window-text colour becomes the palette's text colour).
  void Apply(const TDisplaySettings& settings, int pixelsPerInch);
  // The code page the screen shows 8-bit texts of a language in: the chosen
  // character set's, and for "Default" the language's own ANSI code page
  // (the system's when no language is current), so that a translator of a
  // Russian language sees Cyrillic letters whatever the system's page is.
  int ScreenCodePage(int languageId, const TSystemCodePages& system) const;
  // The font of a style: `base` with the style's attributes and the font size.
  QFont Font(int style, const QFont& base) const;
  // The style's colour, the palette's text colour standing in for the
  // system colour so that a dark desktop theme stays readable.
  QColor Color(int style, const QPalette& palette) const;
};

}  // namespace kst::ui
