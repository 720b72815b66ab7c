// The command-line actions over the same files the library reads and writes:
// what they print and write must be what the library gives.
#include <gtest/gtest.h>

#include "../peresources/fixture_set.h"
#include "../peresources/pe_builder.h"
#include "peresources/exe_file.h"
#include "platform/file_utils.h"
#include "resstrings/resource_strings.h"
#include "resstrings/string_tables.h"
#include "support/test_support.h"

namespace kst {
namespace {

class CommandLine : public testing::Test {
protected:
  void SetUp() override {
    kst_ = test::BinDir() + "/kst";
    if (test::RunCommand("test -x " + test::ShellQuote(kst_)) != 0) GTEST_SKIP() << "the kst program is not built";
  }
  int Run(const std::string& args, std::string* out = nullptr, std::string* err = nullptr) {
    return test::RunCommand("env -u KESTRIN_SYSTEM_LOCALE " + kst_ + " " + args, out, err);
  }
  std::string kst_;
  test::TScratchDir dir_;
};

const char* const kScript =
    "#define Main_SNotFound 65535\r\n#define Main_SQuote 17\r\nSTRINGTABLE\r\nBEGIN\r\n"
    "\tMain_SNotFound,\t\"Unknown \xE9t\xE9\"\r\n\tMain_SQuote,\t\"a\\\"b\\x0A\"\r\n\t300,\t\"plain\"\r\nEND\r\n";

TEST_F(CommandLine, StringsListPrintsIdNameAndEscapedText) {
  std::string drc = dir_.File("Project.drc");
  test::WriteFile(drc, kScript);
  std::string out;
  ASSERT_EQ(Run("strings list " + test::ShellQuote(drc), &out), 0);
  EXPECT_EQ(out, "300\t#00000300\tplain\n65535\tMain_SNotFound\tUnknown \xC3\xA9t\xC3\xA9\n"
                 "17\tMain_SQuote\ta\\\"b\\x0A\n");
}

TEST_F(CommandLine, StringsResourceWritesTheLibrarysBytes) {
  std::string drc = dir_.File("Project.drc");
  test::WriteFile(drc, kScript);
  std::string res = dir_.File("RUS.res");
  ASSERT_EQ(Run("strings resource " + test::ShellQuote(drc) + " RUS " + test::ShellQuote(res)), 0);
  TResourceStringsHelper set;
  set.ReadScript(drc);
  EXPECT_EQ(ReadFileBytes(res), StringTableResource(set, 1251));
  std::string err;
  EXPECT_EQ(Run("strings resource " + test::ShellQuote(drc) + " " + test::ShellQuote(res), nullptr, &err), 2);
  EXPECT_EQ(Run("strings list " + test::ShellQuote(dir_.File("missing.drc")), nullptr, &err), 1);
  EXPECT_NE(err.find("missing.drc"), std::string::npos);
}

TEST_F(CommandLine, PeStringsPrintsTheScript) {
  test::TBuiltPe pe = test::BuildPe({{6, 2, 0x0409, test::StringBlock({{1, u"a\"b\n"}, {0, u"\u00E9t\u00E9"}})}});
  std::string module = dir_.File("App.exe");
  test::WriteFile(module, pe.image);
  std::string out;
  ASSERT_EQ(Run("pe strings " + test::ShellQuote(module), &out), 0);
  EXPECT_EQ(out, "STRINGTABLE\nBEGIN\n\t16,\t\"\xC3\xA9t\xC3\xA9\"\n\t17,\t\"a\\\"b\\x0A\"\nEND\n");
  std::string err;
  test::WriteFile(module, "");
  EXPECT_EQ(Run("pe strings " + test::ShellQuote(module), &out, &err), 1);
  EXPECT_EQ(err, "Invalid Dos Header!\n");
  EXPECT_EQ(Run("pe", &out, &err), 2);
}

}  // namespace
}  // namespace kst
