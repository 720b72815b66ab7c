// Find, Replace and Search again (F3) over the property grid on the
// "Forms" tab and the resource-string grid otherwise: the search dialog
// fills the settings of this run, and the walks of session/search.h visit
// the grid's rows in the order it shows them, from the row after the
// current one. A replace is one undo step.
#pragma once

#include <QObject>

#include "session/search.h"

namespace kst::ui {

class TfrmLexibox;
class TTranslationGrid;

class TSearchCommands : public QObject {
  Q_OBJECT

public:
  // Both grids belong to the window's pages and live as long as it.
  TSearchCommands(TfrmLexibox& window, TTranslationGrid& properties, TTranslationGrid& strings);

  TSearchSettings& Settings() { return settings_; }
  // The commands: the dialog, then the walk.
  void Find();
  void Replace();
  void SearchAgain();
  // The walks with the settings as they are.
  void RunFind();
  void RunReplace();

private:
  bool ShowDialog(bool replace);
  TTranslationGrid& ActiveGrid() const;

  TfrmLexibox& window_;
  TTranslationGrid& properties_;
  TTranslationGrid& strings_;
  TSearchSettings settings_;
};

}  // namespace kst::ui
