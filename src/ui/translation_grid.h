// TTranslationGrid: a stock QTableView over one grid model with the
// grids' shared behaviour: only the translated column takes the current
// cell, a header click sorts, the column-width rule, the row height of the
// display settings, and the keyboard flow translators work in (Ctrl+Enter
// commits and goes to the next untranslated row, Ctrl+Shift+Enter across
// forms, Ctrl+B copies the original, Ctrl+Up/Down move without leaving the
// editor).
#pragma once

#include <QWidget>

#include <functional>
#include <utility>
#include <vector>

class QAction;
class QMenu;
class QTableView;

namespace kst::ui {

class TfrmLexibox;
class TGridDelegate;
class TGridModel;
class TSpellChecker;

class TTranslationGrid : public QWidget {
  Q_OBJECT

public:
  // How the columns share the width: `fixed` columns get their width,
  // `narrow` ones 30 pixels (or what their header needs), `stretch` the
  // rest; when nothing is left, every column a equal share (`evenWhenNarrow`)
  // or the stretched one 100 pixels.
  struct TColumnRule {
    std::vector<std::pair<int, int>> fixed;
    std::vector<int> narrow;
    int stretch = 0;
    bool evenWhenNarrow = false;
  };

  // The grid takes `model` (parented to it). `spell` may be null.
  TTranslationGrid(TfrmLexibox& window, TGridModel* model, TSpellChecker* spell, TColumnRule rule,
                   const QString& objectName, QWidget* parent);
  ~TTranslationGrid() override;

  QTableView* View() const { return view_; }
  TGridModel* Model() const { return model_; }
  TGridDelegate* Delegate() const { return delegate_; }

  // The current row, -1 when there is none.
  int CurrentRow() const;
  // Makes the row's translated cell current (and opens its editor).
  void SelectRow(int row, bool edit = false);
  bool Editing() const;
  // Stores what the open editor holds and closes it.
  void CommitEdit();
  // Everything again from the session; the current row stays on its entry.
  void Refill();
  // Font size, row height and colours from the display settings.
  void ApplyDisplay();
  void ApplyColumnWidths();

  // The keyboard flow; each commits the open editor first.
  void CommitAndNextUntranslated(bool acrossForms);
  void MoveRow(int delta);
  void CopyOriginal();
  void ResetCurrent();
  // The first untranslated row (in the grid's order), made current with
  // its editor open; false when every row is translated.
  bool SelectFirstUntranslated();

  // Ctrl+Shift+Enter when no untranslated row follows in this grid: the
  // page may go on in another form (true when it did).
  std::function<bool()> nextForm;

  // The grid's own commands, also in its context menu.
  QAction* CommitNextAction() const { return commitNext_; }
  QAction* CommitNextFormAction() const { return commitNextForm_; }
  QAction* CopyOriginalAction() const { return copyOriginal_; }
  // Adds a command of the page to the context menu (and its shortcut to the grid).
  void AddGridAction(QAction* action);

signals:
  void CurrentRowChanged();

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;

private:
  QAction* MakeAction(const QString& text, const QList<QKeySequence>& keys, const char* name,
                      std::function<void()> run);
  void ShowContextMenu(const QPoint& at);
  void SortBy(int column);
  void Say(const QString& text);
  int NarrowWidth(int column) const;

  TfrmLexibox& window_;
  TGridModel* model_;
  TGridDelegate* delegate_;
  QTableView* view_;
  TColumnRule rule_;
  // The widths of the columns the rule leaves to the person (180 until
  // dragged), which a narrow window's even split does not change.
  std::vector<int> preferred_;
  bool applyingWidths_ = false;
  QAction* commitNext_ = nullptr;
  QAction* commitNextForm_ = nullptr;
  QAction* copyOriginal_ = nullptr;
  QAction* previousRow_ = nullptr;
  QAction* nextRow_ = nullptr;
  std::vector<QAction*> pageActions_;
};

}  // namespace kst::ui
