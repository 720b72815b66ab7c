// The VCL's placing of controls, redone on the component tree: the form's
// scaling when it was designed at another PixelsPerInch, the client areas
// of panels, group boxes and page controls, and the alignment pass.
#include "preview/form_layout.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>

#include "platform/locale_table.h"
#include "platform/same_text.h"

namespace kst {

namespace {

// The screen the preview draws on. The VCL scales a form designed at another
// PixelsPerInch to the screen's; the preview assumes the common 96.
constexpr int kScreenPixelsPerInch = 96;

bool HasProperty(const TComponentHelper& c, std::string_view name) { return c.FindPropertyItem(name) != nullptr; }

int CharsetFromText(const std::string& text) {
  for (const TCharsetRow& row : CharsetRows())
    if (SameText(text, row.name + "_CHARSET")) return row.charset;
  return 0;
}

// A component's font: its parent's when ParentFont is True or not stored,
// otherwise TFont's defaults overlaid with what the form stores. Font.Size
// counts at the screen's resolution, as TFont converts it.
TFontSpec ResolveFont(const TComponentHelper& c, const TFontSpec& parent, bool isRoot, TFitText which) {
  if (!isRoot && PropertyBool(c, "ParentFont", true, which)) return parent;
  TFontSpec font;
  if (HasProperty(c, "Font.Name")) font.Name = PropertyText(c, "Font.Name", which);
  if (HasProperty(c, "Font.Size")) {
    font.PixelHeight = MulDiv(PropertyInt(c, "Font.Size", 8, which), kScreenPixelsPerInch, 72);
    font.CellHeight = false;
  }
  if (HasProperty(c, "Font.Height")) {
    int height = PropertyInt(c, "Font.Height", -11, which);
    font.PixelHeight = std::abs(height);
    font.CellHeight = height > 0;
  }
  if (HasProperty(c, "Font.Style")) {
    const std::string s = PropertyText(c, "Font.Style", which);
    auto has = [&](std::string_view flag) {
      for (size_t at = s.find(flag); at != std::string::npos; at = s.find(flag, at + 1)) {
        size_t end = at + flag.size();
        if (end == s.size() || s[end] == ',' || s[end] == ']') return true;
      }
      return false;
    };
    font.Bold = has("fsBold");
    font.Italic = has("fsItalic");
    font.Underline = has("fsUnderline");
    font.StrikeOut = has("fsStrikeOut");
  }
  if (const TCHPropertyItem* p = c.FindPropertyItem("Font.Charset"))
    font.Charset = p->PropertyType == ptInteger ? PropertyInt(c, "Font.Charset", 1, which)
                                                : CharsetFromText(PropertyText(c, "Font.Charset", which));
  return font;
}

// The signed Font.Height the VCL keeps, and back.
int SignedHeight(const TFontSpec& f) { return f.CellHeight ? f.PixelHeight : -f.PixelHeight; }
void SetSignedHeight(TFontSpec& f, int height) {
  f.PixelHeight = std::abs(height);
  f.CellHeight = height > 0;
}

// The order TWinControl.AlignControls places the controls of one Align
// value in: by their position before aligning (top edge for alTop, bottom
// edge for alBottom, ...), creation order among equals, except that for
// alBottom and alRight the later of two equal controls goes outermost.
bool InsertBefore(const TRect& a, const TRect& b, TAlign align) {
  switch (align) {
    case TAlign::alTop: return a.Top < b.Top;
    case TAlign::alBottom: return a.Bottom() >= b.Bottom();
    case TAlign::alLeft: return a.Left < b.Left;
    case TAlign::alRight: return a.Right() >= b.Right();
    default: return false;
  }
}

TRect Inset(const TRect& r, int left, int top, int right, int bottom) {
  return {r.Left + left, r.Top + top, std::max(0, r.Width - left - right), std::max(0, r.Height - top - bottom)};
}

class TLayoutBuilder {
public:
  TLayoutBuilder(TFormLayout& layout, const TTextMeasure* measure,
                 std::span<const TComponentHelper* const> shownPages)
      : layout_(layout), measure_(measure), shownPages_(shownPages) {}

