// The grids on a project made for them: one form of 5,000 values and
// 65,535 resource strings. Each figure is a ratio against the core in the
// same process (offscreen):
// - filling the property grid against the session's own SelectForm;
// - sorting the resource-string grid by each column against a plain
//   std::stable_sort of the same keys;
// - scrolling the resource-string grid from top to bottom (repaints, and
//   the widgets that exist before and after: none is made per cell);
// - the heap the window takes for the project beyond the session's data.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <QApplication>
#include <QHeaderView>
#include <QScrollBar>
#include <QTableView>

#include <algorithm>
#include <chrono>
#include <filesystem>

#include "config/interaction.h"
#include "config/registry_settings.h"
#include "formmodel/form_conversion.h"
#include "platform/file_utils.h"
#include "project/project_data.h"
#include "session/file_change_check.h"
#include "session/translation_session.h"
#include "support/big_project.h"
#include "session/translator_environment.h"
#include "ui/grid_model.h"
#include "ui/main_window.h"
#include "ui/properties_page.h"
#include "ui/qt_interaction.h"
#include "ui/resource_strings_page.h"
#include "ui/spell_checker.h"
#include "ui/translation_grid.h"
#include "ui/translation_views.h"

namespace kst::bench {

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kLabels = 1000;  // five values each
constexpr int kGridStrings = 65535;
constexpr int kGerman = 0x0407;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }
size_t Heap() { return mallinfo2().uordblks; }

struct TGridProject {
  std::string dir, project, config;
};

const TGridProject& GridProject() {
  static TGridProject g = [] {
    TGridProject out;
    out.dir = fs::temp_directory_path().string() + "/kst-bench-grids";
    fs::remove_all(out.dir);
    fs::create_directories(out.dir);
    out.config = out.dir + "/cfg";
    std::string form = "object Grid: TGrid\r\n  Caption = 'Five thousand values'\r\n";
    for (int c = 0; c < kLabels; ++c) {
      std::string n = std::to_string(c);
      form += "  object Label" + n + ": TLabel\r\n    Left = " + n + "\r\n    Top = 8\r\n    Caption = 'Caption of label " + n +
              "'\r\n    Hint = 'A hint that explains label " + n + "'\r\n    Font.Style = [fsBold]\r\n  end\r\n";
    }
    form += "end\r\n";
    AtomicWriteFile(out.dir + "/Grid.dfm", TextToResource(form));
    out.project = out.dir + "/Grids.dpr";
    AtomicWriteFile(out.project, "program Grids;\r\n\r\nuses\r\n  Forms,\r\n  Grid in 'Grid.pas' {Grid};\r\n\r\nbegin\r\nend.\r\n");
    std::string drc;
    for (int s = 0; s < kGridStrings; ++s) drc += "#define Unit_S" + std::to_string(s) + " " + std::to_string(s) + "\r\n";
    drc += "STRINGTABLE\r\nBEGIN\r\n";
    // Texts in an order of their own, so that no column comes sorted.
    for (int s = 0; s < kGridStrings; ++s)
      drc += "\tUnit_S" + std::to_string(s) + ",\t\"String " + std::to_string((s * 7919) % kGridStrings) + " of the grid\"\r\n";
    drc += "END\r\n";
    AtomicWriteFile(out.dir + "/Grids.DRC", drc);
    TRegistryLocation location = TRegistryLocation::InDirectory(out.config);
    TTranslatorRegistry registry(location);
    TRecordingInteraction quiet;
    TProjectData p(registry, quiet);
    p.Open(out.project);
    p.AddLanguage(kGerman);
    p.Save();
    return out;
  }();
  return g;
}

TRegistryLocation Location() { return TRegistryLocation::InDirectory(GridProject().config); }

