// Helpers of the language-module tests: running the independent tools on a
// module (skipping when they are absent) and reading header fields.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace kst::test {

struct TToolRun {
  int exitCode = -1;
  std::string out;  // stdout and stderr together
};

// Runs a shell command and collects what it printed.
TToolRun RunTool(const std::string& command);

// The path of pe-dump.py when ../shared, Debian's python3 and pefile are
// there; otherwise empty, with `why` saying what is missing.
std::optional<std::string> PeDumpCommand(std::string& why);
// "i686-w64-mingw32-objdump" when it is installed.
bool HaveObjdump();

uint32_t Le32(const std::string& s, size_t at);
uint16_t Le16(const std::string& s, size_t at);

}  // namespace kst::test
