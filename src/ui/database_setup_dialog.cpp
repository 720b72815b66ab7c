// The database set-up dialog. Its directory is stored only when it exists
// (created here) and is absolute, so that every start finds one dictionary;
// a server connection only when the server answers.
#include "ui/database_setup_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "dictionary/common.h"
#include "platform/database_engine.h"
#include "platform/file_utils.h"
#include "session/translator_environment.h"
#include "ui/qt_interaction.h"

namespace kst::ui {

namespace {

QLabel* Explanation(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setWordWrap(true);
  // The explanations are set apart in blue, a blue that stays readable on
  // a dark desktop theme.
  QPalette palette = label->palette();
  bool dark = palette.color(QPalette::Window).lightness() < 100;
  palette.setColor(QPalette::WindowText, dark ? QColor(120, 170, 255) : QColor(0, 0, 160));
  label->setPalette(palette);
  return label;
}

QString Native(const std::string& path) { return QString::fromUtf8(path.c_str()); }

}  // namespace

bool TfrmTranslatorConfiguration::Needed(TTranslatorEnvironment& environment) {
  if (environment.Engine().GetAliasKind(kDictionaryAlias) == TDatabaseKind::PostgreSql)
    return !environment.Engine().AliasIsSetUp(kDictionaryAlias);
  std::string path = environment.DictionaryDirectory();
  return path.empty() || !DirectoryExists(path);
}

TfrmTranslatorConfiguration::TfrmTranslatorConfiguration(TTranslatorEnvironment& environment, TQtInteraction& interaction,
                                                         QWidget* parent)
    : QDialog(parent), environment_(environment), interaction_(interaction) {
  setObjectName(QStringLiteral("frmTranslatorConfiguration"));
  setWindowTitle(tr("Kestrin Translator Configuration"));
  auto* tabs = new QTabWidget(this);
  auto* page = new QWidget(tabs);
  tabs->addTab(page, tr("Database"));

  auto* databaseGroup = new QGroupBox(tr("Database"), page);
  auto* dbLayout = new QGridLayout(databaseGroup);
  dbLayout->addWidget(Explanation(tr("The translation dictionary is stored in a subdirectory named KSTrans.DB of the "
                                     "directory specified here. Other workstations share it when they name the same "
                                     "directory."),
                                  databaseGroup),
                      0, 0, 1, 3);
  auto* pathLabel = new QLabel(tr("Path to &Database:"), databaseGroup);
  database_ = new QLineEdit(databaseGroup);
  database_->setObjectName(QStringLiteral("ctlDatabaseDirectory"));
  database_->setMinimumWidth(320);
  pathLabel->setBuddy(database_);
  auto* browseDatabase = new QPushButton(tr("Browse..."), databaseGroup);
  browseDatabase->setObjectName(QStringLiteral("btnBrowseDatabaseDirectory"));
  dbLayout->addWidget(pathLabel, 1, 0);
  dbLayout->addWidget(database_, 1, 1);
  dbLayout->addWidget(browseDatabase, 1, 2);
  shared_ = new QCheckBox(tr("The directory is &shared with other workstations over the network"), databaseGroup);
  shared_->setObjectName(QStringLiteral("ctlShared"));
  dbLayout->addWidget(shared_, 2, 1, 1, 2);

  auto* serverGroup = new QGroupBox(tr("Team Server"), page);
  auto* serverLayout = new QGridLayout(serverGroup);
  serverLayout->addWidget(
      Explanation(tr("A team can keep the dictionary on a PostgreSQL server instead (a database made "
                     "with ENCODING 'SQL_ASCII'). The password is not entered here: it comes from "
                     "~/.pgpass, PGPASSWORD or a service file."),
                  serverGroup),
      0, 0, 1, 2);
  onServer_ = new QCheckBox(tr("Keep the dictionary on a PostgreSQL &server"), serverGroup);
  onServer_->setObjectName(QStringLiteral("ctlOnServer"));
  serverLayout->addWidget(onServer_, 1, 0, 1, 2);
  auto* serverLabel = new QLabel(tr("&Connection:"), serverGroup);
  server_ = new QLineEdit(serverGroup);
  server_->setObjectName(QStringLiteral("ctlServerConnection"));
  server_->setPlaceholderText(QStringLiteral("host=db.example dbname=kestrin sslmode=require"));
  serverLabel->setBuddy(server_);
  serverLayout->addWidget(serverLabel, 2, 0);
  serverLayout->addWidget(server_, 2, 1);
  // One place or the other: the directory's fields say nothing while the
  // server is chosen.
  connect(onServer_, &QCheckBox::toggled, this, [=, this](bool onServer) {
    server_->setEnabled(onServer);
    for (QWidget* w : std::initializer_list<QWidget*>{pathLabel, database_, browseDatabase, shared_})
      w->setEnabled(!onServer);
  });

  auto* netGroup = new QGroupBox(tr("Paradox Network Directory"), page);
  auto* netLayout = new QGridLayout(netGroup);
  netLayout->addWidget(Explanation(tr("Paradox requires a common network control directory for access control."), netGroup),
                       0, 0, 1, 3);
  netLayout->addWidget(Explanation(tr("Every workstation that shares the dictionary must point to the same network "
                                      "directory (NetDir)."),
                                   netGroup),
                       1, 0, 1, 3);
  auto* netLabel = new QLabel(tr("&Net Dir:"), netGroup);
  netDir_ = new QLineEdit(netGroup);
  netDir_->setObjectName(QStringLiteral("ctlNetDir"));
  netLabel->setBuddy(netDir_);
  auto* browseNet = new QPushButton(tr("Browse..."), netGroup);
  browseNet->setObjectName(QStringLiteral("btnBrowseNetDir"));
  netLayout->addWidget(netLabel, 2, 0);
  netLayout->addWidget(netDir_, 2, 1);
  netLayout->addWidget(browseNet, 2, 2);

  auto* pageLayout = new QVBoxLayout(page);
  pageLayout->addWidget(databaseGroup);
  pageLayout->addWidget(serverGroup);
  pageLayout->addWidget(netGroup);
  pageLayout->addStretch(1);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("btnOK"));
  buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("btnCancel"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabs);
  layout->addWidget(buttons);

