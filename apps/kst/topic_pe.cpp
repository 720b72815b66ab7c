// kst pe: not yet available.
#include "cli.h"

namespace kst::cli {

std::vector<TTopic> PeTopics() { return {}; }

}  // namespace kst::cli