  void Run(const TComponentHelper& root) {
    const int ppi = Int(root, "PixelsPerInch", kScreenPixelsPerInch);
    const int textHeight = Int(root, "TextHeight", 0);
    TControlLayout form;
    form.Component = &root;
    form.Class = FindControlClass(root.ClassName);
    form.Font = ResolveFont(root, TFontSpec{}, true, layout_.Values);
    // TCustomForm.ReadState: with Scaled (the default) a form designed at
    // another resolution gets its font height times screen/design dpi, then
    // every position, size and own font times the new text height over the
    // stored TextHeight (ScaleControls, MulDiv each).
    if (Bool(root, "Scaled", true) && ppi > 0 && ppi != kScreenPixelsPerInch && textHeight > 0) {
      SetSignedHeight(form.Font, MulDiv(SignedHeight(form.Font), kScreenPixelsPerInch, ppi));
      layout_.ScaleM = measure_ ? measure_->TextHeight(form.Font) : MulDiv(textHeight, kScreenPixelsPerInch, ppi);
      layout_.ScaleD = textHeight;
    }
    const TWindowFrame frame = FormFrame(Text(root, "BorderStyle"));
    int width = HasProperty(root, "ClientWidth") ? Int(root, "ClientWidth", 0)
                                                 : Int(root, "Width", 0) - 2 * frame.Border;
    int height = HasProperty(root, "ClientHeight")
                     ? Int(root, "ClientHeight", 0)
                     : Int(root, "Height", 0) - 2 * frame.Border - frame.Caption -
                           (Text(root, "Menu").empty() ? 0 : kMenuBarHeight);
    form.Bounds = {0, 0, std::max(0, Scale(width)), std::max(0, Scale(height))};
    form.ClientArea = form.AlignArea = form.Bounds;
    layout_.Controls.push_back(form);
    LayOutChildren(root, 0);
  }

private:
  TFormLayout& layout_;
  const TTextMeasure* measure_;
  std::span<const TComponentHelper* const> shownPages_;

  int Scale(int v) const { return layout_.Scale(v); }
  std::string Text(const TComponentHelper& c, std::string_view name) const {
    return PropertyText(c, name, layout_.Values);
  }
  // Positions and sizes are added and scaled: a damaged form's values near
  // the integer limit are held to a range where that cannot overflow.
  int Int(const TComponentHelper& c, std::string_view name, int fallback) const {
    constexpr int kLimit = 1 << 24;
    return std::clamp(PropertyInt(c, name, fallback, layout_.Values), -kLimit, kLimit);
  }
  bool Bool(const TComponentHelper& c, std::string_view name, bool fallback) const {
    return PropertyBool(c, name, fallback, layout_.Values);
  }
  bool Scaled() const { return layout_.ScaleM != layout_.ScaleD; }

  int TextHeight(const TFontSpec& font) const {
    return measure_ ? measure_->TextHeight(font) : ApproximateTextHeight(font);
  }

  void AddNonVisual(const TComponentHelper& c) {
    layout_.NonVisual.push_back(&c);
    for (const auto& child : c.Children) AddNonVisual(*child);
  }

  bool IsNonVisual(const TComponentHelper& c, const TControlClass* cls) const {
    if (cls) return cls->NonVisual;
    return !HasProperty(c, "Width") && !HasProperty(c, "Height");
  }

  // The active page of a page control: ActivePage when it names a child,
  // else its first page (where the VCL would show none, the preview shows
  // the first rather than an empty frame).
  const TComponentHelper* ActivePage(const TComponentHelper& pageControl) const {
    for (const TComponentHelper* shown : shownPages_)
      if (shown->Parent == &pageControl) return shown;
    const std::string active = Text(pageControl, "ActivePage");
    const TComponentHelper* first = nullptr;
    for (const auto& child : pageControl.Children) {
      if (!SameText(child->ClassName, "TTabSheet")) continue;
      if (!active.empty() && SameText(child->Name, active)) return child.get();
      if (!first) first = child.get();
    }
    return first;
  }

