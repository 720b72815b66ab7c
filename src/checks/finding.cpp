// Severity names.
#include "checks/finding.h"

namespace kst {

const char* SeverityName(TSeverity severity) {
  switch (severity) {
    case TSeverity::Info: return "info";
    case TSeverity::Warning: return "warning";
    case TSeverity::Error: return "error";
  }
  return "error";
}

std::optional<TSeverity> ParseSeverity(std::string_view word) {
  for (TSeverity s : {TSeverity::Info, TSeverity::Warning, TSeverity::Error})
    if (word == SeverityName(s)) return s;
  return std::nullopt;
}

}  // namespace kst
