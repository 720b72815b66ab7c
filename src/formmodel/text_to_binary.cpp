// Form text to component stream (and to a complete form resource): integers
// in the smallest width (64 bits only beyond 32), floats by their width
// letter, strings short or long by length, True/False/nil as their own value
// types.
#include <bit>
#include <cmath>
#include <cstdint>
#include <optional>

#include "config/text_helpers.h"
#include "formmodel/extended_float.h"
#include "formmodel/form_conversion.h"
#include "formmodel/form_errors.h"
#include "formmodel/form_parser.h"
#include "platform/byte_reader.h"
#include "platform/byte_writer.h"
#include "platform/codepage.h"
#include "platform/same_text.h"

namespace kst {

namespace {

class TTextToBinary {
public:
  TTextToBinary(std::string_view input, std::string& out, int codePage) : parser_(input), out_(out) {
    parser_.SetCodePage(codePage);
  }

  void Convert() {
    out_.Bytes("TPF0");
    ConvertObject();
  }

private:
  void Enter() {
    if (++depth_ > kMaxFormNesting) parser_.Error(kSNestingTooDeep);
  }
  void Leave() { --depth_; }

  void WriteByte(uint8_t b) { out_.U8(b); }
  // A short string holds at most 255 characters; cutting a longer one
  // would silently lose the end of a name or an identifier.
  void WriteStr(std::string_view s, const char* tooLong) {
    if (s.size() > 255) parser_.Error(tooLong);
    WriteByte(static_cast<uint8_t>(s.size()));
    out_.Bytes(s);
  }
  void WriteInteger(int32_t v) {
    if (v >= -128 && v <= 127) {
      WriteByte(vaInt8);
      WriteByte(static_cast<uint8_t>(v));
    } else if (v >= -32768 && v <= 32767) {
      WriteByte(vaInt16);
      out_.U16(static_cast<uint16_t>(v));
    } else {
      WriteByte(vaInt32);
      out_.U32(static_cast<uint32_t>(v));
    }
  }
  void WriteString(const TParser::TStringValue& value) {
    if (value.kind == kWideString) {
      if (value.wide.size() > 0x7FFFFFFF) parser_.Error(kSInvalidString);
      WriteByte(vaWString);
      out_.U32(static_cast<uint32_t>(value.wide.size()));
      out_.Utf16(value.wide);
      return;
    }
    if (value.kind == kUtf8String) {
      std::string utf8 = Utf16ToUtf8(value.wide);
      if (utf8.size() > 0x7FFFFFFF) parser_.Error(kSInvalidString);
      WriteByte(vaUTF8String);
      out_.U32(static_cast<uint32_t>(utf8.size()));
      out_.Bytes(utf8);
      return;
    }
    const std::string& s = value.ansi;
    if (s.size() <= 255) {
      WriteByte(vaString);
      WriteByte(static_cast<uint8_t>(s.size()));
    } else {
      if (s.size() > 0x7FFFFFFF) parser_.Error(kSInvalidString);
      WriteByte(vaLString);
      out_.U32(static_cast<uint32_t>(s.size()));
    }
    out_.Bytes(s);
  }

  // The number in "[n]" after an object's class or a collection item's
  // "item"; nothing when there is none.
  std::optional<int32_t> ConvertOrderModifier() {
    std::optional<int32_t> result;
    if (parser_.Token() == '[') {
      parser_.NextToken();
      parser_.CheckToken(toInteger);
      result = parser_.TokenInt();
      parser_.NextToken();
      parser_.CheckToken(']');
      parser_.NextToken();
    }
    return result;
  }

  bool AtObjectStartOrEnd() const {
    return parser_.TokenSymbolIs("END") || parser_.TokenSymbolIs("OBJECT") || parser_.TokenSymbolIs("INHERITED") ||
           parser_.TokenSymbolIs("INLINE");
  }

  // `kind`: the prefix flag of the keyword, 1 inherited, 4 inline, 0 object.
  void ConvertHeader(uint8_t kind) {
    parser_.CheckToken(toSymbol);
    std::string className = parser_.TokenString();
    int classLine = parser_.SourceLine();
    std::string objectName;
    if (parser_.NextToken() == ':') {
      parser_.NextToken();
      parser_.CheckToken(toSymbol);
      objectName = className;
      className = parser_.TokenString();
      classLine = parser_.SourceLine();
      parser_.NextToken();
    }
    // The class name's length byte stands where a prefix byte may stand, so
    // a length of 240 (0xF0) or more would read back as a prefix.
    if (className.size() >= 0xF0) throw EParserError(kSIdentifierExpected, classLine);
    // A position of 0 is written too: dropping it would move an inherited
    // control behind the ancestor's controls.
    std::optional<int32_t> position = ConvertOrderModifier();
    uint8_t flags = kind | (position ? 2 : 0);
    if (flags != 0) {
      WriteByte(0xF0 | flags);
      if (position) WriteInteger(*position);
    }
    WriteStr(className, kSIdentifierExpected);
    WriteStr(objectName, kSIdentifierExpected);
  }

  void ConvertProperty() {
    std::string name = parser_.ReadPropertyName();
    WriteStr(name, kSIdentifierExpected);
    parser_.CheckToken('=');
    parser_.NextToken();
    ConvertValue();
  }

