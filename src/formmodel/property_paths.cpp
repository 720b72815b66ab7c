// Property paths: building them for every plain value of a form, and
// resolving them back to values and components. Building and resolving must
// agree, since the paths are the keys of the translation and exchange files.
#include <charconv>
#include <optional>

#include "config/text_helpers.h"
#include "formmodel/form_errors.h"
#include "formmodel/form_model.h"
#include "platform/same_text.h"

namespace kst {

namespace {

bool IsIdentChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view StripDisplayPrefix(std::string_view path) {
  if (!path.empty() && path[0] == '>') path.remove_prefix(path.rfind('>') + 1);
  return path;
}

// The number formed by the digits of a text, nothing when there are none or
// too many.
std::optional<size_t> DigitsOf(std::string_view text) {
  std::string digits;
  for (char c : text)
    if (IsDigit(c)) digits += c;
  size_t n = 0;
  auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
  if (digits.empty() || ec != std::errc() || ptr != digits.data() + digits.size()) return std::nullopt;
  return n;
}

void VisitComponent(TComponentHelper& node, const std::string& prefix, const TPropertyPathVisitor& visit);

void VisitValue(TCHValue& value, const std::string& path, const TPropertyPathVisitor& visit) {
  switch (value.PropertyType) {
    case ptCollection:
      for (size_t k = 0; k < value.CollectionItems.size(); ++k) {
        std::string base = path + "[" + std::to_string(k) + "]";
        for (const auto& item : value.CollectionItems[k]->Properties)
          VisitValue(*item, base + "." + item->Name, visit);
      }
      break;
    case ptList:
      for (size_t k = 0; k < value.ListValues.size(); ++k)
        VisitValue(*value.ListValues[k], path + "[" + std::to_string(k) + "]", visit);
      break;
    case ptUnknown: throw EFormModelError(kSInternalError);
    default: visit(path, value);
  }
}

void VisitComponent(TComponentHelper& node, const std::string& prefix, const TPropertyPathVisitor& visit) {
  std::string base = prefix + node.Name;
  for (const auto& item : node.Properties) VisitValue(*item, base + "." + item->Name, visit);
  for (size_t k = 0; k < node.Children.size(); ++k) {
    TComponentHelper& child = *node.Children[k];
    // Names are unique within a form, so a named child needs no prefix.
    VisitComponent(child, child.Name.empty() ? base + "{" + std::to_string(k) + "}" : std::string(), visit);
  }
}

// "[n]" and what follows, on a list or collection value.
TCHValue* ResolveValuePath(TCHValue& value, std::string_view path) {
  if (path.empty() || path[0] != '[') throw EFormModelError(kSInvalidId);
  size_t p = 1;
  std::string digits;
  while (p < path.size() && (IsDigit(path[p]) || path[p] == ' ')) {
    if (path[p] != ' ') digits += path[p];
    ++p;
  }
  if (digits.empty()) throw EFormModelError(kSInvalidId);
  size_t n = 0;
  auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
  if (ec != std::errc()) return nullptr;  // beyond any index
  if (p < path.size()) ++p;               // the "]"
  std::string_view rest = path.substr(p);
  if (value.PropertyType == ptCollection) {
    if (n >= value.CollectionItems.size() || rest.empty() || rest[0] != '.') return nullptr;
    return value.CollectionItems[n]->FindProperty(rest);
  }
  if (value.PropertyType == ptList) {
    if (n >= value.ListValues.size()) return nullptr;
    TCHValue* element = value.ListValues[n].get();
    return rest.empty() ? element : ResolveValuePath(*element, rest);
  }
  return nullptr;
}

TComponentHelper* FindByName(TComponentHelper& node, std::string_view name) {
  if (SameText(node.Name, name)) return &node;
  for (const auto& child : node.Children)
    if (TComponentHelper* found = FindByName(*child, name)) return found;
  return nullptr;
}

}  // namespace

void TComponentHelper::ForEachPropertyPath(const TPropertyPathVisitor& visit) { VisitComponent(*this, "", visit); }

void TComponentHelper::EnumeratePropertyPaths(std::vector<std::string>& list) {
  ForEachPropertyPath([&](const std::string& path, TCHValue&) { list.push_back(path); });
}

TCHValue* TComponentHelper::ResolveFromDot(std::string_view path) {
  path.remove_prefix(1);
  size_t end = 0;
  while (end < path.size() && (IsIdentChar(path[end]) || path[end] == '.')) ++end;
  std::string_view name = path.substr(0, end);
  std::string_view rest = path.substr(end);
  TCHPropertyItem* item = FindPropertyItem(name);
  if (!item) {
    // An index glued to the name without brackets ("Items.Strings5") is a
    // malformed path, not a missing property: the name is found, and the
    // rest is then refused as a value path.
    for (size_t cut = end; cut > 0 && IsDigit(path[cut - 1]); --cut) {
      item = FindPropertyItem(path.substr(0, cut - 1));
      if (item) {
        rest = path.substr(cut - 1);
        break;
      }
    }
    if (!item) return nullptr;
  }
  return rest.empty() ? item : ResolveValuePath(*item, rest);
}

TCHValue* TComponentHelper::FindProperty(std::string_view path) {
  path = StripDisplayPrefix(path);
  if (path.empty()) return nullptr;
  if (path[0] == '.') return ResolveFromDot(path);
  if (path[0] == '{') {
    size_t close = path.find('}');
    if (close == std::string_view::npos) return nullptr;
    auto n = DigitsOf(path.substr(1, close - 1));
    if (!n || *n >= Children.size()) return nullptr;
    return Children[*n]->FindProperty(path.substr(close + 1));
  }
  size_t end = 0;
  while (end < path.size() && IsIdentChar(path[end])) ++end;
  // An empty name never matches: an unnamed node would otherwise resolve
  // the same path on itself for ever.
  if (end > 0 && SameText(path.substr(0, end), Name)) {
    std::string_view rest = path.substr(end);
    if (!rest.empty())
      if (TCHValue* found = FindProperty(rest)) return found;
  }
  for (const auto& child : Children)
    if (TCHValue* found = child->FindProperty(path)) return found;
  return nullptr;
}

TComponentHelper* TComponentHelper::FindComponentByName(std::string_view path) {
  path = StripDisplayPrefix(path);
  if (path.empty() || path[0] == '.') return nullptr;
  size_t end = 0;
  while (end < path.size() && IsIdentChar(path[end])) ++end;
  if (end == 0) return nullptr;
  return FindByName(*this, path.substr(0, end));
}

namespace {

// "{n}" or "[n]" at the start of `path`: n, and the path after the closing
// bracket; nothing when the brackets hold no number or do not close.
std::optional<std::pair<size_t, std::string_view>> TakeBracketedNumber(std::string_view path, char close) {
  size_t end = path.find(close);
  if (end == std::string_view::npos || end == 1) return std::nullopt;
  std::string_view digits = path.substr(1, end - 1);
  for (char c : digits)
    if (!IsDigit(c)) return std::nullopt;
  size_t n = 0;
  auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
  if (ec != std::errc()) return std::nullopt;
  return std::pair{n, path.substr(end + 1)};
}

}  // namespace

TComponentHelper* TComponentHelper::FindComponent(std::string_view path) {
  // Left to right, each step from the node the path has reached so far:
  // "Panel1{0}" is Panel1's first child, not the first child of the node
  // the search started from.
  path = StripDisplayPrefix(path);
  TComponentHelper* node = this;
  size_t end = 0;
  while (end < path.size() && IsIdentChar(path[end])) ++end;
  if (end > 0) {
    node = FindByName(*this, path.substr(0, end));
    path.remove_prefix(end);
  } else if (path.empty() || (path[0] != '{' && path[0] != '.')) {
    return nullptr;
  }
  while (node && !path.empty()) {
    if (path[0] == '{') {
      auto step = TakeBracketedNumber(path, '}');
      if (!step || step->first >= node->Children.size()) return nullptr;
      node = node->Children[step->first].get();
      path = step->second;
    } else if (path[0] == '.') {
      // A collection property and one of its items: ".Columns[2]".
      size_t open = path.find('[');
      if (open == std::string_view::npos) return nullptr;
      TCHPropertyItem* collection = node->FindPropertyItem(path.substr(1, open - 1));
      auto step = TakeBracketedNumber(path.substr(open), ']');
      if (!collection || collection->PropertyType != ptCollection || !step ||
          step->first >= collection->CollectionItems.size())
        return nullptr;
      node = collection->CollectionItems[step->first].get();
      path = step->second;
    } else {
      return nullptr;
    }
  }
  return node;
}

std::string TComponentHelper::ClassPropertyName(std::string_view displayPath) const {
  if (!displayPath.empty() && displayPath[0] == '.') return "TForm" + std::string(displayPath);
  if (displayPath.empty() || displayPath[0] != '>') return {};
  const TComponentHelper* node = this;
  std::string_view rest = displayPath;
  while (!rest.empty() && rest[0] == '>') {
    rest.remove_prefix(1);
    size_t end = rest.find_first_of(">.");
    std::string_view segment = rest.substr(0, end);
    const TComponentHelper* next = nullptr;
    for (const auto& child : node->Children)
      if (SameText(child->Name, segment)) {
        next = child.get();
        break;
      }
    if (!next) return {};
    node = next;
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end);
  }
  return node->ClassName + std::string(rest);
}

std::string TComponentHelper::ClassQualifiedPath(std::string_view enumeratedPath) const {
  std::string_view rest = enumeratedPath;
  size_t end = 0;
  while (end < rest.size() && IsIdentChar(rest[end])) ++end;
  const TComponentHelper* node = this;
  if (end > 0 && !SameText(rest.substr(0, end), Name)) {
    // Named components are addressed by their name alone, wherever they sit.
    node = nullptr;
    for (const auto& child : Children)
      if ((node = FindByName(*child, rest.substr(0, end)))) break;
    if (!node) return {};
  }
  rest.remove_prefix(end);
  while (!rest.empty() && rest[0] == '{') {
    size_t close = rest.find('}');
    if (close == std::string_view::npos) return {};
    auto n = DigitsOf(rest.substr(1, close - 1));
    if (!n || *n >= node->Children.size()) return {};
    node = node->Children[*n].get();
    rest.remove_prefix(close + 1);
  }
  if (rest.empty() || rest[0] != '.') return {};
  return (node == this ? std::string("TForm") : node->ClassName) + std::string(rest);
}

}  // namespace kst
