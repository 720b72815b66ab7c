// Registry settings with their defaults, and the path macros expanded over
// them.
#include <gtest/gtest.h>

#include <sstream>

#include "config/path_macros.h"
#include "config/registry_settings.h"
#include "platform/file_utils.h"
#include "support/test_support.h"

namespace kst {
namespace {

class SettingsTest : public testing::Test {
protected:
  test::TScratchDir dir;
  TRegistryLocation location = TRegistryLocation::InDirectory(dir.Path());

  void SetMachineRoot(const std::string& root) {
    TRegistry machine(location);
    machine.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(machine.OpenKey(kDelphiMachineKey, true));
    machine.WriteString("RootDir", root);
  }
};

TEST_F(SettingsTest, DefaultsOnlyWhenMissingTheKeysCreatedAndTypeErrorsSurface) {
  TTranslatorRegistry reg(location);
  EXPECT_EQ(reg.Dcc32Path(), "%DelphiBinDir%\\DCC32.EXE");
  EXPECT_EQ(reg.Brcc32Path(), "%DelphiBinDir%\\BRCC32.EXE");
  EXPECT_FALSE(reg.UseShortFileNames());
  TRegistry probe(location);
  EXPECT_TRUE(probe.KeyExists(kDirectoriesKey));
  EXPECT_TRUE(probe.KeyExists(kCompilerKey));
  reg.Compiler().WriteBool("UseShortFileNames", true);
  reg.Compiler().WriteString("DCC32", "/opt/dcc32");
  reg.Compiler().WriteString("BRCC32", "");
  EXPECT_TRUE(reg.UseShortFileNames());
  EXPECT_EQ(reg.Dcc32Path(), "/opt/dcc32");
  EXPECT_EQ(reg.Brcc32Path(), "") << "an existing empty value is not missing";
  reg.Compiler().WriteString("UseShortFileNames", "yes");
  EXPECT_THROW(reg.UseShortFileNames(), ERegistryException);
}

TEST_F(SettingsTest, ShowHighlightedPropertiesOnlyIsFalseWhenUnreadable) {
  EXPECT_FALSE(ReadShowHighlightedPropertiesOnly(location));
  WriteShowHighlightedPropertiesOnly(location, true);
  EXPECT_TRUE(ReadShowHighlightedPropertiesOnly(location));
  TKSRegistry reg(location, HKEY_CURRENT_USER, kCurrentVersionKey);
  reg.WriteString("ShowHighlightedPropertiesOnly", "garbage");
  EXPECT_FALSE(ReadShowHighlightedPropertiesOnly(location));
}

// Each step opens one project; the list after it is newest first.
TEST_F(SettingsTest, RecentProjectsKeepFiveDistinctNewestFirst) {
  const std::pair<const char*, std::vector<std::string>> steps[] = {
      {"/p/a.dpr", {"/p/a.dpr"}},
      {"/p/b.dpr", {"/p/b.dpr", "/p/a.dpr"}},
      {"/P/A.DPR", {"/P/A.DPR", "/p/b.dpr"}},  // the same file in another case moves to the front
      {"/p/c.dpr", {"/p/c.dpr", "/P/A.DPR", "/p/b.dpr"}},
      {"/p/d.dpr", {"/p/d.dpr", "/p/c.dpr", "/P/A.DPR", "/p/b.dpr"}},
      {"/p/e.dpr", {"/p/e.dpr", "/p/d.dpr", "/p/c.dpr", "/P/A.DPR", "/p/b.dpr"}},
      {"/p/f.dpr", {"/p/f.dpr", "/p/e.dpr", "/p/d.dpr", "/p/c.dpr", "/P/A.DPR"}},  // the sixth drops the oldest
      {"/p/d.dpr", {"/p/d.dpr", "/p/f.dpr", "/p/e.dpr", "/p/c.dpr", "/P/A.DPR"}},
      {"", {"/p/d.dpr", "/p/f.dpr", "/p/e.dpr", "/p/c.dpr", "/P/A.DPR"}},
  };
  for (const auto& [opened, after] : steps) {
    AddRecentProject(location, opened);
    EXPECT_EQ(ReadRecentProjects(location), after) << "after opening " << opened;
  }
}

TEST_F(SettingsTest, RecentProjectsWrittenByOthersWithGapsAndDuplicatesAreTidied) {
  TKSRegistry reg(location, HKEY_CURRENT_USER, kCurrentVersionKey);
  reg.WriteString("ProjHist0", "/p/a.dpr");
  reg.WriteString("ProjHist1", "");
  reg.WriteString("ProjHist2", "/P/a.dpr");
  reg.WriteString("ProjHist4", "/p/b.dpr");
  AddRecentProject(location, "/p/c.dpr");
  EXPECT_EQ(ReadRecentProjects(location), (std::vector<std::string>{"/p/c.dpr", "/p/a.dpr", "/p/b.dpr"}));
  EXPECT_EQ(reg.ReadString("ProjHist2"), "/p/b.dpr") << "no gap is left";
  EXPECT_EQ(reg.ReadString("ProjHist3"), "");
  WriteRecentProjects(location, {"/x.dpr"});
  EXPECT_EQ(ReadRecentProjects(location), (std::vector<std::string>{"/x.dpr"}));
}

TEST_F(SettingsTest, GlobalStringDictionaryWrittenBackOnFirstUse) {
  EXPECT_EQ(GlobalStringDictionaryDirectory(location, "/opt/kst/bin"), "/opt/kst/bin");
  TKSRegistry reg(location, HKEY_CURRENT_USER, kCurrentVersionKey);
  EXPECT_EQ(reg.ReadString("GlobalStringDictionary"), "/opt/kst/bin");
  EXPECT_EQ(GlobalStringDictionaryDirectory(location, "/elsewhere"), "/opt/kst/bin");
  EXPECT_EQ(GlobalStringDictionaryFile(location, "/elsewhere", 0x0407), "/opt/kst/bin/STRDICT.DEU");
  EXPECT_EQ(GlobalStringDictionaryFile(location, "/elsewhere", 0x0009), "/opt/kst/bin/STRDICT.EN");
}

// The path-macro rows of tests/data/config/text-cases.txt.
TEST_F(SettingsTest, PathMacrosExpand) {
  SetMachineRoot("C:\\Delphi3\\");  // a trailing backslash must not double up
  TTranslatorRegistry reg(location);
  std::istringstream table(ReadFileBytes(test::TestDataDir() + "/config/text-cases.txt"));
  int cases = 0;
  for (std::string line; std::getline(table, line);) {
    if (line.rfind("path-macro\t", 0) != 0) continue;
    const size_t tab = line.find('\t', 11);
    EXPECT_EQ(ExpandPathMacros(line.substr(11, tab - 11), reg), line.substr(tab + 1)) << line;
    ++cases;
  }
  EXPECT_EQ(cases, 7);
}

// (A missing root is the machine's: the expand CLI case.)
TEST_F(SettingsTest, StoredDirectoriesWinAndMayHoldMacros) {
  SetMachineRoot("/machine/delphi");
  TTranslatorDirectoriesRegistry dirs(location);
  dirs.WriteString("DelphiRootDir", "/home/u/delphi");
  dirs.WriteString("CommonDelphiLibDir", "%DelphiBinDir%\\..\\lib2");
  TTranslatorRegistry reg(location);
  EXPECT_EQ(ExpandPathMacros("%CommonDelphiLibDir%\\x.res", reg), "/home/u/delphi/bin/../lib2/x.res");
}

}  // namespace
}  // namespace kst
