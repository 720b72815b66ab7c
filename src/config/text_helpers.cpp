// The shared text helpers.
#include "config/text_helpers.h"

#include "config/interaction.h"
#include "platform/guid.h"

namespace kst {

namespace {

const char kHex[] = "0123456789ABCDEF";

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool IsOctal(char c) { return c >= '0' && c <= '7'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Converts "$" + digits the way Delphi's StrToInt does, with its message.
int HexToInt(std::string_view digits) {
  int value = 0;
  bool ok = !digits.empty();
  for (char c : digits) {
    int v = HexValue(c);
    if (v < 0) {
      ok = false;
      break;
    }
    value = value * 16 + v;
  }
  if (!ok) throw EConvertError("'$" + std::string(digits) + "' is not a valid integer value");
  return value;
}

enum class TDecodeMode { Plain, Full };

// The scan both escape decoders share; they differ in the letter escapes, in
// how a bad "\x" is treated and in a backslash at the very end.
std::string DecodeEscapesImpl(std::string_view s, TDecodeMode mode) {
  std::string out;
  out.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    char c = s[i];
    if (c != '\\') {
      out += c;
      ++i;
      continue;
    }
    if (i + 1 >= s.size()) {
      if (mode == TDecodeMode::Full) out += c;
      break;
    }
    char n = s[i + 1];
    if (n == 'x') {
      std::string_view digits = s.substr(i + 2, 2);
      int value;
      if (mode == TDecodeMode::Plain) {
        value = HexToInt(digits);
      } else {
        bool ok = digits.size() == 2 && HexValue(digits[0]) >= 0 && HexValue(digits[1]) >= 0;
        if (!ok) {
          out.append(s.substr(i, 4));
          i += 4;
          continue;
        }
        value = HexToInt(digits);
      }
      // Control characters stay escaped in the model, where a person sees
      // them; the full decoder is for resources, which need the characters.
      if (value >= 32 || mode == TDecodeMode::Full)
        out += static_cast<char>(value);
      else
        out.append(s.substr(i, 2 + digits.size()));
      i += 2 + digits.size();
      continue;
    }
    if (i + 3 < s.size() && IsOctal(n) && IsOctal(s[i + 2]) && IsOctal(s[i + 3])) {
      int value = (n - '0') * 64 + (s[i + 2] - '0') * 8 + (s[i + 3] - '0');
      // Above 255 there is no such character; keeping the escape loses nothing.
      if ((value >= 32 || mode == TDecodeMode::Full) && value <= 255)
        out += static_cast<char>(value);
      else
        out.append(s.substr(i, 4));
      i += 4;
      continue;
    }
    if (n == '0') {
      out += "\\0";
      i += 2;
      continue;
    }
    if (IsDigit(n)) {
      out += n;
      i += 2;
      continue;
    }
    if (n == '"') {
      out += '"';
      i += 2;
      continue;
    }
    if (mode == TDecodeMode::Full) {
      char mapped = 0;
      switch (n) {
        case 'a': mapped = 7; break;
        case 'b': mapped = 8; break;
        case 'f': mapped = 12; break;
        case 'n': mapped = 10; break;
        case 'r': mapped = 13; break;
        case 't': mapped = 9; break;
        case 'v': mapped = 11; break;
        case '\\': case '?': case '\'': mapped = n; break;
        default: break;
      }
      if (mapped) {
        out += mapped;
        i += 2;
        continue;
      }
    }
    out += c;
    out += n;
    i += 2;
  }
  return out;
}

char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

bool IsWordDelimiter(char c) {
  switch (c) {
    case '\0': case ' ': case '!': case '+': case ',': case '-': case '.': case '/': case ':': case ';':
      return true;
    default:
      return false;
  }
}

}  // namespace

std::string EncodeEscapes(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char ch : text) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (c == '"') {
      out += "\\\"";
    } else if (c < 32) {
      out += "\\x";
      out += kHex[c >> 4];
      out += kHex[c & 15];
    } else {
      out += ch;
    }
  }
  return out;
}

std::string DecodeEscapes(std::string_view text) { return DecodeEscapesImpl(text, TDecodeMode::Plain); }

std::string DecodeFullEscapes(std::string_view text) { return DecodeEscapesImpl(text, TDecodeMode::Full); }

