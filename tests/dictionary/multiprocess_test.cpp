// Several processes (standing in for workstations on one shared directory)
// start on an empty dictionary at the same moment, then write and read it
// at once: nothing committed may be lost or duplicated, and what one process
// has committed the next look-up of another must see.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "config/text_helpers.h"
#include "dictionary/highlighting.h"
#include "dictionary/module_groups.h"
#include "dictionary/translation_history.h"
#include "support/dictionary_place.h"

namespace kst {
namespace {

constexpr int kWriters = 4;
constexpr int kItems = 120;
constexpr int kGermany = 0x0407;

std::string Shared(int i) { return "Shared text " + std::to_string(i); }
std::string Own(int writer, int i) { return "Writer " + std::to_string(writer) + " text " + std::to_string(i); }
std::string Translation(int writer, int i) { return "W" + std::to_string(writer) + "-" + std::to_string(i); }

// Runs the body in a child process; a failure leaves with a message and a
// non-zero exit code (no test framework in the child).
pid_t Spawn(const std::function<void()>& body) {
  pid_t pid = ::fork();
  if (pid != 0) return pid;
  int code = 0;
  try {
    body();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "child %d: %s\n", static_cast<int>(::getpid()), e.what());
    code = 1;
  }
  std::fflush(stderr);
  ::_exit(code);
}

void Require(bool condition, const std::string& what) {
  if (!condition) throw std::runtime_error(what);
}

class MultiProcess : public testing::TestWithParam<const char*> {};

TEST_P(MultiProcess, WritersAndReadersShareOneDictionaryWithoutLosingOrDuplicatingRows) {
  test::TDictionaryPlace place(TBusyPolicy{}, GetParam());
  int committed[2];
  ASSERT_EQ(::pipe(committed), 0);
  std::vector<pid_t> children;

  for (int w = 0; w < kWriters; ++w) {
    children.push_back(Spawn([&, w] {
      ::close(committed[0]);
      TRecordingInteraction interaction;
      TdatCommon common(place.engine, interaction);
      Require(interaction.warnings.empty(), "set-up: " + (interaction.warnings.empty() ? "" : interaction.warnings[0]));
      TdatTranslationHistory history(common);
      for (int i = 0; i < kItems; ++i) {
        std::optional<TWriteTransaction> save;  // every third item: a save of several items at once
        if (i % 3 == 2) save.emplace(common.Database());
        history.AddTranslation(Shared(i), Translation(w, i), kGermany);
        history.AddTranslation(Own(w, i), Translation(w, i), kGermany);
        if (save) save->Commit();
        if (w == 0) Require(::write(committed[1], &i, sizeof i) == sizeof i, "pipe");
      }
      ::close(committed[1]);
    }));
  }
  ::close(committed[1]);

  // The first reader sees each of writer 0's commits at its very next look-up.
  children.push_back(Spawn([&] {
    TRecordingInteraction interaction;
    TdatCommon common(place.engine, interaction);
    TdatTranslationHistory history(common);
    int i;
    int seen = 0;
    while (::read(committed[0], &i, sizeof i) == sizeof i) {
      std::vector<std::string> known;
      history.GetKnownTranslations(Own(0, i), kGermany, known);
      Require(known == std::vector<std::string>{Translation(0, i)}, "commit " + std::to_string(i) + " not seen");
      ++seen;
    }
    Require(seen == kItems, "saw " + std::to_string(seen) + " commits");
  }));
  ::close(committed[0]);

  // The second reader looks up all the while; what it has seen never goes away.
  children.push_back(Spawn([&] {
    TRecordingInteraction interaction;
    TdatCommon common(place.engine, interaction);
    TdatTranslationHistory history(common);
    TdatHighLighting highlighting(common);
    TdatModuleGroups groups(common);
    size_t lastCount = 0;
    for (int round = 0; round < 300; ++round) {
      std::vector<std::string> known;
      history.GetKnownTranslations(Shared(round % 3), kGermany, known);
      Require(known.size() >= (round % 3 == 0 ? lastCount : 0), "a translation disappeared");
      if (round % 3 == 0) lastCount = known.size();
      Require(highlighting.IsHighlighted("TForm.Caption"), "rules");
      std::vector<std::string> entries;
      groups.GetGroupEntries("VCL-Basics", entries);
      Require(entries.size() == 4, "groups");
    }
  }));

  for (pid_t pid : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child " << pid << " status " << status;
  }

  TRecordingInteraction interaction;
  TdatCommon common(place.engine, interaction);
  TdatTranslationHistory history(common);
  TSqliteDatabase& db = common.Database();
  // Set-up ran in six processes at once and still made everything once.
  EXPECT_EQ(test::QueryCount(db, "SELECT count(*) FROM HiLight"), 5);
  EXPECT_EQ(test::QueryCount(db, "SELECT count(*) FROM ModGrps"), 2);
  EXPECT_EQ(test::QueryCount(db, "SELECT count(*) FROM ModGrps2"), 8);
  // One entry per source, however many processes added it at once.
  EXPECT_EQ(test::QueryCount(db, "SELECT count(*) FROM StrIdx"), kItems * (kWriters + 1));
  EXPECT_EQ(test::QueryCount(db, "SELECT count(DISTINCT SourceString COLLATE NOCASE) FROM StrIdx"),
            kItems * (kWriters + 1));
  EXPECT_EQ(test::QueryCount(db, "SELECT count(*) FROM TrnsHist"), 2 * kItems * kWriters);
  for (int i = 0; i < kItems; i += 17) {
    std::vector<std::string> known;
    history.GetKnownTranslations(Shared(i), kGermany, known);
    EXPECT_EQ(known.size(), static_cast<size_t>(kWriters)) << Shared(i);
  }
  EXPECT_EQ(test::QueryRows(db, "PRAGMA journal_mode")[0][0], UpperCaseAscii(GetParam()) == "WAL" ? "wal" : "delete");
}

// Processes on one machine share the write-ahead log; workstations on a
// network directory use the rollback journal.
INSTANTIATE_TEST_SUITE_P(JournalModes, MultiProcess, testing::Values("WAL", "DELETE"));

}  // namespace
}  // namespace kst
