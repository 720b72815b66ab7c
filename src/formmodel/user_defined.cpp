// User-defined properties: adding them to the tree, loading and saving the
// settings entries.
#include "formmodel/user_defined.h"

#include <charconv>

#include "config/interaction.h"
#include "config/text_helpers.h"
#include "formmodel/form_errors.h"
#include "platform/file_utils.h"
#include "platform/ini_file.h"
#include "platform/same_text.h"

namespace kst {

namespace {

bool IsAllowedType(TPropertyType type) { return type >= ptString && type <= ptBinary; }

// The number formed by the digits of the text; `count` when there is none.
size_t RequestedIndex(std::string_view text, size_t count) {
  std::string digits;
  for (char c : text)
    if (c >= '0' && c <= '9') digits += c;
  size_t n = 0;
  auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
  if (digits.empty() || ec != std::errc()) return count;
  return n;
}

std::string Entry(const std::string& formName, const std::string& path, const std::string& name,
                  const std::string& typeName) {
  return formName + ";" + path + ";" + name + ";" + typeName;
}

using TEntrySink = std::vector<std::string>;

void SaveComponent(const TComponentHelper& node, const std::string& path, const std::string& formName,
                   TEntrySink& entries, const TComponentPaths& paths) {
  for (const auto& item : node.Properties) {
    if (item->UserDefined)
      entries.push_back(Entry(formName, path, item->Name, PropertyTypeName(item->PropertyType)));
    std::string p = path + "." + item->Name;
    if (item->PropertyType == ptCollection) {
      for (size_t k = 0; k < item->CollectionItems.size(); ++k)
        if (item->CollectionItems[k]->UserDefined)
          entries.push_back(Entry(formName, p, "[" + std::to_string(k) + "]", ""));
      for (size_t k = 0; k < item->CollectionItems.size(); ++k)
        SaveComponent(*item->CollectionItems[k], p + "[" + std::to_string(k) + "]", formName, entries, paths);
    } else if (item->PropertyType == ptList) {
      for (size_t k = 0; k < item->ListValues.size(); ++k)
        if (item->ListValues[k]->UserDefined)
          entries.push_back(Entry(formName, p, "[" + std::to_string(k) + "]",
                                  PropertyTypeName(item->ListValues[k]->PropertyType)));
    }
  }
  for (size_t k = 0; k < node.Children.size(); ++k)
    SaveComponent(*node.Children[k], paths.Child(path, *node.Children[k], k), formName, entries, paths);
}

bool IsIdentStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsIdentChar(char c) { return IsIdentStart(c) || (c >= '0' && c <= '9'); }

void CountNames(const TComponentHelper& node, std::unordered_map<std::string, int>& counts) {
  if (!node.Name.empty()) ++counts[UpperCaseAscii(node.Name)];
  for (const auto& child : node.Children) CountNames(*child, counts);
}

}  // namespace

bool IsPropertyName(std::string_view name) {
  bool segmentStart = true;
  for (char c : name) {
    if (segmentStart ? !IsIdentStart(c) : !(IsIdentChar(c) || c == '.')) return false;
    segmentStart = c == '.';
  }
  return !name.empty() && !segmentStart;
}

TComponentPaths::TComponentPaths(const TComponentHelper& root) { CountNames(root, nameCounts_); }

std::string TComponentPaths::Child(const std::string& parentPath, const TComponentHelper& child, size_t position,
                                   bool fiveDigits) const {
  // A name is found anywhere in the form, so it alone names a component
  // only while no other component has it too.
  if (!child.Name.empty()) {
    auto it = nameCounts_.find(UpperCaseAscii(child.Name));
    if (it != nameCounts_.end() && it->second == 1) return child.Name;
  }
  std::string number = std::to_string(position);
  if (fiveDigits && number.size() < 5) number.insert(0, 5 - number.size(), '0');
  return parentPath + "{" + number + "}";
}

void AddUserDefinedProperty(TComponentHelper& root, std::string_view targetPath, std::string_view nameOrIndex,
                            TPropertyType type) {
  std::string name = TrimBlanks(nameOrIndex);
  TCHValue* target = root.FindProperty(targetPath);
  if (target && target->PropertyType == ptCollection) {
    size_t n = RequestedIndex(name, target->CollectionItems.size());
    if (n < target->CollectionItems.size()) return;
    TComponentHelper* item = target->AddCollectionItem();
    // An index the file format cannot hold is refused rather than wrapped.
    item->Index = n > 0x7FFFFFFF ? -1 : static_cast<int32_t>(n);
    item->UserDefined = true;
    return;
  }
  if (target && target->PropertyType == ptList) {
    size_t n = RequestedIndex(name, target->ListValues.size());
    if (n < target->ListValues.size()) return;
    if (!IsAllowedType(type)) throw EFormModelError(kSUserDefinedTypeNotSupported);
    TCHValue* element = target->AddListValue();
    element->PropertyType = type;
    element->UserDefined = true;
    return;
  }
  if (target) return;
  TComponentHelper* component = root.FindComponent(targetPath);
  if (!component) return;
  if (!IsAllowedType(type)) throw EFormModelError(kSUserDefinedTypeNotSupported);
  if (name.empty()) throw EFormModelError(kSPropertyNameMissing);
  if (!IsPropertyName(name)) throw EFormModelError(FormatText(kSPropertyNameInvalid, name));
  component->FindOrAddProperty(name, type, true);
}

void ApplyUserDefinedEntries(TModuleHelper& module, const std::vector<std::string>& entries,
                             TUserInteraction& interaction) {
  if (!module.Root) return;
  std::string formName = ExtractFileName(module.FileName);
  // An entry the form refuses (its component renamed, say) must not take the
  // ones after it along: they would be missing, and gone with the next save.
  std::string refused;
  for (const std::string& value : entries) {
    std::string fields[4];
    size_t start = 0;
    for (int i = 0; i < 4 && start <= value.size(); ++i) {
      size_t end = i < 3 ? value.find(';', start) : std::string::npos;
      if (end == std::string::npos) end = value.size();
      fields[i] = value.substr(start, end - start);
      start = end + 1;
    }
    if (!SameText(ExtractFileName(fields[0]), formName)) continue;
    try {
      AddUserDefinedProperty(*module.Root, fields[1], fields[2], PropertyTypeFromName(fields[3]));
    } catch (const EFormError& e) {
      refused += (refused.empty() ? "" : "\n") + std::string(e.what());
    }
  }
  if (!refused.empty()) interaction.ShowWarning(refused);
}

void LoadUserDefinedProperties(TModuleHelper& module, const TIniFile& settings, TUserInteraction& interaction) {
  std::vector<std::string> entries;
  for (const std::string& key : settings.ReadSection(kUserDefinedSection))
    entries.push_back(settings.ReadString(kUserDefinedSection, key, ""));
  ApplyUserDefinedEntries(module, entries, interaction);
}

std::vector<std::string> UserDefinedEntries(const TModuleHelper& module) {
  std::vector<std::string> entries;
  if (module.Root)
    SaveComponent(*module.Root, module.Root->Name, ExtractFileName(module.FileName), entries, TComponentPaths(*module.Root));
  return entries;
}

void SaveUserDefinedProperties(const TModuleHelper& module, TIniFile& settings, TUniqueIdGenerator& ids) {
  std::vector<std::string> entries = UserDefinedEntries(module);
  settings.BeginUpdate();
  try {
    for (const std::string& entry : entries) settings.WriteString(kUserDefinedSection, ids.NewUniqueId(), entry);
  } catch (...) {
    // Nothing half-written reaches the file.
    settings.EndUpdateDiscard();
    throw;
  }
  settings.EndUpdate();
}

}  // namespace kst
