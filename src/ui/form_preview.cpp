// The form preview's painting: Windows 95's classic look (3-D edges, the
// button face grey, a navy caption bar) for the VCL classes translators meet
// most, a framed placeholder with the class name for any other.
#include "ui/form_preview.h"

#include <QFontMetrics>
#include <QHelpEvent>
#include <QImage>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QToolTip>

#include <algorithm>
#include <charconv>
#include <initializer_list>

#include "platform/same_text.h"
#include "ui/ui_text.h"

namespace kst::ui {

namespace {

constexpr int kMargin = 8;  // around the form's window

const QColor kFace(0xC0, 0xC0, 0xC0);
const QColor kShadow(0x80, 0x80, 0x80);
const QColor kLight(0xDF, 0xDF, 0xDF);
const QColor kDark(0, 0, 0);
const QColor kWhite(0xFF, 0xFF, 0xFF);
const QColor kCaptionBar(0, 0, 0x80);
const QColor kMisfit(0xE0, 0, 0);
const QColor kHighlight(0, 0x78, 0xD7);

bool Is(const TComponentHelper& c, std::initializer_list<std::string_view> classes) {
  return std::any_of(classes.begin(), classes.end(), [&](std::string_view n) { return SameText(c.ClassName, n); });
}

// The named colours of the VCL and Windows' classic system colours, which a
// form stores either by name or as a number (system colours with the high
// bit set, others as $00BBGGRR).
QColor VclColor(const std::string& text, const QColor& fallback) {
  static const std::pair<std::string_view, QRgb> kNamed[] = {
      {"clBlack", 0x000000},      {"clMaroon", 0x800000},        {"clGreen", 0x008000},
      {"clOlive", 0x808000},      {"clNavy", 0x000080},          {"clPurple", 0x800080},
      {"clTeal", 0x008080},       {"clGray", 0x808080},          {"clSilver", 0xC0C0C0},
      {"clRed", 0xFF0000},        {"clLime", 0x00FF00},          {"clYellow", 0xFFFF00},
      {"clBlue", 0x0000FF},       {"clFuchsia", 0xFF00FF},       {"clAqua", 0x00FFFF},
      {"clWhite", 0xFFFFFF},      {"clScrollBar", 0xC0C0C0},     {"clBackground", 0x008080},
      {"clActiveCaption", 0x000080}, {"clInactiveCaption", 0x808080}, {"clMenu", 0xC0C0C0},
      {"clWindow", 0xFFFFFF},     {"clWindowFrame", 0x000000},   {"clMenuText", 0x000000},
      {"clWindowText", 0x000000}, {"clCaptionText", 0xFFFFFF},   {"clActiveBorder", 0xC0C0C0},
      {"clInactiveBorder", 0xC0C0C0}, {"clAppWorkSpace", 0x808080}, {"clHighlight", 0x000080},
      {"clHighlightText", 0xFFFFFF}, {"clBtnFace", 0xC0C0C0},     {"clBtnShadow", 0x808080},
      {"clGrayText", 0x808080},   {"clBtnText", 0x000000},       {"clInactiveCaptionText", 0xC0C0C0},
      {"clBtnHighlight", 0xFFFFFF}, {"cl3DDkShadow", 0x000000},  {"cl3DLight", 0xDFDFDF},
      {"clInfoText", 0x000000},   {"clInfoBk", 0xFFFFE1},
  };
  if (text.empty()) return fallback;
  for (const auto& [name, rgb] : kNamed)
    if (SameText(text, name)) return QColor(rgb);
  std::string_view s = text;
  const bool hex = s[0] == '$';
  if (hex) s.remove_prefix(1);
  long long value = 0;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value, hex ? 16 : 10);
  if (ec != std::errc() || end != s.data() + s.size()) return fallback;
  const auto bits = static_cast<uint32_t>(value);
  if (bits & 0x80000000u) {
    const size_t index = bits & 0xFF;  // COLOR_SCROLLBAR ... COLOR_INFOBK, in the table's order
    return index + 16 < std::size(kNamed) ? QColor(kNamed[index + 16].second) : fallback;
  }
  return QColor(static_cast<int>(bits & 0xFF), static_cast<int>(bits >> 8 & 0xFF), static_cast<int>(bits >> 16 & 0xFF));
}

// Windows' 3-D edges: one pixel of `topLeft` along the top and left, one of
// `bottomRight` along the bottom and right.
void Edge(QPainter& p, const QRect& r, const QColor& topLeft, const QColor& bottomRight) {
  p.setPen(topLeft);
  p.drawLine(r.left(), r.top(), r.right() - 1, r.top());
  p.drawLine(r.left(), r.top(), r.left(), r.bottom() - 1);
  p.setPen(bottomRight);
  p.drawLine(r.left(), r.bottom(), r.right(), r.bottom());
  p.drawLine(r.right(), r.top(), r.right(), r.bottom());
}
void Raised(QPainter& p, const QRect& r) {
  Edge(p, r, kWhite, kDark);
  Edge(p, r.adjusted(1, 1, -1, -1), kLight, kShadow);
}
void Sunken(QPainter& p, const QRect& r) {
  Edge(p, r, kShadow, kWhite);
  Edge(p, r.adjusted(1, 1, -1, -1), kDark, kLight);
}
void Etched(QPainter& p, const QRect& r) {
  Edge(p, r, kShadow, kWhite);
  Edge(p, r.adjusted(1, 1, -1, -1), kWhite, kShadow);
}

QRect Inner(const QRect& r, int by) { return r.adjusted(by, by, -by, -by); }

std::vector<std::byte> HexBytes(const std::string& hex) {
  std::vector<std::byte> bytes;
  bytes.reserve(hex.size() / 2);
  for (size_t i = 0; i + 1 < hex.size(); i += 2) {
    unsigned value = 0;
    auto [end, ec] = std::from_chars(hex.data() + i, hex.data() + i + 2, value, 16);
    if (ec != std::errc() || end != hex.data() + i + 2) return {};
    bytes.push_back(static_cast<std::byte>(value));
  }
  return bytes;
}

bool IsTabSheet(const TControlLayout& c) { return c.Class && c.Class->Caption == TCaptionKind::TabSheet; }

// Graphic controls have no window of their own: the VCL paints them under
// their parent's windowed controls.
bool IsGraphic(const TComponentHelper& c) {
  return Is(c, {"TLabel", "TDBText", "TBevel", "TImage", "TShape", "TSpeedButton", "TPaintBox"});
}

}  // namespace

// Paints one form: the window frame, the menu bar, the controls from back
// to front, then the outlines of texts that do not fit and the highlight.
class TFormPreview::TPainter {
public:
  TPainter(const TFormPreview& preview, QPainter& p, const QRect& dirty) : w_(preview), p_(p), dirty_(dirty) {}

  void Run() {
    const TFormLayout& layout = *w_.layout_;
    const TControlLayout& form = layout.Controls[0];
    const QRect client = w_.ToWidget(form.Bounds);
    PaintFrame(client);
    const QColor bg = VclColor(Value(*form.Component, "Color"), kFace);
    p_.fillRect(client, bg);
    PaintChildren(0, client, bg, FontColor(*form.Component, kDark));
    p_.setClipping(false);
    p_.setBrush(Qt::NoBrush);
    // Around the text's control, so that the control itself stays visible.
    for (const TTextFit& fit : w_.fits_)
      if (!fit.Fits) {
        p_.setPen(QPen(kMisfit, 2));
        p_.drawRect(w_.FitRect(fit).adjusted(-1, -1, 0, 0));
      }
    if (w_.highlighted_) {
      const QRect r = w_.ControlRect(w_.highlighted_);
      if (!r.isEmpty()) {
        p_.setPen(QPen(kHighlight, 2, Qt::DashLine));
        p_.drawRect(r.adjusted(-2, -2, 1, 1));
      }
    }
  }

private:
  const TFormPreview& w_;
  QPainter& p_;
  QRect dirty_;
  std::vector<std::pair<TFontSpec, QFont>> fonts_;

