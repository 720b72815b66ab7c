// The command-line programs as a person uses them, one golden case per
// folder beside this file. `args` holds the case's command lines, one a line
// ('#' starts a comment line), run in order by /bin/sh in a fresh scratch
// directory that holds a copy of the demo (demo/) and of the case's `files/`,
// with the built programs (kst, ktlink, DCC32.EXE) on the PATH and the
// settings in cfg/. What they print is `stdout` and `stderr`, their exit
// codes, one a line, `exit`. The scratch directory is written {DIR}, the
// program directory {BIN}, the shared directory {SHARED} and the time of a
// compile {TIME} in all of them; {EXAMPLES} in `args` is the examples folder.
// A `needs` file names the independent tools the case runs (shared, pefile,
// windres) or "fonts" for a case whose widths are measured in the fonts the
// window build uses; the case is skipped when one is missing.
// KST_REGENERATE_GOLDEN=1 rewrites the expected files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <regex>
#include <sstream>

#include "platform/file_utils.h"
#include "support/test_support.h"

namespace kst {
namespace {

namespace fs = std::filesystem;

std::string CasesDir() { return test::TestDataDir() + "/../cli"; }

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
  if (from.empty()) return text;
  for (size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size()) text.replace(at, from.size(), to);
  return text;
}

// Why the case cannot run here, or "".
std::string MissingTool(const std::string& needs) {
  std::istringstream words(needs);
  std::string word, why;
  while (words >> word) {
    if (word == "shared" && !test::SharedDir()) return "../shared is not here";
    if (word == "pefile" && !test::PeTools(why)) return why;
    if (word == "windres" && !test::HaveProgram("i686-w64-mingw32-windres")) return "windres is not installed";
    if (word == "fonts") {
#ifndef KST_MEASURE_FONTS
      return "kst measures no fonts without the window build";
#endif
      // The goldens' widths are those of the metric-compatible faces.
      if (std::system("fc-list -q 'Liberation Sans' >/dev/null 2>&1") != 0) {
        // The set-up installs them, so in CI their absence is a fault.
        if (std::getenv("CI")) ADD_FAILURE() << "Liberation Sans (fonts-liberation2) is required in CI";
        return "Liberation Sans is not installed";
      }
    }
  }
  return "";
}

class CommandLine : public testing::TestWithParam<std::string> {};

TEST_P(CommandLine, PrintsWritesAndExitsAsExpected) {
  const std::string dir = CasesDir() + "/" + GetParam();
  if (FileExists(dir + "/needs"))
    if (std::string why = MissingTool(ReadFileBytes(dir + "/needs")); !why.empty()) GTEST_SKIP() << why;
  test::TScratchDir scratch;
  test::CopyDemo(scratch.File("demo"));
  if (fs::is_directory(dir + "/files")) fs::copy(dir + "/files", scratch.Path(), fs::copy_options::recursive);
  const std::string shared = test::SharedDir().value_or("/nonexistent");
  const std::string bin = fs::canonical(test::BinDir()).string();
  const std::string environment = "PATH=" + test::ShellQuote(bin + ":" + bin + "/delphi3/bin") +
                                  ":\"$PATH\" KESTRIN_CONFIG_DIR=" + test::ShellQuote(scratch.File("cfg")) +
                                  "; export PATH KESTRIN_CONFIG_DIR; unset KESTRIN_SYSTEM_LOCALE; ";
  std::string out, err, exits;
  std::istringstream lines(ReadFileBytes(dir + "/args"));
  for (std::string line; std::getline(lines, line);) {
    if (line.empty() || line[0] == '#') continue;
    line = ReplaceAll(ReplaceAll(ReplaceAll(line, "{DIR}", scratch.Path()), "{BIN}", bin), "{SHARED}", shared);
    line = ReplaceAll(line, "{EXAMPLES}", ExtractFileDir(test::DemoDir()));
    test::TProgramRun run = test::Run(environment + line, scratch.Path());
    out += run.out;
    err += run.err;
    exits += std::to_string(run.exitCode) + "\n";
  }
  // The compile's log line carries the time of the run.
  static const std::regex kTime("--- \\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d ----");
  auto placeholders = [&](const std::string& text) {
    std::string placed = ReplaceAll(ReplaceAll(ReplaceAll(text, scratch.Path(), "{DIR}"), bin, "{BIN}"), shared, "{SHARED}");
    return std::regex_replace(placed, kTime, "--- {TIME} ----");
  };
  test::ExpectGolden(dir + "/stdout", placeholders(out));
  test::ExpectGolden(dir + "/stderr", placeholders(err));
  test::ExpectGolden(dir + "/exit", exits);
}

INSTANTIATE_TEST_SUITE_P(Cases, CommandLine, testing::ValuesIn(test::GoldenCases(CasesDir())), test::TCaseName());

}  // namespace
}  // namespace kst
