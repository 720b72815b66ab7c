// The shared helpers of the tests.
#include "support/test_support.h"

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/file_utils.h"
#include "platform/same_text.h"

namespace kst::test {

namespace fs = std::filesystem;

TScratchDir::TScratchDir() : path_(fs::temp_directory_path().string() + "/kst-test-XXXXXX") {
  if (!::mkdtemp(path_.data())) throw std::runtime_error("cannot create a scratch directory");
}

TScratchDir::~TScratchDir() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

TScopedEnv::TScopedEnv(const char* name, const char* value) : name_(name) {
  if (const char* old = std::getenv(name)) old_ = old;
  value ? ::setenv(name, value, 1) : ::unsetenv(name);
}

TScopedEnv::~TScopedEnv() { old_ ? ::setenv(name_.c_str(), old_->c_str(), 1) : ::unsetenv(name_.c_str()); }

static std::string FromEnvironment(const char* name, const char* fallback) {
  const char* value = std::getenv(name);
  return value ? value : fallback;
}

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
  int status = std::system(line.c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFileBytes(streams.File("out")),
          ReadFileBytes(streams.File("err"))};
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
  if (std::getenv("KST_REGENERATE_GOLDEN")) return WriteFile(file, actual);
  if (!fs::exists(file)) {
    ADD_FAILURE() << file << " is missing (KST_REGENERATE_GOLDEN=1 writes it)";
    return;
  }
  std::string expected = ReadFileBytes(file);
  if (actual.find('\0') == std::string::npos && expected.find('\0') == std::string::npos) {
    EXPECT_EQ(actual, expected) << "differs from " << file;
    return;
  }
  if (actual == expected) return;
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
  why = !shared || !fs::exists(*shared + "/tools/pe-fixtures/pe-dump.py")
            ? "the shared pe-fixtures tools are not there (set KST_SHARED_DIR)"
        : !pefile ? "/usr/bin/python3 with python3-pefile is not installed"
                  : "";
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
  // Made on the first call; every later call gets the same directory or reason.
  static TScratchDir dir;
  static const std::string failure = [] {
    std::string why;
    auto tools = PeTools(why);
    if (!tools) return why;
    if (!HaveProgram("i686-w64-mingw32-windres")) return std::string("binutils-mingw-w64-i686 is not installed");
    TProgramRun run = Run(ShellQuote(*tools + "/make-fixtures.sh") + " " + ShellQuote(dir.File("fixtures")));
    return run.exitCode == 0 ? std::string() : "make-fixtures.sh failed: " + run.err;
  }();
  why = failure;
  if (!failure.empty()) return std::nullopt;
  return dir.File("fixtures");
}

TCorpusForms FindCorpusForms() {
  TCorpusForms forms;
  auto shared = SharedDir();
  if (!shared || !DirectoryExists(*shared + "/corpus")) return forms;
  forms.root = *shared + "/corpus";
  for (const auto& entry : std::filesystem::recursive_directory_iterator(forms.root)) {
    if (!entry.is_regular_file() || !SameText(entry.path().extension().string(), ".dfm")) continue;
    std::string path = entry.path().string();
    (ReadFileBytes(path).substr(0, 3) == std::string("\xFF\x0A\x00", 3) ? forms.binary : forms.text).push_back(path);
  }
  std::sort(forms.binary.begin(), forms.binary.end());
  std::sort(forms.text.begin(), forms.text.end());
  return forms;
}

}  // namespace kst::test
