// The grids' view and its keyboard flow.
#include "ui/translation_grid.h"

#include <QAction>
#include <QEvent>
#include <QHeaderView>
#include <QMenu>
#include <QStatusBar>
#include <QTableView>
#include <QToolTip>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

#include "ui/cell_editor.h"
#include "ui/grid_delegate.h"
#include "ui/grid_model.h"
#include "ui/main_window.h"
#include "ui/qt_interaction.h"

namespace kst::ui {

TTranslationGrid::TTranslationGrid(TfrmLexibox& window, TGridModel* model, TSpellChecker* spell, TColumnRule rule,
                                   const QString& objectName, QWidget* parent)
    : QWidget(parent), window_(window), model_(model), rule_(std::move(rule)) {
  view_ = new QTableView(this);
  // After the view: children go in the order they came, so the view never
  // outlives its model.
  model_->setParent(this);
  view_->setObjectName(objectName);
  delegate_ = new TGridDelegate(window_.Display(), spell, view_);
  view_->setModel(model_);
  view_->setItemDelegate(delegate_);
  view_->setSelectionMode(QAbstractItemView::SingleSelection);
  view_->setSelectionBehavior(QAbstractItemView::SelectItems);
  view_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                         QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
  view_->setTabKeyNavigation(false);
  view_->setWordWrap(false);
  view_->setCornerButtonEnabled(false);
  view_->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  view_->setContextMenuPolicy(Qt::CustomContextMenu);
  view_->verticalHeader()->hide();
  view_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  QHeaderView* header = view_->horizontalHeader();
  header->setDefaultSectionSize(180);
  header->setSectionsClickable(true);
  header->setHighlightSections(false);
  header->setStretchLastSection(false);
  header->setSortIndicatorShown(model_->Sortable());
  header->setSortIndicator(-1, Qt::AscendingOrder);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(view_);
  view_->viewport()->installEventFilter(this);

  connect(header, &QHeaderView::sectionClicked, this, &TTranslationGrid::SortBy);
  preferred_.assign(static_cast<size_t>(model_->columnCount()), 180);
  connect(header, &QHeaderView::sectionResized, this, [this](int column, int, int width) {
    if (applyingWidths_) return;
    if (column >= 0 && static_cast<size_t>(column) < preferred_.size()) preferred_[static_cast<size_t>(column)] = width;
    ApplyColumnWidths();
  });
  connect(view_, &QTableView::customContextMenuRequested, this, &TTranslationGrid::ShowContextMenu);
  connect(view_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) {
            // Only the translated cell of a row takes the cursor.
            if (current.isValid() && current.column() != model_->EditColumn())
              view_->selectionModel()->setCurrentIndex(current.siblingAtColumn(model_->EditColumn()),
                                                      QItemSelectionModel::ClearAndSelect);
            else
              emit CurrentRowChanged();
          });
  connect(delegate_, &TGridDelegate::Refused, this, &TTranslationGrid::Say);

  const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
  commitNext_ = MakeAction(tr("Commit and Next Untranslated"),
                           {QKeySequence(ctrl | Qt::Key_Return), QKeySequence(ctrl | Qt::Key_Enter)}, "actCommitNext",
                           [this] { CommitAndNextUntranslated(false); });
  commitNextForm_ = MakeAction(
      tr("Commit and Next Untranslated in Any Form"),
      {QKeySequence(ctrl | Qt::ShiftModifier | Qt::Key_Return), QKeySequence(ctrl | Qt::ShiftModifier | Qt::Key_Enter)},
      "actCommitNextForm", [this] { CommitAndNextUntranslated(true); });
  copyOriginal_ = MakeAction(tr("Copy Original"), {QKeySequence(ctrl | Qt::Key_B)}, "actCopyOriginal",
                             [this] { CopyOriginal(); });
  previousRow_ = MakeAction(tr("Previous Row"), {QKeySequence(ctrl | Qt::Key_Up)}, "actPreviousRow",
                            [this] { MoveRow(-1); });
  nextRow_ = MakeAction(tr("Next Row"), {QKeySequence(ctrl | Qt::Key_Down)}, "actNextRow", [this] { MoveRow(1); });
  ApplyDisplay();
}

