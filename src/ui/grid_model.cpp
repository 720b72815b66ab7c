// The grids' common model: order, sorting, conversion and the edit path.
#include "ui/grid_model.h"

#include <algorithm>
#include <numeric>

#include "config/language_info.h"
#include "platform/codepage.h"
#include "session/translation_session.h"
#include "session/translator_environment.h"
#include "ui/display_state.h"
#include "ui/main_window.h"
#include "ui/qt_interaction.h"
#include "ui/ui_text.h"

namespace kst::ui {

TGridModel::TGridModel(TfrmLexibox& window, QObject* parent) : QAbstractTableModel(parent), window_(window) {}

TTranslationSession& TGridModel::Session() const { return window_.Session(); }

int TGridModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(order_.size());
}

int TGridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(Headers().size());
}

QVariant TGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal) return {};
  if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole) return Headers().value(section);
  return {};
}

int TGridModel::ColumnCodePage(int column) const {
  const TSystemCodePages& system = window_.Environment().SystemCodePages();
  if (column == EditColumn()) return window_.Display().ScreenCodePage(Session().CurrentLanguage(), system);
  return Session().OriginalCodePage();
}

int TGridModel::EntryStyle(int entry) const { return EntryTranslated(entry) ? kStyleTranslated : kStyleStandard; }

QString TGridModel::ShownText(int row, int column) const {
  std::string scratch;
  return FromAnsi(EntryText(order_[static_cast<size_t>(row)], column, scratch), ColumnCodePage(column));
}

QVariant TGridModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const int entry = order_[static_cast<size_t>(index.row())];
  const int column = index.column();
  switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
    case Qt::AccessibleTextRole:
      return ShownText(index.row(), column);
    case Qt::ToolTipRole:
      // The whole text of a cell too narrow for it.
      return EntryData(entry, column, Qt::CheckStateRole).isValid() ? QVariant() : QVariant(ShownText(index.row(), column));
    case kStyleRole:
      return column == EditColumn() ? EntryStyle(entry) : static_cast<int>(kStyleHeader);
    case kSpellRole:
      // An untranslated text is still in the original's language.
      return column == EditColumn() && EntryTranslated(entry);
    case kCodePageRole:
      return ColumnCodePage(column);
    default:
      return EntryData(entry, column, role);
  }
}

Qt::ItemFlags TGridModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  if (index.column() == EditColumn()) return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
  return Qt::ItemIsEnabled;
}

bool TGridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || index.row() >= rowCount()) return false;
  if (index.column() == EditColumn() && role == Qt::EditRole) return SetShownTranslation(index.row(), value.toString());
  if (!SetEntryData(order_[static_cast<size_t>(index.row())], index.column(), value, role)) return false;
  emit dataChanged(this->index(index.row(), 0), this->index(index.row(), columnCount() - 1));
  return true;
}

void TGridModel::sort(int column, Qt::SortOrder) { Sort(column); }

void TGridModel::Refill() {
  beginResetModel();
  order_.clear();
  order_.resize(static_cast<size_t>(FillEntries()));
  std::iota(order_.begin(), order_.end(), 0);
  endResetModel();
  if (sortColumn_ >= 0) Sort(sortColumn_);
}

void TGridModel::Sort(int column) {
  if (column < 0 || column >= columnCount()) return;
  sortColumn_ = column;
  const size_t n = order_.size();
  // The keys are taken once (a form's value is looked up by its path); a
  // text made for a cell stays in `made`, which is not resized while the
  // sort runs, so the views into it stay valid.
  int entries = 0;
  for (int e : order_) entries = std::max(entries, e + 1);
  std::vector<std::string> made(static_cast<size_t>(entries));
  std::vector<std::string_view> keys(static_cast<size_t>(entries));
  for (int e : order_) keys[static_cast<size_t>(e)] = EntryText(e, column, made[static_cast<size_t>(e)]);
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  std::vector<int> before = order_;
  std::stable_sort(order_.begin(), order_.end(),
                   [&](int a, int b) { return keys[static_cast<size_t>(a)] < keys[static_cast<size_t>(b)]; });
  // Where each entry went, for the current cell and the selection.
  std::vector<int> rowOf(static_cast<size_t>(entries), -1);
  for (size_t r = 0; r < n; ++r) rowOf[static_cast<size_t>(order_[r])] = static_cast<int>(r);
  const QModelIndexList from = persistentIndexList();
  QModelIndexList to;
  to.reserve(from.size());
  for (const QModelIndex& index : from) {
    int entry = before[static_cast<size_t>(index.row())];
    to << this->index(rowOf[static_cast<size_t>(entry)], index.column());
  }
  changePersistentIndexList(from, to);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void TGridModel::RefreshRows() {
  if (rowCount() == 0) return;
  emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

bool TGridModel::IsTranslated(int row) const { return EntryTranslated(order_[static_cast<size_t>(row)]); }

std::string TGridModel::Key(int row) const {
  std::string scratch;
  return std::string(EntryText(order_[static_cast<size_t>(row)], KeyColumn(), scratch));
}

std::string TGridModel::Original(int row) const {
  std::string scratch;
  return std::string(EntryText(order_[static_cast<size_t>(row)], OriginalColumn(), scratch));
}

std::string TGridModel::Translation(int row) const {
  std::string scratch;
  return std::string(EntryText(order_[static_cast<size_t>(row)], EditColumn(), scratch));
}

int TGridModel::RowOfKey(const std::string& key) const {
  for (int row = 0; row < rowCount(); ++row)
    if (Key(row) == key) return row;
  return -1;
}

TSearchRow TGridModel::SearchTexts(int row) const {
  const int page = TranslationCodePage();
  auto inPage = [&](const std::string& text, int from) { return from == page ? text : ConvertCodePage(text, from, page); };
  return TSearchRow{inPage(Key(row), ColumnCodePage(KeyColumn())), inPage(Original(row), OriginalCodePage()),
                    Translation(row)};
}

void TGridModel::SetTranslation(int row, const std::string& text) {
  SetEntryTranslation(order_[static_cast<size_t>(row)], text);
  emit dataChanged(index(row, 0), index(row, columnCount() - 1));
  emit TranslationChanged();
}

void TGridModel::ResetTranslation(int row) {
  ResetEntry(order_[static_cast<size_t>(row)]);
  emit dataChanged(index(row, 0), index(row, columnCount() - 1));
  emit TranslationChanged();
}

void TGridModel::Warn(const QString& text) const { window_.Interaction().ShowWarningText(text); }

bool TGridModel::SetShownTranslation(int row, const QString& text) {
  const int page = TranslationCodePage();
  // An editor closed without a change stores nothing: a text that does not
  // come back from the screen exactly (a byte the page does not define)
  // must not be rewritten by merely looking at it.
  if (text == FromAnsi(Translation(row), page)) return true;
  QString refused;
  std::optional<std::string> bytes = ToAnsi(text, page, &refused);
  if (!bytes) {
    Warn(tr("The translation was not changed: %1 has no place in code page %2, in which this language's "
            "translations are kept.")
             .arg(DescribeCharacter(refused))
             .arg(page));
    return false;
  }
  try {
    SetTranslation(row, *bytes);
  } catch (const std::exception& e) {
    // The type check, or storing a form the edit switched to: a message,
    // never an exception through the view's event handling.
    Warn(window_.Interaction().Shown(e.what()));
    return false;
  }
  return true;
}

bool TGridModel::CopyOriginal(int row) {
  return SetShownTranslation(row, FromAnsi(Original(row), OriginalCodePage()));
}

}  // namespace kst::ui
