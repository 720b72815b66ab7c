// Where the VCL would put every control of a form: bounds in the form's
// client coordinates after scaling and alignment, visibility, the resolved
// font. Built from the component tree alone; the window draws from it and
// the fit check measures against it.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "formmodel/form_model.h"
#include "preview/control_geometry.h"
#include "preview/text_measure.h"

namespace kst {

// Windows' MulDiv: a * b / c rounded half away from zero (a when c is 0).
int MulDiv(int a, int b, int c);

struct TRect {
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
  int Right() const { return Left + Width; }
  int Bottom() const { return Top + Height; }
  bool Contains(const TRect& r) const {
    return r.Left >= Left && r.Top >= Top && r.Right() <= Right() && r.Bottom() <= Bottom();
  }
  bool operator==(const TRect&) const = default;
};

// Which of a value's two texts a layout or a check reads: the form as
// designed, or as the language module will carry it (a translation may
// move, resize or re-font a control as well as change its texts).
enum class TFitText { Original, Translated };

struct TControlLayout {
  const TComponentHelper* Component = nullptr;
  const TControlClass* Class = nullptr;  // nullptr: a class the table does not know
  int Parent = -1;                       // index into Controls; -1 for the form
  TAlign Align = TAlign::alNone;
  // Form client coordinates, scaled and aligned.
  TRect Bounds;
  // Where its children's Left and Top count from (its window's client
  // area), and the part of it that aligned children share.
  TRect ClientArea;
  TRect AlignArea;
  bool Visible = true;  // its own Visible (a tab sheet: being the active page)
  bool Shown = true;    // visible, and so are all its parents
  TFontSpec Font;
  // Why it does not lie inside its parent's client area, empty when it does:
  // the form places it partly outside, or it is inherited and the sizes that
  // make it fit are stored only in the ancestor form, which is not read.
  std::string Outside;
};

class TFormLayout {
public:
  // Lays out the form whose root is `root`. A measure, when given, supplies
  // the text heights the VCL measures (the form's scaling, a group box's
  // caption row); without one they are approximated from the font size.
  // Positions, sizes, fonts and flags come from the `values` texts. Never
  // raises for odd values: a property that does not read as a number counts
  // as absent.
  // `shownPages` are tab sheets to show in place of their page control's
  // ActivePage (the page a person turned to).
  explicit TFormLayout(const TComponentHelper& root, const TTextMeasure* measure = nullptr,
                       TFitText values = TFitText::Original,
                       std::span<const TComponentHelper* const> shownPages = {});

  const TComponentHelper& Root() const { return *root_; }
  TFitText Values = TFitText::Original;
  // The form itself is Controls[0]; its Bounds are the client area at (0,0).
  std::vector<TControlLayout> Controls;
  // Menus, timers, data sets, dialogs, menu items, fields ... in tree order.
  std::vector<const TComponentHelper*> NonVisual;
  // The scaling the form got: positions and sizes times M / D (1/1 when none).
  int ScaleM = 1;
  int ScaleD = 1;
  int Scale(int value) const { return MulDiv(value, ScaleM, ScaleD); }

  // nullptr for a non-visual component or one of another tree.
  const TControlLayout* Find(const TComponentHelper* component) const;
  // By component name (without regard to case); nullptr when there is none.
  const TControlLayout* FindByName(std::string_view name) const;

private:
  const TComponentHelper* root_;
};

// The property's text, "" when it is not stored. Shared with the fit check.
std::string PropertyText(const TComponentHelper& component, std::string_view name,
                         TFitText which = TFitText::Original);
// The property as an integer (decimal or $hex), `fallback` when it is not
// stored or not a number.
int PropertyInt(const TComponentHelper& component, std::string_view name, int fallback,
                TFitText which = TFitText::Original);
bool PropertyBool(const TComponentHelper& component, std::string_view name, bool fallback,
                  TFitText which = TFitText::Original);

}  // namespace kst
