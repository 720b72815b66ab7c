// The per-user settings store.
#include "dictionary/settings.h"

#include <charconv>

#include "config/text_helpers.h"
#include "dictionary/common.h"
#include "dictionary/dictionary_schema.h"
#include "platform/same_text.h"

namespace kst {

std::string UserSettingKey(std::string_view userName, std::string_view suffix) {
  return "\\USER\\" + std::string(userName) + std::string(suffix);
}

TdatSettings::TdatSettings(TdatCommon& common) : db_(common.NewConnection()) {}

TdatSettings::~TdatSettings() = default;

std::string TdatSettings::ReadSetting(std::string_view key, std::string_view defaultValue) {
  for (auto it = pending_.rbegin(); it != pending_.rend(); ++it)
    if (SameText(it->first, key)) return it->second;
  // An exact match first, so that keys differing only in case resolve the
  // same way every time.
  const TSqlDialect sql = db_->Dialect();
  TStatement q = db_->Prepare("SELECT Data FROM tblIni WHERE " + sql.NoCase("Path") + " = " + sql.NoCase("?1") +
                              " ORDER BY Path = ?1 DESC, Path LIMIT 1");
  q.Bind(1, key);
  return q.Step() ? q.Text(0) : std::string(defaultValue);
}

int TdatSettings::ReadSetting(std::string_view key, int defaultValue) {
  std::string text = ReadSetting(key, std::string_view());
  int value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return defaultValue;
  return value;
}

void TdatSettings::WriteSetting(std::string_view key, std::string_view value) {
  CheckField(IniTable(), "Path", key);
  CheckField(IniTable(), "Data", value);
  if (inTransaction_) {
    pending_.emplace_back(key, value);
    return;
  }
  Store(std::string(key), std::string(value));
}

void TdatSettings::WriteSetting(std::string_view key, int value) { WriteSetting(key, std::to_string(value)); }

void TdatSettings::Store(const std::string& key, const std::string& value) {
  TWriteTransaction transaction(*db_);
  const TSqlDialect sql = db_->Dialect();
  TStatement update =
      db_->Prepare("UPDATE tblIni SET Path = ?1, Data = ?2 WHERE rowid = (SELECT rowid FROM tblIni WHERE " +
                   sql.NoCase("Path") + " = " + sql.NoCase("?1") + " ORDER BY Path = ?1 DESC, Path LIMIT 1)");
  update.Bind(1, key).Bind(2, value).Run();
  if (db_->Changes() == 0) {
    TStatement insert = db_->Prepare("INSERT INTO tblIni (Path, Data) VALUES (?1, ?2)");
    insert.Bind(1, key).Bind(2, value).Run();
  }
  transaction.Commit();
}

void TdatSettings::BeginSettingsTransaction() { inTransaction_ = true; }

void TdatSettings::CommitSettings() {
  if (!inTransaction_) return;
  TWriteTransaction transaction(*db_);
  for (const auto& [key, value] : pending_) Store(key, value);
  transaction.Commit();
  pending_.clear();
  inTransaction_ = false;
}

void TdatSettings::RollbackSettings() {
  pending_.clear();
  inTransaction_ = false;
}

}  // namespace kst
