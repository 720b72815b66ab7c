// Stream building, stream and tree comparison, corpus discovery.
#include "form_test_support.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>

#include "config/text_helpers.h"
#include "platform/byte_reader.h"
#include "formmodel/extended_float.h"
#include "formmodel/form_conversion.h"
#include "formmodel/form_errors.h"
#include "platform/file_utils.h"
#include "platform/same_text.h"
#include "support/test_support.h"

namespace kst::test {

TStreamBuilder& TStreamBuilder::Raw(std::string_view bytes) {
  bytes_ += bytes;
  return *this;
}
TStreamBuilder& TStreamBuilder::Byte(uint8_t b) {
  bytes_ += static_cast<char>(b);
  return *this;
}
TStreamBuilder& TStreamBuilder::Int32Raw(uint32_t v) {
  for (int i = 0; i < 4; ++i) Byte(static_cast<uint8_t>(v >> (8 * i)));
  return *this;
}
TStreamBuilder& TStreamBuilder::Str(std::string_view s) {
  Byte(static_cast<uint8_t>(s.size()));
  return Raw(s);
}
TStreamBuilder& TStreamBuilder::Int(int32_t v) {
  if (v >= -128 && v <= 127) return Byte(vaInt8).Byte(static_cast<uint8_t>(v));
  if (v >= -32768 && v <= 32767) return Byte(vaInt16).Byte(static_cast<uint8_t>(v)).Byte(static_cast<uint8_t>(v >> 8));
  return Byte(vaInt32).Int32Raw(static_cast<uint32_t>(v));
}
TStreamBuilder& TStreamBuilder::String(std::string_view s) {
  if (s.size() <= 255) return Byte(vaString).Str(s);
  return Byte(vaLString).Int32Raw(static_cast<uint32_t>(s.size())).Raw(s);
}
TStreamBuilder& TStreamBuilder::Ident(std::string_view s) { return Byte(vaIdent).Str(s); }
TStreamBuilder& TStreamBuilder::Binary(std::string_view b) {
  return Byte(vaBinary).Int32Raw(static_cast<uint32_t>(b.size())).Raw(b);
}
TStreamBuilder& TStreamBuilder::Extended(long double v) {
  auto bytes = EncodeExtended(v);
  return Byte(vaExtended).Raw(std::string_view(bytes.data(), bytes.size()));
}
std::string TStreamBuilder::Resource(std::string_view className) const {
  std::string out("\xFF\x0A\x00", 3);
  out += UpperCaseAscii(className);
  out += '\0';
  out += "\x30\x10";
  for (int i = 0; i < 4; ++i) out += static_cast<char>((bytes_.size() >> (8 * i)) & 0xFF);
  return out + bytes_;
}

std::string ToHex(std::string_view bytes) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (char c : bytes) {
    out += kHex[static_cast<uint8_t>(c) >> 4];
    out += kHex[static_cast<uint8_t>(c) & 15];
  }
  return out;
}

