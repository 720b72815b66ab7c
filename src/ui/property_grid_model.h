// The property grid's model: one row per plain value of the current form
// that passes the type filters (and, in highlighted-only mode, the
// highlighting rules). A row keeps the value's path and finds the value
// again on each use, so a form tree that was read again or lost a
// user-defined property never leaves a row pointing into freed memory.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "ui/grid_model.h"

namespace kst {
class TModuleHelper;
class TCHValue;
class TComponentHelper;
class TdatHighLighting;
}  // namespace kst

namespace kst::ui {

// Columns: 0 "Property", 1 type group, 2 "Original Value", 3 "Trns.",
// 4 "Translated Value".
class TPropertyGridModel : public TGridModel {
  Q_OBJECT

public:
  struct TRow {
    std::string path;
    uint8_t group = 0;        // 0 "Str", 1 "Num", 2 "Sym"
    int8_t highlighted = -1;  // -1: not asked yet (a row is asked when it is drawn)
  };

  // The highlighting test of a fill: each class-qualified path is asked
  // once. Without a dictionary nothing is highlighted.
  class THighlighter {
  public:
    explicit THighlighter(TdatHighLighting* rules) : rules_(rules) {}
    bool IsHighlighted(const std::string& path);

  private:
    TdatHighLighting* rules_;
    std::unordered_map<std::string, bool> known_;
  };

  explicit TPropertyGridModel(TfrmLexibox& window, QObject* parent = nullptr);

  int EditColumn() const override { return 4; }
  int OriginalColumn() const override { return 2; }

  // The rows a form lists: its plain values in path order whose type group
  // `typeFilter` (kFilter* bits) lets through, in highlighted-only mode only
  // those whose class-qualified path a rule highlights (the others are
  // asked when drawn: finding a component's class for each of thousands of
  // rows would make the fill slow).
  static std::vector<TRow> ListedRows(TModuleHelper& form, int typeFilter, bool highlightedOnly,
                                      THighlighter& highlighter);
  // The rule's class-qualified path ("TOpenDialog.Filter") also decides the
  // highlighted-only mode: the path as it stands ("dlgOpen.Filter") would
  // leave out rows that the grid draws highlighted.
  static bool IsHighlighted(const TComponentHelper& root, const std::string& path, THighlighter& highlighter);
  // The highlighting rules of the environment, null without a dictionary.
  TdatHighLighting* Rules() const;
  const TRow& Row(int entry) const { return rows_[static_cast<size_t>(entry)]; }

protected:
  QStringList Headers() const override;
  int FillEntries() override;
  std::string_view EntryText(int entry, int column, std::string& scratch) const override;
  bool EntryTranslated(int entry) const override;
  void SetEntryTranslation(int entry, const std::string& text) override;
  void ResetEntry(int entry) override;
  int EntryStyle(int entry) const override;

private:
  TCHValue* Value(int entry) const;
  bool Highlighted(int entry) const;

  mutable std::vector<TRow> rows_;
  mutable THighlighter highlighter_{nullptr};
};

}  // namespace kst::ui
