// Driving modal dialogs that a command opens: the command's exec() blocks,
// so the test's steps run from a timer once the dialog is the active modal
// window. Typing into grid cells as a person does (edit, type, Enter).
#pragma once

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

namespace kst::test {

// Runs `act` on the next modal dialog of type T once it shows. A dialog
// that never shows, or that `act` leaves open, fails the test (and is
// closed, so that the test ends).
template <class T>
void WhenShown(std::function<void(T&)> act, int ms = 10000) {
  auto* timer = new QTimer;
  auto waited = std::make_shared<int>(0);
  QObject::connect(timer, &QTimer::timeout, [timer, waited, act, ms] {
    *waited += 10;
    T* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
    if (dialog && dialog->isVisible()) {
      timer->stop();
      timer->deleteLater();
      QPointer<T> open(dialog);
      // Focus moves (and what hangs on them) only in the active window.
      dialog->activateWindow();
      if (!QTest::qWaitForWindowActive(dialog, 2000)) ADD_FAILURE() << "the dialog did not become active";
      act(*dialog);
      QTimer::singleShot(ms, [open] {
        if (open && open->isVisible()) {
          ADD_FAILURE() << "the dialog was left open";
          open->reject();
        }
      });
      return;
    }
    if (*waited > ms) {
      timer->stop();
      timer->deleteLater();
      ADD_FAILURE() << "no " << T::staticMetaObject.className() << " showed";
    }
  });
  timer->start(10);
}

// The cell editor the view has open (or nullptr).
inline QLineEdit* OpenEditor(QAbstractItemView& view) {
  for (QLineEdit* edit : view.viewport()->findChildren<QLineEdit*>())
    if (edit->isVisible()) return edit;
  return nullptr;
}

// A double click as the window system delivers it: press, release, double
// click, release (QTest's own sends the double click alone to a widget).
inline void DoubleClick(QWidget* widget, QPoint at) {
  QTest::mousePress(widget, Qt::LeftButton, {}, at);
  QTest::mouseRelease(widget, Qt::LeftButton, {}, at);
  QTest::mouseDClick(widget, Qt::LeftButton, {}, at);
  QTest::mouseRelease(widget, Qt::LeftButton, {}, at);
}

// Opens the cell, replaces its text and presses Enter; false when no editor
// opened.
bool TypeIntoCell(QAbstractItemView& view, const QModelIndex& index, const QString& text);

}  // namespace kst::test
