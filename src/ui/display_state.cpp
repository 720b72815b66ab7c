// Display styles and the screen's code page.
#include "ui/display_state.h"

#include <QPalette>

#include "config/language_info.h"

namespace kst::ui {

TDisplayState::TDisplayState() {
  styles[kStyleHighlighted].bold = true;
  styles[kStyleTranslated].color = QColor(0, 0, 255);
}

int TDisplayState::ScreenCodePage(int languageId, const TSystemCodePages& system) const {
  if (charset == 1) return languageId > 0 ? LanguageAnsiCodePage(languageId, system) : system.ansi;
  int page = CharsetCodePage(charset, system);
  return page > 0 ? page : system.ansi;
}

QFont TDisplayState::Font(int style, const QFont& base) const {
  QFont font = base;
  const TDisplayStyle& s = styles.at(static_cast<size_t>(style));
  font.setBold(s.bold);
  font.setItalic(s.italic);
  font.setUnderline(s.underline);
  if (style != kStyleHeader) font.setPointSize(fontSize);
  return font;
}

QColor TDisplayState::Color(int style, const QPalette& palette) const {
  const TDisplayStyle& s = styles.at(static_cast<size_t>(style));
  if (!s.color.isValid()) return palette.color(QPalette::Text);
  // Pure blue on a dark background is hard to read; keep its hue, lighten it.
  if (palette.color(QPalette::Base).lightness() < 100 && s.color.lightness() < 100) return s.color.lighter(220);
  return s.color;
}

}  // namespace kst::ui
