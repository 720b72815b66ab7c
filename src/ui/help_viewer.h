// The program's help: HTML pages built into the program, one per help
// context number the windows use, with contents and a keyword search, shown
// in one help window.
#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

class QLineEdit;
class QListWidget;
class QTextBrowser;

namespace kst::ui {

// The help context numbers of the windows.
enum THelpContext : int {
  kHelpContents = 0,
  kHelpFind = 1,
  kHelpReplace = 2,
  kHelpOptions = 3,
  kHelpNewLanguage = 4,
  kHelpMainWindow = 5,
  kHelpProjectOptions = 6,
  kHelpWriteExchangeFile = 7,
  kHelpDatabaseSetup = 8,
  kHelpInformation = 9,
  kHelpAutoTranslate = 10,
  kHelpDictionary = 11,
  kHelpUserDefined = 14,
  kHelpAddProperty = 15,
};

class THelpWindow;

// Opens topics in the one help window it owns (made on first use).
class THelpViewer {
public:
  ~THelpViewer();
  // The topic of that context number; the contents for an unknown one.
  void ShowTopic(int context);
  void ShowContents() { ShowTopic(kHelpContents); }
  // The keyword search, with its box holding `key`.
  void SearchFor(const QString& key);
  // The window, once shown (for tests).
  THelpWindow* Window() const { return window_; }

  // The resource path of a context's page (":/help/topic-5.html"); empty
  // when there is none.
  static QString TopicPath(int context);

private:
  void Open();
  QPointer<THelpWindow> window_;
};

class THelpWindow : public QWidget {
  Q_OBJECT

public:
  THelpWindow();
  void ShowPage(const QString& path);
  void ShowSearch(const QString& key);
  QString CurrentPage() const { return current_; }
  QTextBrowser* Browser() const { return browser_; }

private:
  void Search(const QString& key);
  QTextBrowser* browser_;
  QLineEdit* search_;
  QListWidget* results_;
  QString current_;
};

}  // namespace kst::ui
