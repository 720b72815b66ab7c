// kst dict copy from an SQLite dictionary onto a server and back, and the
// server's password kept out of everything the program writes and prints.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "config/text_helpers.h"
#include "dictionary_fixture.h"
#include "platform/file_utils.h"
#include "support/postgres_server.h"

namespace kst {
namespace {

using namespace test;

// Entries of the generated dictionary: a team's dictionary of 100,000
// sources, many INSERT batches and every kind of row (KST_COPY_ENTRIES
// changes it).
int Entries() {
  const char* n = std::getenv("KST_COPY_ENTRIES");
  return n ? std::atoi(n) : 100000;
}

constexpr const char* kSecret = "Zq7-pg-secret-4711";

// Every row of every table in its stored order: the tables' own fields only.
std::string Dump(TDatabase& db) {
  std::string all;
  for (const TTableDef* table : AllTables()) {
    std::string fields;
    for (const TFieldDef& f : table->fields) fields += (fields.empty() ? "" : ", ") + QuoteName(f.name);
    all += table->fileName + std::string("\n") +
           QueryText(db, "SELECT " + fields + " FROM " + QuoteName(table->Name()) + " ORDER BY rowid");
  }
  return all;
}

class PostgreSqlCopy : public TServerDatabaseTest {
protected:
  void SetUp() override {
    TServerDatabaseTest::SetUp();
    if (server) connection = Connection();
  }
  // kst with the password in its environment, as a team member would run it.
  TProgramRun Kst(const std::string& args) {
    TProgramRun run =
        test::Run("PGPASSWORD=" + std::string(kSecret) + " KESTRIN_CONFIG_DIR=" + ShellQuote(config.Path()) + " " +
                      ShellQuote(BinDir() + "/kst") + " " + args,
                  work.Path());
    printed += run.out + run.err;
    return run;
  }
  // Nothing the program wrote holds the password.
  void ExpectNoFileHoldsTheSecret() {
    for (const std::string& dir : {config.Path(), work.Path()})
      for (const auto& entry : std::filesystem::recursive_directory_iterator(dir))
        if (entry.is_regular_file()) {
          EXPECT_EQ(ReadFileBytes(entry.path().string()).find(kSecret), std::string::npos) << entry.path();
        }
    EXPECT_EQ(printed.find(kSecret), std::string::npos) << printed;
  }

  std::string connection, printed;
  TScratchDir config, work;
};

// SQLite -> server -> SQLite: every row comes back in its order, so every
// source string has the same known translations; the counts and sample
// look-ups printed agree; a copy never goes into a dictionary in use.
TEST_F(PostgreSqlCopy, SqliteToTheServerAndBackKeepsEveryRowAndKnownTranslation) {
  TDictionary original;
  {
    TWriteTransaction save(original.common->Database());
    for (int i = 0; i < Entries(); ++i) {
      const std::string source =
          (i % 7 == 0 ? "SAVE item " : "Save item ") + std::to_string(i) + (i % 5 ? "" : "\t\326");
      original.history->AddTranslation(source, "Element " + std::to_string(i) + " speichern", kGermany);
      if (i % 3 == 0) original.history->AddTranslation(source, "Enregistrer " + std::to_string(i), kFrance);
      if (i % 11 == 0) original.history->SetResourceStringTranslation("SItem" + std::to_string(i), kAustria, "R\337");
    }
    save.Commit();
  }
  original.history->AddTranslation("save item 0", "Anders", kGermany);  // a second translation of one entry
  const std::string from = original.place.DatabaseDirectory(), back = work.Path() + "/back";

  TProgramRun there = Kst("dict copy " + ShellQuote(from) + " " + ShellQuote(connection));
  ASSERT_EQ(there.exitCode, 0) << there.err;
  // Twenty sample sources, each with its languages; one more entry is "save item 0".
  EXPECT_NE(there.out.find(", differing 0\n"), std::string::npos) << there.out;
  EXPECT_EQ(there.out.find("look-ups compared 0"), std::string::npos) << there.out;
  const std::string sources = std::to_string(Entries() + (Entries() + 10) / 11 + 1);
  EXPECT_NE(there.out.find("StrIdx.db\t" + sources + "\t" + sources + "\n"), std::string::npos) << there.out;
  TProgramRun again = Kst("dict copy " + ShellQuote(from) + " " + ShellQuote(connection));
  EXPECT_EQ(again.exitCode, 1);
  EXPECT_NE(again.err.find("a copy goes only into an empty dictionary"), std::string::npos) << again.err;

  TProgramRun home = Kst("dict copy " + ShellQuote(connection) + " " + ShellQuote(back));
  ASSERT_EQ(home.exitCode, 0) << home.err;
  TDatabaseEngine engine(TRegistryLocation::InDirectory(config.Path()));
  std::unique_ptr<TSqliteDatabase> copy = engine.ConnectFile(back + "/" + kDatabaseFileName);
  EXPECT_EQ(Dump(*copy), Dump(original.common->Database()));
  ExpectNoFileHoldsTheSecret();
}

// The set-up and use of a server dictionary from the command line; the
// password given by PGPASSWORD (or, refused, in the string) is nowhere.
TEST_F(PostgreSqlCopy, TheServersPasswordIsInNoFileWrittenAndNoMessagePrinted) {
  TProgramRun refused = Kst("dict init --postgresql " + ShellQuote(connection + " password=" + kSecret));
  EXPECT_NE(refused.exitCode, 0);
  EXPECT_NE(refused.err.find("~/.pgpass, PGPASSWORD or a service file"), std::string::npos) << refused.err;
  TProgramRun unreachable =
      Kst("dict init --postgresql " + ShellQuote(server->ConnectionTo("nosuch") + " password=" + kSecret));
  EXPECT_NE(unreachable.exitCode, 0);
  EXPECT_NE(unreachable.err.find("Cannot connect to the dictionary server"), std::string::npos) << unreachable.err;

  TProgramRun init = Kst("dict init --postgresql " + ShellQuote(connection));
  ASSERT_EQ(init.exitCode, 0) << init.err;
  EXPECT_EQ(Kst("dict add Save Speichern 0407").exitCode, 0);
  EXPECT_EQ(Kst("dict lookup SAVE 0407").out, "Speichern\n");
  TProgramRun stats = Kst("dict stats");
  EXPECT_NE(stats.out.find("StrIdx.db\t1\n"), std::string::npos) << stats.out << stats.err;
  EXPECT_NE(stats.out.find("0407\tDEU\t1\n"), std::string::npos) << stats.out;
  EXPECT_NE(Kst("dict path").out.find("dbname=" + database), std::string::npos);
  EXPECT_NE(ReadFileBytes(config.Path() + "/user/engine.ini").find("TYPE=POSTGRESQL"), std::string::npos);
  ExpectNoFileHoldsTheSecret();
}

}  // namespace
}  // namespace kst
