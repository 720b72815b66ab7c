// The version-key rows over the project's version information.
#include "ui/version_info_model.h"

#include "project/project_data.h"
#include "session/translation_session.h"
#include "ui/main_window.h"

namespace kst::ui {

TVersionInfoModel::TVersionInfoModel(TfrmLexibox& window, QObject* parent) : TGridModel(window, parent) {}

QStringList TVersionInfoModel::Headers() const {
  return {tr("Key"), tr("Value"), tr("Trns."), tr("Translated Value")};
}

int TVersionInfoModel::FillEntries() {
  return Session().CurrentLanguage() > 0 ? static_cast<int>(window_.Project().VersionInfo.Items.size()) : 0;
}

TVersionInfoLabel* TVersionInfoModel::Label(int entry) const {
  auto& items = window_.Project().VersionInfo.Items;
  return entry >= 0 && static_cast<size_t>(entry) < items.size() ? items[static_cast<size_t>(entry)].get() : nullptr;
}

std::string_view TVersionInfoModel::EntryText(int entry, int column, std::string&) const {
  const TVersionInfoLabel* label = Label(entry);
  if (!label) return {};
  switch (column) {
    case 0: return label->Key;
    case 1: return label->Value;
    case 2: return YesNo(label->IsTranslated());
    case 3: return label->Translation;
    default: return {};
  }
}

bool TVersionInfoModel::EntryTranslated(int entry) const {
  const TVersionInfoLabel* label = Label(entry);
  return label && label->IsTranslated();
}

void TVersionInfoModel::SetEntryTranslation(int entry, const std::string& text) {
  TVersionInfoLabel* label = Label(entry);
  if (!label) throw ETranslationError("The version key is no longer in the project.");
  Session().SetTranslationOf(*label, text);
}

void TVersionInfoModel::ResetEntry(int entry) {
  if (TVersionInfoLabel* label = Label(entry)) Session().SetTranslationOf(*label, label->Value);
}

}  // namespace kst::ui
