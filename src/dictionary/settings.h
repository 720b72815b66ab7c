// TdatSettings: the per-user settings store in tblIni.db (display colours,
// styles, grid font size), keyed "\USER\<user><suffix>", with the options
// dialog's settings transaction.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/database.h"

namespace kst {

class TdatCommon;

// "\USER\" + the user name + the suffix (such as "\FontSize").
std::string UserSettingKey(std::string_view userName, std::string_view suffix);

class TdatSettings {
public:
  // Opens a connection of its own ("___Settings"); common must outlive this.
  explicit TdatSettings(TdatCommon& common);
  ~TdatSettings();

  // The stored text (key matched without regard to case), else the default
  // unchanged. Inside a settings transaction, its own writes are seen.
  std::string ReadSetting(std::string_view key, std::string_view defaultValue);
  // A stored text that is not a decimal number gives the default.
  int ReadSetting(std::string_view key, int defaultValue);

  // Stores the value (a number as decimal text). Raises ETextTooLong when the
  // key or the value is wider than its field (255 characters).
  void WriteSetting(std::string_view key, std::string_view value);
  void WriteSetting(std::string_view key, int value);

  // The options dialog's transaction. While it is open, writes are kept
  // here and reach the database together at CommitSettings, in one short
  // write, so that a dialog left open never locks other workstations out.
  void BeginSettingsTransaction();
  void CommitSettings();
  void RollbackSettings();
  bool InSettingsTransaction() const { return inTransaction_; }

private:
  void Store(const std::string& key, const std::string& value);

  std::unique_ptr<TDatabase> db_;
  bool inTransaction_ = false;
  std::vector<std::pair<std::string, std::string>> pending_;
};

}  // namespace kst
