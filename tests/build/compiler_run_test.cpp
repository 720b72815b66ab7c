// The compiler run: Windows command-line splitting, the start failure, output
// arriving whole and in order, one pipe for both streams, the time limit and
// the stopping of a child that outlives it. Stand-in compilers are small
// shell scripts written into a scratch directory.
#include "build/compiler_run.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <fstream>
#include <thread>

#include "platform/file_utils.h"
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

}  // namespace
}  // namespace kst
