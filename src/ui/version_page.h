// The "Version Resource" tab: the read-only version panel (the link flag,
// the version numbers, the current language, the attributes) beside the
// version-key grid.
#pragma once

#include <array>

#include "ui/grid_page.h"

class QCheckBox;
class QLineEdit;

namespace kst::ui {

class TVersionPage : public TGridPage {
  Q_OBJECT

public:
  TVersionPage(TfrmLexibox& window, TSpellChecker* spell);
  void Refill() override;

private:
  QCheckBox* link_;
  std::array<QLineEdit*, 4> numbers_{};
  QLineEdit* language_;
  std::array<QCheckBox*, 5> attributes_{};
};

}  // namespace kst::ui
