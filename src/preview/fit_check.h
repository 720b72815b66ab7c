// Does each caption-like text of a form fit the room its control gives it?
// The room comes from the layout and the class table's margins, the text's
// size from a TTextMeasure: the window's real fonts, or a fake in tests.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "preview/form_layout.h"
#include "preview/text_measure.h"

namespace kst {

// The property path of a component's values, as the translation files
// name them: a named component by its name, an unnamed one by its parent's
// key and its place among the children ("Form1{3}").
std::string ComponentKey(const TComponentHelper& component);

// True when the component's Caption is drawn in a box of fixed size: its
// AutoSize is False, or it has none and its class's default is False (or
// the class has no AutoSize). False for every class the table does not
// know (a descendant of our own, a third-party control), and for classes
// that size to their caption (tab sheets, forms, menu items).
bool HasFixedCaptionSize(const TComponentHelper& component);

// The text as the control draws it: "&x" is x (underlined), "&&" one "&",
// a trailing lone "&" nothing.
std::string StripAccelerators(std::string_view caption);

// The room a control's caption has, in pixels at 96 dpi.
struct TCaptionRoom {
  int Width = 0;
  // An AutoSize label that is neither aligned nor word-wrapped grows to its
  // text; Width is then what its parent leaves it to the right.
  bool Grows = false;
  // A word-wrapped label breaks its text into lines of Width; Height is
  // then the room for those lines (0: AutoSize, it grows downwards).
  bool Wraps = false;
  int Height = 0;
};
// The room of a control's Caption (labels, buttons, check boxes, group
// boxes, panels, tab sheets); for a tab sheet `otherTabs` is the width the
// other tabs of its page control take. Width 0 for a class without one.
TCaptionRoom CaptionRoom(const TFormLayout& layout, const TControlLayout& control, int otherTabs = 0);

struct TTextFit {
  std::string Key;  // the property path ("Button1.Caption", "DBGrid1.Columns[0].Title.Caption")
  const TComponentHelper* Component = nullptr;
  std::string Text;  // as drawn: accelerators resolved
  // The widest line in pixels; for a word-wrapped label with a fixed height
  // the height of its lines, and for one that grows the widest word.
  int Needed = 0;
  int Room = 0;  // what Needed is compared with
  bool Fits = true;
};

// Every caption-like text of the form's visual controls, original or
// translated as `which` asks, in tree order. Texts the form leaves empty
// are left out; a control without room for its caption (sized 0) is
// reported as not fitting once it has a text. With `only`, just that
// control's texts (a tab's room also depends on its sibling tabs' texts).
std::vector<TTextFit> CheckFit(const TFormLayout& layout, const TTextMeasure& measure, TFitText which,
                               const TComponentHelper* only = nullptr);

}  // namespace kst
