// kst project, kst version: not yet available.
#include "cli.h"

namespace kst::cli {

std::vector<TTopic> ProjectTopics() { return {}; }

}  // namespace kst::cli
