// User-defined properties: a property a form file leaves at its default, one
// more list element or collection item, added by the user and kept in the
// project settings as "key=form file name;target path;name or [n];type name".
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "formmodel/form_model.h"

namespace kst {

class TIniFile;
class TUserInteraction;
class TUniqueIdGenerator;

inline constexpr const char* kUserDefinedSection = "Kestrin.Translator.UserDefinedProperties";

// Adds one entry to the tree under `root`. Targets that do not resolve and
// indices already present change nothing. Raises EFormModelError "This
// Property Type is not supported for user defined properties!" for a type
// other than ptString..ptBinary where a type counts, and, for a new
// property of a component, kSPropertyNameMissing or kSPropertyNameInvalid
// when the name is not an identifier (dotted names such as Font.Name allowed).
void AddUserDefinedProperty(TComponentHelper& root, std::string_view targetPath, std::string_view nameOrIndex,
                            TPropertyType type);

// An identifier, or several joined by dots ("Hint", "Font.Name").
bool IsPropertyName(std::string_view name);

// Component paths that resolve back (FindComponent) to the very node: the
// root's name; a child's name when no other component of the form has it;
// otherwise the parent's path and "{k}" (k its position, in decimal, or
// with five digits for the add dialog); a collection item's component path
// is the collection's property path and "[k]".
class TComponentPaths {
public:
  explicit TComponentPaths(const TComponentHelper& root);
  std::string Child(const std::string& parentPath, const TComponentHelper& child, size_t position,
                    bool fiveDigits = false) const;

private:
  std::unordered_map<std::string, int> nameCounts_;  // upper-cased names
};

// Applies the section's entries that belong to the module's form. Entries
// the form refuses are skipped and named in one warning through
// `interaction`; the others are applied all the same.
void LoadUserDefinedProperties(TModuleHelper& module, const TIniFile& settings, TUserInteraction& interaction);

// Writes one entry, under a new key, per user-defined element of the form.
// The caller erases the old entries first.
void SaveUserDefinedProperties(const TModuleHelper& module, TIniFile& settings, TUniqueIdGenerator& ids);

// The entries (values as in the settings file) of the form's user-defined
// elements, in the order SaveUserDefinedProperties writes them; and applying
// such entries to a tree, as LoadUserDefinedProperties applies the file's.
// Together they carry the user's additions over a reload of the form.
std::vector<std::string> UserDefinedEntries(const TModuleHelper& module);
void ApplyUserDefinedEntries(TModuleHelper& module, const std::vector<std::string>& entries,
                             TUserInteraction& interaction);

}  // namespace kst
