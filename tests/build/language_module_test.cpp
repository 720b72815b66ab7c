// Running the compiler: Windows command-line splitting, the start failure,
// output arriving whole and in order on one pipe, the time limit and the
// stopping of a child that outlives it (stand-in compilers are shell
// scripts). Generating and compiling a language module: the library source
// line by line, the edge cases (no forms, version info off, an
// emptied custom resource, a neutral language, regeneration byte for byte),
// the status hint and busy cursor, and the demo's German module compiled by
// the bundled stand-in and read by our reader, pe-dump.py and objdump.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <fstream>
#include <thread>

#include "build/compiler_run.h"
#include "build/language_module.h"
#include "config/interaction.h"
#include "config/registry_settings.h"
#include "formmodel/form_conversion.h"
#include "peresources/exe_file.h"
#include "platform/file_utils.h"
#include "project/project_data.h"
#include "support/test_support.h"

namespace kst {
namespace {

TEST(SplitCommandLine, SplitsAsWindowsDoes) {
  const std::pair<const char*, std::vector<std::string>> cases[] = {
      {R"("C:\Delphi 3\bin\DCC32.EXE" -e"C:\P\DEU" -n"C:\P\DEU" "C:\P\DEU\App.dpr")",
       {R"(C:\Delphi 3\bin\DCC32.EXE)", R"(-eC:\P\DEU)", R"(-nC:\P\DEU)", R"(C:\P\DEU\App.dpr)"}},
      {"prog a  b\tc", {"prog", "a", "b", "c"}},
      // The program name takes no escapes: a backslash before its closing quote stays.
      {R"("C:\dir\" x)", {R"(C:\dir\)", "x"}},
      {R"(p a\\\"b)", {"p", R"(a\"b)"}},
      {R"(p "a\\" b)", {"p", R"(a\)", "b"}},
      {R"(p a\\b)", {"p", R"(a\\b)"}},
      {R"(p "x""y")", {"p", R"(x"y)"}},
      {R"(p "" x)", {"p", "", "x"}},
      {"  p", {"p"}},
      {"", {}},
  };
  for (const auto& [line, args] : cases) EXPECT_EQ(SplitCommandLine(line), args) << line;
}

class CompilerRunTest : public testing::Test {
protected:
  test::TScratchDir dir;

  struct TCollect : TCompilerOutputSink {
    std::vector<std::string> pieces;
    void Append(std::string_view piece) override { pieces.emplace_back(piece); }
    std::string All() const {
      std::string all;
      for (const auto& p : pieces) all += p;
      return all;
    }
  };

  // A stand-in compiler: a shell script, made executable.
  std::string Script(const std::string& name, const std::string& body) {
    std::string path = dir.File(name);
    test::WriteFile(path, "#!/bin/sh\n" + body + "\n");
    ::chmod(path.c_str(), 0755);
    return path;
  }
  // The command line of a stand-in that gets the scratch directory as $1.
  std::string Call(const std::string& name, const std::string& body) {
    return "\"" + Script(name, body) + "\" \"" + dir.Path() + "\"";
  }

  // Whether the process whose id the file holds still runs after 2 s; a
  // zombie (killed, not reaped yet) runs no more.
  static bool Running(const std::string& pidFile) {
    pid_t pid = std::stoi(ReadFileBytes(pidFile));
    for (int i = 0; i < 100; ++i) {
      if (::kill(pid, 0) != 0) return false;
      std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
      std::string all((std::istreambuf_iterator<char>(stat)), {});
      size_t close = all.rfind(')');
      if (close != std::string::npos && close + 2 < all.size() && all[close + 2] == 'Z') return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
  }
};

TEST_F(CompilerRunTest, AStartFailureNamesTheWholeCommandLineAndTheReason) {
  test::WriteFile(dir.File("plain.txt"), "not a program");
  const std::pair<std::string, int> cases[] = {
      {"\"" + dir.File("no/such/dir/DCC32.EXE") + "\" -e\"x\" \"App.dpr\"", 3},  // path not found
      {"\"" + dir.File("DCC32.EXE") + "\" x", 2},                                 // file not found
      {"\"" + dir.File("plain.txt") + "\"", 5},                                   // access denied
  };
  TCollect sink;
  for (const auto& [line, code] : cases)
    EXPECT_EQ(test::Thrown<ECompileError>([&] { RunCompiler(line, sink); }),
              "Error creating process " + line + ". Error Code " + std::to_string(code));
  EXPECT_TRUE(sink.pieces.empty());
}

// Stand-in compilers and everything they print: both streams share one pipe,
// standard input is a pipe nobody writes, a failed compile returns normally.
TEST_F(CompilerRunTest, ArgumentsArriveSplitAndTheOutputIsCollected) {
  const std::pair<std::string, std::string> cases[] = {
      {"\"" + Script("quiet", "exit 0") + "\"", ""},
      {"\"" + Script("echoargs", "for a in \"$@\"; do echo \"[$a]\"; done; echo oops >&2; exit 3") +
           "\" -e\"a b\" x\\\"y",
       "[-ea b]\n[x\"y]\noops\n"},
      {"\"" + Script("stdin", "if [ -p /dev/stdin ]; then echo pipe; else echo other; fi") + "\"", "pipe\n"},
  };
  for (const auto& [line, output] : cases) {
    TCollect sink;
    RunCompiler(line, sink);
    EXPECT_EQ(sink.All(), output) << line;
  }
}

TEST_F(CompilerRunTest, HundredKilobytesArriveWholeInOrderInBoundedPieces) {
  std::string expected;
  for (int i = 0; expected.size() < 100 * 1024; ++i) expected += "line " + std::to_string(i) + " of the compiler's output\n";
  test::WriteFile(dir.File("big.txt"), expected);
  TCollect sink;
  RunCompiler(Call("big", "cat \"$1/big.txt\""), sink);
  EXPECT_EQ(sink.All(), expected);
  EXPECT_GE(sink.pieces.size(), 4u) << "more than three reads of 32001 bytes";
  for (const auto& piece : sink.pieces) EXPECT_LE(piece.size(), 32001u);
}

TEST_F(CompilerRunTest, TimeOutStopsTheCompilerAndWhatItStarted) {
  std::string line = Call("sleeper", "sleep 300 & echo $! > \"$1/grandchild\"; echo $$ > \"$1/child\"; echo started; wait");
  TCollect sink;
  TCompilerRunLimits limits;
  limits.timeLimit = std::chrono::milliseconds(2000);
  EXPECT_EQ(test::Thrown<ECompileError>([&] { RunCompiler(line, sink, limits); }),
            "Internal Error: Compile Error - WaitForSingleObject returned Time Out");
  EXPECT_EQ(sink.All(), "started\n");
  EXPECT_FALSE(Running(dir.File("child")));
  EXPECT_FALSE(Running(dir.File("grandchild")));

  // A child that closes its output but goes on times out too.
  line = Call("closer", "echo $$ > \"$1/child\"; exec >/dev/null 2>&1; sleep 300");
  limits.timeLimit = std::chrono::milliseconds(1500);
  EXPECT_THROW(RunCompiler(line, sink, limits), ECompileError);
  EXPECT_FALSE(Running(dir.File("child")));
}

// The window's compile thread is stopped when the user closes the window.
TEST_F(CompilerRunTest, TheStopFlagStopsTheCompilerFromAnotherThread) {
  std::string line = Call("silent", "echo $$ > \"$1/child\"; sleep 300");
  TCollect sink;
  std::atomic<bool> stop{false};
  TCompilerRunLimits limits;
  limits.stop = &stop;
  std::string error;
  std::thread run([&] { error = test::Thrown<ECompileStopped>([&] { RunCompiler(line, sink, limits); }); });
  while (!FileExists(dir.File("child"))) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  stop = true;
  run.join();
  EXPECT_EQ(error, "The compile was stopped.");
  EXPECT_FALSE(Running(dir.File("child")));
}

TEST_F(CompilerRunTest, AnErrorOfTheSinkStopsTheCompiler) {
  struct TFailing : TCompilerOutputSink {
    void Append(std::string_view) override { throw std::runtime_error("log pane gone"); }
  } sink;
  EXPECT_THROW(RunCompiler(Call("talker", "echo $$ > \"$1/child\"; echo hello; sleep 300"), sink), std::runtime_error);
  EXPECT_FALSE(Running(dir.File("child")));
}

TEST(OemToAnsiSink, ConvertsEachPieceFromTheOemCodePage) {
  std::vector<std::string> log;
  TOemToAnsiSink sink([&](const std::string& text) { log.push_back(text); }, TSystemCodePages{1252, 437, 10000});
  sink.Append("Gr\x81\xE1" "e");  // "Grüße" in code page 437
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0], "Gr\xFC\xDF" "e");
}

using test::WriteFile;

class LanguageModuleTest : public testing::Test {
protected:
  test::TScratchDir dir;
  TRegistryLocation location = TRegistryLocation::InDirectory(dir.Path() + "/cfg");
  TTranslatorRegistry registry{location};
  TRecordingInteraction ui;
  TProjectData project{registry, ui, TSystemCodePages{1252, 850, 10000}};

