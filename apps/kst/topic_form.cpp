// kst form: not yet available.
#include "cli.h"

namespace kst::cli {

std::vector<TTopic> FormTopics() { return {}; }

}  // namespace kst::cli
