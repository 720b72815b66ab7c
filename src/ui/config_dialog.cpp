// The options dialog: its pages, the directories page, and "OK".
#include "ui/config_dialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QVBoxLayout>

#include "config/registry_settings.h"
#include "config/text_helpers.h"
#include "dictionary/config_data.h"
#include "dictionary/edit_errors.h"
#include "dictionary/settings.h"
#include "platform/same_text.h"
#include "platform/user_name.h"
#include "session/translator_environment.h"
#include "ui/display_page.h"
#include "ui/edit_grid.h"
#include "ui/help_viewer.h"
#include "ui/highlighting_page.h"
#include "ui/module_groups_page.h"
#include "ui/qt_interaction.h"

namespace kst::ui {

namespace {

// Directories and tool paths are file names of this system, which keeps
// them as UTF-8 bytes; their path macros stay unexpanded.
QString PathText(const std::string& path) { return QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size())); }
std::string PathBytes(const QString& text) {
  QByteArray bytes = text.trimmed().toUtf8();
  return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

}  // namespace

TfrmConfig::TfrmConfig(QWidget* parent, THelpViewer* help, TQtInteraction& interaction, TTranslatorEnvironment& environment)
    : TfrmAbstractDialog(parent, help, kHelpOptions, tr("Config"), QSize(622, 410)),
      interaction_(interaction),
      environment_(environment),
      user_(GetNetUserName()) {
  TdatSettings& settings = environment_.Settings();
  config_ = std::make_unique<TdatConfig>(environment_.Common());
  config_->BeginConfig();

  pages_ = new QTabWidget(Body());
  pages_->setObjectName(QStringLiteral("pgcConfig"));
  pages_->addTab(MakeDirectoriesPage(), tr("Directories and Programs"));
  highlighting_ = new THighlightingPage(*config_, interaction_, pages_);
  pages_->addTab(highlighting_, tr("Highlighting"));
  groups_ = new TModuleGroupsPage(*config_, interaction_, pages_);
  pages_->addTab(groups_, tr("Module Groups"));
  display_ = new TFontsColorsPage(settings, user_, interaction_, pages_);
  pages_->addTab(display_, tr("Fonts and Colors"));
  auto* layout = new QVBoxLayout(Body());
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(pages_);

  ReadRegistry();
  // Last: a dialog that could not be built leaves no transaction behind
  // (its destructor would not run to roll it back).
  settings.BeginSettingsTransaction();
}

TfrmConfig::~TfrmConfig() {
  // Every way out but a successful "OK" forgets the dialog's changes.
  try {
    TdatSettings& settings = environment_.Settings();
    if (settings.InSettingsTransaction()) settings.RollbackSettings();
  } catch (const std::exception&) {
    // The dictionary went away; there is nothing left to undo.
  }
  config_->RollbackConfig();
}

QWidget* TfrmConfig::MakeDirectoriesPage() {
  auto* page = new QWidget(pages_);
  auto row = [](QGridLayout* grid, int at, const QString& caption, QLineEdit*& edit, const char* name, QWidget* parent) {
    auto* label = new QLabel(caption, parent);
    edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    label->setBuddy(edit);
    grid->addWidget(label, at, 0);
    grid->addWidget(edit, at, 1);
  };
  auto* directories = new QGroupBox(tr("Directories"), page);
  auto* dirGrid = new QGridLayout(directories);
  row(dirGrid, 0, tr("Delphi Root Directory:"), delphiRootDir_, "ctlDelphiRootDir", directories);
  row(dirGrid, 1, tr("Delphi Bin Directory:"), delphiBinDir_, "ctlDelphiBinDir", directories);
  row(dirGrid, 2, tr("Common Delphi Lib Directory:"), commonLibDir_, "ctlCommonDelphiLibDir", directories);
  dirGrid->setColumnStretch(1, 1);
  auto* compiler = new QGroupBox(tr("Compiler"), page);
  auto* compilerGrid = new QGridLayout(compiler);
  row(compilerGrid, 0, tr("Path to DCC32.EXE:"), dcc32_, "ctlDCC32Path", compiler);
  row(compilerGrid, 1, tr("Path to BRCC32.EXE:"), brcc32_, "ctlBRCC32Path", compiler);
  compilerGrid->setColumnStretch(1, 1);
  auto* generation = new QGroupBox(tr("Code Generation"), page);
  shortFileNames_ = new QCheckBox(tr("Use short filenames for translation"), generation);
  shortFileNames_->setObjectName(QStringLiteral("ctlShortFileNames"));
  auto* generationLayout = new QVBoxLayout(generation);
  generationLayout->addWidget(shortFileNames_);
  // The labels of both groups line up.
  int width = 0;
  for (QLabel* label : page->findChildren<QLabel*>()) width = std::max(width, label->sizeHint().width());
  for (QLabel* label : page->findChildren<QLabel*>()) label->setMinimumWidth(width);
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(directories);
  layout->addWidget(compiler);
  layout->addWidget(generation);
  layout->addStretch(1);
  return page;
}

