// The search dialog.
#include "ui/search_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "session/search.h"
#include "ui/help_viewer.h"
#include "ui/qt_interaction.h"
#include "ui/ui_text.h"

namespace kst::ui {

namespace {

QCheckBox* Box(const QString& caption, const char* name, bool checked, QWidget* parent) {
  auto* box = new QCheckBox(caption, parent);
  box->setObjectName(QString::fromLatin1(name));
  box->setChecked(checked);
  return box;
}

}  // namespace

TfrmSearch::TfrmSearch(QWidget* parent, THelpViewer* help, TSearchSettings& settings, int codePage,
                       TQtInteraction& interaction)
    : TfrmAbstractDialog(parent, help, kHelpFind, tr("Find"), QSize(412, 269)),
      settings_(settings),
      interaction_(interaction),
      codePage_(codePage) {
  setObjectName(QStringLiteral("frmSearch"));
  auto* grid = new QGridLayout(Body());
  grid->setContentsMargins(0, 0, 0, 0);
  auto* findLabel = new QLabel(tr("&Text to find:"), Body());
  searchString_ = new QComboBox(Body());
  searchString_->setObjectName(QStringLiteral("ctlSearchString"));
  searchString_->setEditable(true);
  searchString_->setInsertPolicy(QComboBox::NoInsert);
  searchString_->setMaxVisibleItems(15);
  for (const std::string& text : settings_.history) searchString_->addItem(FromAnsi(text, codePage_));
  searchString_->setEditText(FromAnsi(settings_.textToFind, codePage_));
  searchString_->setMinimumWidth(260);
  findLabel->setBuddy(searchString_);
  newTextLabel_ = new QLabel(tr("Replace &with:"), Body());
  newTextLabel_->setObjectName(QStringLiteral("ctlNewTextLabel"));
  newText_ = new QLineEdit(FromAnsi(settings_.replacement, codePage_), Body());
  newText_->setObjectName(QStringLiteral("ctlNewText"));
  newTextLabel_->setBuddy(newText_);
  grid->addWidget(findLabel, 0, 0);
  grid->addWidget(searchString_, 0, 1);
  grid->addWidget(newTextLabel_, 1, 0);
  grid->addWidget(newText_, 1, 1);

  auto* options = new QGroupBox(tr("Options"), Body());
  auto* optionBoxes = new QVBoxLayout(options);
  caseSensitive_ = Box(tr("&Case sensitive"), "ctlCaseSensitive", settings_.options & kSearchCaseSensitive, options);
  words_ = Box(tr("Whole w&ords only"), "ctlWords", settings_.options & kSearchWholeWords, options);
  ask_ = Box(tr("&Prompt on replace"), "ctlAsk", settings_.options & kSearchPromptOnReplace, options);
  replaceAll_ = Box(tr("Replace &all"), "ctlReplaceAll", settings_.options & kSearchReplaceAll, options);
  for (QCheckBox* box : {caseSensitive_, words_, ask_, replaceAll_}) optionBoxes->addWidget(box);
  optionBoxes->addStretch(1);

  scope_ = new QGroupBox(tr("Scope"), Body());
  scope_->setObjectName(QStringLiteral("grpScope"));
  auto* scopeBoxes = new QVBoxLayout(scope_);
  translatedValue_ = Box(tr("Tra&nslated value"), "ctlTranslatedValue", settings_.scope & kScopeTranslated, scope_);
  originalValue_ = Box(tr("O&riginal value"), "ctlOriginalValue", settings_.scope & kScopeOriginal, scope_);
  propertyName_ = Box(tr("Propert&y name"), "ctlPropertyName", settings_.scope & kScopeKey, scope_);
  for (QCheckBox* box : {translatedValue_, originalValue_, propertyName_}) scopeBoxes->addWidget(box);
  scopeBoxes->addStretch(1);

  auto* groups = new QHBoxLayout;
  groups->addWidget(options, 1);
  groups->addWidget(scope_, 1);
  grid->addLayout(groups, 2, 0, 1, 2);
  grid->setRowStretch(3, 1);
  grid->setColumnStretch(1, 1);
  SetReplaceMode(false);
}

void TfrmSearch::SetReplaceMode(bool replace) {
  replace_ = replace;
  newTextLabel_->setVisible(replace);
  newText_->setVisible(replace);
  scope_->setVisible(!replace);
  setWindowTitle(replace ? tr("Replace") : tr("Find"));
  SetHelpContext(replace ? kHelpReplace : kHelpFind);
}

void TfrmSearch::accept() {
  QString refused;
  std::optional<std::string> find = ToAnsi(searchString_->currentText(), codePage_, &refused);
  std::optional<std::string> replacement = find ? ToAnsi(newText_->text(), codePage_, &refused) : std::nullopt;
  if (!find || !replacement) {
    interaction_.ShowWarningText(tr("%1 has no place in code page %2, in which the translations are kept, so no "
                                    "translation can hold it.")
                                     .arg(DescribeCharacter(refused))
                                     .arg(codePage_));
    return;
  }
  uint8_t options = (caseSensitive_->isChecked() ? kSearchCaseSensitive : 0) |
                    (words_->isChecked() ? kSearchWholeWords : 0) | (ask_->isChecked() ? kSearchPromptOnReplace : 0) |
                    (replaceAll_->isChecked() ? kSearchReplaceAll : 0);
  uint8_t scope = (propertyName_->isChecked() ? kScopeKey : 0) | (originalValue_->isChecked() ? kScopeOriginal : 0) |
                  (translatedValue_->isChecked() ? kScopeTranslated : 0);
  settings_.Confirm(replace_, *find, *replacement, options, scope);
  TfrmAbstractDialog::accept();
}

}  // namespace kst::ui
