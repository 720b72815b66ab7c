// A form of 504 components as its binary resource: 24 aligned panels, each
// with a label, two buttons, a check box, a group box with two radio buttons
// and a page control of three sheets with an edit and two labels each,
// designed at 120 dpi so that it is scaled. The preview's benchmarks lay it
// out and draw it against reading it.
#pragma once

#include <string>

namespace kst::bench {

std::string Form500Resource();

}  // namespace kst::bench
