// The language-module check: every resource of the module is accounted for
// by the project (forms, string tables, version resource, custom resources),
// and each holds what the project says, compared as values.
#include "build/module_verify.h"

#include <charconv>
#include <cmath>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>

#include "build/pe_writer.h"
#include "build/resource_linker.h"
#include "config/language_info.h"
#include "config/text_helpers.h"
#include "formmodel/extended_float.h"
#include "formmodel/form_conversion.h"
#include "formmodel/form_errors.h"
#include "formmodel/form_reader.h"
#include "peresources/exe_file.h"
#include "platform/byte_reader.h"
#include "platform/codepage.h"
#include "platform/file_utils.h"
#include "platform/same_text.h"
#include "project/project_data.h"
#include "project/version_info.h"

namespace kst {

namespace {

constexpr int64_t kStringTable = 6;
// A damaged module could differ everywhere; the first ones of a form say
// enough.
constexpr size_t kMaxPerForm = 20;

// A resource by type, name and language as text: "#10", "TFORM1", "0407".
struct TResKey {
  std::string type, name;
  uint16_t language = 0;
  auto operator<=>(const TResKey&) const = default;
};

std::string IdText(bool named, int64_t id, const std::u16string& name) {
  return named ? Utf16ToUtf8(name) : "#" + std::to_string(id);
}
std::string IdText(const TResId& id) { return IdText(!id.numeric, id.id, id.name); }

std::string Describe(const TResKey& key) {
  char lang[8];
  std::snprintf(lang, sizeof lang, "%04X", key.language);
  return "resource type " + key.type + ", name " + key.name + ", language " + lang;
}

std::string Quoted(std::string_view text) { return "'" + EncodeEscapes(text) + "'"; }

// "$FF" and "255" are one number; "$FFFFFFFF" is -1, as Delphi reads it.
std::optional<int64_t> IntegerValue(std::string_view t) {
  if (t.empty()) return std::nullopt;
  if (t[0] == '$') {
    if (t.size() == 1 || t.size() > 9) return std::nullopt;
    uint32_t v = 0;
    for (char c : t.substr(1)) {
      int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
      if (d < 0) return std::nullopt;
      v = v * 16 + static_cast<uint32_t>(d);
    }
    return static_cast<int32_t>(v);
  }
  int64_t v = 0;
  auto [end, error] = std::from_chars(t.data(), t.data() + t.size(), v);
  if (error != std::errc() || end != t.data() + t.size()) return std::nullopt;
  return v;
}

std::optional<long double> NumberValue(std::string_view t) {
  if (auto i = IntegerValue(t)) return static_cast<long double>(*i);
  return ParseExtended(t);
}

// The number and the width letter in lower case (0 for none).
std::pair<std::optional<long double>, char> FloatValue(std::string_view t) {
  char letter = 0;
  if (!t.empty() && std::string_view("sScCdD").find(t.back()) != std::string_view::npos) {
    letter = static_cast<char>(t.back() | 0x20);
    t.remove_suffix(1);
  }
  return {NumberValue(t), letter};
}

std::string WithoutBlanks(std::string_view t) {
  std::string out;
  for (char c : t)
    if (c != ' ') out += c;
  return out;
}

// Whether the module's value (as the form text reads it back) is the value
// the project's text means for a property of that type.
bool SameValue(TPropertyType type, const std::string& expected, const TCHValue& actual) {
  switch (type) {
    case ptInteger: {
      auto a = IntegerValue(expected), b = IntegerValue(actual.OriginalValue);
      return actual.PropertyType == ptInteger && a && b && *a == *b;
    }
    case ptFloat: {
      // Text keeps 15 significant digits, and an integral float reads back
      // as an integer.
      if (actual.PropertyType != ptFloat && actual.PropertyType != ptInteger) return false;
      // The width letter (1.5s, 15000c, 2.5d) names the stored type and
      // must come back as it was.
      auto [a, letterA] = FloatValue(expected);
      auto [b, letterB] = FloatValue(actual.OriginalValue);
      if (letterA != letterB) return false;
      if (!a || !b) return false;
      long double scale = std::max(std::fabs(*a), std::fabs(*b));
      return std::fabs(*a - *b) <= scale * 5e-15L;
    }
    case ptSymbol:
      if (actual.PropertyType != ptSymbol) return false;
      for (const char* fixed : {"True", "False", "nil"})
        if (SameText(expected, fixed)) return SameText(actual.OriginalValue, fixed);
      return expected == actual.OriginalValue;
    case ptSet: return actual.PropertyType == ptSet && WithoutBlanks(expected) == actual.OriginalValue;
    case ptBinary: return actual.PropertyType == ptBinary && SameText(expected, actual.OriginalValue);
    case ptString: return actual.PropertyType == ptString && expected == actual.OriginalValue;
    default: return false;
  }
}

class TFormComparison {
public:
  TFormComparison(std::string form, std::vector<TModuleDifference>& out, int codePage)
      : form_(std::move(form)), out_(out), codePage_(codePage) {}

