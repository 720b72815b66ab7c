// TdatCommon: the dictionary's shared connection and its set-up. Creating it
// connects to the alias's database and brings every table, index, language
// row, highlighting rule and default module group into existence.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "config/text_helpers.h"
#include "platform/database.h"
#include "platform/database_engine.h"

namespace kst {

class TUserInteraction;
struct TTableDef;

inline constexpr const char* kDictionaryAlias = "KestrinTranslator";
// The subdirectory of the chosen directory that the alias points at.
inline constexpr const char* kDictionaryDirectoryName = "KSTrans.DB";

struct TDefaultModuleGroup {
  const char* name;
  const char* remarks;
  std::vector<const char*> files;
};

const std::vector<TDefaultModuleGroup>& DefaultModuleGroups();
// The five rules every dictionary starts with, in the order they are added.
const std::vector<std::string>& DefaultHighlightRules();

class TdatCommon {
public:
  // Connects to the database of the alias (raises EDatabaseError when that
  // is impossible), then runs each set-up step in its own guard: a step that
  // fails is reported through interaction.ShowWarning and the next one runs.
  // Both references must outlive the object.
  TdatCommon(const TDatabaseEngine& engine, TUserInteraction& interaction);
  // The same on a connection made by the caller (a dictionary that is not
  // the alias's: the two ends of a copy).
  TdatCommon(const TDatabaseEngine& engine, TUserInteraction& interaction, std::unique_ptr<TDatabase> db);
  TdatCommon(const TdatCommon&) = delete;
  TdatCommon& operator=(const TdatCommon&) = delete;

  // The common connection (the program's "_KestrinTranslator"). A save runs
  // its many AddTranslation calls inside one TWriteTransaction on it.
  TDatabase& Database() { return *db_; }
  // A connection of its own to the same database, for work inside a
  // transaction that must not cover the rest of the program.
  std::unique_ptr<TDatabase> NewConnection() const;

  TUserInteraction& Interaction() { return interaction_; }
  TUniqueIdGenerator& IdGenerator() { return ids_; }
  const TDatabaseEngine& Engine() const { return engine_; }

  // The set-up again (each step idempotent); for a table dropped while the
  // program runs.
  void SetUpTables();

private:
  template <typename F>
  void Guarded(F&& step);
  void SetUpLanguageList();
  void SetUpTable(const TTableDef& table);
  void SetUpHighlightRules();
  void SetUpDefaultGroups();

  const TDatabaseEngine& engine_;
  TUserInteraction& interaction_;
  TUniqueIdGenerator ids_;
  std::unique_ptr<TDatabase> db_;
};

// Rows per table, then translations per language, as the dictionary holds
// them now.
struct TDictionaryStatistics {
  struct TTable {
    std::string fileName;  // "StrIdx.db"
    int64_t rows = 0;
  };
  struct TLanguage {
    int languageId = 0;
    std::string abbreviation;  // as the language list has it; may be empty
    int64_t translations = 0;
  };
  std::vector<TTable> tables;
  std::vector<TLanguage> languages;
};
TDictionaryStatistics DictionaryStatistics(TdatCommon& common);

// Applies what every dictionary connection runs with beyond the engine's
// own settings.
void ConfigureDictionaryConnection(TDatabase& db);

}  // namespace kst
