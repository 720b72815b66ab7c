// TGridModel: what the four translation grids have in common. A grid's rows
// are entries of the session's objects (a form's values, resource strings,
// custom resources, version keys), read on every data() call and changed
// through the session, never copied into the model. The model keeps only
// the order of its rows, which a header click sorts stably by the bytes of
// one column, and sorts again after every refill.
#pragma once

#include <QAbstractTableModel>
#include <QStringList>

#include <string>
#include <string_view>
#include <vector>

#include "session/search.h"

namespace kst {
class TTranslationSession;
}

namespace kst::ui {

class TfrmLexibox;

// Beyond Qt's roles, what the delegate asks a cell.
enum TGridRole {
  kStyleRole = Qt::UserRole + 1,  // int: TStyleIndex (0 for the read-only cells)
  kSpellRole,                     // bool: the cell's words are checked for spelling (translations only)
  kCodePageRole,                  // int: the code page the cell's text is typed in
};

class TGridModel : public QAbstractTableModel {
  Q_OBJECT

public:
  explicit TGridModel(TfrmLexibox& window, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
  void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

  // The translated column, the only one a person edits.
  virtual int EditColumn() const = 0;
  // The columns the search scopes name (key, original value).
  virtual int KeyColumn() const { return 0; }
  virtual int OriginalColumn() const = 0;
  // Whether a header click sorts (and the header shows the sort marker).
  virtual bool Sortable() const { return true; }

  // Everything again from the session; the rows are sorted again by the
  // remembered column.
  void Refill();
  // Stable sort of the rows as they stand by the column's bytes (plain
  // character-code order, so "100" comes before "20"); equal texts keep
  // their order, so a second sort by the same column changes nothing.
  void Sort(int column);
  int SortColumn() const { return sortColumn_; }
  // Every cell again (after undo, replacements, automatic translation).
  void RefreshRows();

  // Rows as the view shows them.
  bool IsTranslated(int row) const;
  std::string Key(int row) const;
  std::string Original(int row) const;     // in OriginalCodePage()
  std::string Translation(int row) const;  // in TranslationCodePage()
  // The row showing the entry of that key, -1 when none does.
  int RowOfKey(const std::string& key) const;
  // Key, original and translation for the search, all in the translation's
  // code page, so that one typed text finds all three.
  TSearchRow SearchTexts(int row) const;
  // Through the session; raise ETranslationError when the text is refused.
  void SetTranslation(int row, const std::string& text);
  void ResetTranslation(int row);
  // A text typed on the screen: converted to the translation's code page
  // and stored. A character the page cannot hold, or a text the session
  // refuses, is shown as a message and nothing changes. True when the
  // translation is now that text.
  bool SetShownTranslation(int row, const QString& text);
  // The original in the translation's code page (Ctrl+B), refusing, with
  // a message, what that page cannot hold.
  bool CopyOriginal(int row);

  // The code pages of a column's texts on the screen.
  virtual int ColumnCodePage(int column) const;
  int TranslationCodePage() const { return ColumnCodePage(EditColumn()); }
  int OriginalCodePage() const { return ColumnCodePage(OriginalColumn()); }
  QString ShownText(int row, int column) const;

signals:
  // A translation changed through this model (the window updates undo).
  void TranslationChanged();

protected:
  virtual QStringList Headers() const = 0;
  // Takes the entries from the session; returns how many there are.
  virtual int FillEntries() = 0;
  // The bytes of one cell of an entry; a text made for the call (a number,
  // "Yes") goes into `scratch`, which the result may point into.
  virtual std::string_view EntryText(int entry, int column, std::string& scratch) const = 0;
  virtual bool EntryTranslated(int entry) const = 0;
  virtual void SetEntryTranslation(int entry, const std::string& text) = 0;
  virtual void ResetEntry(int entry) = 0;
  virtual int EntryStyle(int entry) const;
  // Roles a grid answers beyond the common ones (the "Dict." check box).
  virtual QVariant EntryData(int entry, int column, int role) const { return {}; }
  virtual bool SetEntryData(int entry, int column, const QVariant& value, int role) { return false; }

  TTranslationSession& Session() const;
  TfrmLexibox& window_;

private:
  void Warn(const QString& text) const;

  std::vector<int> order_;  // view row -> entry
  int sortColumn_ = -1;
};

// "Yes" / "No" of the "Trns." and "Dict." columns.
inline std::string_view YesNo(bool yes) { return yes ? std::string_view("Yes") : std::string_view("No"); }

}  // namespace kst::ui