namespace {

// A decoded value: numbers as long double, everything else as text.
struct TValue {
  enum Kind { Number, Text, Ident, Binary, Set, List, Collection } kind = Number;
  long double number = 0;
  bool isFloat = false;
  std::string text;
  std::vector<TValue> elements;
  struct Item {
    bool hasIndex = false;
    long double index = 0;
    std::vector<std::pair<std::string, TValue>> properties;
  };
  std::vector<Item> items;
};

struct TObject {
  int flags = 0;
  long double position = 0;
  std::string cls, name;
  std::vector<std::pair<std::string, TValue>> properties;
  std::vector<std::unique_ptr<TObject>> children;
};

class TDecoder {
public:
  explicit TDecoder(std::string_view s) : r_(s, kSReadError) {}
  std::unique_ptr<TObject> Root() {
    r_.Chars(4);
    return Object();
  }

private:
  long double Integer(uint8_t type) {
    if (type == vaInt8) return r_.I8();
    if (type == vaInt16) return r_.I16();
    return r_.I32();
  }
  std::unique_ptr<TObject> Object() {
    auto o = std::make_unique<TObject>();
    if ((r_.Peek() & 0xF0) == 0xF0) {
      o->flags = r_.U8() & 0x0F;
      if (o->flags & 2) o->position = Integer(r_.U8());
      o->flags &= 3;
    }
    o->cls = r_.ShortString();
    o->name = r_.ShortString();
    while (r_.Peek()) {
      std::string name(r_.ShortString());
      o->properties.emplace_back(name, Value());
    }
    r_.U8();
    while (r_.Peek()) o->children.push_back(Object());
    r_.U8();
    return o;
  }
  TValue Value() {
    TValue v;
    uint8_t type = r_.U8();
    switch (type) {
      case vaInt8:
      case vaInt16:
      case vaInt32: v.number = Integer(type); break;
      case vaExtended:
        v.number = DecodeExtended(r_.Chars(10));
        v.isFloat = true;
        break;
      case vaString: v.kind = TValue::Text; v.text = r_.ShortString(); break;
      case vaLString: v.kind = TValue::Text; v.text = r_.Chars(r_.U32()); break;
      case vaIdent: v.kind = TValue::Ident; v.text = r_.ShortString(); break;
      case vaFalse: v.kind = TValue::Ident; v.text = "False"; break;
      case vaTrue: v.kind = TValue::Ident; v.text = "True"; break;
      case vaNil: v.kind = TValue::Ident; v.text = "nil"; break;
      case vaBinary: v.kind = TValue::Binary; v.text = r_.Chars(r_.U32()); break;
      case vaSet:
        v.kind = TValue::Set;
        for (std::string_view n; !(n = r_.ShortString()).empty();) v.text += std::string(n) + ",";
        break;
      case vaList:
        v.kind = TValue::List;
        while (r_.Peek()) v.elements.push_back(Value());
        r_.U8();
        break;
      case vaCollection:
        v.kind = TValue::Collection;
        while (r_.Peek()) {
          TValue::Item item;
          uint8_t t = r_.Peek();
          if (t == vaInt8 || t == vaInt16 || t == vaInt32) {
            item.hasIndex = true;
            item.index = Integer(r_.U8());
          }
          if (r_.U8() != vaList) throw std::runtime_error("item without list");
          while (r_.Peek()) {
            std::string name(r_.ShortString());
            item.properties.emplace_back(name, Value());
          }
          r_.U8();
          v.items.push_back(std::move(item));
        }
        r_.U8();
        break;
      default: throw std::runtime_error("value type " + std::to_string(type));
    }
    return v;
  }
  TByteReader<EReadError> r_;
};

bool SameNumber(long double a, long double b, double tolerance) {
  if (a == b) return true;
  long double scale = std::max(std::fabs(a), std::fabs(b));
  return std::fabs(a - b) <= tolerance * scale;
}

std::string Diff(const std::string& where, const TValue& a, const TValue& b, double tol);

std::string DiffProps(const std::string& where, const std::vector<std::pair<std::string, TValue>>& a,
                      const std::vector<std::pair<std::string, TValue>>& b, double tol) {
  if (a.size() != b.size()) return where + ": property count " + std::to_string(a.size()) + " vs " + std::to_string(b.size());
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i].first != b[i].first) return where + ": property " + a[i].first + " vs " + b[i].first;
    std::string d = Diff(where + "." + a[i].first, a[i].second, b[i].second, tol);
    if (!d.empty()) return d;
  }
  return {};
}

std::string Diff(const std::string& where, const TValue& a, const TValue& b, double tol) {
  if (a.kind != b.kind) return where + ": kind differs";
  switch (a.kind) {
    case TValue::Number:
      if (!SameNumber(a.number, b.number, (a.isFloat || b.isFloat) ? tol : 0))
        return where + ": " + std::to_string(static_cast<double>(a.number)) + " vs " +
               std::to_string(static_cast<double>(b.number));
      return {};
    case TValue::List:
      if (a.elements.size() != b.elements.size()) return where + ": element count";
      for (size_t i = 0; i < a.elements.size(); ++i) {
        std::string d = Diff(where + "[" + std::to_string(i) + "]", a.elements[i], b.elements[i], tol);
        if (!d.empty()) return d;
      }
      return {};
    case TValue::Collection:
      if (a.items.size() != b.items.size()) return where + ": item count";
      for (size_t i = 0; i < a.items.size(); ++i) {
        if (a.items[i].hasIndex != b.items[i].hasIndex || a.items[i].index != b.items[i].index)
          return where + ": item index";
        std::string d = DiffProps(where + "[" + std::to_string(i) + "]", a.items[i].properties, b.items[i].properties, tol);
        if (!d.empty()) return d;
      }
      return {};
    default:
      if (a.text != b.text) return where + ": '" + a.text + "' vs '" + b.text + "'";
      return {};
  }
}

std::string DiffObjects(const std::string& where, const TObject& a, const TObject& b, double tol) {
  std::string here = where + "/" + a.name + ":" + a.cls;
  if (a.cls != b.cls || a.name != b.name) return here + ": header vs " + b.name + ":" + b.cls;
  if (a.flags != b.flags || a.position != b.position) return here + ": prefix";
  std::string d = DiffProps(here, a.properties, b.properties, tol);
  if (!d.empty()) return d;
  if (a.children.size() != b.children.size()) return here + ": child count";
  for (size_t i = 0; i < a.children.size(); ++i) {
    d = DiffObjects(here, *a.children[i], *b.children[i], tol);
    if (!d.empty()) return d;
  }
  return {};
}

