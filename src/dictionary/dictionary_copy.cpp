// Copying a dictionary between two databases, and the comparison after it.
#include "dictionary/dictionary_copy.h"

#include <variant>

#include "config/text_helpers.h"
#include "dictionary/common.h"
#include "dictionary/dictionary_schema.h"
#include "dictionary/translation_history.h"

namespace kst {

namespace {

// Rows per INSERT: one round trip to a server for many rows, well within
// both engines' limits on parameters.
constexpr size_t kRowsPerInsert = 100;

std::string FieldList(const TTableDef& table) {
  std::string list;
  for (const TFieldDef& f : table.fields) list += (list.empty() ? "" : ", ") + QuoteName(f.name);
  return list;
}

int64_t Rows(TDatabase& db, const TTableDef& table) {
  TStatement count = db.Prepare("SELECT count(*) FROM " + QuoteName(table.Name()));
  return count.Step() ? count.Int(0) : 0;
}

using TValue = std::variant<std::string, long long>;

std::string InsertSql(const TTableDef& table, size_t rows) {
  std::string sql = "INSERT INTO " + QuoteName(table.Name()) + " (" + FieldList(table) + ") VALUES ";
  int parameter = 0;
  for (size_t r = 0; r < rows; ++r) {
    sql += r ? ", (" : "(";
    for (size_t f = 0; f < table.fields.size(); ++f) sql += (f ? ", ?" : "?") + std::to_string(++parameter);
    sql += ")";
  }
  return sql;
}

// In the source's row order, which is the order SQLite gave its rows and
// which the editor keeps for sources of equal keys.
void CopyTable(TDatabase& from, TDatabase& to, const TTableDef& table) {
  TStatement read = from.Prepare("SELECT " + FieldList(table) + " FROM " + QuoteName(table.Name()) + " ORDER BY rowid");
  TStatement full = to.Prepare(InsertSql(table, kRowsPerInsert));
  std::vector<TValue> pending;
  const size_t width = table.fields.size();
  auto flush = [&](TStatement& insert) {
    int parameter = 0;
    for (const TValue& value : pending) {
      if (const auto* text = std::get_if<std::string>(&value))
        insert.Bind(++parameter, *text);
      else
        insert.Bind(++parameter, std::get<long long>(value));
    }
    insert.Run();
    pending.clear();
  };
  while (read.Step()) {
    for (size_t f = 0; f < width; ++f) {
      if (table.fields[f].type == TFieldType::Integer)
        pending.emplace_back(read.Int(static_cast<int>(f)));
      else
        pending.emplace_back(read.Text(static_cast<int>(f)));
    }
    if (pending.size() == kRowsPerInsert * width) flush(full);
  }
  if (!pending.empty()) {
    TStatement rest = to.Prepare(InsertSql(table, pending.size() / width));
    flush(rest);
  }
}

// Up to `samples` source strings spread evenly over the dictionary.
std::vector<std::string> SampleSources(TDatabase& db, int samples) {
  std::vector<std::string> all;
  TStatement q = db.Prepare("SELECT SourceString FROM StrIdx ORDER BY rowid");
  while (q.Step()) all.push_back(q.Text(0));
  if (samples <= 0) return {};
  if (all.size() <= static_cast<size_t>(samples)) return all;
  std::vector<std::string> chosen;
  for (size_t k = 0; k < static_cast<size_t>(samples); ++k) chosen.push_back(all[k * all.size() / samples]);
  return chosen;
}

}  // namespace

bool TDictionaryCopyReport::Same() const {
  for (const TTable& t : tables)
    if (t.from != t.to) return false;
  for (const TLookUp& l : lookUps)
    if (l.from != l.to) return false;
  return true;
}

TDictionaryCopyReport CopyDictionary(TdatCommon& from, TdatCommon& to, int samples) {
  TDatabase& source = from.Database();
  TDatabase& target = to.Database();
  if (source.Kind() == target.Kind() && source.DisplayName() == target.DisplayName())
    throw EDictionaryError("A dictionary cannot be copied onto itself (" + source.DisplayName() + ")");
  {
    TWriteTransaction transaction(target);
    const int64_t held = Rows(target, StrIdxTable()) + Rows(target, TrnsHistTable());
    if (held > 0)
      throw EDictionaryError("The dictionary at " + target.DisplayName() + " already holds " + std::to_string(held) +
                             " source strings and translations; a copy goes only into an empty dictionary, so that "
                             "nothing there is lost");
    // The target's own default rows make way for the source's.
    for (const TTableDef* table : AllTables()) target.Exec("DELETE FROM " + QuoteName(table->Name()));
    for (const TTableDef* table : AllTables()) CopyTable(source, target, *table);
    transaction.Commit();
  }

  TDictionaryCopyReport report;
  for (const TTableDef* table : AllTables())
    report.tables.push_back({table->fileName, Rows(source, *table), Rows(target, *table)});
  TdatTranslationHistory fromHistory(from), toHistory(to);
  TStatement languages =
      source.Prepare("SELECT DISTINCT LangId FROM TrnsHist WHERE " + source.Dialect().NoCase("SourceStrID") + " = " +
                     source.Dialect().NoCase("?1") + " ORDER BY LangId");
  for (const std::string& stored : SampleSources(source, samples)) {
    const std::string text = DecodeQuotedHex(stored, &from.Interaction());
    const std::string id = fromHistory.GetStrID(text);
    std::vector<int> ids;
    {
      TStatementUse use(languages);
      languages.Bind(1, id);
      while (languages.Step()) ids.push_back(static_cast<int>(languages.Int(0)));
    }
    for (int language : ids) {
      TDictionaryCopyReport::TLookUp lookUp{text, language, {}, {}};
      fromHistory.GetKnownTranslations(text, language, lookUp.from);
      toHistory.GetKnownTranslations(text, language, lookUp.to);
      report.lookUps.push_back(std::move(lookUp));
    }
  }
  return report;
}

}  // namespace kst
