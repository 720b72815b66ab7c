// TfrmAbstractDialog: the base of every dialog: a fixed-size window centred
// on its parent with "OK" (the default button), "Cancel" (also Escape) and
// "&Help" (the dialog's help topic). Descendants put their controls into
// Body() and move, re-caption or hide the buttons.
#pragma once

#include <QDialog>
#include <QSize>

class QDialogButtonBox;
class QPushButton;
class QBoxLayout;

namespace kst::ui {

class THelpViewer;

class TfrmAbstractDialog : public QDialog {
  Q_OBJECT

public:
  // `clientSize` is the dialog's designed size; it grows when the texts of
  // the desktop's font need more room, so that nothing is cut off.
  // `help` may be null (the Help button is then hidden).
  TfrmAbstractDialog(QWidget* parent, THelpViewer* help, int helpContext, const QString& caption, QSize clientSize);

  QWidget* Body() const { return body_; }
  QPushButton* OkButton() const { return ok_; }
  QPushButton* CancelButton() const { return cancel_; }
  QPushButton* HelpButton() const { return help_; }
  int HelpContext() const { return helpContext_; }
  void SetHelpContext(int context) { helpContext_ = context; }
  // Puts the three buttons in a column at the right instead of a row below.
  void ButtonsInColumn();

protected:
  void showEvent(QShowEvent* event) override;

private:
  THelpViewer* helpViewer_;
  int helpContext_;
  QSize clientSize_;
  QWidget* body_;
  QDialogButtonBox* buttons_;
  QBoxLayout* layout_;
  QPushButton* ok_;
  QPushButton* cancel_;
  QPushButton* help_;
};

}  // namespace kst::ui
