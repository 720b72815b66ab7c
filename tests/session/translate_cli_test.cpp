// kst translate and kst exchange on a copy of the demo project: set, show,
// the automatic walk with --yes, and an exchange-file round trip.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/file_utils.h"
#include "support/test_support.h"

namespace kst {
namespace {

namespace fs = std::filesystem;

class TranslateCliTest : public testing::Test {
protected:
  test::TScratchDir dir;
  void SetUp() override {
    test::CopyDemo(dir.File("demo"));
    ASSERT_EQ(Kst("project add-language demo/project/Demo.dpr DEU").exitCode, 0);
  }
  test::TProgramRun Kst(const std::string& args) { return test::RunKst(args, dir.Path(), dir.File("cfg")); }
};

TEST_F(TranslateCliTest, SetShowAndAutomaticWalk) {
  ASSERT_EQ(Kst("dict init " + dir.File("dict")).exitCode, 0);
  test::TProgramRun set = Kst("translate set demo/project/Demo.dpr DEU Main.dfm:frmMain.Caption 'Vorführung'");
  ASSERT_EQ(set.exitCode, 0) << set.err;
  EXPECT_EQ(Kst("translate set demo/project/Demo.dpr DEU @Texts_SReady Bereit").exitCode, 0);
  EXPECT_EQ(Kst("translate set demo/project/Demo.dpr DEU '#CompanyName' Firma").exitCode, 0);
  test::TProgramRun missing = Kst("translate set demo/project/Demo.dpr DEU Main.dfm:Nope.Caption x");
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_NE(missing.err.find("Item \"Nope.Caption\" not found in current project"), std::string::npos) << missing.err;
  EXPECT_EQ(Kst("translate set demo/project/Demo.dpr FRA @Texts_SReady Prêt").exitCode, 1) << "not a project language";

  test::TProgramRun show = Kst("translate show demo/project/Demo.dpr DEU");
  ASSERT_EQ(show.exitCode, 0) << show.err;
  EXPECT_NE(show.out.find("Main.dfm:frmMain.Caption\ttranslated\tKestrin Demo\tVorführung\n"), std::string::npos) << show.out;
  EXPECT_NE(show.out.find("@Texts_SReady\ttranslated\tReady\tBereit\n"), std::string::npos);
  EXPECT_NE(show.out.find("#CompanyName\ttranslated\tKestrin Example Company\tFirma\n"), std::string::npos);
  test::TProgramRun open = Kst("translate show demo/project/Demo.dpr DEU --untranslated");
  EXPECT_EQ(open.out.find("\ttranslated\t"), std::string::npos);
  EXPECT_NE(open.out.find("@Texts_SFileNotFound\tuntranslated"), std::string::npos);

  // The dictionary learnt "Kestrin Demo" from the save; the About form's
  // caption has the same original and gets it offered.
  test::TProgramRun walk = Kst("--yes translate auto demo/project/Demo.dpr DEU");
  ASSERT_EQ(walk.exitCode, 0) << walk.err;
  test::TProgramRun after = Kst("translate show demo/project/Demo.dpr DEU");
  EXPECT_NE(after.out.find("\ttranslated\tKestrin Demo\tVorführung\n"), std::string::npos);
}

TEST_F(TranslateCliTest, ExchangeRoundTrip) {
  test::TProgramRun write = Kst("exchange write demo/project/Demo.dpr DEU");
  ASSERT_EQ(write.exitCode, 0) << write.err;
  std::string file = dir.File("demo/project/DEU/Demo.trx");
  std::string text = ReadFileBytes(file);
  EXPECT_EQ(text.rfind("[EXCHANGE-FILE-HEADER]\r\nVersion=3.10BETA\r\n[RESOURCE-STRINGS]\r\n", 0), 0u);
  std::string from = "Texts_SReady\t\"Ready\"\t\"Ready\"", to = "Texts_SReady\t\"Fertig\"\t\"Bereit\"";
  ASSERT_NE(text.find(from), std::string::npos);
  text.replace(text.find(from), from.size(), to);
  test::WriteFile(file, text);

  test::TProgramRun reject = Kst("exchange read demo/project/Demo.dpr DEU demo/project/DEU/Demo.trx --on-difference reject");
  ASSERT_EQ(reject.exitCode, 0) << reject.err;
  EXPECT_EQ(reject.out, "0 translations changed\n");
  test::TProgramRun accept = Kst("exchange read demo/project/Demo.dpr DEU demo/project/DEU/Demo.trx --on-difference accept");
  EXPECT_EQ(accept.out, "1 translations changed\n");
  EXPECT_NE(Kst("translate show demo/project/Demo.dpr DEU").out.find("@Texts_SReady\ttranslated\tReady\tBereit\n"),
            std::string::npos);
}

}  // namespace
}  // namespace kst
