// A tab of one grid.
#include "ui/grid_page.h"

#include <QBoxLayout>

#include "ui/custom_resource_model.h"
#include "ui/main_window.h"
#include "ui/translation_grid.h"

namespace kst::ui {

TGridPage::TGridPage(TfrmLexibox& window, TGridModel* model, TSpellChecker* spell, const TGridPageSetup& setup)
    : TTabPage(window) {
  setObjectName(QString::fromLatin1(setup.pageName));
  TTranslationGrid::TColumnRule rule;
  rule.fixed = setup.fixedColumns;
  rule.narrow = setup.narrowColumns;
  rule.stretch = setup.stretchColumn;
  grid_ = new TTranslationGrid(window, model, spell, rule, QString::fromLatin1(setup.gridName), this);
  row_ = new QHBoxLayout(this);
  row_->addWidget(grid_, 1);
  connect(&window_, &TfrmLexibox::ProjectChanged, this, &TGridPage::Refill);
  connect(&window_, &TfrmLexibox::LanguageChanged, this, &TGridPage::Refill);
  connect(&window_, &TfrmLexibox::DisplayChanged, this, [this] {
    grid_->ApplyDisplay();
    Refill();
  });
}

void TGridPage::Refill() { grid_->Refill(); }
bool TGridPage::CanResetTranslation() const { return grid_->CurrentRow() >= 0; }
void TGridPage::ResetTranslation() { grid_->ResetCurrent(); }
void TGridPage::CommitEdit() { grid_->CommitEdit(); }

TGridPage* NewCustomResourcesPage(TfrmLexibox& window, TSpellChecker*) {
  // File names are not spelled.
  return new TGridPage(window, new TCustomResourceModel(window), nullptr,
                       TGridPageSetup{"sheetCustomResources", "CustomResources", {}, {1}, 2});
}

}  // namespace kst::ui