TTranslationGrid::~TTranslationGrid() {
  // The window is being taken down around the grid: nothing it signals now
  // may reach the window.
  view_->selectionModel()->disconnect(this);
  view_->horizontalHeader()->disconnect(this);
}

QAction* TTranslationGrid::MakeAction(const QString& text, const QList<QKeySequence>& keys, const char* name,
                                      std::function<void()> run) {
  auto* action = new QAction(text, this);
  action->setObjectName(QString::fromLatin1(name));
  action->setShortcuts(keys);
  // Also while the cell editor (inside the view) has the focus.
  action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
  connect(action, &QAction::triggered, this, std::move(run));
  addAction(action);
  return action;
}

void TTranslationGrid::AddGridAction(QAction* action) {
  if (!actions().contains(action)) {
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    addAction(action);
  }
  pageActions_.push_back(action);
}

void TTranslationGrid::ShowContextMenu(const QPoint& at) {
  QModelIndex index = view_->indexAt(at);
  if (index.isValid()) SelectRow(index.row());
  QMenu menu(this);
  menu.addAction(commitNext_);
  if (nextForm) menu.addAction(commitNextForm_);
  menu.addAction(copyOriginal_);
  menu.addAction(previousRow_);
  menu.addAction(nextRow_);
  for (QAction* action : pageActions_) menu.addAction(action);
  menu.addSeparator();
  menu.addAction(window_.Action(TCommand::ResetTranslation));
  menu.addAction(window_.Action(TCommand::Undo));
  menu.addAction(window_.Action(TCommand::Redo));
  menu.exec(view_->viewport()->mapToGlobal(at));
}

int TTranslationGrid::CurrentRow() const {
  QModelIndex current = view_->currentIndex();
  return current.isValid() && current.row() < model_->rowCount() ? current.row() : -1;
}

void TTranslationGrid::SelectRow(int row, bool edit) {
  if (row < 0 || row >= model_->rowCount()) return;
  QModelIndex index = model_->index(row, model_->EditColumn());
  view_->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
  view_->scrollTo(index);
  if (edit) view_->edit(index);
}

bool TTranslationGrid::Editing() const { return delegate_->OpenEditor() != nullptr; }

void TTranslationGrid::CommitEdit() { delegate_->CommitEditor(); }

void TTranslationGrid::Refill() {
  CommitEdit();
  int row = CurrentRow();
  std::string key = row >= 0 ? model_->Key(row) : std::string();
  model_->Refill();
  QHeaderView* header = view_->horizontalHeader();
  header->setSortIndicator(model_->Sortable() ? model_->SortColumn() : -1, Qt::AscendingOrder);
  int again = key.empty() ? -1 : model_->RowOfKey(key);
  SelectRow(again >= 0 ? again : 0);
  ApplyColumnWidths();
}

void TTranslationGrid::ApplyDisplay() {
  QFont font = view_->font();
  font.setPointSize(window_.Display().fontSize);
  view_->setFont(font);
  // One and a half lines of the grid font, at least 21 pixels.
  int height = std::max(21, static_cast<int>(std::lround(view_->logicalDpiY() * window_.Display().fontSize / 72.0 * 1.5)));
  view_->verticalHeader()->setMinimumSectionSize(std::min(height, 10));
  view_->verticalHeader()->setDefaultSectionSize(height);
  ApplyColumnWidths();
  view_->viewport()->update();
}

int TTranslationGrid::NarrowWidth(int column) const { return std::max(30, view_->horizontalHeader()->sectionSizeHint(column)); }

