// The "Forms" tab: the form selector; the property grid fills the rest.
#pragma once

#include "ui/tab_page.h"

class QComboBox;
class QHBoxLayout;
class QVBoxLayout;

namespace kst::ui {

class TFormsPage : public TTabPage {
  Q_OBJECT

public:
  explicit TFormsPage(TfrmLexibox& window);
  void Refill() override;
  QComboBox* Selector() const { return selector_; }

protected:
  // Where a page that adds the grid puts it (below the selector, taking the rest).
  QVBoxLayout* Layout() const { return layout_; }
  // The selector's row, for the page's own controls beside it.
  QHBoxLayout* SelectorRow() const { return row_; }

private:
  QComboBox* selector_;
  QVBoxLayout* layout_;
  QHBoxLayout* row_;
};

}  // namespace kst::ui
