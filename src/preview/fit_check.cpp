// The fit check: each caption-like text measured against the room its
// control leaves it. Rooms are the control's size less the margins of the
// class table; they are close to what Windows draws, not pixel-exact.
#include "preview/fit_check.h"

#include <algorithm>

#include "platform/same_text.h"

namespace kst {

namespace {

// A bitmap or speed button's glyph: the Glyph.Data bitmap's width over
// NumGlyphs (its images side by side), or the VCL's 18-pixel stock glyph for
// a bitmap button of another Kind than bkCustom. Glyph.Data is a 4-byte
// size, a BITMAPFILEHEADER (14 bytes), then the info header's size and width.
int GlyphWidth(const TComponentHelper& c, TFitText values) {
  const TCHPropertyItem* data = c.FindPropertyItem("Glyph.Data");
  const std::string hex = data && data->PropertyType == ptBinary ? data->OriginalValue : std::string();
  if (hex.size() >= 52) {
    auto byte = [&](size_t i) { return std::stoi(hex.substr(2 * i, 2), nullptr, 16); };
    const bool core = byte(18) == 12;  // an OS/2 BITMAPCOREHEADER has 16-bit sizes
    int width = byte(22) | byte(23) << 8;
    if (!core) width |= byte(24) << 16 | byte(25) << 24;
    const int glyphs = std::max(1, PropertyInt(c, "NumGlyphs", 1, values));
    return width > 0 && width < 4096 ? width / glyphs : 0;
  }
  const std::string kind = PropertyText(c, "Kind", values);
  return SameText(c.ClassName, "TBitBtn") && !kind.empty() && !SameText(kind, "bkCustom") ? 18 : 0;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines(1);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    if (text[i] == '\r' || text[i] == '\n') lines.emplace_back();
    else lines.back() += text[i];
  }
  return lines;
}

const std::string& Chosen(const TCHValue& value, TFitText which) {
  return which == TFitText::Original ? value.OriginalValue : value.TranslatedValue;
}

bool IsTabSheet(const TControlLayout& c) { return c.Class && c.Class->Caption == TCaptionKind::TabSheet; }

class TFitChecker {
public:
  TFitChecker(const TFormLayout& layout, const TTextMeasure& measure, TFitText which)
      : layout_(layout), measure_(measure), which_(which) {}

  std::vector<TTextFit> Run(const TComponentHelper* only) {
    for (size_t i = 1; i < layout_.Controls.size(); ++i) {
      const TControlLayout& c = layout_.Controls[i];
      if (only && c.Component != only) continue;
      if (c.Class && c.Class->Caption != TCaptionKind::None) CheckCaption(c);
      CheckColumns(c);
    }
    return std::move(fits_);
  }

private:
  const TFormLayout& layout_;
  const TTextMeasure& measure_;
  TFitText which_;
  std::vector<TTextFit> fits_;

  // What a tab of the sheet takes in its row.
  int TabWidth(const TControlLayout& sheet) const {
    const TCHPropertyItem* caption = sheet.Component->FindPropertyItem("Caption");
    const std::string text = caption ? StripAccelerators(Chosen(*caption, which_)) : std::string();
    return measure_.TextWidth(text, sheet.Font) + 2 * kTabPadding;
  }

  void CheckCaption(const TControlLayout& c) {
    const TCHPropertyItem* caption = c.Component->FindPropertyItem("Caption");
    if (!caption || caption->PropertyType != ptString || Chosen(*caption, which_).empty()) return;
    int otherTabs = 0;
    if (IsTabSheet(c))
      for (const TControlLayout& s : layout_.Controls)
        if (&s != &c && s.Parent == c.Parent && IsTabSheet(s) &&
            PropertyBool(*s.Component, "TabVisible", true, layout_.Values))
          otherTabs += TabWidth(s);
    const TCaptionRoom room = CaptionRoom(layout_, c, otherTabs);
    const bool accelerators =
        c.Class->Caption != TCaptionKind::Label || PropertyBool(*c.Component, "ShowAccelChar", true, layout_.Values);
    const std::string& raw = Chosen(*caption, which_);
    TTextFit fit;
    fit.Key = ComponentKey(*c.Component) + ".Caption";
    fit.Component = c.Component;
    fit.Text = accelerators ? StripAccelerators(raw) : raw;
    if (room.Wraps) {
      Wrap(fit, room, c.Font);
    } else {
      for (const std::string& line : Lines(fit.Text))
        fit.Needed = std::max(fit.Needed, measure_.TextWidth(line, c.Font));
      fit.Room = room.Width;
    }
    fit.Fits = fit.Needed <= fit.Room;
    fits_.push_back(std::move(fit));
  }

  // DrawText's word break: words go on a line while they fit; a word wider
  // than the line is cut, which is what does not fit.
  void Wrap(TTextFit& fit, const TCaptionRoom& room, const TFontSpec& font) const {
    int lines = 0, widestWord = 0;
    for (const std::string& paragraph : Lines(fit.Text)) {
      std::string line;
      ++lines;
      size_t at = 0;
      while (at <= paragraph.size()) {
        size_t end = paragraph.find(' ', at);
        if (end == std::string::npos) end = paragraph.size();
        const std::string word = paragraph.substr(at, end - at);
        widestWord = std::max(widestWord, measure_.TextWidth(word, font));
        const std::string joined = line.empty() ? word : line + " " + word;
        if (!line.empty() && measure_.TextWidth(joined, font) > room.Width) {
          ++lines;
          line = word;
        } else {
          line = joined;
        }
        at = end + 1;
      }
    }
    if (widestWord > room.Width || room.Height == 0) {
      fit.Needed = widestWord;
      fit.Room = room.Width;
    } else {
      fit.Needed = lines * measure_.TextHeight(font);
      fit.Room = room.Height;
    }
  }

