// The property grid below the form selector.
#include "ui/properties_page.h"

#include <QVBoxLayout>

#include "config/registry_settings.h"
#include "formmodel/form_errors.h"
#include "project/project_data.h"
#include "session/translation_session.h"
#include "session/translator_environment.h"
#include "ui/main_window.h"
#include "ui/qt_interaction.h"
#include "ui/property_grid_model.h"
#include "ui/translation_grid.h"

namespace kst::ui {

TPropertiesPage::TPropertiesPage(TfrmLexibox& window, TSpellChecker* spell) : TFormsPage(window) {
  model_ = new TPropertyGridModel(window);
  TTranslationGrid::TColumnRule rule;
  rule.narrow = {1, 3};
  rule.stretch = 4;
  rule.evenWhenNarrow = true;
  grid_ = new TTranslationGrid(window, model_, spell, rule, QStringLiteral("ctlTranslatedProperties"), this);
  grid_->nextForm = [this] { return GoToNextFormWithUntranslated(); };
  Layout()->addWidget(grid_, 1);
  connect(&window_, &TfrmLexibox::DisplayChanged, this, [this] {
    grid_->ApplyDisplay();
    grid_->Refill();
  });
}

void TPropertiesPage::Refill() {
  TFormsPage::Refill();
  grid_->Refill();
}

bool TPropertiesPage::CanResetTranslation() const { return grid_->CurrentRow() >= 0; }
void TPropertiesPage::ResetTranslation() { grid_->ResetCurrent(); }
void TPropertiesPage::CommitEdit() { grid_->CommitEdit(); }

bool TPropertiesPage::GoToNextFormWithUntranslated() {
  TTranslationSession& session = window_.Session();
  auto& modules = window_.Project().Modules;
  if (modules.empty() || session.CurrentLanguage() <= 0) return false;
  size_t current = 0;
  for (size_t i = 0; i < modules.size(); ++i)
    if (modules[i].Module.get() == session.CurrentForm()) current = i;
  TPropertyGridModel::THighlighter highlighter(model_->Rules());
  const bool highlightedOnly = ReadShowHighlightedPropertiesOnly(window_.Environment().Location());
  for (size_t k = 1; k < modules.size(); ++k) {
    TModuleEntry& entry = modules[(current + k) % modules.size()];
    if (!entry.Module || !entry.Module->Root) continue;
    std::vector<TPropertyGridModel::TRow> rows;
    try {
      rows = TPropertyGridModel::ListedRows(*entry.Module, window_.TypeFilter(), highlightedOnly, highlighter);
    } catch (const std::exception&) {
      continue;  // a form the grid cannot list (its fill says why) is passed over
    }
    bool untranslated = false;
    for (const auto& row : rows) {
      TCHValue* value = nullptr;
      try {
        value = entry.Module->Root->FindProperty(row.path);
      } catch (const EFormModelError&) {
      }
      if (value && !value->IsTranslated()) {
        untranslated = true;
        break;
      }
    }
    if (!untranslated) continue;
    window_.SelectForm(window_.Ansi(entry.Name));
    if (session.CurrentForm() != entry.Module.get()) return false;
    return grid_->SelectFirstUntranslated();
  }
  return false;
}

}  // namespace kst::ui