  std::string Path(const std::string& name) const { return dir.File(name); }
  void Form(const std::string& name, const std::string& object) {
    ForceDirectories(ExtractFileDir(Path(name)));
    WriteFile(Path(name), TextToResource("object " + object + ": T" + object + "\r\n  Caption = '" + object +
                                         " caption'\r\nend\r\n"));
  }
  // A project P.dpr whose uses clause lists the given units with forms.
  void Open(const std::string& uses) {
    WriteFile(Path("P.dpr"), "program P;\r\n\r\nuses\r\n  Forms" + uses + ";\r\n\r\nbegin\r\nend.\r\n");
    WriteFile(Path("P.DRC"), "#define U_SHello 65535\r\nSTRINGTABLE\r\nBEGIN\r\n\tU_SHello,\t\"Hello\"\r\nEND\r\n");
    project.Open(Path("P.dpr"));
  }
  std::string Source(int language = 0x0407) const {
    return ReadFileBytes(ChangeFileExt(project.TranslatedFileName(project.FileName, language), ".dpr"));
  }
};

TEST_F(LanguageModuleTest, LibrarySourceLineByLine) {
  Form("Main.dfm", "Main");
  Form("sub/Other.dfm", "Other");
  Open(",\r\n  Main in 'Main.pas' {Main},\r\n  Other in 'sub\\Other.pas' {Other}");
  project.VersionInfo.IncludeVerInfo = true;
  project.CustomResources.Add(Path("Pics.res")).TranslatedFile = Path("DEU/Pics.res");
  project.CustomResources.Add(Path("Gone.res")).TranslatedFile = "";
  GenerateLanguageModule(project, 0x0407);
  test::ExpectGolden(test::TestDataDir() + "/build/library-source.dpr", test::WithDirPlaceholder(Source(), dir.Path()));
  EXPECT_TRUE(FileExists(Path("sub/DEU/Other.dfm"))) << "a form's copy goes beside the form";
  std::string again = Source();
  std::string stringRes = ReadFileBytes(Path("DEU/P.StringRes.RES"));
  GenerateLanguageModule(project, 0x0407);
  EXPECT_EQ(Source(), again) << "regeneration is byte-identical";
  EXPECT_EQ(ReadFileBytes(Path("DEU/P.StringRes.RES")), stringRes);
}

// The batch that reproduces the compiler run is checked by the build case of tests/cli.
TEST_F(LanguageModuleTest, CommandLineNamesCompilerOutputUnitsAndSource) {
  Open("");
  registry.Compiler().WriteString("DCC32", "%DelphiBinDir%\\DCC32.EXE");
  registry.Directories().WriteString("DelphiBinDir", "/opt/Delphi 3/bin");
  EXPECT_EQ(CompilerCommandLine(project, 0x0407), "\"/opt/Delphi 3/bin/DCC32.EXE\" -e\"" + Path("DEU") + "\" -n\"" +
                                                      Path("DEU") + "\" \"" + Path("DEU/P.dpr") + "\"");
  project.SetOutputDirectory("<ProjectOutputDirectory>");
  EXPECT_NE(CompilerCommandLine(project, 0x0407).find(" -e\"" + dir.Path() + "\" "), std::string::npos);
}

TEST_F(LanguageModuleTest, NoFormsVersionInfoOffShortNamesAndANeutralLanguage) {
  Open("");
  project.VersionInfo.IncludeVerInfo = false;
  registry.Compiler().WriteBool("UseShortFileNames", true);
  GenerateLanguageModule(project, 0x0407);
  EXPECT_NE(Source().find("{--- Forms ---}\r\n{--- Version Info ---}\r\n"
                          "// Library does not include a version information!\r\n"),
            std::string::npos)
      << Source();
  // The version resource is written all the same.
  for (const char* file : {"DEU/P.tvr", "DEU/P.tsr", "DEU/P.bat"}) EXPECT_TRUE(FileExists(Path(file))) << file;
  GenerateLanguageModule(project, 0x0007);
  EXPECT_NE(Source(0x0007).find("\r\n{$E DE}\r\n"), std::string::npos) << "a neutral language has two letters";
}

TEST_F(LanguageModuleTest, HintIsShownAndRestoredAlsoAfterAnErrorAndNothingIsWrittenWithoutAProject) {
  TBusyCursorStack busy(ui);
  struct TNone : TCompilerOutputSink {
    void Append(std::string_view) override {}
  } sink;
  EXPECT_THROW(GenerateLanguageModule(project, 0x0407), EProjectError);
  EXPECT_THROW(BuildLanguageModule(project, 0x0407, busy, sink), EProjectError);
  EXPECT_EQ(busy.Depth(), 0u);

  Open("");
  ui.SetHint("before");
  GenerateLanguageModule(project, 0x0407);
  EXPECT_EQ(ui.Hint(), "before");
  EXPECT_NE(std::find(ui.hints.begin(), ui.hints.end(), "Generating Translation..."), ui.hints.end());
  WriteFile(Path("FRA"), "");  // a file where the language directory should be
  EXPECT_THROW(GenerateLanguageModule(project, 0x040C), EFileError);
  EXPECT_EQ(ui.Hint(), "before");
}

// On a machine without Delphi: the default compiler setting (the bundled
// stand-in) writes DEU/Demo.DEU with the translated texts.
TEST(DemoModule, GermanModuleCarriesTheTranslations) {
  test::TScratchDir dir;
  test::CopyDemo(dir.File("demo"));
  TTranslatorRegistry registry(TRegistryLocation::InDirectory(dir.File("cfg")));
  TRecordingInteraction ui;
  TProjectData project(registry, ui, TSystemCodePages{1252, 850, 10000});
  project.Open(dir.File("demo/project/Demo.dpr"));
  project.AddLanguage(0x0407);
  project.CustomResources.Add(dir.File("demo/project/Greeting.res"));
  project.FindModule("Main.dfm")->Root->FindPropertyItem("Caption")->SetTranslatedValue("Kestrin-Demo auf Deutsch");
  project.ResourceStrings.Find(0, "Texts_SReady")->TranslatedValue = "Bereit";
  project.VersionInfo.Find("CompanyName")->Translation = "Kestrin Beispielfirma";
  GenerateLanguageModule(project, 0x0407);
  TBusyCursorStack busy(ui);
  std::string output;
  TOemToAnsiSink sink([&](const std::string& text) { output += text; }, project.SystemCodePages());
  ui.SetHint("idle");
  BuildLanguageModule(project, 0x0407, busy, sink);
  EXPECT_EQ(busy.Depth(), 0u);
  EXPECT_EQ(ui.Hint(), "idle");
  EXPECT_FALSE(ui.BusyCursor());
  EXPECT_NE(std::find(ui.hints.begin(), ui.hints.end(), "Compiling..."), ui.hints.end());
  const std::string module = dir.File("demo/project/DEU/Demo.DEU");
  ASSERT_TRUE(FileExists(module)) << output;

  TExefile exe(module, 1252);
  std::vector<std::string> names;
  const TPEResourceDirectory& root = exe.ResourceSection().Root();
  for (int t = 0; t < root.SubdirectoryCount(); ++t)
    for (int n = 0; n < root.Subdirectory(t).SubdirectoryCount(); ++n)
      names.push_back(root.Subdirectory(t).TypeName() + "/" + root.Subdirectory(t).Subdirectory(n).Name());
  EXPECT_EQ(names, (std::vector<std::string>{"#6 [RT_STRING]/#4096", "#10 [RT_RCDATA]/GREETING",
                                             "#10 [RT_RCDATA]/TFRMABOUT", "#10 [RT_RCDATA]/TFRMMAIN",
                                             "#10 [RT_RCDATA]/TFRMOPTIONS", "#16 [RT_VERSION]/#1"}));
  if (test::HaveProgram("i686-w64-mingw32-objdump")) {
    test::TProgramRun objdump = test::Run("i686-w64-mingw32-objdump -p " + module);
    EXPECT_EQ(objdump.exitCode, 0) << objdump.err;
    EXPECT_NE(objdump.out.find("pei-i386"), std::string::npos) << objdump.out;
  }

  EXPECT_NE(ReadFileBytes(module).find("Kestrin-Demo auf Deutsch"), std::string::npos);
  std::string why;
  if (test::PeTools(why)) {
    test::TProgramRun dump = test::RunPeTool("pe-dump.py", module);
    EXPECT_EQ(dump.exitCode, 0) << dump.err;
    for (const char* line : {"FORM frmMain.Caption = str \"Kestrin-Demo auf Deutsch\"", "STR 65522 \"Bereit\"",
                             "VER StringFileInfo/040704E4/CompanyName = \"Kestrin Beispielfirma\"",
                             "VER VarFileInfo/Translation = 0407:1252", "type=10 name=\"GREETING\"",
                             "type=16 name=1 lang=0407"})
      EXPECT_NE(dump.out.find(line), std::string::npos) << line << "\n" << dump.out;
    EXPECT_EQ(dump.out.find(" warn "), std::string::npos) << dump.out;
  }

  // A failed compile returns normally; its errors are in the output only.
  const std::string form = dir.File("demo/project/DEU/Main.dfm");
  std::remove(form.c_str());
  output.clear();
  BuildLanguageModule(project, 0x0407, busy, sink);
  EXPECT_NE(output.find("Demo.dpr(8) Error: File not found: '" + form + "'"), std::string::npos) << output;
  // A wrong compiler path: the error, and the busy cursor popped.
  registry.Compiler().WriteString("DCC32", dir.File("nowhere/DCC32.EXE"));
  EXPECT_THROW(BuildLanguageModule(project, 0x0407, busy, sink), ECompileError);
  EXPECT_EQ(busy.Depth(), 0u);
  EXPECT_FALSE(ui.BusyCursor());

  if (!why.empty()) GTEST_SKIP() << "pe-dump.py: " << why;
}

}  // namespace
}  // namespace kst
