// What every test program shares: scratch directories, where things are,
// running programs, names of table rows, golden files, independent tools.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/byte_reader.h"

namespace kst::test {

// A fresh temporary directory, removed with everything in it when the object goes.
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

// Sets (or, with nullptr, removes) an environment variable for the object's life.
class TScopedEnv {
public:
  TScopedEnv(const char* name, const char* value);
  ~TScopedEnv();
  TScopedEnv(const TScopedEnv&) = delete;
  TScopedEnv& operator=(const TScopedEnv&) = delete;

private:
  std::string name_;
  std::optional<std::string> old_;
};

// tests/data; ../shared when it is there (tests that need it skip
// otherwise); the built programs. KST_TEST_DATA, KST_SHARED_DIR and
// KST_BIN_DIR in the environment override them.
std::string TestDataDir();
std::optional<std::string> SharedDir();
std::string BinDir();

// Binary (FF 0A 00 ...) and text forms of the shared corpus, sorted; empty
// when the corpus is absent.
struct TCorpusForms {
  std::string root;
  std::vector<std::string> binary;
  std::vector<std::string> text;
};
TCorpusForms FindCorpusForms();

// Writes the file, making the directories on its way.
void WriteFile(const std::string& path, const std::string& content);
// The repository's demo project (examples/demo), and a copy of it at `to`.
std::string DemoDir();
void CopyDemo(const std::string& to);

struct TProgramRun {
  int exitCode = -1;  // -1 when it did not exit
  std::string out;
  std::string err;
};
// Runs `command` through /bin/sh in `workDir` (empty: here) with an empty standard input.
TProgramRun Run(const std::string& command, const std::string& workDir = {});
// The built kst with `args` (shell words), its settings in `configDir`.
TProgramRun RunKst(const std::string& args, const std::string& workDir, const std::string& configDir);
std::string ShellQuote(const std::string& word);

// Little-endian fields of bytes under test, read by the platform's reader.
inline TByteReader<std::out_of_range> Le(std::string_view bytes) {
  return TByteReader<std::out_of_range>(bytes, "a field past the end of the bytes under test");
}

// The name of a case of a table: its letters and digits, '_' for the rest.
std::string CaseName(std::string_view text);
// Names INSTANTIATE_TEST_SUITE_P's cases by their `name` member, or by themselves.
struct TCaseName {
  template <class T>
  std::string operator()(const testing::TestParamInfo<T>& info) const {
    if constexpr (requires { info.param.name; })
      return CaseName(info.param.name);
    else
      return CaseName(info.param);
  }
};

// Golden cases: the folders under `dir`. ExpectGolden compares with an
// expected file, or writes it with KST_REGENERATE_GOLDEN=1 (read the diff).
std::vector<std::string> GoldenCases(const std::string& dir);
void ExpectGolden(const std::string& file, const std::string& actual);
// `text` with the scratch directory `path` written {DIR}, as golden files hold it.
std::string WithDirPlaceholder(std::string text, const std::string& path);

// The independent tools, each saying why when it is not there. PeTools:
// ../shared/tools/pe-fixtures with a python3 that has pefile. FixtureDir:
// the shared PE and .RES fixtures, built once per program (needs windres).
std::optional<std::string> PeTools(std::string& why);
std::optional<std::string> FixtureDir(std::string& why);
// A script of PeTools (pe-dump.py, res-dump.py) with `args` (shell words).
TProgramRun RunPeTool(const std::string& script, const std::string& args);
bool HaveProgram(const std::string& name);

// The what() of the E that `action` throws, or "(nothing thrown)".
template <class E, class F>
std::string Thrown(F&& action) {
  try {
    action();
  } catch (const E& e) {
    return e.what();
  }
  return "(nothing thrown)";
}

}  // namespace kst::test