  void Node(const TComponentHelper& want, const TComponentHelper& got, const std::string& prefix) {
    std::string base = prefix + want.Name;
    std::string where = base.empty() ? "(form)" : base;
    if (!SameText(want.Name, got.Name) || want.ClassName != got.ClassName) {
      Report(where, "the module has " + got.Name + ": " + got.ClassName + " where the form has " + want.Name + ": " +
                        want.ClassName);
      return;
    }
    if (want.IsInherited != got.IsInherited) Report(where, "inherited in one and not in the other");
    if (want.IsInline != got.IsInline) Report(where, "inline in one and not in the other");
    if (want.Position != got.Position)
      Report(where, "child position " + std::to_string(got.Position) + " in the module, " +
                        std::to_string(want.Position) + " in the form (-1: none)");
    Properties(want, got, base);
    size_t n = std::min(want.Children.size(), got.Children.size());
    if (want.Children.size() != got.Children.size())
      Report(where, std::to_string(got.Children.size()) + " components in the module, " +
                        std::to_string(want.Children.size()) + " in the form");
    for (size_t k = 0; k < n; ++k) {
      const TComponentHelper& child = *want.Children[k];
      Node(child, *got.Children[k], child.Name.empty() ? base + "{" + std::to_string(k) + "}" : std::string());
    }
  }

private:
  static bool Written(const TCHValue& value) { return !(value.UserDefined && !value.IsTranslated()); }

  void Properties(const TComponentHelper& want, const TComponentHelper& got, const std::string& base) {
    std::vector<const TCHPropertyItem*> expected;
    for (const auto& item : want.Properties)
      if (Written(*item)) expected.push_back(item.get());
    size_t n = std::min(expected.size(), got.Properties.size());
    for (size_t i = 0; i < n; ++i) {
      const TCHPropertyItem& w = *expected[i];
      const TCHPropertyItem& g = *got.Properties[i];
      std::string path = base + "." + w.Name;
      if (!SameText(w.Name, g.Name)) {
        Report(path, "the module has the property " + g.Name + " in its place");
        return;
      }
      Value(w, g, path);
    }
    for (size_t i = n; i < expected.size(); ++i) Report(base + "." + expected[i]->Name, "missing from the module");
    for (size_t i = n; i < got.Properties.size(); ++i)
      Report(base + "." + got.Properties[i]->Name, "in the module but not in the form");
  }

  void Value(const TCHValue& want, const TCHValue& got, const std::string& path) {
    switch (want.PropertyType) {
      case ptList: {
        if (got.PropertyType != ptList) return Report(path, "not a list in the module");
        std::vector<const TCHValue*> expected;
        for (const auto& e : want.ListValues)
          if (Written(*e)) expected.push_back(e.get());
        if (expected.size() != got.ListValues.size())
          Report(path, std::to_string(got.ListValues.size()) + " elements in the module, " +
                           std::to_string(expected.size()) + " expected");
        // Elements keep their numbers in the path: the skipped user-defined
        // ones come after the form's own.
        for (size_t k = 0; k < std::min(expected.size(), got.ListValues.size()); ++k)
          Value(*expected[k], *got.ListValues[k], path + "[" + std::to_string(k) + "]");
        return;
      }
      case ptCollection: {
        if (got.PropertyType != ptCollection) return Report(path, "not a collection in the module");
        if (want.CollectionItems.size() != got.CollectionItems.size())
          Report(path, std::to_string(got.CollectionItems.size()) + " items in the module, " +
                           std::to_string(want.CollectionItems.size()) + " expected");
        for (size_t k = 0; k < std::min(want.CollectionItems.size(), got.CollectionItems.size()); ++k) {
          const TComponentHelper& w = *want.CollectionItems[k];
          const TComponentHelper& g = *got.CollectionItems[k];
          std::string base = path + "[" + std::to_string(k) + "]";
          if (w.Index != g.Index) Report(base, "item index " + std::to_string(g.Index) + ", expected " + std::to_string(w.Index));
          Properties(w, g, base);
        }
        return;
      }
      default:
        if (want.WideKind != 0 && want.WideOriginal) return WideValue(want, got, path);
        if (!SameValue(want.PropertyType, want.TranslatedValue, got))
          Report(path, "the module has " + Quoted(got.OriginalValue) + ", the " +
                           (want.IsTranslated() ? "translation is " : "original is ") + Quoted(want.TranslatedValue));
    }
  }

