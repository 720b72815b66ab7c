// The version grid's model: one row per key of the project's version
// information.
#pragma once

#include "ui/grid_model.h"

namespace kst {
class TVersionInfoLabel;
}

namespace kst::ui {

// Columns: 0 "Key", 1 "Value", 2 "Trns.", 3 "Translated Value".
class TVersionInfoModel : public TGridModel {
  Q_OBJECT

public:
  explicit TVersionInfoModel(TfrmLexibox& window, QObject* parent = nullptr);

  int EditColumn() const override { return 3; }
  int OriginalColumn() const override { return 1; }
  bool Sortable() const override { return false; }

protected:
  QStringList Headers() const override;
  int FillEntries() override;
  std::string_view EntryText(int entry, int column, std::string& scratch) const override;
  bool EntryTranslated(int entry) const override;
  void SetEntryTranslation(int entry, const std::string& text) override;
  void ResetEntry(int entry) override;

private:
  TVersionInfoLabel* Label(int entry) const;
};

}  // namespace kst::ui
