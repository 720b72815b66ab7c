// The dictionary editor.
#include "ui/dictionary_dialog.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>

#include "dictionary/dictionary_editor.h"
#include "dictionary/edit_errors.h"
#include "ui/dictionary_models.h"
#include "ui/edit_grid.h"
#include "ui/help_viewer.h"
#include "ui/new_language_dialog.h"
#include "ui/qt_interaction.h"

namespace kst::ui {

namespace {

// Hands the Enter key of the filter box to the list instead of to "OK":
// whoever types a beginning and presses Enter wants the rows, not to close.
class TFilterKeys : public QObject {
public:
  TFilterKeys(QObject* parent, QWidget* target) : QObject(parent), target_(target) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::KeyPress) {
      auto* key = static_cast<QKeyEvent*>(event);
      if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter || key->key() == Qt::Key_Down) {
        target_->setFocus();
        return true;
      }
    }
    return QObject::eventFilter(watched, event);
  }

private:
  QWidget* target_;
};

}  // namespace

TfrmEditDictionary::TfrmEditDictionary(QWidget* parent, THelpViewer* help, TQtInteraction& interaction,
                                       TdatCommon& common, TSystemCodePages system)
    : TfrmAbstractDialog(parent, help, kHelpDictionary, tr("Dictionary"), QSize(627, 423)),
      interaction_(interaction),
      help_(help) {
  session_ = std::make_unique<TDictionaryEditSession>(common);

  tabs_ = new QTabBar(Body());
  tabs_->setObjectName(QStringLiteral("ctlLang"));
  tabs_->setExpanding(false);
  tabs_->setUsesScrollButtons(true);
  tabs_->setElideMode(Qt::ElideNone);

  auto* sourceLabel = new QLabel(tr("Source String:"), Body());
  filter_ = new QLineEdit(Body());
  filter_->setObjectName(QStringLiteral("edtFilter"));
  filter_->setPlaceholderText(tr("Type the beginning of a source string to narrow the list"));
  filter_->setClearButtonEnabled(true);
  sourceModel_ = new TSourceModel(*session_, interaction_, this);
  sources_ = new TEditGrid(Body());
  sources_->setObjectName(QStringLiteral("grdStrIdx"));
  sources_->setModel(sourceModel_);
  sources_->horizontalHeader()->setStretchLastSection(true);
  sources_->setToolTip(tr("Insert adds a source string, Delete removes the selected one; type or double-click to edit."));
  sourceLabel->setBuddy(filter_);
  filter_->installEventFilter(new TFilterKeys(this, sources_));

  auto* translationLabel = new QLabel(tr("Translations:"), Body());
  translationModel_ = new TTranslationsModel(*session_, interaction_, system, this);
  translations_ = new TEditGrid(Body());
  translations_->setObjectName(QStringLiteral("grdTrnsHist"));
  translations_->setModel(translationModel_);
  translations_->horizontalHeader()->setStretchLastSection(false);
  translations_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
  translations_->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Fixed);
  translations_->setColumnWidth(0, 512);
  translations_->setColumnWidth(1, std::max(50, fontMetrics().horizontalAdvance(QStringLiteral("Lang.WW")) + 12));
  translations_->setToolTip(tr("Type a new translation of the current tab's language into the last row; Delete "
                               "removes the selected translation."));
  translationLabel->setBuddy(translations_);

  import_ = new QPushButton(tr("&Import..."), Body());
  import_->setObjectName(QStringLiteral("btnImport"));
  import_->setAutoDefault(false);
  language_ = new QPushButton(tr("Add &Language..."), Body());
  language_->setObjectName(QStringLiteral("btnAddLanguage"));
  language_->setAutoDefault(false);
  language_->setToolTip(tr("A tab for a language that has no translation in the dictionary yet"));

  auto* grid = new QGridLayout(Body());
  grid->setContentsMargins(0, 0, 0, 0);
  grid->addWidget(tabs_, 0, 0, 1, 2);
  grid->addWidget(sourceLabel, 1, 0);
  grid->addWidget(filter_, 1, 1);
  grid->addWidget(sources_, 2, 0, 1, 2);
  grid->addWidget(translationLabel, 3, 0, 1, 2);
  grid->addWidget(translations_, 4, 0, 1, 2);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(import_);
  buttons->addWidget(language_);
  buttons->addStretch(1);
  grid->addLayout(buttons, 5, 0, 1, 2);
  grid->setRowStretch(2, 3);
  grid->setRowStretch(4, 2);
  grid->setColumnStretch(1, 1);

  setTabOrder(tabs_, filter_);
  setTabOrder(filter_, sources_);
  setTabOrder(sources_, translations_);
  setTabOrder(translations_, import_);
  setTabOrder(import_, language_);
  setTabOrder(language_, OkButton());

  FillTabs();
  connect(tabs_, &QTabBar::currentChanged, this, &TfrmEditDictionary::TabChosen);
  connect(filter_, &QLineEdit::textChanged, this, [this](const QString& text) {
    sourceModel_->SetFilter(text);
    if (sourceModel_->rowCount() > 0) sources_->setCurrentIndex(sourceModel_->index(0, 0));
    SourceChosen();
  });
  connect(sources_->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] { SourceChosen(); });
  connect(sources_, &TEditGrid::RowsEdited, this, [this] { SourceChosen(); });
  connect(sourceModel_, &TSourceModel::SourceStored, this, &TfrmEditDictionary::SelectSource);
  connect(import_, &QPushButton::clicked, this, &TfrmEditDictionary::ChooseImportFile);
  connect(language_, &QPushButton::clicked, this, &TfrmEditDictionary::AddLanguage);

  if (sourceModel_->rowCount() > 0) sources_->setCurrentIndex(sourceModel_->index(0, 0));
  SourceChosen();
}

