// Laying out a form of 500 components and checking its captions, against
// reading that form from its binary resource, measured in the same process:
// switching forms in the window must stay instant, so the layout and the
// fit check together should cost at most ten reads.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

#include "formmodel/form_reader.h"
#include "preview/fit_check.h"
#include "support/form_500.h"

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

void BM_LayOutForm500(benchmark::State& state) {
  const std::string resource = bench::Form500Resource();
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
