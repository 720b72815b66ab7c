#include "ui/qt_text_measure.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QString>

#include <cmath>

#include "platform/codepage.h"
#include "platform/same_text.h"

namespace kst {

namespace {

struct TFaceRow {
  const char* windows;
  const char* metricCompatible;  // same advance widths as the Windows face
  const char* fallback;
};

// MS Sans Serif and Tahoma have no metric twin here; Arial's is the closest
// in width of what Debian ships.
const TFaceRow kFaces[] = {
    {"MS Sans Serif", "Liberation Sans", "DejaVu Sans"},
    {"Arial", "Liberation Sans", "DejaVu Sans"},
    {"Tahoma", "Liberation Sans", "DejaVu Sans"},
    {"Verdana", "Liberation Sans", "DejaVu Sans"},
    {"Times New Roman", "Liberation Serif", "DejaVu Serif"},
    {"Courier New", "Liberation Mono", "DejaVu Sans Mono"},
    {"Courier", "Liberation Mono", "DejaVu Sans Mono"},
    {"Fixedsys", "Liberation Mono", "DejaVu Sans Mono"},
};

// Hinting would snap glyph advances to the pixel grid of the screen in use;
// unhinted design widths make a check give the same result on every machine.
QFont MakeFont(const TFontSpec& spec, int pixelSize) {
  QFont font(QString::fromStdString(InstalledFace(spec.Name)));
  font.setPixelSize(std::max(1, pixelSize));
  font.setHintingPreference(QFont::PreferNoHinting);
  font.setBold(spec.Bold);
  font.setItalic(spec.Italic);
  font.setUnderline(spec.Underline);
  font.setStrikeOut(spec.StrikeOut);
  return font;
}

// A cell height holds the internal leading too: find the em size whose
// line is that high.
QFont ResolveFont(const TFontSpec& spec) {
  QFont font = MakeFont(spec, spec.PixelHeight);
  if (!spec.CellHeight) return font;
  const double line = QFontMetricsF(font).height();
  if (line <= 0) return font;
  return MakeFont(spec, static_cast<int>(std::lround(spec.PixelHeight * spec.PixelHeight / line)));
}

}  // namespace

std::string InstalledFace(std::string_view windowsFace) {
  const TFaceRow* row = &kFaces[0];
  for (const TFaceRow& r : kFaces)
    if (SameText(windowsFace, r.windows)) row = &r;
  return QFontDatabase::hasFamily(row->metricCompatible) ? row->metricCompatible : row->fallback;
}

QFont QtFont(const TFontSpec& spec) { return ResolveFont(spec); }

const QFontMetricsF& TQtTextMeasure::Metrics(const TFontSpec& font) const {
  for (const auto& [spec, metrics] : metrics_)
    if (spec == font) return metrics;
  return metrics_.emplace_back(font, QFontMetricsF(ResolveFont(font))).second;
}

int TQtTextMeasure::TextWidth(std::string_view text, const TFontSpec& font) const {
  const std::u16string wide = CodePageToUtf16(text, codePage_);
  const QString qtext = QString::fromUtf16(wide.data(), static_cast<qsizetype>(wide.size()));
  return static_cast<int>(std::ceil(Metrics(font).horizontalAdvance(qtext)));
}

int TQtTextMeasure::TextHeight(const TFontSpec& font) const {
  return static_cast<int>(std::ceil(Metrics(font).height()));
}

}  // namespace kst
