// The write-exchange-file dialog.
#include "ui/write_exchange_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include "exchange/exchange_file.h"
#include "ui/help_viewer.h"
#include "ui/qt_interaction.h"

namespace kst::ui {

namespace {

struct TFormatRow {
  TExchangeFormat format;
  const char* name;
  const char* filter;
};

const TFormatRow kFormats[] = {
    {TExchangeFormat::Tab, "Exchange File (*.trx)", "Translator Exchange File (*.trx *.TRX)"},
    {TExchangeFormat::Xliff, "XLIFF 1.2 (*.xlf)", "XLIFF File (*.xlf *.xliff *.XLF *.XLIFF)"},
    {TExchangeFormat::Po, "gettext PO (*.po)", "gettext PO File (*.po *.PO)"},
};

}  // namespace

TfrmWriteExchangeFile::TfrmWriteExchangeFile(QWidget* parent, THelpViewer* help, TQtInteraction& interaction)
    : TfrmAbstractDialog(parent, help, kHelpWriteExchangeFile, tr("Write Exchange File"), QSize(506, 236)),
      interaction_(interaction) {
  auto* label = new QLabel(tr("File Name:"), Body());
  fileName_ = new QLineEdit(Body());
  fileName_->setObjectName(QStringLiteral("edtFileName"));
  label->setBuddy(fileName_);
  auto* browse = new QToolButton(Body());
  browse->setObjectName(QStringLiteral("btnBrowse"));
  browse->setText(QStringLiteral("..."));
  browse->setToolTip(tr("Choose the file"));
  connect(browse, &QToolButton::clicked, this, &TfrmWriteExchangeFile::Browse);

  auto* formatLabel = new QLabel(tr("&Format:"), Body());
  format_ = new QComboBox(Body());
  format_->setObjectName(QStringLiteral("cbxFormat"));
  for (const TFormatRow& row : kFormats) format_->addItem(tr(row.name), static_cast<int>(row.format));
  formatLabel->setBuddy(format_);

  auto* types = new QGroupBox(tr("Property Types"), Body());
  strings_ = new QCheckBox(tr("String Properties"), types);
  strings_->setObjectName(QStringLiteral("chkStringProperties"));
  numbers_ = new QCheckBox(tr("Numeric Properties"), types);
  numbers_->setObjectName(QStringLiteral("chkNumericProperties"));
  symbols_ = new QCheckBox(tr("Symbol- and other Properties"), types);
  symbols_->setObjectName(QStringLiteral("chkSymbolProperties"));
  auto* typeLayout = new QVBoxLayout(types);
  typeLayout->addWidget(strings_);
  typeLayout->addWidget(numbers_);
  typeLayout->addWidget(symbols_);
  includeOriginal_ = new QCheckBox(tr("Include Original Value"), Body());
  includeOriginal_->setObjectName(QStringLiteral("chkIncludeOriginalValue"));

  auto* grid = new QGridLayout(Body());
  grid->setContentsMargins(0, 0, 0, 0);
  grid->addWidget(label, 0, 0);
  grid->addWidget(fileName_, 0, 1);
  grid->addWidget(browse, 0, 2);
  grid->addWidget(formatLabel, 1, 0);
  grid->addWidget(format_, 1, 1, Qt::AlignLeft);
  grid->addWidget(types, 2, 0, 2, 2, Qt::AlignTop);
  grid->addWidget(includeOriginal_, 2, 2, Qt::AlignTop);
  grid->setColumnStretch(1, 1);
  grid->setRowStretch(3, 1);
  setTabOrder(fileName_, browse);
  setTabOrder(browse, format_);
  setTabOrder(format_, strings_);
  setTabOrder(strings_, numbers_);
  setTabOrder(numbers_, symbols_);
  setTabOrder(symbols_, includeOriginal_);
  connect(format_, &QComboBox::currentIndexChanged, this, &TfrmWriteExchangeFile::FormatChosen);
}

void TfrmWriteExchangeFile::SetFileName(const QString& name) { fileName_->setText(name); }

void TfrmWriteExchangeFile::SetFormat(TExchangeFormat format) {
  format_->setCurrentIndex(format_->findData(static_cast<int>(format)));
  FormatChosen();
}

TExchangeFormat TfrmWriteExchangeFile::Format() const {
  return static_cast<TExchangeFormat>(format_->currentData().toInt());
}

void TfrmWriteExchangeFile::FormatChosen() {
  TExchangeFormat format = Format();
  includeOriginal_->setEnabled(format == TExchangeFormat::Tab);
  // A name the person gave another extension keeps it.
  QString name = fileName_->text();
  QFileInfo info(name);
  QString suffix = info.suffix().toLower();
  if (suffix == "trx" || suffix == "xlf" || suffix == "xliff" || suffix == "po") {
    name.chop(suffix.size() + 1);
    fileName_->setText(name + QString::fromLatin1(ExchangeExtension(format)));
  }
}

void TfrmWriteExchangeFile::SetTypeFilter(int filter) {
  strings_->setChecked(filter & kFilterStrings);
  numbers_->setChecked(filter & kFilterNumbers);
  symbols_->setChecked(filter & kFilterOthers);
}

void TfrmWriteExchangeFile::SetIncludeOriginal(bool include) { includeOriginal_->setChecked(include); }

QString TfrmWriteExchangeFile::FileName() const { return fileName_->text().trimmed(); }

int TfrmWriteExchangeFile::TypeFilter() const {
  return (strings_->isChecked() ? kFilterStrings : 0) | (numbers_->isChecked() ? kFilterNumbers : 0) |
         (symbols_->isChecked() ? kFilterOthers : 0);
}

bool TfrmWriteExchangeFile::IncludeOriginal() const {
  return includeOriginal_->isChecked() || Format() != TExchangeFormat::Tab;
}

void TfrmWriteExchangeFile::Browse() {
  QString filter;
  for (const TFormatRow& row : kFormats)
    if (row.format == Format()) filter = tr(row.filter);
  QString file = QFileDialog::getSaveFileName(this, tr("Write Exchange File"), FileName(), filter + tr(";;All Files (*)"),
                                              nullptr, QFileDialog::DontConfirmOverwrite);
  if (!file.isEmpty()) fileName_->setText(file);
}

void TfrmWriteExchangeFile::accept() {
  QString name = FileName();
  if (name.isEmpty()) {
    interaction_.ShowError(tr("Enter the name of the exchange file."));
    fileName_->setFocus();
    return;
  }
  QFileInfo info(resolve_ ? resolve_(name) : name);
  if (info.isDir()) {
    interaction_.ShowError(tr("%1 is a directory. Enter the name of the exchange file.").arg(name));
    fileName_->setFocus();
    return;
  }
  // An exchange file may hold an outside translator's work that has not been
  // read back yet.
  if (info.exists() &&
      interaction_.AskText(tr("The file %1 already exists. Do you want to replace it?").arg(QDir::toNativeSeparators(info.filePath())),
                            TButtons::YesNo) != TAnswer::Yes) {
    fileName_->setFocus();
    return;
  }
  TfrmAbstractDialog::accept();
}

}  // namespace kst::ui