  std::string Value(const TComponentHelper& c, std::string_view name) const { return w_.Value(c, name); }
  QString Shown(const TComponentHelper& c, std::string_view name) const { return w_.Shown(Value(c, name)); }
  int Int(const TComponentHelper& c, std::string_view name, int fallback) const {
    return PropertyInt(c, name, fallback, w_.values_);
  }
  bool Bool(const TComponentHelper& c, std::string_view name, bool fallback) const {
    return PropertyBool(c, name, fallback, w_.values_);
  }
  QColor FontColor(const TComponentHelper& c, const QColor& parent) const {
    return VclColor(Value(c, "Font.Color"), parent);
  }
  // A list property's items ("Items.Strings", "Lines.Strings") as shown.
  QStringList Items(const TComponentHelper& c, std::string_view name) const {
    QStringList items;
    const TCHPropertyItem* list = c.FindPropertyItem(name);
    if (!list || list->PropertyType != ptList) return items;
    for (const auto& v : list->ListValues)
      items << w_.Shown(w_.values_ == TFitText::Original ? v->OriginalValue : v->TranslatedValue);
    return items;
  }

  // A form uses few fonts; making one for each text would cost more than drawing it.
  const QFont& Font(const TFontSpec& spec) {
    for (const auto& [known, font] : fonts_)
      if (known == spec) return font;
    return fonts_.emplace_back(spec, QtFont(spec)).second;
  }

  void Text(const QRect& r, const QString& text, int flags, const TFontSpec& font, const QColor& color,
            bool enabled = true) {
    if (text.isEmpty()) return;
    p_.setFont(Font(font));
    if (!enabled) {
      p_.setPen(kWhite);
      p_.drawText(r.translated(1, 1), flags, text);
      p_.setPen(kShadow);
    } else {
      p_.setPen(color);
    }
    p_.drawText(r, flags, text);
  }

  void PaintFrame(const QRect& client) {
    const TFormLayout& layout = *w_.layout_;
    const TComponentHelper& root = layout.Root();
    const TWindowFrame& frame = w_.frame_;
    const QRect outer = client.adjusted(-frame.Border, -frame.Border - frame.Caption - w_.menuHeight_, frame.Border,
                                        frame.Border);
    p_.fillRect(outer, kFace);
    if (frame.Border > 0) {
      Edge(p_, outer, kLight, kDark);
      Edge(p_, outer.adjusted(1, 1, -1, -1), kWhite, kShadow);
    }
    if (frame.Caption > 0) {
      const QRect bar(client.left(), outer.top() + frame.Border, client.width(), frame.Caption - 1);
      p_.fillRect(bar, kCaptionBar);
      TFontSpec font;
      font.Bold = true;
      const int buttons = bar.height() - 4;
      Text(bar.adjusted(4, 0, -3 * (buttons + 2), 0), Shown(root, "Caption"), Qt::AlignLeft | Qt::AlignVCenter, font,
           kWhite);
      // The close button; the minimise and maximise buttons beside it.
      for (int k = 0; k < 3; ++k) {
        const QRect b(bar.right() - 2 - (k + 1) * (buttons + 2) + 2, bar.top() + 2, buttons + 2, buttons);
        p_.fillRect(b, kFace);
        Raised(p_, b);
        p_.setPen(kDark);
        const QPoint c = b.center();
        if (k == 0) {
          p_.drawLine(c.x() - 3, c.y() - 3, c.x() + 3, c.y() + 3);
          p_.drawLine(c.x() - 3, c.y() + 3, c.x() + 3, c.y() - 3);
        } else if (k == 1) {
          p_.drawRect(c.x() - 4, c.y() - 4, 8, 7);
        } else {
          p_.drawLine(c.x() - 3, c.y() + 3, c.x() + 2, c.y() + 3);
        }
      }
    }
    if (w_.menuHeight_ > 0) {
      TFontSpec font;
      for (const THotSpot& spot : w_.hotSpots_)
        if (spot.owner == &root)
          Text(spot.rect, w_.Shown(Value(*spot.component, "Caption")), Qt::AlignCenter | Qt::TextShowMnemonic, font,
               kDark);
    }
  }

  void PaintChildren(int index, const QRect& clip, const QColor& bg, const QColor& fg) {
    for (int child : w_.children_[static_cast<size_t>(index)]) {
      const TControlLayout& c = w_.layout_->Controls[static_cast<size_t>(child)];
      if (!c.Shown) continue;
      const QRect r = w_.ToWidget(c.Bounds);
      // A label that grows may draw beyond its bounds, up to its parent's edge.
      const QRect area = (IsGraphic(*c.Component) ? clip : r.intersected(clip));
      if (area.isEmpty() || !area.intersects(dirty_)) continue;
      p_.setClipRect(area);
      const QColor ownBg = VclColor(Value(*c.Component, "Color"), bg);
      const QColor ownFg = FontColor(*c.Component, fg);
      PaintControl(c, r, ownBg, ownFg);
      if (!w_.children_[static_cast<size_t>(child)].empty())
        PaintChildren(child, w_.ToWidget(c.ClientArea).intersected(clip), ownBg, ownFg);
    }
  }

  void PaintControl(const TControlLayout& c, const QRect& r, const QColor& bg, const QColor& fg) {
    const TComponentHelper& comp = *c.Component;
    const bool enabled = Bool(comp, "Enabled", true);
    const TCaptionKind caption = c.Class ? c.Class->Caption : TCaptionKind::None;
    if (Is(comp, {"TLabel", "TDBText", "TStaticText"})) return Label(c, r, bg, fg, enabled);
    if (caption == TCaptionKind::Button) return Button(c, r, fg, enabled);
    if (caption == TCaptionKind::GlyphButton) return GlyphButton(c, r, fg, enabled);
    if (caption == TCaptionKind::CheckBox) return CheckBox(c, r, fg, enabled);
    if (caption == TCaptionKind::GroupBox) return GroupBox(c, r, bg, fg, enabled);
    if (caption == TCaptionKind::Panel) return Panel(c, r, bg, fg, enabled);
    if (IsTabSheet(c)) return p_.fillRect(r, bg);
    if (c.Class && c.Class->Client == TClientKind::PageControl) return PageControl(c, r, bg, fg);
    if (Is(comp, {"TEdit", "TMaskEdit", "TDBEdit", "TSpinEdit", "TDBLookupCombo"})) return Edit(c, r, fg);
    if (Is(comp, {"TMemo", "TDBMemo", "TRichEdit", "TDBRichEdit"})) return Memo(c, r, fg);
    if (Is(comp, {"TListBox", "TDBListBox", "TCheckListBox", "TDBLookupListBox", "TFileListBox",
                  "TDirectoryListBox"}))
      return ListBox(c, r, fg);
    if (Is(comp, {"TComboBox", "TDBComboBox", "TDBLookupComboBox", "TDriveComboBox", "TFilterComboBox"}))
      return ComboBox(c, r, fg);
    if (Is(comp, {"TBevel"})) return Bevel(comp, r);
    if (Is(comp, {"TStatusBar"})) return StatusBar(c, r, fg);
    if (Is(comp, {"TToolBar"})) return ToolBar(c, r, bg, fg);
    if (Is(comp, {"TStringGrid", "TDrawGrid"})) return Grid(c, r);
    if (Is(comp, {"TDBGrid", "TListView", "THeaderControl"})) return Headed(c, r, fg);
    if (Is(comp, {"TShape"})) return Shape(comp, r);
    if (Is(comp, {"TScrollBox"})) {
      p_.fillRect(r, bg);
      if (w_.ToWidget(c.ClientArea) != r) Sunken(p_, r);
      return;
    }
    if (Is(comp, {"TToolButton"})) return;  // its tool bar draws it
    Placeholder(c, r, fg);
  }

