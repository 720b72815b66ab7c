// Typing into grid cells.
#include "dialog_driver.h"

#include <QTest>

namespace kst::test {

bool TypeIntoCell(QAbstractItemView& view, const QModelIndex& index, const QString& text) {
  view.setCurrentIndex(index);
  view.edit(index);
  QLineEdit* editor = OpenEditor(view);
  if (!editor) return false;
  editor->selectAll();
  editor->del();
  QTest::keyClicks(editor, text);
  QTest::keyClick(editor, Qt::Key_Return);
  QApplication::processEvents();
  return true;
}

}  // namespace kst::test
