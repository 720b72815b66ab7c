// TfrmProjectOptions: where the compiled language modules of the project go:
// the translation directory, the project's own output directory, or a
// directory given here.
#pragma once

#include "ui/abstract_dialog.h"

class QLineEdit;
class QRadioButton;

namespace kst::ui {

class TQtInteraction;

class TfrmProjectOptions : public TfrmAbstractDialog {
  Q_OBJECT

public:
  TfrmProjectOptions(QWidget* parent, THelpViewer* help, TQtInteraction& interaction);

  // The stored choice: "<TranslationDirectory>" or "<ProjectOutputDirectory>"
  // (in any letter case), or a directory.
  void SetOutputChoice(const QString& value);
  QString GetOutputChoice() const;

  void accept() override;

private:
  TQtInteraction& interaction_;
  QRadioButton* transDir_;
  QRadioButton* projDir_;
  QRadioButton* specified_;
  QLineEdit* outputDir_;
};

}  // namespace kst::ui
