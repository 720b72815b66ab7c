// The window on the demo with German (0407) current, shown, and helpers to
// reach the grids and type into cells as a translator does.
#pragma once

#include <QString>

#include <string>
#include <vector>

#include "ui_fixture.h"

class QTableView;
class QWidget;

namespace kst::ui {
class TTranslationGrid;
class TTranslationViews;
}  // namespace kst::ui

namespace kst::test {

class TGridFixture : public TWindowFixture {
public:
  // Opens the demo with `languages` added and the first of them selected.
  explicit TGridFixture(std::vector<int> languages = {0x0407}, bool withDictionary = true);

  ui::TTranslationViews& Views();
  ui::TTranslationGrid& Properties();
  ui::TTranslationGrid& Strings();
  ui::TTranslationGrid& CustomResources();
  ui::TTranslationGrid& Version();
  // Shows the form (as its name in the selector) on the "Forms" tab.
  void ShowForm(const QString& name);
  // The row whose key (path, name, file, version key) is `key`; fails the test when none.
  int Row(ui::TTranslationGrid& grid, const std::string& key);
  QString Cell(ui::TTranslationGrid& grid, int row, int column);
  // Opens the row's editor, replaces its text with `text` by typing, and commits with Enter.
  void Type(ui::TTranslationGrid& grid, int row, const QString& text);
  // Keystrokes of a text into a widget, non-ASCII letters as a keyboard
  // layout for them would send them.
  static void Keys(QWidget* widget, const QString& text);
  // The names of the forms as the selector lists them.
  QStringList FormNames();
};

}  // namespace kst::test
