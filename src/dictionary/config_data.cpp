// The options dialog's rules and module groups: changes kept in memory over
// what the dialog read, checked against the dictionary as it is at "OK",
// and written together.
#include "dictionary/config_data.h"

#include <algorithm>

#include "config/text_helpers.h"
#include "dictionary/common.h"
#include "dictionary/dictionary_schema.h"
#include "dictionary/edit_errors.h"
#include "platform/same_text.h"

namespace kst {

namespace {

using TTables = TdatConfig::TTables;

const char kGroupNameMissing[] = "Please enter the name of the module group.";
const char kEntryFileMissing[] =
    "Please enter the file (or the name of another group in < >) of the module group entry.";
using TEntryKey = std::pair<std::string, std::string>;

// One change of the dialog against what it read: the rows it deletes, and
// the rows it sets (adds or changes) to their version in the dialog.
struct TChange {
  enum Kind { RuleDelete, RuleAdd, GroupDelete, GroupSet, EntryDelete, EntrySet } kind;
  std::string key;   // rule, GroupId
  std::string file;  // for entries
};

std::vector<TChange> Changes(const TTables& read, const TTables& work) {
  std::vector<TChange> changes;
  for (const std::string& rule : read.rules)
    if (!work.rules.count(rule)) changes.push_back({TChange::RuleDelete, rule, {}});
  for (const std::string& rule : work.rules)
    if (!read.rules.count(rule)) changes.push_back({TChange::RuleAdd, rule, {}});
  for (const auto& [id, group] : read.groups)
    if (!work.groups.count(id)) changes.push_back({TChange::GroupDelete, id, {}});
  for (const auto& [id, group] : work.groups) {
    auto it = read.groups.find(id);
    if (it == read.groups.end() || !(it->second == group)) changes.push_back({TChange::GroupSet, id, {}});
  }
  for (const auto& [key, remarks] : read.entries)
    if (!work.entries.count(key)) changes.push_back({TChange::EntryDelete, key.first, key.second});
  for (const auto& [key, remarks] : work.entries) {
    auto it = read.entries.find(key);
    if (it == read.entries.end() || it->second != remarks)
      changes.push_back({TChange::EntrySet, key.first, key.second});
  }
  return changes;
}

void Apply(TTables& tables, const TChange& change, const TTables& work) {
  switch (change.kind) {
    case TChange::RuleDelete:
      tables.rules.erase(change.key);
      break;
    case TChange::RuleAdd:
      tables.rules.insert(change.key);
      break;
    case TChange::GroupDelete:
      tables.groups.erase(change.key);
      std::erase_if(tables.entries, [&](const auto& e) { return e.first.first == change.key; });
      break;
    case TChange::GroupSet:
      tables.groups[change.key] = work.groups.at(change.key);
      break;
    case TChange::EntryDelete:
      tables.entries.erase({change.key, change.file});
      break;
    case TChange::EntrySet:
      tables.entries[{change.key, change.file}] = work.entries.at({change.key, change.file});
      break;
  }
}

std::string GroupName(const TTables& a, const TTables& b, const std::string& id) {
  for (const TTables* t : {&a, &b}) {
    auto it = t->groups.find(id);
    if (it != t->groups.end()) return it->second.name;
  }
  return id;
}

// The changes that would overwrite what another workstation did since the
// dialog read the tables, each with its message; indices into `changes`.
std::vector<std::pair<size_t, std::string>> Conflicts(const std::vector<TChange>& changes, const TTables& read,
                                                      const TTables& now) {
  std::vector<std::pair<size_t, std::string>> conflicts;
  auto group = [&](const std::string& id) { return "\"" + GroupName(read, now, id) + "\""; };
  auto entry = [&](const TChange& c) { return "The entry \"" + c.file + "\" of the module group " + group(c.key); };
  std::set<std::string> setGroups;
  for (const TChange& c : changes)
    if (c.kind == TChange::GroupSet) setGroups.insert(c.key);
  for (size_t i = 0; i < changes.size(); ++i) {
    const TChange& c = changes[i];
    switch (c.kind) {
      case TChange::RuleDelete:
      case TChange::RuleAdd:
        break;  // a rule is its text alone: nothing of another's change is lost
      case TChange::GroupDelete: {
        auto it = now.groups.find(c.key);
        if (it == now.groups.end()) break;  // deleted there too
        if (!(it->second == read.groups.at(c.key))) {
          conflicts.push_back({i, "The module group " + group(c.key) + " was changed by another workstation."});
          break;
        }
        for (const auto& [key, remarks] : now.entries)
          if (key.first == c.key && !read.entries.count(key)) {
            conflicts.push_back({i, "The module group " + group(c.key) + " was given the entry \"" + key.second +
                                        "\" by another workstation."});
            break;
          }
        break;
      }
      case TChange::GroupSet: {
        auto before = read.groups.find(c.key);
        if (before == read.groups.end()) break;  // a new group
        auto it = now.groups.find(c.key);
        if (it == now.groups.end())
          conflicts.push_back({i, "The module group " + group(c.key) + " was deleted by another workstation."});
        else if (!(it->second == before->second))
          conflicts.push_back({i, "The module group " + group(c.key) + " was changed by another workstation."});
        break;
      }
      case TChange::EntryDelete: {
        auto it = now.entries.find({c.key, c.file});
        if (it != now.entries.end() && it->second != read.entries.at({c.key, c.file}))
          conflicts.push_back({i, entry(c) + " was changed by another workstation."});
        break;
      }
      case TChange::EntrySet: {
        if (!now.groups.count(c.key) && !setGroups.count(c.key)) {
          conflicts.push_back({i, "The module group " + group(c.key) +
                                      " was deleted by another workstation, so the entry \"" + c.file +
                                      "\" cannot be stored in it."});
          break;
        }
        auto before = read.entries.find({c.key, c.file});
        auto it = now.entries.find({c.key, c.file});
        if (before == read.entries.end()) break;  // new here; a twin there is a duplicate, found later
        if (it == now.entries.end())
          conflicts.push_back({i, entry(c) + " was deleted by another workstation."});
        else if (it->second != before->second)
          conflicts.push_back({i, entry(c) + " was changed by another workstation."});
        break;
      }
    }
  }
  return conflicts;
}

// The rows set by the changes, checked against everything else in `final`:
// the first one that cannot be stored stops the commit.
void CheckFinal(const std::vector<TChange>& changes, const TTables& final) {
  for (const TChange& c : changes) {
    if (c.kind == TChange::RuleAdd) {
      CheckField(HiLightTable(), "PropertyName", c.key);
      for (const std::string& other : final.rules)
        if (other != c.key && SameText(other, c.key))
          throw EInvalidEntry("The highlighting rule \"" + c.key + "\" already exists as \"" + other + "\".");
    } else if (c.kind == TChange::GroupSet) {
      const TModuleGroupRow& g = final.groups.at(c.key);
      if (TrimBlanks(g.name).empty()) throw EInvalidEntry(kGroupNameMissing);
      CheckField(ModGrpsTable(), "GroupName", g.name);
      CheckField(ModGrpsTable(), "Remarks", g.remarks);
      for (const auto& [id, other] : final.groups)
        if (id != c.key && SameText(other.name, g.name))
          throw EInvalidEntry("A module group named \"" + other.name + "\" already exists.");
    } else if (c.kind == TChange::EntrySet) {
      const std::string& remarks = final.entries.at({c.key, c.file});
      if (TrimBlanks(c.file).empty()) throw EInvalidEntry(kEntryFileMissing);
      CheckField(ModGrps2Table(), "GroupId", c.key);
      CheckField(ModGrps2Table(), "File", c.file);
      CheckField(ModGrps2Table(), "Remarks", remarks);
      for (const auto& [key, r] : final.entries)
        if (key.first == c.key && key.second != c.file && SameText(key.second, c.file))
          throw EInvalidEntry("The module group \"" + GroupName(final, final, c.key) + "\" already holds \"" +
                              key.second + "\".");
    }
  }
}

TTables Load(TDatabase& db) {
  TTables t;
  {
    TStatement q = db.Prepare("SELECT PropertyName FROM HiLight");
    while (q.Step()) t.rules.insert(q.Text(0));
  }
  {
    TStatement q = db.Prepare("SELECT GroupName, Remarks, GroupId FROM ModGrps");
    while (q.Step()) t.groups[q.Text(2)] = TModuleGroupRow{q.Text(0), q.Text(1), q.Text(2)};
  }
  TStatement q = db.Prepare("SELECT GroupId, File, Remarks FROM ModGrps2");
  while (q.Step()) t.entries[{q.Text(0), q.Text(1)}] = q.Text(2);
  return t;
}

void Write(TDatabase& db, const std::vector<TChange>& changes, const TTables& work, const TTables& now) {
  TStatement deleteRule = db.Prepare("DELETE FROM HiLight WHERE PropertyName = ?1");
  TStatement addRule = db.Prepare("INSERT OR IGNORE INTO HiLight (PropertyName) VALUES (?1)");
  TStatement deleteEntries = db.Prepare("DELETE FROM ModGrps2 WHERE GroupId = ?1");
  TStatement deleteEntry = db.Prepare("DELETE FROM ModGrps2 WHERE GroupId = ?1 AND File = ?2");
  TStatement deleteGroup = db.Prepare("DELETE FROM ModGrps WHERE GroupId = ?1");
  TStatement addGroup = db.Prepare("INSERT INTO ModGrps (GroupName, Remarks, GroupId) VALUES (?1, ?2, ?3)");
  TStatement setEntry = db.Prepare(
      "INSERT INTO ModGrps2 (GroupId, File, Remarks) VALUES (?1, ?2, ?3) "
      "ON CONFLICT (GroupId, File) DO UPDATE SET Remarks = excluded.Remarks");
  // Deletions first, so that a name or file given up by one row can be
  // taken by another in the same commit; a changed group is written as a
  // new row, since its name is the table's key.
  for (const TChange& c : changes) {
    if (c.kind == TChange::RuleDelete) deleteRule.Bind(1, c.key).Run();
    if (c.kind == TChange::EntryDelete || (c.kind == TChange::EntrySet && now.entries.count({c.key, c.file})))
      deleteEntry.Bind(1, c.key).Bind(2, c.file).Run();
    if (c.kind == TChange::GroupDelete) deleteEntries.Bind(1, c.key).Run();
    if (c.kind == TChange::GroupDelete || c.kind == TChange::GroupSet) deleteGroup.Bind(1, c.key).Run();
  }
  for (const TChange& c : changes) {
    if (c.kind == TChange::RuleAdd) addRule.Bind(1, c.key).Run();
    if (c.kind == TChange::GroupSet) {
      const TModuleGroupRow& g = work.groups.at(c.key);
      addGroup.Bind(1, g.name).Bind(2, g.remarks).Bind(3, g.id).Run();
    }
  }
  for (const TChange& c : changes)
    if (c.kind == TChange::EntrySet)
      setEntry.Bind(1, c.key).Bind(2, c.file).Bind(3, work.entries.at({c.key, c.file})).Run();
}

}  // namespace

TdatConfig::TdatConfig(TdatCommon& common) : common_(common) {}

TdatConfig::~TdatConfig() = default;

TDatabase& TdatConfig::Connection() {
  if (!db_) db_ = common_.NewConnection();
  return *db_;
}

void TdatConfig::BeginConfig() {
  read_ = Load(Connection());
  work_ = read_;
  begun_ = true;
}

void TdatConfig::Begin() {
  if (!begun_) BeginConfig();
}

bool TdatConfig::HasChanges() const { return begun_ && !(read_ == work_); }

void TdatConfig::CommitConfig() {
  if (!begun_) return;
  std::vector<TChange> changes = Changes(read_, work_);
  if (changes.empty()) {
    RollbackConfig();
    return;
  }
  // Every row is checked before the write lock is taken, and again against
  // the tables as they are once it is held: nothing is written unless all
  // of it can be.
  CheckFinal(changes, work_);
  TDatabase& db = Connection();
  TWriteTransaction transaction(db);
  TTables now = Load(db);
  std::vector<std::string> messages;
  for (auto& [index, message] : Conflicts(changes, read_, now)) messages.push_back(std::move(message));
  if (!messages.empty()) throw EEditConflict(std::move(messages));
  TTables final = now;
  for (const TChange& c : changes) Apply(final, c, work_);
  CheckFinal(changes, final);
  Write(db, changes, work_, now);
  transaction.Commit();
  RollbackConfig();
}

void TdatConfig::RollbackConfig() {
  read_ = {};
  work_ = {};
  begun_ = false;
}

std::vector<std::string> TdatConfig::DiscardConflictingChanges() {
  Begin();
  TTables now = Load(Connection());
  std::vector<TChange> changes = Changes(read_, work_);
  auto conflicts = Conflicts(changes, read_, now);
  std::set<size_t> dropped;
  std::set<std::string> keptGroups;
  std::vector<std::string> messages;
  for (auto& [index, message] : conflicts) {
    dropped.insert(index);
    messages.push_back(std::move(message));
    if (changes[index].kind == TChange::GroupDelete) keptGroups.insert(changes[index].key);
  }
  // A group that stays keeps the entries its deletion would have taken.
  for (size_t i = 0; i < changes.size(); ++i)
    if (changes[i].kind == TChange::EntryDelete && keptGroups.count(changes[i].key)) dropped.insert(i);
  TTables rebased = now;
  for (size_t i = 0; i < changes.size(); ++i)
    if (!dropped.count(i)) Apply(rebased, changes[i], work_);
  read_ = std::move(now);
  work_ = std::move(rebased);
  return messages;
}

std::vector<std::string> TdatConfig::GetRules() {
  Begin();
  return {work_.rules.begin(), work_.rules.end()};
}

void TdatConfig::CheckRule(std::string_view rule, std::string_view except) const {
  if (TrimBlanks(rule).empty()) throw EInvalidEntry("Please enter the highlighting rule.");
  CheckField(HiLightTable(), "PropertyName", rule);
  for (const std::string& other : work_.rules)
    if (other != except && SameText(other, rule))
      throw EInvalidEntry("The highlighting rule \"" + other + "\" already exists.");
}

void TdatConfig::AddRule(std::string_view rule) {
  Begin();
  CheckRule(rule, {});
  work_.rules.emplace(rule);
}

void TdatConfig::ChangeRule(std::string_view rule, std::string_view newRule) {
  Begin();
  if (!work_.rules.count(std::string(rule)))
    throw EInvalidEntry("The highlighting rule \"" + std::string(rule) + "\" is not in the list.");
  CheckRule(newRule, rule);
  work_.rules.erase(std::string(rule));
  work_.rules.emplace(newRule);
}

void TdatConfig::DeleteRule(std::string_view rule) {
  Begin();
  work_.rules.erase(std::string(rule));
}

void TdatConfig::SetHighlightingDefaults() {
  Begin();
  for (const std::string& rule : DefaultHighlightRules()) {
    bool present = std::any_of(work_.rules.begin(), work_.rules.end(),
                               [&](const std::string& have) { return SameText(have, rule); });
    if (!present) work_.rules.insert(rule);
  }
}

std::vector<TModuleGroupRow> TdatConfig::GetGroups() {
  Begin();
  std::vector<TModuleGroupRow> groups;
  for (const auto& [id, group] : work_.groups) groups.push_back(group);
  std::sort(groups.begin(), groups.end(),
            [](const TModuleGroupRow& a, const TModuleGroupRow& b) { return a.name < b.name; });
  return groups;
}

const TModuleGroupRow& TdatConfig::Group(std::string_view groupId) const {
  auto it = work_.groups.find(std::string(groupId));
  if (it == work_.groups.end()) throw EInvalidEntry("The module group is no longer in the list.");
  return it->second;
}

void TdatConfig::CheckGroup(std::string_view name, std::string_view remarks, std::string_view exceptId) const {
  if (TrimBlanks(name).empty()) throw EInvalidEntry(kGroupNameMissing);
  CheckField(ModGrpsTable(), "GroupName", name);
  CheckField(ModGrpsTable(), "Remarks", remarks);
  for (const auto& [id, group] : work_.groups)
    if (id != exceptId && SameText(group.name, name))
      throw EInvalidEntry("A module group named \"" + group.name + "\" already exists.");
}

std::string TdatConfig::NewGroup(std::string_view name, std::string_view remarks) {
  Begin();
  CheckGroup(name, remarks, {});
  std::string id = common_.IdGenerator().NewUniqueId();
  work_.groups[id] = TModuleGroupRow{std::string(name), std::string(remarks), id};
  return id;
}

void TdatConfig::ModifyGroup(std::string_view groupId, std::string_view name, std::string_view remarks) {
  Begin();
  Group(groupId);
  CheckGroup(name, remarks, groupId);
  TModuleGroupRow& group = work_.groups[std::string(groupId)];
  group.name = name;
  group.remarks = remarks;
}

void TdatConfig::DeleteGroup(std::string_view groupId) {
  Begin();
  work_.groups.erase(std::string(groupId));
  std::erase_if(work_.entries, [&](const auto& e) { return e.first.first == groupId; });
}

std::vector<TModuleEntryRow> TdatConfig::GetEntries(std::string_view groupId) {
  Begin();
  std::vector<TModuleEntryRow> entries;
  for (auto it = work_.entries.lower_bound({std::string(groupId), std::string()});
       it != work_.entries.end() && it->first.first == groupId; ++it)
    entries.push_back({it->first.second, it->second});
  return entries;
}

void TdatConfig::CheckEntry(std::string_view groupId, std::string_view file, std::string_view remarks,
                            std::string_view exceptFile) const {
  const TModuleGroupRow& group = Group(groupId);
  if (TrimBlanks(file).empty()) throw EInvalidEntry(kEntryFileMissing);
  CheckField(ModGrps2Table(), "File", file);
  CheckField(ModGrps2Table(), "Remarks", remarks);
  for (auto it = work_.entries.lower_bound({std::string(groupId), std::string()});
       it != work_.entries.end() && it->first.first == groupId; ++it)
    if (it->first.second != exceptFile && SameText(it->first.second, file))
      throw EInvalidEntry("The module group \"" + group.name + "\" already holds \"" + it->first.second + "\".");
}

void TdatConfig::AddEntry(std::string_view groupId, std::string_view file, std::string_view remarks) {
  Begin();
  CheckEntry(groupId, file, remarks, {});
  work_.entries[{std::string(groupId), std::string(file)}] = remarks;
}

void TdatConfig::ChangeEntry(std::string_view groupId, std::string_view file, std::string_view newFile,
                             std::string_view newRemarks) {
  Begin();
  auto it = work_.entries.find({std::string(groupId), std::string(file)});
  if (it == work_.entries.end())
    throw EInvalidEntry("The entry \"" + std::string(file) + "\" is no longer in the module group.");
  CheckEntry(groupId, newFile, newRemarks, file);
  work_.entries.erase(it);
  work_.entries[{std::string(groupId), std::string(newFile)}] = newRemarks;
}

void TdatConfig::DeleteEntry(std::string_view groupId, std::string_view file) {
  Begin();
  work_.entries.erase({std::string(groupId), std::string(file)});
}

}  // namespace kst
