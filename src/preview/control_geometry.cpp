// The class table of the preview: Delphi 3's VCL classes, their default
// alignment, their client area and how they draw their caption.
#include "preview/control_geometry.h"

#include "platform/same_text.h"
#include "preview/text_measure.h"

namespace kst {

namespace {

using enum TAlign;
using enum TClientKind;
using TC = TCaptionKind;

// Visual classes need a row only when they differ from a plain control: a
// default alignment, an inset client area or a caption the fit check
// measures. Non-visual classes are listed so that one which happens to store
// a size (a data module's designer position does) still stays out; any
// other component without Width and Height is taken as non-visual too.
constexpr TControlClass kClasses[] = {
    // Captions.
    {"TLabel", false, alNone, Plain, TC::Label, false, true},
    {"TDBText", false, alNone, Plain, TC::Label},
    {"TStaticText", false, alNone, Plain, TC::Label, false, true},
    {"TButton", false, alNone, Plain, TC::Button},
    {"TBitBtn", false, alNone, Plain, TC::GlyphButton},
    {"TSpeedButton", false, alNone, Plain, TC::GlyphButton},
    {"TCheckBox", false, alNone, Plain, TC::CheckBox},
    {"TRadioButton", false, alNone, Plain, TC::CheckBox},
    {"TDBCheckBox", false, alNone, Plain, TC::CheckBox},
    {"TGroupBox", false, alNone, GroupBox, TC::GroupBox},
    {"TRadioGroup", false, alNone, GroupBox, TC::GroupBox},
    {"TDBRadioGroup", false, alNone, GroupBox, TC::GroupBox},
    {"TPanel", false, alNone, Panel, TC::Panel},
    {"TPageControl", false, alNone, PageControl, TC::None},
    {"TTabControl", false, alNone, PageControl, TC::None},
    {"TTabSheet", false, alNone, TabSheet, TC::TabSheet},
    {"TScrollBox", false, alNone, Plain, TC::None, true},
    // Bars that align themselves unless told otherwise.
    {"TStatusBar", false, alBottom, Plain, TC::None},
    {"TToolBar", false, alTop, Plain, TC::None},
    {"TCoolBar", false, alTop, Plain, TC::None},
    {"THeaderControl", false, alTop, Plain, TC::None},
    // Non-visual components.
    {"TMainMenu", true},      {"TPopupMenu", true},     {"TMenuItem", true},
    {"TTimer", true},         {"TDataSource", true},    {"TTable", true},
    {"TQuery", true},         {"TStoredProc", true},    {"TDatabase", true},
    {"TSession", true},       {"TBatchMove", true},     {"TUpdateSQL", true},
    {"TClientDataSet", true}, {"TProvider", true},      {"TImageList", true},
    {"TActionList", true},    {"TAction", true},        {"TOpenDialog", true},
    {"TSaveDialog", true},    {"TOpenPictureDialog", true},
    {"TSavePictureDialog", true},                       {"TFontDialog", true},
    {"TColorDialog", true},   {"TPrintDialog", true},   {"TPrinterSetupDialog", true},
    {"TFindDialog", true},    {"TReplaceDialog", true}, {"TDdeClientConv", true},
    {"TDdeClientItem", true}, {"TDdeServerConv", true}, {"TDdeServerItem", true},
    {"TClientSocket", true},  {"TServerSocket", true},
};

// A string grid keeps no titles in the form (its cells are filled at run
// time), so only these three have any to check.
constexpr TColumnTitles kColumnTitles[] = {
    {"TDBGrid", "Columns", "Title.Caption", 2},
    {"TListView", "Columns", "Caption", 6},
    {"THeaderControl", "Sections", "Text", 4},
};

}  // namespace

std::span<const TColumnTitles> ColumnTitles() { return kColumnTitles; }

const TControlClass* FindControlClass(std::string_view className) {
  for (const TControlClass& c : kClasses)
    if (SameText(c.ClassName, className)) return &c;
  return nullptr;
}

TCaptionMargins CaptionMargins(TCaptionKind kind) {
  switch (kind) {
    // A push button's 2-pixel edge and the focus rectangle inside it.
    case TC::Button: return {4, 4};
    // The same edge; the glyph and its spacing are added per button.
    case TC::GlyphButton: return {4, 4};
    // The 13-pixel check glyph, 4 pixels to the text, 1 for the focus rectangle.
    case TC::CheckBox: return {17, 1};
    // The caption starts 8 pixels in and the frame must show at both ends.
    case TC::GroupBox: return {8, 8};
    // A pixel of air inside the bevels (which the layout takes off already).
    case TC::Panel: return {1, 1};
    case TC::TabSheet: return {kTabPadding, kTabPadding};
    case TC::Label:
    case TC::None: break;
  }
  return {};
}

TWindowFrame FormFrame(std::string_view borderStyle) {
  if (SameText(borderStyle, "bsNone")) return {0, 0};
  if (SameText(borderStyle, "bsDialog") || SameText(borderStyle, "bsSingle")) return {3, 19};
  if (SameText(borderStyle, "bsToolWindow")) return {3, 15};
  if (SameText(borderStyle, "bsSizeToolWin")) return {4, 15};
  return {4, 19};  // bsSizeable, the default
}

TAlign AlignFromName(std::string_view name) {
  for (TAlign a : {alTop, alBottom, alLeft, alRight, alClient})
    if (SameText(name, AlignName(a))) return a;
  return alNone;
}

const char* AlignName(TAlign align) {
  switch (align) {
    case alTop: return "alTop";
    case alBottom: return "alBottom";
    case alLeft: return "alLeft";
    case alRight: return "alRight";
    case alClient: return "alClient";
    case alNone: break;
  }
  return "alNone";
}

int ApproximateTextHeight(const TFontSpec& font) {
  if (font.CellHeight) return font.PixelHeight;
  return font.PixelHeight + (font.PixelHeight + 2) / 5;
}

}  // namespace kst