  void CheckColumns(const TControlLayout& c) {
    for (const TColumnTitles& t : ColumnTitles()) {
      if (!SameText(c.Component->ClassName, t.ClassName)) continue;
      const TCHPropertyItem* items = c.Component->FindPropertyItem(t.Collection);
      if (!items || items->PropertyType != ptCollection) continue;
      for (size_t k = 0; k < items->CollectionItems.size(); ++k) {
        const TComponentHelper& item = *items->CollectionItems[k];
        const TCHPropertyItem* title = item.FindPropertyItem(t.TextProperty);
        const int width = PropertyInt(item, "Width", -1, layout_.Values);
        if (!title || title->PropertyType != ptString || Chosen(*title, which_).empty() || width < 0) continue;
        TTextFit fit;
        fit.Key = ComponentKey(*c.Component) + "." + std::string(t.Collection) + "[" + std::to_string(k) + "]." +
                  std::string(t.TextProperty);
        fit.Component = c.Component;
        fit.Text = Chosen(*title, which_);
        fit.Needed = measure_.TextWidth(fit.Text, c.Font);
        fit.Room = layout_.Scale(width) - 2 * t.Padding;
        fit.Fits = fit.Needed <= fit.Room;
        fits_.push_back(std::move(fit));
      }
    }
  }
};

}  // namespace

std::string ComponentKey(const TComponentHelper& c) {
  if (!c.Name.empty() || !c.Parent) return c.Name;
  const auto& siblings = c.Parent->Children;
  size_t k = 0;
  while (k < siblings.size() && siblings[k].get() != &c) ++k;
  return ComponentKey(*c.Parent) + "{" + std::to_string(k) + "}";
}

bool HasFixedCaptionSize(const TComponentHelper& component) {
  const TControlClass* cls = FindControlClass(component.ClassName);
  if (!cls || cls->Caption == TCaptionKind::None || cls->Caption == TCaptionKind::TabSheet) return false;
  if (const TCHPropertyItem* autoSize = component.FindPropertyItem("AutoSize"))
    return SameText(autoSize->OriginalValue, "False");
  return !cls->AutoSizeByDefault;
}

std::string StripAccelerators(std::string_view caption) {
  std::string text;
  for (size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&') {
      if (i + 1 < caption.size() && caption[i + 1] == '&') text += '&';
      ++i;
      if (i < caption.size() && caption[i] != '&') text += caption[i];
      continue;
    }
    text += caption[i];
  }
  return text;
}

TCaptionRoom CaptionRoom(const TFormLayout& layout, const TControlLayout& control, int otherTabs) {
  TCaptionRoom room;
  const TComponentHelper& c = *control.Component;
  const TCaptionKind kind = control.Class ? control.Class->Caption : TCaptionKind::None;
  const TCaptionMargins margins = CaptionMargins(kind);
  const int width = control.Bounds.Width;
  switch (kind) {
    case TCaptionKind::Label: {
      const bool autoSize = PropertyBool(c, "AutoSize", control.Class->AutoSizeByDefault, layout.Values);
      room.Wraps = PropertyBool(c, "WordWrap", false, layout.Values);
      if (room.Wraps) {
        room.Width = width;
        room.Height = autoSize ? 0 : control.Bounds.Height;
      } else if (autoSize && control.Align == TAlign::alNone && control.Parent >= 0) {
        // It grows to the right (its Left stays) up to its parent's edge.
        room.Grows = true;
        room.Width = layout.Controls[control.Parent].ClientArea.Right() - control.Bounds.Left;
      } else {
        room.Width = width;
      }
      return room;
    }
    case TCaptionKind::GlyphButton: {
      const int glyph = GlyphWidth(c, layout.Values);
      const std::string placement = PropertyText(c, "Layout", layout.Values);
      const bool beside =
          placement.empty() || SameText(placement, "blGlyphLeft") || SameText(placement, "blGlyphRight");
      room.Width = width - margins.Left - margins.Right - (glyph > 0 && beside ? glyph + kGlyphSpacing : 0);
      break;
    }
    case TCaptionKind::Panel:
      room.Width = control.AlignArea.Width - margins.Left - margins.Right;
      break;
    case TCaptionKind::TabSheet: {
      const TControlLayout& pages = layout.Controls[control.Parent];
      room.Width = pages.AlignArea.Width - otherTabs - margins.Left - margins.Right;
      break;
    }
    case TCaptionKind::Button:
    case TCaptionKind::CheckBox:
    case TCaptionKind::GroupBox:
      room.Width = width - margins.Left - margins.Right;
      break;
    case TCaptionKind::None: break;
  }
  room.Width = std::max(0, room.Width);
  return room;
}

std::vector<TTextFit> CheckFit(const TFormLayout& layout, const TTextMeasure& measure, TFitText which,
                               const TComponentHelper* only) {
  return TFitChecker(layout, measure, which).Run(only);
}

}  // namespace kst
