// The form tree's node operations and the module.
#include "formmodel/form_model.h"

#include <algorithm>

#include "config/path_macros.h"
#include "config/text_helpers.h"
#include "formmodel/form_reader.h"
#include "platform/file_utils.h"
#include "platform/same_text.h"

namespace kst {

static const char* const kTypeNames[] = {"ptUnknown", "ptString", "ptInteger",    "ptFloat", "ptClass",
                                         "ptSymbol",  "ptSet",    "ptBinary", "ptCollection", "ptList"};

const char* PropertyTypeName(TPropertyType type) { return type <= ptList ? kTypeNames[type] : "ptUnknown"; }

TPropertyType PropertyTypeFromName(std::string_view name) {
  std::string trimmed = TrimBlanks(name);
  for (int i = 0; i <= ptList; ++i)
    if (SameText(trimmed, kTypeNames[i])) return static_cast<TPropertyType>(i);
  return ptUnknown;
}

TCHValue::~TCHValue() = default;

void TCHValue::SetValue(std::string_view text, TPropertyType type) {
  PropertyType = type;
  OriginalValue = text;
  TranslatedValue = text;
}

TCHValue* TCHValue::AddListValue() {
  ListValues.push_back(std::make_unique<TCHValue>());
  return ListValues.back().get();
}

TComponentHelper* TCHValue::AddCollectionItem() {
  CollectionItems.push_back(std::make_unique<TComponentHelper>());
  return CollectionItems.back().get();
}

TComponentHelper::~TComponentHelper() = default;

TComponentHelper* TComponentHelper::AddChild() {
  Children.push_back(std::make_unique<TComponentHelper>());
  Children.back()->Parent = this;
  return Children.back().get();
}

void TComponentHelper::RemoveChild(TComponentHelper* child) {
  std::erase_if(Children, [&](const std::unique_ptr<TComponentHelper>& c) { return c.get() == child; });
}

TCHPropertyItem* TComponentHelper::FindPropertyItem(std::string_view name) const {
  for (const auto& item : Properties)
    if (SameText(item->Name, name)) return item.get();
  return nullptr;
}

TCHPropertyItem* TComponentHelper::FindOrAddProperty(std::string_view name, TPropertyType type, bool userDefined) {
  if (TCHPropertyItem* found = FindPropertyItem(name)) return found;
  auto item = std::make_unique<TCHPropertyItem>();
  item->Name = name;
  item->PropertyType = type;
  item->UserDefined = userDefined;
  Properties.push_back(std::move(item));
  return Properties.back().get();
}

void TComponentHelper::ResetAllTranslations() {
  for (const auto& item : Properties) {
    item->ResetTranslation();
    for (const auto& element : item->ListValues) element->ResetTranslation();
    for (const auto& collectionItem : item->CollectionItems) collectionItem->ResetAllTranslations();
  }
  for (const auto& child : Children) child->ResetAllTranslations();
}

std::string TFormEnvironment::ExpandFileName(std::string_view fileName) const {
  std::string expanded = registry ? ExpandPathMacros(fileName, *registry) : ToInternalPath(fileName);
  if (!baseDirectory.empty() && !IsAbsolutePath(expanded)) expanded = AbsolutePath(expanded, baseDirectory);
  return ResolveFileNameCase(expanded);
}

TModuleHelper::TModuleHelper(std::string fileName, bool manuallyAdded, const TFormEnvironment& environment)
    : ManuallyAdded(manuallyAdded), FileName(std::move(fileName)) {
  Root = ReadForm(*this, environment);
}

void TModuleHelper::Reload(const TFormEnvironment& environment) {
  // The old tree stays until the new one has been read, so a failed reload
  // leaves the module as it was.
  Root = ReadForm(*this, environment);
}

}  // namespace kst
