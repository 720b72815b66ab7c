// The Delphi path macros "%DelphiRootDir%", "%DelphiBinDir%" and
// "%CommonDelphiLibDir%": stored unexpanded, expanded at the moment of use.
#pragma once

#include <string>
#include <string_view>

namespace kst {

class TTranslatorRegistry;

// Five rounds of replacing the first occurrence of each macro (found without
// regard to case) with its setting or default, then backslashes become "/"
// and doubled separators after the first character collapse (a leading pair,
// a network path, stays). Never fails.
std::string ExpandPathMacros(std::string_view path, const TTranslatorRegistry& registry);

}  // namespace kst
