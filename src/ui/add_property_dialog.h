// TfrmAddProperty: a new user-defined entry of a form: its owner (a
// component, a collection or a list), its name or item number, and its type.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "formmodel/user_defined_entries.h"
#include "ui/abstract_dialog.h"

class QComboBox;
class QLineEdit;

namespace kst::ui {

class TQtInteraction;

class TfrmAddProperty : public TfrmAbstractDialog {
  Q_OBJECT

public:
  // Adds the entry to the tree; raises the form model's refusals.
  using TApply = std::function<void(const std::string& ownerPath, const std::string& name, TPropertyType type)>;

  // `root` is the form's tree, which must outlive the dialog. "OK" calls
  // `apply` and closes only when it went through; a refusal keeps what was
  // typed for another try.
  TfrmAddProperty(QWidget* parent, THelpViewer* help, TQtInteraction& interaction, TComponentHelper& root, TApply apply);

  // Empties the owner list and fills it from the tree.
  void FillOwners(TComponentHelper& root);

  // The results of "OK": the owner's path (fully qualified, so that it
  // resolves to the very line chosen), the name, the type (ptUnknown when
  // none is chosen).
  const std::string& OwnerPath() const { return ownerPath_; }
  const std::string& PropertyName() const { return name_; }
  TPropertyType PropertyType() const { return type_; }

  QComboBox* Owners() const { return owner_; }
  QLineEdit* NameEdit() const { return propertyName_; }
  QComboBox* Types() const { return propertyType_; }

  void accept() override;

private:
  void OwnerChanged();

  TQtInteraction& interaction_;
  TApply apply_;
  std::vector<TPropertyOwner> owners_;
  QComboBox* owner_;
  QLineEdit* propertyName_;
  QComboBox* propertyType_;
  std::string ownerPath_;
  std::string name_;
  TPropertyType type_ = ptUnknown;
};

}  // namespace kst::ui
