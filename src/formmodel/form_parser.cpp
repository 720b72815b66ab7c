// TParser: tokenizer rules, window refill and parse errors.
#include "formmodel/form_parser.h"

#include <cmath>

#include "config/text_helpers.h"
#include "formmodel/extended_float.h"
#include "formmodel/form_errors.h"
#include "platform/codepage.h"
#include "platform/same_text.h"

namespace kst {

namespace {
bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsIdentChar(char c) { return IsLetter(c) || IsDigit(c); }
int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}
}  // namespace

TParser::TParser(std::string_view text, size_t bufferSize) : text_(text), bufSize_(bufferSize < 4 ? 4 : bufferSize) {
  NextToken();
}

void TParser::ReadBuffer() {
  // The unread rest moves to the window's start and the window fills up to
  // its size; it then ends after the last line feed that lies strictly
  // inside it (the first and last byte are not looked at, as Delphi's
  // scan does not). A full window without one holds an overlong line.
  origin_ = sourcePtr_;
  size_t bufEnd = text_.size() - origin_ < bufSize_ ? text_.size() : origin_ + bufSize_;
  sourceEnd_ = bufEnd;
  if (bufEnd - origin_ == bufSize_) {
    size_t p = bufEnd - 2;
    while (p > origin_ && text_[p] != '\n') --p;
    if (p == origin_) {
      sourceEnd_ = origin_;
      Error(kSLineTooLong);
    }
    sourceEnd_ = p + 1;
  }
}

void TParser::SkipBlanks() {
  for (;;) {
    unsigned char c = static_cast<unsigned char>(At(sourcePtr_));
    if (c == 0) {
      ReadBuffer();
      if (At(sourcePtr_) == 0) return;
      continue;
    }
    if (c == '\n') ++sourceLine_;
    else if (c > 32) return;
    ++sourcePtr_;
  }
}

void TParser::ReadString(size_t& p) {
  string_.clear();
  wide_.clear();
  codes_.clear();
  stringKind_ = 0;
  for (;;) {
    char c = At(p);
    if (c == '#') {
      ++p;
      unsigned code = 0;
      int digits = 0, zeros = 0;
      while (IsDigit(At(p))) {
        if (At(p) == '0' && code == 0) ++zeros;
        code = code * 10 + static_cast<unsigned>(At(p) - '0');
        // A wide character is one UTF-16 unit.
        if (code > 0xFFFF) Error(kSInvalidString);
        ++digits;
        ++p;
      }
      if (zeros == digits) zeros = digits - 1;  // "#0" is the code 0, "#00" that code with one zero before it
      // Zeros before a code mark the string's own type (see form_conversion.h);
      // a code above 255 makes a wide string, as later Delphi versions read it.
      if (stringKind_ == 0 && zeros > 0) stringKind_ = zeros == 1 ? kWideString : kUtf8String;
      if (stringKind_ == 0 && code > 255) stringKind_ = kWideString;
      codes_.push_back({string_.size(), static_cast<char16_t>(code)});
      string_ += static_cast<char>(code);
    } else if (c == '\'') {
      ++p;
      for (;;) {
        char q = At(p);
        if (q == '\0' || q == '\n' || q == '\r') Error(kSInvalidString);
        if (q == '\'') {
          ++p;
          if (At(p) != '\'') break;
        }
        string_ += At(p);
        ++p;
      }
    } else {
      if (stringKind_ != 0) MakeWide();
      return;
    }
  }
}

// The characters of a wide string token: codes as they are, quoted runs
// from the code page the text was written in. Its 8-bit text becomes what
// that code page can show of them.
void TParser::MakeWide() {
  size_t at = 0;
  for (const auto& [offset, code] : codes_) {
    if (offset > at) wide_ += CodePageToUtf16(std::string_view(string_).substr(at, offset - at), codePage_);
    wide_ += code;
    at = offset + 1;
  }
  if (at < string_.size()) wide_ += CodePageToUtf16(std::string_view(string_).substr(at), codePage_);
  string_ = Utf16ToCodePage(wide_, codePage_);
}

TParser::TStringValue TParser::ReadStringValue() {
  CheckToken(toString);
  TStringValue value{string_, wide_, stringKind_};
  while (NextToken() == '+') {
    NextToken();
    CheckToken(toString);
    // Parts of 8-bit text join a wide string as their code page reads them.
    if (stringKind_ != 0 && value.kind == 0) {
      value.wide = CodePageToUtf16(value.ansi, codePage_);
      value.kind = stringKind_;
    }
    if (value.kind != 0) value.wide += stringKind_ != 0 ? wide_ : CodePageToUtf16(string_, codePage_);
    value.ansi += string_;
  }
  if (value.kind != 0) value.ansi = Utf16ToCodePage(value.wide, codePage_);
  return value;
}

char TParser::NextToken() {
  SkipBlanks();
  size_t p = sourcePtr_;
  tokenPtr_ = p;
  char c = At(p);
  if (IsLetter(c)) {
    ++p;
    while (IsIdentChar(At(p))) ++p;
    token_ = toSymbol;
  } else if (c == '#' || c == '\'') {
    ReadString(p);
    token_ = toString;
  } else if (c == '$') {
    ++p;
    while (HexValue(At(p)) >= 0) ++p;
    token_ = toInteger;
  } else if (c == '-' || IsDigit(c)) {
    ++p;
    while (IsDigit(At(p))) ++p;
    token_ = toInteger;
    for (char d = At(p); IsDigit(d) || d == '.' || d == 'e' || d == 'E' || d == '+' || d == '-'; d = At(++p))
      token_ = toFloat;
    // Delphi 4 on mark the stored width of a float with a letter: s single,
    // c currency, d date; "0c" is a float too.
    floatType_ = 0;
    if (char d = At(p); d == 's' || d == 'S' || d == 'c' || d == 'C' || d == 'd' || d == 'D') {
      token_ = toFloat;
      floatType_ = static_cast<char>(d | 0x20);
      ++p;
    }
  } else {
    token_ = c;
    if (c != toEOF) ++p;
  }
  sourcePtr_ = p;
  return token_;
}

