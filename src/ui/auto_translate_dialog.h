// TfrmAutoTranslate: the known translations of one original text, or the
// translations of similar texts with their similarity; the person takes one
// (possibly after editing it), skips the entry or stops the walk.
// TQtAutoTranslate shows it for each entry the session's walk offers.
#pragma once

#include <string>
#include <vector>

#include "dictionary/auto_translate.h"
#include "ui/abstract_dialog.h"

class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QLabel;
class QPushButton;

namespace kst::ui {

class TQtInteraction;

class TfrmAutoTranslate : public TfrmAbstractDialog {
  Q_OBJECT

public:
  // The results: the standard modal results Yes, Ignore and Cancel.
  static constexpr int kYes = 6, kIgnore = 5, kCancel = 2;

  // The candidates' texts are in `translationCodePage`; what the person
  // takes must fit it.
  TfrmAutoTranslate(QWidget* parent, THelpViewer* help, TQtInteraction& interaction, int translationCodePage);

  void SetData(const QString& original, const QStringList& candidates);
  // A translation of a similar text: shown as "85% — text", the similar
  // text as its tool tip.
  struct TFuzzyItem {
    int score;
    QString text;
    QString source;
  };
  // Fuzzy candidates: the translation starts empty and "Translate" waits
  // until one is picked or a text typed, so that none is taken unasked.
  void SetFuzzyData(const QString& original, const QList<TFuzzyItem>& candidates);
  QString GetTranslation() const;
  // The translation in the code page, after "Translate".
  const std::string& Taken() const { return taken_; }

  QPushButton* SkipButton() const { return skip_; }
  QPushButton* TranslateButton() const { return translate_; }
  QPushButton* CloseButton() const { return close_; }
  QLineEdit* TranslationEdit() const { return translation_; }
  QListWidget* Candidates() const { return known_; }

  // The close box gives Cancel.
  void reject() override;

protected:
  // Escape does not close it: the only cancel button is hidden.
  void keyPressEvent(QKeyEvent* event) override;

private:
  void Translate();
  void Take(QListWidgetItem* item);

  TQtInteraction& interaction_;
  int codePage_;
  QLineEdit* original_;
  QLineEdit* translation_;
  QListWidget* known_;
  QLabel* knownLabel_;
  QPushButton* skip_;
  QPushButton* translate_;
  QPushButton* close_;
  std::string taken_;
};

// The session's dialog in the window: one TfrmAutoTranslate per entry.
class TQtAutoTranslate : public TAutoTranslateDialog {
public:
  // Originals are in `originalCodePage`, candidates and translations in
  // `translationCodePage`.
  TQtAutoTranslate(QWidget* parent, THelpViewer* help, TQtInteraction& interaction, int originalCodePage,
                   int translationCodePage);
  TAnswer Execute(const std::string& original, const std::vector<TAutoTranslateCandidate>& candidates,
                  std::string& translation) override;

private:
  QWidget* parent_;
  THelpViewer* help_;
  TQtInteraction& interaction_;
  int originalCodePage_;
  int translationCodePage_;
};

}  // namespace kst::ui
