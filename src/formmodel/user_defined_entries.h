// What the user-defined-property dialogs show and do, without a window: the
// form's user-defined entries as the list shows them, the owners a new entry
// can be added to (with paths that resolve back to the very node chosen),
// the type choices of the add dialog, and removing an entry.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "formmodel/form_model.h"

namespace kst {

enum class TUserDefinedKind { Property = 0, CollectionItem = 1, ListElement = 2 };

// One line of the list dialog. The pointers belong to the form's tree and
// stay valid until the tree changes; list the entries again after a change.
struct TUserDefinedEntry {
  TUserDefinedKind kind = TUserDefinedKind::Property;
  // "Button1.Hint", "Grid.Columns[3]", "Form1{2}.Caption".
  std::string path;
  // The component (or collection item) the property belongs to.
  TComponentHelper* node = nullptr;
  // The item or element number; 0 for a property.
  size_t index = 0;
  // The property itself, or the collection or list property.
  TCHPropertyItem* property = nullptr;
  // False for an item or element that is not the last of its list: removing
  // it would renumber the ones after it.
  bool removable = true;
};

// Every user-defined entry of the form, sorted by path without regard to
// case (as the list shows them).
std::vector<TUserDefinedEntry> ListUserDefinedEntries(TComponentHelper& root);

// Removes the entry from the tree. Raises EFormModelError (kSRemoveOnlyLastElement,
// kSRemoveNotUserDefined) and changes nothing when the entry may not go, or
// kSInternalError when it is no longer part of the tree under `root`.
void RemoveUserDefinedEntry(TComponentHelper& root, const TUserDefinedEntry& entry);

enum class TOwnerKind { Component, Collection, CollectionItem, List };

// One line of the add dialog's owner list.
struct TPropertyOwner {
  TOwnerKind kind = TOwnerKind::Component;
  // Resolves back to this owner: FindComponent gives `component` for the
  // component kinds, FindProperty gives `property` for the others.
  std::string path;
  // The line shown: the path, a blank and "(Component)", "(Collection)",
  // "(Collection-Item)" or "(List)". Unnamed components carry their
  // position as five digits: "Form1{00002} (Component)".
  std::string caption;
  TComponentHelper* component = nullptr;  // Component, CollectionItem
  TCHPropertyItem* property = nullptr;    // Collection, List
  // What the dialog shows once the line is chosen: the preset name ("" or
  // "[n]", n the number of items or elements) and which inputs are open.
  std::string presetName;
  bool nameEditable = false;
  bool typeEditable = false;
};

// Every possible owner, sorted by caption without regard to case.
std::vector<TPropertyOwner> ListPropertyOwners(TComponentHelper& root);

// The types the add dialog offers, in its order: "String" 1, "Integer" 2,
// "Float" 3, "Symbol" 5, "Set" 6, "Binary" 7, "Collection" 8, "List" 9.
struct TPropertyTypeChoice {
  const char* name;
  TPropertyType type;
};
const std::vector<TPropertyTypeChoice>& AddPropertyTypeChoices();

}  // namespace kst
