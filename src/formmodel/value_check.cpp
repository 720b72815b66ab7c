// Checking a value's text with the form-text tokenizer itself, so that what
// passes here is exactly what the form writer's output reads back as.
#include "formmodel/value_check.h"

#include "config/text_helpers.h"
#include "formmodel/form_errors.h"
#include "formmodel/form_parser.h"

namespace kst {

namespace {

// Blanks and line breaks between tokens would be skipped on reading, but
// the text would no longer be what reads back; none are allowed around or
// inside a value, except after a set's commas.
bool HasControlOrEdgeBlank(std::string_view text, bool blanksInside) {
  if (text.empty()) return false;
  if (static_cast<unsigned char>(text.front()) <= ' ' || static_cast<unsigned char>(text.back()) <= ' ') return true;
  for (char c : text) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u < ' ' || (u == ' ' && !blanksInside)) return true;
  }
  return false;
}

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }

// `wide`: 64-bit integers are fine (the property is an Int64).
bool ReadsAsInteger(TParser& p, bool wide) {
  if (p.Token() != toInteger) return false;
  if (wide) p.TokenInt64();
  else p.TokenInt();
  return p.NextToken() == toEOF;
}

// `width`: the width letter the original has (0 for none). Delphi's reader
// of a single, currency or date property takes that type or an integer,
// and of an Extended one no other float type, so the letter must stay.
bool ReadsAsFloat(TParser& p, char width) {
  // A whole number is a valid value of a floating-point property: Delphi's
  // reader takes an integer where it expects a float.
  if (p.Token() == toInteger) return ReadsAsInteger(p, false);
  if (p.Token() != toFloat || p.FloatType() != width) return false;
  p.TokenFloat();
  return p.NextToken() == toEOF;
}

// What an original read from a form allows beyond Delphi 3's values: the
// width letter of a float ('s', 'c', 'd' or 0), and whether an integer
// needed 64 bits. Originals that are not one number give neither.
struct TOriginalWidth {
  char floatType = 0;
  bool wideInteger = false;
};

TOriginalWidth OriginalWidth(TPropertyType type, std::string_view original) {
  TOriginalWidth width;
  if (original.empty() || (type != ptInteger && type != ptFloat)) return width;
  try {
    TParser p(original);
    if (p.Token() == toFloat) width.floatType = p.FloatType();
    if (p.Token() == toInteger && type == ptInteger) {
      int64_t v = p.TokenInt64();
      width.wideInteger = v < INT32_MIN || v > INT32_MAX;
    }
  } catch (const EFormError&) {
  }
  return width;
}

bool ReadsAsSymbol(TParser& p) {
  if (p.Token() != toSymbol) return false;
  if (p.TokenComponentIdent().size() > 255) return false;
  return p.NextToken() == toEOF;
}

bool ReadsAsSet(TParser& p) {
  if (p.Token() != '[') return false;
  if (p.NextToken() != ']') {
    for (;;) {
      if (p.Token() != toSymbol || p.TokenString().size() > 255) return false;
      if (p.NextToken() == ']') break;
      if (p.Token() != ',') return false;
      p.NextToken();
    }
  }
  return p.NextToken() == toEOF;
}

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The texts forms hold nearly always; taken without running the tokenizer,
// which the form writer would otherwise do for every number it writes.
bool PlainInteger(std::string_view t) {
  if (t.size() >= 2 && t[0] == '$') {
    if (t.size() > 9) return false;
    for (char c : t.substr(1))
      if (!IsHexDigit(c)) return false;
    return true;
  }
  size_t at = !t.empty() && t[0] == '-' ? 1 : 0;
  if (at == t.size() || t.size() - at > 9) return false;  // nine digits always fit
  for (char c : t.substr(at))
    if (!IsDigit(c)) return false;
  return true;
}

bool PlainIdentifier(std::string_view t) {
  if (t.empty() || t.size() > 255) return false;
  bool start = true;
  for (char c : t) {
    if (start ? !IsLetter(c) : !(IsLetter(c) || IsDigit(c) || c == '.')) return false;
    start = c == '.';
  }
  return !start;
}

bool PlainSet(std::string_view t) {
  if (t.size() < 2 || t.front() != '[' || t.back() != ']') return false;
  t = t.substr(1, t.size() - 2);
  if (t.empty()) return true;
  for (size_t at = 0;;) {
    size_t comma = t.find(',', at);
    std::string_view element = t.substr(at, comma == std::string_view::npos ? comma : comma - at);
    if (element.empty() || element.find('.') != std::string_view::npos || !PlainIdentifier(element)) return false;
    if (comma == std::string_view::npos) return true;
    at = comma + 1;
  }
}

}  // namespace

std::string ValueTextProblem(TPropertyType type, std::string_view text, std::string_view original) {
  if ((type == ptInteger && PlainInteger(text)) || (type == ptSymbol && PlainIdentifier(text)) ||
      (type == ptSet && PlainSet(text)))
    return {};
  const TOriginalWidth width = OriginalWidth(type, original);
  std::string need;
  switch (type) {
    case ptString: return {};
    case ptInteger: need = "a whole number such as 8, -12 or $FF"; break;
    case ptFloat:
      if (width.floatType == 0) {
        need = "a number such as 1.5, -2 or 1.5E2";
      } else {
        const std::string letter(1, width.floatType);
        need = "a number ending in " + letter + " such as 1.5" + letter + " or 1.5E2" + letter + ", or a whole number";
      }
      break;
    case ptSymbol: need = "one identifier such as clBtnFace, True or Form1.Button1"; break;
    case ptSet: need = "a set of identifiers such as [akLeft,akTop] or []"; break;
    case ptBinary: need = "hexadecimal digits, two for each byte"; break;
    default: return "a value that cannot be translated";
  }
  if (type == ptBinary) {
    if (text.size() % 2 != 0) return need;
    for (char c : text)
      if (!IsHexDigit(c)) return need;
    return {};
  }
  if (text.empty() || HasControlOrEdgeBlank(text, type == ptSet)) return need;
  try {
    TParser p(text);
    bool ok = false;
    switch (type) {
      case ptInteger: ok = ReadsAsInteger(p, width.wideInteger); break;
      case ptFloat: ok = ReadsAsFloat(p, width.floatType); break;
      case ptSymbol: ok = ReadsAsSymbol(p); break;
      default: ok = ReadsAsSet(p); break;
    }
    return ok ? std::string() : need;
  } catch (const EFormError&) {
    return need;
  }
}

std::string ValueTextMessage(std::string_view key, TPropertyType type, std::string_view text,
                             std::string_view original) {
  std::string problem = ValueTextProblem(type, text, original);
  if (problem.empty()) return problem;
  return "The translation of " + std::string(key) + " must be " + problem + "; \"" + EncodeEscapes(text) +
         "\" is not one.";
}

void CheckValueText(std::string_view key, TPropertyType type, std::string_view text, std::string_view original) {
  std::string message = ValueTextMessage(key, type, text, original);
  if (!message.empty()) throw EFormModelError(message);
}

}  // namespace kst
