// Shared helpers of the tests: scratch directories and the locations of the
// test data and the shared corpus.
#pragma once

#include <optional>
#include <string>

namespace kst::test {

// A fresh directory under the system's temporary directory, removed with
// everything in it when the object goes.
class TScratchDir {
public:
  TScratchDir();
  ~TScratchDir();
  TScratchDir(const TScratchDir&) = delete;
  TScratchDir& operator=(const TScratchDir&) = delete;
  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
  std::string path_;
};

// tests/data
std::string TestDataDir();
// ../shared, when it is there (tests that need it skip otherwise).
std::optional<std::string> SharedDir();
// The directory that holds the built programs.
std::string BinDir();

void WriteFile(const std::string& path, const std::string& content);

// The demo project in the repository (examples/demo), and a copy of it at
// `to`, for tests that change it.
std::string DemoDir();
void CopyDemo(const std::string& to);

struct TProgramRun {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// Runs the built kst with `args` (shell words) in `workDir`, with its
// settings in `configDir` (KESTRIN_CONFIG_DIR), and collects what it printed.
TProgramRun RunKst(const std::string& args, const std::string& workDir, const std::string& configDir);

}  // namespace kst::test
