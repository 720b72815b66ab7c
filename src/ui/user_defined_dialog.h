// TfrmUserDefinedProperties: the user-defined entries of one form
// (properties the form file leaves out, extra list elements and collection
// items), with adding and removing. The main window rebuilds the form's grid
// when the dialog reports a change.
#pragma once

#include <vector>

#include "formmodel/user_defined_entries.h"
#include "ui/abstract_dialog.h"

class QListWidget;
class QPushButton;

namespace kst {
class TModuleHelper;
}

namespace kst::ui {

class TQtInteraction;

class TfrmUserDefinedProperties : public TfrmAbstractDialog {
  Q_OBJECT

public:
  // The module must outlive the dialog.
  TfrmUserDefinedProperties(QWidget* parent, THelpViewer* help, TQtInteraction& interaction);

  // Works on that form: the list shows its entries.
  void SetModule(TModuleHelper& module);
  // Whether an entry was added or removed.
  bool Changed() const { return changed_; }

  QListWidget* List() const { return list_; }
  QPushButton* AddButton() const { return add_; }
  QPushButton* RemoveButton() const { return remove_; }

private:
  void Refill();
  void Add();
  void Remove();

  TQtInteraction& interaction_;
  THelpViewer* help_;
  TModuleHelper* module_ = nullptr;
  std::vector<TUserDefinedEntry> entries_;
  QListWidget* list_;
  QPushButton* add_;
  QPushButton* remove_;
  bool changed_ = false;
};

}  // namespace kst::ui
