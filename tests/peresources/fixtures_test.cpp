// Our reading of real modules against the independent dumper: for every
// well-formed fixture the listing equals `pe-dump.py --file-order` without its
// FORM lines, and every malformed fixture gives the reader's message.
#include <gtest/gtest.h>

#include <sstream>

#include "peresources/exe_file.h"
#include "peresources/resource_listing.h"
#include "platform/file_utils.h"
#include "support/test_support.h"

namespace kst {
namespace {

std::string WithoutFormLines(const std::string& text) {
  std::istringstream in(text);
  std::string line, out;
  while (std::getline(in, line))
    if (line.rfind("  FORM ", 0) != 0) out += line + "\n";
  return out;
}

std::string Listing(const std::string& file) {
  TExefile module(file, 1252);
  return ListResources(module);
}

class WellFormedFixture : public testing::TestWithParam<const char*> {};

TEST_P(WellFormedFixture, ListsWhatPeDumpLists) {
  std::string why;
  auto dir = test::FixtureDir(why);
  if (!dir) GTEST_SKIP() << why;
  std::string file = *dir + "/" + GetParam();
  test::TProgramRun dump = test::RunPeTool("pe-dump.py", "--file-order " + test::ShellQuote(file));
  ASSERT_LE(dump.exitCode, 1) << "pe-dump could not read " << file;
  EXPECT_EQ(Listing(file), WithoutFormLines(dump.out));
}

// odd-rsrc-renamed.exe keeps its resources in a section of another name:
// Windows finds them through the data directory, and so must we.
// bad-rsrc-unsorted.exe is in Windows' eyes damaged (its look-up is a binary
// search), but every offset in it is sound, so it reads like the others.
INSTANTIATE_TEST_SUITE_P(Fixtures, WellFormedFixture,
                         testing::Values("app.exe", "strings.dll", "resonly_de.dll", "norsrc.exe",
                                         "odd-rsrc-renamed.exe", "bad-rsrc-unsorted.exe"),
                         test::TCaseName());

TEST(MalformedFixtures, GiveTheReadersMessage) {
  std::string why;
  auto dir = test::FixtureDir(why);
  if (!dir) GTEST_SKIP() << why;
  std::istringstream table(ReadFileBytes(test::TestDataDir() + "/peresources/malformed-fixtures.txt"));
  int cases = 0;
  for (std::string line; std::getline(table, line);) {
    if (line.empty() || line[0] == '#') continue;
    const std::string name = line.substr(0, line.find('\t')), message = line.substr(line.find('\t') + 1);
    try {
      Listing(*dir + "/" + name);
      ADD_FAILURE() << name << " was read";
    } catch (const EPEResourceError& e) {
      EXPECT_EQ(e.what(), message) << name;
    }
    ++cases;
  }
  EXPECT_EQ(cases, 12);
}

}  // namespace
}  // namespace kst
