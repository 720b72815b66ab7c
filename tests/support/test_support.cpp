// The shared helpers of the tests.
#include "support/test_support.h"

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

#include "platform/file_utils.h"

namespace kst::test {

namespace fs = std::filesystem;

TScratchDir::TScratchDir() {
  std::string base = fs::temp_directory_path().string() + "/kst-test-XXXXXX";
  std::vector<char> name(base.begin(), base.end());
  name.push_back('\0');
  if (!::mkdtemp(name.data())) throw std::runtime_error("cannot create a scratch directory");
  path_ = name.data();
}

TScratchDir::~TScratchDir() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

TScopedEnv::TScopedEnv(const char* name, const char* value) : name_(name) {
  if (const char* old = std::getenv(name)) old_ = old;
  if (value)
    ::setenv(name, value, 1);
  else
    ::unsetenv(name);
}

TScopedEnv::~TScopedEnv() {
  if (old_)
    ::setenv(name_.c_str(), old_->c_str(), 1);
  else
    ::unsetenv(name_.c_str());
}

namespace {

std::string FromEnvironment(const char* name, const char* fallback) {
  const char* value = std::getenv(name);
  return value ? value : fallback;
}

}  // namespace

std::string TestDataDir() { return FromEnvironment("KST_TEST_DATA", KST_DEFAULT_TEST_DATA); }

std::optional<std::string> SharedDir() {
  std::string path = FromEnvironment("KST_SHARED_DIR", KST_DEFAULT_SHARED_DIR);
  if (fs::is_directory(path + "/corpus") || fs::is_directory(path + "/tools")) return path;
  return std::nullopt;
}

std::string BinDir() { return FromEnvironment("KST_BIN_DIR", KST_DEFAULT_BIN_DIR); }

void WriteFile(const std::string& path, const std::string& content) {
  fs::path parent = fs::path(path).parent_path();
  if (!parent.empty()) fs::create_directories(parent);
  std::ofstream out(path, std::ios::binary);
  out << content;
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::string DemoDir() { return TestDataDir() + "/../../examples/demo"; }

void CopyDemo(const std::string& to) { fs::copy(DemoDir(), to, fs::copy_options::recursive); }

std::string ShellQuote(const std::string& word) {
  std::string out = "'";
  for (char c : word) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

TProgramRun Run(const std::string& command, const std::string& workDir) {
  TScratchDir streams;
  std::string line = (workDir.empty() ? "" : "cd " + ShellQuote(workDir) + " && ") + "( " + command + " ) >" +
                     ShellQuote(streams.File("out")) + " 2>" + ShellQuote(streams.File("err")) + " </dev/null";
  TProgramRun run;
  int status = std::system(line.c_str());
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.out = ReadFileBytes(streams.File("out"));
  run.err = ReadFileBytes(streams.File("err"));
  return run;
}

TProgramRun RunKst(const std::string& args, const std::string& workDir, const std::string& configDir) {
  return Run("KESTRIN_CONFIG_DIR=" + ShellQuote(configDir) + " " + ShellQuote(BinDir() + "/kst") + " " + args,
             workDir);
}

std::string CaseName(std::string_view text) {
  std::string name(text);
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return name.empty() ? "_" : name;
}

std::vector<std::string> GoldenCases(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir))
    if (entry.is_directory()) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

void ExpectGolden(const std::string& file, const std::string& actual) {
  if (std::getenv("KST_REGENERATE_GOLDEN")) {
    WriteFile(file, actual);
    return;
  }
  if (!fs::exists(file)) {
    ADD_FAILURE() << file << " is missing (KST_REGENERATE_GOLDEN=1 writes it)";
    return;
  }
  std::string expected = ReadFileBytes(file);
  if (actual == expected) return;
  if (actual.find('\0') == std::string::npos && expected.find('\0') == std::string::npos) {
    EXPECT_EQ(actual, expected) << "differs from " << file;
    return;
  }
  auto [a, e] = std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end());
  ADD_FAILURE() << "differs from " << file << " at byte " << (a - actual.begin()) << " (sizes " << actual.size()
                << " and " << expected.size() << ")";
}

std::string WithDirPlaceholder(std::string text, const std::string& path) {
  for (size_t at = 0; !path.empty() && (at = text.find(path, at)) != std::string::npos; at += 5)
    text.replace(at, path.size(), "{DIR}");
  return text;
}

bool HaveProgram(const std::string& name) { return Run("command -v " + ShellQuote(name)).exitCode == 0; }

std::optional<std::string> PeTools(std::string& why) {
  static const std::optional<std::string> shared = SharedDir();
  static const bool pefile = Run("/usr/bin/python3 -c 'import pefile'").exitCode == 0;
  why.clear();
  if (!shared || !fs::exists(*shared + "/tools/pe-fixtures/pe-dump.py"))
    why = "the shared pe-fixtures tools are not there (set KST_SHARED_DIR)";
  else if (!pefile)
    why = "/usr/bin/python3 with python3-pefile is not installed";
  if (!why.empty()) return std::nullopt;
  return *shared + "/tools/pe-fixtures";
}

TProgramRun RunPeTool(const std::string& script, const std::string& args) {
  std::string why;
  auto tools = PeTools(why);
  if (!tools) throw std::logic_error(script + " run without the tools: " + why);
  return Run("/usr/bin/python3 " + ShellQuote(*tools + "/" + script) + " " + args);
}

std::optional<std::string> FixtureDir(std::string& why) {
  static std::unique_ptr<TScratchDir> dir;
  static std::string failure;
  if (!dir && failure.empty()) {
    std::string toolsWhy;
    auto tools = PeTools(toolsWhy);
    if (!tools) {
      failure = toolsWhy;
    } else if (!HaveProgram("i686-w64-mingw32-windres")) {
      failure = "binutils-mingw-w64-i686 is not installed";
    } else {
      auto made = std::make_unique<TScratchDir>();
      TProgramRun run = Run(ShellQuote(*tools + "/make-fixtures.sh") + " " + ShellQuote(made->File("fixtures")));
      if (run.exitCode != 0)
        failure = "make-fixtures.sh failed: " + run.err;
      else
        dir = std::move(made);
    }
  }
  why = failure;
  if (!dir) return std::nullopt;
  return dir->File("fixtures");
}

}  // namespace kst::test