void TfrmConfig::ReadRegistry() {
  TTranslatorRegistry& registry = environment_.Registry();
  const TRegistryLocation& location = environment_.Location();
  delphiRootDir_->setText(PathText(registry.Directories().ReadStringDef("DelphiRootDir", MachineDelphiRootDir(location))));
  delphiBinDir_->setText(PathText(registry.Directories().ReadStringDef("DelphiBinDir", kDefaultDelphiBinDir)));
  commonLibDir_->setText(PathText(registry.Directories().ReadStringDef("CommonDelphiLibDir", kDefaultCommonDelphiLibDir)));
  dcc32_->setText(PathText(registry.Dcc32Path()));
  brcc32_->setText(PathText(registry.Brcc32Path()));
  shortFileNames_->setChecked(registry.UseShortFileNames());
  highlighting_->HighlightedOnly()->setChecked(ReadShowHighlightedPropertiesOnly(location));
}

void TfrmConfig::WriteRegistry() {
  TTranslatorRegistry& registry = environment_.Registry();
  const TRegistryLocation& location = environment_.Location();
  // A root equal to the installed Delphi's is not stored, so that the
  // program follows the installation when it moves.
  std::string root = PathBytes(delphiRootDir_->text());
  if (SameText(root, MachineDelphiRootDir(location)))
    registry.Directories().DeleteValue("DelphiRootDir");
  else
    registry.Directories().WriteString("DelphiRootDir", root);
  registry.Directories().WriteString("DelphiBinDir", PathBytes(delphiBinDir_->text()));
  registry.Directories().WriteString("CommonDelphiLibDir", PathBytes(commonLibDir_->text()));
  registry.Compiler().WriteString("BRCC32", PathBytes(brcc32_->text()));
  registry.Compiler().WriteString("DCC32", PathBytes(dcc32_->text()));
  registry.Compiler().WriteBool("UseShortFileNames", shortFileNames_->isChecked());
  WriteShowHighlightedPropertiesOnly(location, highlighting_->HighlightedOnly()->isChecked());
}

bool TfrmConfig::CommitDictionary() {
  try {
    config_->CommitConfig();
  } catch (const EEditConflict& conflict) {
    if (ResolveEditConflict(interaction_, conflict, [this] { return config_->DiscardConflictingChanges(); })) {
      highlighting_->Model()->Reload();
      groups_->Reload();
    }
    return false;
  } catch (const std::exception& e) {
    interaction_.ShowError(interaction_.Shown(e.what()));
    return false;
  }
  TdatSettings& settings = environment_.Settings();
  try {
    WriteGridFontSize(settings, user_, display_->FontSize());
    settings.CommitSettings();
  } catch (const std::exception& e) {
    interaction_.ShowError(interaction_.Shown(e.what()));
    return false;
  }
  return true;
}

void TfrmConfig::accept() {
  // Whatever is still being typed is stored first; the first refusal stops
  // "OK" before anything reaches the dictionary or the registry.
  if (!highlighting_->PostPending()) {
    pages_->setCurrentWidget(highlighting_);
    return;
  }
  if (!groups_->PostPending()) {
    pages_->setCurrentWidget(groups_);
    return;
  }
  if (!CommitDictionary()) return;
  try {
    WriteRegistry();
  } catch (const std::exception& e) {
    interaction_.ShowError(interaction_.Shown(e.what()));
    return;
  }
  TfrmAbstractDialog::accept();
}

}  // namespace kst::ui
