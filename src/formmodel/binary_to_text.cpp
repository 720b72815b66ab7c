// Component stream to form text: the layout of the Delphi 3 converter (two
// blanks a level, strings cut at 64 characters, binary in 32-byte chunks).
#include <bit>
#include <cstdint>
#include <cstdio>
#include <string>
#include <type_traits>

#include "formmodel/extended_float.h"
#include "formmodel/form_conversion.h"
#include "formmodel/form_errors.h"
#include "platform/byte_reader.h"
#include "platform/codepage.h"

namespace kst {

std::string ValueTypeName(uint8_t type) {
  static const char* const kNames[] = {"vaNull",   "vaList",   "vaInt8",     "vaInt16",   "vaInt32",     "vaExtended",
                                       "vaString", "vaIdent",  "vaFalse",    "vaTrue",    "vaBinary",    "vaSet",
                                       "vaLString", "vaNil",   "vaCollection", "vaSingle", "vaCurrency", "vaDate",
                                       "vaWString", "vaInt64", "vaUTF8String", "vaDouble"};
  if (type < sizeof kNames / sizeof kNames[0]) return kNames[type];
  return "value type " + std::to_string(type);
}

size_t ResourceStreamOffset(std::string_view input) {
  TByteReader<EReadError> header(input, kSInvalidImage);
  if (header.U8() != 0xFF || header.U16() != 10) header.Fail();
  // The name is looked for up to its NUL wherever that is: reading only the
  // first 79 bytes would misplace the stream of a class name of 76
  // characters or more, which the writer makes without complaint.
  size_t nul = input.find('\0', 3);
  if (nul == std::string_view::npos) throw EReadError(kSInvalidImage);
  return nul + 7;
}

namespace {

class TBinaryToText {
public:
  TBinaryToText(std::string_view input, size_t start, std::string& out) : reader_(input, kSReadError), out_(out) {
    reader_.Seek(static_cast<int64_t>(start));
  }

  void Convert() {
    if (reader_.Remaining() < 4 || reader_.Chars(4) != "TPF0") throw EReadError(kSInvalidImage);
    ConvertObject();
  }

private:
  void WriteIndent() { out_.append(2 * static_cast<size_t>(level_), ' '); }
  void NewLine() {
    out_ += "\r\n";
    WriteIndent();
  }

  void Enter() {
    if (++depth_ > kMaxFormNesting) throw EReadError(kSNestingTooDeep);
  }
  void Leave() { --depth_; }

  int32_t ReadInteger() {
    uint8_t type = reader_.U8();
    switch (type) {
      case vaInt8: return reader_.I8();
      case vaInt16: return reader_.I16();
      case vaInt32: return reader_.I32();
      default: throw EReadError(kSInvalidProperty);
    }
  }

  void ConvertObject() {
    Enter();
    uint8_t flags = 0;
    int32_t position = 0;
    if ((reader_.Peek() & 0xF0) == 0xF0) {
      flags = reader_.U8() & 0x0F;
      if (flags & 2) position = ReadInteger();
    }
    std::string_view className = reader_.ShortString();
    std::string_view objectName = reader_.ShortString();
    WriteIndent();
    // An inherited frame carries flags 1 and 4; the text has one keyword
    // and "inherited" is the one that must stay, as in Delphi's converter.
    out_ += (flags & 1) ? "inherited " : (flags & 4) ? "inline " : "object ";
    if (!objectName.empty()) {
      out_ += objectName;
      out_ += ": ";
    }
    out_ += className;
    if (flags & 2) {
      out_ += " [";
      out_ += std::to_string(position);
      out_ += "]";
    }
    out_ += "\r\n";
    ++level_;
    while (reader_.Peek() != 0) ConvertProperty();
    reader_.U8();
    while (reader_.Peek() != 0) ConvertObject();
    reader_.U8();
    --level_;
    WriteIndent();
    out_ += "end\r\n";
    Leave();
  }

  void ConvertProperty() {
    WriteIndent();
    out_ += reader_.ShortString();
    out_ += " = ";
    ConvertValue();
    out_ += "\r\n";
  }

