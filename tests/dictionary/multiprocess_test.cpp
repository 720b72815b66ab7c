// Several processes (standing in for workstations on one shared directory or server)
// start on an empty dictionary at the same moment, then write and read it
// at once: nothing committed may be lost or duplicated, and what one process
// has committed the next look-up of another must see.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>

#include "dictionary/highlighting.h"
#include "dictionary/module_groups.h"
#include "dictionary_fixture.h"

namespace kst {
namespace {

constexpr int kWriters = 4, kItems = 120;

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

std::vector<std::string> Known(TdatTranslationHistory& history, const std::string& source) {
  std::vector<std::string> known;
  history.GetKnownTranslations(source, test::kGermany, known);
  return known;
}

// Processes on one machine share the write-ahead log; workstations on a
// network directory use the rollback journal; a team's server serves both.
struct TSharedPlace {
  const char* journalMode;
  test::TBackend backend;
};
class MultiProcess : public testing::TestWithParam<TSharedPlace> {};
INSTANTIATE_TEST_SUITE_P(Places, MultiProcess,
                         testing::Values(TSharedPlace{"WAL", test::TBackend::Sqlite},
                                         TSharedPlace{"DELETE", test::TBackend::Sqlite},
                                         TSharedPlace{"WAL", test::TBackend::PostgreSql}),
                         [](const testing::TestParamInfo<TSharedPlace>& info) {
                           return info.param.backend == test::TBackend::PostgreSql
                                      ? std::string("PostgreSql")
                                      : std::string(info.param.journalMode);
                         });

TEST_P(MultiProcess, WritersAndReadersShareOneDictionaryWithoutLosingOrDuplicatingRows) {
  test::TDictionaryPlace place(TBusyPolicy{}, GetParam().journalMode, GetParam().backend);
  if (testing::Test::IsSkipped()) return;
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
        history.AddTranslation(Shared(i), Translation(w, i), test::kGermany);
        history.AddTranslation(Own(w, i), Translation(w, i), test::kGermany);
        if (save) save->Commit();
        if (w == 0) Require(::write(committed[1], &i, sizeof i) == sizeof i, "pipe");
      }
      ::close(committed[1]);
    }));
  }
  ::close(committed[1]);

  // A reader sees each of writer 0's commits at its very next look-up; what
  // it has seen of the others never goes away, and rules and groups stay readable.
  children.push_back(Spawn([&] {
    TRecordingInteraction interaction;
    TdatCommon common(place.engine, interaction);
    TdatTranslationHistory history(common);
    TdatHighLighting highlighting(common);
    TdatModuleGroups groups(common);
    int i, seen = 0;
    size_t sharedSeen = 0;
    for (; ::read(committed[0], &i, sizeof i) == sizeof i; ++seen) {
      Require(Known(history, Own(0, i)) == std::vector<std::string>{Translation(0, i)}, "commit " + std::to_string(i));
      size_t shared = Known(history, Shared(0)).size();
      Require(shared >= sharedSeen, "a translation disappeared");
      sharedSeen = shared;
      Require(highlighting.IsHighlighted("TForm.Caption"), "rules");
      std::vector<std::string> entries;
      groups.GetGroupEntries("VCL-Basics", entries);
      Require(entries.size() == 4, "groups");
    }
    Require(seen == kItems, "saw " + std::to_string(seen) + " commits");
  }));
  // A second reader walks the shared sources while they are written: each
  // one's translations only grow, never twice the same, until the last
  // shared source has every writer's.
  children.push_back(Spawn([&] {
    ::close(committed[0]);
    TRecordingInteraction interaction;
    TdatCommon common(place.engine, interaction);
    TdatTranslationHistory history(common);
    std::vector<size_t> seen(kItems, 0);
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while (seen[kItems - 1] < static_cast<size_t>(kWriters)) {
      Require(std::chrono::steady_clock::now() < until, "the writers did not finish");
      for (int i = 0; i < kItems; i += 7) {
        std::vector<std::string> known = Known(history, Shared(i));
        std::vector<std::string> sorted = known;
        std::sort(sorted.begin(), sorted.end());
        Require(std::adjacent_find(sorted.begin(), sorted.end()) == sorted.end(), "a translation twice");
        Require(known.size() >= seen[i], "a translation disappeared");
        seen[i] = known.size();
      }
      seen[kItems - 1] = Known(history, Shared(kItems - 1)).size();
    }
  }));
  ::close(committed[0]);

  for (pid_t pid : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child " << pid << " status " << status;
  }

  TRecordingInteraction interaction;
  TdatCommon common(place.engine, interaction);
  // Set-up ran in five processes at once and still made everything once; one
  // entry per source, however many processes added it at once.
  const std::string sources = std::to_string(kItems * (kWriters + 1));
  const std::string counts =
      "SELECT (SELECT count(*) FROM HiLight), (SELECT count(*) FROM ModGrps), (SELECT count(*) "
      "FROM ModGrps2), (SELECT count(*) FROM StrIdx), (SELECT count(DISTINCT " +
      common.Database().Dialect().NoCase("SourceString") + ") FROM StrIdx), (SELECT count(*) FROM TrnsHist)";
  EXPECT_EQ(test::QueryText(common.Database(), counts),
            "5|2|8|" + sources + "|" + sources + "|" + std::to_string(2 * kItems * kWriters) + "\n");
  if (GetParam().backend == test::TBackend::Sqlite)
    EXPECT_EQ(test::QueryText(common.Database(), "SELECT journal_mode FROM pragma_journal_mode"),
              std::string(GetParam().journalMode) == "WAL" ? "wal\n" : "delete\n");
}

}  // namespace
}  // namespace kst
