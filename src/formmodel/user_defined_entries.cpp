// The user-defined-property dialogs' view of a form: listing entries and
// owners, and removing entries.
#include "formmodel/user_defined_entries.h"

#include <algorithm>

#include "config/text_helpers.h"
#include "formmodel/form_errors.h"
#include "formmodel/user_defined.h"

namespace kst {

namespace {

std::string Numbered(const std::string& path, size_t index) { return path + "[" + std::to_string(index) + "]"; }

void ListEntries(TComponentHelper& node, const std::string& path, const TComponentPaths& paths,
                 std::vector<TUserDefinedEntry>& out) {
  for (const auto& item : node.Properties) {
    std::string p = path + "." + item->Name;
    if (item->PropertyType == ptCollection) {
      const size_t count = item->CollectionItems.size();
      for (size_t i = 0; i < count; ++i)
        if (item->CollectionItems[i]->UserDefined)
          out.push_back({TUserDefinedKind::CollectionItem, Numbered(p, i), &node, i, item.get(), i + 1 == count});
      for (size_t i = 0; i < count; ++i) ListEntries(*item->CollectionItems[i], Numbered(p, i), paths, out);
    } else if (item->PropertyType == ptList) {
      const size_t count = item->ListValues.size();
      for (size_t j = 0; j < count; ++j)
        if (item->ListValues[j]->UserDefined)
          out.push_back({TUserDefinedKind::ListElement, Numbered(p, j), &node, j, item.get(), j + 1 == count});
    } else if (item->UserDefined) {
      out.push_back({TUserDefinedKind::Property, p, &node, 0, item.get(), true});
    }
  }
  for (size_t k = 0; k < node.Children.size(); ++k)
    ListEntries(*node.Children[k], paths.Child(path, *node.Children[k], k), paths, out);
}

TPropertyOwner ComponentOwner(TOwnerKind kind, const std::string& path, TComponentHelper& component) {
  TPropertyOwner owner;
  owner.kind = kind;
  owner.path = path;
  owner.caption = path + (kind == TOwnerKind::Component ? " (Component)" : " (Collection-Item)");
  owner.component = &component;
  owner.nameEditable = true;
  owner.typeEditable = true;
  return owner;
}

TPropertyOwner PropertyOwner(TOwnerKind kind, const std::string& path, TCHPropertyItem& property, size_t count) {
  TPropertyOwner owner;
  owner.kind = kind;
  owner.path = path;
  owner.caption = path + (kind == TOwnerKind::Collection ? " (Collection)" : " (List)");
  owner.property = &property;
  owner.presetName = "[" + std::to_string(count) + "]";
  // A collection item takes no type; a list element takes one.
  owner.typeEditable = kind == TOwnerKind::List;
  return owner;
}

void ListOwners(TComponentHelper& node, const std::string& path, bool listSelf, const TComponentPaths& paths,
                std::vector<TPropertyOwner>& out) {
  if (listSelf) out.push_back(ComponentOwner(TOwnerKind::Component, path, node));
  for (const auto& item : node.Properties) {
    std::string p = path + "." + item->Name;
    if (item->PropertyType == ptCollection) {
      out.push_back(PropertyOwner(TOwnerKind::Collection, p, *item, item->CollectionItems.size()));
      for (size_t i = 0; i < item->CollectionItems.size(); ++i) {
        TComponentHelper& collectionItem = *item->CollectionItems[i];
        out.push_back(ComponentOwner(TOwnerKind::CollectionItem, Numbered(p, i), collectionItem));
        ListOwners(collectionItem, Numbered(p, i), false, paths, out);
      }
    } else if (item->PropertyType == ptList) {
      out.push_back(PropertyOwner(TOwnerKind::List, p, *item, item->ListValues.size()));
    }
  }
  for (size_t k = 0; k < node.Children.size(); ++k) {
    TComponentHelper& child = *node.Children[k];
    ListOwners(child, paths.Child(path, child, k, true), true, paths, out);
  }
}

bool LessNoCase(const std::string& a, const std::string& b) { return UpperCaseAscii(a) < UpperCaseAscii(b); }

bool Contains(const TComponentHelper& node, const TComponentHelper* wanted) {
  if (&node == wanted) return true;
  for (const auto& child : node.Children)
    if (Contains(*child, wanted)) return true;
  for (const auto& item : node.Properties)
    for (const auto& collectionItem : item->CollectionItems)
      if (Contains(*collectionItem, wanted)) return true;
  return false;
}

}  // namespace

std::vector<TUserDefinedEntry> ListUserDefinedEntries(TComponentHelper& root) {
  std::vector<TUserDefinedEntry> entries;
  ListEntries(root, root.Name, TComponentPaths(root), entries);
  std::stable_sort(entries.begin(), entries.end(),
                   [](const TUserDefinedEntry& a, const TUserDefinedEntry& b) { return LessNoCase(a.path, b.path); });
  return entries;
}

std::vector<TPropertyOwner> ListPropertyOwners(TComponentHelper& root) {
  std::vector<TPropertyOwner> owners;
  ListOwners(root, root.Name, !root.Name.empty(), TComponentPaths(root), owners);
  std::stable_sort(owners.begin(), owners.end(),
                   [](const TPropertyOwner& a, const TPropertyOwner& b) { return LessNoCase(a.caption, b.caption); });
  return owners;
}

void RemoveUserDefinedEntry(TComponentHelper& root, const TUserDefinedEntry& entry) {
  // The entry may be older than the tree: check every pointer before use.
  if (!entry.node || !Contains(root, entry.node)) throw EFormModelError(kSInternalError);
  auto& properties = entry.node->Properties;
  auto it = std::find_if(properties.begin(), properties.end(),
                         [&](const std::unique_ptr<TCHPropertyItem>& p) { return p.get() == entry.property; });
  if (it == properties.end()) throw EFormModelError(kSInternalError);
  TCHPropertyItem& property = **it;
  switch (entry.kind) {
    case TUserDefinedKind::Property:
      if (!property.UserDefined) throw EFormModelError(FormatText(kSRemoveNotUserDefined, entry.path));
      properties.erase(it);
      return;
    case TUserDefinedKind::CollectionItem: {
      auto& items = property.CollectionItems;
      if (property.PropertyType != ptCollection || entry.index >= items.size()) throw EFormModelError(kSInternalError);
      if (!items[entry.index]->UserDefined) throw EFormModelError(FormatText(kSRemoveNotUserDefined, entry.path));
      if (entry.index + 1 != items.size()) throw EFormModelError(FormatText(kSRemoveOnlyLastElement, entry.path));
      items.pop_back();
      return;
    }
    case TUserDefinedKind::ListElement: {
      auto& elements = property.ListValues;
      if (property.PropertyType != ptList || entry.index >= elements.size()) throw EFormModelError(kSInternalError);
      if (!elements[entry.index]->UserDefined) throw EFormModelError(FormatText(kSRemoveNotUserDefined, entry.path));
      if (entry.index + 1 != elements.size()) throw EFormModelError(FormatText(kSRemoveOnlyLastElement, entry.path));
      elements.pop_back();
      return;
    }
  }
}

const std::vector<TPropertyTypeChoice>& AddPropertyTypeChoices() {
  static const std::vector<TPropertyTypeChoice> choices{
      {"String", ptString}, {"Integer", ptInteger}, {"Float", ptFloat},           {"Symbol", ptSymbol},
      {"Set", ptSet},       {"Binary", ptBinary},   {"Collection", ptCollection}, {"List", ptList}};
  return choices;
}

}  // namespace kst
