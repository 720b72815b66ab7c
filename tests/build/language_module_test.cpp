// Running the compiler (Windows command lines, start failures, the output, time limits and stopping;
// stand-in compilers are shell scripts), and generating and compiling a language module.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <fstream>
#include <thread>

#include "build/compiler_run.h"
#include "build/language_module.h"
#include "build/module_verify.h"
#include "config/interaction.h"
#include "config/registry_settings.h"
#include "formmodel/form_conversion.h"
#include "platform/file_utils.h"
#include "project/project_data.h"
#include "support/test_support.h"

namespace kst {
namespace {

TEST(SplitCommandLine, SplitsAsWindowsDoes) {
  const std::pair<const char*, std::vector<std::string>> cases[] = {
      {R"("C:\Delphi 3\bin\DCC32.EXE" -e"C:\P\DEU" -n"C:\P\DEU" "C:\P\DEU\App.dpr")",
       {R"(C:\Delphi 3\bin\DCC32.EXE)", R"(-eC:\P\DEU)", R"(-nC:\P\DEU)", R"(C:\P\DEU\App.dpr)"}},
      // The program name takes no escapes: a backslash before its closing quote stays.
      {R"("C:\dir\" x)", {R"(C:\dir\)", "x"}},
      {"prog a  b\tc", {"prog", "a", "b", "c"}},
      {R"(p a\\\"b)", {"p", R"(a\"b)"}},  {R"(p "a\\" b)", {"p", R"(a\)", "b"}}, {R"(p a\\b)", {"p", R"(a\\b)"}},
      {R"(p "x""y")", {"p", R"(x"y)"}}, {R"(p "" x)", {"p", "", "x"}},      {"  p", {"p"}},
      {"", {}},
  };
  for (const auto& [line, args] : cases) EXPECT_EQ(SplitCommandLine(line), args) << line;
}

struct TCollect : TCompilerOutputSink {
  std::vector<std::string> pieces;
  std::string all;
  void Append(std::string_view piece) override { pieces.emplace_back(piece); all += piece; }
};

class CompilerRunTest : public testing::Test {
protected:
  test::TScratchDir dir;
  TCollect sink;

  // The command line of a stand-in compiler (a shell script) that gets the scratch directory as $1.
  std::string Call(const std::string& name, const std::string& body) {
    test::WriteFile(dir.File(name), "#!/bin/sh\n" + body + "\n");
    ::chmod(dir.File(name).c_str(), 0755);
    return "\"" + dir.File(name) + "\" \"" + dir.Path() + "\"";
  }
  // Whether the process whose id the file holds still runs after 2 s; a zombie runs no more.
  static bool Running(const std::string& pidFile) {
    pid_t pid = std::stoi(ReadFileBytes(pidFile));
    for (int i = 0; i < 100; ++i, std::this_thread::sleep_for(std::chrono::milliseconds(20))) {
      std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
      std::string all((std::istreambuf_iterator<char>(stat)), {});
      size_t close = all.rfind(')');  // the state follows the command's name in brackets
      if (::kill(pid, 0) != 0 || (close != std::string::npos && close + 2 < all.size() && all[close + 2] == 'Z'))
        return false;
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
  for (const auto& [line, code] : cases)
    EXPECT_EQ(test::Thrown<ECompileError>([&] { RunCompiler(line, sink); }),
              "Error creating process " + line + ". Error Code " + std::to_string(code));
  EXPECT_TRUE(sink.pieces.empty());
}

// Both streams share one pipe, standard input is a pipe nobody writes, a
// failed compile returns normally.
TEST_F(CompilerRunTest, ArgumentsArriveSplitAndTheOutputIsCollected) {
  const std::pair<std::string, std::string> cases[] = {
      {Call("quiet", "exit 0"), ""},
      {Call("echoargs", "shift; for a in \"$@\"; do echo \"[$a]\"; done; echo oops >&2; exit 3") + " -e\"a b\" x\\\"y",
       "[-ea b]\n[x\"y]\noops\n"},
      {Call("stdin", "if [ -p /dev/stdin ]; then echo pipe; else echo other; fi"), "pipe\n"},
  };
  for (const auto& [line, output] : cases) {
    TCollect one;
    RunCompiler(line, one);
    EXPECT_EQ(one.all, output) << line;
  }
}

TEST_F(CompilerRunTest, HundredKilobytesArriveWholeInOrderInBoundedPieces) {
  std::string expected;
  for (int i = 0; expected.size() < 100 * 1024; ++i) expected += "line " + std::to_string(i) + " of the compiler's output\n";
  test::WriteFile(dir.File("big.txt"), expected);
  RunCompiler(Call("big", "cat \"$1/big.txt\""), sink);
  EXPECT_EQ(sink.all, expected);
  EXPECT_GE(sink.pieces.size(), 4u) << "more than three reads of 32001 bytes";
  for (const auto& piece : sink.pieces) EXPECT_LE(piece.size(), 32001u);
}

TEST_F(CompilerRunTest, TimeOutStopsTheCompilerAndWhatItStarted) {
  std::string line = Call("sleeper", "sleep 300 & echo $! > \"$1/grandchild\"; echo $$ > \"$1/child\"; echo started; wait");
  TCompilerRunLimits limits;
  limits.timeLimit = std::chrono::milliseconds(2000);
  EXPECT_EQ(test::Thrown<ECompileError>([&] { RunCompiler(line, sink, limits); }),
            "Internal Error: Compile Error - WaitForSingleObject returned Time Out");
  EXPECT_EQ(sink.all, "started\n");
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
  std::atomic<bool> stop{false};
  TCompilerRunLimits limits;
  limits.stop = &stop;
  std::string line = Call("silent", "echo $$ > \"$1/child\"; sleep 300"), error;
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
  } bad;
  EXPECT_THROW(RunCompiler(Call("talker", "echo $$ > \"$1/child\"; echo hello; sleep 300"), bad), std::runtime_error);
  EXPECT_FALSE(Running(dir.File("child")));
}

TEST(OemToAnsiSink, ConvertsEachPieceFromTheOemCodePage) {
  std::string log;
  TOemToAnsiSink sink([&](const std::string& text) { log += text + "|"; }, TSystemCodePages{1252, 437, 10000});
  sink.Append("Gr\x81\xE1" "e");  // "Grüße" in code page 437
  EXPECT_EQ(log, "Gr\xFC\xDF" "e|");
}

using test::WriteFile;

class LanguageModuleTest : public testing::Test {
protected:
  test::TScratchDir dir;
  TTranslatorRegistry registry{TRegistryLocation::InDirectory(dir.Path() + "/cfg")};
  TRecordingInteraction ui;
  TProjectData project{registry, ui, TSystemCodePages{1252, 850, 10000}};

  std::string Path(const std::string& name) const { return dir.File(name); }
  void Form(const std::string& name, const std::string& object) {
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

TEST_F(LanguageModuleTest, LibrarySourceLineByLineAndRegeneratedByteForByte) {
  Form("Main.dfm", "Main");
  Form("sub/Other.dfm", "Other");
  Open(",\r\n  Main in 'Main.pas' {Main},\r\n  Other in 'sub\\Other.pas' {Other}");
  project.VersionInfo.IncludeVerInfo = true;
  project.CustomResources.Add(Path("Pics.res")).TranslatedFile = Path("DEU/Pics.res");
  project.CustomResources.Add(Path("Gone.res")).TranslatedFile = "";
  GenerateLanguageModule(project, 0x0407);
  test::ExpectGolden(test::TestDataDir() + "/build/library-source.dpr", test::WithDirPlaceholder(Source(), dir.Path()));
  EXPECT_TRUE(FileExists(Path("sub/DEU/Other.dfm"))) << "a form's copy goes beside the form";
  const std::string source = Source(), stringRes = ReadFileBytes(Path("DEU/P.StringRes.RES"));
  GenerateLanguageModule(project, 0x0407);
  EXPECT_EQ(Source(), source);
  EXPECT_EQ(ReadFileBytes(Path("DEU/P.StringRes.RES")), stringRes);
}

// Also: the compiler's command line (the batch that reproduces the run is
// the build case of tests/cli), the status hint put back after an error, and
// nothing written without a project.
TEST_F(LanguageModuleTest, NoFormsVersionInfoOffShortNamesAndANeutralLanguage) {
  TBusyCursorStack busy(ui);
  TCollect sink;
  EXPECT_THROW(GenerateLanguageModule(project, 0x0407), EProjectError);
  EXPECT_THROW(BuildLanguageModule(project, 0x0407, busy, sink), EProjectError);
  EXPECT_EQ(busy.Depth(), 0u);

  Open("");
  registry.Compiler().WriteString("DCC32", "%DelphiBinDir%\\DCC32.EXE");
  registry.Directories().WriteString("DelphiBinDir", "/opt/Delphi 3/bin");
  EXPECT_EQ(CompilerCommandLine(project, 0x0407), "\"/opt/Delphi 3/bin/DCC32.EXE\" -e\"" + Path("DEU") + "\" -n\"" +
                                                      Path("DEU") + "\" \"" + Path("DEU/P.dpr") + "\"");
  project.SetOutputDirectory("<ProjectOutputDirectory>");
  EXPECT_NE(CompilerCommandLine(project, 0x0407).find(" -e\"" + dir.Path() + "\" "), std::string::npos);
  project.VersionInfo.IncludeVerInfo = false;
  registry.Compiler().WriteBool("UseShortFileNames", true);
  ui.SetHint("before");
  GenerateLanguageModule(project, 0x0407);
  EXPECT_EQ(ui.Hint(), "before");
  EXPECT_NE(std::find(ui.hints.begin(), ui.hints.end(), "Generating Translation..."), ui.hints.end());
  EXPECT_NE(Source().find("{--- Forms ---}\r\n{--- Version Info ---}\r\n// Library does not include a version "
                          "information!\r\n"), std::string::npos) << Source();
  // The version resource is written all the same.
  for (const char* file : {"DEU/P.tvr", "DEU/P.tsr", "DEU/P.bat"}) EXPECT_TRUE(FileExists(Path(file))) << file;
  GenerateLanguageModule(project, 0x0007);
  EXPECT_NE(Source(0x0007).find("\r\n{$E DE}\r\n"), std::string::npos) << "a neutral language has two letters";
  WriteFile(Path("FRA"), "");  // a file where the language directory should be
  EXPECT_THROW(GenerateLanguageModule(project, 0x040C), EFileError);
  EXPECT_EQ(ui.Hint(), "before");
}

// Without Delphi the default compiler setting is the bundled stand-in. The
// demo's module, read by independent tools, is the case build-demo of tests/cli.
TEST_F(LanguageModuleTest, CompilingPutsTheStatusBackAndLeavesTheCompilersErrorsInItsOutput) {
  Form("Main.dfm", "Main");
  Open(",\r\n  Main in 'Main.pas' {Main}");
  GenerateLanguageModule(project, 0x0407);
  TBusyCursorStack busy(ui);
  std::string output;
  TOemToAnsiSink sink([&](const std::string& text) { output += text; }, project.SystemCodePages());
  ui.SetHint("idle");
  BuildLanguageModule(project, 0x0407, busy, sink);
  EXPECT_TRUE(VerifyLanguageModule(project, 0x0407, LanguageModuleFileName(project, 0x0407)).empty()) << output;
  // A failed compile returns normally.
  std::remove(Path("DEU/Main.dfm").c_str());
  output.clear();
  BuildLanguageModule(project, 0x0407, busy, sink);
  EXPECT_NE(output.find("P.dpr(8) Error: File not found: '" + Path("DEU/Main.dfm") + "'"), std::string::npos) << output;
  registry.Compiler().WriteString("DCC32", Path("nowhere/DCC32.EXE"));
  EXPECT_THROW(BuildLanguageModule(project, 0x0407, busy, sink), ECompileError);
  EXPECT_EQ(busy.Depth(), 0u);
  EXPECT_EQ(ui.Hint(), "idle");
  EXPECT_FALSE(ui.BusyCursor());
  EXPECT_NE(std::find(ui.hints.begin(), ui.hints.end(), "Compiling..."), ui.hints.end());
}

}  // namespace
}  // namespace kst