  void Label(const TControlLayout& c, const QRect& r, const QColor& bg, const QColor& fg, bool enabled) {
    const TComponentHelper& comp = *c.Component;
    QRect box = r;
    auto fit = w_.captionFits_.find(&comp);
    const TCaptionRoom room = CaptionRoom(*w_.layout_, c);
    if (room.Grows && fit != w_.captionFits_.end())
      box.setWidth(std::max(box.width(), std::min(w_.fits_[fit->second].Needed, room.Width)));
    if (!Bool(comp, "Transparent", false) && comp.FindPropertyItem("Color")) p_.fillRect(box, bg);
    int flags = Qt::AlignTop;
    const std::string align = Value(comp, "Alignment");
    flags |= SameText(align, "taCenter")         ? Qt::AlignHCenter
             : SameText(align, "taRightJustify") ? Qt::AlignRight
                                                 : Qt::AlignLeft;
    const std::string layout = Value(comp, "Layout");
    if (SameText(layout, "tlCenter")) flags = (flags & ~Qt::AlignTop) | Qt::AlignVCenter;
    if (SameText(layout, "tlBottom")) flags = (flags & ~Qt::AlignTop) | Qt::AlignBottom;
    if (room.Wraps) flags |= Qt::TextWordWrap;
    if (Bool(comp, "ShowAccelChar", true)) flags |= Qt::TextShowMnemonic;
    QString text = Shown(comp, "Caption");
    if (text.isEmpty() && Is(comp, {"TDBText"})) text = QString::fromLatin1(comp.Name.c_str());
    Text(box, text, flags, c.Font, fg, enabled);
  }

  void ButtonFace(const QRect& r, bool isDefault) {
    p_.fillRect(r, kFace);
    QRect face = r;
    if (isDefault) {
      p_.setPen(kDark);
      p_.drawRect(r.adjusted(0, 0, -1, -1));
      face = Inner(r, 1);
    }
    Raised(p_, face);
  }

  void Button(const TControlLayout& c, const QRect& r, const QColor& fg, bool enabled) {
    ButtonFace(r, Bool(*c.Component, "Default", false));
    Text(Inner(r, 2), Shown(*c.Component, "Caption"), Qt::AlignCenter | Qt::TextShowMnemonic, c.Font, fg, enabled);
  }

  // A stock glyph of a bitmap button's Kind: a check, a cross, a question mark.
  void StockGlyph(const std::string& kind, const QRect& g) {
    p_.save();
    p_.setRenderHint(QPainter::Antialiasing);
    const QPoint c = g.center();
    if (SameText(kind, "bkOK") || SameText(kind, "bkYes") || SameText(kind, "bkAll")) {
      p_.setPen(QPen(QColor(0, 0x80, 0), 2.5));
      p_.drawPolyline(QPolygon({QPoint(c.x() - 6, c.y()), QPoint(c.x() - 2, c.y() + 4), QPoint(c.x() + 6, c.y() - 5)}));
    } else if (SameText(kind, "bkCancel") || SameText(kind, "bkNo") || SameText(kind, "bkAbort")) {
      p_.setPen(QPen(QColor(0xC0, 0, 0), 2.5));
      p_.drawLine(c.x() - 5, c.y() - 5, c.x() + 5, c.y() + 5);
      p_.drawLine(c.x() - 5, c.y() + 5, c.x() + 5, c.y() - 5);
    } else {
      TFontSpec font;
      font.Bold = true;
      font.PixelHeight = 14;
      p_.restore();
      p_.save();
      Text(g, SameText(kind, "bkHelp") ? QStringLiteral("?") : QStringLiteral("\u2022"), Qt::AlignCenter, font,
           QColor(0, 0, 0x80));
    }
    p_.restore();
  }

  void GlyphButton(const TControlLayout& c, const QRect& r, const QColor& fg, bool enabled) {
    const TComponentHelper& comp = *c.Component;
    const bool speed = Is(comp, {"TSpeedButton"});
    p_.fillRect(r, kFace);
    if (!(speed && Bool(comp, "Flat", false))) {
      if (speed && Bool(comp, "Down", false))
        Sunken(p_, r);
      else
        Raised(p_, r);
    }
    const QPixmap* glyph = w_.Glyph(comp);
    const std::string kind = Value(comp, "Kind");
    const bool stock = !glyph && !speed && !kind.empty() && !SameText(kind, "bkCustom");
    const QSize g = glyph ? glyph->size() : stock ? QSize(18, 18) : QSize();
    const QString text = Shown(comp, "Caption");
    QFontMetrics metrics(Font(c.Font));
    const int textWidth =
        text.isEmpty() ? 0 : metrics.horizontalAdvance(w_.Shown(StripAccelerators(Value(comp, "Caption"))));
    const std::string layout = Value(comp, "Layout");
    const bool vertical = SameText(layout, "blGlyphTop") || SameText(layout, "blGlyphBottom");
    const bool after = SameText(layout, "blGlyphRight") || SameText(layout, "blGlyphBottom");
    const int gap = g.isEmpty() || text.isEmpty() ? 0 : kGlyphSpacing;
    QRect glyphRect, textRect;
    const QRect inner = Inner(r, 2);
    if (vertical) {
      const int h = g.height() + gap + metrics.height();
      const int top = inner.top() + (inner.height() - h) / 2;
      glyphRect = QRect(inner.left() + (inner.width() - g.width()) / 2, after ? top + metrics.height() + gap : top,
                        g.width(), g.height());
      textRect = QRect(inner.left(), after ? top : top + g.height() + gap, inner.width(), metrics.height());
    } else {
      const int total = g.width() + gap + textWidth;
      const int left = inner.left() + (inner.width() - total) / 2;
      glyphRect = QRect(after ? left + textWidth + gap : left, inner.top() + (inner.height() - g.height()) / 2,
                        g.width(), g.height());
      textRect = QRect(after ? left : left + g.width() + gap, inner.top(), std::max(textWidth, 1) + 1, inner.height());
    }
    if (glyph)
      p_.drawPixmap(glyphRect.topLeft(), *glyph);
    else if (stock)
      StockGlyph(kind, glyphRect);
    Text(textRect.intersected(inner), text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic, c.Font, fg,
         enabled);
  }

  void CheckBox(const TControlLayout& c, const QRect& r, const QColor& fg, bool enabled) {
    const TComponentHelper& comp = *c.Component;
    const bool radio = Is(comp, {"TRadioButton"});
    const bool boxRight = SameText(Value(comp, "Alignment"), "taLeftJustify");
    const QRect box(boxRight ? r.right() - 12 : r.left(), r.top() + (r.height() - 13) / 2, 13, 13);
    Mark(box, radio, Bool(comp, "Checked", false) || SameText(Value(comp, "State"), "cbChecked"));
    const QRect text = boxRight ? r.adjusted(0, 0, -17, 0) : r.adjusted(17, 0, 0, 0);
    Text(text, Shown(comp, "Caption"), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic, c.Font, fg, enabled);
  }

  void Mark(const QRect& box, bool radio, bool checked) {
    if (radio) {
      p_.save();
      p_.setRenderHint(QPainter::Antialiasing);
      p_.setPen(kShadow);
      p_.setBrush(kWhite);
      p_.drawEllipse(QRectF(box).adjusted(0.5, 0.5, -0.5, -0.5));
      if (checked) {
        p_.setBrush(kDark);
        p_.setPen(Qt::NoPen);
        p_.drawEllipse(QRectF(box.center().x() - 1.5, box.center().y() - 1.5, 4, 4));
      }
      p_.restore();
      return;
    }
    p_.fillRect(box, kWhite);
    Sunken(p_, box);
    if (checked) {
      p_.setPen(QPen(kDark, 2));
      p_.drawPolyline(QPolygon({QPoint(box.left() + 3, box.top() + 6), QPoint(box.left() + 5, box.top() + 9),
                                QPoint(box.left() + 10, box.top() + 3)}));
    }
  }

