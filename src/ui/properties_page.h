// The "Forms" tab: the form selector and, below it, the property grid of
// the current form.
#pragma once

#include "ui/forms_page.h"

namespace kst::ui {

class TPropertyGridModel;
class TSpellChecker;
class TTranslationGrid;

class TPropertiesPage : public TFormsPage {
  Q_OBJECT

public:
  // `spell` may be null and must outlive the page.
  TPropertiesPage(TfrmLexibox& window, TSpellChecker* spell);

  void Refill() override;
  bool CanResetTranslation() const override;
  void ResetTranslation() override;
  void CommitEdit() override;

  TTranslationGrid* Grid() const { return grid_; }
  TPropertyGridModel* Model() const { return model_; }

private:
  // Ctrl+Shift+Enter past the last untranslated row: the next form (in the
  // project's order, round to the ones before) with an untranslated row
  // that the filters list becomes current, at its first such row.
  bool GoToNextFormWithUntranslated();

  TPropertyGridModel* model_;
  TTranslationGrid* grid_;
};

}  // namespace kst::ui
