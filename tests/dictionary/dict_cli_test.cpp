// The "kst dict" commands as a person uses them: one dictionary set up with
// init, then added to, looked up, imported into and counted.
#include <gtest/gtest.h>

#include "support/test_support.h"

namespace kst {
namespace {

using TRun = test::TProgramRun;

class DictCliTest : public testing::Test {
protected:
  test::TScratchDir dir;
  TRun Run(const std::string& args) { return test::RunKst("dict " + args, dir.Path(), dir.Path() + "/cfg"); }
};

TEST_F(DictCliTest, InitAddLookupImportHighlightedAndStats) {
  TRun notYet = Run("path");
  EXPECT_EQ(notYet.exitCode, 1);
  EXPECT_NE(notYet.err.find("kst dict init"), std::string::npos) << notYet.err;

  TRun init = Run("init data");
  ASSERT_EQ(init.exitCode, 0) << init.err;
  EXPECT_EQ(init.out, dir.Path() + "/data/KSTrans.DB\n");
  EXPECT_EQ(Run("path").out, init.out);

  EXPECT_EQ(Run("add \"Don't save\" \"Nicht speichern\" 0407").exitCode, 0);
  EXPECT_EQ(Run("add \"Don't save\" \"Nicht sichern\" DEA").exitCode, 0);
  EXPECT_EQ(Run("add 'Don'\"'\"'t save' 'Ne pas enregistrer' FRA").exitCode, 0);
  EXPECT_EQ(Run("add Größe Größe DEU").exitCode, 0);  // UTF-8 on the terminal, 1252 inside
  EXPECT_EQ(Run("lookup \"don't SAVE\" DEA").out, "Nicht sichern\nNicht speichern\n");
  EXPECT_EQ(Run("lookup Größe 0407").out, "Größe\n");
  EXPECT_EQ(Run("lookup Nothing 0407").out, "");

  test::WriteFile(dir.File("strdict.DEU"), "[Strings]\r\nSOpen=Oeffnen\r\nSClose=Schliessen\r\n");
  EXPECT_EQ(Run("import strdict.DEU").out, "0407\n");
  TRun unknown = Run("import strdict.XYZ");
  EXPECT_EQ(unknown.exitCode, 1);
  EXPECT_EQ(unknown.err, "Unknown dictionary file language\n");

  EXPECT_EQ(Run("highlighted TForm.Caption").out, "yes\n");
  EXPECT_EQ(Run("highlighted 'TListView.Columns[1].Caption'").out, "yes\n");
  EXPECT_EQ(Run("highlighted TEdit.Text").out, "no\n");

  TRun stats = Run("stats");
  ASSERT_EQ(stats.exitCode, 0) << stats.err;
  EXPECT_NE(stats.out.find("StrIdx.db\t4\n"), std::string::npos) << stats.out;
  EXPECT_NE(stats.out.find("HiLight.db\t5\n"), std::string::npos) << stats.out;
  EXPECT_NE(stats.out.find("0407\tDEU\t4\n"), std::string::npos) << stats.out;
  EXPECT_NE(stats.out.find("0C07\tDEA\t1\n"), std::string::npos) << stats.out;

  TRun tooLong = Run("add " + std::string(300, 'x') + " y 0407");
  EXPECT_EQ(tooLong.exitCode, 1);
  EXPECT_NE(tooLong.err.find("too long"), std::string::npos) << tooLong.err;
  EXPECT_EQ(Run("add only-two 0407").exitCode, 2);
  EXPECT_EQ(Run("lookup x ZZZ").exitCode, 1);
  EXPECT_EQ(Run("frobnicate").exitCode, 2);
}

}  // namespace
}  // namespace kst