  void GroupBox(const TControlLayout& c, const QRect& r, const QColor& bg, const QColor& fg, bool enabled) {
    const TComponentHelper& comp = *c.Component;
    p_.fillRect(r, bg);
    QFontMetrics metrics(Font(c.Font));
    const int half = metrics.height() / 2;
    Etched(p_, r.adjusted(0, half, 0, 0));
    const QString caption = Shown(comp, "Caption");
    if (!caption.isEmpty()) {
      auto fit = w_.captionFits_.find(&comp);
      const int width = fit != w_.captionFits_.end() ? w_.fits_[fit->second].Needed : metrics.horizontalAdvance(caption);
      const QRect text(r.left() + 8, r.top(), std::min(width + 2, std::max(0, r.width() - 16)), metrics.height());
      p_.fillRect(text, bg);
      Text(text.adjusted(1, 0, 0, 0), caption, Qt::AlignLeft | Qt::AlignTop | Qt::TextShowMnemonic, c.Font, fg,
           enabled);
    }
    if (!Is(comp, {"TRadioGroup", "TDBRadioGroup"})) return;
    const QStringList items = Items(comp, "Items.Strings");
    if (items.isEmpty()) return;
    const QRect area = w_.ToWidget(c.AlignArea);
    const int columns = std::max(1, Int(comp, "Columns", 1));
    const int rows = (static_cast<int>(items.size()) + columns - 1) / columns;
    const int index = Int(comp, "ItemIndex", -1);
    for (int k = 0; k < items.size(); ++k) {
      const int col = k / rows, row = k % rows;
      const int x = area.left() + 8 + col * (area.width() - 8) / columns;
      const int y = area.top() + row * area.height() / rows;
      const QRect cell(x, y, (area.width() - 8) / columns, area.height() / rows);
      Mark(QRect(cell.left(), cell.top() + (cell.height() - 13) / 2, 13, 13), true, k == index);
      Text(cell.adjusted(17, 0, 0, 0), items[k], Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic, c.Font, fg,
           enabled);
    }
  }

  void Panel(const TControlLayout& c, const QRect& r, const QColor& bg, const QColor& fg, bool enabled) {
    const TComponentHelper& comp = *c.Component;
    p_.fillRect(r, bg);
    const int bevel = std::max(0, Int(comp, "BevelWidth", 1));
    auto drawBevel = [&](const std::string& kind, QRect& at) {
      if (kind.empty() || SameText(kind, "bvNone") || SameText(kind, "bvSpace")) {
        if (SameText(kind, "bvSpace")) at = Inner(at, bevel);
        return;
      }
      const bool lowered = SameText(kind, "bvLowered");
      for (int k = 0; k < bevel; ++k) {
        Edge(p_, at, lowered ? kShadow : kWhite, lowered ? kWhite : kShadow);
        at = Inner(at, 1);
      }
    };
    QRect at = w_.ToWidget(c.ClientArea);
    std::string outer = Value(comp, "BevelOuter");
    if (!comp.FindPropertyItem("BevelOuter")) outer = "bvRaised";
    drawBevel(outer, at);
    at = Inner(at, Int(comp, "BorderWidth", 0));
    drawBevel(Value(comp, "BevelInner"), at);
    const std::string align = Value(comp, "Alignment");
    const int h = SameText(align, "taLeftJustify")    ? Qt::AlignLeft
                  : SameText(align, "taRightJustify") ? Qt::AlignRight
                                                      : Qt::AlignHCenter;
    Text(w_.ToWidget(c.AlignArea).adjusted(1, 0, -1, 0), Shown(comp, "Caption"),
         h | Qt::AlignVCenter | Qt::TextShowMnemonic, c.Font, fg, enabled);
  }

  void PageControl(const TControlLayout& c, const QRect& r, const QColor& bg, const QColor& fg) {
    const QRect client = w_.ToWidget(c.ClientArea);
    const int row = c.AlignArea.Top - c.ClientArea.Top - kPageFrame;
    p_.fillRect(r, bg);
    const QRect frame(client.left(), client.top() + row, client.width(), client.height() - row);
    p_.fillRect(frame, kFace);
    Raised(p_, frame);
    const THotSpot* active = nullptr;
    for (const THotSpot& tab : w_.hotSpots_) {
      if (tab.owner != c.Component) continue;
      const TControlLayout* sheet = tab.item < 0 ? w_.layout_->Find(tab.component) : nullptr;
      const bool isActive =
          tab.item < 0 ? sheet && sheet->Visible : tab.item == Int(*c.Component, "TabIndex", 0);
      if (isActive) {
        active = &tab;
        continue;
      }
      Tab(tab, c, fg, false);
    }
    if (active) Tab(*active, c, fg, true);
  }

  void Tab(const THotSpot& tab, const TControlLayout& owner, const QColor& fg, bool active) {
    const QRect t = active ? tab.rect.adjusted(-2, -2, 2, 1) : tab.rect;
    p_.fillRect(t, kFace);
    p_.setPen(kWhite);
    p_.drawLine(t.left(), t.bottom(), t.left(), t.top() + 2);
    p_.drawLine(t.left() + 2, t.top(), t.right() - 2, t.top());
    p_.drawPoint(t.left() + 1, t.top() + 1);
    p_.setPen(kDark);
    p_.drawLine(t.right(), t.top() + 2, t.right(), t.bottom());
    p_.drawPoint(t.right() - 1, t.top() + 1);
    p_.setPen(kShadow);
    p_.drawLine(t.right() - 1, t.top() + 2, t.right() - 1, t.bottom());
    QString text;
    if (tab.item < 0) {
      text = w_.Shown(Value(*tab.component, "Caption"));
    } else {
      const QStringList tabs = Items(*owner.Component, "Tabs.Strings");
      if (tab.item < tabs.size()) text = tabs[tab.item];
    }
    Text(tab.rect, text, Qt::AlignCenter | Qt::TextShowMnemonic, owner.Font, fg);
  }

  void Field(const TControlLayout& c, const QRect& r) {
    const TComponentHelper& comp = *c.Component;
    p_.fillRect(r, VclColor(Value(comp, "Color"), kWhite));
    if (SameText(Value(comp, "BorderStyle"), "bsNone")) return;
    if (Bool(comp, "Ctl3D", true)) {
      Sunken(p_, r);
    } else {
      p_.setPen(kDark);
      p_.drawRect(r.adjusted(0, 0, -1, -1));
    }
  }

  void Edit(const TControlLayout& c, const QRect& r, const QColor& fg) {
    Field(c, r);
    QString text = Shown(*c.Component, "Text");
    const std::string password = Value(*c.Component, "PasswordChar");
    if (!password.empty() && password != "#0") text = QString(text.size(), QLatin1Char('*'));
    Text(Inner(r, 3), text, Qt::AlignLeft | Qt::AlignVCenter, c.Font, fg);
  }

  void Memo(const TControlLayout& c, const QRect& r, const QColor& fg) {
    Field(c, r);
    const int flags = Qt::AlignLeft | Qt::AlignTop | (Bool(*c.Component, "WordWrap", true) ? Qt::TextWordWrap : 0);
    Text(Inner(r, 3), Items(*c.Component, "Lines.Strings").join(QLatin1Char('\n')), flags, c.Font, fg);
  }

