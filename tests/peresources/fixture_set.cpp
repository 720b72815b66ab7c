// Building the shared fixtures into a scratch directory and running tools.
#include "fixture_set.h"

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "platform/file_utils.h"
#include "support/test_support.h"

namespace kst::test {

std::string ShellQuote(const std::string& word) {
  std::string out = "'";
  for (char c : word) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

int RunCommand(const std::string& command, std::string* out, std::string* err) {
  static TScratchDir scratch;
  static int counter = 0;
  std::string outFile = scratch.File("out" + std::to_string(++counter));
  std::string errFile = outFile + ".err";
  int status = std::system((command + " >" + ShellQuote(outFile) + " 2>" + ShellQuote(errFile)).c_str());
  if (out) *out = ReadFileBytes(outFile);
  if (err) *err = ReadFileBytes(errFile);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::optional<std::string> PeToolsDir() {
  auto shared = SharedDir();
  if (!shared) return std::nullopt;
  std::string dir = *shared + "/tools/pe-fixtures";
  if (!std::filesystem::exists(dir + "/make-fixtures.sh")) return std::nullopt;
  return dir;
}

bool HaveMingwAndPefile() {
  static const bool have = RunCommand("command -v i686-w64-mingw32-windres && /usr/bin/python3 -c 'import pefile'") == 0;
  return have;
}

std::optional<std::string> FixtureDir(std::string& why) {
  static std::unique_ptr<TScratchDir> dir;
  static std::string failure;
  if (!dir && failure.empty()) {
    auto tools = PeToolsDir();
    if (!tools) {
      failure = "the shared pe-fixtures tools are not there (set KST_SHARED_DIR)";
    } else if (!HaveMingwAndPefile()) {
      failure = "binutils-mingw-w64-i686 or python3-pefile is not installed";
    } else {
      auto made = std::make_unique<TScratchDir>();
      std::string err;
      std::string out = made->File("fixtures");
      if (RunCommand(ShellQuote(*tools + "/make-fixtures.sh") + " " + ShellQuote(out), nullptr, &err) != 0)
        failure = "make-fixtures.sh failed: " + err;
      else
        dir = std::move(made);
    }
  }
  why = failure;
  if (!dir) return std::nullopt;
  return dir->File("fixtures");
}

}  // namespace kst::test
