// The PE and .RES fixtures built by the shared tools (make-fixtures.sh) into
// a scratch directory once per test program, and a way to run the
// independent dumpers. Tests skip, saying why, when the tools are missing.
#pragma once

#include <optional>
#include <string>

namespace kst::test {

// The directory holding the built fixtures, or nullopt with `why` set.
std::optional<std::string> FixtureDir(std::string& why);
// The pe-fixtures tool directory (under the shared directory), or nullopt.
std::optional<std::string> PeToolsDir();
// True when /usr/bin/python3 can import pefile and windres is on the path.
bool HaveMingwAndPefile();

// Runs a shell command; stdout goes to `out`, stderr to `err` when given.
int RunCommand(const std::string& command, std::string* out = nullptr, std::string* err = nullptr);
// Single-quotes a word for the shell.
std::string ShellQuote(const std::string& word);

}  // namespace kst::test
