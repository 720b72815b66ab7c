// The dialog base: buttons, help and the fixed size.
#include "ui/abstract_dialog.h"

#include <QBoxLayout>
#include <QDialogButtonBox>
#include <QPushButton>

#include "ui/help_viewer.h"

namespace kst::ui {

TfrmAbstractDialog::TfrmAbstractDialog(QWidget* parent, THelpViewer* help, int helpContext, const QString& caption,
                                       QSize clientSize)
    : QDialog(parent), helpViewer_(help), helpContext_(helpContext), clientSize_(clientSize) {
  setWindowTitle(caption);
  body_ = new QWidget(this);
  buttons_ = new QDialogButtonBox(this);
  ok_ = buttons_->addButton(tr("OK"), QDialogButtonBox::AcceptRole);
  cancel_ = buttons_->addButton(tr("Cancel"), QDialogButtonBox::RejectRole);
  help_ = buttons_->addButton(tr("&Help"), QDialogButtonBox::HelpRole);
  ok_->setDefault(true);
  ok_->setObjectName(QStringLiteral("btnOK"));
  cancel_->setObjectName(QStringLiteral("btnCancel"));
  help_->setObjectName(QStringLiteral("btnHelp"));
  help_->setVisible(help != nullptr);
  connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(help_, &QPushButton::clicked, this, [this] {
    if (helpViewer_) helpViewer_->ShowTopic(helpContext_);
  });
  layout_ = new QVBoxLayout(this);
  layout_->addWidget(body_, 1);
  layout_->addWidget(buttons_);
}

void TfrmAbstractDialog::ButtonsInColumn() {
  buttons_->setOrientation(Qt::Vertical);
  layout_->setDirection(QBoxLayout::LeftToRight);
}

void TfrmAbstractDialog::showEvent(QShowEvent* event) {
  // The designed size, or what the texts need when that is more.
  setFixedSize(clientSize_.expandedTo(sizeHint()));
  // Descendants fill the body after the buttons were made: the buttons go
  // to the end of the tab order, and the focus starts in the body.
  QWidget* first = nullptr;
  QWidget* last = nullptr;
  for (QWidget* w = body_->nextInFocusChain(); w != body_ && w != this; w = w->nextInFocusChain()) {
    if (!body_->isAncestorOf(w)) continue;
    if (!first) first = w;
    last = w;
  }
  if (last) {
    QWidget* previous = last;
    for (QPushButton* b : {ok_, cancel_, help_}) {
      setTabOrder(previous, b);
      previous = b;
    }
  }
  QDialog::showEvent(event);
  QWidget* focus = focusWidget();
  if (first && (!focus || !body_->isAncestorOf(focus))) {
    for (QWidget* w = first; w && w != ok_; w = w->nextInFocusChain())
      if (body_->isAncestorOf(w) && w->isVisibleTo(this) && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus)) {
        w->setFocus(Qt::TabFocusReason);
        break;
      }
  }
}

}  // namespace kst::ui
