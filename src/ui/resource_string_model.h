// The resource-string grid's model: one row per resource string of the
// project, in the set's order until a header click sorts it.
#pragma once

#include "ui/grid_model.h"

namespace kst {
class TResourceStrListItem;
}

namespace kst::ui {

// Columns: 0 "ID", 1 "Name", 2 "Original Value", 3 "Trns.", 4 "Dict."
// (the dictionary mark, a check box), 5 "Translated Value".
class TResourceStringModel : public TGridModel {
  Q_OBJECT

public:
  static constexpr int kDictColumn = 4;
  explicit TResourceStringModel(TfrmLexibox& window, QObject* parent = nullptr);

  int EditColumn() const override { return 5; }
  int KeyColumn() const override { return 1; }
  int OriginalColumn() const override { return 2; }
  // Turns the dictionary mark of a row over.
  void ToggleFromDictionary(int row);

protected:
  QStringList Headers() const override;
  int FillEntries() override;
  std::string_view EntryText(int entry, int column, std::string& scratch) const override;
  bool EntryTranslated(int entry) const override;
  void SetEntryTranslation(int entry, const std::string& text) override;
  void ResetEntry(int entry) override;
  QVariant EntryData(int entry, int column, int role) const override;
  bool SetEntryData(int entry, int column, const QVariant& value, int role) override;

private:
  TResourceStrListItem* Item(int entry) const;
  int count_ = 0;
};

}  // namespace kst::ui