std::string EncodeQuotedHex(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 2);
  bool inRun = false;
  for (char ch : text) {
    unsigned char c = static_cast<unsigned char>(ch);
    bool printable = c >= 32 && c <= 126 && c != '\'';
    if (printable) {
      if (!inRun) out += '\'';
      inRun = true;
      out += ch;
    } else {
      if (inRun) out += '\'';
      inRun = false;
      out += '$';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  if (inRun) out += '\'';
  return out;
}

std::string DecodeQuotedHex(std::string_view text, TUserInteraction* warn) {
  if (text.empty() || (text.front() != '$' && text.front() != '\'')) return std::string(text);
  std::string out;
  out.reserve(text.size());
  bool inRun = false;
  size_t i = 0;
  while (i < text.size()) {
    char c = text[i];
    if (inRun) {
      if (c == '\'')
        inRun = false;
      else
        out += c;
      ++i;
    } else if (c == '\'') {
      inRun = true;
      ++i;
    } else if (c == '$') {
      std::string_view digits = text.substr(i + 1, 2);
      try {
        out += static_cast<char>(HexToInt(digits));
      } catch (const EConvertError& e) {
        if (warn) warn->ShowWarning(e.what());
      }
      i += 3;
    } else {
      ++i;
    }
  }
  return out;
}

size_t FindText(std::string_view find, std::string_view text, long long start, bool wholeWord,
                bool caseSensitive) {
  if (find.empty()) return 0;
  if (start < 1) start = 1;
  const size_t n = find.size();
  for (size_t pos = static_cast<size_t>(start); pos + n - 1 <= text.size(); ++pos) {
    size_t i = pos - 1;
    bool equal = true;
    for (size_t k = 0; k < n; ++k) {
      char a = find[k], b = text[i + k];
      if (!caseSensitive) {
        a = UpperAscii(a);
        b = UpperAscii(b);
      }
      if (a != b) {
        equal = false;
        break;
      }
    }
    if (!equal) continue;
    if (!wholeWord) return pos;
    char before = i == 0 ? '\0' : text[i - 1];
    char after = i + n >= text.size() ? '\0' : text[i + n];
    if (IsWordDelimiter(before) && IsWordDelimiter(after)) return pos;
  }
  return 0;
}

std::string ReplaceText(std::string_view text, std::string_view find, std::string_view replacement,
                        bool wholeWord, bool caseSensitive) {
  std::string result(text);
  size_t pos = 1;
  while (pos <= result.size()) {
    size_t found = FindText(find, result, static_cast<long long>(pos), wholeWord, caseSensitive);
    if (found == 0) break;
    result.replace(found - 1, find.size(), replacement);
    pos = found + replacement.size();
  }
  return result;
}

std::string JoinPath(std::string_view directory, std::string_view name) {
  if (directory.empty()) return std::string(name);
  std::string out(directory);
  if (out.back() != '/' && out.back() != '\\') out += '/';
  out += name;
  return out;
}

std::string TrimBlanks(std::string_view text) {
  size_t b = text.find_first_not_of(' ');
  if (b == std::string_view::npos) return {};
  size_t e = text.find_last_not_of(' ');
  return std::string(text.substr(b, e - b + 1));
}

std::string StripThroughGreaterThan(std::string_view text) {
  size_t gt = text.rfind('>');
  return std::string(gt == std::string_view::npos ? text : text.substr(gt + 1));
}

long long NumberAfterHash(std::string_view text) {
  if (!text.empty() && text.front() == '#') text.remove_prefix(1);
  long long value = 0;
  for (char c : text) {
    if (!IsDigit(c)) break;
    if (value > (INT64_MAX - 9) / 10) break;
    value = value * 10 + (c - '0');
  }
  return value;
}

bool IsAllDigits(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text)
    if (!IsDigit(c)) return false;
  return true;
}

std::string FormatText(std::string_view pattern, std::string_view arg) {
  std::string out(pattern);
  size_t at = out.find("%s");
  if (at != std::string::npos) out.replace(at, 2, arg);
  return out;
}

std::string UpperCaseAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = UpperAscii(c);
  return out;
}

std::string TUniqueIdGenerator::NewUniqueId() {
  if (guid_.empty() || counter_ >= 0xFF) {
    guid_ = NewGuidText();
    counter_ = 0;
  }
  ++counter_;
  std::string id = guid_ + "-";
  id += kHex[counter_ >> 4];
  id += kHex[counter_ & 15];
  return id;
}

}  // namespace kst
