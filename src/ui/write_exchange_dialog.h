// TfrmWriteExchangeFile: the name, the format and the content of an exchange
// file for an outside translator: which property types go in, and whether
// the original texts go with the translations.
#pragma once

#include <functional>

#include "exchange/exchange_format.h"
#include "ui/abstract_dialog.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace kst::ui {

class TQtInteraction;

class TfrmWriteExchangeFile : public TfrmAbstractDialog {
  Q_OBJECT

public:
  TfrmWriteExchangeFile(QWidget* parent, THelpViewer* help, TQtInteraction& interaction);

  void SetFileName(const QString& name);
  // Bits kFilterStrings, kFilterNumbers, kFilterOthers (exchange_file.h).
  void SetTypeFilter(int filter);
  void SetIncludeOriginal(bool include);
  // Choosing a format gives the file name that format's extension (when it
  // has one of the three) and offers "Include Original Value" for the
  // exchange file only: XLIFF and PO always carry the originals.
  void SetFormat(TExchangeFormat format);

  // After "OK".
  QString FileName() const;
  int TypeFilter() const;
  bool IncludeOriginal() const;
  TExchangeFormat Format() const;

  // How a typed name is found on disk (macros expanded, relative names taken
  // against the project's directory); the name as it stands by default.
  void SetResolver(std::function<QString(const QString&)> resolve) { resolve_ = std::move(resolve); }

  // Asks before an existing file is replaced; "No" keeps the dialog open.
  void accept() override;

private:
  void Browse();
  void FormatChosen();

  TQtInteraction& interaction_;
  std::function<QString(const QString&)> resolve_;
  QLineEdit* fileName_;
  QComboBox* format_;
  QCheckBox* strings_;
  QCheckBox* numbers_;
  QCheckBox* symbols_;
  QCheckBox* includeOriginal_;
};

}  // namespace kst::ui
