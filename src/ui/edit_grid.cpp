// Editable grids whose cells the core may refuse.
#include "ui/edit_grid.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>

#include "dictionary/edit_errors.h"
#include "ui/qt_interaction.h"
#include "ui/ui_text.h"

namespace kst::ui {

std::string CoreText(const QString& text, int codePage) {
  QString refused;
  std::optional<std::string> converted = ToAnsi(text, codePage, &refused);
  if (!converted)
    throw EScreenRefusal(QObject::tr("\"%1\" cannot be stored: %2 has no place in the code page %3 "
                                     "these texts are kept in.")
                             .arg(text, DescribeCharacter(refused))
                             .arg(codePage));
  return *converted;
}

bool ResolveEditConflict(TQtInteraction& interaction, const EEditConflict& conflict,
                         const std::function<std::vector<std::string>()>& discard) {
  QString text = interaction.Shown(conflict.what()) +
                 QObject::tr("\n\nDo you want to take the other workstation's version of these entries and keep the "
                             "rest of your changes? You can look at the result and press OK again.");
  if (interaction.AskText(text, TButtons::YesNo) != TAnswer::Yes) return false;
  try {
    discard();
  } catch (const std::exception& e) {
    interaction.ShowError(interaction.Shown(e.what()));
  }
  return true;
}

TEditGridModel::TEditGridModel(TQtInteraction& interaction, QObject* parent)
    : QAbstractTableModel(parent), interaction_(interaction) {}

bool TEditGridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::EditRole || !index.isValid()) return false;
  QString text = value.toString();
  try {
    Store(index, text);
    return true;
  } catch (const EScreenRefusal& e) {
    refusal_ = TRefusal{QPersistentModelIndex(index), text, e.Message()};
    return false;
  } catch (const std::exception& e) {
    refusal_ = TRefusal{QPersistentModelIndex(index), text, Message(e)};
    return false;
  }
}

std::optional<TEditGridModel::TRefusal> TEditGridModel::TakeRefusal() {
  std::optional<TRefusal> taken = std::move(refusal_);
  refusal_.reset();
  return taken;
}

bool TEditGridModel::RemoveRowAt(int row) {
  try {
    Remove(row);
    return true;
  } catch (const std::exception& e) {
    ShowError(e);
    return false;
  }
}

QString TEditGridModel::Message(const std::exception& e) const {
  if (auto* screen = dynamic_cast<const EScreenRefusal*>(&e)) return screen->Message();
  return interaction_.Shown(e.what());
}

void TEditGridModel::ShowError(const std::exception& e) const { interaction_.ShowError(Message(e)); }

// Remembers the open editor, so that "OK" can store it, and opens a refused
// cell again with the text as typed rather than as stored.
class TEditGrid::TDelegate : public QStyledItemDelegate {
public:
  using QStyledItemDelegate::QStyledItemDelegate;
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    editor_ = editor;
    return editor;
  }
  void setEditorData(QWidget* editor, const QModelIndex& index) const override {
    auto* line = qobject_cast<QLineEdit*>(editor);
    if (line && typed_) {
      line->setText(*typed_);
      typed_.reset();
      return;
    }
    QStyledItemDelegate::setEditorData(editor, index);
  }
  // Enter stores the cell and stays in the grid; left to the editor, the
  // key would also reach the dialog's default button and close it.
  bool eventFilter(QObject* object, QEvent* event) override {
    if (event->type() == QEvent::KeyPress) {
      int key = static_cast<QKeyEvent*>(event)->key();
      auto* editor = qobject_cast<QWidget*>(object);
      if (editor && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
        emit commitData(editor);
        emit closeEditor(editor, QAbstractItemDelegate::SubmitModelCache);
        return true;
      }
    }
    return QStyledItemDelegate::eventFilter(object, event);
  }
  // A model reset during the commit (the rows are read again) releases the
  // editor before the view is told to close it.
  void destroyEditor(QWidget* editor, const QModelIndex& index) const override {
    if (editor == editor_) {
      editor_ = nullptr;
      released_ = editor;
    }
    QStyledItemDelegate::destroyEditor(editor, index);
  }
  mutable QPointer<QWidget> editor_;
  mutable QPointer<QWidget> released_;
  mutable std::optional<QString> typed_;
};

