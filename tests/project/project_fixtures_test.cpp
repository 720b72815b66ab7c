// Opening real modules built by the independent tools: the project gets the
// forms, strings, version keys and other resources that pe-dump.py lists.
#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <sstream>

#include "config/interaction.h"
#include "config/registry_settings.h"
#include "platform/file_utils.h"
#include "project/project_data.h"
#include "support/test_support.h"

namespace kst {
namespace {

struct TDumped {
  std::set<std::string> forms;      // resource names of TPF0 data
  std::set<int> stringIds;
  std::set<std::string> versionKeys;  // of the first string table
  int otherResources = 0;
};

// A leaf of the listing starts with its "type=T name=N lang=L" line.
TDumped Dump(const std::string& text) {
  static const std::regex leaf(R"(^type=(\S+) name=(\S+) lang=)"), str(R"(^  STR (\d+) )"),
      ver(R"(^  VER StringFileInfo/([0-9A-Fa-f]{8})/(.*) = )");
  TDumped d;
  std::string name, firstTable;
  std::istringstream in(text);
  std::smatch m;
  for (std::string line; std::getline(in, line);) {
    if (std::regex_search(line, m, leaf)) {
      name = m[2];
      // String tables, version info and Delphi's own RCDATA are not custom resources.
      if (m[1] != "6" && m[1] != "16" && !(m[1] == "10" && (name == "\"DVCLAL\"" || name == "\"PACKAGEINFO\"")))
        ++d.otherResources;
    } else if (line.rfind("  FORM stream", 0) == 0) {
      d.forms.insert(name);
      --d.otherResources;  // counted with its leaf
    } else if (std::regex_search(line, m, str)) {
      d.stringIds.insert(std::stoi(m[1]));
    } else if (std::regex_search(line, m, ver) && (firstTable.empty() || m[1] == firstTable)) {
      firstTable = m[1];
      d.versionKeys.insert(m[2]);
    }
  }
  return d;
}

class ProjectFromFixture : public testing::TestWithParam<const char*> {};

TEST_P(ProjectFromFixture, HoldsWhatPeDumpLists) {
  std::string why;
  auto fixtures = test::FixtureDir(why);
  if (!fixtures) GTEST_SKIP() << why;
  test::TScratchDir dir;
  std::string module = dir.File(GetParam());
  AtomicWriteFile(module, ReadFileBytes(*fixtures + "/" + GetParam()));
  test::TProgramRun listing = test::RunPeTool("pe-dump.py", test::ShellQuote(module));
  ASSERT_LE(listing.exitCode, 1) << listing.err;
  TDumped expected = Dump(listing.out);

  TTranslatorRegistry registry(TRegistryLocation::InDirectory(dir.File("cfg")));
  TRecordingInteraction ui;
  TProjectData project(registry, ui, TSystemCodePages{1252, 850, 10000});
  project.Open(module);

  std::set<std::string> forms;
  for (const TModuleEntry& m : project.Modules) {
    std::string name = ExtractFileName(m.Name);
    forms.insert("\"" + name.substr(1, name.size() - 5) + "\"");  // ~NAME.DFM
  }
  EXPECT_EQ(forms, expected.forms);
  std::set<int> ids;
  for (int i = 0; i < project.ResourceStrings.Count(); ++i) ids.insert(project.ResourceStrings.Item(i).ID);
  EXPECT_EQ(ids, expected.stringIds);
  std::set<std::string> keys;
  for (const auto& label : project.VersionInfo.Items) keys.insert(label->Key);
  EXPECT_EQ(keys, expected.versionKeys);
  ASSERT_EQ(project.CustomResources.Items.size(), 1u);
  test::TProgramRun res = test::RunPeTool("res-dump.py", test::ShellQuote(project.CustomResources.Items[0]->FileName));
  ASSERT_EQ(res.exitCode, 0) << res.err;
  int entries = 0;
  for (size_t at = 0; (at = res.out.find("type=", at)) != std::string::npos; ++at) ++entries;
  EXPECT_EQ(entries, expected.otherResources) << res.out;
}

INSTANTIATE_TEST_SUITE_P(Fixtures, ProjectFromFixture,
                         testing::Values("app.exe", "strings.dll", "resonly_de.dll", "norsrc.exe"),
                         test::TCaseName());

}  // namespace
}  // namespace kst
