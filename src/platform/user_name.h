// The network user name: the per-user key of the settings store.
#pragma once

#include <string>

namespace kst {

// The login name of the user running the program (at most 259 characters),
// or "unknown" when the system cannot tell.
std::string GetNetUserName();

}  // namespace kst
