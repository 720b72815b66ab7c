// The window tests' fixture: a scratch copy of the demo with its own
// settings and dictionary, the main window over it, questions answered from
// a script, and helpers that type, press keys and drive modal dialogs.
#pragma once

#include <gtest/gtest.h>

#include <QtTest>
#include <QtWidgets>

#include <deque>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "config/interaction.h"
#include "platform/file_utils.h"
#include "platform/registry.h"
#include "project/project_data.h"
#include "session/translation_session.h"
#include "session/translator_environment.h"
#include "support/test_support.h"
#include "ui/cell_editor.h"
#include "ui/grid_delegate.h"
#include "ui/grid_model.h"
#include "ui/main_window.h"
#include "ui/qt_interaction.h"
#include "ui/translation_grid.h"
#include "ui/translation_views.h"

// Readable QStrings in failure messages.
inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

namespace kst::test {

constexpr int kGerman = 0x0407, kFrench = 0x040C;

// Lets queued signals and timers run for about `ms` milliseconds.
void Pump(int ms = 0);

// Runs `act` on the next modal dialog T once it shows (the command's exec()
// blocks, so from a timer). A dialog that never shows, or that `act` leaves
// open, fails the test (and is closed, so that the test ends).
template <class T>
void WhenShown(std::function<void(T&)> act, int ms = 10000) {
  auto* timer = new QTimer;
  auto waited = std::make_shared<int>(0);
  QObject::connect(timer, &QTimer::timeout, [timer, waited, act, ms] {
    T* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
    const bool shown = dialog && dialog->isVisible();
    if (!shown && (*waited += 10) <= ms) return;
    timer->stop();
    timer->deleteLater();
    if (!shown) {
      ADD_FAILURE() << "no " << T::staticMetaObject.className() << " showed";
      return;
    }
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
  });
  timer->start(10);
}

class TWindowFixture {
public:
  // With languages the demo is open in the shown window, `languages` added,
  // the first current; without, nothing is open.
  explicit TWindowFixture(std::vector<int> languages = {}, bool withDictionary = true);
  // Before the answers and the questions asked go: closing may still ask.
  ~TWindowFixture() {
    window.reset();
    environment.reset();
  }

  TScratchDir dir;
  TRegistryLocation location;
  std::unique_ptr<ui::TQtInteraction> interaction;
  std::unique_ptr<TTranslatorEnvironment> environment;
  std::unique_ptr<ui::TfrmLexibox> window;

  // Answers to the questions to come (then Cancel); every question and warning asked.
  std::deque<TAnswer> answers;
  std::vector<QString> asked;

  std::string Demo() const { return dir.File("demo/project/Demo.dpr"); }
  // Adds languages to a project's settings (as "kst project add-language" does).
  static void AddLanguages(const TRegistryLocation& location, const std::string& dpr, const std::vector<int>& ids);
  void AddLanguages(const std::vector<int>& ids) { AddLanguages(location, Demo(), ids); }
  // Shows the window and waits until it is active (shortcuts reach only the active window).
  void Show();
  // Opens `dpr` (the demo when empty), answering No to saving what is open, `language` current.
  void Open(int language, const std::string& dpr = {});
  // Saves a picture of the widget as BUILD/ui-screenshots/NAME.png.
  static void Screenshot(QWidget& widget, const std::string& name);

  ui::TTranslationViews& Views() { return window->Views(); }
  ui::TTranslationGrid& Grid(ui::TTab tab);  // any tab but the overview, which has none
  ui::TTranslationGrid& Properties() { return Grid(ui::TTab::Forms); }
  ui::TTranslationGrid& ShowGrid(ui::TTab tab) {
    window->ShowTab(tab);
    Pump();
    return Grid(tab);
  }
  // Shows the form (as its name in the selector) on the "Forms" tab.
  ui::TTranslationGrid& ShowForm(const QString& name);
  // The row whose key (path, name, file, version key) is `key`; fails the test when none.
  int Row(ui::TTranslationGrid& grid, const std::string& key) {
    int row = grid.Model()->RowOfKey(key);
    EXPECT_GE(row, 0) << key;
    return row;
  }
  QString Cell(ui::TTranslationGrid& grid, int row, int col) { return grid.Model()->index(row, col).data().toString(); }
  // Types `text` into the row's translated cell (see TypeIntoCell).
  void Type(ui::TTranslationGrid& grid, int row, const QString& text);
  // Opens the editor of the row's translated cell, its text selected.
  static QLineEdit* Editor(ui::TTranslationGrid& grid, int row);
  // The translation as the project holds it: a form's value, a resource string's.
  std::string Translation(const std::string& form, const std::string& path) {
    return window->Project().FindModule(form)->Root->FindProperty(path)->TranslatedValue;
  }
  std::string Translation(const std::string& key) { return window->Project().ResourceStrings.Find(0, key)->TranslatedValue; }
  void AddGreeting();  // the custom resource Greeting.res
  // Exactly `count` questions or warnings were asked, the last containing `part`.
  testing::AssertionResult Asked(size_t count, const QString& part) const;
  // As Asked, and the dialog stays open.
  testing::AssertionResult Refused(const QWidget& dialog, size_t count, const QString& part) const {
    return dialog.isVisible() ? Asked(count, part) : testing::AssertionFailure() << "the dialog closed";
  }
  // The dictionary's file as another process would copy it now.
  std::string DictionaryBytes();
  // Triggers the command and runs `act` on the modal dialog T it opens.
  template <class T>
  void OpenDialog(ui::TCommand command, std::function<void(T&)> act) {
    WhenShown<T>(std::move(act));
    window->Action(command)->trigger();
  }
};

// Keystrokes of a text, each carrying its letter as a keyboard layout for it sends it.
void Keys(QWidget* widget, const QString& text);
// The texts of a grid's column, top to bottom.
QStringList Column(ui::TTranslationGrid& grid, int column);
// Makes `to`'s window active and `to` the focus, waiting for both (a grid's
// shortcuts reach it only then); Key then presses the key.
void Focus(QWidget* to);
void Key(QWidget* to, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
// The cell editor the view has open (or nullptr).
QLineEdit* OpenEditor(QAbstractItemView& view);
// Makes the cell current, opens its editor with F2, replaces the text by
// typing and commits with Enter; false when no editor opened.
bool TypeIntoCell(QAbstractItemView& view, const QModelIndex& index, const QString& text);
// Opens the cell's editor and puts `text` there, uncommitted.
QLineEdit* EditCell(QAbstractItemView& view, const QModelIndex& index, const QString& text);
// Press, release, double click, release, as the window system delivers a
// double click (QTest's own sends the double click alone).
void DoubleClick(QWidget* widget, QPoint at);

}  // namespace kst::test
