// The form selector of the "Forms" tab.
#include "ui/forms_page.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "project/project_data.h"
#include "ui/main_window.h"

namespace kst::ui {

TFormsPage::TFormsPage(TfrmLexibox& window) : TTabPage(window) {
  setObjectName(QStringLiteral("sheetForms"));
  layout_ = new QVBoxLayout(this);
  row_ = new QHBoxLayout;
  auto* label = new QLabel(tr("Form: "), this);
  selector_ = new QComboBox(this);
  selector_->setObjectName(QStringLiteral("ctlSelectedForm"));
  selector_->setMaxVisibleItems(30);
  label->setBuddy(selector_);
  row_->addWidget(label);
  row_->addWidget(selector_, 1);
  layout_->addLayout(row_);
  connect(selector_, &QComboBox::activated, this, [this](int index) { window_.SelectForm(selector_->itemText(index)); });
  connect(&window_, &TfrmLexibox::ProjectChanged, this, &TFormsPage::Refill);
  connect(&window_, &TfrmLexibox::FormChanged, this, &TFormsPage::Refill);
  connect(&window_, &TfrmLexibox::LanguageChanged, this, &TFormsPage::Refill);
}

void TFormsPage::Refill() {
  QSignalBlocker block(selector_);
  selector_->clear();
  for (const TModuleEntry& m : window_.Project().Modules) selector_->addItem(window_.Ansi(m.Name));
  selector_->setCurrentIndex(selector_->findText(window_.CurrentFormName()));
}

}  // namespace kst::ui
