// Reading .DRC scripts into the resource-string set.
#include "resstrings/resource_strings.h"

#include <algorithm>
#include <cstdio>
#include <unordered_map>

#include "config/text_helpers.h"
#include "platform/file_utils.h"
#include "platform/same_text.h"

namespace kst {

TResourceStrListItem& TResourceStringsHelper::Add(int32_t id, std::string_view name) {
  items_.push_back(std::make_unique<TResourceStrListItem>());
  items_.back()->ID = id;
  items_.back()->Name = name;
  return *items_.back();
}

TResourceStrListItem* TResourceStringsHelper::Find(int32_t id, std::string_view name) {
  for (auto& item : items_)
    if (name.empty() ? item->ID == id : SameText(item->Name, name)) return item.get();
  return nullptr;
}

void TResourceStringsHelper::SortByName() {
  // Upper-case keys once, instead of in every comparison.
  std::vector<std::pair<std::string, std::unique_ptr<TResourceStrListItem>>> keyed;
  keyed.reserve(items_.size());
  for (auto& item : items_) keyed.emplace_back(UpperCaseAscii(item->Name), std::move(item));
  std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  for (size_t i = 0; i < keyed.size(); ++i) items_[i] = std::move(keyed[i].second);
}

int32_t StrToInt(std::string_view text) {
  auto fail = [&]() -> int32_t { throw EConvertError("'" + std::string(text) + "' is not a valid integer value"); };
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  bool hex = false;
  if (i < text.size() && text[i] == '$') {
    hex = true;
    ++i;
  }
  if (i == text.size()) return fail();
  int64_t value = 0;
  for (; i < text.size(); ++i) {
    char c = text[i];
    int digit;
    if (c >= '0' && c <= '9')
      digit = c - '0';
    else if (hex && c >= 'a' && c <= 'f')
      digit = c - 'a' + 10;
    else if (hex && c >= 'A' && c <= 'F')
      digit = c - 'A' + 10;
    else
      return fail();
    value = value * (hex ? 16 : 10) + digit;
    if (value > (hex ? int64_t{0xFFFFFFFF} : int64_t{0x80000000})) return fail();
  }
  // Hexadecimal digits give the 32-bit pattern, as Delphi's Val does.
  if (hex) return negative ? static_cast<int32_t>(0u - static_cast<uint32_t>(value)) : static_cast<int32_t>(static_cast<uint32_t>(value));
  if (negative) return static_cast<int32_t>(-value);
  if (value > 0x7FFFFFFF) return fail();
  return static_cast<int32_t>(value);
}

namespace {

std::string_view TrimLeadingTabsAndBlanks(std::string_view s) {
  size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
  return s.substr(i);
}

// Splits at CR LF, LF or a lone CR, as text files written on any system end.
class TLineReader {
public:
  explicit TLineReader(std::string_view text) : text_(text) {}
  bool Next(std::string_view& line) {
    if (pos_ >= text_.size()) return false;
    size_t end = text_.find_first_of("\r\n", pos_);
    if (end == std::string_view::npos) end = text_.size();
    line = text_.substr(pos_, end - pos_);
    pos_ = end;
    if (pos_ < text_.size() && text_[pos_] == '\r') ++pos_;
    if (pos_ < text_.size() && text_[pos_] == '\n' && (pos_ == end || text_[pos_ - 1] == '\r')) ++pos_;
    return true;
  }

private:
  std::string_view text_;
  size_t pos_ = 0;
};

}  // namespace

void TResourceStringsHelper::ReadScriptText(std::string_view text) {
  // Find by name is the first entry of that name; an index keeps reading
  // linear in the size of the script.
  std::unordered_map<std::string, TResourceStrListItem*> byName;
  for (auto& item : items_) byName.emplace(UpperCaseAscii(item->Name), item.get());
  auto add = [&](int32_t id, std::string_view name) -> TResourceStrListItem& {
    TResourceStrListItem& item = Add(id, name);
    byName.emplace(UpperCaseAscii(name), &item);
    return item;
  };

  TLineReader lines(text);
  std::string_view raw;
  bool inside = false;
  while (lines.Next(raw)) {
    std::string_view line = TrimLeadingTabsAndBlanks(raw);
    if (!inside) {
      std::string upper = UpperCaseAscii(line);
      if (upper == "STRINGTABLE") {
        // The compiler writes BEGIN on the next line at the margin; that line
        // is taken as it stands.
        std::string_view next;
        if (lines.Next(next) && UpperCaseAscii(next) == "BEGIN") inside = true;
      } else if (upper.starts_with("#DEFINE")) {
        std::string_view rest = TrimLeadingTabsAndBlanks(line.substr(std::min<size_t>(8, line.size())));
        size_t blank = rest.find(' ');
        std::string name = TrimBlanks(rest.substr(0, blank));
        std::string id = blank == std::string_view::npos ? std::string() : TrimBlanks(rest.substr(blank));
        add(StrToInt(id), name);
      }
      continue;
    }
    if (UpperCaseAscii(TrimBlanks(line)) == "END") {
      inside = false;
      continue;
    }
    size_t comma = line.find(',');
    if (comma == std::string_view::npos) continue;
    std::string key(line.substr(0, comma));
    std::string value = TrimBlanks(TrimLeadingTabsAndBlanks(line.substr(comma + 1)));
    if (!value.empty() && value.front() == '"') value.erase(0, 1);
    if (!value.empty() && value.back() == '"') value.pop_back();
    TResourceStrListItem* item = nullptr;
    if (!key.empty()) {
      auto found = byName.find(UpperCaseAscii(key));
      if (found != byName.end()) item = found->second;
    }
    if (!item && IsAllDigits(key)) {
      int32_t id = StrToInt(key);
      char name[16];
      std::snprintf(name, sizeof name, "#%8.8d", id);
      item = &add(id, name);
    }
    if (item) {
      item->OriginalValue = DecodeEscapes(value);
      item->TranslatedValue = item->OriginalValue;
    }
  }
  SortByName();
}

double TResourceStringsHelper::ReadScript(const std::string& fileName) {
  std::string text = ReadFileBytes(fileName);
  ReadScriptText(text);
  return FileTimeStamp(fileName);
}

}  // namespace kst