  void ListBox(const TControlLayout& c, const QRect& r, const QColor& fg) {
    Field(c, r);
    const bool checks = Is(*c.Component, {"TCheckListBox"});
    const int height = std::max(1, Int(*c.Component, "ItemHeight", QFontMetrics(Font(c.Font)).height()));
    int y = r.top() + 2;
    for (const QString& item : Items(*c.Component, "Items.Strings")) {
      if (y > r.bottom()) break;
      QRect line(r.left() + 3, y, r.width() - 6, height);
      if (checks) {
        Mark(QRect(line.left(), line.top() + (height - 13) / 2, 13, 13), false, false);
        line.adjust(16, 0, 0, 0);
      }
      Text(line, item, Qt::AlignLeft | Qt::AlignVCenter, c.Font, fg);
      y += height;
    }
  }

  void ComboBox(const TControlLayout& c, const QRect& r, const QColor& fg) {
    Field(c, r);
    const QRect inner = Inner(r, 2);
    const QRect button(inner.right() - 15, inner.top(), 16, inner.height());
    p_.fillRect(button, kFace);
    Raised(p_, button);
    const QPoint m = button.center();
    p_.setPen(Qt::NoPen);
    p_.setBrush(kDark);
    p_.drawPolygon(QPolygon({QPoint(m.x() - 3, m.y() - 1), QPoint(m.x() + 4, m.y() - 1), QPoint(m.x(), m.y() + 3)}));
    p_.setBrush(Qt::NoBrush);
    QString text = Shown(*c.Component, "Text");
    if (text.isEmpty() && !c.Component->FindPropertyItem("Text")) {
      const QStringList items = Items(*c.Component, "Items.Strings");
      const int index = Int(*c.Component, "ItemIndex", -1);
      if (index >= 0 && index < items.size()) text = items[index];
    }
    Text(inner.adjusted(2, 0, -17, 0), text, Qt::AlignLeft | Qt::AlignVCenter, c.Font, fg);
  }

  void Bevel(const TComponentHelper& comp, const QRect& r) {
    const bool raised = SameText(Value(comp, "Style"), "bsRaised");
    const QColor a = raised ? kWhite : kShadow, b = raised ? kShadow : kWhite;
    std::string shape = Value(comp, "Shape");
    if (shape.empty()) shape = "bsBox";
    auto line = [&](int x1, int y1, int x2, int y2, const QColor& color) {
      p_.setPen(color);
      p_.drawLine(x1, y1, x2, y2);
    };
    if (SameText(shape, "bsBox")) {
      Edge(p_, r, a, b);
    } else if (SameText(shape, "bsFrame")) {
      p_.setPen(a);
      p_.drawRect(r.adjusted(0, 0, -2, -2));
      p_.setPen(b);
      p_.drawRect(r.adjusted(1, 1, -1, -1));
    } else if (SameText(shape, "bsTopLine")) {
      line(r.left(), r.top(), r.right(), r.top(), a);
      line(r.left(), r.top() + 1, r.right(), r.top() + 1, b);
    } else if (SameText(shape, "bsBottomLine")) {
      line(r.left(), r.bottom() - 1, r.right(), r.bottom() - 1, a);
      line(r.left(), r.bottom(), r.right(), r.bottom(), b);
    } else if (SameText(shape, "bsLeftLine")) {
      line(r.left(), r.top(), r.left(), r.bottom(), a);
      line(r.left() + 1, r.top(), r.left() + 1, r.bottom(), b);
    } else if (SameText(shape, "bsRightLine")) {
      line(r.right() - 1, r.top(), r.right() - 1, r.bottom(), a);
      line(r.right(), r.top(), r.right(), r.bottom(), b);
    }
  }

  void StatusBar(const TControlLayout& c, const QRect& r, const QColor& fg) {
    const TComponentHelper& comp = *c.Component;
    p_.fillRect(r, kFace);
    auto panel = [&](const QRect& at, const QString& text, int align) {
      Edge(p_, at, kShadow, kWhite);
      Text(at.adjusted(3, 1, -2, -1), text, align | Qt::AlignVCenter, c.Font, fg);
    };
    const QRect inner = r.adjusted(0, 2, 0, 0);
    const TCHPropertyItem* panels = comp.FindPropertyItem("Panels");
    if (Bool(comp, "SimplePanel", false) || !panels || panels->PropertyType != ptCollection ||
        panels->CollectionItems.empty())
      return panel(inner, Shown(comp, "SimpleText"), Qt::AlignLeft);
    int x = inner.left();
    for (size_t k = 0; k < panels->CollectionItems.size(); ++k) {
      const TComponentHelper& item = *panels->CollectionItems[k];
      const bool last = k + 1 == panels->CollectionItems.size();
      const int width = last ? inner.right() - x + 1 : Int(item, "Width", 50);
      const std::string align = Value(item, "Alignment");
      panel(QRect(x, inner.top(), std::max(0, width - 2), inner.height()), w_.Shown(Value(item, "Text")),
            SameText(align, "taCenter") ? Qt::AlignHCenter : SameText(align, "taRightJustify") ? Qt::AlignRight
                                                                                              : Qt::AlignLeft);
      x += width;
    }
  }

  void ToolBar(const TControlLayout& c, const QRect& r, const QColor& bg, const QColor& fg) {
    p_.fillRect(r, bg);
    const bool captions = Bool(*c.Component, "ShowCaptions", false);
    const bool flat = Bool(*c.Component, "Flat", false);
    for (const THotSpot& spot : w_.hotSpots_) {
      if (spot.owner != c.Component) continue;
      const TComponentHelper& button = *spot.component;
      const std::string style = Value(button, "Style");
      if (SameText(style, "tbsSeparator") || SameText(style, "tbsDivider")) {
        Edge(p_, QRect(spot.rect.center().x() - 1, spot.rect.top() + 2, 2, spot.rect.height() - 4), kShadow, kWhite);
        continue;
      }
      if (!flat) Raised(p_, spot.rect);
      QRect glyph(spot.rect.center().x() - 8, spot.rect.top() + 3, 16, 16);
      if (!captions) glyph.moveTop(spot.rect.center().y() - 8);
      if (Int(button, "ImageIndex", -1) >= 0) {
        p_.setPen(kShadow);
        p_.drawRect(glyph.adjusted(2, 2, -3, -3));
      }
      if (captions) {
        const bool image = Int(button, "ImageIndex", -1) >= 0;
        Text(spot.rect.adjusted(1, image ? 19 : 1, -1, -1), w_.Shown(Value(button, "Caption")),
             Qt::AlignHCenter | (image ? Qt::AlignTop : Qt::AlignVCenter) | Qt::TextShowMnemonic, c.Font, fg);
      }
    }
  }

  void Grid(const TControlLayout& c, const QRect& r) {
    const TComponentHelper& comp = *c.Component;
    Field(c, r);
    const QRect inner = Inner(r, 2);
    const int cols = Int(comp, "ColCount", 5), rows = Int(comp, "RowCount", 5);
    const int fixedCols = Int(comp, "FixedCols", 1), fixedRows = Int(comp, "FixedRows", 1);
    const int width = std::max(1, Int(comp, "DefaultColWidth", 64)), height = std::max(1, Int(comp, "DefaultRowHeight", 24));
    p_.save();
    p_.setClipRect(inner.intersected(p_.clipBoundingRect().toRect()));
    for (int row = 0, y = inner.top(); row < rows && y <= inner.bottom(); ++row, y += height + 1)
      for (int col = 0, x = inner.left(); col < cols && x <= inner.right(); ++col, x += width + 1) {
        const QRect cell(x, y, width, height);
        if (row < fixedRows || col < fixedCols) {
          p_.fillRect(cell, kFace);
          Raised(p_, cell);
        } else {
          p_.setPen(kFace);
          p_.drawLine(cell.right() + 1, cell.top(), cell.right() + 1, cell.bottom() + 1);
          p_.drawLine(cell.left(), cell.bottom() + 1, cell.right() + 1, cell.bottom() + 1);
        }
      }
    p_.restore();
  }

