// kst strings: not yet available.
#include "cli.h"

namespace kst::cli {

std::vector<TTopic> StringsTopics() { return {}; }

}  // namespace kst::cli
