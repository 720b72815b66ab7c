// The ini-file accessor: the whole file is held in memory and rewritten
// atomically on every change, so a crash never leaves half a file.
#include "platform/ini_file.h"

#include <charconv>
#include <stdexcept>

#include "platform/file_utils.h"
#include "platform/same_text.h"

namespace kst {

namespace {

std::string_view TrimBlanksAndTabs(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

}  // namespace

TIniFile::TIniFile(std::string fileName) : fileName_(std::move(fileName)) {
  sections_.push_back(Section{});
  if (FileExists(fileName_)) Parse(ReadFileBytes(fileName_));
}

void TIniFile::Parse(std::string_view text) {
  while (!text.empty()) {
    size_t nl = text.find('\n');
    std::string_view line = text.substr(0, nl);
    text = nl == std::string_view::npos ? std::string_view() : text.substr(nl + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    std::string_view trimmed = TrimBlanksAndTabs(line);
    if (!trimmed.empty() && trimmed.front() == '[') {
      size_t close = trimmed.find(']');
      std::string_view name = trimmed.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1);
      sections_.push_back(Section{std::string(TrimBlanksAndTabs(name)), std::string(line), {}});
      continue;
    }
    Line entry;
    size_t eq = line.find('=');
    if (eq != std::string_view::npos && !trimmed.empty() && trimmed.front() != ';') {
      entry.isEntry = true;
      entry.key = std::string(TrimBlanksAndTabs(line.substr(0, eq)));
      entry.value = std::string(line.substr(eq + 1));
    } else {
      entry.raw = std::string(line);
    }
    sections_.back().lines.push_back(std::move(entry));
  }
}

const TIniFile::Section* TIniFile::FindSection(std::string_view name) const {
  for (size_t i = 1; i < sections_.size(); ++i)
    if (SameText(sections_[i].name, name)) return &sections_[i];
  return nullptr;
}

TIniFile::Section* TIniFile::FindSection(std::string_view name) {
  return const_cast<Section*>(static_cast<const TIniFile*>(this)->FindSection(name));
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key, std::string_view def) const {
  if (const Section* s = FindSection(section))
    for (const Line& line : s->lines)
      if (line.isEntry && SameText(line.key, key)) return line.value;
  return std::string(def);
}

int TIniFile::ReadInteger(std::string_view section, std::string_view key, int def) const {
  std::string text = ReadString(section, key, "");
  std::string_view s = TrimBlanksAndTabs(text);
  if (s.empty()) return def;
  bool negative = false;
  if (s.front() == '-' || s.front() == '+') {
    negative = s.front() == '-';
    s.remove_prefix(1);
  }
  int base = 10;
  if (!s.empty() && s.front() == '$') {
    base = 16;
    s.remove_prefix(1);
  } else if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    base = 16;
    s.remove_prefix(2);
  }
  long long value = 0;
  auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), value, base);
  if (s.empty() || ec != std::errc() || p != s.data() + s.size()) return def;
  if (negative) value = -value;
  // Hexadecimal values wrap into 32 bits as Delphi's conversion does.
  if (base == 16 && value >= 0 && value <= 0xFFFFFFFFLL) return static_cast<int>(static_cast<uint32_t>(value));
  if (value < INT32_MIN || value > INT32_MAX) return def;
  return static_cast<int>(value);
}

bool TIniFile::ReadBool(std::string_view section, std::string_view key, bool def) const {
  return ReadInteger(section, key, def ? 1 : 0) != 0;
}

TIniFile::Section& TIniFile::ObtainSection(std::string_view section, bool& created) {
  created = false;
  if (Section* s = FindSection(section)) return *s;
  if (section.find_first_of("[]\r\n") != std::string_view::npos)
    throw std::invalid_argument("\"" + std::string(section) + "\" is not a valid section name");
  // A blank line before a new section, as Windows' profile functions write.
  Section& last = sections_.back();
  bool fileEmpty = sections_.size() == 1 && last.lines.empty();
  bool endsBlank = !last.lines.empty() && !last.lines.back().isEntry && last.lines.back().raw.empty();
  if (!fileEmpty && !endsBlank) last.lines.push_back(Line{});
  sections_.push_back(Section{std::string(section), "[" + std::string(section) + "]", {}});
  created = true;
  return sections_.back();
}

