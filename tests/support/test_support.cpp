// Test helpers.
#include "support/test_support.h"

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <vector>

namespace kst::test {

TScratchDir::TScratchDir() {
  std::string base = std::filesystem::temp_directory_path().string() + "/kst-test-XXXXXX";
  std::vector<char> name(base.begin(), base.end());
  name.push_back('\0');
  if (!::mkdtemp(name.data())) throw std::runtime_error("cannot create a scratch directory");
  path_ = name.data();
}

TScratchDir::~TScratchDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

std::string TestDataDir() {
  const char* dir = std::getenv("KST_TEST_DATA");
  return dir ? dir : KST_DEFAULT_TEST_DATA;
}

std::optional<std::string> SharedDir() {
  const char* dir = std::getenv("KST_SHARED_DIR");
  std::string path = dir ? dir : KST_DEFAULT_SHARED_DIR;
  if (std::filesystem::is_directory(path + "/corpus") || std::filesystem::is_directory(path + "/data")) return path;
  return std::nullopt;
}

std::string BinDir() {
  const char* dir = std::getenv("KST_BIN_DIR");
  return dir ? dir : KST_DEFAULT_BIN_DIR;
}

void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary);
  out << content;
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::string DemoDir() { return TestDataDir() + "/../../examples/demo"; }

void CopyDemo(const std::string& to) {
  std::filesystem::copy(DemoDir(), to, std::filesystem::copy_options::recursive);
}

namespace {

std::string ReadAll(FILE* f) {
  std::string text;
  std::array<char, 4096> buffer;
  size_t n;
  while ((n = std::fread(buffer.data(), 1, buffer.size(), f)) > 0) text.append(buffer.data(), n);
  return text;
}

}  // namespace

TProgramRun RunKst(const std::string& args, const std::string& workDir, const std::string& configDir) {
  TScratchDir scratch;
  std::string errFile = scratch.File("stderr");
  std::string command = "cd '" + workDir + "' && KESTRIN_CONFIG_DIR='" + configDir + "' '" + BinDir() + "/kst' " +
                        args + " 2>'" + errFile + "' </dev/null";
  TProgramRun run;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return run;
  run.out = ReadAll(pipe);
  int status = ::pclose(pipe);
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  if (FILE* f = std::fopen(errFile.c_str(), "rb")) {
    run.err = ReadAll(f);
    std::fclose(f);
  }
  return run;
}

}  // namespace kst::test
