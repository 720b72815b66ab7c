// Pseudo-translation of one text, and recognising one again.
#include "session/pseudo_text.h"

#include <algorithm>
#include <array>
#include <vector>

#include "dictionary/highlighting.h"
#include "platform/codepage.h"

namespace kst {

namespace {

// Look-alikes of each letter, tried in order: Latin ones for the Latin
// code pages, then Cyrillic ones (1251 holds no accented Latin letter) and
// Greek ones (1253). The first the code page holds is taken.
struct TLookAlikes {
  char letter;
  const char16_t* candidates;
};

constexpr TLookAlikes kLookAlikes[] = {
    {'a', u"àáâäåą\u0430\u03B1"}, {'b', u"\u044C\u03B2"},        {'c', u"çćč\u0441"},
    {'d', u"ďđ\u03B4"},           {'e', u"éèêëęě\u0435\u03B5"}, {'f', u"ƒ"},
    {'g', u"ğ"},                  {'i', u"ìíîï\u0456\u03B9"},   {'j', u"\u0458"},
    {'k', u"\u043A\u03BA"},       {'l', u"łľĺ"},                {'m', u"\u043C"},
    {'n', u"ñńň\u043F\u03B7"},    {'o', u"öóôõøő\u043E\u03BF"}, {'p', u"\u0440\u03C1"},
    {'r', u"ŕř\u0433"},           {'s', u"šśş\u0455"},          {'t', u"ťţ\u0442\u03C4"},
    {'u', u"üúûùůű\u0446\u03C5"}, {'v', u"\u03BD"},             {'w', u"\u0448\u03C9"},
    {'x', u"\u0445\u03C7"},       {'y', u"ýÿ\u0443\u03B3"},     {'z', u"žźż\u03B6"},
    {'A', u"ÀÁÂÄÅĄ\u0410\u0391"}, {'B', u"\u0412\u0392"},        {'C', u"ÇĆČ\u0421"},
    {'D', u"ĎÐĐ"},                {'E', u"ÉÈÊËĘĚ\u0415\u0395"}, {'G', u"Ğ"},
    {'H', u"\u041D\u0397"},       {'I', u"ÌÍÎÏ\u0406\u0399"},   {'J', u"\u0408"},
    {'K', u"\u041A\u039A"},       {'L', u"ŁĽĹ"},                {'M', u"\u041C\u039C"},
    {'N', u"ÑŃŇ\u0418\u039D"},    {'O', u"ÖÓÔÕØŐ\u041E\u039F"}, {'P', u"\u0420\u03A1"},
    {'R', u"ŔŘ\u042F"},           {'S', u"ŠŚŞ\u0405"},          {'T', u"ŤŢ\u0422\u03A4"},
    {'U', u"ÜÚÛÙŮŰ\u0426"},       {'W', u"\u0428"},             {'X', u"\u0425\u03A7"},
    {'Y', u"ÝŸ\u0423\u03A5"},     {'Z', u"ŽŹŻ\u0396"},
};

constexpr char16_t kMiddleDot = u'\u00B7';
constexpr char16_t kEllipsis = u'\u2026';

// Whatever a program compares, looks up or runs: changing it breaks the
// program instead of showing a text. Written as highlighting rules are.
constexpr std::array<std::string_view, 15> kNeverPseudo = {
    "?.Font.Name",        "?.TitleFont.Name", "?.DataField",     "?.FieldName",      "?.SQL",
    "?.SQL.Strings",      "?.DatabaseName",   "?.TableName",     "?.IndexName",      "?.IndexFieldNames",
    "?.MasterFields",     "?.KeyField",       "?.ListField",     "?.LookupKeyFields", "?.LookupResultField",
};

bool CanHold(char16_t c, int codePage) {
  std::u16string one(1, c);
  return CodePageToUtf16(Utf16ToCodePage(one, codePage), codePage) == one;
}

bool IsAsciiLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }
bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }
bool IsEnding(char16_t c) {
  return IsBlank(c) || c == u'.' || c == u':' || c == u'?' || c == u'!' || c == kEllipsis || c == u'&';
}
bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// The length of the Delphi Format specifier at `at` ("%" [index ":"] ["-"]
// [width] ["." precision] type, width and precision digits or "*"; "%%"),
// or 0 when no specifier starts there.
size_t SpecifierLength(std::u16string_view text, size_t at) {
  if (text[at] != u'%') return 0;
  size_t i = at + 1;
  if (i < text.size() && text[i] == u'%') return 2;
  auto number = [&] {
    if (i < text.size() && text[i] == u'*') return ++i, true;
    size_t start = i;
    while (i < text.size() && IsDigit(text[i])) ++i;
    return i > start;
  };
  size_t start = i;
  if (number() && (i >= text.size() || text[i] != u':')) i = start;  // a width, read again below
  else if (i > start) ++i;                                          // the index and its ":"
  if (i < text.size() && text[i] == u'-') ++i;
  number();
  if (i < text.size() && text[i] == u'.') {
    ++i;
    if (!number()) return 0;
  }
  if (i >= text.size()) return 0;
  static constexpr std::u16string_view kTypes = u"duefgnmpsxDUEFGNMPSX";
  return kTypes.find(text[i]) == std::u16string_view::npos ? 0 : i + 1 - at;
}

