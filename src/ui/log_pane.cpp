// The log pane.
#include "ui/log_pane.h"

#include <QScrollBar>
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

}  // namespace kst::ui
