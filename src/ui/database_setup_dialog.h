// TfrmTranslatorConfiguration: where the translation dictionary lives (a
// directory, or a PostgreSQL server), asked at start-up when it is not set
// up (or its directory has gone).
#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;

namespace kst {
class TTranslatorEnvironment;
}

namespace kst::ui {

class TQtInteraction;

class TfrmTranslatorConfiguration : public QDialog {
  Q_OBJECT

public:
  TfrmTranslatorConfiguration(TTranslatorEnvironment& environment, TQtInteraction& interaction,
                              QWidget* parent = nullptr);
  QLineEdit* DatabaseDirectory() const { return database_; }
  QLineEdit* NetDir() const { return netDir_; }
  QCheckBox* Shared() const { return shared_; }
  QCheckBox* OnServer() const { return onServer_; }
  QLineEdit* ServerConnection() const { return server_; }

  // Whether start-up must ask: the dictionary has neither a server nor a
  // directory, or the directory it names is gone.
  static bool Needed(TTranslatorEnvironment& environment);

  void accept() override;

private:
  TTranslatorEnvironment& environment_;
  TQtInteraction& interaction_;
  QLineEdit* database_;
  QLineEdit* netDir_;
  QCheckBox* shared_;
  QCheckBox* onServer_;
  QLineEdit* server_;
};

}  // namespace kst::ui
