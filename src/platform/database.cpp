// What every database connection shares: write transactions and the dialect.
#include "platform/database.h"

namespace kst {

std::string TSqlDialect::NoCase(std::string_view expression) const {
  // SQLite's NOCASE folds ASCII letters only; so does lower() on a column
  // whose collation is "C", which is how the server tables are made.
  if (kind_ == TDatabaseKind::PostgreSql) return "lower(" + std::string(expression) + ")";
  return std::string(expression) + " COLLATE NOCASE";
}

std::string TSqlDialect::IndexedNumber(std::string_view expression) const {
  // The server would take a parameter for the column's type (32 bits);
  // SQLite takes every integer in 64.
  if (kind_ == TDatabaseKind::PostgreSql)
    return expression.starts_with('?') ? "CAST(" + std::string(expression) + " AS BIGINT)" : std::string(expression);
  return std::string(expression) + " COLLATE NOCASE";
}

TWriteTransaction::TWriteTransaction(TDatabase& db) : db_(db) {
  if (!db_.InTransaction()) {
    db_.BeginWrite();
    owner_ = true;
  }
}

TWriteTransaction::~TWriteTransaction() {
  if (owner_ && !done_) db_.Rollback();
}

void TWriteTransaction::Commit() {
  if (owner_ && !done_) {
    try {
      db_.Commit();
    } catch (...) {
      db_.Rollback();
      done_ = true;
      throw;
    }
  }
  done_ = true;
}

}  // namespace kst