  // Grids, list views and header controls with column titles from a collection.
  void Headed(const TControlLayout& c, const QRect& r, const QColor& fg) {
    const TComponentHelper& comp = *c.Component;
    const bool header = Is(comp, {"THeaderControl"});
    if (header) {
      p_.fillRect(r, kFace);
    } else {
      Field(c, r);
      if (Is(comp, {"TListView"}) && !SameText(Value(comp, "ViewStyle"), "vsReport")) return;
    }
    const TColumnTitles* titles = nullptr;
    for (const TColumnTitles& t : ColumnTitles())
      if (SameText(comp.ClassName, t.ClassName)) titles = &t;
    const QRect inner = header ? r : Inner(r, 2);
    const int height = header ? r.height() : QFontMetrics(Font(c.Font)).height() + (Is(comp, {"TDBGrid"}) ? 4 : 6);
    int x = inner.left();
    if (Is(comp, {"TDBGrid"})) {  // the row indicator
      const QRect indicator(x, inner.top(), 11, height);
      p_.fillRect(indicator, kFace);
      Raised(p_, indicator);
      x += 12;
    }
    const TCHPropertyItem* items = titles ? comp.FindPropertyItem(titles->Collection) : nullptr;
    const size_t count = items && items->PropertyType == ptCollection ? items->CollectionItems.size() : 0;
    for (size_t k = 0; k < count && x <= inner.right(); ++k) {
      const TComponentHelper& item = *items->CollectionItems[k];
      const int width = w_.layout_->Scale(Int(item, "Width", 64));
      const QRect cell(x, inner.top(), width, height);
      p_.fillRect(cell, kFace);
      Raised(p_, cell);
      Text(cell.adjusted(titles->Padding, 0, -titles->Padding, 0), w_.Shown(Value(item, std::string(titles->TextProperty))),
           Qt::AlignLeft | Qt::AlignVCenter, c.Font, fg);
      const std::string key = ComponentKey(comp) + "." + std::string(titles->Collection) + "[" + std::to_string(k) +
                              "]." + std::string(titles->TextProperty);
      w_.titleRects_[key] = cell;
      x += width + 1;
    }
    if (x <= inner.right()) {
      const QRect rest(x, inner.top(), inner.right() - x + 1, height);
      p_.fillRect(rest, kFace);
      Raised(p_, rest);
    }
  }

  void Shape(const TComponentHelper& comp, const QRect& r) {
    p_.save();
    p_.setRenderHint(QPainter::Antialiasing);
    p_.setPen(VclColor(Value(comp, "Pen.Color"), kDark));
    p_.setBrush(SameText(Value(comp, "Brush.Style"), "bsClear") ? QBrush(Qt::NoBrush)
                                                                  : QBrush(VclColor(Value(comp, "Brush.Color"), kWhite)));
    const std::string shape = Value(comp, "Shape");
    const QRectF box = QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5);
    if (SameText(shape, "stEllipse") || SameText(shape, "stCircle"))
      p_.drawEllipse(box);
    else if (SameText(shape, "stRoundRect") || SameText(shape, "stRoundSquare"))
      p_.drawRoundedRect(box, 6, 6);
    else
      p_.drawRect(box);
    p_.restore();
  }

  // Pictures are not decoded: a framed box with a cross says where one is.
  // A class the preview does not know shows its name and, where it has one,
  // its caption (report bands' labels), which is what a translator looks
  // for; a box too low for both shows the caption alone.
  void Placeholder(const TControlLayout& c, const QRect& r, const QColor& fg) {
    const TComponentHelper& comp = *c.Component;
    const bool image = Is(comp, {"TImage", "TPaintBox"});
    p_.setPen(QPen(kShadow, 1, Qt::DashLine));
    p_.setBrush(Qt::NoBrush);
    p_.drawRect(r.adjusted(0, 0, -1, -1));
    if (image) {
      p_.setPen(QPen(kLight, 1));
      p_.drawLine(r.topLeft(), r.bottomRight());
      p_.drawLine(r.bottomLeft(), r.topRight());
    }
    // The name in small grey letters in a corner, where it leaves the
    // caption its line.
    const QString caption = Shown(comp, "Caption");
    TFontSpec font;
    font.PixelHeight = 10;
    const int nameHeight = 14;
    const bool room = r.height() >= nameHeight + QFontMetrics(Font(c.Font)).height();
    if (caption.isEmpty() || image || room)
      Text(r.adjusted(3, 2, -2, -2), QString::fromLatin1(comp.ClassName.c_str()), Qt::AlignLeft | Qt::AlignTop, font,
           kShadow);
    if (!image && !caption.isEmpty())
      Text(r.adjusted(1, room ? nameHeight : 0, -1, 0), caption,
           Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic, c.Font, fg);
  }
};

TFormPreview::TFormPreview(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("ctlFormPreview"));
  setMouseTracking(false);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

TFormPreview::~TFormPreview() = default;

void TFormPreview::SetForm(const TComponentHelper* root, int codePage, TFitText values) {
  codePage_ = codePage;
  values_ = values;
  measure_ = std::make_unique<TQtTextMeasure>(codePage);
  if (root != root_) shownPages_.clear();
  root_ = root;
  highlighted_ = nullptr;
  Rebuild();
}

void TFormPreview::Rebuild() {
  layout_.reset();
  fits_.clear();
  children_.clear();
  hotSpots_.clear();
  byKey_.clear();
  captionFits_.clear();
  titleRects_.clear();
  glyphs_.clear();
  frame_ = {};
  menuHeight_ = 0;
  if (root_ && stillValid && !stillValid()) root_ = nullptr;
  if (root_) {
    layout_ = std::make_unique<TFormLayout>(*root_, measure_.get(), values_, shownPages_);
    const auto& controls = layout_->Controls;
    children_.resize(controls.size());
    // Graphic controls first: windowed ones cover them.
    for (bool graphic : {true, false})
      for (size_t i = 1; i < controls.size(); ++i)
        if (IsGraphic(*controls[i].Component) == graphic)
          children_[static_cast<size_t>(controls[i].Parent)].push_back(static_cast<int>(i));
    std::vector<const TComponentHelper*> stack{root_};
    while (!stack.empty()) {
      const TComponentHelper* c = stack.back();
      stack.pop_back();
      byKey_.emplace(ComponentKey(*c), c);
      for (const auto& child : c->Children) stack.push_back(child.get());
    }
    frame_ = FormFrame(Value(*root_, "BorderStyle"));
    CheckFits();
    LayOutHotSpots();
  }
  if (highlighted_ && !ControlRect(highlighted_).isValid()) highlighted_ = nullptr;
  const QSize size = sizeHint();
  setFixedSize(size);
  update();
}

void TFormPreview::CheckFits() {
  fits_ = CheckFit(*layout_, *measure_, values_);
  IndexCaptionFits();
}

void TFormPreview::IndexCaptionFits() {
  captionFits_.clear();
  for (size_t i = 0; i < fits_.size(); ++i)
    if (fits_[i].Key.ends_with(".Caption") && fits_[i].Key == ComponentKey(*fits_[i].Component) + ".Caption")
      captionFits_[fits_[i].Component] = i;
}