TEditGrid::TEditGrid(QWidget* parent) : QTableView(parent), delegate_(new TDelegate(this)) {
  setItemDelegate(delegate_);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                  QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
  setTabKeyNavigation(false);
  verticalHeader()->setVisible(false);
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  horizontalHeader()->setHighlightSections(false);
  setWordWrap(false);
}

void TEditGrid::setModel(QAbstractItemModel* model) {
  QTableView::setModel(model);
  model_ = qobject_cast<TEditGridModel*>(model);
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
}

bool TEditGrid::PostPending() {
  if (QWidget* editor = delegate_->editor_) {
    emit delegate_->commitData(editor);
    emit delegate_->closeEditor(editor, QAbstractItemDelegate::NoHint);
  }
  if (model_ && model_->HasRefusal()) {
    ReopenRefused();
    return false;
  }
  return true;
}

bool TEditGrid::InsertRow() {
  if (!model_ || !PostPending()) return false;
  QModelIndex index = model_->BeginNewRow();
  if (!index.isValid()) return false;
  setCurrentIndex(index);
  scrollTo(index);
  edit(index);
  return true;
}

void TEditGrid::DeleteCurrentRow() {
  if (!model_) return;
  QModelIndex current = currentIndex();
  if (!current.isValid()) return;
  int row = current.row();
  if (model_->IsNewRow(row)) {
    model_->DropNewRow();
    return;
  }
  QString question = model_->RemoveQuestion(row);
  if (question.isEmpty()) return;
  if (model_->Interaction().AskText(question, TButtons::YesNo) != TAnswer::Yes) return;
  if (model_->RemoveRowAt(row)) {
    int rows = model_->rowCount();
    if (rows > 0) setCurrentIndex(model_->index(std::min(row, rows - 1), 0));
    emit RowsEdited();
  }
}

void TEditGrid::keyPressEvent(QKeyEvent* event) {
  if (state() != QAbstractItemView::EditingState) {
    if (event->key() == Qt::Key_Insert && event->modifiers() == Qt::NoModifier) {
      InsertRow();
      return;
    }
    if (event->key() == Qt::Key_Delete && (event->modifiers() & ~Qt::ControlModifier) == Qt::NoModifier) {
      DeleteCurrentRow();
      return;
    }
  }
  QTableView::keyPressEvent(event);
}

void TEditGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
  if (editor == delegate_->editor_) delegate_->editor_ = nullptr;
  if (editor && editor == delegate_->released_)
    delegate_->released_ = nullptr;
  else
    QTableView::closeEditor(editor, hint);
  if (!model_) return;
  if (model_->HasRefusal()) {
    // The message and the cell again once the editor is gone, so that the
    // message box cannot take the focus from a live editor (which would
    // post it once more).
    if (!reopenScheduled_) {
      reopenScheduled_ = true;
      QTimer::singleShot(0, this, [this] { ReopenRefused(); });
    }
    return;
  }
  if (model_->HasNewRow()) model_->DropNewRow();
  emit RowsEdited();
}

void TEditGrid::ReopenRefused() {
  reopenScheduled_ = false;
  std::optional<TEditGridModel::TRefusal> refusal = model_ ? model_->TakeRefusal() : std::nullopt;
  if (!refusal) return;
  model_->Interaction().ShowError(refusal->message);
  if (!refusal->index.isValid()) return;
  setCurrentIndex(refusal->index);
  delegate_->typed_ = refusal->text;
  edit(refusal->index);
  delegate_->typed_.reset();
}

}  // namespace kst::ui
