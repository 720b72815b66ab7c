// TdatConfig: the options dialog's work on the highlighting rules and the
// module groups, on a connection of its own inside one transaction that
// CommitConfig makes permanent and RollbackConfig (or destruction) undoes.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sqlite_db.h"

namespace kst {

class TdatCommon;

struct TModuleGroupRow {
  std::string name;
  std::string remarks;
  std::string id;
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

  // Connects "___Config" and starts the transaction. The write lock is taken
  // by the first change, not here, so an open dialog that changes nothing
  // keeps no other workstation waiting.
  void BeginConfig();
  // Every change is written when it is made (inside the transaction), so
  // there is nothing left to post.
  void PostPending() {}
  void CommitConfig();
  void RollbackConfig();

  // Highlighting rules, in key order.
  std::vector<std::string> GetRules();
  // Raises EDatabaseError "The rule ... already exists" and ETextTooLong.
  void AddRule(std::string_view rule);
  void DeleteRule(std::string_view rule);
  // Adds those of the five default rules that are missing (compared without
  // regard to case); other rules stay.
  void SetHighlightingDefaults();

  // Groups in key order (by name).
  std::vector<TModuleGroupRow> GetGroups();
  // Adds a group with a new GroupId and returns it. The name is required and
  // unique; raises EDatabaseError or ETextTooLong otherwise.
  std::string NewGroup(std::string_view name, std::string_view remarks);
  void ModifyGroup(std::string_view groupId, std::string_view name, std::string_view remarks);
  // Deletes the group row only: its entries stay, unreachable, as they
  // always have.
  void DeleteGroup(std::string_view groupId);
  std::vector<TModuleEntryRow> GetEntries(std::string_view groupId);
  void AddEntry(std::string_view groupId, std::string_view file, std::string_view remarks);
  void DeleteEntry(std::string_view groupId, std::string_view file);

private:
  TSqliteDatabase& Connection();
  // Starts the write transaction on the first change.
  void ForChange();

  TdatCommon& common_;
  std::unique_ptr<TSqliteDatabase> db_;
  bool transactionWanted_ = false;
};

}  // namespace kst
