// TGridPage: a tab that is one translation grid (the custom resources), and
// the base of the resource-string and version tabs, which add to it.
#pragma once

#include <utility>
#include <vector>

#include "ui/tab_page.h"

class QBoxLayout;

namespace kst::ui {

class TGridModel;
class TSpellChecker;
class TTranslationGrid;

// What differs between the grid pages.
struct TGridPageSetup {
  const char* pageName;  // the page's object name
  const char* gridName;  // the grid's
  std::vector<std::pair<int, int>> fixedColumns;
  std::vector<int> narrowColumns;
  int stretchColumn;
};

class TGridPage : public TTabPage {
  Q_OBJECT

public:
  // The page takes the model; `spell` may be null.
  TGridPage(TfrmLexibox& window, TGridModel* model, TSpellChecker* spell, const TGridPageSetup& setup);

  void Refill() override;
  bool CanResetTranslation() const override;
  void ResetTranslation() override;
  void CommitEdit() override;

  TTranslationGrid* Grid() const { return grid_; }

protected:
  // The page's row: the grid, and what a page puts beside it.
  QBoxLayout* Row() const { return row_; }

private:
  TTranslationGrid* grid_;
  QBoxLayout* row_;
};

// The "Custom Resources" tab.
TGridPage* NewCustomResourcesPage(TfrmLexibox& window, TSpellChecker* spell);

}  // namespace kst::ui