// A resource string's backslash escape as the string-table script writes
// it ("\x0D", "\015", "\n", "\?"): its length, and the character it stands
// for when that is one (0 otherwise). Kept whole, so that a hex digit is
// not taken for a letter and a line break written as an escape stays at the
// end of the text.
size_t EscapeLength(std::u16string_view text, size_t at) {
  if (text[at] != u'\\' || at + 1 >= text.size()) return text[at] == u'\\' ? 1 : 0;
  auto octal = [&](size_t i) { return i < text.size() && text[i] >= u'0' && text[i] <= u'7'; };
  if (text[at + 1] == u'x') return std::min<size_t>(4, text.size() - at);
  if (octal(at + 1) && octal(at + 2) && octal(at + 3)) return 4;
  return 2;
}

char16_t EscapedCharacter(std::u16string_view escape) {
  auto digit = [](char16_t c, int base) {
    int v = 99;
    if (c >= u'0' && c <= u'9') v = c - u'0';
    else if (c >= u'a' && c <= u'f') v = c - u'a' + 10;
    else if (c >= u'A' && c <= u'F') v = c - u'A' + 10;
    return v < base ? v : -1;
  };
  if (escape.size() == 4 && escape[1] == u'x' && digit(escape[2], 16) >= 0 && digit(escape[3], 16) >= 0)
    return static_cast<char16_t>(digit(escape[2], 16) * 16 + digit(escape[3], 16));
  if (escape.size() == 4 && escape[1] != u'x')
    return static_cast<char16_t>(digit(escape[1], 8) * 64 + digit(escape[2], 8) * 8 + digit(escape[3], 8));
  if (escape.size() != 2) return 0;
  switch (escape[1]) {
    case u'n': return u'\n';
    case u'r': return u'\r';
    case u't': return u'\t';
    case u'?': return u'?';
    default: return 0;
  }
}

// One piece of a field: a character, or a specifier or escape kept whole.
struct TUnit {
  size_t at, length;
  char16_t stands;  // the character it is or stands for; 0 for a specifier
  bool whole;       // a specifier or an escape: copied as it is
};

std::vector<TUnit> Units(std::u16string_view field, bool escapes) {
  std::vector<TUnit> units;
  for (size_t i = 0; i < field.size();) {
    size_t n = escapes ? EscapeLength(field, i) : 0;
    if (n) {
      units.push_back({i, n, EscapedCharacter(field.substr(i, n)), true});
    } else if ((n = SpecifierLength(field, i))) {
      units.push_back({i, n, 0, true});
    } else {
      n = 1;
      units.push_back({i, 1, field[i], false});
    }
    i += n;
  }
  return units;
}

// A letter outside specifiers and escapes: something a translator would
// change. Non-ASCII letters count (a text written in another language).
bool IsLetter(const TUnit& unit) {
  return !unit.whole && (IsAsciiLetter(unit.stands) || unit.stands >= u'\u00C0');
}

// "*.txt;*.doc": a file pattern a program hands to a dialog or a search.
bool IsFilePattern(std::u16string_view text) {
  return text.find(u'*') != std::u16string_view::npos &&
         std::none_of(text.begin(), text.end(), [](char16_t c) { return IsBlank(c); });
}

}  // namespace

TPseudoKind PseudoKindOfPath(std::string_view path) {
  std::string normalised = TdatHighLighting::NormalisePath(path);
  return TdatHighLighting::RuleMatches("?.Filter", normalised) ? TPseudoKind::Filter : TPseudoKind::Text;
}

bool IsPseudoExcluded(std::string_view path) {
  std::string normalised = TdatHighLighting::NormalisePath(path);
  return std::any_of(kNeverPseudo.begin(), kNeverPseudo.end(),
                     [&](std::string_view rule) { return TdatHighLighting::RuleMatches(rule, normalised); });
}

TPseudoTranslator::TPseudoTranslator(int originalCodePage, int translationCodePage)
    : originalPage_(originalCodePage), translationPage_(translationCodePage) {
  for (char16_t c = 0; c < 128; ++c) letters_[c] = c;
  for (const TLookAlikes& entry : kLookAlikes) {
    for (const char16_t* c = entry.candidates; *c; ++c) {
      if (CanHold(*c, translationPage_)) {
        letters_[static_cast<unsigned char>(entry.letter)] = *c;
        break;
      }
    }
  }
  if (CanHold(kMiddleDot, translationPage_)) pad_ = kMiddleDot;
}

char16_t TPseudoTranslator::Holdable(char16_t c) const {
  if (c < 128 || CanHold(c, translationPage_)) return c;
  // An accented letter of the original that this code page lacks becomes
  // this page's look-alike of its plain letter rather than a "?".
  for (const TLookAlikes& entry : kLookAlikes)
    if (std::u16string_view(entry.candidates).find(c) != std::u16string_view::npos)
      return letters_[static_cast<unsigned char>(entry.letter)];
  return c;
}

