// The PostgreSQL connection and its statements.
#include "platform/postgres_db.h"

#include <libpq-fe.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

namespace kst {

namespace {

// The advisory lock every writer of a dictionary on this database holds for
// its transaction ("KSTR" and 1): the server's form of SQLite's write lock.
constexpr const char* kWriteLockSql = "SELECT pg_try_advisory_xact_lock(1263752274, 1)";

// Failures worth repeating outside a transaction: serialization failures,
// deadlocks and locks not granted in time.
bool IsTransient(const char* sqlState) {
  if (!sqlState) return false;
  std::string_view state(sqlState);
  return state == "40001" || state == "40P01" || state == "55P03";
}

void PauseBeforeRetry(int attempt) { std::this_thread::sleep_for(std::chrono::milliseconds(5 * (attempt + 1))); }

std::string FirstLine(std::string text) {
  size_t end = text.find_first_of("\r\n");
  if (end != std::string::npos) text.resize(end);
  return text;
}

// Notices ("relation already exists, skipping") are not for anyone: the
// core prints nothing.
void IgnoreNotice(void*, const char*) {}

class TPostgresStatement : public TStatementImpl {
public:
  TPostgresStatement(TPostgresDatabase& db, std::string sql, std::vector<unsigned> types)
      : db_(db), sql_(std::move(sql)), types_(std::move(types)), values_(types_.size()) {}
  ~TPostgresStatement() override { Clear(); }
  TPostgresStatement(const TPostgresStatement&) = delete;
  TPostgresStatement& operator=(const TPostgresStatement&) = delete;

  void Bind(int index, std::string_view text) override {
    if (index < 1) return;
    if (values_.size() < static_cast<size_t>(index)) values_.resize(static_cast<size_t>(index));
    values_[static_cast<size_t>(index - 1)] = std::string(text);
  }
  void Bind(int index, long long value) override { Bind(index, std::to_string(value)); }

  bool Step() override {
    if (!result_) {
      std::vector<const char*> values;
      std::vector<int> lengths;
      for (const std::optional<std::string>& v : values_) {
        values.push_back(v ? v->c_str() : nullptr);
        lengths.push_back(v ? static_cast<int>(v->size()) : 0);
      }
      // A parameter bound past the statement's own is no parameter of it.
      values.resize(types_.size());
      lengths.resize(types_.size());
      result_ = db_.Run(sql_, static_cast<int>(types_.size()), values.data(), lengths.data(), types_.data());
      row_ = -1;
    }
    return ++row_ < PQntuples(result_);
  }
  void Reset() override {
    Clear();
    for (std::optional<std::string>& v : values_) v.reset();
  }
  int ColumnCount() const override { return result_ ? PQnfields(result_) : 0; }
  std::string Text(int column) const override {
    if (!HasValue(column)) return {};
    return std::string(PQgetvalue(result_, row_, column), static_cast<size_t>(PQgetlength(result_, row_, column)));
  }
  long long Int(int column) const override {
    if (!HasValue(column)) return 0;
    const char* text = PQgetvalue(result_, row_, column);
    // Booleans read as SQLite's comparisons do: 1 and 0.
    if (text[0] == 't' && text[1] == 0) return 1;
    if (text[0] == 'f' && text[1] == 0) return 0;
    return std::strtoll(text, nullptr, 10);
  }
  bool IsNull(int column) const override { return !HasValue(column); }

private:
  bool HasValue(int column) const {
    return result_ && row_ >= 0 && row_ < PQntuples(result_) && column >= 0 && column < PQnfields(result_) &&
           !PQgetisnull(result_, row_, column);
  }
  void Clear() {
    if (result_) PQclear(result_);
    result_ = nullptr;
    row_ = -1;
  }

