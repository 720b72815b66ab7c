// TdatModuleGroups: the look-ups of the module-group store (ModGrps.DB and
// ModGrps2.DB) that the main window uses to offer and add groups.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kst {

class TdatCommon;

class TdatModuleGroups {
public:
  // Works on common's connection; common must outlive this object.
  explicit TdatModuleGroups(TdatCommon& common);

  // Every group name, alphabetically (the primary key's order).
  void GetGroupNames(std::vector<std::string>& list);
  // The files of the group (name compared without regard to case), sorted
  // by file; empty for an unknown group. Files keep their path macros.
  void GetGroupEntries(std::string_view groupName, std::vector<std::string>& list);

private:
  TdatCommon& common_;
};

}  // namespace kst
