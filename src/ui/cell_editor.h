// The editor of a translated cell: a line edit that takes only characters
// the translation's code page can hold (the keystroke of any other is
// refused and named), with the spelling dictionary's suggestions in its
// context menu. Line breaks in a text are kept as they are.
#pragma once

#include <QLineEdit>
#include <QValidator>

namespace kst::ui {

class TSpellChecker;

class TCodePageValidator : public QValidator {
  Q_OBJECT

public:
  // `kept`: the text the editor opened with; characters it already holds
  // are let through (the session then decides), so that a text is never
  // locked by one character the page does not define.
  TCodePageValidator(int codePage, QString kept, QObject* parent);
  State validate(QString& input, int& pos) const override;
  // The character of the last refusal.
  QString LastRefused() const { return refused_; }
  int CodePage() const { return codePage_; }

private:
  int codePage_;
  QString kept_;
  mutable QString refused_;
};

class TCellEditor : public QLineEdit {
  Q_OBJECT

public:
  TCellEditor(QWidget* parent, int codePage, TSpellChecker* spell);
  // Sets the text the editor opens with (and lets its characters through).
  void SetOpeningText(const QString& text);

signals:
  // A character was refused; the message names it.
  void Refused(const QString& message);

protected:
  void contextMenuEvent(QContextMenuEvent* event) override;

private:
  int codePage_;
  TSpellChecker* spell_;
};

}  // namespace kst::ui
