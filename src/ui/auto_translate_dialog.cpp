// The automatic-translation dialog.
#include "ui/auto_translate_dialog.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/help_viewer.h"
#include "ui/qt_interaction.h"
#include "ui/ui_text.h"

namespace kst::ui {

TfrmAutoTranslate::TfrmAutoTranslate(QWidget* parent, THelpViewer* help, TQtInteraction& interaction,
                                     int translationCodePage)
    : TfrmAbstractDialog(parent, help, kHelpAutoTranslate, tr("Auto Translation"), QSize(612, 306)),
      interaction_(interaction),
      codePage_(translationCodePage) {
  ButtonsInColumn();
  // The base buttons carry the results of "Translate" and "Skip"; these
  // three take their place, with "Help" in their column.
  OkButton()->hide();
  CancelButton()->hide();
  HelpButton()->hide();
  OkButton()->setDefault(false);

  auto* originalLabel = new QLabel(tr("Original:"), Body());
  original_ = new QLineEdit(Body());
  original_->setObjectName(QStringLiteral("ctlOriginal"));
  original_->setReadOnly(true);
  original_->setBackgroundRole(QPalette::Button);
  QPalette face = original_->palette();
  face.setColor(QPalette::Base, face.color(QPalette::Button));
  face.setColor(QPalette::Text, face.color(QPalette::ButtonText));
  original_->setPalette(face);
  original_->setFocusPolicy(Qt::ClickFocus);
  originalLabel->setBuddy(original_);

  auto* translationLabel = new QLabel(tr("Translation:"), Body());
  translation_ = new QLineEdit(Body());
  translation_->setObjectName(QStringLiteral("ctlTranslation"));
  translationLabel->setBuddy(translation_);

  knownLabel_ = new QLabel(tr("Known Translations:"), Body());
  known_ = new QListWidget(Body());
  known_->setObjectName(QStringLiteral("ctlKnownTranslations"));
  knownLabel_->setBuddy(known_);

  skip_ = new QPushButton(tr("Skip"), Body());
  skip_->setObjectName(QStringLiteral("btnSkip"));
  translate_ = new QPushButton(tr("Translate"), Body());
  translate_->setObjectName(QStringLiteral("btnTranslate"));
  translate_->setDefault(true);
  translate_->setAutoDefault(true);
  close_ = new QPushButton(tr("Close"), Body());
  close_->setObjectName(QStringLiteral("btnClose"));
  skip_->setAutoDefault(false);
  close_->setAutoDefault(false);
  auto* helpButton = new QPushButton(tr("&Help"), Body());
  helpButton->setObjectName(QStringLiteral("btnHelpColumn"));
  helpButton->setAutoDefault(false);
  helpButton->setVisible(help != nullptr);
  connect(helpButton, &QPushButton::clicked, HelpButton(), &QPushButton::click);

  auto* buttons = new QVBoxLayout;
  buttons->addWidget(skip_);
  buttons->addWidget(translate_);
  buttons->addWidget(close_);
  buttons->addWidget(helpButton);
  buttons->addStretch(1);

  auto* grid = new QGridLayout(Body());
  grid->setContentsMargins(0, 0, 0, 0);
  grid->addWidget(originalLabel, 0, 0);
  grid->addWidget(original_, 1, 0);
  grid->addWidget(translationLabel, 2, 0);
  grid->addWidget(translation_, 3, 0);
  grid->addWidget(knownLabel_, 4, 0);
  grid->addWidget(known_, 5, 0);
  grid->addLayout(buttons, 0, 1, 6, 1);
  grid->setRowStretch(5, 1);
  grid->setColumnStretch(0, 1);

  connect(skip_, &QPushButton::clicked, this, [this] { done(kIgnore); });
  connect(translate_, &QPushButton::clicked, this, &TfrmAutoTranslate::Translate);
  connect(close_, &QPushButton::clicked, this, [this] { done(kCancel); });
  // A click or a double click copies the candidate; neither closes.
  connect(known_, &QListWidget::itemClicked, this, &TfrmAutoTranslate::Take);
  connect(known_, &QListWidget::itemDoubleClicked, this, &TfrmAutoTranslate::Take);
  connect(known_, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
    if (item && known_->hasFocus()) Take(item);
  });

