// The walk that every exchange writer turns into text, and the applier that
// every reader feeds.
#include "exchange/exchange_entries.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>
#include <unordered_map>

#include "config/interaction.h"
#include "config/language_info.h"
#include "config/text_helpers.h"
#include "config/version.h"
#include "exchange/exchange_file.h"
#include "formmodel/form_errors.h"
#include "formmodel/value_check.h"
#include "platform/codepage.h"
#include "platform/file_utils.h"
#include "platform/ini_file.h"
#include "platform/same_text.h"
#include "project/project_data.h"

namespace kst {

namespace {

std::string FileNameOnly(const std::string& path) { return ExtractFileName(ToInternalPath(path)); }

}  // namespace

std::string ExchangeEntryName(const TExchangeEntry& e) {
  switch (e.section) {
    case TExchangeSection::ResourceStrings: return "@" + e.key;
    case TExchangeSection::VersionInfo: return "#" + e.key;
    case TExchangeSection::Form: return e.form + ":" + e.key;
    default: return e.key;
  }
}

namespace {

// Property paths resolved through one index per form: FindProperty walks
// the tree for every call, and a file names each value of a form.
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

// The first character of the UTF-8 text that the code page cannot hold.
char32_t FirstUnmappable(const std::string& utf8, int codePage) {
  std::u16string wide = Utf8ToUtf16(utf8);
  for (size_t i = 0; i < wide.size(); ++i) {
    size_t n = (wide[i] >= 0xD800 && wide[i] < 0xDC00 && i + 1 < wide.size()) ? 2 : 1;
    bool lossless = true;
    Utf8ToCodePage(Utf16ToUtf8(std::u16string_view(wide).substr(i, n)), codePage, lossless);
    if (!lossless) {
      if (n == 2) return 0x10000 + ((char32_t(wide[i]) - 0xD800) << 10) + (wide[i + 1] - 0xDC00);
      return wide[i];
    }
    i += n - 1;
  }
  return 0xFFFD;
}

std::string PrimarySubtag(std::string tag) {
  for (char& c : tag) c = c == '_' ? '-' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return tag.substr(0, tag.find('-'));
}

}  // namespace

int TypeFilterBit(TPropertyType type) {
  switch (type) {
    case ptString: return kFilterStrings;
    case ptInteger: case ptFloat: return kFilterNumbers;
    case ptSymbol: case ptSet: case ptBinary: case ptClass: return kFilterOthers;
    default: return 0;
  }
}

const char* TypeGroupName(TPropertyType type) {
  switch (TypeFilterBit(type)) {
    case kFilterStrings: return "string";
    case kFilterNumbers: return "numeric";
    default: return "other";
  }
}

std::string ExchangeItemComment(const TExchangeItem& item) {
  return std::string("type: ") + TypeGroupName(item.type) + (item.highlighted ? "; highlighted" : "");
}

std::string ExchangeToolName() {
  std::string minor = std::to_string(kVersionMinor);
  return "Kestrin Translator " + std::to_string(kVersionMajor) + "." + (minor.size() < 2 ? "0" + minor : minor);
}

std::vector<TExchangeGroup> CollectExchangeGroups(TProjectData& project, int typeFilter,
                                                  const TExchangeHighlight& highlighted) {
  std::vector<TExchangeGroup> groups;
  TExchangeGroup& strings = groups.emplace_back();
  strings.section = TExchangeSection::ResourceStrings;
  strings.file = FileNameOnly(project.DrcFileName());
  for (int i = 0; i < project.ResourceStrings.Count(); ++i) {
    TResourceStrListItem& item = project.ResourceStrings.Item(i);
    strings.items.push_back(
        TExchangeItem{item.Name, &item.OriginalValue, &item.TranslatedValue, nullptr, ptString, item.IsTranslated()});
  }
  TExchangeGroup& version = groups.emplace_back();
  version.section = TExchangeSection::VersionInfo;
  version.file = FileNameOnly(project.FileName);
  for (const auto& label : project.VersionInfo.Items)
    version.items.push_back(
        TExchangeItem{label->Key, &label->Value, &label->Translation, nullptr, ptString, label->IsTranslated()});
  for (TModuleEntry& module : project.Modules) {
    TExchangeGroup& group = groups.emplace_back();
    group.name = group.file = FileNameOnly(module.Module ? module.Module->FileName : module.Name);
    if (!module.Module || !module.Module->Root) continue;
    TComponentHelper& root = *module.Module->Root;
    TFormPaths paths;
    std::vector<std::string> list;
    root.EnumeratePropertyPaths(list);
    for (const std::string& path : list) {
      TCHValue* value = paths.Resolve(root, path);
      if (!value || !(TypeFilterBit(value->PropertyType) & typeFilter)) continue;
      TExchangeItem item{path, &value->OriginalValue, &value->TranslatedValue};
      if (value->WideKind != 0) item.wideOriginal = value->WideOriginal.get();
      item.type = value->PropertyType;
      item.translated = value->TranslatedValue != value->OriginalValue;
      if (highlighted) {
        std::string qualified = root.ClassQualifiedPath(path);
        item.highlighted = highlighted(qualified.empty() ? path : qualified);
      }
      group.items.push_back(std::move(item));
    }
  }
  return groups;
}

int ApplyExchangeEntries(TProjectData& project, const std::vector<TExchangeEntry>& entries, int codePage) {
  TUserInteraction& ui = project.Interaction();
  std::unordered_map<std::string, TResourceStrListItem*> strings;
  for (int i = project.ResourceStrings.Count() - 1; i >= 0; --i)
    strings[UpperCaseAscii(project.ResourceStrings.Item(i).Name)] = &project.ResourceStrings.Item(i);
  TFormPaths paths;
  bool askOnDifference = true;
  int applied = 0;
  auto warn = [&](const std::string& text) { return ui.Ask(text, TButtons::OkCancel) != TAnswer::Cancel; };
  for (const TExchangeEntry& e : entries) {
    const std::string* original = nullptr;
    std::string* translated = nullptr;
    TPropertyType type = ptString;
    const std::u16string* wideOriginal = nullptr;
    if (e.section == TExchangeSection::ResourceStrings) {
      auto it = strings.find(UpperCaseAscii(e.key));
      if (it != strings.end()) {
        original = &it->second->OriginalValue;
        translated = &it->second->TranslatedValue;
      }
    } else if (e.section == TExchangeSection::VersionInfo) {
      if (TVersionInfoLabel* label = project.VersionInfo.Find(e.key)) {
        original = &label->Value;
        translated = &label->Translation;
      }
    } else if (e.section == TExchangeSection::Form) {
      TModuleHelper* module = project.FindModule(e.form);
      if (!module || !module->Root) {
        if (!warn(FormatText("Module \"%s\" not found in current project!", e.form))) break;
        continue;
      }
      if (TCHValue* value = paths.Resolve(*module->Root, e.key)) {
        original = &value->OriginalValue;
        translated = &value->TranslatedValue;
        type = value->PropertyType;
        if (value->WideKind != 0) wideOriginal = value->WideOriginal.get();
      }
    }
    if (!translated) {
      if (!warn(FormatText("Item \"%s\" not found in current project", e.key))) break;
      continue;
    }
    if (!e.refusal.empty()) {
      if (!warn(e.refusal + " The translation is not taken.")) break;
      continue;
    }
    if (askOnDifference && e.original && !SameText(*original, *e.original)) {
      std::string question = "Different original Value\r\rProject: " + *original + "\r\rExchange File: " + *e.original +
                             "\r\rAccept Translation?";
      TAnswer answer = ui.Ask(question, TButtons::YesNoCancelAll);
      if (answer == TAnswer::Cancel) break;
      if (answer == TAnswer::All) askOnDifference = false;
      else if (answer != TAnswer::Yes) continue;
    }
    // A number or identifier from the file goes into the form as it
    // stands; one that is not a single value of its type is refused.
    std::string name = e.section == TExchangeSection::Form ? e.form + ":" + e.key : ":" + e.key;
    std::string refused = ValueTextMessage(name, type, e.translation, *original);
    if (char16_t lost = wideOriginal && codePage && e.translation != *original
                            ? WideTranslationLoss(*wideOriginal, e.translation, codePage)
                            : 0)
      refused = WideCharRefusedMessage(name, lost, codePage);
    if (!refused.empty()) {
      if (!warn(refused + " The translation is not taken.")) break;
      continue;
    }
    if (*translated != e.translation) ++applied;
    *translated = e.translation;
  }
  return applied;
}

TExchangeLanguages ExchangeLanguages(const TProjectData& project, int languageId) {
  TExchangeLanguages languages;
  const TSystemCodePages& system = project.SystemCodePages();
  languages.source = system.locale;
  if (project.OptionsFile) {
    int locale = project.OptionsFile->ReadInteger("Version Info", "Locale", 0);
    if (locale > 0 && locale <= 0xFFFF && !LanguageTag(locale).empty()) languages.source = locale;
  }
  languages.target = languageId;
  languages.originalCodePage = system.ansi;
  languages.translationCodePage = languageId > 0 ? LanguageAnsiCodePage(languageId, system) : system.ansi;
  return languages;
}

std::string LanguageLocaleName(int languageId) {
  std::string name = LanguageTag(languageId);
  std::replace(name.begin(), name.end(), '-', '_');
  return name;
}

void CheckFileLanguage(const std::string& fileName, const std::string& fileLanguage, int languageId) {
  std::string ours = LanguageTag(languageId);
  std::string theirs = PrimarySubtag(fileLanguage);
  if (theirs.empty() || theirs == "und" || ours.empty() || theirs == PrimarySubtag(ours)) return;
  throw EExchangeError(FileNameOnly(fileName) + " holds translations into \"" + fileLanguage +
                       "\", but the language read into is \"" + ours + "\"; nothing was read.");
}

void TakeTranslation(TExchangeEntry& entry, const std::string& utf8, int codePage, const std::string& file) {
  bool lossless = true;
  entry.translation = Utf8ToCodePage(utf8, codePage, lossless);
  if (lossless) return;
  entry.translation.clear();
  char code[16];
  std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(FirstUnmappable(utf8, codePage)));
  entry.refusal = FileNameOnly(file) + ": " + ExchangeEntryName(entry) + ": the translation holds the character " + code +
                  ", which code page " + std::to_string(codePage) + " cannot hold.";
}

}  // namespace kst