  auto browse = [this](QLineEdit* edit) {
    QString dir = QFileDialog::getExistingDirectory(this, tr("Choose a directory"), edit->text());
    if (!dir.isEmpty()) edit->setText(dir);
  };
  connect(browseDatabase, &QPushButton::clicked, this, [=, this] { browse(database_); });
  connect(browseNet, &QPushButton::clicked, this, [=, this] { browse(netDir_); });

  // The parent of KSTrans.DB as stored, or the user's own data directory:
  // pressing OK on the first start gives a working dictionary.
  std::string stored;
  std::string netDir;
  bool onServer = false;
  std::string connection;
  try {
    onServer = environment_.Engine().GetAliasKind(kDictionaryAlias) == TDatabaseKind::PostgreSql;
    connection = environment_.Engine().GetAliasConnection(kDictionaryAlias);
    stored = environment_.DictionaryDirectory();
    netDir = environment_.Engine().GetParadoxNetDir();
    shared_->setChecked(environment_.Engine().GetJournalMode() == "DELETE");
  } catch (const std::exception& e) {
    interaction_.ShowWarning(e.what());
  }
  database_->setText(Native(stored.empty() ? UserDataDirectory() : ExtractFileDir(stored)));
  netDir_->setText(Native(netDir));
  onServer_->setChecked(onServer);
  server_->setEnabled(onServer);
  server_->setText(Native(connection));
}

void TfrmTranslatorConfiguration::accept() {
  if (onServer_->isChecked()) {
    QByteArray connection = server_->text().trimmed().toUtf8();
    if (connection.isEmpty()) {
      QMessageBox::warning(this, windowTitle(), tr("Please enter the connection to the dictionary's server."));
      return;
    }
    try {
      environment_.SetUpServerDictionary(std::string(connection.constData(), static_cast<size_t>(connection.size())));
    } catch (const std::exception& e) {
      QMessageBox::critical(this, windowTitle(), interaction_.Shown(e.what()));
      return;
    }
    QDialog::accept();
    return;
  }
  QString text = database_->text().trimmed();
  if (text.isEmpty()) {
    QMessageBox::warning(this, windowTitle(), tr("Please enter the directory the dictionary is to be kept in."));
    return;
  }
  if (text == QLatin1String("~") || text.startsWith(QLatin1String("~/"))) text = QDir::homePath() + text.mid(1);
  if (!QDir::isAbsolutePath(text)) {
    // A relative path would name another dictionary for every directory the
    // program is started from.
    QMessageBox::warning(this, windowTitle(), tr("Please enter the full path of the directory (starting with \"/\")."));
    return;
  }
  QByteArray bytes = text.toUtf8();
  std::string directory(bytes.constData(), static_cast<size_t>(bytes.size()));
  try {
    environment_.Engine().SetJournalMode(shared_->isChecked() ? "DELETE" : "WAL");
    QByteArray net = netDir_->text().trimmed().toUtf8();
    environment_.Engine().SetParadoxNetDir(std::string(net.constData(), static_cast<size_t>(net.size())));
    environment_.SetUpDictionary(AbsolutePath(directory));
  } catch (const std::exception& e) {
    // The dialog stays open so that the entries can be corrected.
    QMessageBox::critical(this, windowTitle(), interaction_.Shown(e.what()));
    return;
  }
  QDialog::accept();
}

}  // namespace kst::ui