  // A string as quoted runs of the characters `quoted(i)` allows and "#"
  // codes (with `mark` before the number) for the others; a line holds 64
  // characters, and a longer string starts on a line of its own.
  template <typename Char, typename Quoted>
  void ConvertRuns(std::basic_string_view<Char> s, Quoted quoted, const char* mark) {
    constexpr size_t kLineLength = 64;
    if (s.empty()) {
      out_ += "''";
      return;
    }
    ++level_;
    if (s.size() > kLineLength) NewLine();
    size_t i = 0, lineStart = 0;
    do {
      bool lineBreak = false;
      if (quoted(i)) {
        size_t j = i;
        do ++i;
        while (i < s.size() && quoted(i) && i - lineStart < kLineLength);
        if (i - lineStart >= kLineLength) lineBreak = true;
        out_ += '\'';
        if constexpr (sizeof(Char) == 1) {
          out_.append(s.data() + j, i - j);
        } else {
          for (size_t k = j; k < i; ++k) out_ += static_cast<char>(s[k]);  // ASCII
        }
        out_ += '\'';
      } else {
        out_ += '#';
        out_ += mark;
        out_ += std::to_string(static_cast<unsigned>(static_cast<std::make_unsigned_t<Char>>(s[i])));
        ++i;
        if (i - lineStart >= kLineLength) lineBreak = true;
      }
      if (lineBreak && i < s.size()) {
        out_ += " +";
        NewLine();
        lineStart = i;
      }
    } while (i < s.size());
    --level_;
  }

  void ConvertString(std::string_view s) {
    ConvertRuns(s, [s](size_t i) { return static_cast<uint8_t>(s[i]) >= 32 && s[i] != '\''; }, "");
  }

  // A wide or UTF-8 string: printable ASCII quoted, every other character
  // as its code, each code marked with the zeros of the string's type (see
  // form_conversion.h). Without any code the type would not show, so then
  // the first character is one.
  void ConvertWideString(std::u16string_view s, uint8_t type) {
    auto printable = [](char16_t c) { return c >= 32 && c <= 126 && c != '\''; };
    bool anyCode = false;
    for (char16_t c : s) anyCode = anyCode || !printable(c);
    ConvertRuns(s, [&](size_t i) { return printable(s[i]) && (anyCode || i > 0); }, type == vaWString ? "0" : "00");
  }

  void ConvertBinary() {
    static const char kHex[] = "0123456789ABCDEF";
    uint32_t count = reader_.U32();
    std::string_view bytes = reader_.Chars(count);
    out_ += '{';
    ++level_;
    bool multiLine = count >= 32;
    for (size_t at = 0; at < bytes.size(); at += 32) {
      if (multiLine) NewLine();
      size_t n = bytes.size() - at < 32 ? bytes.size() - at : 32;
      for (size_t k = 0; k < n; ++k) {
        uint8_t b = static_cast<uint8_t>(bytes[at + k]);
        out_ += kHex[b >> 4];
        out_ += kHex[b & 15];
      }
    }
    --level_;
    out_ += '}';
  }