// The window over the grid project with German current and the form shown.
struct TGridWindow {
  ui::TQtInteraction interaction{1252};
  TTranslatorEnvironment environment;
  std::unique_ptr<ui::TfrmLexibox> window;
  explicit TGridWindow(bool dictionary = true) : environment(Location(), interaction) {
    interaction.SetAnswerer([](const QString&, TButtons) { return TAnswer::No; });
    if (dictionary) environment.SetUpDictionary(GridProject().dir + "/dictionary");
    window = std::make_unique<ui::TfrmLexibox>(environment, interaction);
    window->resize(1200, 800);
    window->show();
    window->OpenProject(QString::fromStdString(GridProject().project));
    window->SelectLanguage(kGerman);
    window->ShowTab(ui::TTab::Forms);
    window->SelectForm(window->Ansi(environment.Project().Modules[0].Name));
    QApplication::processEvents();
  }
  ui::TTranslationGrid& Properties() { return *window->Views().Properties()->Grid(); }
  ui::TTranslationGrid& Strings() { return *window->Views().ResourceStrings()->Grid(); }
};

double sessionSelectForm = 0;
double sessionHeap = 0;

// The session's own SelectForm of the big form, which stores it (its
// translation file) and makes it current: what the window's form switch
// costs before the grid is filled.
void BM_SessionSelectForm(benchmark::State& state) {
  TRecordingInteraction quiet;
  TTranslatorEnvironment environment(Location(), quiet);
  environment.SetUpDictionary(GridProject().dir + "/dictionary");
  TTranslationSession& session = environment.Session();
  size_t before = Heap();
  session.OpenProject(GridProject().project);
  session.SelectLanguage(kGerman);
  TModuleHelper* form = environment.Project().Modules[0].Module.get();
  session.SelectForm(form);
  sessionHeap = static_cast<double>(Heap() - before);
  size_t values = 0;
  form->Root->ForEachPropertyPath([&](const std::string&, TCHValue&) { ++values; });
  if (values < 5000) state.SkipWithError("the form has fewer than 5,000 values");
  double total = 0;
  int64_t n = 0;
  for (auto _ : state) {
    auto start = Clock::now();
    session.SelectForm(form);
    total += Seconds(start);
    ++n;
  }
  sessionSelectForm = total / static_cast<double>(n);
  state.counters["values"] = static_cast<double>(values);
}

// The property grid filled for that form (rows listed, sorted again, the
// first page painted), with every value type shown.
void BM_PropertyGridFill(benchmark::State& state) {
  TGridWindow w;
  for (ui::TCommand c : {ui::TCommand::ShowNumericProperties, ui::TCommand::ShowSymbolProperties})
    w.window->Action(c)->trigger();
  ui::TTranslationGrid& grid = w.Properties();
  double total = 0;
  int64_t n = 0;
  for (auto _ : state) {
    auto start = Clock::now();
    grid.Refill();
    grid.View()->viewport()->repaint();
    total += Seconds(start);
    ++n;
  }
  state.counters["rows"] = grid.Model()->rowCount();
  if (sessionSelectForm > 0) state.counters["ratio_to_session_SelectForm"] = total / static_cast<double>(n) / sessionSelectForm;
}

// One column: the model's sort (with the view attached) against
// std::stable_sort of the same keys as plain strings.
void BM_ResourceStringSort(benchmark::State& state) {
  const int column = static_cast<int>(state.range(0));
  TGridWindow w(false);
  w.window->ShowTab(ui::TTab::ResourceStrings);
  QApplication::processEvents();
  ui::TGridModel& model = *w.Strings().Model();
  if (model.rowCount() != kGridStrings) state.SkipWithError("not every string is listed");
  std::vector<std::string> keys;
  for (int row = 0; row < model.rowCount(); ++row) {
    keys.push_back(model.index(row, column).data(Qt::DisplayRole).toString().toStdString());
  }
  double plain = 0, grid = 0;
  int64_t n = 0;
  for (auto _ : state) {
    std::vector<std::string> copy = keys;
    auto start = Clock::now();
    std::stable_sort(copy.begin(), copy.end());
    plain += Seconds(start);
    benchmark::DoNotOptimize(copy.data());
    model.Refill();  // back to the set's order
    start = Clock::now();
    model.Sort(column);
    grid += Seconds(start);
    ++n;
  }
  state.counters["plain_ms"] = plain / static_cast<double>(n) * 1e3;
  state.counters["grid_ms"] = grid / static_cast<double>(n) * 1e3;
  state.counters["ratio_to_stable_sort"] = grid / plain;
}

