// Message boxes, the status hint and the override cursor.
#include "ui/qt_interaction.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include "ui/ui_text.h"

namespace kst::ui {

TQtInteraction::TQtInteraction(int codePage, QObject* parent) : QObject(parent), codePage_(codePage) {}

TQtInteraction::~TQtInteraction() {
  if (busy_) QApplication::restoreOverrideCursor();
}

QString TQtInteraction::Shown(const std::string& text) const {
  QString shown = FromAnsi(text, codePage_);
  shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return shown;
}

void TQtInteraction::SetHint(const std::string& text) {
  hint_ = text;
  emit HintChanged(FromAnsi(text, codePage_));
}

void TQtInteraction::SetBusyCursor(bool busy) {
  if (busy == busy_) return;
  busy_ = busy;
  if (busy)
    QApplication::setOverrideCursor(Qt::WaitCursor);
  else
    QApplication::restoreOverrideCursor();
}

void TQtInteraction::ShowWarning(const std::string& text) { ShowWarningText(Shown(text)); }

void TQtInteraction::ShowWarningText(const QString& text) {
  if (answerer_) {
    answerer_(text, TButtons::Ok);
    return;
  }
  bool busy = busy_;
  SetBusyCursor(false);
  QMessageBox::warning(window_, QApplication::applicationDisplayName(), text);
  SetBusyCursor(busy);
}

void TQtInteraction::ShowError(const QString& text) {
  bool busy = busy_;
  SetBusyCursor(false);
  if (answerer_)
    answerer_(text, TButtons::Ok);
  else
    QMessageBox::critical(window_, QApplication::applicationDisplayName(), text);
  SetBusyCursor(busy);
}

TAnswer TQtInteraction::Ask(const std::string& text, TButtons buttons) { return AskText(Shown(text), buttons); }

TAnswer TQtInteraction::AskText(const QString& shown, TButtons buttons) {
  if (answerer_) return answerer_(shown, buttons);
  // A question asked during a long operation must get the normal cursor.
  bool busy = busy_;
  SetBusyCursor(false);
  QMessageBox box(buttons == TButtons::Ok || buttons == TButtons::OkCancel ? QMessageBox::Warning
                                                                            : QMessageBox::Question,
                  QApplication::applicationDisplayName(), shown, QMessageBox::NoButton, window_);
  struct TChoice {
    QMessageBox::StandardButton button;
    TAnswer answer;
  };
  std::vector<TChoice> choices;
  switch (buttons) {
    case TButtons::Ok: choices = {{QMessageBox::Ok, TAnswer::Ok}}; break;
    case TButtons::OkCancel: choices = {{QMessageBox::Ok, TAnswer::Ok}, {QMessageBox::Cancel, TAnswer::Cancel}}; break;
    case TButtons::YesNo: choices = {{QMessageBox::Yes, TAnswer::Yes}, {QMessageBox::No, TAnswer::No}}; break;
    case TButtons::YesNoCancel:
      choices = {{QMessageBox::Yes, TAnswer::Yes}, {QMessageBox::No, TAnswer::No}, {QMessageBox::Cancel, TAnswer::Cancel}};
      break;
    case TButtons::YesNoCancelAll:
      choices = {{QMessageBox::Yes, TAnswer::Yes},
                 {QMessageBox::No, TAnswer::No},
                 {QMessageBox::Cancel, TAnswer::Cancel},
                 {QMessageBox::YesToAll, TAnswer::All}};
      break;
    case TButtons::YesIgnoreCancel:
      choices = {{QMessageBox::Yes, TAnswer::Yes}, {QMessageBox::Ignore, TAnswer::Ignore}, {QMessageBox::Cancel, TAnswer::Cancel}};
      break;
  }
  for (const TChoice& c : choices) box.addButton(c.button);
  if (buttons == TButtons::YesNoCancelAll) box.button(QMessageBox::YesToAll)->setText(tr("&All"));
  box.setDefaultButton(choices.front().button);
  auto pressed = static_cast<QMessageBox::StandardButton>(box.exec());
  SetBusyCursor(busy);
  for (const TChoice& c : choices)
    if (c.button == pressed) return c.answer;
  // Closed any other way.
  return buttons == TButtons::Ok ? TAnswer::Ok : TAnswer::Cancel;
}

}  // namespace kst::ui
