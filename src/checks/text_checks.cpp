// The per-text checks. Texts are compared in UTF-16, so that a double-byte
// character whose second byte happens to be "|", "%" or "&" is not taken for
// one; reasons are built in the language's code page.
#include "checks/text_checks.h"

#include <unicode/uchar.h>

#include <algorithm>
#include <cstdio>
#include <map>

#include "checks/format_arguments.h"
#include "config/language_info.h"
#include "platform/codepage.h"
#include "platform/same_text.h"

namespace kst {

namespace {

bool IsFarEastPage(int codePage) {
  return codePage == 932 || codePage == 936 || codePage == 949 || codePage == 950 || codePage == 1361;
}

// White space as the checks (and common tools) see it: Unicode's, the
// controls between 0x1C and 0x1F and NEL included.
bool IsWhite(char16_t c) { return u_isspace(c) || c == 0x85; }
bool IsBreak(char16_t c) { return c == u'\r' || c == u'\n'; }

// ----- where a text's parts are

std::u16string_view LeadingWhite(std::u16string_view t) {
  size_t n = 0;
  while (n < t.size() && IsWhite(t[n])) ++n;
  return t.substr(0, n);
}

std::u16string_view TrailingWhite(std::u16string_view t) {
  size_t n = t.size();
  while (n > 0 && IsWhite(t[n - 1])) --n;
  return t.substr(n);
}

std::u16string_view Trimmed(std::u16string_view t) {
  t.remove_prefix(LeadingWhite(t).size());
  t.remove_suffix(TrailingWhite(t).size());
  return t;
}

int LineBreaks(std::u16string_view t) {
  int n = 0;
  for (size_t i = 0; i < t.size(); ++i) {
    if (!IsBreak(t[i])) continue;
    ++n;
    if (t[i] == u'\r' && i + 1 < t.size() && t[i + 1] == u'\n') ++i;
  }
  return n;
}

// The last part of a dotted property name: "Title.Caption" -> "Caption".
std::string_view PropertyWord(std::string_view property) {
  size_t dot = property.rfind('.');
  return dot == std::string_view::npos ? property : property.substr(dot + 1);
}

std::string Plural(long long n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

TFinding Make(const char* id, TSeverity severity, std::string reason) {
  TFinding f;
  f.id = id;
  f.severity = severity;
  f.reason = std::move(reason);
  return f;
}

// ----- reasons

class TReasons {
 public:
  explicit TReasons(int codePage) : codePage_(codePage) {}
  // A piece of a text, in the language's code page, in quotes.
  std::string Quote(std::u16string_view text) const { return "\"" + Utf16ToCodePage(text, codePage_) + "\""; }

 private:
  int codePage_;
};

// "2 blanks, 1 line break" for a run of white space.
std::string DescribeWhite(std::u16string_view run) {
  if (run.empty()) return "nothing";
  long long blanks = 0, tabs = 0, other = 0;
  int breaks = LineBreaks(run);
  for (char16_t c : run) {
    if (c == u' ' || c == 0xA0 || c == 0x3000)
      ++blanks;
    else if (c == u'\t')
      ++tabs;
    else if (!IsBreak(c))
      ++other;
  }
  std::string text;
  auto add = [&](long long n, const char* one, const char* many) {
    if (n == 0) return;
    if (!text.empty()) text += ", ";
    text += Plural(n, one, many);
  };
  add(blanks, "blank", "blanks");
  add(tabs, "tab", "tabs");
  add(breaks, "line break", "line breaks");
  add(other, "other white-space character", "other white-space characters");
  return text;
}

// ----- Format

std::string DescribeArgument(const TFormatArgument& a) {
  if (a.type == u'*') return "a \"*\" taking argument " + std::to_string(a.argument);
  return "%" + std::string(1, static_cast<char>(a.type)) + " for argument " + std::to_string(a.argument);
}

void CheckFormat(std::u16string_view original, std::u16string_view translation, std::vector<TFinding>& out) {
  TFormatScan from = ScanFormat(original);
  if (!from.IsFormatString()) return;
  TFormatScan to = ScanFormat(translation);
  auto key = [](const TFormatArgument& a) { return std::pair(a.argument, a.type); };
  std::map<std::pair<int, char16_t>, int> balance;
  for (const TFormatArgument& a : from.arguments) ++balance[key(a)];
  for (const TFormatArgument& a : to.arguments) --balance[key(a)];
  const int count = from.ArgumentCount();
  std::vector<std::string> problems;
  std::vector<std::string> missing, extra;
  for (const auto& [k, n] : balance) {
    TFormatArgument a{k.first, k.second};
    if (n > 0) missing.push_back(DescribeArgument(a) + (n > 1 ? " (" + std::to_string(n) + " times)" : ""));
    if (n < 0 && k.first < count)
      extra.push_back(DescribeArgument(a) + (n < -1 ? " (" + std::to_string(-n) + " times)" : ""));
  }
  auto join = [](const std::vector<std::string>& items) {
    std::string text;
    for (const std::string& item : items) text += (text.empty() ? "" : ", ") + item;
    return text;
  };
  if (!missing.empty()) problems.push_back("the translation lacks " + join(missing));
  if (!extra.empty()) problems.push_back("the translation adds " + join(extra));
  for (const TFormatArgument& a : to.arguments)
    if (a.argument >= count) {
      problems.push_back(DescribeArgument(a) + " is beyond the original's " + Plural(count, "argument", "arguments"));
      break;
    }
  if (to.strays.size() > from.strays.size())
    problems.push_back("the translation has a \"%\" that begins no specifier (a percent sign is written %%)");
  if (problems.empty()) return;
  std::string reason = "Format specifiers differ: ";
  for (size_t i = 0; i < problems.size(); ++i) reason += (i ? "; " : "") + problems[i];
  out.push_back(Make(check_id::kFormat, TSeverity::Error, reason));
}

// ----- accelerators

bool IsAcceleratorChar(char16_t c) { return u_isalnum(c); }

void CheckAccelerators(std::u16string_view original, std::u16string_view translation, const TReasons& r,
                       std::vector<TFinding>& out) {
  std::vector<char16_t> from = Accelerators(original), to = Accelerators(translation);
  if (from.size() == to.size()) return;
  std::string reason;
  if (from.size() == 1 && to.empty())
    reason = "The original has the accelerator " + r.Quote(std::u16string(u"&") + from[0]) + ", the translation none";
  else if (from.empty())
    reason = "The translation has the accelerator " + r.Quote(std::u16string(u"&") + to[0]) + ", the original none";
  else
    reason = "The original has " + Plural(static_cast<long long>(from.size()), "accelerator", "accelerators") +
             ", the translation " + std::to_string(to.size());
  out.push_back(Make(check_id::kAccelerator, TSeverity::Warning, reason));
}

// ----- hints and filters

void CheckHint(std::u16string_view original, std::u16string_view translation, std::vector<TFinding>& out) {
  auto bars = [](std::u16string_view t) { return std::count(t.begin(), t.end(), u'|'); };
  long long from = bars(original), to = bars(translation);
  if (from == to) return;
  out.push_back(Make(check_id::kHintSeparator, TSeverity::Error,
                     "The original has " + Plural(from, "\"|\"", "\"|\"s") +
                         " between short and long hint, the translation " + std::to_string(to)));
}

std::vector<std::u16string_view> Fields(std::u16string_view text) {
  std::vector<std::u16string_view> fields;
  for (size_t start = 0;;) {
    size_t bar = text.find(u'|', start);
    fields.push_back(text.substr(start, bar == std::u16string_view::npos ? std::u16string_view::npos : bar - start));
    if (bar == std::u16string_view::npos) return fields;
    start = bar + 1;
  }
}

void CheckFilter(std::u16string_view original, std::u16string_view translation, const TReasons& r,
                 std::vector<TFinding>& out) {
  if (original.find(u'|') == std::u16string_view::npos) return;
  std::vector<std::u16string_view> from = Fields(original), to = Fields(translation);
  std::string reason;
  if (from.size() != to.size()) {
    reason = "The original has " + std::to_string(from.size()) + " fields separated by \"|\", the translation " +
             std::to_string(to.size());
  } else {
    for (size_t i = 1; i < from.size(); i += 2) {
      if (from[i] == to[i]) continue;
      reason = "The pattern " + r.Quote(from[i]) + " (field " + std::to_string(i + 1) + ") became " + r.Quote(to[i]) +
               "; patterns must stay as they are";
      break;
    }
  }
  if (!reason.empty()) out.push_back(Make(check_id::kFilter, TSeverity::Error, reason));
}

// ----- white space and punctuation

enum class TEnding { None, Colon, Ellipsis, Period, Question, Exclamation };

const char* EndingName(TEnding e) {
  switch (e) {
    case TEnding::Colon: return "\":\"";
    case TEnding::Ellipsis: return "\"...\"";
    case TEnding::Period: return "\".\"";
    case TEnding::Question: return "\"?\"";
    case TEnding::Exclamation: return "\"!\"";
    case TEnding::None: break;
  }
  return "no punctuation";
}

// Which languages a form of punctuation belongs to.
enum class TUsedBy { Everyone, FarEast, Greek, Arabic };

struct TEndingForm {
  TEnding ending;
  std::u16string_view text;
  TUsedBy usedBy;
};

// The forms an ending may take. An original is read with the forms every
// language has; a translation also with its own language's. Longer forms
// come first ("..." before "."). The full-width forms are those of the
// Far-East code pages (932, 936, 949, 950, 1361); "..." as one character is
// in every Windows code page (0x85 in the single-byte ones).
constexpr TEndingForm kEndingForms[] = {
    {TEnding::Ellipsis, u"...", TUsedBy::Everyone},
    {TEnding::Ellipsis, u"\u2026", TUsedBy::Everyone},
    {TEnding::Ellipsis, u"\u22EF", TUsedBy::FarEast},  // midline ellipsis
    {TEnding::Colon, u":", TUsedBy::Everyone},
    {TEnding::Colon, u"\uFF1A", TUsedBy::FarEast},
    {TEnding::Question, u"?", TUsedBy::Everyone},
    {TEnding::Question, u"\uFF1F", TUsedBy::FarEast},
    {TEnding::Question, u";", TUsedBy::Greek},  // Greek's question mark
    {TEnding::Question, u"\u037E", TUsedBy::Greek},
    {TEnding::Question, u"\u061F", TUsedBy::Arabic},  // Arabic, Farsi, Urdu
    {TEnding::Exclamation, u"!", TUsedBy::Everyone},
    {TEnding::Exclamation, u"\uFF01", TUsedBy::FarEast},
    {TEnding::Period, u".", TUsedBy::Everyone},
    {TEnding::Period, u"\u3002", TUsedBy::FarEast},  // ideographic full stop
    {TEnding::Period, u"\uFF0E", TUsedBy::FarEast},
};

struct TLanguageForms {
  bool farEast = false, greek = false, arabic = false;
  bool Uses(TUsedBy by) const {
    switch (by) {
      case TUsedBy::Everyone: return true;
      case TUsedBy::FarEast: return farEast;
      case TUsedBy::Greek: return greek;
      case TUsedBy::Arabic: return arabic;
    }
    return false;
  }
};

TEnding EndingOf(std::u16string_view trimmed, const TLanguageForms& forms) {
  for (const TEndingForm& f : kEndingForms)
    if (forms.Uses(f.usedBy) && trimmed.ends_with(f.text)) return f.ending;
  return TEnding::None;
}

void CheckWhiteSpace(std::u16string_view original, std::u16string_view translation, const TTextCheckInput& input,
                     std::vector<TFinding>& out) {
  std::u16string_view leadFrom = LeadingWhite(original), leadTo = LeadingWhite(translation);
  if (leadFrom != leadTo)
    out.push_back(
        Make(check_id::kLeadingBlanks, TSeverity::Warning,
             "The original begins with " + DescribeWhite(leadFrom) + ", the translation with " +
                 (DescribeWhite(leadFrom) == DescribeWhite(leadTo) ? "other white space" : DescribeWhite(leadTo))));
  // An all-blank text is its leading run; its end says nothing more.
  std::u16string_view trailFrom = leadFrom.size() == original.size() ? std::u16string_view() : TrailingWhite(original);
  std::u16string_view trailTo =
      leadTo.size() == translation.size() ? std::u16string_view() : TrailingWhite(translation);
  if (trailFrom != trailTo)
    out.push_back(
        Make(check_id::kTrailingBlanks, TSeverity::Warning,
             "The original ends with " + DescribeWhite(trailFrom) + ", the translation with " +
                 (DescribeWhite(trailFrom) == DescribeWhite(trailTo) ? "other white space" : DescribeWhite(trailTo))));
  std::u16string_view from = Trimmed(original), to = Trimmed(translation);
  int breaksFrom = LineBreaks(from), breaksTo = LineBreaks(to);
  if (breaksFrom != breaksTo)
    out.push_back(Make(check_id::kLineBreaks, TSeverity::Warning,
                       "The original has " + Plural(breaksFrom, "line break", "line breaks") + ", the translation " +
                           std::to_string(breaksTo)));
  TLanguageForms forms{IsFarEastPage(input.translationCodePage), PrimaryLanguage(input.languageId) == 0x08,
                       input.translationCodePage == 1256};
  TEnding endFrom = EndingOf(from, TLanguageForms{}), endTo = EndingOf(to, forms);
  if (endFrom != endTo && !to.empty())
    out.push_back(Make(
        check_id::kEndingPunctuation, TSeverity::Warning,
        std::string("The original ends with ") + EndingName(endFrom) + ", the translation with " + EndingName(endTo)));
  if (from.find(u"  ") == std::u16string_view::npos && to.find(u"  ") != std::u16string_view::npos)
    out.push_back(Make(check_id::kDoubledBlanks, TSeverity::Warning, "The translation has two blanks in a row"));
}

// ----- code page

bool IsBadChar(char16_t c) {
  return c == 0xFFFD || (c < 0x20 && c != u'\t' && c != u'\r' && c != u'\n') || (c >= 0x7F && c <= 0x9F);
}

std::string Hex(unsigned char byte) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", byte);
  return text;
}

// Why the bytes are no text of the code page, or "".
std::string CodePageFault(std::string_view bytes, int codePage) {
  std::u16string decoded;
  try {
    decoded = DecodeText(bytes, codePage);
  } catch (const ECodePageError& e) {
    return e.what();
  }
  if (std::none_of(decoded.begin(), decoded.end(), IsBadChar)) return "";
  const std::string page = "code page " + std::to_string(codePage);
  for (size_t p = 0; p < bytes.size();) {
    const auto byte = static_cast<unsigned char>(bytes[p]);
    const std::string where = " (byte " + std::to_string(p + 1) + ")";
    std::u16string one = CodePageToUtf16(bytes.substr(p, 1), codePage);
    if (one.size() == 1 && !IsBadChar(one[0])) {
      ++p;
      continue;
    }
    if (byte < 0x20 || byte == 0x7F) return "The translation holds the control character " + Hex(byte) + where;
    if (IsFarEastPage(codePage) && (one.empty() || one[0] == 0xFFFD)) {
      if (p + 1 >= bytes.size())
        return "The translation ends in the first byte " + Hex(byte) + " of a double-byte character of " + page;
      std::u16string two = CodePageToUtf16(bytes.substr(p, 2), codePage);
      if (two.size() == 1 && !IsBadChar(two[0])) {
        p += 2;
        continue;
      }
      return "The translation holds a broken double-byte sequence " + Hex(byte) + " " +
             Hex(static_cast<unsigned char>(bytes[p + 1])) + " of " + page + where;
    }
    return "The translation holds the byte " + Hex(byte) + ", which " + page + " leaves unassigned" + where;
  }
  return "The translation holds a character " + page + " cannot show";
}

// ----- length

void CheckLength(std::u16string_view original, std::u16string_view translation, std::vector<TFinding>& out) {
  const double from = static_cast<double>(original.size()), to = static_cast<double>(translation.size());
  if (!(to > 1.5 * from && to > from + 10)) return;
  char ratio[32];
  std::snprintf(ratio, sizeof ratio, "%.1f", from > 0 ? to / from : 0.0);
  out.push_back(Make(check_id::kLength, TSeverity::Warning,
                     std::string("The translation is ") + ratio + " times as long as the original (" +
                         std::to_string(translation.size()) + " characters against " + std::to_string(original.size()) +
                         ") in a control of fixed size"));
}

}  // namespace

std::u16string DecodeText(std::string_view bytes, int codePage) {
  if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
    return std::u16string(bytes.begin(), bytes.end());
  return CodePageToUtf16(bytes, codePage);
}

std::vector<char16_t> Accelerators(std::u16string_view text) {
  std::vector<char16_t> letters;
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != u'&') continue;
    if (text[i + 1] == u'&') {
      ++i;
      continue;
    }
    if (IsAcceleratorChar(text[i + 1])) letters.push_back(static_cast<char16_t>(u_toupper(text[i + 1])));
  }
  return letters;
}

std::vector<TFinding> CheckText(const TTextCheckInput& input) {
  std::vector<TFinding> out;
  std::u16string original = DecodeText(input.original, input.originalCodePage);
  std::u16string translation = DecodeText(input.translation, input.translationCodePage);
  TReasons reasons(input.translationCodePage);
  std::string_view word = PropertyWord(input.property);
  const bool hint = SameText(word, "Hint"), filter = SameText(word, "Filter");
  CheckFormat(original, translation, out);
  if (!hint && !filter) CheckAccelerators(original, translation, reasons, out);
  if (hint) CheckHint(original, translation, out);
  if (filter) CheckFilter(original, translation, reasons, out);
  CheckWhiteSpace(original, translation, input, out);
  if (std::string fault = CodePageFault(input.translation, input.translationCodePage); !fault.empty())
    out.push_back(Make(check_id::kCodePage, TSeverity::Error, fault));
  if (input.fixedSize) CheckLength(original, translation, out);
  return out;
}

}  // namespace kst
