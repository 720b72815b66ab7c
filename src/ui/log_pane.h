// The log pane below the tabs: the compiler's output, the build's report and
// the findings of the translation checks.
#pragma once

#include <QPlainTextEdit>

#include <functional>
#include <map>

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
  // A whole line that runs `action` when it is double-clicked (a finding
  // leads to its row). It starts a line of its own.
  void AppendAction(const QString& line, std::function<void()> action);
  // Empties the pane and forgets its lines' actions.
  void ClearLog();
  // Runs the action of the line at that block, if it has one.
  bool RunAction(int block);

protected:
  void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
  std::map<int, std::function<void()>> actions_;  // by block number
};

}  // namespace kst::ui
