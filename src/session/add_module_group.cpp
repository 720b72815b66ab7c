// Adding a module group to the project: nested groups, file patterns with
// wildcards, and the files they match, added as forms and custom resources.
#include <algorithm>
#include <filesystem>

#include "config/path_macros.h"
#include "formmodel/form_errors.h"
#include "platform/file_utils.h"
#include "session/translation_session.h"
#include "platform/same_text.h"

namespace kst {

namespace {

// Groups nest through their entries; cycles are caught by name, so only a
// store holding an absurd chain of distinct groups reaches this, and the
// stack must not pay for it.
constexpr size_t kMaxGroupDepth = 64;

char Fold(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

// "*" any run, "?" any one character, everything else without regard to
// case, as Windows matches file names ("*.*" takes names without a dot too).
bool MatchesMask(std::string_view mask, std::string_view name) {
  if (mask == "*.*") mask = "*";
  size_t m = 0, n = 0, starM = std::string_view::npos, starN = 0;
  while (n < name.size()) {
    if (m < mask.size() && mask[m] == '*') {
      starM = m++;
      starN = n;
    } else if (m < mask.size() && (mask[m] == '?' || Fold(mask[m]) == Fold(name[n]))) {
      ++m;
      ++n;
    } else if (starM != std::string_view::npos) {
      m = starM + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*') ++m;
  return m == mask.size();
}

bool IsGroupReference(const std::string& entry) {
  return entry.size() > 1 && entry[0] == '<' && entry.find('>', 1) != std::string::npos;
}

std::string GroupNameOf(const std::string& entry) {
  std::string name;
  for (char c : entry)
    if (c != '<' && c != '>') name += c;
  return name;
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

}  // namespace

int TTranslationSession::AddModuleGroup(const std::string& name, const TModuleGroupEntries& entries) {
  if (!IsProjectOpen()) throw EProjectError("No project is open");
  TBusyGuard command(*this);
  std::vector<std::string> path, done, unmatched;
  int added = 0;
  AddGroup(name, entries, path, done, unmatched, added);
  if (!unmatched.empty()) {
    std::string list;
    for (const std::string& pattern : unmatched) list += "\r" + pattern;
    interaction_.ShowWarning("No file matches these entries of the module group " + Quoted(name) + ":\r" + list);
  }
  return added;
}

void TTranslationSession::AddGroup(const std::string& name, const TModuleGroupEntries& entries,
                                   std::vector<std::string>& path, std::vector<std::string>& done,
                                   std::vector<std::string>& unmatched, int& added) {
  std::optional<std::vector<std::string>> list = entries(name);
  if (!list) {
    interaction_.ShowWarning(path.empty() ? "The module group " + Quoted(name) + " does not exist."
                                          : "The module group " + Quoted(name) + " named in the module group " +
                                                Quoted(path.back()) + " does not exist.");
    return;
  }
  if (path.size() >= kMaxGroupDepth) {
    interaction_.ShowWarning("The module group " + Quoted(name) + " is nested too deeply; its files are not added.");
    return;
  }
  path.push_back(name);
  done.push_back(name);
  for (const std::string& entry : *list) {
    if (IsGroupReference(entry)) {
      std::string nested = GroupNameOf(entry);
      auto same = [&](const std::string& other) { return SameText(other, nested); };
      auto open = std::find_if(path.begin(), path.end(), same);
      if (open != path.end()) {
        std::string cycle;
        for (auto it = open; it != path.end(); ++it) cycle += Quoted(*it) + " > ";
        interaction_.ShowWarning("The module group " + Quoted(*open) + " names itself (" + cycle + Quoted(nested) +
                                 "); its files are added once.");
      } else if (std::none_of(done.begin(), done.end(), same)) {
        AddGroup(nested, entries, path, done, unmatched, added);
      }
      continue;
    }
    const std::string expanded = ExpandPathMacros(entry, project_.Registry());
    const std::string mask = ExtractFileName(expanded);
    const std::string dirName = ExtractFileDir(expanded);
    const std::string dir = dirName.empty() ? project_.Directory() : project_.ExpandFileName(dirName);
    std::vector<std::string> files;
    std::error_code error;
    for (std::filesystem::directory_iterator it(dir, error), end; !error && it != end; it.increment(error)) {
      std::error_code kind;
      std::string file = it->path().filename().string();
      if (it->is_regular_file(kind) && MatchesMask(mask, file)) files.push_back(file);
    }
    if (files.empty()) {
      unmatched.push_back(entry);
      continue;
    }
    // Directory order differs between file systems; name order does not.
    std::sort(files.begin(), files.end(), [](const std::string& a, const std::string& b) {
      std::string ua = UpperCaseAscii(a), ub = UpperCaseAscii(b);
      return ua != ub ? ua < ub : a < b;
    });
    for (const std::string& file : files) AddGroupFile(JoinPath(dir, file), added);
  }
  path.pop_back();
}

void TTranslationSession::AddGroupFile(const std::string& file, int& added) {
  const std::string ext = ExtractFileExt(file);
  const size_t forms = project_.Modules.size(), resources = project_.CustomResources.Items.size();
  try {
    if (SameText(ext, ".DFM"))
      AddForm(file);
    else if (SameText(ext, ".RES"))
      AddCustomResource(file);
  } catch (const EFormError& e) {
    interaction_.ShowWarning(file + " could not be added: " + e.what());
  } catch (const EFileError& e) {
    interaction_.ShowWarning(file + " could not be added: " + e.what());
  }
  added += static_cast<int>(project_.Modules.size() - forms + project_.CustomResources.Items.size() - resources);
}

}  // namespace kst
