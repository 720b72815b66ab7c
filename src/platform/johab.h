// Code page 1361 (Korean Johab), which ICU lacks: Hangul from its bit fields,
// symbols and Hanja through KS X 1001 as windows-949 maps it. Private to
// codepage.cpp.
#pragma once

#include <string>
#include <string_view>

namespace kst::johab {

// Undefined bytes and byte pairs become U+FFFD; nothing is dropped.
std::u16string Decode(std::string_view bytes);

// Each UTF-16 unit Johab cannot hold becomes '?' and clears lossless.
std::string Encode(std::u16string_view text, bool& lossless);

}  // namespace kst::johab
