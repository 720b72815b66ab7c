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

struct TSplitCase {
  const char* line;
  std::vector<std::string> args;
};

class SplitCommandLineTest : public testing::TestWithParam<TSplitCase> {};

TEST_P(SplitCommandLineTest, SplitsAsWindowsDoes) { EXPECT_EQ(SplitCommandLine(GetParam().line), GetParam().args); }

INSTANTIATE_TEST_SUITE_P(
    Cases, SplitCommandLineTest,
    testing::Values(
        TSplitCase{R"("C:\Delphi 3\bin\DCC32.EXE" -e"C:\P\DEU" -n"C:\P\DEU" "C:\P\DEU\App.dpr")",
                   {R"(C:\Delphi 3\bin\DCC32.EXE)", R"(-eC:\P\DEU)", R"(-nC:\P\DEU)", R"(C:\P\DEU\App.dpr)"}},
        TSplitCase{"prog a  b\tc", {"prog", "a", "b", "c"}},
        // The program name takes no escapes: a backslash before its closing quote stays.
        TSplitCase{R"("C:\dir\" x)", {R"(C:\dir\)", "x"}},
        TSplitCase{R"(p a\\\"b)", {"p", R"(a\"b)"}},
        TSplitCase{R"(p "a\\" b)", {"p", R"(a\)", "b"}},
        TSplitCase{R"(p a\\b)", {"p", R"(a\\b)"}},
        TSplitCase{R"(p "x""y")", {"p", R"(x"y)"}},
        TSplitCase{R"(p "" x)", {"p", "", "x"}},
        TSplitCase{"  p", {"p"}}, TSplitCase{"", {}}));

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

  static bool Running(const std::string& pidFile) {
    std::string text = ReadFileBytes(pidFile);
    pid_t pid = std::stoi(text);
    // A killed process may stay a zombie until its parent reaps it; a zombie
    // runs no more.
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
  for (const auto& [line, code] : cases) {
    try {
      RunCompiler(line, sink);
      ADD_FAILURE() << line;
    } catch (const ECompileError& e) {
      EXPECT_EQ(std::string(e.what()), "Error creating process " + line + ". Error Code " + std::to_string(code));
    }
  }
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
  RunCompiler("\"" + Script("big", "cat \"$1\"") + "\" \"" + dir.File("big.txt") + "\"", sink);
  EXPECT_EQ(sink.All(), expected);
  EXPECT_GE(sink.pieces.size(), 4u) << "more than three reads of 32001 bytes";
  for (const auto& piece : sink.pieces) EXPECT_LE(piece.size(), 32001u);
}

TEST_F(CompilerRunTest, TimeOutStopsTheCompilerAndWhatItStarted) {
  std::string prog = Script("sleeper", "sleep 300 & echo $! > \"$1/grandchild\"; echo $$ > \"$1/child\"; echo started; wait");
  TCollect sink;
  TCompilerRunLimits limits;
  limits.timeLimit = std::chrono::milliseconds(2000);
  try {
    RunCompiler("\"" + prog + "\" \"" + dir.Path() + "\"", sink, limits);
    FAIL();
  } catch (const ECompileError& e) {
    EXPECT_STREQ(e.what(), "Internal Error: Compile Error - WaitForSingleObject returned Time Out");
  }
  EXPECT_EQ(sink.All(), "started\n");
  EXPECT_FALSE(Running(dir.File("child")));
  EXPECT_FALSE(Running(dir.File("grandchild")));

  // A child that closes its output but goes on times out too.
  prog = Script("closer", "echo $$ > \"$1/child\"; exec >/dev/null 2>&1; sleep 300");
  limits.timeLimit = std::chrono::milliseconds(1500);
  EXPECT_THROW(RunCompiler("\"" + prog + "\" \"" + dir.Path() + "\"", sink, limits), ECompileError);
  EXPECT_FALSE(Running(dir.File("child")));
}

// The window runs the compiler on a thread of its own and stops it when the
// user closes the window meanwhile.
TEST_F(CompilerRunTest, TheStopFlagStopsTheCompilerFromAnotherThread) {
  std::string prog = Script("silent", "echo $$ > \"$1/child\"; sleep 300");
  TCollect sink;
  std::atomic<bool> stop{false};
  TCompilerRunLimits limits;
  limits.stop = &stop;
  std::string error;
  std::thread run([&] {
    try {
      RunCompiler("\"" + prog + "\" \"" + dir.Path() + "\"", sink, limits);
    } catch (const ECompileStopped& e) {
      error = e.what();
    }
  });
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
  std::string prog = Script("talker", "echo $$ > \"$1/child\"; echo hello; sleep 300");
  EXPECT_THROW(RunCompiler("\"" + prog + "\" \"" + dir.Path() + "\"", sink), std::runtime_error);
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
