// The grid tests' fixture.
#include "grid_fixture.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTableView>
#include <QTest>

#include "session/translation_session.h"
#include "ui/cell_editor.h"
#include "ui/grid_delegate.h"
#include "ui/grid_model.h"
#include "ui/grid_page.h"
#include "ui/main_window.h"
#include "ui/properties_page.h"
#include "ui/resource_strings_page.h"
#include "ui/translation_grid.h"
#include "ui/translation_views.h"
#include "ui/version_page.h"

namespace kst::test {

TGridFixture::TGridFixture(std::vector<int> languages, bool withDictionary) : TWindowFixture(withDictionary) {
  AddLanguages(languages);
  window->resize(1200, 800);
  window->show();
  window->OpenProject(QString::fromStdString(Demo()));
  window->SelectLanguage(languages.front());
  Pump();
}

ui::TTranslationViews& TGridFixture::Views() { return window->Views(); }
ui::TTranslationGrid& TGridFixture::Properties() { return *Views().Properties()->Grid(); }
ui::TTranslationGrid& TGridFixture::Strings() { return *Views().ResourceStrings()->Grid(); }
ui::TTranslationGrid& TGridFixture::CustomResources() { return *Views().CustomResources()->Grid(); }
ui::TTranslationGrid& TGridFixture::Version() { return *Views().Version()->Grid(); }

void TGridFixture::ShowForm(const QString& name) {
  window->ShowTab(ui::TTab::Forms);
  QComboBox* selector = Views().Properties()->Selector();
  // The selector lists the forms as the project names them (full paths).
  int index = -1;
  for (int i = 0; i < selector->count() && index < 0; ++i)
    if (selector->itemText(i).endsWith(QLatin1Char('/') + name, Qt::CaseInsensitive)) index = i;
  ASSERT_GE(index, 0) << name.toStdString();
  selector->setCurrentIndex(index);
  emit selector->activated(index);
  Pump();
}

int TGridFixture::Row(ui::TTranslationGrid& grid, const std::string& key) {
  int row = grid.Model()->RowOfKey(key);
  EXPECT_GE(row, 0) << key;
  return row;
}

QString TGridFixture::Cell(ui::TTranslationGrid& grid, int row, int column) {
  return grid.Model()->index(row, column).data().toString();
}

void TGridFixture::Type(ui::TTranslationGrid& grid, int row, const QString& text) {
  grid.SelectRow(row);
  QTableView* view = grid.View();
  view->setFocus();
  QTest::keyClick(view, Qt::Key_F2);
  QLineEdit* editor = grid.Delegate()->OpenEditor();
  ASSERT_NE(editor, nullptr) << "F2 opens the editor";
  editor->selectAll();
  QTest::keyClick(editor, Qt::Key_Delete);
  Keys(editor, text);
  QTest::keyClick(editor, Qt::Key_Return);
  Pump();
}

void TGridFixture::Keys(QWidget* widget, const QString& text) {
  for (QChar c : text) {
    if (c.unicode() >= 32 && c.unicode() < 127) {
      QTest::keyClick(widget, c.toLatin1());
      continue;
    }
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
    QApplication::sendEvent(widget, &press);
    QApplication::sendEvent(widget, &release);
  }
}

QStringList TGridFixture::FormNames() {
  QStringList names;
  QComboBox* selector = Views().Properties()->Selector();
  for (int i = 0; i < selector->count(); ++i) names << selector->itemText(i);
  return names;
}

}  // namespace kst::test