  // A wide or UTF-8 string: its own type in the module and exactly the
  // characters of the original, or of the translation in the language's
  // code page. An empty one has no type to keep.
  void WideValue(const TCHValue& want, const TCHValue& got, const std::string& path) {
    const std::u16string expected =
        want.IsTranslated() ? CodePageToUtf16(want.TranslatedValue, codePage_) : *want.WideOriginal;
    const std::u16string actual = got.WideOriginal ? *got.WideOriginal : CodePageToUtf16(got.OriginalValue, codePage_);
    if (got.WideKind != want.WideKind && !expected.empty())
      Report(path, std::string("the module has ") + (got.WideKind == 0 ? "an 8-bit" : "another kind of") +
                       " string where the form has a " + (want.WideKind == kWideString ? "wide" : "UTF-8") + " one");
    else if (actual != expected)
      Report(path, "the module has " + Quoted(Utf16ToCodePage(actual, codePage_)) + ", the " +
                       (want.IsTranslated() ? "translation is " : "original is ") +
                       Quoted(Utf16ToCodePage(expected, codePage_)));
  }

  void Report(const std::string& path, std::string what) {
    if (++count_ > kMaxPerForm) return;
    if (count_ == kMaxPerForm) what += " (further differences of this form are not listed)";
    out_.push_back({form_ + ":" + path, std::move(what)});
  }

