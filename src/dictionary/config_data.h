// TdatConfig: the options dialog's work on the highlighting rules and the
// module groups. Changes are kept here, over what BeginConfig read, and
// reach the dictionary together at CommitConfig in one short write, so that
// an open dialog never locks other workstations out; RollbackConfig (or
// destruction) forgets them.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/database.h"

namespace kst {

class TdatCommon;

struct TModuleGroupRow {
  std::string name;
  std::string remarks;
  std::string id;
  bool operator==(const TModuleGroupRow&) const = default;
};

struct TModuleEntryRow {
  std::string file;
  std::string remarks;
};

class TdatConfig {
public:
  // common must outlive this object.
  explicit TdatConfig(TdatCommon& common);
  ~TdatConfig();

  // Reads the rules and groups the dialog starts from. Any operation below
  // begins by itself when this was not called.
  void BeginConfig();
  // Changes are taken when they are made; there is nothing left to post.
  void PostPending() {}
  // Writes every change in one write transaction, after checking all of
  // them first: raises EInvalidEntry, ETextTooLong, EEditConflict (another
  // workstation changed or deleted a row that was changed here too, since
  // BeginConfig read it) or EDatabaseBusy, writing nothing and keeping the
  // changes. A row deleted here that is already gone counts as deleted.
  void CommitConfig();
  void RollbackConfig();
  bool HasChanges() const;
  // After an EEditConflict: takes the dictionary's current rules and groups
  // and keeps only those of this dialog's changes that do not conflict with
  // them. Returns the entries whose changes were dropped.
  std::vector<std::string> DiscardConflictingChanges();

  // Highlighting rules, in key order.
  std::vector<std::string> GetRules();
  // Rules are compared without regard to case, as they match. Raise
  // EInvalidEntry for an empty rule or one already there, ETextTooLong for
  // one that does not fit.
  void AddRule(std::string_view rule);
  void ChangeRule(std::string_view rule, std::string_view newRule);
  void DeleteRule(std::string_view rule);
  // Adds those of the five default rules that are missing (compared without
  // regard to case); other rules stay.
  void SetHighlightingDefaults();

  // Groups in key order (by name).
  std::vector<TModuleGroupRow> GetGroups();
  // Adds a group with a new GroupId and returns it. Names are required and
  // unique without regard to case: raises EInvalidEntry or ETextTooLong.
  std::string NewGroup(std::string_view name, std::string_view remarks);
  void ModifyGroup(std::string_view groupId, std::string_view name, std::string_view remarks);
  // Deletes the group and its entries.
  void DeleteGroup(std::string_view groupId);
  // The group's entries, sorted by file.
  std::vector<TModuleEntryRow> GetEntries(std::string_view groupId);
  // Files are required and unique within a group without regard to case:
  // raises EInvalidEntry or ETextTooLong.
  void AddEntry(std::string_view groupId, std::string_view file, std::string_view remarks);
  void ChangeEntry(std::string_view groupId, std::string_view file, std::string_view newFile,
                   std::string_view newRemarks);
  void DeleteEntry(std::string_view groupId, std::string_view file);

  // The three tables as the dialog sees them.
  struct TTables {
    std::set<std::string> rules;
    std::map<std::string, TModuleGroupRow> groups;                       // by GroupId
    std::map<std::pair<std::string, std::string>, std::string> entries;  // (GroupId, File) -> Remarks
    bool operator==(const TTables&) const = default;
  };

private:
  TDatabase& Connection();
  void Begin();
  void CheckRule(std::string_view rule, std::string_view except) const;
  void CheckGroup(std::string_view name, std::string_view remarks, std::string_view exceptId) const;
  void CheckEntry(std::string_view groupId, std::string_view file, std::string_view remarks,
                  std::string_view exceptFile) const;
  const TModuleGroupRow& Group(std::string_view groupId) const;

  TdatCommon& common_;
  std::unique_ptr<TDatabase> db_;
  bool begun_ = false;
  TTables read_;  // as BeginConfig read them
  TTables work_;  // with this dialog's changes
};

}  // namespace kst