  setTabOrder(translation_, known_);
  setTabOrder(known_, skip_);
  setTabOrder(skip_, translate_);
  setTabOrder(translate_, close_);
  setTabOrder(close_, helpButton);
}

void TfrmAutoTranslate::SetData(const QString& original, const QStringList& candidates) {
  original_->setText(original);
  original_->setCursorPosition(0);
  known_->clear();
  known_->addItems(candidates);
  translation_->setText(candidates.value(0));
  if (!candidates.isEmpty()) known_->setCurrentRow(0);
  translation_->setFocus();
  translation_->selectAll();
}

void TfrmAutoTranslate::SetFuzzyData(const QString& original, const QList<TFuzzyItem>& candidates) {
  SetData(original, {});
  knownLabel_->setText(tr("Translations of Similar Texts:"));
  for (const TFuzzyItem& c : candidates) {
    auto* item = new QListWidgetItem(tr("%1% \u2014 %2").arg(c.score).arg(c.text), known_);
    item->setData(Qt::UserRole, c.text);
    item->setToolTip(tr("Translation of: %1").arg(c.source));
  }
  translate_->setEnabled(false);
  connect(translation_, &QLineEdit::textChanged, this,
          [this](const QString& text) { translate_->setEnabled(!text.isEmpty()); });
}

void TfrmAutoTranslate::Take(QListWidgetItem* item) {
  QVariant text = item->data(Qt::UserRole);
  translation_->setText(text.isValid() ? text.toString() : item->text());
}

QString TfrmAutoTranslate::GetTranslation() const { return translation_->text(); }

void TfrmAutoTranslate::Translate() {
  QString refused;
  std::optional<std::string> text = ToAnsi(GetTranslation(), codePage_, &refused);
  if (!text) {
    interaction_.ShowError(tr("The translation cannot be taken: %1 has no place in the code page %2 of this language.")
                               .arg(DescribeCharacter(refused))
                               .arg(codePage_));
    translation_->setFocus();
    return;
  }
  taken_ = *text;
  done(kYes);
}

void TfrmAutoTranslate::reject() { done(kCancel); }

void TfrmAutoTranslate::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    event->accept();
    return;
  }
  TfrmAbstractDialog::keyPressEvent(event);
}

TQtAutoTranslate::TQtAutoTranslate(QWidget* parent, THelpViewer* help, TQtInteraction& interaction,
                                   int originalCodePage, int translationCodePage)
    : parent_(parent),
      help_(help),
      interaction_(interaction),
      originalCodePage_(originalCodePage),
      translationCodePage_(translationCodePage) {}

TAnswer TQtAutoTranslate::Execute(const std::string& original, const std::vector<TAutoTranslateCandidate>& candidates,
                                  std::string& translation) {
  TfrmAutoTranslate dialog(parent_, help_, interaction_, translationCodePage_);
  if (!candidates.empty() && candidates.front().fuzzy) {
    QList<TfrmAutoTranslate::TFuzzyItem> shown;
    for (const TAutoTranslateCandidate& c : candidates)
      shown.append({c.score, FromAnsi(c.text, translationCodePage_), FromAnsi(c.sourceText, originalCodePage_)});
    dialog.SetFuzzyData(FromAnsi(original, originalCodePage_), shown);
  } else {
    QStringList shown;
    for (const TAutoTranslateCandidate& c : candidates) shown << FromAnsi(c.text, translationCodePage_);
    dialog.SetData(FromAnsi(original, originalCodePage_), shown);
  }
  // The busy cursor of the walk is no cursor for a question.
  bool busy = interaction_.BusyCursor();
  interaction_.SetBusyCursor(false);
  int result = dialog.exec();
  interaction_.SetBusyCursor(busy);
  switch (result) {
    case TfrmAutoTranslate::kYes:
      translation = dialog.Taken();
      return TAnswer::Yes;
    case TfrmAutoTranslate::kIgnore: return TAnswer::Ignore;
    default: return TAnswer::Cancel;
  }
}

}  // namespace kst::ui
