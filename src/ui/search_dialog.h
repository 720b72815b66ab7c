// TfrmSearch: the Find and Replace dialog. It fills itself from the search
// settings and writes them back on OK; the texts are typed in the code page
// of the translations they are looked for in.
#pragma once

#include "ui/abstract_dialog.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;

namespace kst {
struct TSearchSettings;
}

namespace kst::ui {

class TQtInteraction;

class TfrmSearch : public TfrmAbstractDialog {
  Q_OBJECT

public:
  // `settings` and `interaction` must outlive the dialog; `codePage` is the
  // one the texts are searched in.
  TfrmSearch(QWidget* parent, THelpViewer* help, TSearchSettings& settings, int codePage,
             TQtInteraction& interaction);

  void SetReplaceMode(bool replace);
  bool ReplaceMode() const { return replace_; }

  QComboBox* SearchString() const { return searchString_; }
  QLineEdit* NewText() const { return newText_; }
  QGroupBox* Scope() const { return scope_; }

  // Writes the settings (OK); a text that the code page cannot hold is
  // refused with a message naming the character, and the dialog stays.
  void accept() override;

private:
  TSearchSettings& settings_;
  TQtInteraction& interaction_;
  int codePage_;
  bool replace_ = false;
  QComboBox* searchString_;
  QLabel* newTextLabel_;
  QLineEdit* newText_;
  QCheckBox* caseSensitive_;
  QCheckBox* words_;
  QCheckBox* ask_;
  QCheckBox* replaceAll_;
  QGroupBox* scope_;
  QCheckBox* translatedValue_;
  QCheckBox* originalValue_;
  QCheckBox* propertyName_;
};

}  // namespace kst::ui
