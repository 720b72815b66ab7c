// The core's interaction interface in the window: warnings and questions as
// message boxes with the buttons the core names, the status hint for the
// status bar, the busy cursor as the application's override cursor.
#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <string>

#include "config/interaction.h"

class QWidget;

namespace kst::ui {

class TQtInteraction : public QObject, public TUserInteraction {
  Q_OBJECT

public:
  // Texts from the core are in `codePage` (the system's ANSI code page).
  explicit TQtInteraction(int codePage, QObject* parent = nullptr);
  ~TQtInteraction() override;

  // Message boxes are shown over this window (none: no parent).
  void SetWindow(QWidget* window) { window_ = window; }

  std::string Hint() const override { return hint_; }
  void SetHint(const std::string& text) override;
  bool BusyCursor() const override { return busy_; }
  void SetBusyCursor(bool busy) override;
  void ShowWarning(const std::string& text) override;
  // The standard error box: an operation could not go on.
  void ShowError(const QString& text);
  TAnswer Ask(const std::string& text, TButtons buttons) override;
  // The same for texts made on the screen's side (they may hold characters
  // the system's code page lacks: a typed Cyrillic letter, a translation).
  void ShowWarningText(const QString& text);
  TAnswer AskText(const QString& text, TButtons buttons);

  // Answers in place of the message boxes (tests, and runs without anybody
  // at the screen); it gets the text as shown.
  using TAnswerer = std::function<TAnswer(const QString& text, TButtons buttons)>;
  void SetAnswerer(TAnswerer answerer) { answerer_ = std::move(answerer); }

  // A core text as the screen shows it: converted, its CR line breaks made
  // line feeds.
  QString Shown(const std::string& text) const;
  // The code page of the core's texts.
  int CodePage() const { return codePage_; }

signals:
  void HintChanged(const QString& text);

private:
  int codePage_;
  QWidget* window_ = nullptr;
  std::string hint_;
  bool busy_ = false;
  TAnswerer answerer_;
};

}  // namespace kst::ui
