// Laying out a form of 500 components and checking its captions, against
// reading that form from its binary resource, measured in the same process:
// switching forms in the window must stay instant, so the layout and the
// fit check together should cost at most ten reads.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

#include "formmodel/form_conversion.h"
#include "formmodel/form_reader.h"
#include "preview/fit_check.h"

namespace kst {
namespace {

using Clock = std::chrono::steady_clock;
double Seconds(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// A proportional-looking measure without a font: the work a real one adds
// is the window's, not the layout's.
class TByteMeasure : public TTextMeasure {
public:
  int TextWidth(std::string_view text, const TFontSpec& font) const override {
    int width = 0;
    for (unsigned char c : text) width += c < 'a' ? font.PixelHeight * 2 / 3 : font.PixelHeight / 2;
    return width;
  }
  int TextHeight(const TFontSpec& font) const override { return ApproximateTextHeight(font); }
};

// 24 aligned panels, each with a label, two buttons, a check box, a group
// box with two radio buttons and a page control of three sheets with an edit
// and two labels each: 21 components a panel, 504 and the form.
std::string FormResource() {
  std::string text = "object Form1: TForm1\r\n  ClientWidth = 800\r\n  ClientHeight = 600\r\n"
                     "  PixelsPerInch = 120\r\n  TextHeight = 16\r\n";
  auto bounds = [](int l, int t, int w, int h) {
    return " Left = " + std::to_string(l) + " Top = " + std::to_string(t) + " Width = " + std::to_string(w) +
           " Height = " + std::to_string(h);
  };
  for (int p = 0; p < 24; ++p) {
    const std::string n = std::to_string(p);
    text += "  object Panel" + n + ": TPanel" + bounds(0, p * 30, 800, 30) + " Align = alTop Caption = 'Panel'\r\n";
    text += "    object Label" + n + ": TLabel" + bounds(8, 8, 60, 13) + " Caption = '&Name of item " + n + "' end\r\n";
    for (int b = 0; b < 2; ++b)
      text += "    object Button" + n + "_" + std::to_string(b) + ": TButton" + bounds(100 + 80 * b, 2, 75, 25) +
              " Caption = 'Run action " + n + "' end\r\n";
    text += "    object Check" + n + ": TCheckBox" + bounds(260, 6, 97, 17) + " Caption = 'Remember it' end\r\n";
    text += "    object Group" + n + ": TGroupBox" + bounds(360, 0, 185, 30) + " Caption = 'Options'\r\n";
    for (int r = 0; r < 2; ++r)
      text += "      object Radio" + n + "_" + std::to_string(r) + ": TRadioButton" + bounds(8 + 90 * r, 12, 80, 17) +
              " Caption = 'Choice " + std::to_string(r) + "' end\r\n";
    text += "    end\r\n    object Pages" + n + ": TPageControl" + bounds(550, 0, 240, 30) + "\r\n";
    for (int s = 0; s < 3; ++s) {
      const std::string m = n + "_" + std::to_string(s);
      text += "      object Sheet" + m + ": TTabSheet Caption = 'Sheet " + m + "'\r\n";
      text += "        object Edit" + m + ": TEdit" + bounds(4, 4, 100, 21) + " Text = 'x' end\r\n";
      for (int k = 0; k < 2; ++k)
        text += "        object Hint" + m + "_" + std::to_string(k) + ": TLabel" + bounds(110, 4 + 10 * k, 40, 13) +
                " Caption = 'Hint' end\r\n";
      text += "      end\r\n";
    }
    text += "    end\r\n  end\r\n";
  }
  return TextToResource(text + "end\r\n");
}

void BM_LayOutForm500(benchmark::State& state) {
  const std::string resource = FormResource();
  const TByteMeasure measure;
  for (auto _ : state) {
    auto start = Clock::now();
    auto root = ReadFormResource(resource);
    const double read = Seconds(start);
    start = Clock::now();
    TFormLayout layout(*root, &measure);
    const auto fits = CheckFit(layout, measure, TFitText::Original);
    const double preview = Seconds(start);
    state.SetIterationTime(preview);
    state.counters["controls"] = static_cast<double>(layout.Controls.size());
    state.counters["texts"] = static_cast<double>(fits.size());
    state.counters["preview_per_read"] = preview / read;
    if (preview > 10 * read) state.SkipWithError("the layout and the fit check took more than ten reads");
  }
}
BENCHMARK(BM_LayOutForm500)->Iterations(20)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace kst