  std::string form_;
  std::vector<TModuleDifference>& out_;
  int codePage_;
  size_t count_ = 0;
};

template <typename F>
void ForEachLeaf(const TPEResourceDirectory& dir, F&& f) {
  for (int i = 0; i < dir.DataEntryCount(); ++i) f(dir.DataEntry(i));
  for (int i = 0; i < dir.SubdirectoryCount(); ++i) ForEachLeaf(dir.Subdirectory(i), f);
}

}  // namespace

std::vector<TModuleDifference> VerifyLanguageModule(TProjectData& project, int languageId,
                                                     const std::string& moduleFile) {
  std::vector<TModuleDifference> out;
  TExefile module(moduleFile, project.SystemCodePages().ansi);

  std::map<TResKey, std::span<const uint8_t>> leaves;
  std::map<int, const TPEStringResourceDataEntry*> blocks;
  ForEachLeaf(module.ResourceSection().Root(), [&](const TPEResourceDataEntry& leaf) {
    TResKey key{IdText(leaf.TypeIsNamed(), leaf.TypeID(), leaf.TypeNameUtf16()),
                IdText(leaf.NameIsNamed(), leaf.NameID(), leaf.NameUtf16()), static_cast<uint16_t>(leaf.LanguageID())};
    auto* block = dynamic_cast<const TPEStringResourceDataEntry*>(&leaf);
    if (block && !leaf.TypeIsNamed() && leaf.TypeID() == kStringTable && !leaf.NameIsNamed() &&
        blocks.emplace(static_cast<int>(leaf.NameID()), block).second)
      return;
    if (!leaves.emplace(key, leaf.Data()).second) out.push_back({Describe(key), "is in the module twice"});
  });
  std::set<TResKey> accounted;

  // Forms: the resource named after the form's class, as the form writer
  // names it.
  const int codePage = LanguageAnsiCodePage(languageId, project.SystemCodePages());
  for (const TModuleEntry& entry : project.Modules) {
    if (!entry.Module || !entry.Module->Root) continue;
    const TComponentHelper& root = *entry.Module->Root;
    std::string form = ExtractFileName(ToInternalPath(entry.Name));
    TResKey key{"#10", Utf16ToUtf8(CodePageToUtf16(UpperCaseAscii(root.ClassName), project.SystemCodePages().ansi)), 0};
    auto it = leaves.find(key);
    if (it == leaves.end()) {
      out.push_back({form, "the module has no form resource " + key.name});
      continue;
    }
    accounted.insert(key);
    std::string_view stream(reinterpret_cast<const char*>(it->second.data()), it->second.size());
    std::unique_ptr<TComponentHelper> got;
    try {
      got = ReadFormText(BinaryToText(stream), kParseBufSize, codePage);
    } catch (const EFormError& e) {
      out.push_back({form, std::string("the module's form resource cannot be read: ") + e.what()});
      continue;
    }
    TFormComparison(form, out, codePage).Node(root, *got, "");
  }

  // String tables: every id, translated or not.
  std::map<int, std::pair<std::u16string, std::string>> strings;  // id -> text, name
  for (int i = 0; i < project.ResourceStrings.Count(); ++i) {
    const TResourceStrListItem& item = project.ResourceStrings.Item(i);
    if (item.ID < 0 || item.ID > 65535) continue;
    std::u16string text = CodePageToUtf16(DecodeFullEscapes(item.TranslatedValue), codePage);
    if (text.size() > 0xFFFF) text.resize(0xFFFF);
    strings[item.ID] = {std::move(text), item.Name};
  }
  for (const auto& [name, block] : blocks) {
    if (name < 1 || name > 4096) {
      out.push_back({"string table " + std::to_string(name), "is a block no string id can have"});
      continue;
    }
    for (int slot = 0; slot < 16; ++slot) {
      int id = (name - 1) * 16 + slot;
      std::u16string got = block->GetStringUtf16(slot);
      auto it = strings.find(id);
      if (it == strings.end()) {
        if (!got.empty()) out.push_back({"string " + std::to_string(id), "in the module but not in the project"});
        continue;
      }
      if (got != it->second.first)
        out.push_back({"string " + std::to_string(id) + " (" + it->second.second + ")",
                       "the module has " + Quoted(Utf16ToCodePage(got, codePage)) + ", the project " +
                           Quoted(Utf16ToCodePage(it->second.first, codePage))});
    }
  }
  for (const auto& [id, text] : strings)
    if (!text.first.empty() && !blocks.count(id / 16 + 1))
      out.push_back({"string " + std::to_string(id) + " (" + text.second + ")", "missing from the module"});

  // The version resource.
  const TVersionInfo& version = project.VersionInfo;
  TResKey versionKey{"#16", "#1", static_cast<uint16_t>(languageId)};
  for (const auto& [key, data] : leaves) {
    if (key.type != "#16" || key == versionKey) continue;
    out.push_back({Describe(key), "a version resource that is not the language's"});
    accounted.insert(key);
  }
  auto versionLeaf = leaves.find(versionKey);
  if (!version.IncludeVerInfo) {
    if (versionLeaf != leaves.end()) out.push_back({"version resource", "in the module, but the project links none"});
  } else if (versionLeaf == leaves.end()) {
    out.push_back({"version resource", "missing from the module (" + Describe(versionKey) + ")"});
  } else {
    std::span<const uint8_t> data = versionLeaf->second;
    int versionPage = VersionResourceCodePage(languageId);
    TVersionInfo got;
    try {
      ReadVersionResource(got, data, versionPage);
      for (const auto& label : version.Items) {
        if (label->Translation.empty()) continue;
        std::string want = DecodeFullEscapes(label->Translation);
        const TVersionInfoLabel* g = got.Find(label->Key);
        if (!g)
          out.push_back({"version key " + label->Key, "missing from the module"});
        else if (g->Value != want)
          out.push_back({"version key " + label->Key, "the module has " + Quoted(g->Value) + ", the project " + Quoted(want)});
      }
      // The whole block against what the project's version information
      // gives: numbers, flags, the language's table key and translation.
      // The file holds the empty entry (32 bytes), then this one: its data
      // size, then its 32-byte header, then the block.
      std::string file = BuildVersionResource(version, languageId);
      TByteReader<std::logic_error> entry(file, "the version resource written is not one");
      std::string_view expected = entry.CharsAt(64, entry.U32At(32));
      if (std::string_view(reinterpret_cast<const char*>(data.data()), data.size()) != expected)
        out.push_back({"version resource", "differs from the project's version information (numbers, flags or the "
                                           "language's table key)"});
    } catch (const std::exception& e) {
      out.push_back({"version resource", std::string("cannot be read: ") + e.what()});
    }
  }
  accounted.insert(versionKey);

  // Custom resources, byte for byte.
  for (const auto& resource : project.CustomResources.Items) {
    if (resource->TranslatedFile.empty()) continue;
    std::string file = project.ExpandFileName(resource->TranslatedFile);
    std::vector<TLinkedResource> linked;
    try {
      std::string bytes = ReadFileBytes(file);
      linked = ReadLinkedResources(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()),
                                   project.SystemCodePages().ansi);
    } catch (const std::exception& e) {
      out.push_back({ExtractFileName(file), std::string("cannot be read: ") + e.what()});
      continue;
    }
    for (const TLinkedResource& r : linked) {
      TResKey key{IdText(r.type), IdText(r.name), r.language};
      auto it = leaves.find(key);
      if (it == leaves.end()) {
        out.push_back({ExtractFileName(file) + ": " + Describe(key), "missing from the module"});
        continue;
      }
      accounted.insert(key);
      if (std::string_view(reinterpret_cast<const char*>(it->second.data()), it->second.size()) != r.data)
        out.push_back({ExtractFileName(file) + ": " + Describe(key), "differs from the file's bytes"});
    }
  }

  for (const auto& [key, data] : leaves)
    if (!accounted.count(key)) out.push_back({Describe(key), "in the module, but the project has nothing of that name"});
  return out;
}

}  // namespace kst
