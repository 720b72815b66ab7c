// TGridDelegate: draws every cell of the four grids in the display styles
// (colour and bold, italic, underline from the settings, the grid font
// size), the read-only cells raised on the button face, the "Dict." check
// box, placeholders in a colour of their own and misspelled words of the
// translated column with a wavy underline; and opens the cell editor.
#pragma once

#include <QPointer>
#include <QStyledItemDelegate>

#include <vector>

#include "ui/text_marks.h"

namespace kst::ui {

class TCellEditor;
class TSpellChecker;
struct TDisplayState;

class TGridDelegate : public QStyledItemDelegate {
  Q_OBJECT

public:
  // Both must outlive the delegate; `spell` may be null.
  TGridDelegate(const TDisplayState& display, TSpellChecker* spell, QObject* parent);

  struct TMark {
    TTextRange range;
    bool misspelled = false;  // else a placeholder
  };
  // What a cell's text gets marked with, on its shown text.
  std::vector<TMark> Marks(const QModelIndex& index) const;

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  void setEditorData(QWidget* editor, const QModelIndex& index) const override;
  void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
  void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

  // The editor open now, if any; CommitEditor stores its text and closes it.
  TCellEditor* OpenEditor() const;
  void CommitEditor();

  // The colour placeholders are drawn in, for a palette (readable on light
  // and dark backgrounds).
  static QColor PlaceholderColor(const QPalette& palette);

signals:
  // A typed character was refused; the message names it.
  void Refused(const QString& message);

private:
  void DrawText(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index, int style,
                bool selected) const;

  const TDisplayState& display_;
  TSpellChecker* spell_;
  mutable QPointer<TCellEditor> editor_;
};

}  // namespace kst::ui
