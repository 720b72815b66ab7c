// The project model: the settings file, languages, per-language names, and
// compiled modules taken apart, ours and the fixtures the independent tools
// built (the project gets what pe-dump.py lists). Project sources and stored
// names are the project-* cases of tests/cli.
#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <sstream>

#include "config/interaction.h"
#include "config/registry_settings.h"
#include "formmodel/form_conversion.h"
#include "platform/file_utils.h"
#include "project/project_data.h"
#include "support/pe_builder.h"
#include "support/test_support.h"

namespace kst {
namespace {

using test::WriteFile;

std::string FormText(const std::string& object, const std::string& caption) {
  return "object " + object + ": T" + object + "\r\n  Caption = '" + caption + "'\r\nend\r\n";
}

class ProjectTest : public testing::Test {
protected:
  test::TScratchDir dir;
  TRegistryLocation location = TRegistryLocation::InDirectory(dir.Path() + "/cfg");
  TTranslatorRegistry registry{location};
  TRecordingInteraction ui;
  TProjectData project{registry, ui, TSystemCodePages{1252, 850, 10000}};

  std::string Path(const std::string& name) const { return dir.File(name); }
  void WriteForm(const std::string& name, const std::string& object = "Form1") {
    WriteFile(Path(name), TextToResource(FormText(object, object + " caption")));
  }
  void WriteProject(const std::string& name, const std::string& uses) {
    WriteFile(Path(name), "program P;\r\n\r\nuses\r\n" + uses + ";\r\n\r\nbegin\r\nend.\r\n");
    WriteFile(ChangeFileExt(Path(name), ".DRC"), "STRINGTABLE\r\nBEGIN\r\nEND\r\n");
  }
};

TEST_F(ProjectTest, SettingsFileRoundTrip) {
  for (const std::string form : {"A", "B", "C"}) WriteForm(form + ".dfm", "Form" + form);
  WriteProject("P.dpr", "  A in 'A.pas' {FormA}");
  project.Open(Path("P.dpr"));
  project.AddModule(Path("B.dfm"), true);
  project.AddModule(Path("C.dfm"), false);
  project.AddModule(Path("b.DFM"), false);  // already there, in another case
  EXPECT_EQ(project.Modules.size(), 3u);
  for (int id : {0x0407, 0x0C0A, 0x0407, 0x00FF}) project.AddLanguage(id);
  project.AddFile(Path("notes.txt"), true);
  project.CustomResources.Add(Path("P.dpr"));  // any existing file serves
  project.SetOutputDirectory("<ProjectOutputDirectory>");
  project.Save();
  TIniFile tri(Path("P.TRI"));
  EXPECT_EQ(tri.ReadString("Kestrin.Translator.Languages", "LanguageList", ""), "$0407;$0C0A");
  EXPECT_EQ(tri.ReadSection("Kestrin.Translator.Modules"), std::vector<std::string>{"Module1"});
  EXPECT_EQ(tri.ReadString("Directories", "OutputDir", ""), "<ProjectOutputDirectory>");

  TProjectData again(registry, ui, TSystemCodePages{1252, 850, 10000});
  again.Open(Path("P.dpr"));
  again.RemoveModule("B.dfm");
  EXPECT_EQ(again.Modules.size(), 2u) << "removing needs the whole name";
  EXPECT_TRUE(again.Modules[1].Module->ManuallyAdded);
  EXPECT_EQ(again.CustomResources.Items.size(), 1u);
  EXPECT_EQ(again.GetOutputDirectory(false, 0x0407), dir.Path()) << "empty .DOF output directory";
  ASSERT_EQ(again.Languages.size(), 2u);
  again.RemoveLanguage(0x10407);  // by its low word
  ASSERT_EQ(again.Languages.size(), 1u);
  EXPECT_EQ(again.Languages[0].Item->LanguageId, 0x0C0A);
  WriteFile(Path("P.TRI"), "[Kestrin.Translator.Languages]\r\nLanguageList=$0407;German\r\n");
  EXPECT_THROW(again.Open(Path("P.dpr")), EConvertError);
  EXPECT_TRUE(again.FileName.empty()) << "a project that fails to open leaves nothing open";
}

// The add-language dialog's refusals; AddLanguage's are the project-sources
// case of tests/cli.
TEST_F(ProjectTest, LanguageRefusalsNameTheReason) {
  project.AddLanguage(0x0037);
  EXPECT_EQ(project.LanguageRefusal(0x0037), "The project already has the language Georgian [0037].");
  EXPECT_EQ(project.LanguageRefusal(0x00FF),
            "The language [00FF] is not known on this system and cannot be added to the project.");
}

// One stored empty is the project-sources case of tests/cli.
TEST_F(ProjectTest, AnEmptyOutputDirectoryIsRefusedAndNeverReachesTheCompiler) {
  project.SetOutputDirectory("D:\\Out");
  for (const char* empty : {"", "   "})
    EXPECT_NE(test::Thrown<EProjectError>([&] { project.SetOutputDirectory(empty); }).find("The output directory is empty"),
              std::string::npos);
  for (bool raw : {true, false})
    EXPECT_EQ(project.GetOutputDirectory(raw, 0x0407), "D:\\Out") << "a refused choice changes nothing";
}

// Long or short (8.3) extensions, as the compiler settings choose.
TEST_F(ProjectTest, PerLanguageNames) {
  using TNamer = std::string (TProjectData::*)(std::string_view, int) const;
  const std::tuple<TNamer, const char*, int, const char*, const char*> cases[] = {
      {&TProjectData::TranslationDirectory, "/P/App.dpr", 0x0407, "/P/DEU", "/P/DEU"},
      {&TProjectData::TranslatedFileName, "/P/Forms/Main.dfm", 0x0407, "/P/Forms/DEU/Main.dfm", "/P/Forms/DEU/Main.dfm"},
      {&TProjectData::TranslatedFileName, "Main.dfm", 0x0407, "DEU/Main.dfm", "DEU/Main.dfm"},
      {&TProjectData::BuildLogFileName, "/P/App.dpr", 0x040C, "/P/FRA/App.Build.log", "/P/FRA/App.log"},
      {&TProjectData::StringResourceFileName, "/P/App.dpr", 0x0009, "/P/EN/App.StringRes.RES", "/P/EN/App.tsr"},
      {&TProjectData::VersionResourceFileName, "/P/App.dpr", 0x040C, "/P/FRA/App.VerRes.res", "/P/FRA/App.tvr"},
      {&TProjectData::BuildBatchFileName, "/P/App.dpr", 0x040C, "/P/FRA/App.Build.bat", "/P/FRA/App.bat"},
  };
  for (bool shortNames : {false, true}) {
    registry.Compiler().WriteBool("UseShortFileNames", shortNames);
    for (const auto& [namer, file, language, longName, shortName] : cases)
      EXPECT_EQ((project.*namer)(file, language), shortNames ? shortName : longName) << file;
  }
}

TEST_F(ProjectTest, CompiledModuleIsTakenApartBesideItWithoutTouchingTheProjectsFiles) {
  TVersionInfo version;
  version.MajorVer = 2;
  version.Add("CompanyName", "ACME");
  const std::string form = TextToBinary(FormText("Form1", "Hello"));
  test::TBuiltPe pe = test::BuildPe({
      {6, 1, 0x0409, test::StringBlock({{0, u"Zero"}, {1, u"One"}})},
      {10, "TFORM1", 0x0409, form},
      {10, "../../evil", 0x0409, form},
      {10, "DVCLAL", 0x0409, "0123456789abcdef"},
      {16, 1, 0x0409, BuildVersionResource(version, 0x0407).substr(64)},
      {2, "LOGO", 0x0409, "BMdata"},
  });
  WriteFile(Path("App.exe"), pe.image);
  WriteFile(Path("App.RES"), "the project's own icon and version");
  WriteFile(Path("App.DRC"), "the project's own script");
  project.Open(Path("App.exe"));

  EXPECT_EQ(ReadFileBytes(Path("App.RES")), "the project's own icon and version");
  EXPECT_EQ(ReadFileBytes(Path("App.DRC")), "the project's own script");
  const std::string extracted = TProjectData::ExtractionDirectory(Path("App.exe"));
  EXPECT_EQ(project.DrcFileName(), extracted + "/App.DRC");
  EXPECT_TRUE(FileExists(project.DrcFileName()));
  EXPECT_EQ(project.ResourceStrings.Count(), 2);
  ASSERT_EQ(project.Modules.size(), 2u);
  EXPECT_EQ(project.Modules[0].Name, extracted + "/~TFORM1.DFM");
  EXPECT_EQ(ExtractFileDir(project.Modules[1].Name), extracted) << "a hostile name stays inside the folder";
  EXPECT_EQ(project.VersionInfo.MajorVer, 2);
  ASSERT_EQ(project.CustomResources.Items.size(), 1u);
  EXPECT_EQ(project.CustomResources.Items[0]->FileName, extracted + "/App.RES");
  const std::string res = ReadFileBytes(extracted + "/App.RES");
  EXPECT_NE(res.find("BMdata"), std::string::npos);
  EXPECT_EQ(res.find("0123456789abcdef"), std::string::npos) << "DVCLAL is left out";

  // Opening again reuses the folder; a user's folder of that name is never written into.
  project.Open(Path("App.exe"));
  EXPECT_EQ(project.Modules.size(), 2u);
  WriteFile(Path("Other.exe"), pe.image);
  ForceDirectories(TProjectData::ExtractionDirectory(Path("Other.exe")));
  EXPECT_THROW(project.Open(Path("Other.exe")), EProjectError);

  // A package (.BPL) opens like a .DPL; a broken version resource costs only the version information.
  WriteFile(Path("Pack.BPL"), test::BuildPe({{10, "TFORM1", 0x0409, form}, {16, 1, 0x0409, "broken"}}).image);
  project.Open(Path("Pack.BPL"));
  EXPECT_EQ(project.Modules.size(), 1u);
  EXPECT_FALSE(project.VersionInfo.IncludeVerInfo);
  EXPECT_EQ(ui.warnings, std::vector<std::string>{"Pack.BPL: Invalid Version Resource! The module's version "
                                                  "information is not taken over."});
}

// What a module holds, as pe-dump.py lists it and as the project has it: forms,
// string IDs, the keys of the first version string table, other resources.
struct TListed {
  std::set<std::string> forms;
  std::set<int> stringIds;
  std::set<std::string> versionKeys;
  int otherResources = 0;
  bool operator==(const TListed&) const = default;
};

// A leaf of the listing starts with its "type=T name=N lang=L" line.
TListed Dump(const std::string& text) {
  static const std::regex leaf(R"(^type=(\S+) name=(\S+) lang=)"), str(R"(^  STR (\d+) )"),
      ver(R"(^  VER StringFileInfo/([0-9A-Fa-f]{8})/(.*) = )");
  TListed d;
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

class ProjectFromFixture : public ProjectTest, public testing::WithParamInterface<const char*> {};

TEST_P(ProjectFromFixture, HoldsWhatPeDumpLists) {
  std::string why;
  auto fixtures = test::FixtureDir(why);
  if (!fixtures) GTEST_SKIP() << why;
  std::string module = Path(GetParam());
  AtomicWriteFile(module, ReadFileBytes(*fixtures + "/" + GetParam()));
  test::TProgramRun listing = test::RunPeTool("pe-dump.py", test::ShellQuote(module));
  ASSERT_LE(listing.exitCode, 1) << listing.err;
  project.Open(module);
  TListed got;
  for (const TModuleEntry& m : project.Modules) {
    std::string name = ExtractFileName(m.Name);
    got.forms.insert("\"" + name.substr(1, name.size() - 5) + "\"");  // ~NAME.DFM
  }
  for (int i = 0; i < project.ResourceStrings.Count(); ++i) got.stringIds.insert(project.ResourceStrings.Item(i).ID);
  for (const auto& label : project.VersionInfo.Items) got.versionKeys.insert(label->Key);
  ASSERT_EQ(project.CustomResources.Items.size(), 1u);
  test::TProgramRun res = test::RunPeTool("res-dump.py", test::ShellQuote(project.CustomResources.Items[0]->FileName));
  ASSERT_EQ(res.exitCode, 0) << res.err;
  for (size_t at = 0; (at = res.out.find("type=", at)) != std::string::npos; ++at) ++got.otherResources;
  EXPECT_TRUE(got == Dump(listing.out)) << listing.out << res.out;
}

INSTANTIATE_TEST_SUITE_P(Fixtures, ProjectFromFixture,
                         testing::Values("app.exe", "strings.dll", "resonly_de.dll", "norsrc.exe"),
                         test::TCaseName());

}  // namespace
}  // namespace kst
