// TParser: the form-text tokenizer of the form reader, the text-to-binary
// conversion and the project-source scan. It reads through a 4096-byte window
// of complete lines, as Delphi's parser does: a longer line is "Line too long".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kst {

inline constexpr char toEOF = 0;
inline constexpr char toSymbol = 1;
inline constexpr char toString = 2;
inline constexpr char toInteger = 3;
inline constexpr char toFloat = 4;

inline constexpr size_t kParseBufSize = 4096;

// The value types of wide and UTF-8 strings, as a string token's kind.
inline constexpr uint8_t kWideString = 18;
inline constexpr uint8_t kUtf8String = 20;

class TParser {
public:
  // Reads the first token. The text is not owned and must outlive the
  // parser. `bufferSize` other than 4096 is for reading other tools' text.
  explicit TParser(std::string_view text, size_t bufferSize = kParseBufSize);

  char NextToken();
  char Token() const { return token_; }
  // The current token's text; for a string token the decoded characters.
  std::string TokenString() const;
  // Raises "'%s' is not a valid integer value" (on its line) when the text
  // is not a 32-bit integer; "$" hex wraps as in Delphi ($FFFFFFFF = -1).
  int32_t TokenInt() const;
  // Decimal integers up to 64 bits, with the same message beyond; "$" hex
  // as TokenInt (32 bits, wrapping), as Delphi 3 forms have it.
  int64_t TokenInt64() const;
  // The value of a float token without its width letter; raises "'%s' is not
  // a valid floating point value" when it is no number or does not fit the
  // width its letter names.
  long double TokenFloat() const;
  // The width letter of the current float token in lower case ('s', 'c',
  // 'd'), 0 when it has none. TokenString keeps the letter.
  char FloatType() const { return token_ == toFloat ? floatType_ : 0; }
  // Checks for a symbol and extends it over ".identifier" parts.
  std::string TokenComponentIdent();
  // Reads a property name whose dotted parts are separate tokens
  // ("Font . Name" is "Font.Name") and moves to the token after it.
  std::string ReadPropertyName();
  bool TokenSymbolIs(std::string_view s) const;
  void CheckToken(char kind) const;
  void CheckTokenSymbol(std::string_view s) const;
  // Reads the hex digits after "{" up to "}" and appends the bytes; then
  // reads the next token.
  void HexToBinary(std::string& bytes);

  // The code page of the text's quoted characters, for wide strings (1252
  // unless set).
  void SetCodePage(int codePage) { codePage_ = codePage; }
  // The type of the current string token: 0 for an 8-bit string, or
  // kWideString / kUtf8String (see form_conversion.h for how text marks them).
  uint8_t StringKind() const { return stringKind_; }
  // A string value: the parts joined by "+", from the current string token
  // to the token after the last part, which becomes current. `wide` holds
  // the characters when `kind` is not 0; `ansi` is then what the code page
  // can show of them.
  struct TStringValue {
    std::string ansi;
    std::u16string wide;
    uint8_t kind = 0;
  };
  TStringValue ReadStringValue();

  [[noreturn]] void Error(const std::string& message) const;
  [[noreturn]] void ErrorFmt(std::string_view pattern, std::string_view arg) const;

  int SourceLine() const { return sourceLine_; }
  // Where the current token starts: where a caller would read on.
  size_t TokenPosition() const { return tokenPtr_; }

private:
  char At(size_t p) const { return p < sourceEnd_ ? text_[p] : '\0'; }
  void ReadBuffer();
  void SkipBlanks();
  void ReadString(size_t& p);
  void MakeWide();

  std::string_view text_;
  size_t bufSize_;
  size_t origin_ = 0;      // text offset of the window's start
  size_t sourcePtr_ = 0;   // current position
  size_t sourceEnd_ = 0;   // end of the complete lines in the window
  size_t tokenPtr_ = 0;    // start of the current token
  std::string string_;     // decoded text of a string token
  std::u16string wide_;    // its characters, for a wide one
  std::vector<std::pair<size_t, char16_t>> codes_;  // where string_ holds a "#" code, and the code
  int codePage_ = 1252;
  uint8_t stringKind_ = 0;
  int sourceLine_ = 1;
  char token_ = toEOF;
  char floatType_ = 0;
};

}  // namespace kst
