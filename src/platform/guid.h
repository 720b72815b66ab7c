// Random GUIDs (RFC 4122 version 4) in Windows' text form.
#pragma once

#include <string>

namespace kst {

// 36 characters, upper-case hex digits and dashes, no braces:
// "0F8FAD5B-D9CB-469F-A165-70867728950E".
std::string NewGuidText();

}  // namespace kst
