// The project options dialog.
#include "ui/project_options_dialog.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "project/project_data.h"
#include "ui/help_viewer.h"
#include "ui/qt_interaction.h"

namespace kst::ui {

TfrmProjectOptions::TfrmProjectOptions(QWidget* parent, THelpViewer* help, TQtInteraction& interaction)
    : TfrmAbstractDialog(parent, help, kHelpProjectOptions, tr("Project Options"), QSize(496, 172)),
      interaction_(interaction) {
  auto* group = new QGroupBox(tr("Output Directory"), Body());
  transDir_ = new QRadioButton(tr("Translation Directory"), group);
  transDir_->setObjectName(QStringLiteral("ctlTransDir"));
  projDir_ = new QRadioButton(tr("EXE output directory specified in the Delphi project file"), group);
  projDir_->setObjectName(QStringLiteral("ctlProjDir"));
  specified_ = new QRadioButton(tr("Specified:"), group);
  specified_->setObjectName(QStringLiteral("ctlSpecified"));
  outputDir_ = new QLineEdit(group);
  outputDir_->setObjectName(QStringLiteral("ctlOutputDir"));
  auto* grid = new QGridLayout(group);
  grid->addWidget(transDir_, 0, 0, 1, 2);
  grid->addWidget(projDir_, 1, 0, 1, 2);
  grid->addWidget(specified_, 2, 0);
  grid->addWidget(outputDir_, 2, 1);
  grid->setColumnStretch(1, 1);
  auto* layout = new QVBoxLayout(Body());
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(group);
  layout->addStretch(1);
  transDir_->setChecked(true);
  // Typing a directory means the directory is wanted.
  connect(outputDir_, &QLineEdit::textEdited, this, [this] { specified_->setChecked(true); });
  setTabOrder(transDir_, outputDir_);
}

void TfrmProjectOptions::SetOutputChoice(const QString& value) {
  outputDir_->clear();
  if (value.compare(QLatin1String(kTranslationDirectoryPlaceholder), Qt::CaseInsensitive) == 0) {
    transDir_->setChecked(true);
  } else if (value.compare(QLatin1String(kProjectOutputDirectoryPlaceholder), Qt::CaseInsensitive) == 0) {
    projDir_->setChecked(true);
  } else {
    specified_->setChecked(true);
    outputDir_->setText(value);
  }
}

QString TfrmProjectOptions::GetOutputChoice() const {
  if (transDir_->isChecked()) return QLatin1String(kTranslationDirectoryPlaceholder);
  if (projDir_->isChecked()) return QLatin1String(kProjectOutputDirectoryPlaceholder);
  return outputDir_->text();
}

void TfrmProjectOptions::accept() {
  // An empty directory would reach the compiler as -e"" and put the module
  // wherever the compiler happens to run.
  if (specified_->isChecked() && outputDir_->text().trimmed().isEmpty()) {
    interaction_.ShowError(tr("Enter the directory the language modules are to be written to, or choose one of the "
                              "other two places."));
    outputDir_->setFocus();
    return;
  }
  TfrmAbstractDialog::accept();
}

}  // namespace kst::ui
