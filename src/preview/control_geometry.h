// What the preview knows about VCL classes: which ones are not drawn, which
// align themselves by default, what room their client area and their
// caption leave. The one table behind the layout and the fit check.
#pragma once

#include <span>
#include <string_view>

namespace kst {

enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

// How a parent insets the rectangle its aligned children share.
enum class TClientKind {
  Plain,        // the whole client area
  Panel,        // BorderWidth and the bevels (TPanel and kin)
  GroupBox,     // a caption's text height on top, a frame around
  PageControl,  // a frame and the tab row; its tab sheets fill the rest
  TabSheet,     // placed by its page control, never by its own bounds
};

// How a control draws its caption, which decides the room the text has.
enum class TCaptionKind {
  None,
  Label,        // AutoSize grows it; WordWrap wraps it
  Button,       // centred between side margins
  GlyphButton,  // a button with an optional glyph beside the text
  CheckBox,     // a check box or radio button glyph, then the text
  GroupBox,     // the caption sits on the frame, indented
  Panel,        // centred inside the bevels
  TabSheet,     // the tab grows with the text while the row has room
};

struct TControlClass {
  std::string_view ClassName;
  bool NonVisual = false;
  TAlign DefaultAlign = TAlign::alNone;
  TClientKind Client = TClientKind::Plain;
  TCaptionKind Caption = TCaptionKind::None;
  // BorderStyle's default is bsSingle: a border narrows the client area
  // unless the form says bsNone.
  bool BorderByDefault = false;
  // AutoSize's default is True: the control grows to its caption unless the
  // form says AutoSize = False. Classes without AutoSize keep their size.
  bool AutoSizeByDefault = false;
};

// The table's row for a class (compared without regard to case); nullptr
// for a class it does not know, which the layout treats as a plain control
// when it has a size and as non-visual when it has none.
const TControlClass* FindControlClass(std::string_view className);

// Pixels a control keeps for itself around its caption, at 96 dpi, as the
// Windows 95 / NT 4 look draws them. They are good to a pixel or two, not
// exact: themes, Ctl3D and font hinting move them.
struct TCaptionMargins {
  int Left = 0;   // before the text (glyphs included)
  int Right = 0;  // after it
};
TCaptionMargins CaptionMargins(TCaptionKind kind);

// The gap between a glyph and the text of a bitmap or speed button
// (Spacing's default), and the padding on each side of a tab's caption.
inline constexpr int kGlyphSpacing = 4;
inline constexpr int kTabPadding = 6;
// A page control's frame around its tab sheets, and the height of the tab
// row beyond the caption's text height.
inline constexpr int kPageFrame = 4;
inline constexpr int kTabRowExtra = 7;

// Grids, list views and header controls keep their column titles in a
// collection, each item with its own width; the padding is what the header
// draws on each side of a title.
struct TColumnTitles {
  std::string_view ClassName;
  std::string_view Collection;    // "Columns"
  std::string_view TextProperty;  // "Title.Caption"
  int Padding;
};
std::span<const TColumnTitles> ColumnTitles();

TAlign AlignFromName(std::string_view name);
const char* AlignName(TAlign align);

}  // namespace kst

namespace kst {

// The non-client parts of a form window for its BorderStyle, with Windows'
// classic metrics at 96 dpi (SM_CXFRAME 4, SM_CXDLGFRAME 3, SM_CYCAPTION 19,
// SM_CYSMCAPTION 15). A form that stores Width/Height gets its client area
// by taking these off; one that stores ClientWidth/ClientHeight needs none.
struct TWindowFrame {
  int Border = 0;   // each side and the bottom
  int Caption = 0;  // the caption bar
};
TWindowFrame FormFrame(std::string_view borderStyle);
// A main menu's bar (SM_CYMENU), taken off the client height when the
// form's Menu is set.
inline constexpr int kMenuBarHeight = 19;

}  // namespace kst
