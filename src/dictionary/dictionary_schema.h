// The seven dictionary tables as the rest of the program knows them (fields,
// widths, required flags, primary keys, named indexes) and the engine-level
// set-up steps on them: does a table or index exist, create it, add an index.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/database.h"

namespace kst {

// A text does not fit its field. Nothing was stored; the message names the
// field, the length and the limit.
class ETextTooLong : public EDatabaseError {
public:
  using EDatabaseError::EDatabaseError;
};

enum class TFieldType { Text, Integer };

struct TFieldDef {
  const char* name;
  TFieldType type;
  int width;  // characters (bytes of ANSI text); 0 for integers
  bool required;
};

struct TIndexDef {
  const char* name;    // empty for the primary index
  const char* fields;  // field names joined by ";"
  bool caseInsensitive;
};

struct TTableDef {
  const char* fileName;  // as the program names the table, e.g. "StrIdx.db"
  std::vector<TFieldDef> fields;
  TIndexDef primary;
  std::vector<TIndexDef> indexes;

  // The engine's table name: the file name without its extension.
  std::string Name() const;
  const TFieldDef& Field(std::string_view name) const;
};

const TTableDef& StrIdxTable();
const TTableDef& TrnsHistTable();
const TTableDef& LangListTable();
const TTableDef& HiLightTable();
const TTableDef& ModGrpsTable();
const TTableDef& ModGrps2Table();
const TTableDef& IniTable();
// All seven, in the order the set-up creates them.
std::vector<const TTableDef*> AllTables();

// The widest stored text of a source string or translation: the field holds
// 255 characters, and a stored form of 255 or more is refused (as the
// dictionary always has), so every stored text can be read back whole.
inline constexpr size_t kMaxStoredText = 254;

// Raises ETextTooLong when `value` is wider than the field, or when a required
// field is empty.
void CheckField(const TTableDef& table, std::string_view field, std::string_view value);

// Without regard to case, with or without the file extension.
bool TableExists(TDatabase& db, const TTableDef& table);
// An empty name asks for the primary index.
bool IndexExists(TDatabase& db, const TTableDef& table, std::string_view indexName);
// Creates the table with its primary key (the field widths and required
// flags are enforced by the database too, for every writer).
void CreateTable(TDatabase& db, const TTableDef& table);
void AddIndex(TDatabase& db, const TTableDef& table, const TIndexDef& index);
void AddPrimaryIndex(TDatabase& db, const TTableDef& table);

// Quotes a name for SQL ("a""b").
std::string QuoteName(std::string_view name);

}  // namespace kst
