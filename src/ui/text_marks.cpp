// Placeholders and words in a cell's text.
#include "ui/text_marks.h"

#include <cctype>

namespace kst::ui {

namespace {

constexpr QChar kLineBreakMark(0x21B5);  // ↵
constexpr QChar kTabMark(0x2192);        // →

bool IsFormatType(QChar c) {
  switch (c.toLower().unicode()) {
    case 'd': case 'u': case 'e': case 'f': case 'g': case 'n': case 'm': case 'p': case 's': case 'x':
      return true;
    default:
      return false;
  }
}

// Digits or "*" from `i`; returns the position after them.
int SkipCount(const QString& text, int i) {
  if (i < text.size() && text[i] == QLatin1Char('*')) return i + 1;
  while (i < text.size() && text[i].isDigit() && text[i].unicode() < 128) ++i;
  return i;
}

// The length of the Format specifier at `i` (a "%"), 0 when there is none.
int FormatSpecifierLength(const QString& text, int i) {
  if (i + 1 < text.size() && text[i + 1] == QLatin1Char('%')) return 2;
  int j = SkipCount(text, i + 1);
  if (j > i + 1 && j < text.size() && text[j] == QLatin1Char(':'))
    ++j;  // an index
  else
    j = i + 1;
  if (j < text.size() && text[j] == QLatin1Char('-')) ++j;
  j = SkipCount(text, j);
  if (j < text.size() && text[j] == QLatin1Char('.')) {
    int k = SkipCount(text, j + 1);
    if (k == j + 1) return 0;
    j = k;
  }
  return j < text.size() && IsFormatType(text[j]) ? j + 1 - i : 0;
}

int CharacterCodeLength(const QString& text, int i) {
  int j = i + 1;
  if (j < text.size() && text[j] == QLatin1Char('$')) {
    ++j;
    int start = j;
    while (j < text.size() && text[j].unicode() < 128 && std::isxdigit(text[j].unicode())) ++j;
    return j > start ? j - i : 0;
  }
  int start = j;
  while (j < text.size() && text[j].unicode() < 128 && text[j].isDigit()) ++j;
  return j > start ? j - i : 0;
}

// A resource script's escape the set keeps as written: "\x0D", "\n",
// "\\", "\101".
int EscapeLength(const QString& text, int i) {
  if (i + 1 >= text.size()) return 0;
  QChar c = text[i + 1];
  if (c == QLatin1Char('x') || c == QLatin1Char('X')) {
    int j = i + 2;
    while (j < text.size() && text[j].unicode() < 128 && std::isxdigit(text[j].unicode())) ++j;
    return j > i + 2 ? j - i : 0;
  }
  if (c.unicode() >= '0' && c.unicode() <= '7') {
    int j = i + 1;
    while (j < text.size() && j < i + 4 && text[j].unicode() >= '0' && text[j].unicode() <= '7') ++j;
    return j - i;
  }
  return QStringLiteral("abfnrtv\\?\"'").contains(c) ? 2 : 0;
}

bool IsWordLetter(QChar c) { return c.isLetter() || c.isMark(); }

}  // namespace

QString ShownText(const QString& text) {
  QString shown;
  shown.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    QChar c = text[i];
    if (c == QLatin1Char('\r')) {
      if (i + 1 < text.size() && text[i + 1] == QLatin1Char('\n')) ++i;
      shown += kLineBreakMark;
    } else if (c == QLatin1Char('\n')) {
      shown += kLineBreakMark;
    } else if (c == QLatin1Char('\t')) {
      shown += kTabMark;
    } else {
      shown += c;
    }
  }
  return shown;
}

std::vector<TTextRange> PlaceholderRanges(const QString& text) {
  std::vector<TTextRange> ranges;
  const int n = static_cast<int>(text.size());
  for (int i = 0; i < n;) {
    QChar c = text[i];
    int length = 0;
    if (c == QLatin1Char('%'))
      length = FormatSpecifierLength(text, i);
    else if (c == QLatin1Char('&'))
      length = i + 1 < n && text[i + 1] == QLatin1Char('&') ? 2 : (i + 1 < n ? 1 : 0);
    else if (c == QLatin1Char('#'))
      length = CharacterCodeLength(text, i);
    else if (c == QLatin1Char('\\'))
      length = EscapeLength(text, i);
    else if (c == kLineBreakMark || c == kTabMark)
      length = 1;
    if (length > 0) {
      ranges.push_back({i, length});
      i += length;
    } else {
      ++i;
    }
  }
  return ranges;
}

std::vector<TTextRange> WordRanges(const QString& text) {
  // Positions inside placeholders break words, except an accelerator's "&".
  const int n = static_cast<int>(text.size());
  std::vector<char> blocked(static_cast<size_t>(n), 0);
  for (const TTextRange& r : PlaceholderRanges(text)) {
    bool accelerator = r.length == 1 && text[r.start] == QLatin1Char('&');
    for (int k = r.start; k < r.start + r.length; ++k) blocked[static_cast<size_t>(k)] = accelerator ? 2 : 1;
  }
  auto letterAt = [&](int k) { return k >= 0 && k < n && blocked[static_cast<size_t>(k)] != 1 && IsWordLetter(text[k]); };
  std::vector<TTextRange> words;
  for (int i = 0; i < n;) {
    bool startsWord = letterAt(i) || (blocked[static_cast<size_t>(i)] == 2 && letterAt(i + 1));
    if (!startsWord) {
      ++i;
      continue;
    }
    int j = i;
    bool digits = false;
    int letters = 0;
    while (j < n) {
      QChar c = text[j];
      if (letterAt(j)) {
        ++letters;
        ++j;
      } else if (blocked[static_cast<size_t>(j)] == 2 && letterAt(j + 1)) {
        ++j;
      } else if ((c == QLatin1Char('\'') || c == QChar(0x2019) || c == QLatin1Char('-')) && letterAt(j - 1) &&
                 letterAt(j + 1)) {
        ++j;
      } else if (c.isDigit() && blocked[static_cast<size_t>(j)] == 0) {
        digits = true;
        ++j;
      } else {
        break;
      }
    }
    if (!digits && letters > 1) words.push_back({i, j - i});
    i = j;
  }
  return words;
}

QString WordText(const QString& text, TTextRange word) {
  QString w = text.mid(word.start, word.length);
  w.remove(QLatin1Char('&'));
  return w;
}

}  // namespace kst::ui
