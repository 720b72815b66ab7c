// The form preview of a form with 500 components: building it (layout with
// the real fonts, fit check, hot spots) and drawing it whole, against
// reading that form from its binary resource in the same process; switching
// forms must stay instant, so building should cost at most ten reads. Then
// one committed caption: checking that control again and drawing the part it
// covers, against drawing the whole form.
#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>

#include <chrono>

#include "formmodel/form_reader.h"
#include "support/form_500.h"
#include "ui/form_preview.h"

namespace {

using Clock = std::chrono::steady_clock;
double Seconds(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

void Draw(kst::ui::TFormPreview& preview, const QRect& area) {
  QImage image(preview.size(), QImage::Format_ARGB32_Premultiplied);
  preview.render(&image, area.topLeft(), QRegion(area));
}

void BM_BuildPreview500(benchmark::State& state) {
  const std::string resource = kst::bench::Form500Resource();
  {
    // The window has its fonts loaded long before a form is shown.
    auto root = kst::ReadFormResource(resource);
    kst::ui::TFormPreview warm;
    warm.SetForm(root.get(), 1252, kst::TFitText::Original);
    Draw(warm, warm.rect());
  }
  for (auto _ : state) {
    auto start = Clock::now();
    auto root = kst::ReadFormResource(resource);
    const double read = Seconds(start);
    kst::ui::TFormPreview preview;
    start = Clock::now();
    preview.SetForm(root.get(), 1252, kst::TFitText::Original);
    const double build = Seconds(start);
    start = Clock::now();
    Draw(preview, preview.rect());
    const double draw = Seconds(start);
    // One caption changed: only its button is checked and drawn again.
    kst::TComponentHelper* button = root->FindComponentByName("Button12_1");
    button->FindPropertyItem("Caption")->TranslatedValue = "Einstellungen speichern";
    preview.SetForm(root.get(), 1252, kst::TFitText::Translated);
    start = Clock::now();
    preview.TextChanged(button);
    Draw(preview, preview.ControlRect(button).adjusted(-4, -4, 4, 4));
    const double commit = Seconds(start);
    state.SetIterationTime(build);
    state.counters["controls"] = static_cast<double>(preview.Layout()->Controls.size());
    state.counters["build_per_read"] = build / read;
    state.counters["draw_per_read"] = draw / read;
    state.counters["commit_per_full_draw"] = commit / draw;
    if (build > 10 * read) state.SkipWithError("building the preview took more than ten reads");
  }
}
BENCHMARK(BM_BuildPreview500)->Iterations(10)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace
