// The user-defined-properties dialog.
#include "ui/user_defined_dialog.h"

#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "formmodel/user_defined.h"
#include "ui/add_property_dialog.h"
#include "ui/help_viewer.h"
#include "ui/qt_interaction.h"

namespace kst::ui {

TfrmUserDefinedProperties::TfrmUserDefinedProperties(QWidget* parent, THelpViewer* help, TQtInteraction& interaction)
    : TfrmAbstractDialog(parent, help, kHelpUserDefined, tr("User Defined Properties"), QSize(515, 348)),
      interaction_(interaction),
      help_(help) {
  OkButton()->setText(tr("Close"));
  CancelButton()->hide();
  auto* label = new QLabel(tr("Properties"), Body());
  list_ = new QListWidget(Body());
  list_->setObjectName(QStringLiteral("ctlProps"));
  label->setBuddy(list_);
  add_ = new QPushButton(tr("Add..."), Body());
  add_->setObjectName(QStringLiteral("AddBtn"));
  add_->setAutoDefault(false);
  remove_ = new QPushButton(tr("Remove"), Body());
  remove_->setObjectName(QStringLiteral("RemoveBtn"));
  remove_->setAutoDefault(false);
  remove_->setEnabled(false);

  auto* buttons = new QVBoxLayout;
  buttons->addWidget(add_);
  buttons->addWidget(remove_);
  buttons->addStretch(1);
  auto* grid = new QGridLayout(Body());
  grid->setContentsMargins(0, 0, 0, 0);
  grid->addWidget(label, 0, 0);
  grid->addWidget(list_, 1, 0);
  grid->addLayout(buttons, 1, 1);
  grid->setColumnStretch(0, 1);

  connect(list_, &QListWidget::itemSelectionChanged, this,
          [this] { remove_->setEnabled(!list_->selectedItems().isEmpty()); });
  connect(add_, &QPushButton::clicked, this, &TfrmUserDefinedProperties::Add);
  connect(remove_, &QPushButton::clicked, this, &TfrmUserDefinedProperties::Remove);
  setTabOrder(list_, add_);
  setTabOrder(add_, remove_);
}

void TfrmUserDefinedProperties::SetModule(TModuleHelper& module) {
  module_ = &module;
  Refill();
}

void TfrmUserDefinedProperties::Refill() {
  list_->clear();
  entries_.clear();
  if (module_ && module_->Root) entries_ = ListUserDefinedEntries(*module_->Root);
  for (size_t i = 0; i < entries_.size(); ++i) {
    auto* item = new QListWidgetItem(interaction_.Shown(entries_[i].path), list_);
    item->setData(Qt::UserRole, static_cast<int>(i));
  }
  remove_->setEnabled(false);
}

void TfrmUserDefinedProperties::Add() {
  if (!module_ || !module_->Root) return;
  TComponentHelper& root = *module_->Root;
  TfrmAddProperty dialog(this, help_, interaction_, root,
                         [&root](const std::string& path, const std::string& name, TPropertyType type) {
                           AddUserDefinedProperty(root, path, name, type);
                         });
  if (dialog.exec() != QDialog::Accepted) return;
  changed_ = true;
  Refill();
}

void TfrmUserDefinedProperties::Remove() {
  QList<QListWidgetItem*> selected = list_->selectedItems();
  if (selected.isEmpty() || !module_ || !module_->Root) return;
  size_t at = static_cast<size_t>(selected.front()->data(Qt::UserRole).toInt());
  if (at >= entries_.size()) return;
  try {
    RemoveUserDefinedEntry(*module_->Root, entries_[at]);
  } catch (const std::exception& e) {
    interaction_.ShowError(interaction_.Shown(e.what()));
    return;
  }
  changed_ = true;
  Refill();
}

}  // namespace kst::ui
