// The log pane.
#include "ui/log_pane.h"

#include <QMouseEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>

namespace kst::ui {

TLogPane::TLogPane(QWidget* parent) : QPlainTextEdit(parent) {
  setObjectName(QStringLiteral("ctlLog"));
  setReadOnly(true);
  setLineWrapMode(QPlainTextEdit::NoWrap);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setMinimumHeight(70);
}

void TLogPane::AppendLog(const QString& text) {
  QString piece = text;
  piece.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  piece.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  QTextCursor cursor(document());
  cursor.movePosition(QTextCursor::End);
  cursor.insertText(piece);
  verticalScrollBar()->setValue(verticalScrollBar()->maximum());
  viewport()->repaint();
}

void TLogPane::AppendAction(const QString& line, std::function<void()> action) {
  if (!document()->lastBlock().text().isEmpty()) AppendLog(QStringLiteral("\n"));
  actions_[document()->blockCount() - 1] = std::move(action);
  AppendLine(line);
}

void TLogPane::ClearLog() {
  actions_.clear();
  clear();
}

bool TLogPane::RunAction(int block) {
  auto found = actions_.find(block);
  if (found == actions_.end()) return false;
  // The action may clear the pane; it runs from a copy.
  std::function<void()> action = found->second;
  action();
  return true;
}

void TLogPane::mouseDoubleClickEvent(QMouseEvent* event) {
  if (!RunAction(cursorForPosition(event->position().toPoint()).blockNumber())) QPlainTextEdit::mouseDoubleClickEvent(event);
}

}  // namespace kst::ui
