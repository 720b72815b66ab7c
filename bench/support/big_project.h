// A large generated project for the benchmarks: 500 forms of about 200
// components each and 20,000 resource strings, written once per process
// into the temporary directory.
#pragma once

#include <string>
#include <vector>

namespace kst::bench {

inline constexpr int kForms = 500;
inline constexpr int kComponents = 200;
inline constexpr int kStrings = 20000;

struct TGenerated {
  std::string dir;
  std::string project;
  size_t formBytes = 0;
  std::vector<std::string> files;
};

// Made on first use; `name` names its directory under the temporary one.
// With `textForms` the forms are form text, as later Delphi versions can
// keep them, instead of binary resources.
const TGenerated& BigProject(const std::string& name = "kst-bench-project", bool textForms = false);

}  // namespace kst::bench
