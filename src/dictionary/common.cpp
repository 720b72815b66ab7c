// Connecting to the dictionary and setting up its tables and default rows.
#include "dictionary/common.h"

#include <set>

#include "config/interaction.h"
#include "config/language_info.h"
#include "dictionary/dictionary_schema.h"
#include "dictionary/fuzzy_index.h"

namespace kst {

const std::vector<TDefaultModuleGroup>& DefaultModuleGroups() {
  static const std::vector<TDefaultModuleGroup> groups{
      {"VCL-Basics",
       "Standard VCL forms and resources",
       {"%CommonDelphiLibDir%\\buttons.res", "%CommonDelphiLibDir%\\controls.res",
        "%CommonDelphiLibDir%\\extdlgs.res", "%CommonDelphiLibDir%\\filectrl.res"}},
      {"QuickReport",
       "QuickReport forms and resources",
       {"%CommonDelphiLibDir%\\qrprev.dfm", "%CommonDelphiLibDir%\\qrprgres.dfm",
        "%CommonDelphiLibDir%\\qrrpt30.res", "%CommonDelphiLibDir%\\qr2const.res"}},
  };
  return groups;
}

const std::vector<std::string>& DefaultHighlightRules() {
  static const std::vector<std::string> rules{"?.Caption", "?.Hint", "?.DisplayLabel", "TOpenDialog.Filter",
                                              "TSaveDialog.Filter"};
  return rules;
}

void ConfigureDictionaryConnection(TDatabase& db) {
  // Look-ups in a dictionary of a million translations stay in memory (the
  // server keeps its own cache).
  if (db.Kind() == TDatabaseKind::Sqlite) db.Exec("PRAGMA cache_size = -32768");
}

TdatCommon::TdatCommon(const TDatabaseEngine& engine, TUserInteraction& interaction)
    : engine_(engine), interaction_(interaction), db_(engine.Connect(kDictionaryAlias)) {
  ConfigureDictionaryConnection(*db_);
  SetUpTables();
}

TdatCommon::TdatCommon(const TDatabaseEngine& engine, TUserInteraction& interaction, std::unique_ptr<TDatabase> db)
    : engine_(engine), interaction_(interaction), db_(std::move(db)) {
  ConfigureDictionaryConnection(*db_);
  SetUpTables();
}

std::unique_ptr<TDatabase> TdatCommon::NewConnection() const {
  auto db = engine_.ConnectLike(*db_);
  ConfigureDictionaryConnection(*db);
  return db;
}

template <typename F>
void TdatCommon::Guarded(F&& step) {
  try {
    step();
  } catch (const std::exception& e) {
    interaction_.ShowWarning(e.what());
  }
}

void TdatCommon::SetUpTables() {
  Guarded([&] { SetUpLanguageList(); });
  Guarded([&] {
    SetUpTable(StrIdxTable());
    SetUpFuzzyIndex(*db_);
  });
  Guarded([&] { SetUpTable(TrnsHistTable()); });
  Guarded([&] { SetUpHighlightRules(); });
  Guarded([&] { SetUpTable(ModGrpsTable()); });
  Guarded([&] { SetUpTable(ModGrps2Table()); });
  Guarded([&] { SetUpTable(IniTable()); });
  Guarded([&] { SetUpDefaultGroups(); });
}

namespace {

bool TableComplete(TDatabase& db, const TTableDef& table) {
  if (!TableExists(db, table) || !IndexExists(db, table, "")) return false;
  for (const TIndexDef& index : table.indexes)
    if (!IndexExists(db, table, index.name)) return false;
  return true;
}

// Creates what is missing of the table inside the caller's write transaction.
void CompleteTable(TDatabase& db, const TTableDef& table) {
  if (!TableExists(db, table)) CreateTable(db, table);
  if (!IndexExists(db, table, "")) AddPrimaryIndex(db, table);
  for (const TIndexDef& index : table.indexes)
    if (!IndexExists(db, table, index.name)) AddIndex(db, table, index);
}

}  // namespace

void TdatCommon::SetUpTable(const TTableDef& table) {
  // Looking first keeps an ordinary start from taking the write lock.
  if (TableComplete(*db_, table)) return;
  TWriteTransaction transaction(*db_);
  CompleteTable(*db_, table);
  transaction.Commit();
}

void TdatCommon::SetUpLanguageList() {
  const TTableDef& table = LangListTable();
  SetUpTable(table);
  std::set<int> present;
  {
    TStatement q = db_->Prepare("SELECT LangId FROM LangList");
    while (q.Step()) present.insert(static_cast<int>(q.Int(0)));
  }
  std::vector<int> missing;
  // The IDs a Windows language identifier can hold: primary languages 1 to
  // 1023, sub-languages 0 to 63.
  for (int id : KnownLanguageIds())
    if (id > 0 && id <= 0xFFFF && PrimaryLanguage(id) >= 1 && !present.count(id)) missing.push_back(id);
  if (missing.empty()) return;

  TWriteTransaction transaction(*db_);
  TStatement insert =
      db_->Prepare("INSERT OR IGNORE INTO LangList (LangId, Abbr, Language, Country) VALUES (?1, ?2, ?3, ?4)");
  for (int id : missing) {
    // A row that cannot be stored is left out; the others still go in.
    try {
      std::string language = LanguageInfoText(id, LOCALE_SLANGUAGE);
      std::string abbr = LanguageInfoText(id, LOCALE_SABBREVLANGNAME);
      if (language.empty() || abbr.empty()) continue;
      std::string country = SubLanguage(id) != 0 ? "(" + LanguageInfoText(id, LOCALE_SCOUNTRY) + ")" : "";
      CheckField(table, "Abbr", abbr);
      CheckField(table, "Language", language);
      CheckField(table, "Country", country);
      TStatementUse use(insert);
      insert.Bind(1, id).Bind(2, abbr).Bind(3, language).Bind(4, country);
      insert.Step();
    } catch (const EDatabaseBusy&) {
      throw;
    } catch (const EDatabaseError&) {
    }
  }
  transaction.Commit();
}

void TdatCommon::SetUpHighlightRules() {
  const TTableDef& table = HiLightTable();
  if (!TableExists(*db_, table)) {
    TWriteTransaction transaction(*db_);
    // Another process may have created it since we looked.
    if (!TableExists(*db_, table)) {
      CreateTable(*db_, table);
      TStatement insert = db_->Prepare("INSERT OR IGNORE INTO HiLight (PropertyName) VALUES (?1)");
      for (const std::string& rule : DefaultHighlightRules()) {
        TStatementUse use(insert);
        insert.Bind(1, rule).Step();
      }
    }
    transaction.Commit();
  }
  SetUpTable(table);
}

void TdatCommon::SetUpDefaultGroups() {
  const TSqlDialect sql = db_->Dialect();
  TStatement find = db_->Prepare("SELECT 1 FROM ModGrps WHERE " + sql.NoCase("GroupName") + " = " + sql.NoCase("?1"));
  auto exists = [&](const char* name) {
    TStatementUse use(find);
    find.Bind(1, name);
    return find.Step();
  };
  for (const TDefaultModuleGroup& group : DefaultModuleGroups()) {
    if (exists(group.name)) continue;
    TWriteTransaction transaction(*db_);
    if (!exists(group.name)) {
      std::string id = ids_.NewUniqueId();
      TStatement file = db_->Prepare("INSERT INTO ModGrps2 (GroupId, File, Remarks) VALUES (?1, ?2, '')");
      for (const char* name : group.files) {
        TStatementUse use(file);
        file.Bind(1, id).Bind(2, name).Step();
      }
      TStatement row = db_->Prepare("INSERT INTO ModGrps (GroupName, Remarks, GroupId) VALUES (?1, ?2, ?3)");
      row.Bind(1, group.name).Bind(2, group.remarks).Bind(3, id).Run();
    }
    transaction.Commit();
  }
}

TDictionaryStatistics DictionaryStatistics(TdatCommon& common) {
  TDictionaryStatistics result;
  TDatabase& db = common.Database();
  for (const TTableDef* table : AllTables()) {
    TStatement count = db.Prepare("SELECT count(*) FROM " + QuoteName(table->Name()));
    count.Step();
    result.tables.push_back({table->fileName, count.Int(0)});
  }
  TStatement q = db.Prepare(
      "SELECT t.LangId, coalesce(l.Abbr, ''), count(*) FROM TrnsHist t LEFT JOIN LangList l ON l.LangId = t.LangId "
      "GROUP BY t.LangId, l.Abbr ORDER BY t.LangId");
  while (q.Step()) result.languages.push_back({static_cast<int>(q.Int(0)), q.Text(1), q.Int(2)});
  return result;
}

}  // namespace kst
