// Compares our conversion with Free Pascal's (../shared/tools/fpc-formconv) on
// every readable corpus form: same values in both texts, same resource bytes
// from our text. Skips when fpc or the corpus is absent.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "form_test_support.h"
#include "formmodel/form_conversion.h"
#include "formmodel/form_errors.h"
#include "formmodel/form_reader.h"
#include "platform/file_utils.h"
#include "support/test_support.h"

extern char** environ;

namespace kst {
namespace {

int RunProgram(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return -1;
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// formconv writes prefix flag 4 as "inline" where our layout keeps "object"
// (its README, D12); the header is the only place the word can start a line.
std::string InlineAsObject(std::string text) {
  for (size_t at = text.find("inline "); at != std::string::npos; at = text.find("inline ", at + 1)) {
    size_t lineStart = text.rfind('\n', at);
    lineStart = lineStart == std::string::npos ? 0 : lineStart + 1;
    if (text.find_first_not_of(' ', lineStart) == at) text.replace(at, 6, "object");
  }
  return text;
}

// Builds formconv once into a directory of our own under the temporary
// directory; nothing is written beside the tool's sources.
std::optional<std::string> Formconv(const std::string& shared) {
  if (RunProgram({"sh", "-c", "command -v fpc"}) != 0) return std::nullopt;
  std::string out = (std::filesystem::temp_directory_path() / ("kst-fpc-formconv-" + std::to_string(getuid()))).string();
  std::string exe = out + "/formconv";
  if (!FileExists(exe) && RunProgram({"sh", shared + "/tools/fpc-formconv/build.sh", out}) != 0) return std::nullopt;
  return exe;
}

TEST(FpcComparison, SameValuesAndSameResourceBytes) {
  test::TCorpusForms forms = test::FindCorpusForms();
  if (forms.binary.empty()) GTEST_SKIP() << "the shared corpus (../shared/corpus, KST_SHARED_DIR) is not there";
  auto formconv = Formconv(*test::SharedDir());
  if (!formconv) GTEST_SKIP() << "fpc is not installed (Debian: apt-get install fp-compiler fp-units-rtl)";
  test::TScratchDir dir;
  int compared = 0, bytesCompared = 0, fpcRefused = 0, outsideLimits = 0;
  for (const std::string& path : forms.binary) {
    std::string name = path.substr(forms.root.size() + 1);
    std::string bytes = ReadFileBytes(path);
    std::string ours;
    try {
      ours = ResourceToText(bytes);
    } catch (const EReadError&) {
      continue;  // later Delphi value types: the corpus test covers them
    }
    bool indexedItems = ours.find("item [") != std::string::npos;
    // FPC misreads binary collection items that carry an index.
    if (RunProgram({*formconv, "res2txt", path, dir.File("fpc.txt")}) != 0) {
      EXPECT_TRUE(indexedItems) << name << ": formconv refused a form without indexed items";
      ++fpcRefused;
      continue;
    }
    std::string theirs = InlineAsObject(ReadFileBytes(dir.File("fpc.txt")));
    // FPC never cuts strings, so its lines may be longer than our window.
    auto theirTree = ReadFormText(theirs, theirs.size() + 16);
    auto ourTree = ReadFormText(ours);
    EXPECT_EQ(test::CompareTrees(*ourTree, *theirTree), "") << name;
    ++compared;

    if (indexedItems || ours.find(" [0]\r\n") != std::string::npos) {
      ++outsideLimits;
      continue;
    }
    test::WriteFile(dir.File("ours.txt"), ours);
    ASSERT_EQ(RunProgram({*formconv, "txt2res", dir.File("ours.txt"), dir.File("fpc.res")}), 0) << name;
    EXPECT_EQ(test::ToHex(ReadFileBytes(dir.File("fpc.res"))), test::ToHex(TextToResource(ours))) << name;
    ++bytesCompared;
  }
  std::printf("fpc comparison: %d forms compared on values, %d on resource bytes; %d refused by formconv "
              "(indexed collection items), %d outside its byte-comparison limits\n",
              compared, bytesCompared, fpcRefused, outsideLimits);
}

}  // namespace
}  // namespace kst
