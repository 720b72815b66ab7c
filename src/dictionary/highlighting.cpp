// The highlighting test.
#include "dictionary/highlighting.h"

#include "config/text_helpers.h"
#include "dictionary/common.h"
#include "platform/same_text.h"

namespace kst {

TdatHighLighting::TdatHighLighting(TdatCommon& common) : db_(common.Database()) {}

std::string TdatHighLighting::NormalisePath(std::string_view path) {
  std::string text(path);
  // Every pass makes the text shorter or stops, so this ends.
  for (;;) {
    size_t open = text.find('[');
    size_t close = open == std::string::npos ? std::string::npos : text.find(']', open);
    if (close != std::string::npos) {
      text.erase(open, close - open + 1);
      continue;
    }
    size_t dots = text.find("..");
    if (dots == std::string::npos) return text;
    std::string shorter;
    for (size_t i = 0; i < text.size(); ++i) {
      if (text.compare(i, 2, "..") == 0) {
        ++i;
        continue;
      }
      shorter += text[i];
    }
    text = std::move(shorter);
  }
}

bool TdatHighLighting::RuleMatches(std::string_view rule, std::string_view path) {
  if (rule.empty()) return false;
  if (SameText(rule, path)) return true;
  if (!rule.starts_with("?.")) return false;
  std::string_view tail = rule.substr(1);
  return path.size() >= tail.size() && SameText(path.substr(path.size() - tail.size()), tail);
}

bool TdatHighLighting::IsHighlighted(std::string_view path) {
  std::string normalised = NormalisePath(path);
  if (!rules_.Prepared()) rules_ = db_.Prepare("SELECT PropertyName FROM HiLight ORDER BY PropertyName");
  TStatementUse use(rules_);
  while (rules_.Step())
    if (RuleMatches(rules_.Text(0), normalised)) return true;
  return false;
}

}  // namespace kst
