// Writing and reading exchange files (two passes: validation, then import).
#include "exchange/exchange_file.h"

#include <map>
#include <unordered_map>

#include "config/interaction.h"
#include "config/text_helpers.h"
#include "formmodel/form_errors.h"
#include "formmodel/value_check.h"
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

std::string ModuleSectionName(const TModuleEntry& entry) {
  return ExtractFileName(ToInternalPath(entry.Module ? entry.Module->FileName : entry.Name));
}

class TFormPaths {
public:
  TCHValue* Resolve(TComponentHelper& root, const std::string& path) {
    auto& index = indexes_[&root];
    if (index.empty()) root.ForEachPropertyPath([&](const std::string& p, TCHValue& v) { index.emplace(UpperCaseAscii(p), &v); });
    auto it = index.find(UpperCaseAscii(path));
    if (it != index.end()) return it->second;
    try {
      return root.FindProperty(path);
    } catch (const EFormError&) {
      return nullptr;  // a path the model refuses is one it does not have
    }
  }

private:
  std::map<TComponentHelper*, std::unordered_map<std::string, TCHValue*>> indexes_;
};

}  // namespace

int TypeFilterBit(TPropertyType type) {
  switch (type) {
    case ptString: return kFilterStrings;
    case ptInteger: case ptFloat: return kFilterNumbers;
    case ptSymbol: case ptSet: case ptBinary: case ptClass: return kFilterOthers;
    default: return 0;
  }
}

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
  std::string out;
  auto entry = [&](std::string_view key, const std::string& original, const std::string& translated) {
    out.append(key);
    out += '\t';
    out += includeOriginal ? EncodeExchangeField(original) : std::string(kNotAvailable);
    out += '\t';
    out += EncodeExchangeField(translated);
    out += "\r\n";
  };
  out += kHeader;
  out += "\r\nVersion=3.10BETA\r\n";
  out += kResourceStrings;
  out += "\r\n";
  for (int i = 0; i < project.ResourceStrings.Count(); ++i) {
    const TResourceStrListItem& item = project.ResourceStrings.Item(i);
    entry(item.Name, item.OriginalValue, item.TranslatedValue);
  }
  out += "\r\n";
  for (TModuleEntry& module : project.Modules) {
    out += "[" + ModuleSectionName(module) + "]\r\n";
    if (module.Module && module.Module->Root) {
      TFormPaths paths;
      std::vector<std::string> list;
      module.Module->Root->EnumeratePropertyPaths(list);
      for (const std::string& path : list) {
        TCHValue* value = paths.Resolve(*module.Module->Root, path);
        if (!value || !(TypeFilterBit(value->PropertyType) & typeFilter)) continue;
        entry(path, value->OriginalValue, value->TranslatedValue);
      }
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

  TUserInteraction& ui = project.Interaction();
  std::unordered_map<std::string, TResourceStrListItem*> strings;
  for (int i = project.ResourceStrings.Count() - 1; i >= 0; --i)
    strings[UpperCaseAscii(project.ResourceStrings.Item(i).Name)] = &project.ResourceStrings.Item(i);
  TFormPaths paths;
  bool askOnDifference = true, cancelled = false;
  int applied = 0;
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
    std::string key(line.substr(0, tab1));
    std::string_view rawOriginal, rawTranslated;
    if (tab1 != std::string_view::npos) rawOriginal = line.substr(tab1 + 1, tab2 == std::string_view::npos ? tab2 : tab2 - tab1 - 1);
    if (tab2 != std::string_view::npos) rawTranslated = line.substr(tab2 + 1);

    const std::string* original = nullptr;
    std::string* translated = nullptr;
    TPropertyType type = ptString;
    const std::u16string* wideOriginal = nullptr;
    std::string formName;
    if (SameText(section, kResourceStrings)) {
      auto it = strings.find(UpperCaseAscii(key));
      if (it != strings.end()) {
        original = &it->second->OriginalValue;
        translated = &it->second->TranslatedValue;
      }
    } else {
      formName = section.size() >= 2 ? section.substr(1, section.size() - 2) : std::string();
      TModuleHelper* module = project.FindModule(formName);
      if (!module || !module->Root) {
        std::string warning = FormatText("Module \"%s\" not found in current project!", formName);
        cancelled = ui.Ask(warning, TButtons::OkCancel) == TAnswer::Cancel;
        return !cancelled;
      }
      if (TCHValue* value = paths.Resolve(*module->Root, key)) {
        original = &value->OriginalValue;
        translated = &value->TranslatedValue;
        type = value->PropertyType;
        if (value->WideKind != 0) wideOriginal = value->WideOriginal.get();
      }
    }
    if (!translated) {
      cancelled =
          ui.Ask(FormatText("Item \"%s\" not found in current project", key), TButtons::OkCancel) == TAnswer::Cancel;
      return !cancelled;
    }
    std::string fileOriginal = DecodeExchangeField(rawOriginal);
    bool accept = true;
    if (askOnDifference && rawOriginal != kNotAvailable && !SameText(*original, fileOriginal)) {
      std::string question = "Different original Value\r\rProject: " + *original + "\r\rExchange File: " + fileOriginal +
                             "\r\rAccept Translation?";
      switch (ui.Ask(question, TButtons::YesNoCancelAll)) {
        case TAnswer::Yes: break;
        case TAnswer::All: askOnDifference = false; break;
        case TAnswer::Cancel: accept = false; cancelled = true; break;
        default: accept = false;
      }
    }
    if (accept) {
      std::string text = DecodeExchangeField(rawTranslated);
      // A number or identifier from the file goes into the form as it
      // stands; one that is not a single value of its type is refused.
      std::string refused = ValueTextMessage(formName + ":" + key, type, text, original ? *original : std::string());
      if (char16_t lost = wideOriginal && codePage && text != *original ? WideTranslationLoss(*wideOriginal, text, codePage) : 0)
        refused = WideCharRefusedMessage(formName + ":" + key, lost, codePage);
      if (!refused.empty()) {
        cancelled = ui.Ask(refused + " The translation is not taken.", TButtons::OkCancel) == TAnswer::Cancel;
        return !cancelled;
      }
      if (*translated != text) ++applied;
      *translated = std::move(text);
    }
    return !cancelled;
  });
  return applied;
}

}  // namespace kst