  // TokenFloat has checked that the value fits the width of its letter.
  void ConvertFloat() {
    long double v = parser_.TokenFloat();
    switch (parser_.FloatType()) {
      case 's':
        WriteByte(vaSingle);
        out_.U32(std::bit_cast<uint32_t>(static_cast<float>(v)));
        break;
      case 'c':
        // The text holds the amount times 10,000; Delphi rounds it to the
        // nearest whole number (ties to even) to store it.
        WriteByte(vaCurrency);
        out_.U64(static_cast<uint64_t>(static_cast<int64_t>(std::nearbyint(v))));
        break;
      case 'd':
        WriteByte(vaDate);
        out_.U64(std::bit_cast<uint64_t>(static_cast<double>(v)));
        break;
      default: {
        auto bytes = EncodeExtended(v);
        WriteByte(vaExtended);
        out_.Bytes(std::string_view(bytes.data(), bytes.size()));
      }
    }
  }

  void ConvertValue() {
    switch (parser_.Token()) {
      case toString:
        WriteString(parser_.ReadStringValue());
        return;  // the token after the last part is already current
      case toSymbol: {
        std::string ident = parser_.TokenComponentIdent();
        if (SameText(ident, "False")) WriteByte(vaFalse);
        else if (SameText(ident, "True")) WriteByte(vaTrue);
        else if (SameText(ident, "nil")) WriteByte(vaNil);
        else {
          WriteByte(vaIdent);
          WriteStr(ident, kSInvalidProperty);
        }
        break;
      }
      case toInteger: {
        int64_t v = parser_.TokenInt64();
        if (v >= INT32_MIN && v <= INT32_MAX) {
          WriteInteger(static_cast<int32_t>(v));
        } else {
          WriteByte(vaInt64);
          out_.U64(static_cast<uint64_t>(v));
        }
        break;
      }
      case toFloat: ConvertFloat(); break;
      case '[':
        parser_.NextToken();
        WriteByte(vaSet);
        if (parser_.Token() != ']') {
          for (;;) {
            parser_.CheckToken(toSymbol);
            WriteStr(parser_.TokenString(), kSInvalidProperty);
            if (parser_.NextToken() == ']') break;
            parser_.CheckToken(',');
            parser_.NextToken();
          }
        }
        WriteByte(0);
        break;
      case '(':
        Enter();
        parser_.NextToken();
        WriteByte(vaList);
        while (parser_.Token() != ')') ConvertValue();
        WriteByte(vaNull);
        Leave();
        break;
      case '{': {
        std::string bytes;
        parser_.HexToBinary(bytes);
        WriteByte(vaBinary);
        out_.U32(static_cast<uint32_t>(bytes.size()));
        out_.Bytes(bytes);
        break;
      }
      case '<':
        Enter();
        parser_.NextToken();
        WriteByte(vaCollection);
        while (parser_.Token() != '>') {
          parser_.CheckTokenSymbol("item");
          parser_.NextToken();
          std::optional<int32_t> order = ConvertOrderModifier();
          if (order && *order != -1) WriteInteger(*order);
          WriteByte(vaList);
          while (!parser_.TokenSymbolIs("end")) ConvertProperty();
          WriteByte(vaNull);
          parser_.NextToken();
        }
        WriteByte(vaNull);
        Leave();
        break;
      default: parser_.Error(kSInvalidProperty);
    }
    parser_.NextToken();
  }

  void ConvertObject() {
    Enter();
    uint8_t kind = parser_.TokenSymbolIs("INHERITED") ? 1 : parser_.TokenSymbolIs("INLINE") ? 4 : 0;
    if (kind == 0) parser_.CheckTokenSymbol("OBJECT");
    parser_.NextToken();
    ConvertHeader(kind);
    while (!AtObjectStartOrEnd()) ConvertProperty();
    WriteByte(0);
    while (!parser_.TokenSymbolIs("END")) ConvertObject();
    WriteByte(0);
    parser_.NextToken();
    Leave();
  }

  TParser parser_;
  TByteWriter out_;
  int depth_ = 0;
};

// The root's class name, read back from a stream this program just wrote.
std::string_view StreamClassName(std::string_view stream) {
  TByteReader<EReadError> reader(stream, kSReadError);
  reader.Seek(4);
  if ((reader.Peek() & 0xF0) == 0xF0 && (reader.U8() & 2)) {
    switch (reader.U8()) {
      case vaInt8: reader.Skip(1); break;
      case vaInt16: reader.Skip(2); break;
      default: reader.Skip(4); break;
    }
  }
  return reader.ShortString();
}

}  // namespace

void TextToBinary(std::string_view input, std::string& output, int codePage) {
  TTextToBinary(input, output, codePage).Convert();
}

std::string TextToBinary(std::string_view input, int codePage) {
  std::string out;
  TextToBinary(input, out, codePage);
  return out;
}

void TextToResource(std::string_view input, std::string& output) {
  std::string stream = TextToBinary(input);
  TByteWriter out(output);
  out.U8(0xFF);
  out.U16(10);
  out.Bytes(UpperCaseAscii(StreamClassName(stream)));
  out.U8(0);
  out.U16(0x1030);
  out.U32(static_cast<uint32_t>(stream.size()));
  out.Bytes(stream);
}

std::string TextToResource(std::string_view input) {
  std::string out;
  TextToResource(input, out);
  return out;
}

}  // namespace kst
