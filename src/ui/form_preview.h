// TFormPreview: a likeness of the current form as the language module will
// show it, painted from the form model (the layout of preview/form_layout.h)
// with the language's texts through its code page. Texts that do not fit
// their control are outlined in red; one control can be highlighted (the
// grid's current row), and a click on a control names it.
#pragma once

#include <QPixmap>
#include <QWidget>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "preview/fit_check.h"
#include "preview/form_layout.h"
#include "ui/qt_text_measure.h"

namespace kst::ui {

class TFormPreview : public QWidget {
  Q_OBJECT

public:
  explicit TFormPreview(QWidget* parent = nullptr);
  ~TFormPreview() override;

  // Draws the form of `root` (nothing when null) with its `values` texts in
  // `codePage`.
  void SetForm(const TComponentHelper* root, int codePage, TFitText values);
  const TComponentHelper* Root() const { return root_; }
  // Whether the root given is still the form's: a form read again while a
  // question is open (its file changed) frees the old tree before the
  // window refills, and a paint in between must not touch it. Unset: always.
  std::function<bool()> stillValid;
  // Lays the form out again (a size, position or font changed).
  void Rebuild();
  // A text of the component changed: its fit is checked again and only the
  // part of the preview it covers is drawn again.
  void TextChanged(const TComponentHelper* component);
  // The control drawn with the highlight frame; null for none. A control on
  // a page that is not shown turns its page control to that page.
  void Highlight(const TComponentHelper* component);
  // Turns the page controls the component lies on to its pages; true when
  // one turned (the form was laid out again).
  bool ShowPagesOf(const TComponentHelper* component);
  const TComponentHelper* Highlighted() const { return highlighted_; }

  const TFormLayout* Layout() const { return layout_.get(); }
  const std::vector<TTextFit>& Fits() const { return fits_; }
  // The innermost shown control (or menu item, or tab) at a point of the
  // widget; the form itself inside its frame; null outside.
  const TComponentHelper* ComponentAt(QPoint at) const;
  // Where a control is drawn, in widget coordinates (empty when it is not).
  QRect ControlRect(const TComponentHelper* component) const;
  // The component whose value a property path names ("Button1.Caption",
  // "Form1{2}.Items.Strings[0]"); null when the form has none.
  const TComponentHelper* ComponentOfPath(std::string_view path) const;
  // How often a paint event drew the whole preview, and the area of the
  // last one (for the tests of partial redraws).
  int FullPaints() const { return fullPaints_; }
  QRect LastPaintRect() const { return lastPaint_; }

  QSize sizeHint() const override;

signals:
  void ComponentClicked(const kst::TComponentHelper* component);
  void ComponentActivated(const kst::TComponentHelper* component);

protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  bool event(QEvent* event) override;

private:
  class TPainter;
  friend class TPainter;

  // A part of a control that answers a click on its own: a menu item, a tab.
  struct THotSpot {
    const TComponentHelper* component;  // the item, tab sheet or tool button
    const TComponentHelper* owner;      // its menu bar's form, page or tab control, tool bar
    QRect rect;
    int item = -1;  // a tab control's tab: its index in Tabs
  };

  bool Live() const { return layout_ && (!stillValid || stillValid()); }
  QPoint ClientOrigin() const;
  QRect ToWidget(const TRect& r) const;
  // The rectangle a control's text covers: its bounds, or for a label that
  // grows the width its text takes.
  QRect FitRect(const TTextFit& fit) const;
  QRect DirtyRect(const TComponentHelper* component) const;
  std::string Value(const TComponentHelper& c, std::string_view name) const;
  QString Shown(const std::string& text) const;
  const QPixmap* Glyph(const TComponentHelper& c) const;
  void CheckFits();
  void IndexCaptionFits();
  void LayOutHotSpots();

  const TComponentHelper* root_ = nullptr;
  int codePage_ = 1252;
  TFitText values_ = TFitText::Original;
  std::unique_ptr<TQtTextMeasure> measure_;
  std::unique_ptr<TFormLayout> layout_;
  std::vector<TTextFit> fits_;
  std::vector<std::vector<int>> children_;  // layout index -> its children's, in painting order
  std::vector<THotSpot> hotSpots_;
  std::map<std::string, const TComponentHelper*, std::less<>> byKey_;
  std::map<const TComponentHelper*, size_t> captionFits_;  // component -> its Caption's index in fits_
  TWindowFrame frame_;
  int menuHeight_ = 0;
  // Column title cells by the fit's key, as last painted.
  mutable std::map<std::string, QRect> titleRects_;
  mutable std::map<const TComponentHelper*, QPixmap> glyphs_;
  const TComponentHelper* highlighted_ = nullptr;
  std::vector<const TComponentHelper*> shownPages_;  // tab sheets turned to
  int fullPaints_ = 0;
  QRect lastPaint_;
};

}  // namespace kst::ui
