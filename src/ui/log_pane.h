// The log pane below the tabs: the compiler's output and the build's report.
#pragma once

#include <QPlainTextEdit>

namespace kst::ui {

class TLogPane : public QPlainTextEdit {
  Q_OBJECT

public:
  explicit TLogPane(QWidget* parent = nullptr);
  // Appends a piece of text as it came (line breaks only where the text has
  // them: a piece may end in the middle of a line), scrolls to it and
  // repaints at once, so that progress shows while a long operation runs.
  void AppendLog(const QString& text);
  // A whole line: the text and a line break.
  void AppendLine(const QString& line) { AppendLog(line + QLatin1Char('\n')); }
  void ClearLog() { clear(); }
};

}  // namespace kst::ui