  TPostgresDatabase& db_;
  std::string sql_;
  std::vector<unsigned> types_;
  std::vector<std::optional<std::string>> values_;
  PGresult* result_ = nullptr;
  int row_ = -1;
};

// The types of the parameters $1 to the highest $N of a translated
// statement: the server's guess (0) for those it uses; text for those it
// does not (one statement may leave a number out), which the server could
// not guess.
std::vector<unsigned> ParameterTypes(std::string_view sql) {
  constexpr unsigned kTextOid = 25;
  std::vector<unsigned> types;
  for (size_t i = 0; i < sql.size(); ++i) {
    if (sql[i] == '\'') {
      size_t end = sql.find('\'', i + 1);
      i = end == std::string_view::npos ? sql.size() : end;
    } else if (sql[i] == '$') {
      int n = 0;
      size_t j = i + 1;
      for (; j < sql.size() && sql[j] >= '0' && sql[j] <= '9'; ++j) n = n * 10 + (sql[j] - '0');
      if (j > i + 1 && n > 0) {
        if (types.size() < static_cast<size_t>(n)) types.resize(static_cast<size_t>(n), kTextOid);
        types[static_cast<size_t>(n - 1)] = 0;
      }
      i = j - 1;
    }
  }
  return types;
}

}  // namespace

std::string PostgresSql(std::string_view sql) {
  constexpr std::string_view kOrIgnore = "INSERT OR IGNORE INTO ";
  bool ignore = sql.starts_with(kOrIgnore);
  if (ignore) sql.remove_prefix(kOrIgnore.size());
  std::string out = ignore ? "INSERT INTO " : "";
  int next = 0;
  for (size_t i = 0; i < sql.size(); ++i) {
    char c = sql[i];
    if (c == '\'') {
      // Copied as it is, doubled quotes included.
      size_t end = sql.find('\'', i + 1);
      while (end != std::string_view::npos && end + 1 < sql.size() && sql[end + 1] == '\'')
        end = sql.find('\'', end + 2);
      if (end == std::string_view::npos) end = sql.size() - 1;
      out.append(sql.substr(i, end - i + 1));
      i = end;
    } else if (c == '"') {
      // A collation's name ("C") is the server's own, not one of ours.
      std::string_view before = std::string_view(out).substr(0, out.find_last_not_of(' ') + 1);
      const bool fold = !(before.size() >= 7 && before.substr(before.size() - 7) == "COLLATE");
      out += c;
      for (++i; i < sql.size(); ++i) {
        char n = sql[i];
        out += fold && n >= 'A' && n <= 'Z' ? static_cast<char>(n - 'A' + 'a') : n;
        if (n == '"') {
          if (i + 1 < sql.size() && sql[i + 1] == '"') {
            out += '"';
            ++i;
          } else {
            break;
          }
        }
      }
    } else if (c == '?') {
      size_t j = i + 1;
      while (j < sql.size() && sql[j] >= '0' && sql[j] <= '9') ++j;
      out += '$';
      if (j > i + 1)
        out.append(sql.substr(i + 1, j - i - 1));
      else
        out += std::to_string(++next);
      i = j - 1;
    } else {
      out += c;
    }
  }
  if (ignore) out += " ON CONFLICT DO NOTHING";
  return out;
}

namespace {

using TOptions = std::unique_ptr<PQconninfoOption, void (*)(PQconninfoOption*)>;

TOptions ParseConnection(std::string_view conninfo) {
  char* error = nullptr;
  PQconninfoOption* options = PQconninfoParse(std::string(conninfo).c_str(), &error);
  // The error may quote the string, password and all: it is not passed on.
  if (error) PQfreemem(error);
  return TOptions(options, PQconninfoFree);
}

}  // namespace

std::string ConnectionTextForDisplay(std::string_view conninfo) {
  TOptions options = ParseConnection(conninfo);
  if (!options) return "(a connection string that cannot be read)";
  std::string text;
  for (PQconninfoOption* o = options.get(); o->keyword; ++o) {
    if (!o->val || std::string_view(o->keyword) == "password") continue;
    std::string value = o->val;
    bool quote = value.empty() || value.find_first_of(" '\\") != std::string::npos;
    if (quote) {
      std::string escaped;
      for (char c : value) {
        if (c == '\'' || c == '\\') escaped += '\\';
        escaped += c;
      }
      value = "'" + escaped + "'";
    }
    text += (text.empty() ? "" : " ") + std::string(o->keyword) + "=" + value;
  }
  return text;
}

bool ConnectionHasPassword(std::string_view conninfo) {
  TOptions options = ParseConnection(conninfo);
  // A string libpq cannot read may still hold one: it is refused too.
  if (!options)
    return conninfo.find("password") != std::string_view::npos || conninfo.find('@') != std::string_view::npos;
  for (PQconninfoOption* o = options.get(); o->keyword; ++o)
    if (std::string_view(o->keyword) == "password" && o->val && *o->val) return true;
  return false;
}

TPostgresDatabase::TPostgresDatabase(const std::string& conninfo, TBusyPolicy policy)
    : conninfo_(conninfo), policy_(policy) {
  Open();
}

TPostgresDatabase::~TPostgresDatabase() { Close(); }

void TPostgresDatabase::Open() {
  // libpq's complaint about a string it cannot read may quote the string,
  // password and all; ours does not.
  if (!ParseConnection(conninfo_))
    throw EDatabaseError(
        "Cannot connect to the dictionary server: its connection string cannot be read (it is key=value words, or "
        "a postgresql:// address)");
  // A server that does not answer is given up after a while (unless the
  // string says how long), so that the busy bound below holds.
  const char* const keywords[] = {"connect_timeout", "dbname", nullptr};
  const char* const values[] = {"10", conninfo_.c_str(), nullptr};
  conn_ = PQconnectdbParams(keywords, values, 1);
  if (!conn_ || PQstatus(conn_) != CONNECTION_OK) {
    std::string reason = conn_ ? FirstLine(PQerrorMessage(conn_)) : "out of memory";
    Close();
    throw EDatabaseError("Cannot connect to the dictionary server \"" + DisplayName() + "\": " + reason);
  }
  PQsetNoticeProcessor(conn_, IgnoreNotice, nullptr);
  const char* encoding = PQparameterStatus(conn_, "server_encoding");
  if (!encoding || std::string_view(encoding) != "SQL_ASCII") {
    std::string have = encoding ? encoding : "unknown";
    Close();
    throw EDatabaseError("The dictionary database at \"" + DisplayName() + "\" keeps texts as " + have +
                         "; the dictionary's texts are bytes in the program's code page and need a database made "
                         "with ENCODING 'SQL_ASCII' (createdb -E SQL_ASCII -T template0 NAME)");
  }
  PQsetClientEncoding(conn_, "SQL_ASCII");
}

void TPostgresDatabase::Close() {
  if (conn_) PQfinish(conn_);
  conn_ = nullptr;
  prepared_.clear();
}

void TPostgresDatabase::Fail(PGresult* result, std::string_view sql) {
  const char* primary = result ? PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
  std::string message = primary ? primary : conn_ ? FirstLine(PQerrorMessage(conn_)) : "no connection";
  if (result) PQclear(result);
  std::string text = "Dictionary database error: " + message;
  if (!sql.empty()) text += " (" + std::string(sql) + ")";
  throw EDatabaseError(text + " on \"" + DisplayName() + "\"");
}

PGresult* TPostgresDatabase::Run(const std::string& sql, int count, const char* const* values, const int* lengths,
                                 const unsigned* types) {
  const int attempts = std::max(1, policy_.attempts);
  for (int attempt = 0;; ++attempt) {
    const bool last = attempt + 1 >= attempts;
    if (!conn_ || PQstatus(conn_) != CONNECTION_OK) {
      // A transaction does not survive its connection: it gives way, and
      // the next operation connects again.
      if (inTransaction_) {
        transactionFailed_ = true;
        throw EDatabaseBusy(kDatabaseBusyMessage);
      }
      Close();
      try {
        Open();
      } catch (const EDatabaseError&) {
        if (last) throw EDatabaseBusy(kDatabaseBusyMessage);
        // A server that restarts needs longer than a lock that clears.
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min(policy_.waitMs, 200 * (attempt + 1))));
        continue;
      }
    }
    PGresult* result = nullptr;
    if (count < 0) {
      result = PQexec(conn_, sql.c_str());
    } else {
      auto found = prepared_.find(sql);
      if (found == prepared_.end()) {
        std::string name = "k" + std::to_string(prepared_.size() + 1);
        PGresult* made = PQprepare(conn_, name.c_str(), sql.c_str(), count, types);
        if (PQresultStatus(made) == PGRES_COMMAND_OK) {
          PQclear(made);
          found = prepared_.emplace(sql, name).first;
        } else {
          result = made;
        }
      }
      if (!result) result = PQexecPrepared(conn_, found->second.c_str(), count, values, lengths, nullptr, 0);
    }
    ExecStatusType status = PQresultStatus(result);
    if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK) {
      // Rows written, as SQLite counts them: a SELECT's rows are none.
      std::string_view command = PQcmdStatus(result);
      if (command.starts_with("INSERT") || command.starts_with("UPDATE") || command.starts_with("DELETE")) {
        const char* tuples = PQcmdTuples(result);
        changes_ = tuples && *tuples ? std::atoi(tuples) : 0;
        totalChanges_ += changes_;
      }
      return result;
    }
    const bool lost = PQstatus(conn_) != CONNECTION_OK;
    const bool transient = lost || IsTransient(PQresultErrorField(result, PG_DIAG_SQLSTATE));
    if (inTransaction_) transactionFailed_ = true;
    if (transient && !inTransaction_ && !last) {
      PQclear(result);
      if (lost) Close();
      PauseBeforeRetry(attempt);
      continue;
    }
    if (transient) {
      PQclear(result);
      if (lost) Close();
      throw EDatabaseBusy(kDatabaseBusyMessage);
    }
    Fail(result, sql);
  }
}

