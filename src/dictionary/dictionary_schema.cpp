// Table definitions and the engine-level set-up steps.
#include "dictionary/dictionary_schema.h"

#include "config/text_helpers.h"
#include "platform/same_text.h"

namespace kst {

namespace {

constexpr TFieldType kText = TFieldType::Text;
constexpr TFieldType kInt = TFieldType::Integer;

std::vector<std::string> SplitFields(std::string_view fields) {
  std::vector<std::string> out;
  size_t start = 0;
  while (start <= fields.size()) {
    size_t end = fields.find(';', start);
    if (end == std::string_view::npos) end = fields.size();
    out.emplace_back(fields.substr(start, end - start));
    start = end + 1;
  }
  return out;
}

// The server has no case-insensitive collation for byte strings: its
// case-insensitive indexes are on lower() of the text fields, the form
// TSqlDialect::NoCase compares.
std::string ColumnList(TDatabase& db, const TTableDef& table, std::string_view fields, bool caseInsensitive) {
  const bool server = db.Kind() == TDatabaseKind::PostgreSql;
  std::string out;
  for (const std::string& field : SplitFields(fields)) {
    if (!out.empty()) out += ", ";
    if (!caseInsensitive)
      out += QuoteName(field);
    else if (!server)
      out += QuoteName(field) + " COLLATE NOCASE";
    else if (table.Field(field).type == TFieldType::Text)
      out += "lower(" + QuoteName(field) + ")";
    else
      out += QuoteName(field);
  }
  return out;
}

// The name of a primary index added to a table that was made without one.
std::string PrimaryIndexName(const TTableDef& table) { return table.Name() + "Primary"; }

}  // namespace

std::string QuoteName(std::string_view name) {
  std::string out = "\"";
  for (char c : name) {
    out += c;
    if (c == '"') out += '"';
  }
  return out + "\"";
}

std::string TTableDef::Name() const {
  std::string_view file(fileName);
  return std::string(file.substr(0, file.rfind('.')));
}

const TFieldDef& TTableDef::Field(std::string_view name) const {
  for (const TFieldDef& f : fields)
    if (SameText(f.name, name)) return f;
  throw std::logic_error("no field " + std::string(name) + " in " + fileName);
}

const TTableDef& StrIdxTable() {
  static const TTableDef def{"StrIdx.db",
                             {{"SourceString", kText, 255, false}, {"StrID", kText, 40, false}},
                             {"", "SourceString;StrID", false},
                             {{"BySourceString", "SourceString", true}}};
  return def;
}

const TTableDef& TrnsHistTable() {
  static const TTableDef def{
      "TrnsHist.db",
      {{"SourceStrID", kText, 40, false}, {"LangId", kInt, 0, false}, {"Translation", kText, 255, false}},
      {"", "SourceStrID;LangId;Translation", false},
      {{"ByIDLangAndTranslation", "SourceStrID;LangId", true}, {"ByID", "SourceStrID", true}, {"LangId", "LangId", true}}};
  return def;
}

const TTableDef& LangListTable() {
  static const TTableDef def{"LangList.db",
                             {{"LangId", kInt, 0, false},
                              {"Abbr", kText, 3, false},
                              {"Language", kText, 128, false},
                              {"Country", kText, 128, false}},
                             {"", "LangId", false},
                             {}};
  return def;
}

const TTableDef& HiLightTable() {
  static const TTableDef def{"HiLight.db", {{"PropertyName", kText, 255, false}}, {"", "PropertyName", false}, {}};
  return def;
}

const TTableDef& ModGrpsTable() {
  static const TTableDef def{
      "ModGrps.DB",
      {{"GroupName", kText, 30, true}, {"Remarks", kText, 255, false}, {"GroupId", kText, 40, true}},
      {"", "GroupName", false},
      {}};
  return def;
}

const TTableDef& ModGrps2Table() {
  static const TTableDef def{
      "ModGrps2.DB",
      {{"GroupId", kText, 40, true}, {"File", kText, 255, true}, {"Remarks", kText, 255, false}},
      {"", "GroupId;File", false},
      {}};
  return def;
}

const TTableDef& IniTable() {
  static const TTableDef def{"tblIni.db",
                             {{"Path", kText, 255, false}, {"Data", kText, 255, false}},
                             {"", "Path", false},
                             {{"ByPath", "Path", true}}};
  return def;
}

std::vector<const TTableDef*> AllTables() {
  return {&LangListTable(), &StrIdxTable(), &TrnsHistTable(), &HiLightTable(),
          &ModGrpsTable(), &ModGrps2Table(), &IniTable()};
}

void CheckField(const TTableDef& table, std::string_view field, std::string_view value) {
  const TFieldDef& def = table.Field(field);
  if (def.required && value.empty())
    throw ETextTooLong("Field '" + std::string(def.name) + "' of " + table.fileName + " must have a value");
  if (def.type == TFieldType::Text && value.size() > static_cast<size_t>(def.width)) {
    std::string shown(value.substr(0, 40));
    throw ETextTooLong("The text \"" + shown + (value.size() > 40 ? "..." : "") + "\" is too long for field '" +
                       def.name + "' of " + table.fileName + ": " + std::to_string(value.size()) +
                       " characters, at most " + std::to_string(def.width) + " fit. Nothing was stored.");
  }
}

bool TableExists(TDatabase& db, const TTableDef& table) {
  // The server folds every name we give it to lower case.
  TStatement q = db.Prepare(db.Kind() == TDatabaseKind::PostgreSql
                                ? "SELECT 1 FROM pg_catalog.pg_tables WHERE schemaname = current_schema() AND "
                                  "tablename = lower(?1)"
                                : "SELECT 1 FROM sqlite_schema WHERE type = 'table' AND name = ?1 COLLATE NOCASE");
  q.Bind(1, table.Name());
  return q.Step();
}

bool IndexExists(TDatabase& db, const TTableDef& table, std::string_view indexName) {
  if (db.Kind() == TDatabaseKind::PostgreSql) {
    TStatement q = db.Prepare(
        "SELECT i.indexname, x.indisprimary FROM pg_catalog.pg_indexes i "
        "JOIN pg_catalog.pg_class c ON c.relname = i.indexname AND c.relnamespace = current_schema()::regnamespace "
        "JOIN pg_catalog.pg_index x ON x.indexrelid = c.oid "
        "WHERE i.schemaname = current_schema() AND i.tablename = lower(?1)");
    q.Bind(1, table.Name());
    while (q.Step()) {
      std::string name = q.Text(0);
      if (indexName.empty() ? q.Text(1) == "t" || SameText(name, PrimaryIndexName(table)) : SameText(name, indexName))
        return true;
    }
    return false;
  }
  TStatement q = db.Prepare("SELECT name, origin FROM pragma_index_list(?1)");
  q.Bind(1, table.Name());
  while (q.Step()) {
    std::string name = q.Text(0);
    if (indexName.empty() ? q.Text(1) == "pk" || SameText(name, PrimaryIndexName(table)) : SameText(name, indexName))
      return true;
  }
  return false;
}

void CreateTable(TDatabase& db, const TTableDef& table) {
  std::string sql = "CREATE TABLE IF NOT EXISTS " + QuoteName(table.Name()) + " (";
  if (db.Kind() == TDatabaseKind::PostgreSql) {
    // Texts are bytes in the program's code page ("C": compared and
    // ordered byte for byte, as in SQLite).
    for (const TFieldDef& f : table.fields) {
      std::string name = QuoteName(f.name);
      if (f.type == TFieldType::Integer) {
        sql += name + " INTEGER NOT NULL DEFAULT 0, ";
      } else {
        sql += name + " TEXT COLLATE \"C\" NOT NULL DEFAULT '' CHECK (octet_length(" + name +
               ") <= " + std::to_string(f.width) + ")";
        if (f.required) sql += " CHECK (" + name + " <> '')";
        sql += ", ";
      }
    }
    // The row numbers SQLite gives every table, which the editor's pages and
    // the settings store find rows by; last, so that a row written without
    // naming its fields still fills them in their order.
    sql += "rowid BIGINT GENERATED BY DEFAULT AS IDENTITY UNIQUE, ";
    sql += "PRIMARY KEY (" + ColumnList(db, table, table.primary.fields, false) + "))";
    db.Exec(sql);
    return;
  }
  for (const TFieldDef& f : table.fields) {
    std::string name = QuoteName(f.name);
    if (f.type == TFieldType::Integer) {
      sql += name + " INTEGER NOT NULL DEFAULT 0 CHECK (" + name + " BETWEEN -2147483648 AND 2147483647), ";
    } else {
      sql += name + " TEXT NOT NULL DEFAULT '' CHECK (length(CAST(" + name + " AS BLOB)) <= " +
             std::to_string(f.width) + ")";
      if (f.required) sql += " CHECK (" + name + " <> '')";
      sql += ", ";
    }
  }
  sql += "PRIMARY KEY (" + ColumnList(db, table, table.primary.fields, false) + "))";
  db.Exec(sql);
}

void AddIndex(TDatabase& db, const TTableDef& table, const TIndexDef& index) {
  db.Exec("CREATE INDEX IF NOT EXISTS " + QuoteName(index.name) + " ON " + QuoteName(table.Name()) + " (" +
          ColumnList(db, table, index.fields, index.caseInsensitive) + ")");
}

void AddPrimaryIndex(TDatabase& db, const TTableDef& table) {
  db.Exec("CREATE UNIQUE INDEX IF NOT EXISTS " + QuoteName(PrimaryIndexName(table)) + " ON " + QuoteName(table.Name()) +
          " (" + ColumnList(db, table, table.primary.fields, false) + ")");
}

}  // namespace kst