  void ConvertValue() {
    uint8_t type = reader_.U8();
    switch (type) {
      case vaList:
        Enter();
        out_ += '(';
        ++level_;
        while (reader_.Peek() != vaNull) {
          NewLine();
          ConvertValue();
        }
        reader_.U8();
        --level_;
        out_ += ')';
        Leave();
        break;
      case vaInt8: out_ += std::to_string(reader_.I8()); break;
      case vaInt16: out_ += std::to_string(reader_.I16()); break;
      case vaInt32: out_ += std::to_string(reader_.I32()); break;
      case vaExtended: {
        std::string text = FormatExtended(DecodeExtended(reader_.Chars(10)));
        // A whole number beyond 32 bits would read back as vaInt64, which
        // Delphi 3 programs cannot load; ".0" keeps it a float.
        if (text.find_first_not_of("-0123456789") == std::string::npos && text.size() >= 10) {
          const long long whole = std::stoll(text);
          if (whole < INT32_MIN || whole > INT32_MAX) text += ".0";
        }
        out_ += text;
        break;
      }
      case vaSingle: out_ += FormatExtended(std::bit_cast<float>(reader_.U32())) + "s"; break;
      case vaCurrency: {
        // The amount times 10,000, as Delphi's text has it. Past 15 digits
        // the general format would round the amount, so all digits are
        // written: a float token that reads back exactly.
        int64_t scaled = reader_.I64();
        std::string text = FormatExtended(static_cast<long double>(scaled));
        if (ParseExtended(text) != static_cast<long double>(scaled)) text = std::to_string(scaled);
        out_ += text + "c";
        break;
      }
      case vaDate: out_ += FormatExtended(std::bit_cast<double>(reader_.U64())) + "d"; break;
      case vaInt64: out_ += std::to_string(reader_.I64()); break;
      case vaString: ConvertString(reader_.ShortString()); break;
      case vaLString: {
        uint32_t length = reader_.U32();
        ConvertString(reader_.Chars(length));
        break;
      }
      case vaWString: {
        uint32_t length = reader_.U32();
        ConvertWideString(reader_.Utf16(length), vaWString);
        break;
      }
      case vaUTF8String: {
        uint32_t length = reader_.U32();
        std::string_view utf8 = reader_.Chars(length);
        std::u16string text = Utf8ToUtf16(utf8);
        // Bytes that are no UTF-8 would come back as other characters.
        if (Utf16ToUtf8(text) != utf8) throw EReadError(kSInvalidProperty);
        ConvertWideString(text, vaUTF8String);
        break;
      }
      case vaIdent: out_ += reader_.ShortString(); break;
      case vaFalse: out_ += "False"; break;
      case vaTrue: out_ += "True"; break;
      case vaNil: out_ += "nil"; break;
      case vaBinary: ConvertBinary(); break;
      case vaSet: {
        out_ += '[';
        for (int n = 0;; ++n) {
          std::string_view name = reader_.ShortString();
          if (name.empty()) break;
          if (n > 0) out_ += ", ";
          out_ += name;
        }
        out_ += ']';
        break;
      }
      case vaCollection:
        Enter();
        out_ += '<';
        ++level_;
        while (reader_.Peek() != vaNull) {
          NewLine();
          out_ += "item";
          uint8_t next = reader_.Peek();
          if (next == vaInt8 || next == vaInt16 || next == vaInt32) {
            out_ += " [";
            out_ += std::to_string(ReadInteger());
            out_ += ']';
          }
          out_ += "\r\n";
          if (reader_.U8() != vaList) throw EReadError(kSInvalidProperty);
          ++level_;
          while (reader_.Peek() != vaNull) ConvertProperty();
          reader_.U8();
          --level_;
          WriteIndent();
          out_ += "end";
        }
        reader_.U8();
        --level_;
        out_ += '>';
        Leave();
        break;
      default:
        // Wide and UTF-8 strings (and types of versions after Delphi 7) need
        // a code page the 8-bit form text does not have; naming the type
        // tells the user why the form cannot be read.
        throw EReadError(std::string(kSInvalidProperty) + ": " + ValueTypeName(type) + " (" + std::to_string(type) +
                         ") is not supported");
    }
  }

  TByteReader<EReadError> reader_;
  std::string& out_;
  int level_ = 0;
  int depth_ = 0;
};

}  // namespace

void BinaryToText(std::string_view input, std::string& output) { TBinaryToText(input, 0, output).Convert(); }

std::string BinaryToText(std::string_view input) {
  std::string out;
  BinaryToText(input, out);
  return out;
}

void ResourceToText(std::string_view input, std::string& output) {
  size_t start = ResourceStreamOffset(input);
  if (start > input.size()) throw EReadError(kSInvalidImage);
  TBinaryToText(input, start, output).Convert();
}

std::string ResourceToText(std::string_view input) {
  std::string out;
  ResourceToText(input, out);
  return out;
}

}  // namespace kst
