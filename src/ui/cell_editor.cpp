// The translated cell's editor.
#include "ui/cell_editor.h"

#include <QContextMenuEvent>
#include <QMenu>

#include <memory>

#include "ui/spell_checker.h"
#include "ui/text_marks.h"
#include "ui/ui_text.h"

namespace kst::ui {

TCodePageValidator::TCodePageValidator(int codePage, QString kept, QObject* parent)
    : QValidator(parent), codePage_(codePage), kept_(std::move(kept)) {}

QValidator::State TCodePageValidator::validate(QString& input, int&) const {
  if (ToAnsi(input, codePage_)) return Acceptable;
  for (qsizetype i = 0; i < input.size();) {
    qsizetype n = input.at(i).isHighSurrogate() && i + 1 < input.size() ? 2 : 1;
    QString character = input.mid(i, n);
    if (!ToAnsi(character, codePage_) && !kept_.contains(character)) {
      refused_ = character;
      return Invalid;
    }
    i += n;
  }
  return Acceptable;
}

TCellEditor::TCellEditor(QWidget* parent, int codePage, TSpellChecker* spell)
    : QLineEdit(parent), codePage_(codePage), spell_(spell) {
  setObjectName(QStringLiteral("ctlCellEditor"));
  setFrame(false);
  setValidator(new TCodePageValidator(codePage, QString(), this));
  connect(this, &QLineEdit::inputRejected, this, [this] {
    auto* v = qobject_cast<const TCodePageValidator*>(validator());
    if (!v || v->LastRefused().isEmpty()) return;
    emit Refused(tr("%1 cannot be typed here: code page %2, in which this language's translations are kept, has "
                    "no place for it.")
                     .arg(DescribeCharacter(v->LastRefused()))
                     .arg(codePage_));
  });
}

void TCellEditor::SetOpeningText(const QString& text) {
  const QValidator* old = validator();
  setValidator(new TCodePageValidator(codePage_, text, this));
  delete old;
  setText(text);
}

void TCellEditor::contextMenuEvent(QContextMenuEvent* event) {
  std::unique_ptr<QMenu> menu(createStandardContextMenu());
  if (spell_ && spell_->Ready()) {
    const QString current = text();
    const int at = cursorPositionAt(event->pos());
    for (const TTextRange& word : WordRanges(current)) {
      if (at < word.start || at > word.start + word.length) continue;
      QString plain = WordText(current, word);
      if (spell_->IsCorrect(plain)) break;
      QAction* first = menu->actions().value(0);
      QStringList suggestions = spell_->Suggestions(plain).mid(0, 8);
      if (suggestions.isEmpty()) {
        QAction* none = new QAction(tr("(No suggestions for \"%1\")").arg(plain), menu.get());
        none->setEnabled(false);
        menu->insertAction(first, none);
      }
      for (const QString& suggestion : suggestions) {
        QAction* use = new QAction(suggestion, menu.get());
        use->setObjectName(QStringLiteral("spellSuggestion"));
        connect(use, &QAction::triggered, this, [this, word, suggestion] {
          setSelection(word.start, word.length);
          insert(suggestion);
        });
        menu->insertAction(first, use);
      }
      menu->insertSeparator(first);
      break;
    }
  }
  menu->exec(event->globalPos());
}

}  // namespace kst::ui