void TPostgresDatabase::Exec(std::string_view sql) { PQclear(Run(PostgresSql(sql), -1, nullptr, nullptr)); }

TStatement TPostgresDatabase::Prepare(std::string_view sql) {
  std::string translated = PostgresSql(sql);
  std::vector<unsigned> types = ParameterTypes(translated);
  return TStatement(std::make_unique<TPostgresStatement>(*this, std::move(translated), std::move(types)));
}

void TPostgresDatabase::BeginWrite() {
  PQclear(Run("BEGIN", -1, nullptr, nullptr));
  inTransaction_ = true;
  transactionFailed_ = false;
  // Waits as SQLite's connections wait for the file lock: short, uneven
  // naps up to the policy's bound, then the busy message.
  auto until = std::chrono::steady_clock::now() +
               std::chrono::milliseconds(static_cast<long long>(policy_.waitMs) * std::max(1, policy_.attempts));
  for (int round = 0;; ++round) {
    bool granted = false;
    {
      PGresult* result = Run(kWriteLockSql, -1, nullptr, nullptr);
      granted = PQntuples(result) == 1 && PQgetvalue(result, 0, 0)[0] == 't';
      PQclear(result);
    }
    if (granted) return;
    if (std::chrono::steady_clock::now() >= until) {
      Rollback();
      throw EDatabaseBusy(kDatabaseBusyMessage);
    }
    std::this_thread::sleep_for(
        std::chrono::microseconds(500 + (round * 7919 + reinterpret_cast<uintptr_t>(this)) % 1500));
  }
}

void TPostgresDatabase::Commit() {
  if (!inTransaction_) return;
  if (transactionFailed_) {
    Rollback();
    throw EDatabaseError(
        "Dictionary database error: a statement of the transaction failed, so nothing was changed, on \"" +
        DisplayName() + "\"");
  }
  PGresult* result = Run("COMMIT", -1, nullptr, nullptr);
  PQclear(result);
  inTransaction_ = false;
}

void TPostgresDatabase::Rollback() {
  if (inTransaction_ && conn_ && PQstatus(conn_) == CONNECTION_OK) PQclear(PQexec(conn_, "ROLLBACK"));
  inTransaction_ = false;
  transactionFailed_ = false;
}

}  // namespace kst
