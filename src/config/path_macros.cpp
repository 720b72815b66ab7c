// Path macro expansion.
#include "config/path_macros.h"

#include "config/registry_settings.h"
#include "config/text_helpers.h"

namespace kst {

namespace {

void ReplaceFirst(std::string& text, std::string_view macro, const std::string& value) {
  size_t pos = FindText(macro, text, 1, false, false);
  if (pos != 0) text.replace(pos - 1, macro.size(), value);
}

}  // namespace

std::string ExpandPathMacros(std::string_view path, const TTranslatorRegistry& registry) {
  std::string result(path);
  const TTranslatorDirectoriesRegistry& dirs = registry.Directories();
  auto read = [&](const char* name, const std::string& def) {
    try {
      return dirs.ReadStringDef(name, def);
    } catch (const std::exception&) {
      return def;  // expansion never fails: an unreadable value is a missing one
    }
  };
  // A name without a macro reads no settings: the file-change check expands
  // every form's name each time it looks.
  for (int round = 0; round < 5 && result.find('%') != std::string::npos; ++round) {
    ReplaceFirst(result, "%DelphiBinDir%", read("DelphiBinDir", kDefaultDelphiBinDir));
    ReplaceFirst(result, "%CommonDelphiLibDir%", read("CommonDelphiLibDir", kDefaultCommonDelphiLibDir));
    std::string machineRoot = MachineDelphiRootDir(dirs.Location());
    ReplaceFirst(result, "%DelphiRootDir%", read("DelphiRootDir", machineRoot));
  }
  for (char& c : result)
    if (c == '\\') c = '/';
  for (size_t i = 1; i + 1 < result.size();) {
    if (result[i] == '/' && result[i + 1] == '/')
      result.erase(i, 1);
    else
      ++i;
  }
  return result;
}

}  // namespace kst
