// The resource-string rows over the project's set.
#include "ui/resource_string_model.h"

#include <charconv>

#include "project/project_data.h"
#include "session/translation_session.h"
#include "ui/main_window.h"

namespace kst::ui {

TResourceStringModel::TResourceStringModel(TfrmLexibox& window, QObject* parent) : TGridModel(window, parent) {}

QStringList TResourceStringModel::Headers() const {
  return {tr("ID"), tr("Name"), tr("Original Value"), tr("Trns."), tr("Dict."), tr("Translated Value")};
}

int TResourceStringModel::FillEntries() {
  count_ = Session().CurrentLanguage() > 0 ? window_.Project().ResourceStrings.Count() : 0;
  return count_;
}

// The set may have been read again since the fill; an entry past its end is
// no row of it.
TResourceStrListItem* TResourceStringModel::Item(int entry) const {
  TResourceStringsHelper& strings = window_.Project().ResourceStrings;
  return entry >= 0 && entry < strings.Count() ? &strings.Item(entry) : nullptr;
}

std::string_view TResourceStringModel::EntryText(int entry, int column, std::string& scratch) const {
  const TResourceStrListItem* item = Item(entry);
  if (!item) return {};
  switch (column) {
    case 0: {
      char digits[16];
      auto end = std::to_chars(digits, digits + sizeof digits, item->ID).ptr;
      scratch.assign(digits, end);
      return scratch;
    }
    case 1: return item->Name;
    case 2: return item->OriginalValue;
    case 3: return YesNo(item->IsTranslated());
    case 4: return YesNo(item->FromDictionary != 0);
    case 5: return item->TranslatedValue;
    default: return {};
  }
}

bool TResourceStringModel::EntryTranslated(int entry) const {
  const TResourceStrListItem* item = Item(entry);
  return item && item->IsTranslated();
}

void TResourceStringModel::SetEntryTranslation(int entry, const std::string& text) {
  TResourceStrListItem* item = Item(entry);
  if (!item) throw ETranslationError("The resource string is no longer in the project.");
  Session().SetTranslationOf(*item, text);
}

void TResourceStringModel::ResetEntry(int entry) {
  TResourceStrListItem* item = Item(entry);
  if (!item || (item->ID <= 0 && item->Name.empty())) return;
  // Through the session: recorded for undo, and the dictionary mark goes.
  Session().SetTranslationOf(*item, item->OriginalValue);
  item->ResetTranslation();
}

QVariant TResourceStringModel::EntryData(int entry, int column, int role) const {
  if (column != kDictColumn || role != Qt::CheckStateRole) return {};
  const TResourceStrListItem* item = Item(entry);
  return item && item->FromDictionary ? Qt::Checked : Qt::Unchecked;
}

bool TResourceStringModel::SetEntryData(int entry, int column, const QVariant& value, int role) {
  if (column != kDictColumn || role != Qt::CheckStateRole) return false;
  TResourceStrListItem* item = Item(entry);
  if (!item) return false;
  item->FromDictionary = value.toInt() == Qt::Checked ? 1 : 0;
  return true;
}

void TResourceStringModel::ToggleFromDictionary(int row) {
  if (row < 0 || row >= rowCount()) return;
  QModelIndex cell = index(row, kDictColumn);
  setData(cell, cell.data(Qt::CheckStateRole).toInt() == Qt::Checked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
}

}  // namespace kst::ui
