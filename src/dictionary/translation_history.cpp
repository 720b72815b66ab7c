// The dictionary operations on StrIdx and TrnsHist.
#include "dictionary/translation_history.h"

#include <chrono>

#include "config/interaction.h"
#include "config/language_info.h"
#include "config/text_helpers.h"
#include "dictionary/common.h"
#include "dictionary/dictionary_schema.h"
#include "dictionary/fuzzy_index.h"
#include "platform/file_utils.h"
#include "platform/ini_file.h"
#include "platform/same_text.h"

namespace kst {

namespace {

uint32_t TickCount() {
  using namespace std::chrono;
  return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

}  // namespace

// The stored form of a source string or translation; refused, not cut, when
// it would not fit (see kMaxStoredText).
std::string EncodeForStorage(std::string_view text, const char* field) {
  std::string encoded = EncodeQuotedHex(text);
  if (encoded.size() > kMaxStoredText) {
    std::string shown(text.substr(0, 40));
    throw ETextTooLong("The text \"" + shown + (text.size() > 40 ? "..." : "") +
                       "\" is too long for the dictionary: its stored form (field '" + field + "') has " +
                       std::to_string(encoded.size()) + " characters, at most " + std::to_string(kMaxStoredText) +
                       " fit. Nothing was stored.");
  }
  return encoded;
}

TDictionaryFile ReadDictionaryFile(TDatabase& db, const std::string& fileName) {
  TDictionaryFile file;
  std::string ext = ExtractFileExt(fileName);
  if (ext.size() <= 1) throw EDictionaryError("Unknown dictionary file language");
  {
    const TSqlDialect sql = db.Dialect();
    TStatement q = db.Prepare("SELECT LangId FROM LangList WHERE " + sql.NoCase("Abbr") + " = " + sql.NoCase("?1") +
                              " ORDER BY LangId LIMIT 1");
    q.Bind(1, ext.substr(1));
    if (!q.Step()) throw EDictionaryError("Unknown dictionary file language");
    file.languageId = static_cast<int>(q.Int(0));
  }
  if (!FileExists(fileName)) throw EFileError("Cannot open file \"" + fileName + "\". No such file.");
  TIniFile ini(fileName);
  for (const std::string& key : ini.ReadSection("Strings"))
    file.entries.emplace_back(key, ini.ReadString("Strings", key, ""));
  return file;
}

TdatTranslationHistory::TdatTranslationHistory(TdatCommon& common) : common_(common), db_(common.Database()) {}

TStatement& TdatTranslationHistory::Statement(TStatement& slot, const std::string& sql) {
  // Prepared on first use, so that a table the set-up could not create
  // fails the operation that needs it, not the construction.
  if (!slot.Prepared()) slot = db_.Prepare(sql);
  return slot;
}

void TdatTranslationHistory::RefreshTables(bool force) {
  uint32_t now = TickCount();
  if (!force && lastRefresh_ != 0 && now - lastRefresh_ <= 10000) return;
  lastRefresh_ = now;
}

std::string TdatTranslationHistory::FindStrID(const std::string& encodedSource) {
  const TSqlDialect sql = db_.Dialect();
  TStatement& q = Statement(findStrId_, "SELECT StrID FROM StrIdx WHERE " + sql.NoCase("SourceString") + " = " +
                                            sql.NoCase("?1") + " LIMIT 1");
  TStatementUse use(q);
  q.Bind(1, encodedSource);
  return q.Step() ? q.Text(0) : std::string();
}

std::string TdatTranslationHistory::GetStrID(std::string_view source) {
  RefreshTables(false);
  std::string encoded = EncodeQuotedHex(source);
  if (encoded.size() > static_cast<size_t>(StrIdxTable().Field("SourceString").width)) return {};
  return FindStrID(encoded);
}

std::string TdatTranslationHistory::GetOrAddStrID(std::string_view source) {
  std::string encoded = EncodeForStorage(source, "SourceString");
  // Looking and adding in one write transaction: two processes adding the
  // same new source at once must not make two entries for it.
  TWriteTransaction transaction(db_);
  RefreshTables(false);
  std::string id = FindStrID(encoded);
  if (id.empty()) {
    id = common_.IdGenerator().NewUniqueId();
    TStatement& insert = Statement(insertStrIdx_, "INSERT INTO StrIdx (SourceString, StrID) VALUES (?1, ?2)");
    TStatementUse use(insert);
    insert.Bind(1, encoded).Bind(2, id).Step();
  }
  transaction.Commit();
  return id;
}

void TdatTranslationHistory::AddTranslation(std::string_view source, std::string_view translation, int languageId) {
  TStatusScope hint(&common_.Interaction(), TShow::Hint, "Adding to Dictionary: \"" + std::string(source) + "\"");
  EncodeForStorage(source, "SourceString");
  std::string encoded = EncodeForStorage(translation, "Translation");
  TWriteTransaction transaction(db_);
  std::string id = GetOrAddStrID(source);
  if (id.empty()) return;
  // A sibling sub-language's identical translation counts as known.
  const TSqlDialect sql = db_.Dialect();
  TStatement& same =
      Statement(findSame_, "SELECT 1 FROM TrnsHist WHERE " + sql.NoCase("SourceStrID") + " = " + sql.NoCase("?1") +
                               " AND (LangId & 1023) = ?2 AND Translation = ?3 LIMIT 1");
  bool known;
  {
    TStatementUse use(same);
    same.Bind(1, id).Bind(2, PrimaryLanguage(languageId)).Bind(3, encoded);
    known = same.Step();
  }
  if (!known) {
    TStatement& insert =
        Statement(insertTranslation_, "INSERT INTO TrnsHist (SourceStrID, LangId, Translation) VALUES (?1, ?2, ?3)");
    TStatementUse use(insert);
    insert.Bind(1, id).Bind(2, languageId).Bind(3, encoded).Step();
  }
  transaction.Commit();
}

void TdatTranslationHistory::GetKnownTranslations(std::string_view source, int languageId,
                                                  std::vector<std::string>& list) {
  list.clear();
  std::string id = GetStrID(source);
  if (id.empty()) return;
  struct TRow {
    int lang;
    std::string text;
  };
  std::vector<TRow> rows;
  {
    // The order of the primary key: by language, then by stored text.
    const TSqlDialect sql = db_.Dialect();
    TStatement& q =
        Statement(listTranslations_, "SELECT LangId, Translation FROM TrnsHist WHERE " + sql.NoCase("SourceStrID") +
                                         " = " + sql.NoCase("?1") + " ORDER BY SourceStrID, LangId, Translation");
    TStatementUse use(q);
    q.Bind(1, id);
    while (q.Step()) rows.push_back({static_cast<int>(q.Int(0)), q.Text(1)});
  }
  auto add = [&](const std::string& stored) {
    std::string text = DecodeQuotedHex(stored, &common_.Interaction());
    for (const std::string& have : list)
      if (SameText(have, text)) return;
    list.push_back(std::move(text));
  };
  for (const TRow& row : rows)
    if (row.lang == languageId) add(row.text);
  for (const TRow& row : rows)
    if (PrimaryLanguage(row.lang) == PrimaryLanguage(languageId)) add(row.text);
}

std::vector<TFuzzyTranslation> TdatTranslationHistory::GetFuzzyTranslations(std::string_view source, int languageId,
                                                                            int minScore, int maxResults) {
  RefreshTables(false);
  return TFuzzyIndex(db_, &common_.Interaction()).Find(source, languageId, minScore, maxResults);
}

void TdatTranslationHistory::SetResourceStringTranslation(std::string_view name, int languageId,
                                                          std::string_view translation) {
  std::string encoded = EncodeForStorage(translation, "Translation");
  TWriteTransaction transaction(db_);
  std::string id = GetOrAddStrID(kResourceStringPrefix + std::string(name));
  if (id.empty()) return;
  TStatement& exact = Statement(findResourceExact_,
                                "SELECT 1 FROM TrnsHist WHERE SourceStrID = ?1 AND LangId = ?2 AND Translation = ?3");
  bool already;
  {
    TStatementUse use(exact);
    exact.Bind(1, id).Bind(2, languageId).Bind(3, encoded);
    already = exact.Step();
  }
  if (!already) {
    // Replaces the first row of that language; with none, adds one.
    TStatement& update = Statement(updateResource_,
                                   "UPDATE TrnsHist SET Translation = ?3 WHERE rowid = (SELECT rowid FROM "
                                   "TrnsHist WHERE SourceStrID = ?1 AND LangId = ?2 ORDER BY Translation LIMIT 1)");
    {
      TStatementUse use(update);
      update.Bind(1, id).Bind(2, languageId).Bind(3, encoded).Step();
    }
    if (db_.Changes() == 0) {
      TStatement& insert =
          Statement(insertTranslation_, "INSERT INTO TrnsHist (SourceStrID, LangId, Translation) VALUES (?1, ?2, ?3)");
      TStatementUse use(insert);
      insert.Bind(1, id).Bind(2, languageId).Bind(3, encoded).Step();
    }
  }
  transaction.Commit();
}

bool TdatTranslationHistory::FindResourceRow(const std::string& id, int languageId, std::string* translation) {
  TStatement& q =
      Statement(findResource_,
                "SELECT Translation FROM TrnsHist WHERE SourceStrID = ?1 AND LangId = ?2 ORDER BY Translation LIMIT 1");
  for (int lang : {languageId, PrimaryLanguage(languageId)}) {
    TStatementUse use(q);
    q.Bind(1, id).Bind(2, lang);
    if (q.Step()) {
      if (translation) *translation = DecodeQuotedHex(q.Text(0), &common_.Interaction());
      return true;
    }
  }
  return false;
}

bool TdatTranslationHistory::HasResourceStringTranslation(std::string_view name, int languageId) {
  try {
    std::string id = GetStrID(kResourceStringPrefix + std::string(name));
    return !id.empty() && FindResourceRow(id, languageId, nullptr);
  } catch (...) {
    return false;
  }
}

std::string TdatTranslationHistory::GetResourceStringTranslation(std::string_view name, int languageId) {
  std::string result;
  std::string id = GetStrID(kResourceStringPrefix + std::string(name));
  if (!id.empty()) FindResourceRow(id, languageId, &result);
  return result;
}

int TdatTranslationHistory::ImportDictionaryFile(const std::string& fileName) {
  TDictionaryFile file = ReadDictionaryFile(db_, fileName);
  TWriteTransaction transaction(db_);
  for (const auto& [name, translation] : file.entries)
    SetResourceStringTranslation(name, file.languageId, translation);
  transaction.Commit();
  return file.languageId;
}

}  // namespace kst