void TFormPreview::LayOutHotSpots() {
  hotSpots_.clear();
  menuHeight_ = 0;
  const TComponentHelper& root = *root_;
  const QPoint origin(kMargin + frame_.Border, kMargin + frame_.Border + frame_.Caption);
  // The main menu's top items in a bar under the caption.
  const std::string menuName = Value(root, "Menu");
  const TComponentHelper* menu = nullptr;
  for (const TComponentHelper* c : layout_->NonVisual)
    if (!menuName.empty() && SameText(c->Name, menuName)) menu = c;
  if (menu) {
    menuHeight_ = kMenuBarHeight;
    const TFontSpec font;
    int x = origin.x();
    for (const auto& item : menu->Children) {
      if (!PropertyBool(*item, "Visible", true, values_)) continue;
      const int width = measure_->TextWidth(StripAccelerators(Value(*item, "Caption")), font) + 14;
      hotSpots_.push_back({item.get(), &root, QRect(x, origin.y() + 1, width, kMenuBarHeight - 2)});
      x += width;
    }
  }
  const QPoint client = ClientOrigin();
  for (size_t i = 1; i < layout_->Controls.size(); ++i) {
    const TControlLayout& c = layout_->Controls[i];
    if (c.Class && c.Class->Client == TClientKind::PageControl) {
      // One row of tabs along the top, each as wide as its caption needs.
      const int row = c.AlignArea.Top - c.ClientArea.Top - kPageFrame;
      int x = client.x() + c.ClientArea.Left + 2;
      const int y = client.y() + c.ClientArea.Top + 2;
      auto add = [&](const TComponentHelper* component, const std::string& caption, int item) {
        const int width = measure_->TextWidth(StripAccelerators(caption), c.Font) + 2 * kTabPadding;
        hotSpots_.push_back({component, c.Component, QRect(x, y, width, row - 2), item});
        x += width;
      };
      if (SameText(c.Component->ClassName, "TTabControl")) {
        const TCHPropertyItem* tabs = c.Component->FindPropertyItem("Tabs.Strings");
        if (tabs && tabs->PropertyType == ptList)
          for (size_t k = 0; k < tabs->ListValues.size(); ++k)
            add(c.Component,
                values_ == TFitText::Original ? tabs->ListValues[k]->OriginalValue : tabs->ListValues[k]->TranslatedValue,
                static_cast<int>(k));
      }
      for (int child : children_[i]) {
        const TControlLayout& sheet = layout_->Controls[static_cast<size_t>(child)];
        if (IsTabSheet(sheet) && PropertyBool(*sheet.Component, "TabVisible", true, values_))
          add(sheet.Component, Value(*sheet.Component, "Caption"), -1);
      }
    }
    if (SameText(c.Component->ClassName, "TToolBar")) {
      // The bar lines its buttons up in the order of their places, each as
      // wide as the bar's ButtonWidth or, with captions shown, its caption
      // needs: a longer translation pushes the buttons after it along.
      const bool captions = PropertyBool(*c.Component, "ShowCaptions", false, values_);
      const int width = PropertyInt(*c.Component, "ButtonWidth", 23, values_);
      const int textHeight = measure_->TextHeight(c.Font);
      int height = PropertyInt(*c.Component, "ButtonHeight", 22, values_);
      std::vector<const TComponentHelper*> buttons;
      for (const auto& child : c.Component->Children)
        if (SameText(child->ClassName, "TToolButton") && PropertyBool(*child, "Visible", true, values_))
          buttons.push_back(child.get());
      std::stable_sort(buttons.begin(), buttons.end(), [&](const TComponentHelper* a, const TComponentHelper* b) {
        return PropertyInt(*a, "Left", 0, values_) < PropertyInt(*b, "Left", 0, values_);
      });
      bool images = false;
      for (const TComponentHelper* b : buttons) images = images || PropertyInt(*b, "ImageIndex", -1, values_) >= 0;
      if (captions) height = std::max(height, (images ? 19 : 0) + textHeight + 6);
      const QRect bar = ToWidget(c.ClientArea);
      int x = bar.left() + (buttons.empty() ? 0 : layout_->Scale(PropertyInt(*buttons[0], "Left", 0, values_)));
      const int y = bar.top() + 2;
      for (const TComponentHelper* b : buttons) {
        const std::string style = Value(*b, "Style");
        const bool separator = SameText(style, "tbsSeparator") || SameText(style, "tbsDivider");
        int w = layout_->Scale(PropertyInt(*b, "Width", separator ? 8 : width, values_));
        if (captions && !separator)
          w = std::max(w, measure_->TextWidth(StripAccelerators(Value(*b, "Caption")), c.Font) + 8);
        hotSpots_.push_back({b, c.Component, QRect(x, y, w, separator ? layout_->Scale(22) : height)});
        x += w;
      }
    }
  }
}

QPoint TFormPreview::ClientOrigin() const {
  return {kMargin + frame_.Border, kMargin + frame_.Border + frame_.Caption + menuHeight_};
}

QRect TFormPreview::ToWidget(const TRect& r) const {
  const QPoint o = ClientOrigin();
  return {o.x() + r.Left, o.y() + r.Top, r.Width, r.Height};
}

QSize TFormPreview::sizeHint() const {
  if (!layout_) return {320, 200};
  // Windows keeps a window within a few screens' size; a damaged or hostile
  // form's million pixels must not become a widget (and a picture) as large.
  constexpr int kLargest = 8192;
  const TRect& client = layout_->Controls[0].Bounds;
  return {std::min(kLargest, client.Width + 2 * frame_.Border + 2 * kMargin),
          std::min(kLargest, client.Height + 2 * frame_.Border + frame_.Caption + menuHeight_ + 2 * kMargin)};
}

std::string TFormPreview::Value(const TComponentHelper& c, std::string_view name) const {
  return PropertyText(c, name, values_);
}

QString TFormPreview::Shown(const std::string& text) const { return FromAnsi(text, codePage_); }

const QPixmap* TFormPreview::Glyph(const TComponentHelper& c) const {
  auto at = glyphs_.find(&c);
  if (at == glyphs_.end()) {
    QPixmap pixmap;
    const TCHPropertyItem* data = c.FindPropertyItem("Glyph.Data");
    // The stored picture is a 4-byte size, then a whole .bmp file.
    const std::vector<std::byte> bytes = data && data->PropertyType == ptBinary ? HexBytes(data->OriginalValue)
                                                                                 : std::vector<std::byte>();
    QImage image;
    if (bytes.size() > 4 &&
        image.loadFromData(reinterpret_cast<const uchar*>(bytes.data()) + 4, static_cast<int>(bytes.size() - 4),
                           "BMP")) {
      const int glyphs = std::clamp(PropertyInt(c, "NumGlyphs", 1, values_), 1, 4);
      image = image.copy(0, 0, image.width() / glyphs, image.height()).convertToFormat(QImage::Format_ARGB32);
      // The bottom-left pixel's colour is the transparent one, as the VCL takes it.
      const QRgb transparent = image.pixel(0, image.height() - 1);
      for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
          if (image.pixel(x, y) == transparent) image.setPixel(x, y, qRgba(0, 0, 0, 0));
      pixmap = QPixmap::fromImage(image);
    }
    at = glyphs_.emplace(&c, std::move(pixmap)).first;
  }
  return at->second.isNull() ? nullptr : &at->second;
}

const TComponentHelper* TFormPreview::ComponentOfPath(std::string_view path) const {
  if (!Live()) return nullptr;
  const std::string_view key = path.substr(0, path.find('.'));
  auto at = byKey_.find(key);
  return at == byKey_.end() ? nullptr : at->second;
}

QRect TFormPreview::ControlRect(const TComponentHelper* component) const {
  if (!component || !Live()) return {};
  for (const THotSpot& spot : hotSpots_)
    if (spot.component == component && spot.item < 0) return spot.rect;
  // A menu's inner items show where their item on the bar is.
  for (const TComponentHelper* up = component->Parent; up && up != root_; up = up->Parent)
    for (const THotSpot& spot : hotSpots_)
      if (spot.component == up && spot.owner == root_) return spot.rect;
  const TControlLayout* c = layout_->Find(component);
  if (!c || !c->Shown) return {};
  if (c == &layout_->Controls[0]) {
    const QRect client = ToWidget(c->Bounds);
    return client.adjusted(-frame_.Border, -frame_.Border - frame_.Caption - menuHeight_, frame_.Border,
                           frame_.Border);
  }
  return ToWidget(c->Bounds);
}

