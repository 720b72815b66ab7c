// The form preview in the window: the current form in the current language,
// a text that does not fit outlined and redrawn alone when committed, the
// grid and the preview selecting each other, the placement remembered.
// Screenshots of the demo's forms (as designed and in German) and of corpus
// forms go to BUILD/ui-screenshots.
#include <algorithm>
#include <filesystem>
#include <set>

#include "config/registry_settings.h"
#include "formmodel/form_reader.h"
#include "platform/file_utils.h"
#include "platform/same_text.h"
#include "ui/form_preview.h"
#include "ui/log_pane.h"
#include "ui/properties_page.h"
#include "ui_fixture.h"

namespace kst::test {
namespace {

ui::TPropertiesPage& Page(TWindowFixture& f) { return *f.Views().Properties(); }

const TTextFit* FitOf(const ui::TFormPreview& preview, const std::string& key) {
  for (const TTextFit& fit : preview.Fits())
    if (fit.Key == key) return &fit;
  return nullptr;
}

const TComponentHelper* Named(const ui::TFormPreview& preview, const std::string& name) {
  return preview.ComponentOfPath(name + ".Caption");
}

// The colour of the preview's pixel, as last painted.
QColor PixelAt(ui::TFormPreview& preview, QPoint at) { return preview.grab().toImage().pixelColor(at); }

TEST(FormPreview, DrawsTheFormInItsLanguageAndRedrawsOnlyWhatACommitChanges) {
  TWindowFixture f({kGerman});
  ui::TPropertiesPage& page = Page(f);
  page.SetPreviewPlacement(QStringLiteral("Beside"), true);
  ui::TTranslationGrid& grid = f.ShowForm("Main.dfm");
  ui::TFormPreview& preview = *page.Preview();
  ASSERT_NE(preview.Layout(), nullptr);
  EXPECT_TRUE(preview.isVisible());
  const TComponentHelper* button = Named(preview, "btnOpen");
  ASSERT_NE(button, nullptr);
  // The client area starts below the caption bar and the menu bar.
  const QRect buttonRect = preview.ControlRect(button);
  EXPECT_EQ(buttonRect.size(), QSize(75, 25));
  EXPECT_EQ(preview.ComponentAt(buttonRect.center()), button);
  EXPECT_EQ(preview.ComponentAt(QPoint(1, 1)), nullptr);
  ASSERT_NE(FitOf(preview, "btnOpen.Caption"), nullptr);
  EXPECT_TRUE(FitOf(preview, "btnOpen.Caption")->Fits);
  TWindowFixture::Screenshot(preview, "preview-main-untranslated");

  // The row first, so that the highlight has moved before the commit.
  grid.SelectRow(f.Row(grid, "btnOpen.Caption"));
  Pump(50);
  const int fullPaints = preview.FullPaints();
  f.Type(grid, f.Row(grid, "btnOpen.Caption"), QStringLiteral("Einstellungen &speichern"));
  Pump(50);
  const TTextFit* fit = FitOf(preview, "btnOpen.Caption");
  ASSERT_NE(fit, nullptr);
  EXPECT_FALSE(fit->Fits);
  EXPECT_GT(fit->Needed, fit->Room);
  EXPECT_EQ(preview.FullPaints(), fullPaints) << "a commit drew the whole form again";
  EXPECT_TRUE(buttonRect.adjusted(-4, -4, 4, 4).contains(preview.LastPaintRect()))
      << "the commit drew beyond the button";
  // The outline is red, just outside the button.
  const QColor edge = PixelAt(preview, QPoint(buttonRect.left() - 1, buttonRect.center().y()));
  EXPECT_GT(edge.red(), 200);
  EXPECT_LT(edge.green(), 60);

  // German through its code page; a wider button in the translation fits.
  f.Type(grid, f.Row(grid, "lblItems.Caption"), QStringLiteral("&Einträge:"));
  f.window->Action(ui::TCommand::ShowNumericProperties)->trigger();
  Pump();
  f.Type(grid, f.Row(grid, "btnOpen.Width"), QStringLiteral("150"));
  Pump(50);
  EXPECT_EQ(preview.ControlRect(button).width(), 150);
  EXPECT_TRUE(FitOf(preview, "btnOpen.Caption")->Fits);
  f.Type(grid, f.Row(grid, "btnOpen.Width"), QStringLiteral("75"));
  f.Type(grid, f.Row(grid, "frmMain.Caption"), QStringLiteral("Kestrin-Vorführung"));
  f.Type(grid, f.Row(grid, "mnuFile.Caption"), QStringLiteral("&Datei"));
  f.Type(grid, f.Row(grid, "mnuHelp.Caption"), QStringLiteral("&Hilfe"));
  f.Type(grid, f.Row(grid, "lvFiles.Columns[0].Caption"), QStringLiteral("Dateiname"));
  f.Type(grid, f.Row(grid, "lstItems.Items.Strings[0]"), QStringLiteral("Erster Eintrag"));
  Pump(50);
  TWindowFixture::Screenshot(preview, "preview-main-german");
  TWindowFixture::Screenshot(*f.window, "preview-window-beside");

  // The window's check reports the measured misfit.
  f.window->CheckTranslations();
  Pump();
  EXPECT_TRUE(f.window->Log().toPlainText().contains(QStringLiteral("The translation does not fit")))
      << f.window->Log().toPlainText().toStdString();

  ui::TTranslationGrid& about = f.ShowForm("About.dfm");
  TWindowFixture::Screenshot(*page.Preview(), "preview-about-untranslated");
  f.Type(about, f.Row(about, "frmAbout.Caption"), QStringLiteral("Über die Kestrin-Vorführung"));
  f.Type(about, f.Row(about, "lblProduct.Caption"), QStringLiteral("Kestrin-Vorführung, Version 1.2"));
  f.Type(about, f.Row(about, "memNotes.Lines.Strings[0]"), QStringLiteral("Dieses Programm zeigt, was ein Übersetzer sieht:"));
  f.Type(about, f.Row(about, "btnOK.Caption"), QStringLiteral("Schließen"));
  Pump(50);
  for (const TTextFit& f : page.Preview()->Fits()) EXPECT_TRUE(f.Fits) << f.Key;
  TWindowFixture::Screenshot(*page.Preview(), "preview-about-german");
}

TEST(FormPreview, AClickSelectsTheControlsRowsAndTheCurrentRowIsHighlighted) {
  TWindowFixture f({kGerman});
  ui::TPropertiesPage& page = Page(f);
  page.SetPreviewPlacement(QStringLiteral("Beside"), true);
  ui::TTranslationGrid& grid = f.ShowForm("Main.dfm");
  ui::TFormPreview& preview = *page.Preview();

  const TComponentHelper* list = preview.ComponentOfPath("lstItems.Hint");
  ASSERT_NE(list, nullptr);
  QTest::mouseClick(&preview, Qt::LeftButton, {}, preview.ControlRect(list).center());
  Pump();
  EXPECT_EQ(grid.Model()->Key(grid.CurrentRow()).rfind("lstItems.", 0), 0u);
  std::set<std::string> selected;
  for (const QModelIndex& index : grid.View()->selectionModel()->selectedIndexes())
    selected.insert(grid.Model()->Key(index.row()));
  EXPECT_EQ(selected, (std::set<std::string>{"lstItems.Hint", "lstItems.Items.Strings[0]",
                                             "lstItems.Items.Strings[1]", "lstItems.Items.Strings[2]"}));
  EXPECT_EQ(preview.Highlighted(), list);

  // A menu item on the bar is a control of its own.
  const TComponentHelper* file = preview.ComponentOfPath("mnuFile.Caption");
  QTest::mouseClick(&preview, Qt::LeftButton, {}, preview.ControlRect(file).center());
  Pump();
  EXPECT_EQ(grid.Model()->Key(grid.CurrentRow()), "mnuFile.Caption");

  grid.SelectRow(f.Row(grid, "btnOpen.Hint"));
  Pump();
  EXPECT_EQ(preview.Highlighted(), preview.ComponentOfPath("btnOpen.Hint"));
  // An item inside a menu shows where its menu is on the bar.
  grid.SelectRow(f.Row(grid, "mnuFileExit.Caption"));
  Pump();
  EXPECT_EQ(preview.ControlRect(preview.Highlighted()), preview.ControlRect(file));
  // A non-visual component has nothing to highlight.
  grid.SelectRow(f.Row(grid, "dlgOpen.Title"));
  Pump();
  EXPECT_EQ(preview.Highlighted(), nullptr);
}

TEST(FormPreview, ThePlacementIsRememberedAndATabHoldsThePreviewOnRequest) {
  {
    TWindowFixture f({kGerman});
    ui::TPropertiesPage& page = Page(f);
    EXPECT_EQ(page.PreviewPlacement()->currentData().toString(), QStringLiteral("Tab"));
    f.ShowForm("Main.dfm");
    EXPECT_TRUE(page.Views()->isVisible());
    page.Views()->setCurrentIndex(1);
    Pump();
    EXPECT_TRUE(page.Preview()->isVisible());
    TWindowFixture::Screenshot(*f.window, "preview-window-tab");
    page.SetPreviewPlacement(QStringLiteral("Hidden"), true);
    EXPECT_FALSE(page.PreviewArea()->isVisible());
    EXPECT_EQ(page.Preview()->Layout(), nullptr) << "a hidden preview is not kept up to date";
    EXPECT_EQ(ReadFormPreviewPlacement(f.location), "Hidden");
    page.SetPreviewPlacement(QStringLiteral("Beside"), true);
    EXPECT_TRUE(page.Grid()->isVisible());
    EXPECT_TRUE(page.PreviewArea()->isVisible());
    EXPECT_NE(page.Preview()->Layout(), nullptr);
    EXPECT_EQ(ReadFormPreviewPlacement(f.location), "Beside");
  }
}

// One control of each class the preview draws, and one it does not know:
// each leaves its mark inside its bounds; the unknown one is framed and
// named; tabs, menu items and tool buttons answer clicks of their own.
TEST(FormPreview, EveryClassIsDrawnAndAnUnknownOneIsFramed) {
  auto root = ReadFormText(R"(object Form1: TForm1 ClientWidth = 640 ClientHeight = 480 Menu = mnuMain
    object lbl: TLabel Left = 8 Top = 8 Width = 40 Height = 13 Caption = 'Label' end
    object btn: TButton Left = 8 Top = 30 Width = 75 Height = 25 Caption = '&OK' Default = True end
    object bit: TBitBtn Left = 90 Top = 30 Width = 75 Height = 25 Kind = bkCancel Caption = 'Cancel' end
    object spd: TSpeedButton Left = 170 Top = 30 Width = 25 Height = 25 Caption = 'S' end
    object edt: TEdit Left = 8 Top = 60 Width = 100 Height = 21 Text = 'Edit' end
    object mem: TMemo Left = 120 Top = 60 Width = 100 Height = 40 Lines.Strings = ('One' 'Two') end
    object chk: TCheckBox Left = 8 Top = 110 Width = 90 Height = 17 Caption = 'Check' Checked = True end
    object rad: TRadioButton Left = 100 Top = 110 Width = 90 Height = 17 Caption = 'Radio' end
    object grp: TGroupBox Left = 8 Top = 130 Width = 120 Height = 60 Caption = 'Group' end
    object rgp: TRadioGroup Left = 140 Top = 130 Width = 120 Height = 60 Caption = 'Choice'
      Items.Strings = ('A' 'B') ItemIndex = 0 end
    object pnl: TPanel Left = 270 Top = 130 Width = 100 Height = 60 Caption = 'Panel' end
    object bvl: TBevel Left = 380 Top = 130 Width = 100 Height = 60 end
    object lst: TListBox Left = 8 Top = 200 Width = 100 Height = 60 Items.Strings = ('First' 'Second') end
    object cmb: TComboBox Left = 120 Top = 200 Width = 100 Height = 21 Text = 'Combo' end
    object pgc: TPageControl Left = 230 Top = 200 Width = 200 Height = 100 ActivePage = tsTwo
      object tsOne: TTabSheet Caption = 'One'
        object onFirst: TLabel Left = 4 Top = 4 Width = 30 Height = 13 Caption = 'First' end end
      object tsTwo: TTabSheet Caption = 'Two' object inner: TLabel Left = 4 Top = 4 Width = 30 Height = 13 Caption = 'In' end end
      object tsThree: TTabSheet Caption = 'Three' end end
    object sgr: TStringGrid Left = 440 Top = 200 Width = 190 Height = 100 end
    object dbg: TDBGrid Left = 8 Top = 310 Width = 200 Height = 80
      Columns = < item Title.Caption = 'Name' Width = 80 end> end
    object img: TImage Left = 220 Top = 310 Width = 60 Height = 60 end
    object gad: TMyGadget Left = 290 Top = 310 Width = 100 Height = 60 end
    object tlb: TToolBar Left = 0 Top = 0 Width = 640 Height = 29 ShowCaptions = True
      object tbOpen: TToolButton Left = 0 Top = 2 Caption = 'Open' end end
    object sbr: TStatusBar Left = 0 Top = 461 Width = 640 Height = 19
      Panels = < item Text = 'Ready' Width = 100 end item Text = 'Line 1' end> end
    object mnuMain: TMainMenu object mnuFile: TMenuItem Caption = '&File' end end
  end)");
  ui::TFormPreview preview;
  preview.SetForm(root.get(), 1252, TFitText::Original);
  const QImage image = preview.grab().toImage();
  auto marks = [&](const QRect& r) {
    int count = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
      for (int x = r.left(); x <= r.right(); ++x) count += image.pixelColor(x, y) != QColor(0xC0, 0xC0, 0xC0);
    return count;
  };
  for (const char* name : {"lbl", "btn", "bit", "spd", "edt", "mem", "chk", "rad", "grp", "rgp", "pnl", "bvl", "lst",
                           "cmb", "pgc", "sgr", "dbg", "img", "gad", "tlb", "sbr", "inner"}) {
    const TComponentHelper* c = root->FindComponentByName(name);
    ASSERT_NE(c, nullptr) << name;
    const QRect r = preview.ControlRect(c);
    ASSERT_TRUE(r.isValid()) << name << " is not drawn";
    EXPECT_GT(marks(r), 8) << name << " left no mark";
  }
  EXPECT_FALSE(preview.ControlRect(root->FindComponentByName("tsOne")).isEmpty()) << "its tab is there";
  TWindowFixture::Screenshot(preview, "preview-every-class");

  // Clicks: a tab names its sheet, a menu item itself, a tool button itself.
  for (const char* name : {"tsOne", "tsThree", "mnuFile", "tbOpen", "inner", "gad"}) {
    const TComponentHelper* c = root->FindComponentByName(name);
    EXPECT_EQ(preview.ComponentAt(preview.ControlRect(c).center()), c) << name;
  }
  // A control on a page not shown turns its page control to that page; so
  // does a click on a tab.
  const TComponentHelper* onFirst = root->FindComponentByName("onFirst");
  EXPECT_FALSE(preview.ControlRect(onFirst).isValid());
  preview.Highlight(onFirst);
  EXPECT_EQ(preview.Highlighted(), onFirst);
  EXPECT_TRUE(preview.ControlRect(onFirst).isValid());
  EXPECT_FALSE(preview.ControlRect(root->FindComponentByName("inner")).isValid());
  const TComponentHelper* third = root->FindComponentByName("tsThree");
  QTest::mouseClick(&preview, Qt::LeftButton, {}, preview.ControlRect(third).center());
  EXPECT_TRUE(preview.Layout()->Find(third)->Visible);
  EXPECT_FALSE(preview.ControlRect(onFirst).isValid());

  // A longer tab caption widens its tab and moves the next.
  const QRect three = preview.ControlRect(root->FindComponentByName("tsThree"));
  root->FindComponentByName("tsTwo")->FindPropertyItem("Caption")->TranslatedValue = "Zweite Seite";
  preview.SetForm(root.get(), 1252, TFitText::Translated);
  EXPECT_GT(preview.ControlRect(root->FindComponentByName("tsThree")).left(), three.left());
}

// Colours as forms store them: by name, as $00BBGGRR, and as a system
// colour (high bit set); a label that grows past its bounds is outlined
// where its text ends, not where its stored width ends.
TEST(FormPreview, ColoursAndTheOutlineOfALabelThatGrows) {
  auto root = ReadFormText(R"(object Form1: TForm1 ClientWidth = 300 ClientHeight = 200 Color = clWhite
    object named: TPanel Left = 0 Top = 0 Width = 50 Height = 50 BevelOuter = bvNone Color = clTeal end
    object bgr: TPanel Left = 60 Top = 0 Width = 50 Height = 50 BevelOuter = bvNone Color = $000000FF end
    object system: TPanel Left = 120 Top = 0 Width = 50 Height = 50 BevelOuter = bvNone Color = -2147483635 end
    object grows: TLabel Left = 8 Top = 100 Width = 20 Height = 13 Caption = 'A' end
  end)");
  root->FindComponentByName("grows")->FindPropertyItem("Caption")->TranslatedValue =
      std::string(60, 'W');  // far wider than the form
  ui::TFormPreview preview;
  preview.SetForm(root.get(), 1252, TFitText::Translated);
  const QImage image = preview.grab().toImage();
  auto centre = [&](const char* name) {
    return image.pixelColor(preview.ControlRect(root->FindComponentByName(name)).center());
  };
  EXPECT_EQ(centre("named"), QColor(0, 0x80, 0x80));
  EXPECT_EQ(centre("bgr"), QColor(0xFF, 0, 0)) << "$00BBGGRR: the low byte is red";
  EXPECT_EQ(centre("system"), QColor(0, 0, 0x80)) << "COLOR_HIGHLIGHT, the classic navy";
  const QRect form = preview.ControlRect(root.get());
  EXPECT_EQ(image.pixelColor(form.center().x(), form.bottom() - 20), QColor(Qt::white));

  const TComponentHelper* label = root->FindComponentByName("grows");
  const TTextFit* fit = FitOf(preview, "grows.Caption");
  ASSERT_NE(fit, nullptr);
  EXPECT_FALSE(fit->Fits) << "it grows only to the form's edge";
  const QRect bounds = preview.ControlRect(label);
  // The outline runs where the grown label ends, at the form's edge, far
  // beyond its stored 20 pixels.
  const int right = bounds.left() + fit->Room;
  EXPECT_GT(right, bounds.right() + 100);
  EXPECT_GT(image.pixelColor(right - 1, bounds.top()).red(), 200);
  EXPECT_LT(image.pixelColor(right - 1, bounds.top()).green(), 60);
}

// A damaged form's sizes near the integer limit: laid out without overflow
// (the sanitizer build would see one), and a widget of sane size.
TEST(FormPreview, AFormOfAbsurdSizeStaysAWidgetOfSaneSize) {
  auto tall = ReadFormText("object Form1: TForm1 ClientWidth = 100 ClientHeight = 2000000000 end");
  ui::TFormPreview preview;
  preview.SetForm(tall.get(), 1252, TFitText::Original);
  EXPECT_LE(preview.sizeHint().height(), 8192);
  // Drawn too, at a width whose picture stays small.
  auto wide = ReadFormText("object Form1: TForm1 ClientWidth = 1000000 ClientHeight = 40 "
                           "object far: TButton Left = 2147483647 Top = -2147483647 Width = 2147483647 Height = 9 "
                           "Caption = 'Far' end end");
  preview.SetForm(wide.get(), 1252, TFitText::Original);
  EXPECT_LE(preview.sizeHint().width(), 8192);
  EXPECT_FALSE(preview.grab().isNull());
}

// A form whose file changed is read again while a question is still open,
// before the window refills: a paint or a click then must not reach into
// the freed tree (the sanitizer build would see it).
TEST(FormPreview, AFormReadAgainBeforeTheWindowRefillsIsLeftAlone) {
  TWindowFixture f({kGerman});
  ui::TPropertiesPage& page = Page(f);
  page.SetPreviewPlacement(QStringLiteral("Beside"), true);
  f.ShowForm("Main.dfm");
  ui::TFormPreview& preview = *page.Preview();
  const QPoint button = preview.ControlRect(preview.ComponentOfPath("btnOpen.Caption")).center();
  TModuleHelper& form = *f.window->Session().CurrentForm();
  f.window->Project().ReloadModule(form);
  EXPECT_FALSE(preview.grab().isNull());
  EXPECT_EQ(preview.ComponentAt(button), nullptr);
  QTest::mouseClick(&preview, Qt::LeftButton, {}, button);
  f.window->AfterStructureChange();
  Pump();
  EXPECT_EQ(preview.Root(), form.Root.get());
  EXPECT_NE(preview.ComponentAt(button), nullptr);
}

// Every binary form of the corpus that reads is drawn; the five with the
// most controls are kept as screenshots to look at.
TEST(FormPreview, DrawsEveryCorpusForm) {
  const TCorpusForms corpus = FindCorpusForms();
  if (corpus.root.empty()) GTEST_SKIP() << "the shared corpus (../shared/corpus, KST_SHARED_DIR) is not there";
  struct TDrawn {
    size_t controls;
    std::string name;
    QImage image;
  };
  std::vector<TDrawn> drawn;
  for (const std::string& path : corpus.binary) {
    std::unique_ptr<TComponentHelper> root;
    try {
      root = ReadFormFile(ReadFileBytes(path));
    } catch (const std::exception&) {
      continue;  // the form model's own tests answer for forms it cannot read
    }
    const std::filesystem::path entry(path);
    ui::TFormPreview preview;
    preview.SetForm(root.get(), 1252, TFitText::Original);
    ASSERT_NE(preview.Layout(), nullptr) << path;
    const QImage image = preview.grab().toImage();
    EXPECT_FALSE(image.isNull()) << path;
    EXPECT_EQ(image.size(), preview.sizeHint()) << path;
    std::string name = entry.parent_path().filename().string() + "-" + entry.stem().string();
    drawn.push_back({preview.Layout()->Controls.size(), name, image});
  }
  ASSERT_FALSE(drawn.empty());
  std::stable_sort(drawn.begin(), drawn.end(), [](const TDrawn& a, const TDrawn& b) { return a.controls > b.controls; });
  QDir().mkpath(QString::fromStdString(BinDir() + "/../ui-screenshots"));
  for (size_t k = 0; k < std::min<size_t>(5, drawn.size()); ++k)
    drawn[k].image.save(QString::fromStdString(BinDir() + "/../ui-screenshots/preview-corpus-" + drawn[k].name + ".png"));
}

}  // namespace
}  // namespace kst::test
