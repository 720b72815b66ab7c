// The options dialog's rules and module groups inside its transaction.
#include "dictionary/config_data.h"

#include "config/text_helpers.h"
#include "dictionary/common.h"
#include "dictionary/dictionary_schema.h"

namespace kst {

TdatConfig::TdatConfig(TdatCommon& common) : common_(common) {}

TdatConfig::~TdatConfig() = default;  // the connection rolls back what was not committed

TSqliteDatabase& TdatConfig::Connection() {
  if (!db_) db_ = common_.NewConnection();
  return *db_;
}

void TdatConfig::BeginConfig() {
  Connection();
  transactionWanted_ = true;
}

void TdatConfig::ForChange() {
  TSqliteDatabase& db = Connection();
  if (transactionWanted_ && !db.InTransaction()) db.BeginWrite();
}

void TdatConfig::CommitConfig() {
  if (db_ && db_->InTransaction()) db_->Commit();
  transactionWanted_ = false;
}

void TdatConfig::RollbackConfig() {
  if (db_) db_->Rollback();
  transactionWanted_ = false;
}

std::vector<std::string> TdatConfig::GetRules() {
  std::vector<std::string> rules;
  TSqliteStatement q = Connection().Prepare("SELECT PropertyName FROM HiLight ORDER BY PropertyName");
  while (q.Step()) rules.push_back(q.Text(0));
  return rules;
}

void TdatConfig::AddRule(std::string_view rule) {
  CheckField(HiLightTable(), "PropertyName", rule);
  ForChange();
  TSqliteStatement find = Connection().Prepare("SELECT 1 FROM HiLight WHERE PropertyName = ?1");
  find.Bind(1, rule);
  if (find.Step()) throw EDatabaseError("The highlighting rule \"" + std::string(rule) + "\" already exists");
  TSqliteStatement insert = Connection().Prepare("INSERT INTO HiLight (PropertyName) VALUES (?1)");
  insert.Bind(1, rule).Run();
}

void TdatConfig::DeleteRule(std::string_view rule) {
  ForChange();
  TSqliteStatement del = Connection().Prepare("DELETE FROM HiLight WHERE PropertyName = ?1");
  del.Bind(1, rule).Run();
}

void TdatConfig::SetHighlightingDefaults() {
  ForChange();
  TSqliteStatement find = Connection().Prepare("SELECT 1 FROM HiLight WHERE PropertyName = ?1 COLLATE NOCASE");
  TSqliteStatement insert = Connection().Prepare("INSERT INTO HiLight (PropertyName) VALUES (?1)");
  for (const std::string& rule : DefaultHighlightRules()) {
    bool present;
    {
      TStatementUse use(find);
      find.Bind(1, rule);
      present = find.Step();
    }
    if (!present) {
      TStatementUse use(insert);
      insert.Bind(1, rule).Step();
    }
  }
}

std::vector<TModuleGroupRow> TdatConfig::GetGroups() {
  std::vector<TModuleGroupRow> groups;
  TSqliteStatement q = Connection().Prepare("SELECT GroupName, Remarks, GroupId FROM ModGrps ORDER BY GroupName");
  while (q.Step()) groups.push_back({q.Text(0), q.Text(1), q.Text(2)});
  return groups;
}

namespace {

void CheckGroup(std::string_view name, std::string_view remarks) {
  CheckField(ModGrpsTable(), "GroupName", name);
  CheckField(ModGrpsTable(), "Remarks", remarks);
}

void CheckNameFree(TSqliteDatabase& db, std::string_view name, std::string_view exceptId) {
  TSqliteStatement find = db.Prepare("SELECT 1 FROM ModGrps WHERE GroupName = ?1 AND GroupId <> ?2");
  find.Bind(1, name).Bind(2, exceptId);
  if (find.Step()) throw EDatabaseError("A module group named \"" + std::string(name) + "\" already exists");
}

}  // namespace

std::string TdatConfig::NewGroup(std::string_view name, std::string_view remarks) {
  CheckGroup(name, remarks);
  ForChange();
  CheckNameFree(Connection(), name, "");
  std::string id = common_.IdGenerator().NewUniqueId();
  TSqliteStatement insert = Connection().Prepare("INSERT INTO ModGrps (GroupName, Remarks, GroupId) VALUES (?1, ?2, ?3)");
  insert.Bind(1, name).Bind(2, remarks).Bind(3, id).Run();
  return id;
}

void TdatConfig::ModifyGroup(std::string_view groupId, std::string_view name, std::string_view remarks) {
  CheckGroup(name, remarks);
  ForChange();
  CheckNameFree(Connection(), name, groupId);
  TSqliteStatement update = Connection().Prepare("UPDATE ModGrps SET GroupName = ?2, Remarks = ?3 WHERE GroupId = ?1");
  update.Bind(1, groupId).Bind(2, name).Bind(3, remarks).Run();
}

void TdatConfig::DeleteGroup(std::string_view groupId) {
  ForChange();
  TSqliteStatement del = Connection().Prepare("DELETE FROM ModGrps WHERE GroupId = ?1");
  del.Bind(1, groupId).Run();
}

std::vector<TModuleEntryRow> TdatConfig::GetEntries(std::string_view groupId) {
  std::vector<TModuleEntryRow> entries;
  TSqliteStatement q = Connection().Prepare("SELECT File, Remarks FROM ModGrps2 WHERE GroupId = ?1 ORDER BY File");
  q.Bind(1, groupId);
  while (q.Step()) entries.push_back({q.Text(0), q.Text(1)});
  return entries;
}

void TdatConfig::AddEntry(std::string_view groupId, std::string_view file, std::string_view remarks) {
  CheckField(ModGrps2Table(), "GroupId", groupId);
  CheckField(ModGrps2Table(), "File", file);
  CheckField(ModGrps2Table(), "Remarks", remarks);
  ForChange();
  TSqliteStatement find = Connection().Prepare("SELECT 1 FROM ModGrps2 WHERE GroupId = ?1 AND File = ?2");
  find.Bind(1, groupId).Bind(2, file);
  if (find.Step())
    throw EDatabaseError("The module group already holds \"" + std::string(file) + "\"");
  TSqliteStatement insert = Connection().Prepare("INSERT INTO ModGrps2 (GroupId, File, Remarks) VALUES (?1, ?2, ?3)");
  insert.Bind(1, groupId).Bind(2, file).Bind(3, remarks).Run();
}

void TdatConfig::DeleteEntry(std::string_view groupId, std::string_view file) {
  ForChange();
  TSqliteStatement del = Connection().Prepare("DELETE FROM ModGrps2 WHERE GroupId = ?1 AND File = ?2");
  del.Bind(1, groupId).Bind(2, file).Run();
}

}  // namespace kst
