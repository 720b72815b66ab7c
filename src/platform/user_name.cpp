// The user name from the password database, falling back to the environment.
#include "platform/user_name.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace kst {

std::string GetNetUserName() {
  std::string name;
  long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
  struct passwd pw;
  struct passwd* result = nullptr;
  if (::getpwuid_r(::geteuid(), &pw, buffer.data(), buffer.size(), &result) == 0 && result && result->pw_name)
    name = result->pw_name;
  if (name.empty()) {
    for (const char* var : {"LOGNAME", "USER"}) {
      const char* v = std::getenv(var);
      if (v && *v) {
        name = v;
        break;
      }
    }
  }
  if (name.empty()) return "unknown";
  // The engine's buffer held 260 characters with the terminating zero.
  if (name.size() > 259) name.resize(259);
  return name;
}

}  // namespace kst