TfrmEditDictionary::~TfrmEditDictionary() = default;

void TfrmEditDictionary::FillTabs() {
  filling_ = true;
  while (tabs_->count() > 0) tabs_->removeTab(0);
  for (const TLanguageTab& tab : session_->Tabs()) {
    // The language list keeps the blank its locale name had before "(".
    int at = tabs_->addTab(interaction_.Shown(tab.caption).replace(QLatin1String("  ("), QLatin1String(" (")));
    tabs_->setTabData(at, tab.languageId);
    if (tab.languageId == session_->CurrentLanguage()) tabs_->setCurrentIndex(at);
  }
  filling_ = false;
}

void TfrmEditDictionary::TabChosen(int index) {
  if (filling_ || index < 0) return;
  if (!translations_->PostPending()) {
    // The translation being typed belongs to the tab it was typed in.
    FillTabs();
    return;
  }
  try {
    session_->SelectLanguage(tabs_->tabData(index).toInt());
  } catch (const std::exception& e) {
    interaction_.ShowError(interaction_.Shown(e.what()));
  }
  translationModel_->Reload();
}

void TfrmEditDictionary::SourceChosen() {
  QModelIndex current = sources_->currentIndex();
  std::string strId;
  if (current.isValid() && !sourceModel_->IsNewRow(current.row())) {
    try {
      strId = sourceModel_->StrIdAt(current.row());
    } catch (const std::exception& e) {
      // Another workstation deleted it since the page was read.
      interaction_.ShowError(interaction_.Shown(e.what()));
      session_->Refresh();
      sourceModel_->Reload();
    }
  }
  if (strId != translationModel_->Source() || strId.empty())
    translationModel_->SetSource(strId);
}

void TfrmEditDictionary::SelectSource(const QString& strId, const QString& text) {
  int row = sourceModel_->RowOf(strId.toStdString());
  if (row < 0) {
    // The row stored is not among those listed (the filter leaves it out,
    // or it sorts beyond the rows read so far): the list goes to it.
    filter_->setText(text);
    row = sourceModel_->RowOf(strId.toStdString());
    if (row < 0) return;
  }
  QModelIndex index = sourceModel_->index(row, 0);
  sources_->setCurrentIndex(index);
  sources_->scrollTo(index);
  SourceChosen();
}

void TfrmEditDictionary::Refill() {
  std::string keep = translationModel_->Source();
  sourceModel_->Reload();
  int row = keep.empty() ? -1 : sourceModel_->RowOf(keep);
  if (row < 0 && sourceModel_->rowCount() > 0) row = 0;
  if (row >= 0) sources_->setCurrentIndex(sourceModel_->index(row, 0));
  translationModel_->SetSource(std::string());
  SourceChosen();
}

void TfrmEditDictionary::ChooseImportFile() {
  if (!sources_->PostPending() || !translations_->PostPending()) return;
  QString file = QFileDialog::getOpenFileName(this, tr("Import"), QStringLiteral("strdict"),
                                              tr("Dictionary Files (strdict*);;All Files (*)"));
  if (!file.isEmpty()) Import(file);
}

void TfrmEditDictionary::Import(const QString& fileName) {
  if (!sources_->PostPending() || !translations_->PostPending()) return;
  QByteArray path = fileName.toUtf8();
  try {
    session_->ImportDictionaryFile(std::string(path.constData(), static_cast<size_t>(path.size())));
  } catch (const std::exception& e) {
    interaction_.ShowError(interaction_.Shown(e.what()));
    return;
  }
  FillTabs();
  Refill();
}

void TfrmEditDictionary::AddLanguage() {
  if (!translations_->PostPending()) return;
  TfrmNewLanguage dialog(this, help_, interaction_, nullptr);
  if (dialog.exec() != QDialog::Accepted) return;
  int id = dialog.GetSelectedLanguageId();
  try {
    bool known = false;
    for (const TLanguageTab& tab : session_->Tabs()) known = known || tab.languageId == id;
    if (known)
      session_->SelectLanguage(id);
    else
      session_->AddLanguageTab(id);
  } catch (const std::exception& e) {
    interaction_.ShowError(interaction_.Shown(e.what()));
    return;
  }
  FillTabs();
  translationModel_->Reload();
}

void TfrmEditDictionary::accept() {
  if (!sources_->PostPending() || !translations_->PostPending()) return;
  try {
    session_->Commit();
  } catch (const EEditConflict& conflict) {
    if (ResolveEditConflict(interaction_, conflict, [this] { return session_->DiscardConflictingChanges(); })) {
      session_->Refresh();
      FillTabs();
      Refill();
    }
    return;
  } catch (const std::exception& e) {
    // A busy or failing dictionary: every change stays for another "OK".
    interaction_.ShowError(interaction_.Shown(e.what()));
    return;
  }
  TfrmAbstractDialog::accept();
}

void TfrmEditDictionary::reject() {
  session_->Rollback();
  TfrmAbstractDialog::reject();
}

}  // namespace kst::ui