void TTranslationGrid::ApplyColumnWidths() {
  if (applyingWidths_) return;
  applyingWidths_ = true;
  QHeaderView* header = view_->horizontalHeader();
  const int columns = model_->columnCount();
  for (int c = 0; c < columns; ++c) header->resizeSection(c, preferred_[static_cast<size_t>(c)]);
  for (const auto& [column, width] : rule_.fixed) header->resizeSection(column, width);
  for (int column : rule_.narrow) header->resizeSection(column, NarrowWidth(column));
  const int client = view_->viewport()->width();
  int others = 0;
  for (int c = 0; c < columns; ++c)
    if (c != rule_.stretch) others += header->sectionSize(c);
  int rest = client - others;
  if (rest >= 0) {
    header->resizeSection(rule_.stretch, std::max(rest, 30));
  } else if (rule_.evenWhenNarrow) {
    for (int c = 0; c < columns; ++c) header->resizeSection(c, std::max(client / columns, 30));
  } else {
    header->resizeSection(rule_.stretch, 100);
  }
  applyingWidths_ = false;
}

bool TTranslationGrid::eventFilter(QObject* watched, QEvent* event) {
  if (watched == view_->viewport() && event->type() == QEvent::Resize) ApplyColumnWidths();
  return QWidget::eventFilter(watched, event);
}

void TTranslationGrid::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  ApplyColumnWidths();
}

void TTranslationGrid::SortBy(int column) {
  if (!model_->Sortable()) return;
  CommitEdit();
  model_->Sort(column);
  view_->horizontalHeader()->setSortIndicator(column, Qt::AscendingOrder);
  if (view_->currentIndex().isValid()) view_->scrollTo(view_->currentIndex());
}

void TTranslationGrid::Say(const QString& text) {
  window_.statusBar()->showMessage(text, 10000);
  if (QWidget* editor = delegate_->OpenEditor())
    QToolTip::showText(editor->mapToGlobal(QPoint(0, editor->height())), text, editor);
}

void TTranslationGrid::CommitAndNextUntranslated(bool acrossForms) {
  CommitEdit();
  const int rows = model_->rowCount();
  const int current = CurrentRow();
  if (rows == 0 && !(acrossForms && nextForm)) return;
  // After the current row; across forms the other forms come before the
  // rows above the current one.
  for (int r = current + 1; r < rows; ++r)
    if (!model_->IsTranslated(r)) return SelectRow(r, true);
  if (acrossForms && nextForm && nextForm()) return;
  for (int r = 0; r < current; ++r)
    if (!model_->IsTranslated(r)) return SelectRow(r, true);
  Say(acrossForms && nextForm ? tr("Every other row of every form is translated.")
                              : tr("Every other row of this grid is translated."));
}

bool TTranslationGrid::SelectFirstUntranslated() {
  for (int r = 0; r < model_->rowCount(); ++r)
    if (!model_->IsTranslated(r)) {
      SelectRow(r, true);
      return true;
    }
  return false;
}

void TTranslationGrid::MoveRow(int delta) {
  bool editing = Editing();
  CommitEdit();
  if (model_->rowCount() == 0) return;
  int next = std::clamp(CurrentRow() + delta, 0, model_->rowCount() - 1);
  SelectRow(next, editing);
}

void TTranslationGrid::CopyOriginal() {
  int row = CurrentRow();
  if (row < 0) return;
  if (TCellEditor* editor = delegate_->OpenEditor()) {
    // Into the editor, where the translator goes on from it.
    editor->setText(model_->ShownText(row, model_->OriginalColumn()));
    return;
  }
  model_->CopyOriginal(row);
}

void TTranslationGrid::ResetCurrent() {
  CommitEdit();
  int row = CurrentRow();
  if (row < 0) return;
  try {
    model_->ResetTranslation(row);
  } catch (const std::exception& e) {
    window_.Interaction().ShowWarning(e.what());
  }
}

}  // namespace kst::ui
