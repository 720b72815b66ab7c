// The custom-resource rows over the project's list.
#include "ui/custom_resource_model.h"

#include "platform/codepage.h"
#include "project/project_data.h"
#include "session/translation_session.h"
#include "ui/main_window.h"

namespace kst::ui {

TCustomResourceModel::TCustomResourceModel(TfrmLexibox& window, QObject* parent) : TGridModel(window, parent) {}

QStringList TCustomResourceModel::Headers() const {
  return {tr("Original Resource File"), tr("Trns."), tr("Translated Resource File")};
}

int TCustomResourceModel::ColumnCodePage(int) const { return CP_UTF8; }

int TCustomResourceModel::FillEntries() {
  return Session().CurrentLanguage() > 0 ? static_cast<int>(window_.Project().CustomResources.Items.size()) : 0;
}

TCustomResource* TCustomResourceModel::Resource(int entry) const {
  auto& items = window_.Project().CustomResources.Items;
  return entry >= 0 && static_cast<size_t>(entry) < items.size() ? items[static_cast<size_t>(entry)].get() : nullptr;
}

std::string_view TCustomResourceModel::EntryText(int entry, int column, std::string&) const {
  const TCustomResource* resource = Resource(entry);
  if (!resource) return {};
  switch (column) {
    case 0: return resource->FileName;
    case 1: return YesNo(resource->IsTranslated());
    case 2: return resource->TranslatedFile;
    default: return {};
  }
}

bool TCustomResourceModel::EntryTranslated(int entry) const {
  const TCustomResource* resource = Resource(entry);
  return resource && resource->IsTranslated();
}

void TCustomResourceModel::SetEntryTranslation(int entry, const std::string& text) {
  TCustomResource* resource = Resource(entry);
  if (!resource) throw ETranslationError("The custom resource is no longer in the project.");
  Session().SetTranslationOf(*resource, text);
}

void TCustomResourceModel::ResetEntry(int entry) {
  if (TCustomResource* resource = Resource(entry)) Session().SetTranslationOf(*resource, resource->FileName);
}

}  // namespace kst::ui
