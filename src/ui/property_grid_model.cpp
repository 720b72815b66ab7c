// The property grid's rows over the current form.
#include "ui/property_grid_model.h"

#include "config/registry_settings.h"
#include "dictionary/highlighting.h"
#include "exchange/exchange_file.h"
#include "formmodel/form_errors.h"
#include "formmodel/form_model.h"
#include "session/translation_session.h"
#include "session/translator_environment.h"
#include "ui/display_state.h"
#include "ui/main_window.h"
#include "ui/qt_interaction.h"

namespace kst::ui {

namespace {

uint8_t TypeGroup(TPropertyType type) {
  if (type == ptString) return 0;
  if (type == ptInteger || type == ptFloat) return 1;
  return 2;
}

constexpr int kGroupFilter[] = {kFilterStrings, kFilterNumbers, kFilterOthers};
constexpr std::string_view kGroupText[] = {"Str", "Num", "Sym"};

}  // namespace

bool TPropertyGridModel::THighlighter::IsHighlighted(const std::string& path) {
  if (!rules_) return false;
  auto it = known_.find(path);
  if (it != known_.end()) return it->second;
  bool highlighted = false;
  try {
    highlighted = rules_->IsHighlighted(path);
  } catch (const std::exception&) {
    // A dictionary that cannot be read highlights nothing; the grid stays usable.
    highlighted = false;
  }
  known_.emplace(path, highlighted);
  return highlighted;
}

TPropertyGridModel::TPropertyGridModel(TfrmLexibox& window, QObject* parent) : TGridModel(window, parent) {}

QStringList TPropertyGridModel::Headers() const {
  return {tr("Property"), QString(), tr("Original Value"), tr("Trns."), tr("Translated Value")};
}

TdatHighLighting* TPropertyGridModel::Rules() const {
  TTranslatorEnvironment& environment = window_.Environment();
  return environment.DictionaryOpen() ? &environment.HighLighting() : nullptr;
}

std::vector<TPropertyGridModel::TRow> TPropertyGridModel::ListedRows(TModuleHelper& form, int typeFilter,
                                                                     bool highlightedOnly, THighlighter& highlighter) {
  std::vector<TRow> rows;
  if (!form.Root) return rows;
  const TComponentHelper& root = *form.Root;
  form.Root->ForEachPropertyPath([&](const std::string& path, TCHValue& value) {
    uint8_t group = TypeGroup(value.PropertyType);
    if (!(kGroupFilter[group] & typeFilter)) return;
    int8_t highlighted = -1;
    if (highlightedOnly) {
      if (!IsHighlighted(root, path, highlighter)) return;
      highlighted = 1;
    }
    rows.push_back(TRow{path, group, highlighted});
  });
  return rows;
}

bool TPropertyGridModel::IsHighlighted(const TComponentHelper& root, const std::string& path,
                                       THighlighter& highlighter) {
  std::string qualified = root.ClassQualifiedPath(path);
  return highlighter.IsHighlighted(qualified.empty() ? path : qualified);
}

bool TPropertyGridModel::Highlighted(int entry) const {
  TRow& row = rows_[static_cast<size_t>(entry)];
  if (row.highlighted < 0) {
    TModuleHelper* form = Session().CurrentForm();
    if (!form || !form->Root) return false;
    row.highlighted = IsHighlighted(*form->Root, row.path, highlighter_) ? 1 : 0;
  }
  return row.highlighted > 0;
}

int TPropertyGridModel::FillEntries() {
  rows_.clear();
  TModuleHelper* form = Session().CurrentForm();
  if (!form || Session().CurrentLanguage() <= 0) return 0;
  // The rules as they are now (the options dialog may have changed them).
  highlighter_ = THighlighter(Rules());
  bool highlightedOnly = ReadShowHighlightedPropertiesOnly(window_.Environment().Location());
  try {
    rows_ = ListedRows(*form, window_.TypeFilter(), highlightedOnly, highlighter_);
  } catch (const std::exception& e) {
    // A value of unknown type ("Internal Error"): shown, and the grid stays
    // empty rather than listing part of the form as if it were all of it.
    rows_.clear();
    window_.Interaction().ShowWarning(e.what());
  }
  rows_.shrink_to_fit();
  return static_cast<int>(rows_.size());
}

TCHValue* TPropertyGridModel::Value(int entry) const {
  TModuleHelper* form = Session().CurrentForm();
  if (!form || !form->Root || entry < 0 || static_cast<size_t>(entry) >= rows_.size()) return nullptr;
  try {
    return form->Root->FindProperty(rows_[static_cast<size_t>(entry)].path);
  } catch (const EFormModelError&) {
    return nullptr;
  }
}

std::string_view TPropertyGridModel::EntryText(int entry, int column, std::string& scratch) const {
  (void)scratch;
  const TRow& row = rows_[static_cast<size_t>(entry)];
  if (column == 0) return row.path;
  if (column == 1) return kGroupText[row.group];
  const TCHValue* value = Value(entry);
  if (!value) return {};
  switch (column) {
    case 2: return value->OriginalValue;
    case 3: return YesNo(value->IsTranslated());
    case 4: return value->TranslatedValue;
    default: return {};
  }
}

bool TPropertyGridModel::EntryTranslated(int entry) const {
  const TCHValue* value = Value(entry);
  return value && value->IsTranslated();
}

int TPropertyGridModel::EntryStyle(int entry) const {
  if (EntryTranslated(entry)) return kStyleTranslated;
  return Highlighted(entry) ? kStyleHighlighted : kStyleStandard;
}

void TPropertyGridModel::SetEntryTranslation(int entry, const std::string& text) {
  TModuleHelper* form = Session().CurrentForm();
  if (!form) throw ETranslationError("No form is selected.");
  Session().SetTranslationOf(*form, rows_[static_cast<size_t>(entry)].path, text);
}

void TPropertyGridModel::ResetEntry(int entry) {
  const TCHValue* value = Value(entry);
  TModuleHelper* form = Session().CurrentForm();
  if (!value || !form) return;
  Session().SetTranslationOf(*form, rows_[static_cast<size_t>(entry)].path, value->OriginalValue);
}

}  // namespace kst::ui