void TIniFile::AddSection(std::string_view section) {
  bool created;
  ObtainSection(section, created);
  if (created) Changed();
}

void TIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  if (value.find_first_of("\r\n") != std::string_view::npos)
    throw std::invalid_argument("The value of \"" + std::string(key) + "\" contains a line break");
  if (key.empty() || key.find('=') != std::string_view::npos || key.find_first_of("\r\n") != std::string_view::npos ||
      key.front() == '[' || key.front() == ';' || key.front() == ' ' || key.back() == ' ')
    throw std::invalid_argument("\"" + std::string(key) + "\" is not a valid key name");
  bool created;
  Section& s = ObtainSection(section, created);
  for (Line& line : s.lines) {
    if (line.isEntry && SameText(line.key, key)) {
      if (line.value == value && !created) return;
      line.value = std::string(value);
      Changed();
      return;
    }
  }
  // New keys go after the last non-blank line of the section.
  size_t pos = s.lines.size();
  while (pos > 0 && !s.lines[pos - 1].isEntry && TrimBlanksAndTabs(s.lines[pos - 1].raw).empty()) --pos;
  Line entry;
  entry.isEntry = true;
  entry.key = std::string(key);
  entry.value = std::string(value);
  s.lines.insert(s.lines.begin() + static_cast<std::ptrdiff_t>(pos), std::move(entry));
  Changed();
}

void TIniFile::WriteInteger(std::string_view section, std::string_view key, int value) {
  WriteString(section, key, std::to_string(value));
}

void TIniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

bool TIniFile::SectionExists(std::string_view section) const { return FindSection(section) != nullptr; }

bool TIniFile::ValueExists(std::string_view section, std::string_view key) const {
  if (const Section* s = FindSection(section))
    for (const Line& line : s->lines)
      if (line.isEntry && SameText(line.key, key)) return true;
  return false;
}

std::vector<std::string> TIniFile::ReadSection(std::string_view section) const {
  std::vector<std::string> keys;
  if (const Section* s = FindSection(section))
    for (const Line& line : s->lines)
      if (line.isEntry) keys.push_back(line.key);
  return keys;
}

std::vector<std::string> TIniFile::ReadSections() const {
  std::vector<std::string> names;
  for (size_t i = 1; i < sections_.size(); ++i) names.push_back(sections_[i].name);
  return names;
}

void TIniFile::DeleteKey(std::string_view section, std::string_view key) {
  Section* s = FindSection(section);
  if (!s) return;
  for (auto it = s->lines.begin(); it != s->lines.end(); ++it) {
    if (it->isEntry && SameText(it->key, key)) {
      s->lines.erase(it);
      Changed();
      return;
    }
  }
}

void TIniFile::EraseSection(std::string_view section) {
  bool erased = false;
  for (size_t i = 1; i < sections_.size();) {
    if (SameText(sections_[i].name, section)) {
      sections_.erase(sections_.begin() + static_cast<std::ptrdiff_t>(i));
      erased = true;
    } else {
      ++i;
    }
  }
  if (erased) Changed();
}

void TIniFile::BeginUpdate() { ++updateLevel_; }

void TIniFile::EndUpdate() {
  if (updateLevel_ > 0 && --updateLevel_ == 0 && dirty_) UpdateFile();
}

void TIniFile::EndUpdateDiscard() {
  if (updateLevel_ > 0 && --updateLevel_ > 0) return;
  sections_.clear();
  sections_.push_back(Section{});
  dirty_ = false;
  if (FileExists(fileName_)) Parse(ReadFileBytes(fileName_));
}

void TIniFile::Changed() {
  dirty_ = true;
  if (updateLevel_ == 0) UpdateFile();
}

std::string TIniFile::ToText() const {
  std::string text;
  for (size_t i = 0; i < sections_.size(); ++i) {
    if (i > 0) text += sections_[i].header + "\r\n";
    for (const Line& line : sections_[i].lines) {
      if (line.isEntry)
        text += line.key + "=" + line.value + "\r\n";
      else
        text += line.raw + "\r\n";
    }
  }
  return text;
}

void TIniFile::UpdateFile() {
  AtomicWriteFile(fileName_, ToText());
  dirty_ = false;
}

}  // namespace kst
