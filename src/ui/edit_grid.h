// The editable grids of the dialogs (highlighting rules, module entries, the
// dictionary editor's source strings and translations): a table view over a
// model that stores each typed cell at once through the core, which may
// refuse it. A refused text is not lost: its message is shown and the cell
// opens again with the text as typed, as a data-aware grid keeps a row that
// did not post in edit state. Delete asks before a row goes; Insert starts a
// new row where the model has one.
#pragma once

#include <QAbstractTableModel>
#include <QPointer>
#include <QStyledItemDelegate>
#include <QTableView>

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace kst {
class EEditConflict;
}

namespace kst::ui {

class TQtInteraction;

// A refusal made by the window itself, its text already for the screen.
class EScreenRefusal : public std::runtime_error {
public:
  explicit EScreenRefusal(const QString& message) : std::runtime_error("refused"), message_(message) {}
  const QString& Message() const { return message_; }

private:
  QString message_;
};

// A typed text in the core's code page; raises EScreenRefusal naming the
// first character the page lacks.
std::string CoreText(const QString& text, int codePage);

// Shows a conflict with another workstation and offers to take that
// workstation's version of the rows concerned (`discard`), keeping the
// dialog's other changes. True when the person took it: the dialog's views
// then need filling again. The dialog stays open either way.
bool ResolveEditConflict(TQtInteraction& interaction, const EEditConflict& conflict,
                         const std::function<std::vector<std::string>()>& discard);

class TEditGridModel : public QAbstractTableModel {
  Q_OBJECT

public:
  explicit TEditGridModel(TQtInteraction& interaction, QObject* parent = nullptr);

  // Calls Store and turns what the core raises into a refusal (kept for the
  // grid, which shows it); never lets an exception into Qt.
  bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

  // The last refused text and its message, until the grid took them.
  struct TRefusal {
    QPersistentModelIndex index;
    QString text;
    QString message;
  };
  std::optional<TRefusal> TakeRefusal();
  bool HasRefusal() const { return refusal_.has_value(); }

  // A row started by Insert that is not stored yet; the grid drops it when
  // its editor closes without a text. Models without such rows keep the
  // defaults.
  virtual QModelIndex BeginNewRow() { return {}; }
  virtual bool IsNewRow(int row) const { return false; }
  virtual bool HasNewRow() const { return false; }
  virtual void DropNewRow() {}

  // Deleting a row: the question asked first (empty: the row cannot go),
  // then the removal, which may raise like Store.
  virtual QString RemoveQuestion(int row) const { return {}; }
  bool RemoveRowAt(int row);

  TQtInteraction& Interaction() const { return interaction_; }

protected:
  // Stores the typed text; raises the core's refusals.
  virtual void Store(const QModelIndex& index, const QString& text) = 0;
  virtual void Remove(int row) {}
  // The core's message (system code page) for the screen.
  QString Message(const std::exception& e) const;
  // Shows an error that is not tied to a typed cell.
  void ShowError(const std::exception& e) const;

private:
  TQtInteraction& interaction_;
  std::optional<TRefusal> refusal_;
};

class TEditGrid : public QTableView {
  Q_OBJECT

public:
  explicit TEditGrid(QWidget* parent = nullptr);

  void setModel(QAbstractItemModel* model) override;
  // Small: a dialog's designed size decides, the grid takes the room left.
  QSize sizeHint() const override { return {240, 110}; }
  TEditGridModel* EditModel() const { return model_; }

  // Stores the cell being edited, as "OK" and the buttons of a dialog do
  // before they act. False when there is a refusal the person has yet to
  // deal with (its message is then shown and the cell opened again).
  bool PostPending();
  // Starts a new row (the Insert key); false when the model has none.
  bool InsertRow();
  // Deletes the current row after asking (the Delete key).
  void DeleteCurrentRow();

signals:
  // A cell was stored, a row added or removed: what depends on the rows
  // (a detail grid, a button's state) follows.
  void RowsEdited();

protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
  class TDelegate;
  void ReopenRefused();

  TEditGridModel* model_ = nullptr;
  TDelegate* delegate_;
  bool reopenScheduled_ = false;
};

}  // namespace kst::ui