// Tree values: integers and floats both as numbers.
std::string DiffTreeValue(const std::string& where, const TCHValue& a, const TCHValue& b, double tol);

std::string DiffTreeNode(const std::string& where, const TComponentHelper& a, const TComponentHelper& b, double tol) {
  std::string here = where + "/" + a.Name + ":" + a.ClassName;
  if (!SameText(a.Name, b.Name) || a.ClassName != b.ClassName) return here + ": header vs " + b.Name + ":" + b.ClassName;
  if (a.IsInherited != b.IsInherited) return here + ": inherited";
  if (a.Index != b.Index) return here + ": index";
  if (a.Position != b.Position) return here + ": position";
  if (a.Properties.size() != b.Properties.size()) return here + ": property count";
  for (size_t i = 0; i < a.Properties.size(); ++i) {
    if (a.Properties[i]->Name != b.Properties[i]->Name) return here + ": property name " + a.Properties[i]->Name;
    std::string d = DiffTreeValue(here + "." + a.Properties[i]->Name, *a.Properties[i], *b.Properties[i], tol);
    if (!d.empty()) return d;
  }
  if (a.Children.size() != b.Children.size()) return here + ": child count";
  for (size_t i = 0; i < a.Children.size(); ++i) {
    std::string d = DiffTreeNode(here, *a.Children[i], *b.Children[i], tol);
    if (!d.empty()) return d;
  }
  return {};
}

bool IsNumber(TPropertyType t) { return t == ptInteger || t == ptFloat; }

long double NumberOf(const TCHValue& v) {
  const std::string& t = v.OriginalValue;
  if (!t.empty() && t[0] == '$') return static_cast<int32_t>(std::stoul(t.substr(1), nullptr, 16));
  return ParseExtended(t).value_or(NAN);
}

std::string DiffTreeValue(const std::string& where, const TCHValue& a, const TCHValue& b, double tol) {
  if (IsNumber(a.PropertyType) && IsNumber(b.PropertyType)) {
    bool anyFloat = a.PropertyType == ptFloat || b.PropertyType == ptFloat;
    if (!SameNumber(NumberOf(a), NumberOf(b), anyFloat ? tol : 0))
      return where + ": " + a.OriginalValue + " vs " + b.OriginalValue;
    return {};
  }
  if (a.PropertyType != b.PropertyType)
    return where + ": type " + PropertyTypeName(a.PropertyType) + " vs " + PropertyTypeName(b.PropertyType);
  if (a.OriginalValue != b.OriginalValue) return where + ": '" + a.OriginalValue + "' vs '" + b.OriginalValue + "'";
  if (a.ListValues.size() != b.ListValues.size()) return where + ": element count";
  for (size_t i = 0; i < a.ListValues.size(); ++i) {
    std::string d = DiffTreeValue(where + "[" + std::to_string(i) + "]", *a.ListValues[i], *b.ListValues[i], tol);
    if (!d.empty()) return d;
  }
  if (a.CollectionItems.size() != b.CollectionItems.size()) return where + ": item count";
  for (size_t i = 0; i < a.CollectionItems.size(); ++i) {
    std::string d = DiffTreeNode(where + "[" + std::to_string(i) + "]", *a.CollectionItems[i], *b.CollectionItems[i], tol);
    if (!d.empty()) return d;
  }
  return {};
}

}  // namespace

std::string CompareStreams(std::string_view a, std::string_view b, double tolerance) {
  auto ta = TDecoder(a).Root();
  auto tb = TDecoder(b).Root();
  return DiffObjects("", *ta, *tb, tolerance);
}

std::string CompareTrees(const TComponentHelper& a, const TComponentHelper& b, double tolerance) {
  return DiffTreeNode("", a, b, tolerance);
}

TCorpusForms FindCorpusForms() {
  TCorpusForms forms;
  auto shared = SharedDir();
  if (!shared) return forms;
  forms.root = *shared + "/corpus";
  if (!DirectoryExists(forms.root)) return forms;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(forms.root)) {
    if (!entry.is_regular_file() || !SameText(entry.path().extension().string(), ".dfm")) continue;
    std::string path = entry.path().string();
    std::string head = ReadFileBytes(path).substr(0, 3);
    (head == std::string("\xFF\x0A\x00", 3) ? forms.binary : forms.text).push_back(path);
  }
  std::sort(forms.binary.begin(), forms.binary.end());
  std::sort(forms.text.begin(), forms.text.end());
  return forms;
}

}  // namespace kst::test