// Top to bottom a page at a time, each page painted at once.
void BM_ResourceStringScroll(benchmark::State& state) {
  TGridWindow w(false);
  w.window->ShowTab(ui::TTab::ResourceStrings);
  QApplication::processEvents();
  QTableView* view = w.Strings().View();
  QScrollBar* bar = view->verticalScrollBar();
  auto widgets = [&] { return w.window->findChildren<QWidget*>().size(); };
  qsizetype before = widgets();
  int pages = 0;
  for (auto _ : state) {
    for (int value = bar->minimum(); value <= bar->maximum(); value += bar->pageStep()) {
      bar->setValue(value);
      view->viewport()->repaint();
      ++pages;
    }
    bar->setValue(0);
  }
  state.counters["pages"] = pages;
  state.counters["widgets_made"] = static_cast<double>(widgets() - before);
  state.counters["pages_per_second"] = benchmark::Counter(pages, benchmark::Counter::kIsRate);
}

// What the window holds for the project (the session's data and the
// grids) against the session's data alone; the window's own widgets are
// counted before the project is opened.
void BM_GridHeap(benchmark::State& state) {
  for (auto _ : state) {
    ui::TQtInteraction interaction(1252);
    interaction.SetAnswerer([](const QString&, TButtons) { return TAnswer::No; });
    TTranslatorEnvironment environment(Location(), interaction);
    environment.SetUpDictionary(GridProject().dir + "/dictionary");
    ui::TfrmLexibox window(environment, interaction);
    window.resize(1200, 800);
    window.show();
    QApplication::processEvents();
    size_t before = Heap();
    window.OpenProject(QString::fromStdString(GridProject().project));
    window.SelectLanguage(kGerman);
    window.SelectForm(window.Ansi(environment.Project().Modules[0].Name));
    window.ShowTab(ui::TTab::Forms);
    QApplication::processEvents();
    window.ShowTab(ui::TTab::ResourceStrings);
    QApplication::processEvents();
    double held = static_cast<double>(Heap() - before);
    // The spelling dictionary the language brought along is the same
    // whatever the project: counted apart from the grids.
    size_t probe = Heap();
    {
      ui::TSpellChecker spelling;
      spelling.SetLanguage(kGerman);
      double dictionary = static_cast<double>(Heap() - probe);
      state.counters["spelling_dictionary_MB"] = dictionary / 1e6;
      if (sessionHeap > 0) state.counters["heap_ratio_to_session"] = (held - dictionary) / sessionHeap;
    }
    if (sessionHeap > 0) state.counters["heap_ratio_with_spelling"] = held / sessionHeap;
    state.counters["session_MB"] = sessionHeap / 1e6;
  }
}

// The look the window takes every ten seconds, on the project of 500 forms:
// it must not stall the window.
void BM_FileChangeTick(benchmark::State& state) {
  const TGenerated& big = BigProject("kst-bench-ui");
  TRecordingInteraction quiet;
  TTranslatorEnvironment environment(TRegistryLocation::InDirectory(big.dir + "/cfg"), quiet);
  environment.Session().OpenProject(big.project);
  TFileChangeCheck check(environment.Session());
  for (auto _ : state)
    if (check.AnyFileChanged()) state.SkipWithError("a file changed");
  state.counters["forms"] = static_cast<double>(environment.Project().Modules.size());
}

BENCHMARK(BM_FileChangeTick)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_SessionSelectForm)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_PropertyGridFill)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_ResourceStringSort)->DenseRange(0, 5)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ResourceStringScroll)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_GridHeap)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace kst::bench
