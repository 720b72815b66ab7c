// Writing and reading exchange files (two passes: validation, then import).
#include "exchange/exchange_file.h"

#include "config/interaction.h"
#include "platform/file_utils.h"
#include "platform/same_text.h"
#include "project/project_data.h"

namespace kst {

namespace {

constexpr const char* kHeader = "[EXCHANGE-FILE-HEADER]";
constexpr const char* kResourceStrings = "[RESOURCE-STRINGS]";
constexpr const char* kNotAvailable = "N/A";
constexpr const char* kInvalidFile = "Invalid Exchange File. Missing Missing header and/or version marker!";

bool NeedsEscapes(std::string_view text) { return text.find_first_of("\t\r\n") != std::string_view::npos; }

// Delphi's Trim: every character up to the blank goes, tabs and CR included.
std::string_view TrimControls(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return s.substr(b, e - b);
}

// Lines end at CR LF, LF or a lone CR, as a text file reads them.
template <class F>
void ForEachLine(std::string_view text, F&& visit) {
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = text.size();
    if (!visit(text.substr(pos, end - pos))) return;
    pos = end;
    if (pos < text.size() && text[pos] == '\r') ++pos;
    if (pos < text.size() && text[pos] == '\n') ++pos;
  }
}

}  // namespace

std::string EncodeExchangeField(std::string_view text) {
  if (!NeedsEscapes(text)) return "\"" + std::string(text) + "\"";
  std::string out = "\\\"";
  for (char c : text) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\t': out += "\\t"; break;
      case '\r': out += "\\r"; break;
      case '\n': out += "\\n"; break;
      default: out += c;
    }
  }
  out += '"';
  return out;
}

std::string DecodeExchangeField(std::string_view field) {
  if (field.size() >= 3 && field.substr(0, 2) == "\\\"" && field.back() == '"') {
    std::string_view body = field.substr(2, field.size() - 3);
    std::string out;
    for (size_t i = 0; i < body.size(); ++i) {
      if (body[i] != '\\' || i + 1 == body.size()) {
        out += body[i];
        continue;
      }
      char next = body[++i];
      switch (next) {
        case '\\': out += '\\'; break;
        case 't': out += '\t'; break;
        case 'r': out += '\r'; break;
        case 'n': out += '\n'; break;
        default: out += '\\'; out += next;
      }
    }
    return out;
  }
  if (!field.empty() && field.front() == '"') field.remove_prefix(1);
  if (!field.empty() && field.back() == '"') field.remove_suffix(1);
  return std::string(field);
}

std::string BuildExchangeFile(TProjectData& project, bool includeOriginal, int typeFilter) {
  std::string out = kHeader;
  out += "\r\nVersion=3.10BETA\r\n";
  for (const TExchangeGroup& group : CollectExchangeGroups(project, typeFilter)) {
    // Version keys travel in the other formats only: this layout has no
    // section for them.
    if (group.section == TExchangeSection::VersionInfo) continue;
    out += group.section == TExchangeSection::ResourceStrings ? std::string(kResourceStrings) : "[" + group.name + "]";
    out += "\r\n";
    for (const TExchangeItem& item : group.items) {
      out += item.key;
      out += '\t';
      out += includeOriginal ? EncodeExchangeField(*item.original) : std::string(kNotAvailable);
      out += '\t';
      out += EncodeExchangeField(*item.translation);
      out += "\r\n";
    }
    out += "\r\n";
  }
  return out;
}

void WriteExchangeFile(TProjectData& project, const std::string& fileName, bool includeOriginal, int typeFilter) {
  TStatusScope busy(&project.Interaction(), TShow::HintAndBusyCursor, "...");
  std::string name = project.ExpandFileName(fileName);
  std::string dir = ExtractFileDir(name);
  if (!dir.empty()) ForceDirectories(dir);
  AtomicWriteFile(name, BuildExchangeFile(project, includeOriginal, typeFilter));
}

int ReadExchangeFile(TProjectData& project, const std::string& fileName, int codePage) {
  return ApplyExchangeFile(project, ReadFileBytes(project.ExpandFileName(fileName)), codePage);
}

int ApplyExchangeFile(TProjectData& project, std::string_view text, int codePage) {
  return ApplyExchangeEntries(project, ParseExchangeFile(text), codePage);
}

std::vector<TExchangeEntry> ParseExchangeFile(std::string_view text) {
  bool header = false, valid = false;
  ForEachLine(text, [&](std::string_view raw) {
    std::string_view line = TrimControls(raw);
    if (!header) {
      header = SameText(line, kHeader);
      return true;
    }
    size_t eq = line.find('=');
    valid = eq != std::string_view::npos && SameText(line.substr(0, eq), "Version");
    return !valid;
  });
  if (!valid) throw EExchangeError(kInvalidFile);

  std::vector<TExchangeEntry> entries;
  std::string section;
  ForEachLine(text, [&](std::string_view raw) {
    std::string_view line = TrimControls(raw);
    if (line.empty()) return true;
    if (line.front() == '[') {
      section = line;
      return true;
    }
    if (SameText(section, kHeader)) return true;
    size_t tab1 = line.find('\t');
    size_t tab2 = tab1 == std::string_view::npos ? tab1 : line.find('\t', tab1 + 1);
    std::string_view rawOriginal, rawTranslated;
    if (tab1 != std::string_view::npos) rawOriginal = line.substr(tab1 + 1, tab2 == std::string_view::npos ? tab2 : tab2 - tab1 - 1);
    if (tab2 != std::string_view::npos) rawTranslated = line.substr(tab2 + 1);
    TExchangeEntry& entry = entries.emplace_back();
    if (SameText(section, kResourceStrings)) {
      entry.section = TExchangeSection::ResourceStrings;
    } else {
      entry.section = TExchangeSection::Form;
      entry.form = section.size() >= 2 ? section.substr(1, section.size() - 2) : std::string();
    }
    entry.key = std::string(line.substr(0, tab1));
    if (rawOriginal != kNotAvailable) entry.original = DecodeExchangeField(rawOriginal);
    entry.translation = DecodeExchangeField(rawTranslated);
    return true;
  });
  return entries;
}

}  // namespace kst
