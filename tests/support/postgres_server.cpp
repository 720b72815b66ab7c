// The tests' throwaway PostgreSQL cluster.
#include "support/postgres_server.h"

#include <libpq-fe.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

namespace kst::test {

namespace {

// The newest installed server's programs (Debian keeps them per version).
std::string ServerPrograms() {
  if (const char* bin = std::getenv("KST_PG_BIN")) return bin;
  std::string best;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator("/usr/lib/postgresql", ec)) {
    std::string bin = entry.path().string() + "/bin";
    if (std::filesystem::exists(bin + "/initdb") && bin > best) best = bin;
  }
  return best;
}

std::string Tail(const std::string& file) {
  std::ifstream in(file);
  std::stringstream all;
  all << in.rdbuf();
  std::string text = all.str();
  return text.size() > 1500 ? text.substr(text.size() - 1500) : text;
}

}  // namespace

bool InContinuousIntegration() {
  const char* ci = std::getenv("CI");
  return ci && *ci;
}

TPostgresServer* TPostgresServer::Shared(std::string* reason) {
  static std::string why;
  static std::unique_ptr<TPostgresServer> server = [] {
    std::unique_ptr<TPostgresServer> made(new TPostgresServer);
    if (!made->Start(&why)) made.reset();
    return made;
  }();
  if (!server && reason) *reason = why;
  return server.get();
}

int TPostgresServer::Run(const std::string& command) const {
  return std::system((asUser_ + command + " >>" + dir_ + "/server.log 2>&1").c_str());
}

bool TPostgresServer::Start(std::string* reason) {
  bin_ = ServerPrograms();
  if (bin_.empty()) {
    *reason = "no PostgreSQL server is installed (no /usr/lib/postgresql/*/bin/initdb; set KST_PG_BIN)";
    return false;
  }
  // In /tmp whatever TMPDIR says: a socket's path must stay short (about
  // 100 bytes), and user nobody must reach the directory.
  std::string base = "/tmp/kst-pg-XXXXXX";
  if (!::mkdtemp(base.data())) {
    *reason = "cannot make a temporary directory for the server";
    return false;
  }
  dir_ = base;
  owner_ = static_cast<int>(::getpid());
  // The server refuses to run as root.
  if (::geteuid() == 0) {
    const passwd* nobody = ::getpwnam("nobody");
    if (!nobody || ::chown(dir_.c_str(), nobody->pw_uid, nobody->pw_gid) != 0) {
      *reason = "running as root, and the temporary directory cannot be given to user nobody";
      return false;
    }
    asUser_ = "runuser -u nobody -- ";
  }
  if (Run(bin_ + "/initdb -D " + dir_ + "/data -U kst -A trust -E SQL_ASCII --locale=C --no-sync --no-instructions") !=
      0) {
    *reason = "initdb failed: " + Tail(dir_ + "/server.log");
    return false;
  }
  // A socket in the directory and no TCP, so that parallel test programs
  // never meet; no fsync, since the cluster is thrown away.
  if (Run(bin_ + "/pg_ctl -D " + dir_ + "/data -l " + dir_ + "/postgres.log -w -t 60 -o \"-k " + dir_ +
          " -c listen_addresses= -F -c full_page_writes=off -c max_connections=40\" start") != 0) {
    *reason = "the server did not start: " + Tail(dir_ + "/postgres.log");
    return false;
  }
  running_ = true;
  return true;
}

TPostgresServer::~TPostgresServer() {
  // A forked child leaves the server to its parent.
  if (static_cast<int>(::getpid()) != owner_ || dir_.empty()) return;
  if (running_) Run(bin_ + "/pg_ctl -D " + dir_ + "/data -m immediate -w stop");
  std::error_code ec;
  std::filesystem::remove_all(dir_, ec);
}

std::string TPostgresServer::ConnectionTo(const std::string& database) const {
  return "host=" + dir_ + " user=kst dbname=" + database;
}

std::string TPostgresServer::Command(const std::string& sql) const {
  PGconn* conn = PQconnectdb(ConnectionTo("postgres").c_str());
  std::string error;
  if (PQstatus(conn) != CONNECTION_OK) {
    error = PQerrorMessage(conn);
  } else {
    PGresult* r = PQexec(conn, sql.c_str());
    if (PQresultStatus(r) != PGRES_COMMAND_OK) error = PQresultErrorMessage(r);
    PQclear(r);
  }
  PQfinish(conn);
  return error.empty() ? error : error + " (" + sql + ")";
}

std::string TPostgresServer::NewDatabase(const std::string& encoding) {
  std::string name = "dictionary" + std::to_string(++databases_);
  std::string error =
      Command("CREATE DATABASE " + name + " TEMPLATE template0 ENCODING '" + encoding + "' STRATEGY FILE_COPY");
  if (!error.empty()) throw std::runtime_error("cannot make a test database: " + error);
  return name;
}

void TPostgresServer::DropDatabase(const std::string& name) {
  Command("DROP DATABASE IF EXISTS " + name + " WITH (FORCE)");
}

}  // namespace kst::test
