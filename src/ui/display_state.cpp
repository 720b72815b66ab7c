// Display styles and the screen's code page.
#include "ui/display_state.h"

#include <QPalette>

#include "config/language_info.h"

namespace kst::ui {

TDisplayState::TDisplayState() {
  styles[kStyleHighlighted].bold = true;
  styles[kStyleTranslated].color = QColor(0, 0, 255);
}

namespace {

TDisplayStyle Style(const TTextDisplay& d) {
  TDisplayStyle s;
  // A system colour follows the desktop's palette (invalid stands for it);
  // a plain one is 0x00BBGGRR.
  if (!IsSystemColor(d.color)) s.color = QColor(d.color & 0xFF, (d.color >> 8) & 0xFF, (d.color >> 16) & 0xFF);
  s.bold = d.style.bold;
  s.italic = d.style.italic;
  s.underline = d.style.underline;
  return s;
}

}  // namespace

void TDisplayState::Apply(const TDisplaySettings& settings, int pixelsPerInch) {
  styles[kStyleStandard] = Style(settings.standard);
  styles[kStyleHighlighted] = Style(settings.highlighted);
  styles[kStyleTranslated] = Style(settings.translated);
  fontSize = settings.fontSize;
  rowHeight = GridRowHeight(pixelsPerInch, fontSize);
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
  // Pure blue on a dark background is hard to read; keep its hue, mix it
  // with white. (Lightness alone calls pure blue half-light, which it is
  // not to the eye: the luminance says how light a colour looks.)
  auto luminance = [](const QColor& c) { return 0.2126 * c.redF() + 0.7152 * c.greenF() + 0.0722 * c.blueF(); };
  if (luminance(palette.color(QPalette::Base)) < 0.4 && luminance(s.color) < 0.45) {
    auto toWhite = [](int part) { return part + (255 - part) * 55 / 100; };
    return QColor(toWhite(s.color.red()), toWhite(s.color.green()), toWhite(s.color.blue()));
  }
  return s.color;
}

}  // namespace kst::ui
