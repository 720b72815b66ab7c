// The module-group look-ups.
#include "dictionary/module_groups.h"

#include "dictionary/common.h"

namespace kst {

TdatModuleGroups::TdatModuleGroups(TdatCommon& common) : common_(common) {}

void TdatModuleGroups::GetGroupNames(std::vector<std::string>& list) {
  list.clear();
  TStatement q = common_.Database().Prepare("SELECT GroupName FROM ModGrps ORDER BY GroupName");
  while (q.Step()) list.push_back(q.Text(0));
}

void TdatModuleGroups::GetGroupEntries(std::string_view groupName, std::vector<std::string>& list) {
  list.clear();
  TDatabase& db = common_.Database();
  // One snapshot for both look-ups, so a group changed in between by another
  // process cannot mix two states.
  const TSqlDialect sql = db.Dialect();
  TStatement q = db.Prepare("SELECT File FROM ModGrps2 WHERE " + sql.NoCase("GroupId") + " = " +
                            sql.NoCase("(SELECT GroupId FROM ModGrps WHERE " + sql.NoCase("GroupName") + " = " +
                                       sql.NoCase("?1") + " ORDER BY GroupName LIMIT 1)") +
                            " ORDER BY GroupId, File");
  q.Bind(1, groupName);
  while (q.Step()) list.push_back(q.Text(0));
}

}  // namespace kst
