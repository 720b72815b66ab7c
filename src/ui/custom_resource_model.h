// The custom-resource grid's model: one row per custom resource file, with
// the file linked in its place for the current language.
#pragma once

#include "ui/grid_model.h"

namespace kst {
class TCustomResource;
}

namespace kst::ui {

// Columns: 0 "Original Resource File", 1 "Trns.", 2 "Translated Resource File".
class TCustomResourceModel : public TGridModel {
  Q_OBJECT

public:
  explicit TCustomResourceModel(TfrmLexibox& window, QObject* parent = nullptr);

  int EditColumn() const override { return 2; }
  int OriginalColumn() const override { return 0; }
  bool Sortable() const override { return false; }
  // File names: UTF-8 bytes, as the file system takes them.
  int ColumnCodePage(int column) const override;

protected:
  QStringList Headers() const override;
  int FillEntries() override;
  std::string_view EntryText(int entry, int column, std::string& scratch) const override;
  bool EntryTranslated(int entry) const override;
  void SetEntryTranslation(int entry, const std::string& text) override;
  void ResetEntry(int entry) override;

private:
  TCustomResource* Resource(int entry) const;
};

}  // namespace kst::ui
