// The measure of the real fonts, offscreen: which face stands in for a
// Windows one, and that widths grow as they should.
#include "ui/qt_text_measure.h"

#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QGuiApplication>

#include "preview/fit_check.h"

namespace kst {
namespace {

std::string Sans() { return QFontDatabase::hasFamily("Liberation Sans") ? "Liberation Sans" : "DejaVu Sans"; }

TEST(QtTextMeasure, MapsWindowsFacesToInstalledOnes) {
  const std::string serif = QFontDatabase::hasFamily("Liberation Serif") ? "Liberation Serif" : "DejaVu Serif";
  const std::string mono = QFontDatabase::hasFamily("Liberation Mono") ? "Liberation Mono" : "DejaVu Sans Mono";
  for (auto [windows, installed] : std::initializer_list<std::pair<const char*, std::string>>{
           {"MS Sans Serif", Sans()},
           {"ms sans serif", Sans()},
           {"Tahoma", Sans()},
           {"Times New Roman", serif},
           {"Courier New", mono},
           {"Fixedsys", mono},
           {"Wingdings", Sans()},
           {"", Sans()}})
    EXPECT_EQ(InstalledFace(windows), installed) << windows;
}

TEST(QtTextMeasure, WidthsGrowWithTextBoldnessAndSize) {
  const TQtTextMeasure measure(1252);
  TFontSpec regular;  // MS Sans Serif, 11 px
  TFontSpec bold = regular;
  bold.Bold = true;
  TFontSpec large = regular;
  large.PixelHeight = 22;
  const std::string text = "Textdatei \xF6\x66\x66nen";  // "oe" in code page 1252
  EXPECT_GT(measure.TextWidth(text, regular), measure.TextWidth("Datei", regular));
  EXPECT_GT(measure.TextWidth(text, bold), measure.TextWidth(text, regular));
  EXPECT_GT(measure.TextWidth(text, large), measure.TextWidth(text, regular));
  EXPECT_GT(measure.TextHeight(large), measure.TextHeight(regular));
  EXPECT_EQ(measure.TextWidth("", regular), 0);
  // "&&" is drawn as one ampersand once the caption's accelerators are resolved.
  EXPECT_EQ(measure.TextWidth(StripAccelerators("A&&B"), regular), measure.TextWidth("A&B", regular));
  // A cell height holds the leading: the line is that high, the glyphs smaller.
  TFontSpec cell = regular;
  cell.PixelHeight = 13;
  cell.CellHeight = true;
  EXPECT_NEAR(measure.TextHeight(cell), 13, 1);
}

}  // namespace
}  // namespace kst

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
