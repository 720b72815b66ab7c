// The command-line front end as a person uses it: output, exit codes and
// one-line error messages.
#include <gtest/gtest.h>

#include <string>

#include "support/test_support.h"

namespace kst {
namespace {

using TRun = test::TProgramRun;

TRun RunKst(const std::string& args) {
  test::TScratchDir dir;
  return test::RunKst(args, dir.Path(), dir.Path() + "/cfg");
}

bool Has(const std::string& text, const std::string& line) { return text.find(line) != std::string::npos; }

TEST(KstLanguage, ShowsWhatTheLocaleDataSays) {
  TRun de = RunKst("language 0407");
  EXPECT_EQ(de.exitCode, 0) << de.err;
  EXPECT_TRUE(Has(de.out, "abbreviation: DEU\n")) << de.out;
  EXPECT_TRUE(Has(de.out, "ansi-codepage: 1252\n")) << de.out;
  EXPECT_TRUE(Has(de.out, "country: Germany\n")) << de.out;

  TRun en = RunKst("language 0009");
  EXPECT_EQ(en.exitCode, 0);
  EXPECT_TRUE(Has(en.out, "abbreviation: EN\n")) << en.out;
  EXPECT_TRUE(Has(en.out, "country: \n")) << en.out;

  TRun at = RunKst("language DEA");
  EXPECT_TRUE(Has(at.out, "id: 0C07\n")) << at.out;
  EXPECT_TRUE(Has(RunKst("language '$0C07'").out, "abbreviation: DEA\n"));
}

TEST(KstLanguage, ErrorsAndUsage) {
  TRun unknown = RunKst("language 00FF");
  EXPECT_EQ(unknown.exitCode, 1);
  EXPECT_EQ(unknown.err, "Unknown language 00FF\n");
  TRun shared = RunKst("language AZE");
  EXPECT_EQ(shared.exitCode, 1);
  EXPECT_TRUE(Has(shared.err, "042C") && Has(shared.err, "082C")) << shared.err;
  EXPECT_EQ(RunKst("language").exitCode, 2);
  EXPECT_EQ(RunKst("nonsense").exitCode, 2);
  EXPECT_EQ(RunKst("").exitCode, 2);
  TRun help = RunKst("--help");
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_TRUE(Has(help.out, "languages"));
  EXPECT_EQ(RunKst("language --help").exitCode, 0);
}

TEST(KstLanguages, ListsEveryKnownLanguage) {
  TRun list = RunKst("languages");
  EXPECT_EQ(list.exitCode, 0);
  EXPECT_TRUE(Has(list.out, "0407\tDEU\tGerman  (Germany)\n")) << list.out.substr(0, 400);
  EXPECT_TRUE(Has(list.out, "0009\tEN\tEnglish  \n"));
}

TEST(KstExpand, ExpandsWithTheStoredSettings) {
  TRun run = RunKst("expand '%DelphiRootDir%\\lib\\\\x.res'");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_TRUE(Has(run.out, "/lib/x.res\n")) << run.out;
}

}  // namespace
}  // namespace kst
