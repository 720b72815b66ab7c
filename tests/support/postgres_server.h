// A throwaway PostgreSQL cluster for the tests: made with initdb in a
// temporary directory, listening only on a Unix socket there (no TCP, trust
// authentication), run as `nobody` when the tests run as root, started on
// first use once per test program and removed when the program ends.
#pragma once

#include <gtest/gtest.h>

#include <string>

namespace kst::test {

class TPostgresServer {
public:
  // The running server, or null with the reason why it could not start.
  static TPostgresServer* Shared(std::string* reason);

  // A new, empty database made for the dictionary (SQL_ASCII, "C"), or in
  // another encoding; its name. Raises std::runtime_error when it cannot be
  // made.
  std::string NewDatabase(const std::string& encoding = "SQL_ASCII");
  // Drops it, closing whatever connections are left.
  void DropDatabase(const std::string& name);
  // The connection string of an existing database.
  std::string ConnectionTo(const std::string& database) const;
  const std::string& Directory() const { return dir_; }

  ~TPostgresServer();
  TPostgresServer(const TPostgresServer&) = delete;
  TPostgresServer& operator=(const TPostgresServer&) = delete;

private:
  TPostgresServer() = default;
  bool Start(std::string* reason);
  std::string Command(const std::string& sql) const;  // empty, or the error
  int Run(const std::string& command) const;

  std::string dir_;
  std::string bin_;
  std::string asUser_;  // "runuser -u nobody -- " when root
  int owner_ = 0;       // the process that started it stops it
  bool running_ = false;
  int databases_ = 0;
};

// True when the environment variable CI is set: a server that cannot start
// is then a failure, not a reason to skip.
bool InContinuousIntegration();

// A test on the shared server with an empty database of its own, dropped
// afterwards; skipped (failed in CI) when the server cannot start.
class TServerDatabaseTest : public testing::Test {
protected:
  void SetUp() override {
    std::string reason;
    server = TPostgresServer::Shared(&reason);
    if (!server && InContinuousIntegration()) FAIL() << "The PostgreSQL test server cannot start: " << reason;
    if (!server) GTEST_SKIP() << "No PostgreSQL test server: " << reason;
    database = server->NewDatabase();
  }
  void TearDown() override {
    if (server && !database.empty()) server->DropDatabase(database);
  }
  std::string Connection() const { return server->ConnectionTo(database); }

  TPostgresServer* server = nullptr;
  std::string database;
};

}  // namespace kst::test