  // Recursion follows the tree, whose depth the form reader limits.
  void LayOutChildren(const TComponentHelper& parent, int parentIndex) {
    std::vector<int> children;
    const TComponentHelper* activePage = nullptr;
    if (const TControlClass* pc = layout_.Controls[parentIndex].Class; pc && pc->Client == TClientKind::PageControl)
      activePage = ActivePage(parent);
    for (const auto& child : parent.Children) {
      const TControlClass* cls = FindControlClass(child->ClassName);
      if (IsNonVisual(*child, cls)) {
        AddNonVisual(*child);
        continue;
      }
      const TControlLayout& p = layout_.Controls[parentIndex];
      TControlLayout c;
      c.Component = child.get();
      c.Class = cls;
      c.Parent = parentIndex;
      c.Font = ResolveFont(*child, p.Font, false, layout_.Values);
      if (Scaled() && !Bool(*child, "ParentFont", true)) {
        // ChangeScale scales an own font through Font.Size, in whole points.
        int size = -MulDiv(SignedHeight(c.Font), 72, kScreenPixelsPerInch);
        SetSignedHeight(c.Font, -MulDiv(MulDiv(size, layout_.ScaleM, layout_.ScaleD), kScreenPixelsPerInch, 72));
      }
      const int left = Int(*child, "Left", 0), top = Int(*child, "Top", 0);
      const int x = Scale(left), y = Scale(top);
      // Right and bottom edges are scaled, not the sizes, so that controls
      // that touched still touch.
      c.Bounds = {x, y, Scale(left + Int(*child, "Width", 0)) - x,
                  Scale(top + Int(*child, "Height", 0)) - y};
      c.Align = HasProperty(*child, "Align") ? AlignFromName(Text(*child, "Align"))
                                             : (cls ? cls->DefaultAlign : TAlign::alNone);
      c.Visible = Bool(*child, "Visible", true);
      if (cls && cls->Client == TClientKind::TabSheet) {
        c.Align = TAlign::alNone;
        c.Visible = c.Visible && child.get() == activePage;
        // The page control sizes its sheets to its display area.
        c.Bounds = Relative(p.AlignArea, p.ClientArea);
      }
      c.Shown = c.Visible && p.Shown;
      children.push_back(static_cast<int>(layout_.Controls.size()));
      layout_.Controls.push_back(c);
    }
    Align(parentIndex, children);
    for (int index : children) {
      TControlLayout& c = layout_.Controls[index];
      const TControlLayout& p = layout_.Controls[parentIndex];
      c.Bounds.Left += p.ClientArea.Left;
      c.Bounds.Top += p.ClientArea.Top;
      SetClientAreas(c);
      if (!p.ClientArea.Contains(c.Bounds))
        c.Outside = c.Component->IsInherited || p.Component->IsInherited
                        ? "inherited: what the form does not store comes from its ancestor form, which is not read"
                        : "lies partly outside its parent's client area (the form places it there)";
      LayOutChildren(*c.Component, index);
    }
  }

  static TRect Relative(const TRect& inner, const TRect& origin) {
    return {inner.Left - origin.Left, inner.Top - origin.Top, inner.Width, inner.Height};
  }

  // TWinControl.AlignControls on the rectangle the parent leaves its
  // aligned children (relative to its client origin). Hidden controls take
  // no room.
  void Align(int parentIndex, const std::vector<int>& children) {
    const TControlLayout& p = layout_.Controls[parentIndex];
    TRect r = Relative(p.AlignArea, p.ClientArea);
    int rectRight = r.Right(), rectBottom = r.Bottom();
    for (TAlign align : {TAlign::alTop, TAlign::alBottom, TAlign::alLeft, TAlign::alRight, TAlign::alClient}) {
      std::vector<int> order;
      for (int index : children) {
        const TControlLayout& c = layout_.Controls[index];
        if (c.Align != align || !c.Visible) continue;
        auto at = order.begin();
        while (at != order.end() && !InsertBefore(c.Bounds, layout_.Controls[*at].Bounds, align)) ++at;
        order.insert(at, index);
      }
      for (int index : order) {
        TRect& b = layout_.Controls[index].Bounds;
        const int width = std::max(0, rectRight - r.Left), height = std::max(0, rectBottom - r.Top);
        switch (align) {
          case TAlign::alTop:
            b = {r.Left, r.Top, width, b.Height};
            r.Top += b.Height;
            break;
          case TAlign::alBottom:
            b = {r.Left, rectBottom - b.Height, width, b.Height};
            rectBottom -= b.Height;
            break;
          case TAlign::alLeft:
            b = {r.Left, r.Top, b.Width, height};
            r.Left += b.Width;
            break;
          case TAlign::alRight:
            b = {rectRight - b.Width, r.Top, b.Width, height};
            rectRight -= b.Width;
            break;
          case TAlign::alClient:
            b = {r.Left, r.Top, width, height};
            break;
          case TAlign::alNone: break;
        }
      }
    }
  }

