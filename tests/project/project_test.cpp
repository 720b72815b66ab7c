// The project model: the settings file, forms found through the project
// source, languages, per-language names, and compiled modules taken apart,
// our own and the fixture modules built by the independent tools (the
// project gets what pe-dump.py lists).
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>
#include <sstream>

#include "config/interaction.h"
#include "config/registry_settings.h"
#include "config/text_helpers.h"
#include "formmodel/form_conversion.h"
#include "formmodel/form_errors.h"
#include "formmodel/user_defined.h"
#include "peresources/pe_reader.h"
#include "platform/file_utils.h"
#include "project/project_data.h"
#include "support/pe_builder.h"
#include "support/test_support.h"

namespace kst {
namespace {

using test::WriteFile;

std::string FormText(const std::string& object, const std::string& cls, const std::string& caption) {
  return "object " + object + ": " + cls + "\r\n  Caption = '" + caption + "'\r\nend\r\n";
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
    std::string path = Path(name);
    ForceDirectories(ExtractFileDir(path));
    WriteFile(path, TextToResource(FormText(object, "T" + object, object + " caption")));
  }
  void WriteProject(const std::string& name, const std::string& uses) {
    WriteFile(Path(name), "program P;\r\n\r\nuses\r\n" + uses + ";\r\n\r\nbegin\r\nend.\r\n");
    WriteFile(ChangeFileExt(Path(name), ".DRC"), "STRINGTABLE\r\nBEGIN\r\nEND\r\n");
  }
};

TEST_F(ProjectTest, UsesClauseFindsFormsRelativeToTheProjectWhateverTheCase) {
  WriteForm("proj/Unit1.dfm", "Form1");
  WriteForm("common/MAIN.DFM", "MainForm");
  WriteProject("proj/Proj.dpr",
               "  Forms,\r\n  Unit1 in 'Unit1.pas' {Form1},\r\n  Unit2 in 'Unit2.pas',\r\n"
               "  Main in '..\\Common\\Main.pas' {MainForm},\r\n  NoPath");
  std::string before = std::filesystem::current_path().string();
  project.Open(Path("proj/Proj.dpr"));
  EXPECT_EQ(std::filesystem::current_path().string(), before) << "the scan must not change directory";
  ASSERT_EQ(project.Modules.size(), 2u);
  EXPECT_EQ(project.Modules[0].Name, Path("proj/Unit1.dfm"));
  EXPECT_EQ(project.Modules[1].Name, Path("common/MAIN.DFM"));
  EXPECT_FALSE(project.Modules[0].Module->ManuallyAdded);
  EXPECT_TRUE(ui.warnings.empty()) << ui.warnings[0];
  EXPECT_EQ(project.FileName, Path("proj/Proj.dpr"));
}

TEST_F(ProjectTest, CommentsHideUsesClausesAndAMissingDrcIsAWarning) {
  WriteForm("Unit1.DFM");
  WriteFile(Path("P.DPR"),
            "program P;\r\n{ uses Unit1 in 'Unit1.pas'; }\r\n(* uses Unit1 in 'Unit1.pas'; *)\r\n"
            "// uses Unit1 in 'Unit1.pas';\r\nbegin\r\nend.\r\nuses Unit1 in 'Unit1.pas';\r\n");
  project.Open(Path("P.DPR"));
  EXPECT_TRUE(project.Modules.empty()) << "the scan ends at the first top-level end";
  ASSERT_EQ(ui.warnings.size(), 1u);
  EXPECT_EQ(ui.warnings[0], Path("P.DRC") +
                                " does not exist! Please recompile the project in Delphi with detailed map files enabled!");
  EXPECT_EQ(project.DrcFileDate, 0);
}

TEST_F(ProjectTest, GeneratedLibrarySourceAndUnknownTypesAreRefused) {
  WriteFile(Path("Lib.dpr"), "library Lib; //TRN\r\nend.\r\n");
  EXPECT_EQ(test::Thrown<EProjectError>([&] { project.Open(Path("Lib.dpr")); }),
            "This is a generated language-module and can't be translated again!");
  EXPECT_TRUE(project.FileName.empty());
  EXPECT_THROW(project.Open(Path("x.txt")), EProjectError);
}

TEST_F(ProjectTest, SettingsFileRoundTrip) {
  WriteForm("A.dfm", "FormA");
  WriteForm("B.dfm", "FormB");
  WriteForm("C.dfm", "FormC");
  WriteProject("P.dpr", "  A in 'A.pas' {FormA}");
  project.Open(Path("P.dpr"));
  project.AddModule(Path("B.dfm"), true);
  project.AddModule(Path("C.dfm"), false);
  project.AddModule(Path("b.DFM"), false);  // already there, in another case
  EXPECT_EQ(project.Modules.size(), 3u);
  project.AddLanguage(0x0407);
  project.AddLanguage(0x0C0A);
  project.AddLanguage(0x0407);
  project.AddLanguage(0x00FF);
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
  ASSERT_EQ(again.Languages.size(), 2u);
  EXPECT_EQ(again.Languages[1].Item->LanguageId, 0x0C0A);
  EXPECT_EQ(again.Modules.size(), 2u);
  EXPECT_TRUE(again.Modules[1].Module->ManuallyAdded);
  EXPECT_EQ(again.CustomResources.Items.size(), 1u);
  EXPECT_EQ(again.GetOutputDirectory(false, 0x0407), dir.Path()) << "empty .DOF output directory";
}

TEST_F(ProjectTest, LanguageListPiecesAndConflicts) {
  WriteProject("P.dpr", "  Forms");
  WriteFile(Path("P.TRI"), "[Kestrin.Translator.Languages]\r\nLanguageList=$0407; $040C;;$0410\r\n");
  project.Open(Path("P.dpr"));
  ASSERT_EQ(project.Languages.size(), 2u) << "an empty piece ends the list";
  EXPECT_EQ(project.Languages[0].Name, "German  (Germany)");
  project.AddLanguage(0x042C);
  project.RemoveLanguage(0x10407);
  project.RemoveLanguage(0x0999);
  EXPECT_EQ(project.Languages.size(), 2u);

  WriteFile(Path("P.TRI"), "[Kestrin.Translator.Languages]\r\nLanguageList=$0407;German\r\n");
  EXPECT_THROW(project.Open(Path("P.dpr")), EConvertError);
  EXPECT_TRUE(project.FileName.empty());
}

// AddLanguage follows the dialog's refusal (a language already there is no
// error: a settings file may list it twice).
TEST_F(ProjectTest, LanguageRefusalsNameTheReason) {
  project.AddLanguage(0x0037);  // Georgian, neutral: KA
  project.AddLanguage(0x042C);  // Azeri (Latin): AZE
  struct TCase {
    int id;
    const char* expected;  // "" when the language may be added
  } cases[] = {
      {0x004B, "Kannada [004B] cannot be added to the project: Georgian [0037] has the same abbreviation KA, "
               "and the two would share one language directory."},
      {0x082C, "[082C] cannot be added to the project: Azeri  (Azerbaijan) [042C] has the same abbreviation AZE"},
      {0x0037, "The project already has the language Georgian [0037]."},
      {0x00FF, "The language [00FF] is not known on this system and cannot be added to the project."},
      {0x0437, ""},  // Georgian (Georgia) is KAT
      {0x0407, ""},
  };
  for (const TCase& c : cases) {
    std::string refusal = project.LanguageRefusal(c.id);
    EXPECT_EQ(refusal.empty(), *c.expected == 0) << std::hex << c.id;
    EXPECT_NE(refusal.find(c.expected), std::string::npos) << refusal;
  }
  EXPECT_THROW(project.AddLanguage(0x004B), EProjectError);
  project.AddLanguage(0x0037);
  project.AddLanguage(0x0437);
  EXPECT_EQ(project.Languages.size(), 3u);
}

TEST_F(ProjectTest, AnEmptyOutputDirectoryIsRefusedAndNeverReachesTheCompiler) {
  project.SetOutputDirectory("D:\\Out");
  for (const char* empty : {"", "   "}) {
    EXPECT_NE(test::Thrown<EProjectError>([&] { project.SetOutputDirectory(empty); }).find("The output directory is empty"),
              std::string::npos);
  }
  for (bool raw : {true, false})
    EXPECT_EQ(project.GetOutputDirectory(raw, 0x0407), "D:\\Out") << "a refused choice changes nothing";

  WriteProject("P.dpr", "  Forms");
  WriteFile(Path("P.TRI"), "[Directories]\r\nOutputDir=\r\n");
  project.Open(Path("P.dpr"));
  EXPECT_EQ(project.GetOutputDirectory(true, 0), kTranslationDirectoryPlaceholder);
  EXPECT_EQ(project.GetOutputDirectory(false, 0x0407), Path("DEU"));
}

// Relative names in the settings file (written by hand or by an earlier
// version) are the project's files, whatever the current directory; a file
// named two ways is one entry; files that are gone are warned about.
TEST_F(ProjectTest, StoredNamesAreTheProjectsFilesAndOneFileIsOneEntry) {
  ForceDirectories(Path("sub/res"));
  WriteProject("sub/P.dpr", "  Forms");
  WriteForm("sub/forms/Extra.dfm", "Extra");
  WriteFile(Path("sub/res/Pics.res"), "");
  WriteFile(Path("sub/P.TRI"),
            "[Kestrin.Translator.Modules]\r\nModule0=forms\\Extra.pas\r\nModule1=" + Path("Gone.pas") +
                "\r\n[Kestrin.Translator.CustomResources]\r\nRes0=res/Pics.res\r\nRes1=" + Path("sub/RES/pics.RES") +
                "\r\nRes2=" + Path("Gone.res") + "\r\n");
  std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path("/");
  project.Open(Path("sub/P.dpr"));
  std::filesystem::current_path(before);
  EXPECT_EQ(ui.warnings, (std::vector<std::string>{"File\r\r" + Path("Gone.DFM") + "\r\rnot found!",
                                                   "File\r\r" + Path("Gone.res") + "\r\rnot found!"}));
  ASSERT_EQ(project.Modules.size(), 1u);
  EXPECT_EQ(project.Modules[0].Module->Root->Name, "Extra");
  ASSERT_EQ(project.CustomResources.Items.size(), 1u);
  EXPECT_EQ(project.ExpandFileName(project.CustomResources.Items[0]->FileName), Path("sub/res/Pics.res"));
  project.AddCustomResource(Path("sub/res/Pics.res"));
  EXPECT_EQ(project.CustomResources.Items.size(), 1u);
  EXPECT_EQ(project.ExpandFileName(project.TranslatedFileName("forms/Extra.dfm", 0x0407)),
            Path("sub/forms/DEU/Extra.dfm"));
}

TEST_F(ProjectTest, FindAndRemoveModules) {
  WriteForm("P/UNIT1.DFM");
  project.AddModule(Path("P/UNIT1.DFM"), false);
  EXPECT_NE(project.FindModule("Unit1.DFM"), nullptr);
  project.RemoveModule("Unit1.DFM");
  EXPECT_EQ(project.Modules.size(), 1u) << "removing needs the whole name";
  project.RemoveModule(Path("p/unit1.dfm"));
  EXPECT_TRUE(project.Modules.empty());
}

// Long or short (8.3) extensions, as the compiler settings choose.
TEST_F(ProjectTest, PerLanguageNames) {
  using TNamer = std::string (TProjectData::*)(std::string_view, int) const;
  const struct {
    TNamer namer;
    const char* file;
    int language;
    const char* longName;
    const char* shortName;
  } cases[] = {
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
    for (const auto& c : cases)
      EXPECT_EQ((project.*c.namer)(c.file, c.language), shortNames ? c.shortName : c.longName) << c.file;
  }
}

std::string VersionData() {
  TVersionInfo info;
  info.MajorVer = 2;
  info.Add("CompanyName", "ACME");
  return BuildVersionResource(info, 0x0407).substr(64);
}

TEST_F(ProjectTest, CompiledModuleIsTakenApartBesideItWithoutTouchingTheProjectsFiles) {
  std::string form = TextToBinary(FormText("Form1", "TForm1", "Hello"));
  test::TBuiltPe pe = test::BuildPe({
      {6, 1, 0x0409, test::StringBlock({{0, u"Zero"}, {1, u"One"}})},
      {10, "TFORM1", 0x0409, form},
      {10, "../../evil", 0x0409, form},
      {10, "DVCLAL", 0x0409, "0123456789abcdef"},
      {16, 1, 0x0409, VersionData()},
      {2, "LOGO", 0x0409, "BMdata"},
  });
  WriteFile(Path("App.exe"), pe.image);
  WriteFile(Path("App.RES"), "the project's own icon and version");
  WriteFile(Path("App.DRC"), "the project's own script");
  project.Open(Path("App.exe"));

  EXPECT_EQ(ReadFileBytes(Path("App.RES")), "the project's own icon and version");
  EXPECT_EQ(ReadFileBytes(Path("App.DRC")), "the project's own script");
  std::string extracted = TProjectData::ExtractionDirectory(Path("App.exe"));
  EXPECT_TRUE(FileExists(extracted + "/App.DRC"));
  EXPECT_EQ(project.ResourceStrings.Count(), 2);
  ASSERT_EQ(project.Modules.size(), 2u);
  EXPECT_EQ(project.Modules[0].Name, extracted + "/~TFORM1.DFM");
  EXPECT_EQ(ExtractFileDir(project.Modules[1].Name), extracted) << "a hostile name stays inside the folder";
  EXPECT_EQ(project.VersionInfo.MajorVer, 2);
  ASSERT_EQ(project.CustomResources.Items.size(), 1u);
  EXPECT_EQ(project.CustomResources.Items[0]->FileName, extracted + "/App.RES");
  std::string res = ReadFileBytes(extracted + "/App.RES");
  EXPECT_NE(res.find("BMdata"), std::string::npos);
  EXPECT_EQ(res.find("0123456789abcdef"), std::string::npos) << "DVCLAL is left out";
  EXPECT_EQ(project.DrcFileName(), extracted + "/App.DRC");

  // Opening again reuses the folder; a user's folder of that name is never written into.
  TProjectData again(registry, ui, TSystemCodePages{1252, 850, 10000});
  again.Open(Path("App.exe"));
  EXPECT_EQ(again.Modules.size(), 2u);
  WriteFile(Path("Other.exe"), pe.image);
  ForceDirectories(TProjectData::ExtractionDirectory(Path("Other.exe")));
  EXPECT_THROW(again.Open(Path("Other.exe")), EProjectError);
}

// Packages of later Delphi versions open like the older .DPL; a broken version
// resource costs only the version information, and errors name the module.
TEST_F(ProjectTest, PackagesOpenAndABrokenVersionResourceOnlyWarns) {
  std::string form = TextToBinary(FormText("Form1", "TForm1", "Hello"));
  WriteFile(Path("Pack.BPL"), test::BuildPe({{10, "TFORM1", 0x0409, form}, {16, 1, 0x0409, "broken"}}).image);
  project.Open(Path("Pack.BPL"));
  EXPECT_EQ(project.Modules.size(), 1u);
  EXPECT_FALSE(project.VersionInfo.IncludeVerInfo);
  EXPECT_EQ(ui.warnings, std::vector<std::string>{"Pack.BPL: Invalid Version Resource! The module's version "
                                                  "information is not taken over."});
  WriteFile(Path("Bad.dll"), "MZ and nothing else");
  EXPECT_EQ(test::Thrown<EPEResourceError>([&] { project.Open(Path("Bad.dll")); }), "Bad.dll: Invalid Dos Header!");
}

TEST_F(ProjectTest, TextFormsOpenAndStayAsTheyAre) {
  const std::string text = FormText("Form1", "TForm1", "Eins");
  WriteFile(Path("Unit1.dfm"), text);
  WriteProject("P.dpr", "  Unit1 in 'Unit1.pas' {Form1}");
  project.Open(Path("P.dpr"));
  ASSERT_EQ(project.Modules.size(), 1u);
  EXPECT_EQ(project.Modules[0].Module->Root->FindProperty("Form1.Caption")->OriginalValue, "Eins");
  EXPECT_EQ(ReadFileBytes(Path("Unit1.dfm")), text);
}

TEST_F(ProjectTest, ErrorsInAFormOrTheScriptNameTheFile) {
  WriteForm("forms/Unit1.dfm", "Form1");
  WriteProject("P.dpr", "  Unit1 in 'forms\\Unit1.pas' {Form1}");
  WriteFile(Path("forms/Unit1.dfm"), "not a form");
  EXPECT_EQ(test::Thrown<EReadError>([&] { project.Open(Path("P.dpr")); }), "forms/Unit1.dfm: Invalid stream format");
  WriteFile(Path("forms/Unit1.dfm"), TextToResource(FormText("Form1", "TForm1", "Hello")));
  WriteFile(Path("P.DRC"), "#define A_S x\r\nSTRINGTABLE\r\nBEGIN\r\n  A_S, \"a\"\r\nEND\r\n");
  EXPECT_EQ(test::Thrown<EConvertError>([&] { project.Open(Path("P.dpr")); }),
            "P.DRC: 'x' is not a valid integer value");
}

// User-defined properties (saved or not) survive a reload; a broken file changes nothing.
TEST_F(ProjectTest, ReloadedFormsKeepUserDefinedPropertiesAndABrokenFileKeepsTheTree) {
  WriteForm("Unit1.dfm", "Form1");
  WriteProject("P.dpr", "  Unit1 in 'Unit1.pas' {Form1}");
  WriteFile(Path("P.TRI"), "[Kestrin.Translator.UserDefinedProperties]\r\nk1=Unit1.dfm;Form1;Hint;ptString\r\n");
  project.Open(Path("P.dpr"));
  TModuleHelper& form = *project.FindModule("Unit1.dfm");
  ASSERT_NE(form.Root->FindProperty("Form1.Hint"), nullptr);
  AddUserDefinedProperty(*form.Root, "Form1", "HelpKeyword", ptString);  // not saved yet

  WriteFile(Path("Unit1.dfm"), TextToResource("object Form1: TForm1\r\n  Caption = 'New caption'\r\nend\r\n"));
  project.ReloadModule(form);
  EXPECT_EQ(form.Root->FindProperty("Form1.Caption")->OriginalValue, "New caption");
  EXPECT_NE(form.Root->FindProperty("Form1.Hint"), nullptr);
  EXPECT_NE(form.Root->FindProperty("Form1.HelpKeyword"), nullptr);
  project.Save();
  EXPECT_EQ(UserDefinedEntries(form).size(), 2u);
  EXPECT_EQ(TIniFile(Path("P.TRI")).ReadSection(kUserDefinedSection).size(), 2u) << "the next save keeps both";

  const TComponentHelper* before = form.Root.get();
  WriteFile(Path("Unit1.dfm"), TextToResource("object Form1: TForm1\r\nend\r\n").substr(0, 20));
  EXPECT_THROW(project.ReloadModule(form), EFormError);
  EXPECT_EQ(form.Root.get(), before);
  EXPECT_EQ(form.Root->FindProperty("Form1.Caption")->OriginalValue, "New caption");
}

// A compiled module's script is the extracted one, never the project's own beside it.
TEST_F(ProjectTest, ResourceStringsAreReloadedFromTheScriptTheProjectWasOpenedWith) {
  test::TBuiltPe pe = test::BuildPe({{6, 1, 0x0409, test::StringBlock({{0, u"Zero"}})}});
  WriteFile(Path("App.exe"), pe.image);
  WriteFile(Path("App.DRC"), "#define Own_S 5\r\nSTRINGTABLE\r\nBEGIN\r\n  Own_S, \"own\"\r\nEND\r\n");
  project.Open(Path("App.exe"));
  ASSERT_EQ(project.ResourceStrings.Count(), 1);
  const std::string extracted = project.DrcFileName();
  ASSERT_NE(extracted, Path("App.DRC"));

  WriteFile(extracted, "#define A_S 7\r\n#define B_S 8\r\nSTRINGTABLE\r\nBEGIN\r\n  A_S, \"a\"\r\n  B_S, \"b\"\r\nEND\r\n");
  std::filesystem::last_write_time(extracted, std::filesystem::file_time_type::clock::now() + std::chrono::hours(1));
  project.ReloadResourceStrings();
  ASSERT_EQ(project.ResourceStrings.Count(), 2);
  EXPECT_EQ(project.ResourceStrings.Item(0).Name, "A_S");
  EXPECT_EQ(project.DrcFileDate, FileTimeStamp(extracted));

  const double stamp = project.DrcFileDate;
  WriteFile(extracted, "#define C_S 9\r\n#define D_S x\r\n");
  EXPECT_THROW(project.ReloadResourceStrings(), EConvertError);
  EXPECT_EQ(project.ResourceStrings.Count(), 2) << "a script that does not read leaves the set";
  EXPECT_EQ(project.DrcFileDate, stamp);

  std::filesystem::remove(extracted);
  project.ReloadResourceStrings();
  EXPECT_EQ(project.ResourceStrings.Count(), 0);
  EXPECT_EQ(project.DrcFileDate, 0);
}

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

class ProjectFromFixture : public ProjectTest, public testing::WithParamInterface<const char*> {};

TEST_P(ProjectFromFixture, HoldsWhatPeDumpLists) {
  std::string why;
  auto fixtures = test::FixtureDir(why);
  if (!fixtures) GTEST_SKIP() << why;
  std::string module = Path(GetParam());
  AtomicWriteFile(module, ReadFileBytes(*fixtures + "/" + GetParam()));
  test::TProgramRun listing = test::RunPeTool("pe-dump.py", test::ShellQuote(module));
  ASSERT_LE(listing.exitCode, 1) << listing.err;
  TDumped expected = Dump(listing.out);
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
