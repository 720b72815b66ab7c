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

void SaveComponent(const TComponentHelper& node, const std::string& path, const std::string& formName,
                   TIniFile& settings, TUniqueIdGenerator& ids) {
  for (const auto& item : node.Properties) {
    if (item->UserDefined)
      settings.WriteString(kUserDefinedSection, ids.NewUniqueId(),
                           Entry(formName, path, item->Name, PropertyTypeName(item->PropertyType)));
    std::string p = path + "." + item->Name;
    if (item->PropertyType == ptCollection) {
      for (size_t k = 0; k < item->CollectionItems.size(); ++k)
        if (item->CollectionItems[k]->UserDefined)
          settings.WriteString(kUserDefinedSection, ids.NewUniqueId(),
                               Entry(formName, p, "[" + std::to_string(k) + "]", ""));
      for (size_t k = 0; k < item->CollectionItems.size(); ++k)
        SaveComponent(*item->CollectionItems[k], p + "[" + std::to_string(k) + "]", formName, settings, ids);
    } else if (item->PropertyType == ptList) {
      for (size_t k = 0; k < item->ListValues.size(); ++k)
        if (item->ListValues[k]->UserDefined)
          settings.WriteString(kUserDefinedSection, ids.NewUniqueId(),
                               Entry(formName, p, "[" + std::to_string(k) + "]",
                                     PropertyTypeName(item->ListValues[k]->PropertyType)));
    }
  }
  for (size_t k = 0; k < node.Children.size(); ++k) {
    const TComponentHelper& child = *node.Children[k];
    SaveComponent(child, child.Name.empty() ? path + "{" + std::to_string(k) + "}" : child.Name, formName, settings,
                  ids);
  }
}

}  // namespace

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
  component->FindOrAddProperty(name, type, true);
}

void LoadUserDefinedProperties(TModuleHelper& module, const TIniFile& settings, TUserInteraction& interaction) {
  if (!module.Root) return;
  std::string formName = ExtractFileName(module.FileName);
  try {
    for (const std::string& key : settings.ReadSection(kUserDefinedSection)) {
      std::string value = settings.ReadString(kUserDefinedSection, key, "");
      std::string fields[4];
      size_t start = 0;
      for (int i = 0; i < 4 && start <= value.size(); ++i) {
        size_t end = i < 3 ? value.find(';', start) : std::string::npos;
        if (end == std::string::npos) end = value.size();
        fields[i] = value.substr(start, end - start);
        start = end + 1;
      }
      if (!SameText(ExtractFileName(fields[0]), formName)) continue;
      AddUserDefinedProperty(*module.Root, fields[1], fields[2], PropertyTypeFromName(fields[3]));
    }
  } catch (const EFormError& e) {
    interaction.ShowWarning(e.what());
  }
}

void SaveUserDefinedProperties(const TModuleHelper& module, TIniFile& settings, TUniqueIdGenerator& ids) {
  if (!module.Root) return;
  std::string formName = ExtractFileName(module.FileName);
  settings.BeginUpdate();
  try {
    SaveComponent(*module.Root, module.Root->Name, formName, settings, ids);
  } catch (...) {
    settings.EndUpdate();
    throw;
  }
  settings.EndUpdate();
}

}  // namespace kst