  // The client area a control gives its children and the part its aligned
  // children share, both in form coordinates.
  void SetClientAreas(TControlLayout& c) const {
    const TComponentHelper& comp = *c.Component;
    const TClientKind kind = c.Class ? c.Class->Client : TClientKind::Plain;
    // A window border (BorderStyle bsSingle) is outside the client area:
    // the sunken 3-D edge is 2 pixels, a flat one (Ctl3D False) 1. Group
    // boxes and page controls draw their frames inside theirs.
    int border = 0;
    const std::string style = Text(comp, "BorderStyle");
    if (SameText(style, "bsSingle") || (style.empty() && c.Class && c.Class->BorderByDefault))
      border = Bool(comp, "Ctl3D", true) ? 2 : 1;
    c.ClientArea = Inset(c.Bounds, border, border, border, border);
    c.AlignArea = c.ClientArea;
    switch (kind) {
      case TClientKind::Panel: {
        // TCustomPanel.AlignControls: BorderWidth, then BevelWidth for each bevel drawn.
        const int bevel = Int(comp, "BevelWidth", 1);
        int inset = Int(comp, "BorderWidth", 0);
        if (!SameText(Text(comp, "BevelOuter"), "bvNone")) inset += bevel;
        const std::string inner = Text(comp, "BevelInner");
        if (!inner.empty() && !SameText(inner, "bvNone")) inset += bevel;
        c.AlignArea = Inset(c.ClientArea, inset, inset, inset, inset);
        break;
      }
      case TClientKind::GroupBox: {
        // TCustomGroupBox.AlignControls: the caption's text height on top,
        // a pixel of frame all round and one more with Ctl3D.
        const int frame = Bool(comp, "Ctl3D", true) ? 2 : 1;
        c.AlignArea = Inset(c.ClientArea, frame, TextHeight(c.Font) + frame, frame, frame);
        break;
      }
      case TClientKind::PageControl:
        // The display rectangle of the tab control (one row of tabs on top).
        c.AlignArea = Inset(c.ClientArea, kPageFrame, kPageFrame + TextHeight(c.Font) + kTabRowExtra, kPageFrame,
                            kPageFrame);
        break;
      case TClientKind::Plain:
      case TClientKind::TabSheet: break;
    }
  }
};

}  // namespace

int MulDiv(int a, int b, int c) {
  if (c == 0) return a;
  const long long p = static_cast<long long>(a) * b, d = std::llabs(c);
  const long long q = (std::llabs(p) + d / 2) / d;
  return static_cast<int>((p < 0) != (c < 0) ? -q : q);
}

std::string PropertyText(const TComponentHelper& component, std::string_view name, TFitText which) {
  const TCHPropertyItem* p = component.FindPropertyItem(name);
  if (!p) return {};
  return which == TFitText::Original ? p->OriginalValue : p->TranslatedValue;
}

int PropertyInt(const TComponentHelper& component, std::string_view name, int fallback, TFitText which) {
  const TCHPropertyItem* p = component.FindPropertyItem(name);
  if (!p || p->PropertyType != ptInteger) return fallback;
  std::string_view s = which == TFitText::Original ? p->OriginalValue : p->TranslatedValue;
  int value = 0;
  bool hex = !s.empty() && s[0] == '$';
  if (hex) s.remove_prefix(1);
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value, hex ? 16 : 10);
  return ec == std::errc() && end == s.data() + s.size() ? value : fallback;
}

bool PropertyBool(const TComponentHelper& component, std::string_view name, bool fallback, TFitText which) {
  const TCHPropertyItem* p = component.FindPropertyItem(name);
  if (!p || p->PropertyType != ptSymbol) return fallback;
  const std::string& value = which == TFitText::Original ? p->OriginalValue : p->TranslatedValue;
  if (SameText(value, "True")) return true;
  if (SameText(value, "False")) return false;
  return fallback;
}

TFormLayout::TFormLayout(const TComponentHelper& root, const TTextMeasure* measure, TFitText values,
                         std::span<const TComponentHelper* const> shownPages)
    : Values(values), root_(&root) {
  TLayoutBuilder(*this, measure, shownPages).Run(root);
}

const TControlLayout* TFormLayout::Find(const TComponentHelper* component) const {
  for (const TControlLayout& c : Controls)
    if (c.Component == component) return &c;
  return nullptr;
}

const TControlLayout* TFormLayout::FindByName(std::string_view name) const {
  for (const TControlLayout& c : Controls)
    if (SameText(c.Component->Name, name)) return &c;
  return nullptr;
}

}  // namespace kst
