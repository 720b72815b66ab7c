// kst project and kst version on the demo project, and the resources we
// write checked by the independent dumper and by windres's own reader.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "platform/file_utils.h"
#include "support/test_support.h"

namespace kst {
namespace {

namespace fs = std::filesystem;

class ProjectCliTest : public testing::Test {
protected:
  test::TScratchDir dir;
  std::string demo = dir.File("demo/project/Demo.dpr");

  void SetUp() override {
    test::CopyDemo(dir.File("demo"));
  }
  test::TProgramRun Kst(const std::string& args) { return test::RunKst(args, dir.Path(), dir.File("cfg")); }
};

TEST_F(ProjectCliTest, ShowAddAndRemove) {
  test::TProgramRun show = Kst("project show demo/project/Demo.dpr");
  ASSERT_EQ(show.exitCode, 0) << show.err;
  EXPECT_EQ(show.err, "") << "the demo opens without warnings";
  EXPECT_NE(show.out.find("form: " + dir.File("demo/common/OPTIONS.DFM") + " (frmOptions: TfrmOptions) Str="),
            std::string::npos)
      << show.out;
  EXPECT_NE(show.out.find("resource strings: 8\n"), std::string::npos);
  EXPECT_NE(show.out.find("version: 1.2.0.17 include=yes"), std::string::npos);

  EXPECT_EQ(Kst("project add-language demo/project/Demo.dpr DEU").exitCode, 0);
  EXPECT_EQ(Kst("project add-language demo/project/Demo.dpr 042C").exitCode, 0);
  test::TProgramRun clash = Kst("project add-language demo/project/Demo.dpr 082C");
  EXPECT_EQ(clash.exitCode, 1);
  EXPECT_NE(clash.err.find("same abbreviation AZE"), std::string::npos) << clash.err;
  EXPECT_EQ(Kst("project remove-language demo/project/Demo.dpr 042C").exitCode, 0);
  EXPECT_EQ(Kst("project add-resource demo/project/Demo.dpr demo/project/Greeting.res").exitCode, 0);

  // Opened from another directory, the stored resource is still found.
  test::TProgramRun again = test::RunKst("project show '" + demo + "'", "/", dir.File("cfg"));
  EXPECT_EQ(again.err, "");
  EXPECT_NE(again.out.find("language: 0407 DEU German  (Germany)\n"), std::string::npos) << again.out;
  EXPECT_EQ(again.out.find("042C"), std::string::npos);
  EXPECT_NE(again.out.find("custom resource: " + dir.File("demo/project/Greeting.res")), std::string::npos);
  EXPECT_EQ(Kst("project show demo/project/Demo.txt").exitCode, 1);
  EXPECT_EQ(Kst("project frobnicate x").exitCode, 2);
}

TEST_F(ProjectCliTest, VersionResourceReadByIndependentTools) {
  ASSERT_EQ(Kst("version resource demo/project/Demo.dpr 0407 ver.res").exitCode, 0);
  auto shared = test::SharedDir();
  if (!shared || !FileExists("/usr/bin/python3")) GTEST_SKIP() << "../shared or python3 is not here";
  std::string tools = *shared + "/tools/pe-fixtures";
  std::string dump = dir.File("dump.txt");
  ASSERT_EQ(std::system(("/usr/bin/python3 '" + tools + "/res-dump.py' '" + dir.File("ver.res") + "' > '" + dump + "'").c_str()), 0);
  std::string text = ReadFileBytes(dump);
  EXPECT_NE(text.find("VER fixed file=1.2.0.17 product=1.2.0.17"), std::string::npos) << text;
  EXPECT_NE(text.find("VER StringFileInfo/040704E4/CompanyName = \"Kestrin Example Company\""), std::string::npos);
  EXPECT_NE(text.find("VER VarFileInfo/Translation = 0407:1252"), std::string::npos);
  if (!FileExists("/usr/bin/i686-w64-mingw32-windres")) GTEST_SKIP() << "windres is not installed";
  // windres rebuilds a version resource in its own layout (block types 1,
  // lengths without the last padding), so its copy is compared on values:
  // the dumps of both must agree in everything but the data's hash.
  std::string work = dir.File("work");
  std::string check = "WORK='" + work + "' bash '" + tools + "/res-crosscheck.sh' '" + dir.File("ver.res") + "' > '" +
                      dir.File("check.txt") + "' 2>&1";
  std::system(check.c_str());
  std::string report = ReadFileBytes(dir.File("check.txt"));
  EXPECT_NE(report.find("decompile     ok"), std::string::npos) << report;
  auto withoutHashes = [](std::string text) {
    for (size_t at; (at = text.find("sha256=")) != std::string::npos;) text.erase(at, text.find('\n', at) - at);
    return text;
  };
  std::string ours = withoutHashes(ReadFileBytes(work + "/file.dump"));
  EXPECT_FALSE(ours.empty());
  EXPECT_EQ(ours, withoutHashes(ReadFileBytes(work + "/file.pe.dump")));
}

}  // namespace
}  // namespace kst
