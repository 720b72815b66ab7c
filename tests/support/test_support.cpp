// Test helpers.
#include "support/test_support.h"

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

}  // namespace kst::test
