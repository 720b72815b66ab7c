// The "Resource Strings" tab: the resource-string grid, whose "Dict." cell
// turns the dictionary mark over with a click (or Ctrl+D on the row).
#pragma once

#include "ui/grid_page.h"

namespace kst::ui {

class TResourceStringModel;

class TResourceStringsPage : public TGridPage {
  Q_OBJECT

public:
  TResourceStringsPage(TfrmLexibox& window, TSpellChecker* spell);
  TResourceStringModel* Model() const { return model_; }

private:
  TResourceStringModel* model_;
};

}  // namespace kst::ui