std::u16string TPseudoTranslator::TranslateWide(const std::u16string& original, TPseudoKind kind, int expandPercent,
                                                bool& changed) const {
  struct TPart {
    std::u16string text;  // the whole field when kept, else prefix + "[" + core
    std::u16string suffix;
    int pad = 0;
    bool bracketed = false;
  };
  std::vector<TPart> parts;
  size_t fieldStart = 0;
  for (size_t index = 0;; ++index) {
    size_t bar = original.find(u'|', fieldStart);
    size_t fieldLength = bar == std::u16string::npos ? std::u16string::npos : bar - fieldStart;
    std::u16string_view field = std::u16string_view(original).substr(fieldStart, fieldLength);
    TPart part;
    bool pattern = kind == TPseudoKind::Filter && index % 2 == 1;
    std::vector<TUnit> units = Units(field, kind == TPseudoKind::ResourceString);
    // Blanks and line breaks in front stay in front of the bracket; the
    // ending (blanks, line breaks, punctuation, a last "&") follows it.
    size_t first = 0, last = units.size();
    while (first < last && IsBlank(units[first].stands)) ++first;
    while (last > first && IsEnding(units[last - 1].stands)) --last;
    bool hasLetter = std::any_of(units.begin() + first, units.begin() + last, IsLetter);
    auto copy = [&](size_t from, size_t to, std::u16string& out) {
      for (size_t u = from; u < to; ++u) {
        if (units[u].whole)
          out.append(field.substr(units[u].at, units[u].length));
        else
          out += Holdable(units[u].stands);
      }
    };
    size_t coreLength = last > first ? units[last - 1].at + units[last - 1].length - units[first].at : 0;
    if (pattern || IsFilePattern(field) || !hasLetter) {
      copy(0, units.size(), part.text);
    } else {
      part.bracketed = true;
      copy(0, first, part.text);
      part.text += u'[';
      for (size_t u = first; u < last; ++u) {
        const TUnit& unit = units[u];
        if (!unit.whole && unit.stands == u'&' && u + 1 < last) {
          // "&&" is an ampersand; after a single one the accelerator's
          // letter stays, so the accelerator does not change.
          part.text += u'&';
          copy(u + 1, u + 2, part.text);
          ++u;
        } else if (!unit.whole && unit.stands < 128) {
          part.text += letters_[unit.stands];
        } else {
          copy(u, u + 1, part.text);
        }
      }
      copy(last, units.size(), part.suffix);
      long long grown = (static_cast<long long>(coreLength) * std::max(expandPercent, 0) + 50) / 100;
      part.pad = static_cast<int>(std::max<long long>(grown - 2, 0));
    }
    parts.push_back(std::move(part));
    if (bar == std::u16string::npos) break;
    fieldStart = bar + 1;
  }
  // Longer than half the original or 10 characters more, the text would
  // count as too long for its control: the padding gives way, last fields first.
  long long allowed = std::max<long long>(static_cast<long long>(original.size()) / 2, 10);
  long long added = 0;
  for (const TPart& part : parts) added += part.bracketed ? 2 + part.pad : 0;
  for (auto part = parts.rbegin(); part != parts.rend() && added > allowed; ++part) {
    int cut = static_cast<int>(std::min<long long>(part->pad, added - allowed));
    part->pad -= cut;
    added -= cut;
  }
  std::u16string result;
  changed = false;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) result += u'|';
    result += parts[i].text;
    if (!parts[i].bracketed) continue;
    changed = true;
    result.append(static_cast<size_t>(parts[i].pad), pad_);
    result += u']';
    result += parts[i].suffix;
  }
  return result;
}

std::string TPseudoTranslator::Translate(std::string_view original, TPseudoKind kind, int expandPercent) const {
  bool changed = false;
  std::u16string made = TranslateWide(CodePageToUtf16(original, originalPage_), kind, expandPercent, changed);
  return changed ? Utf16ToCodePage(made, translationPage_) : std::string(original);
}

std::u16string TPseudoTranslator::WithoutPadding(std::u16string text) const {
  std::u16string out;
  out.reserve(text.size());
  for (char16_t c : text) {
    if (c == u']')
      while (!out.empty() && out.back() == pad_) out.pop_back();
    out += c;
  }
  return out;
}

bool TPseudoTranslator::IsPseudoTranslation(std::string_view original, std::string_view translation) const {
  // Nearly every real translation goes at this first test, which keeps a
  // large save fast.
  if (translation.find('[') == std::string_view::npos || translation == original) return false;
  std::u16string wide = CodePageToUtf16(original, originalPage_);
  std::u16string seen = WithoutPadding(CodePageToUtf16(translation, translationPage_));
  for (TPseudoKind kind : {TPseudoKind::Text, TPseudoKind::Filter, TPseudoKind::ResourceString}) {
    bool changed = false;
    std::u16string made = TranslateWide(wide, kind, 0, changed);
    // Compared as the code page holds them: a character of the original the
    // page lacks is "?" in both.
    if (changed && Utf16ToCodePage(WithoutPadding(made), translationPage_) == Utf16ToCodePage(seen, translationPage_))
      return true;
  }
  return false;
}

}  // namespace kst
