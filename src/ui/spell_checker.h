// Spelling of translations with Hunspell and the dictionary of the target
// language that the system has installed (Debian's hunspell-* packages put
// them into /usr/share/hunspell). Words are checked as WordRanges finds
// them, so placeholders are never marked.
#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

#include "ui/text_marks.h"

class Hunspell;

namespace kst::ui {

class TSpellChecker {
public:
  // `directories`: where to look for NAME.aff and NAME.dic; empty: the
  // system's usual places.
  explicit TSpellChecker(QStringList directories = {});
  ~TSpellChecker();
  TSpellChecker(const TSpellChecker&) = delete;
  TSpellChecker& operator=(const TSpellChecker&) = delete;

  // Loads the dictionary of a Windows language ID (its locale's, or another
  // of the same language); none for 0 and below. False when none is
  // installed; then nothing is marked.
  bool SetLanguage(int languageId);
  int Language() const { return language_; }
  bool Ready() const { return hunspell_ != nullptr; }
  // "de_DE" and its .dic file; the locale name that was looked for when
  // none was found.
  QString DictionaryName() const { return name_; }
  QString DictionaryFile() const { return file_; }
  // The status bar's text about spelling for the current language.
  QString StatusText(const QString& languageName) const;

  bool IsCorrect(const QString& word);
  QStringList Suggestions(const QString& word);
  // The misspelled words of a text as the screen shows it.
  std::vector<TTextRange> Misspelled(const QString& shownText);

  // The locale name ("de_DE") of a Windows language ID, empty when the
  // locale data does not lead to one.
  static QString LocaleName(int languageId);

private:
  std::string Encode(const QString& word) const;
  QString Decode(const std::string& word) const;

  QStringList directories_;
  int language_ = 0;
  QString name_;
  QString file_;
  std::unique_ptr<Hunspell> hunspell_;
  int codePage_ = 0;  // the dictionary's encoding; 65001 for UTF-8
  QHash<QString, bool> known_;
};

}  // namespace kst::ui
