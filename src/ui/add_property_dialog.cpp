// The add-property dialog.
#include "ui/add_property_dialog.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

#include "formmodel/user_defined.h"
#include "ui/help_viewer.h"
#include "ui/qt_interaction.h"
#include "ui/ui_text.h"

namespace kst::ui {

TfrmAddProperty::TfrmAddProperty(QWidget* parent, THelpViewer* help, TQtInteraction& interaction, TComponentHelper& root,
                                 TApply apply)
    : TfrmAbstractDialog(parent, help, kHelpAddProperty, tr("Add Property"), QSize(412, 136)),
      interaction_(interaction),
      apply_(std::move(apply)) {
  auto* ownerLabel = new QLabel(tr("Parent:"), Body());
  owner_ = new QComboBox(Body());
  owner_->setObjectName(QStringLiteral("ctlOwner"));
  owner_->setMaxVisibleItems(12);
  owner_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  owner_->setMinimumContentsLength(30);
  ownerLabel->setBuddy(owner_);
  auto* nameLabel = new QLabel(tr("Property:"), Body());
  propertyName_ = new QLineEdit(Body());
  propertyName_->setObjectName(QStringLiteral("ctlPropertyName"));
  nameLabel->setBuddy(propertyName_);
  auto* typeLabel = new QLabel(tr("Type:"), Body());
  propertyType_ = new QComboBox(Body());
  propertyType_->setObjectName(QStringLiteral("ctlPropertyType"));
  for (const TPropertyTypeChoice& choice : AddPropertyTypeChoices())
    propertyType_->addItem(QString::fromLatin1(choice.name), static_cast<int>(choice.type));
  propertyType_->setCurrentIndex(-1);
  typeLabel->setBuddy(propertyType_);

  auto* grid = new QGridLayout(Body());
  grid->setContentsMargins(0, 0, 0, 0);
  grid->addWidget(ownerLabel, 0, 0);
  grid->addWidget(owner_, 0, 1);
  grid->addWidget(nameLabel, 1, 0);
  grid->addWidget(propertyName_, 1, 1);
  grid->addWidget(typeLabel, 2, 0);
  grid->addWidget(propertyType_, 2, 1);
  grid->setColumnStretch(1, 1);
  grid->setRowStretch(3, 1);

  connect(owner_, &QComboBox::currentIndexChanged, this, &TfrmAddProperty::OwnerChanged);
  FillOwners(root);
}

void TfrmAddProperty::FillOwners(TComponentHelper& root) {
  QSignalBlocker block(owner_);
  owner_->clear();
  owners_ = ListPropertyOwners(root);
  for (const TPropertyOwner& owner : owners_) owner_->addItem(interaction_.Shown(owner.caption));
  owner_->setCurrentIndex(-1);
  OwnerChanged();
}

void TfrmAddProperty::OwnerChanged() {
  propertyName_->setEnabled(false);
  propertyType_->setEnabled(false);
  int at = owner_->currentIndex();
  if (at < 0 || at >= static_cast<int>(owners_.size())) return;
  const TPropertyOwner& owner = owners_[static_cast<size_t>(at)];
  propertyName_->setText(interaction_.Shown(owner.presetName));
  propertyName_->setEnabled(owner.nameEditable);
  propertyType_->setEnabled(owner.typeEditable);
  // A collection item has no type; a property or a list element takes the
  // first type unless one is chosen.
  if (!owner.typeEditable)
    propertyType_->setCurrentIndex(-1);
  else if (propertyType_->currentIndex() < 0)
    propertyType_->setCurrentIndex(0);
}

void TfrmAddProperty::accept() {
  int at = owner_->currentIndex();
  if (at < 0 || at >= static_cast<int>(owners_.size())) {
    interaction_.ShowError(tr("Choose the component, collection or list the new entry belongs to."));
    owner_->setFocus();
    return;
  }
  const TPropertyOwner& owner = owners_[static_cast<size_t>(at)];
  QString refused;
  std::optional<std::string> name = ToAnsi(propertyName_->text().trimmed(), interaction_.CodePage(), &refused);
  // A property name goes into every generated form: an empty or malformed
  // one would make each later Generate write a form Delphi cannot read.
  if (owner.nameEditable && (!name || !IsPropertyName(*name))) {
    interaction_.ShowError(tr("\"%1\" is no property name. Enter an identifier such as Hint, or identifiers joined by "
                              "dots such as Font.Name.")
                               .arg(propertyName_->text().trimmed()));
    propertyName_->setFocus();
    propertyName_->selectAll();
    return;
  }
  TPropertyType type = propertyType_->currentIndex() < 0 ? ptUnknown
                                                          : static_cast<TPropertyType>(propertyType_->currentData().toInt());
  try {
    if (apply_) apply_(owner.path, name.value_or(std::string()), type);
  } catch (const std::exception& e) {
    interaction_.ShowError(interaction_.Shown(e.what()));
    return;
  }
  ownerPath_ = owner.path;
  name_ = name.value_or(std::string());
  type_ = type;
  TfrmAbstractDialog::accept();
}

}  // namespace kst::ui
