// Drawing the grids' cells and opening their editor.
#include "ui/grid_delegate.h"

#include <QApplication>
#include <QPainter>
#include <QTextLayout>
#include <qdrawutil.h>

#include "ui/cell_editor.h"
#include "ui/display_state.h"
#include "ui/grid_model.h"
#include "ui/spell_checker.h"

namespace kst::ui {

TGridDelegate::TGridDelegate(const TDisplayState& display, TSpellChecker* spell, QObject* parent)
    : QStyledItemDelegate(parent), display_(display), spell_(spell) {}

QColor TGridDelegate::PlaceholderColor(const QPalette& palette) {
  // A purple that stands apart from the default blue of translated texts;
  // lightened on a dark background.
  return palette.color(QPalette::Base).lightness() < 128 ? QColor(230, 150, 220) : QColor(150, 30, 120);
}

std::vector<TGridDelegate::TMark> TGridDelegate::Marks(const QModelIndex& index) const {
  std::vector<TMark> marks;
  const QString text = ShownText(index.data(Qt::DisplayRole).toString());
  if (text.isEmpty()) return marks;
  for (const TTextRange& r : PlaceholderRanges(text)) marks.push_back({r, false});
  if (spell_ && spell_->Ready() && index.data(kSpellRole).toBool())
    for (const TTextRange& r : spell_->Misspelled(text)) marks.push_back({r, true});
  return marks;
}

void TGridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  const QPalette& palette = option.palette;
  const int style = index.data(kStyleRole).toInt();
  const bool readOnly = style == kStyleHeader;
  const bool selected = !readOnly && (option.state & QStyle::State_Selected);
  const QRect r = option.rect;
  painter->save();
  painter->fillRect(r, readOnly ? palette.button() : selected ? palette.highlight() : palette.base());
  QVariant check = index.data(Qt::CheckStateRole);
  if (check.isValid()) {
    QStyle* s = option.widget ? option.widget->style() : QApplication::style();
    QStyleOptionButton box;
    int w = s->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, option.widget);
    int h = s->pixelMetric(QStyle::PM_IndicatorHeight, nullptr, option.widget);
    box.rect = QRect(r.left() + (r.width() - w) / 2, r.top() + (r.height() - h) / 2, w, h);
    box.state = QStyle::State_Enabled | (check.toInt() == Qt::Checked ? QStyle::State_On : QStyle::State_Off);
    box.palette = palette;
    s->drawPrimitive(QStyle::PE_IndicatorCheckBox, &box, painter, option.widget);
  } else {
    DrawText(painter, option, index, style, selected);
  }
  if (readOnly) qDrawShadePanel(painter, r, palette, false, 1);
  if (!readOnly && (option.state & QStyle::State_HasFocus)) {
    QStyleOptionFocusRect focus;
    focus.rect = r.adjusted(1, 1, -1, -1);
    focus.state = option.state;
    focus.palette = palette;
    focus.backgroundColor = selected ? palette.color(QPalette::Highlight) : palette.color(QPalette::Base);
    QStyle* s = option.widget ? option.widget->style() : QApplication::style();
    s->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, option.widget);
  }
  painter->restore();
}

void TGridDelegate::DrawText(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index, int style,
                             bool selected) const {
  const QString text = ShownText(index.data(Qt::DisplayRole).toString());
  if (text.isEmpty()) return;
  const QPalette& palette = option.palette;
  QFont font = display_.Font(style, option.font);
  QColor color = selected ? palette.color(QPalette::HighlightedText)
                 : style == kStyleHeader ? palette.color(QPalette::ButtonText)
                                         : display_.Color(style, palette);
  QList<QTextLayout::FormatRange> formats;
  QColor placeholder = PlaceholderColor(palette);
  QColor tint = selected ? palette.color(QPalette::HighlightedText) : placeholder;
  tint.setAlpha(45);
  for (const TMark& mark : Marks(index)) {
    QTextLayout::FormatRange f;
    f.start = mark.range.start;
    f.length = mark.range.length;
    if (mark.misspelled) {
      f.format.setUnderlineStyle(QTextCharFormat::SpellCheckUnderline);
      f.format.setUnderlineColor(selected ? palette.color(QPalette::HighlightedText) : QColor(220, 30, 30));
    } else {
      if (!selected) f.format.setForeground(placeholder);
      f.format.setBackground(tint);
    }
    formats << f;
  }
  QTextLayout layout(text, font, painter->device());
  QTextOption textOption;
  textOption.setWrapMode(QTextOption::NoWrap);
  layout.setTextOption(textOption);
  layout.setFormats(formats);
  layout.beginLayout();
  QTextLine line = layout.createLine();
  if (!line.isValid()) {
    layout.endLayout();
    return;
  }
  line.setLineWidth(1e6);
  layout.endLayout();
  const QRect r = option.rect;
  painter->setClipRect(r.adjusted(1, 1, -1, -1));
  painter->setPen(color);
  qreal top = r.top() + (r.height() - line.height()) / 2.0;
  layout.draw(painter, QPointF(r.left() + 3, top));
}

QWidget* TGridDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  auto* editor = new TCellEditor(parent, index.model()->data(index, kCodePageRole).toInt(), spell_);
  editor->setFont(display_.Font(kStyleStandard, option.font));
  connect(editor, &TCellEditor::Refused, this, &TGridDelegate::Refused);
  editor_ = editor;
  return editor;
}

void TGridDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
  if (auto* cell = qobject_cast<TCellEditor*>(editor)) cell->SetOpeningText(index.data(Qt::EditRole).toString());
}

void TGridDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const {
  if (auto* cell = qobject_cast<TCellEditor*>(editor)) model->setData(index, cell->text(), Qt::EditRole);
}

void TGridDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option, const QModelIndex&) const {
  editor->setGeometry(option.rect.adjusted(1, 0, 0, 0));
}

// A closed editor is hidden at once but deleted only later: until then it
// is no longer the open one.
TCellEditor* TGridDelegate::OpenEditor() const { return editor_ && !editor_->isHidden() ? editor_.data() : nullptr; }

void TGridDelegate::CommitEditor() {
  TCellEditor* editor = OpenEditor();
  if (!editor) return;
  emit commitData(editor);
  emit closeEditor(editor, QAbstractItemDelegate::NoHint);
  editor_.clear();
}

}  // namespace kst::ui