QRect TFormPreview::FitRect(const TTextFit& fit) const {
  auto title = titleRects_.find(fit.Key);
  if (title != titleRects_.end()) return title->second;
  QRect r = ControlRect(fit.Component);
  const TControlLayout* c = layout_->Find(fit.Component);
  // A label that grows takes its text's width, as far as its parent lets it.
  if (c && c->Class && c->Class->Caption == TCaptionKind::Label && CaptionRoom(*layout_, *c).Grows)
    r.setWidth(std::max(r.width(), std::min(fit.Needed, fit.Room)));
  return r;
}

QRect TFormPreview::DirtyRect(const TComponentHelper* component) const {
  QRect dirty = ControlRect(component);
  for (const TTextFit& fit : fits_)
    if (fit.Component == component) dirty |= FitRect(fit);
  const TControlLayout* c = layout_ ? layout_->Find(component) : nullptr;
  if (c && c->Parent >= 0) {
    const TControlLayout& parent = layout_->Controls[static_cast<size_t>(c->Parent)];
    // A label's new text may reach as far as its parent lets it; a tab's
    // change moves its siblings.
    if (c->Class && c->Class->Caption == TCaptionKind::Label) {
      const QRect area = ToWidget(parent.ClientArea);
      dirty.setRight(std::max(dirty.right(), area.right()));
    }
    if (IsTabSheet(*c)) dirty |= ToWidget(parent.Bounds);
  }
  return dirty.isEmpty() ? dirty : dirty.adjusted(-3, -3, 3, 3);
}

void TFormPreview::TextChanged(const TComponentHelper* component) {
  if (!component || !Live()) return;
  const TControlLayout* c = layout_->Find(component);
  bool menuItem = false;
  for (const THotSpot& spot : hotSpots_)
    if (spot.component == component && spot.owner == root_) menuItem = true;
  if (menuItem || component == root_) {
    // The caption bar or the menu bar: cheap to lay out again.
    LayOutHotSpots();
    update(QRect(0, 0, width(), ClientOrigin().y()));
    return;
  }
  if (!c) return;
  // The controls whose fit the text can change: the control, and for a tab
  // its sibling tabs, which share the row.
  std::vector<const TComponentHelper*> changed{component};
  if (IsTabSheet(*c))
    for (const TControlLayout& s : layout_->Controls)
      if (&s != c && s.Parent == c->Parent && IsTabSheet(s)) changed.push_back(s.Component);
  QRect dirty;
  for (const TComponentHelper* k : changed) dirty |= DirtyRect(k);
  for (const TComponentHelper* k : changed) {
    std::vector<TTextFit> again = CheckFit(*layout_, *measure_, values_, k);
    size_t at = 0;
    while (at < fits_.size() && fits_[at].Component != k) ++at;
    std::erase_if(fits_, [&](const TTextFit& f) { return f.Component == k; });
    fits_.insert(fits_.begin() + static_cast<std::ptrdiff_t>(std::min(at, fits_.size())), again.begin(), again.end());
  }
  IndexCaptionFits();
  if (IsTabSheet(*c)) LayOutHotSpots();
  for (const TComponentHelper* k : changed) dirty |= DirtyRect(k);
  update(dirty);
}

bool TFormPreview::ShowPagesOf(const TComponentHelper* component) {
  if (!component || !Live()) return false;
  bool turned = false;
  for (const TComponentHelper* c = component; c && c != root_; c = c->Parent) {
    const TControlLayout* sheet = layout_->Find(c);
    if (!sheet || !IsTabSheet(*sheet) || sheet->Visible) continue;
    std::erase_if(shownPages_, [&](const TComponentHelper* s) { return s->Parent == c->Parent; });
    shownPages_.push_back(c);
    turned = true;
  }
  if (turned) {
    const TComponentHelper* highlighted = highlighted_;
    Rebuild();
    highlighted_ = highlighted && ControlRect(highlighted).isValid() ? highlighted : nullptr;
  }
  return turned;
}

void TFormPreview::Highlight(const TComponentHelper* component) {
  ShowPagesOf(component);
  if (component == highlighted_) return;
  QRect dirty = highlighted_ ? ControlRect(highlighted_).adjusted(-4, -4, 4, 4) : QRect();
  highlighted_ = ControlRect(component).isValid() ? component : nullptr;
  if (highlighted_) dirty |= ControlRect(highlighted_).adjusted(-4, -4, 4, 4);
  if (!dirty.isEmpty()) update(dirty);
}

const TComponentHelper* TFormPreview::ComponentAt(QPoint at) const {
  if (!Live()) return nullptr;
  for (const THotSpot& spot : hotSpots_)
    if (spot.rect.contains(at)) return spot.item < 0 ? spot.component : spot.owner;
  if (!ControlRect(root_).contains(at)) return nullptr;
  // The innermost control, the last painted where siblings overlap.
  int index = 0;
  QRect clip = ToWidget(layout_->Controls[0].Bounds);
  for (bool deeper = true; deeper;) {
    deeper = false;
    const auto& kids = children_[static_cast<size_t>(index)];
    for (auto k = kids.rbegin(); k != kids.rend(); ++k) {
      const TControlLayout& c = layout_->Controls[static_cast<size_t>(*k)];
      if (!c.Shown || !ToWidget(c.Bounds).intersected(clip).contains(at)) continue;
      index = *k;
      clip = ToWidget(c.ClientArea).intersected(clip);
      deeper = true;
      break;
    }
  }
  return layout_->Controls[static_cast<size_t>(index)].Component;
}

void TFormPreview::paintEvent(QPaintEvent* event) {
  lastPaint_ = event->rect();
  if (lastPaint_ == rect()) ++fullPaints_;
  QPainter p(this);
  p.fillRect(event->rect(), palette().color(QPalette::Dark));
  if (!Live()) {
    p.setPen(palette().color(QPalette::BrightText));
    p.drawText(rect(), Qt::AlignCenter | Qt::TextWordWrap, tr("No form is selected."));
    return;
  }
  titleRects_.clear();
  TPainter(*this, p, event->rect()).Run();
}

void TFormPreview::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
  // A click on a tab turns its page control to that page, as on the form.
  if (const TComponentHelper* c = ComponentAt(event->position().toPoint())) {
    Highlight(c);
    emit ComponentClicked(c);
  }
}

void TFormPreview::mouseDoubleClickEvent(QMouseEvent* event) {
  if (const TComponentHelper* c = ComponentAt(event->position().toPoint())) emit ComponentActivated(c);
}

bool TFormPreview::event(QEvent* event) {
  if (event->type() != QEvent::ToolTip) return QWidget::event(event);
  auto* help = static_cast<QHelpEvent*>(event);
  const TComponentHelper* c = ComponentAt(help->pos());
  if (!c) {
    QToolTip::hideText();
    event->ignore();
    return true;
  }
  QString tip = QStringLiteral("%1: %2").arg(QString::fromLatin1(c->Name.c_str()), QString::fromLatin1(c->ClassName.c_str()));
  for (const TTextFit& fit : fits_)
    if (fit.Component == c && !fit.Fits)
      tip += tr("\n%1 does not fit: it needs %2 px, the control gives %3 px")
                 .arg(QString::fromLatin1(fit.Key.c_str()))
                 .arg(fit.Needed)
                 .arg(fit.Room);
  QToolTip::showText(help->globalPos(), tip, this);
  return true;
}

}  // namespace kst::ui