std::string TParser::TokenString() const {
  if (token_ == toString) return string_;
  return std::string(text_.substr(tokenPtr_, sourcePtr_ - tokenPtr_));
}

int32_t TParser::TokenInt() const {
  std::string text = TokenString();
  auto fail = [&]() { ErrorFmt("'%s' is not a valid integer value", text); };
  uint64_t value = 0;
  if (!text.empty() && text[0] == '$') {
    if (text.size() == 1) fail();
    for (size_t i = 1; i < text.size(); ++i) {
      value = value * 16 + static_cast<unsigned>(HexValue(text[i]));
      if (value > 0xFFFFFFFFull) fail();
    }
    return static_cast<int32_t>(static_cast<uint32_t>(value));
  }
  bool negative = !text.empty() && text[0] == '-';
  size_t i = negative ? 1 : 0;
  if (i >= text.size()) fail();
  for (; i < text.size(); ++i) {
    if (!IsDigit(text[i])) fail();
    value = value * 10 + static_cast<unsigned>(text[i] - '0');
    if (value > 0x80000000ull) fail();
  }
  if (!negative && value > 0x7FFFFFFFull) fail();
  return negative ? static_cast<int32_t>(-static_cast<int64_t>(value)) : static_cast<int32_t>(value);
}

int64_t TParser::TokenInt64() const {
  std::string text = TokenString();
  if (!text.empty() && text[0] == '$') return TokenInt();
  bool negative = !text.empty() && text[0] == '-';
  size_t i = negative ? 1 : 0;
  if (i >= text.size()) TokenInt();  // raises the usual message
  uint64_t value = 0;
  for (; i < text.size(); ++i) {
    if (!IsDigit(text[i]) || value > (0x8000000000000000ull - (text[i] - '0')) / 10) TokenInt();
    value = value * 10 + static_cast<unsigned>(text[i] - '0');
  }
  if (!negative && value > 0x7FFFFFFFFFFFFFFFull) TokenInt();
  return negative ? static_cast<int64_t>(0 - value) : static_cast<int64_t>(value);
}

long double TParser::TokenFloat() const {
  std::string text = TokenString();
  if (floatType_ != 0) text.pop_back();
  auto value = ParseExtended(text);
  // What the width letter stores must hold the value: from halfway past the
  // largest single or double on it would round to infinity, and currency
  // keeps the (rounded) number in 64 bits.
  bool fits = value && (floatType_ == 's'   ? std::fabs(*value) < 0x1p128L - 0x1p103L
                        : floatType_ == 'd' ? std::fabs(*value) < 0x1p1024L - 0x1p970L
                        : floatType_ == 'c' ? std::nearbyint(*value) >= -0x1p63L && std::nearbyint(*value) < 0x1p63L
                                            : true);
  if (!fits) ErrorFmt("'%s' is not a valid floating point value", TokenString());
  return *value;
}

std::string TParser::TokenComponentIdent() {
  CheckToken(toSymbol);
  size_t p = sourcePtr_;
  while (At(p) == '.') {
    ++p;
    if (!IsLetter(At(p))) Error(kSIdentifierExpected);
    do ++p;
    while (IsIdentChar(At(p)));
  }
  sourcePtr_ = p;
  return TokenString();
}

std::string TParser::ReadPropertyName() {
  CheckToken(toSymbol);
  std::string name = TokenString();
  NextToken();
  while (Token() == '.') {
    NextToken();
    CheckToken(toSymbol);
    name += '.';
    name += TokenString();
    NextToken();
  }
  return name;
}

bool TParser::TokenSymbolIs(std::string_view s) const {
  return token_ == toSymbol && SameText(text_.substr(tokenPtr_, sourcePtr_ - tokenPtr_), s);
}

void TParser::CheckToken(char kind) const {
  if (token_ == kind) return;
  switch (kind) {
    case toSymbol: Error(kSIdentifierExpected);
    case toString: Error(kSStringExpected);
    case toInteger:
    case toFloat: Error(kSNumberExpected);
    default: ErrorFmt(kSCharExpected, std::string(1, kind));
  }
}

void TParser::CheckTokenSymbol(std::string_view s) const {
  if (!TokenSymbolIs(s)) ErrorFmt(kSSymbolExpected, s);
}

void TParser::HexToBinary(std::string& bytes) {
  SkipBlanks();
  while (At(sourcePtr_) != '}') {
    size_t p = sourcePtr_;
    int count = 0;
    for (; count < 256; ++count) {
      int hi = HexValue(At(p));
      int lo = hi < 0 ? -1 : HexValue(At(p + 1));
      if (lo < 0) break;
      bytes += static_cast<char>(hi * 16 + lo);
      p += 2;
    }
    if (count == 0) Error(kSInvalidBinary);
    sourcePtr_ = p;
    SkipBlanks();
  }
  NextToken();
}

void TParser::Error(const std::string& message) const { throw EParserError(message, sourceLine_); }

void TParser::ErrorFmt(std::string_view pattern, std::string_view arg) const { Error(FormatText(pattern, arg)); }

}  // namespace kst
