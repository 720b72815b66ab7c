// Running the independent tools.
#include "build_test_support.h"

#include <sys/wait.h>

#include <cstdio>

#include "platform/file_utils.h"
#include "support/test_support.h"

namespace kst::test {

TToolRun RunTool(const std::string& command) {
  TToolRun run;
  FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
  if (!pipe) return run;
  char buffer[4096];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, got);
  int status = ::pclose(pipe);
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

std::optional<std::string> PeDumpCommand(std::string& why) {
  std::optional<std::string> shared = SharedDir();
  if (!shared) {
    why = "../shared is not there";
    return std::nullopt;
  }
  std::string script = *shared + "/tools/pe-fixtures/pe-dump.py";
  if (!FileExists(script)) {
    why = script + " is missing";
    return std::nullopt;
  }
  if (RunTool("/usr/bin/python3 -c 'import pefile'").exitCode != 0) {
    why = "/usr/bin/python3 with python3-pefile is not installed";
    return std::nullopt;
  }
  return "/usr/bin/python3 " + script;
}

bool HaveObjdump() { return RunTool("i686-w64-mingw32-objdump --version").exitCode == 0; }

uint32_t Le32(const std::string& s, size_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<uint8_t>(s.at(at + i));
  return v;
}

uint16_t Le16(const std::string& s, size_t at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(s.at(at)) | static_cast<uint8_t>(s.at(at + 1)) << 8);
}

}  // namespace kst::test
