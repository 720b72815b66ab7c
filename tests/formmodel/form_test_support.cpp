// The value listings that streams and trees are compared by, and the corpus forms.
#include "form_test_support.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <limits>

#include "config/text_helpers.h"
#include "formmodel/extended_float.h"
#include "formmodel/form_conversion.h"
#include "formmodel/form_errors.h"
#include "platform/byte_reader.h"
#include "platform/codepage.h"
#include "platform/file_utils.h"
#include "platform/same_text.h"
#include "support/test_support.h"

namespace kst::test {

std::string ToHex(std::string_view bytes) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (char c : bytes) out += std::string{kHex[static_cast<uint8_t>(c) >> 4], kHex[static_cast<uint8_t>(c) & 15]};
  return out;
}

namespace {

// A number as form text keeps it: 15 significant digits.
std::string Number(long double v) {
  char text[64];
  std::snprintf(text, sizeof text, "%.15Lg", v);
  return text;
}

// Integers past 15 digits come only from 64-bit values, whose every digit counts.
std::string Whole(int64_t n) {
  return n > -1000000000000000 && n < 1000000000000000 ? Number(static_cast<long double>(n)) : std::to_string(n);
}

// One line per object and value of a stream: "/Name:Class.Prop[1] = value".
class TStreamListing {
public:
  TStreamListing(std::string_view stream, bool floatWidths) : r_(stream, kSReadError), floatWidths_(floatWidths) {
    r_.Chars(4);
    Object("");
  }
  std::vector<std::string> lines;

private:
  std::string Width(char letter) const { return floatWidths_ ? std::string(1, letter) : ""; }
  // A string with its type: none for 8-bit, W wide, U UTF-8 (an empty one has no type to keep). By
  // value (no widths), every string is its characters, 8-bit ones read in 1252.
  std::string Text(const char* type, std::string_view bytes) const {
    if (!floatWidths_) return "'" + (*type ? std::string(bytes) : CodePageToUtf8(bytes, 1252)) + "'";
    return (bytes.empty() ? "" : type) + ("'" + std::string(bytes) + "'");
  }
  long double Integer(uint8_t type) { return type == vaInt8 ? r_.I8() : type == vaInt16 ? r_.I16() : r_.I32(); }
  bool AtInteger() const { return r_.Peek() == vaInt8 || r_.Peek() == vaInt16 || r_.Peek() == vaInt32; }
  void Properties(const std::string& where) {
    while (r_.Peek()) Value(where + "." + std::string(r_.ShortString()));
    r_.U8();
  }
  void Object(const std::string& parent) {
    std::string prefix;
    if ((r_.Peek() & 0xF0) == 0xF0) {
      int flags = r_.U8() & 0x0F;
      if (flags & 7) prefix = " flags " + std::to_string(flags & 7);
      if (flags & 2) prefix += " position " + Number(Integer(r_.U8()));
    }
    std::string cls(r_.ShortString());
    std::string here = parent + "/" + std::string(r_.ShortString()) + ":" + cls;
    lines.push_back(here + prefix);
    Properties(here);
    while (r_.Peek()) Object(here);
    r_.U8();
  }
  void Value(const std::string& where) {
    uint8_t type = r_.U8();
    auto add = [&](const std::string& value) { lines.push_back(where + " = " + value); };
    std::string set;
    switch (type) {
      case vaInt8: case vaInt16: case vaInt32: return add(Number(Integer(type)));
      case vaExtended: return add(Number(DecodeExtended(r_.Chars(10))));
      case vaSingle: return add(Number(std::bit_cast<float>(r_.U32())) + Width('s'));
      case vaCurrency: return add(Number(static_cast<long double>(r_.I64())) + Width('c'));
      case vaDate: return add(Number(std::bit_cast<double>(r_.U64())) + Width('d'));
      case vaInt64: return add(Whole(r_.I64()));
      case vaString: return add(Text("", r_.ShortString()));
      case vaLString: return add(Text("", r_.Chars(r_.U32())));
      case vaWString: return add(Text("W", Utf16ToUtf8(r_.Utf16(r_.U32()))));
      case vaUTF8String: return add(Text("U", r_.Chars(r_.U32())));
      case vaIdent: return add(std::string(r_.ShortString()));
      case vaFalse: return add("False");
      case vaTrue: return add("True");
      case vaNil: return add("nil");
      case vaBinary: return add("{" + ToHex(r_.Chars(r_.U32())) + "}");
      case vaSet:
        for (std::string_view n; !(n = r_.ShortString()).empty();) set += std::string(n) + ",";
        return add("[" + set + "]");
      case vaList:
        add("(");
        for (int i = 0; r_.Peek(); ++i) Value(where + "[" + std::to_string(i) + "]");
        r_.U8();
        return;
      case vaCollection:
        add("<");
        for (int i = 0; r_.Peek(); ++i) {
          std::string item = where + "[" + std::to_string(i) + "]";
          lines.push_back(item + (AtInteger() ? " index " + Number(Integer(r_.U8())) : ""));
          if (r_.U8() != vaList) throw std::runtime_error(item + ": an item without its list");
          Properties(item);
        }
        r_.U8();
        return;
      default: throw std::runtime_error(where + ": value type " + std::to_string(type));
    }
  }
  TByteReader<EReadError> r_;
  bool floatWidths_;
};

// The number and, for a float with a width letter, the letter in lower case.
std::string NumberOf(const TCHValue& v) {
  std::string t = v.OriginalValue;
  if (!t.empty() && t[0] == '$') return Number(static_cast<int32_t>(std::stoul(t.substr(1), nullptr, 16)));
  int64_t whole = 0;
  if (v.PropertyType == ptInteger && std::from_chars(t.data(), t.data() + t.size(), whole).ptr == t.data() + t.size())
    return Whole(whole);
  std::string letter;
  if (!t.empty() && std::string_view("sScCdD").find(t.back()) != std::string_view::npos) {
    letter = static_cast<char>(t.back() | 0x20);
    t.pop_back();
  }
  return Number(ParseExtended(t).value_or(std::numeric_limits<long double>::quiet_NaN())) + letter;
}

void TreeLines(const TComponentHelper& c, const std::string& parent, std::vector<std::string>& out);

void ValueLines(const std::string& where, const TCHValue& v, std::vector<std::string>& out) {
  bool number = v.PropertyType == ptInteger || v.PropertyType == ptFloat;
  out.push_back(where + " = " + (number ? NumberOf(v) : PropertyTypeName(v.PropertyType) + (" " + v.OriginalValue)));
  for (size_t i = 0; i < v.ListValues.size(); ++i) ValueLines(where + "[" + std::to_string(i) + "]", *v.ListValues[i], out);
  for (size_t i = 0; i < v.CollectionItems.size(); ++i)
    TreeLines(*v.CollectionItems[i], where + "[" + std::to_string(i) + "]", out);
}

// Component names compare without regard to case, as Delphi finds them.
void TreeLines(const TComponentHelper& c, const std::string& parent, std::vector<std::string>& out) {
  std::string here = parent + "/" + UpperCaseAscii(c.Name) + ":" + c.ClassName;
  out.push_back(here + (c.IsInherited ? " inherited" : "") + (c.IsInline ? " inline" : "") + " index " +
                std::to_string(c.Index) + " position " + std::to_string(c.Position));
  for (const auto& p : c.Properties) ValueLines(here + "." + p->Name, *p, out);
  for (const auto& child : c.Children) TreeLines(*child, here, out);
}

std::string FirstDifference(const std::vector<std::string>& a, const std::vector<std::string>& b) {
  auto [x, y] = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
  if (x == a.end() && y == b.end()) return "";
  return (x == a.end() ? "(end)" : *x) + "  vs  " + (y == b.end() ? "(end)" : *y);
}

}  // namespace

std::string CompareStreams(std::string_view a, std::string_view b, bool floatWidths) {
  return FirstDifference(TStreamListing(a, floatWidths).lines, TStreamListing(b, floatWidths).lines);
}

std::string CompareTrees(const TComponentHelper& a, const TComponentHelper& b) {
  std::vector<std::string> x, y;
  TreeLines(a, "", x);
  TreeLines(b, "", y);
  return FirstDifference(x, y);
}

}  // namespace kst::test
