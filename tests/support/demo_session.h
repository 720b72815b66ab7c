// The demo project copied into a scratch directory (project/, common/, ...),
// with a session over it and, when asked for, a dictionary.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "dictionary/common.h"
#include "dictionary/translation_history.h"
#include "session/translation_session.h"
#include "support/dictionary_place.h"
#include "support/scratch_project.h"

namespace kst::test {

// A short string as the translation files hold it: a type byte, the length and the bytes.
inline std::string ShortStr(const std::string& s) { return std::string{'\x06', static_cast<char>(s.size())} + s; }
// A form's translation file (.TRD) holding `pairs` of value path and translation.
inline std::string Trd(const std::vector<std::pair<std::string, std::string>>& pairs) {
  std::string file = ShortStr("TRD301") + '\x01';
  for (const auto& [path, text] : pairs) file += ShortStr(path) + ShortStr(text);
  return file + '\0';
}

class TDemoSession {
public:
  TScratchDir dir;
  TRegistryLocation location = TRegistryLocation::InDirectory(dir.Path() + "/cfg");
  TTranslatorRegistry registry{location};
  TRecordingInteraction ui;
  TProjectData project{registry, ui, TSystemCodePages{1252, 850, 10000}};
  std::unique_ptr<TDictionaryPlace> place;
  std::unique_ptr<TdatCommon> common;
  std::unique_ptr<TdatTranslationHistory> history;
  std::unique_ptr<TTranslationSession> session;

  explicit TDemoSession(bool withDictionary = false) {
    CopyDemo(dir.Path());
    if (withDictionary) {
      place = std::make_unique<TDictionaryPlace>();
      common = std::make_unique<TdatCommon>(place->engine, ui);
      history = std::make_unique<TdatTranslationHistory>(*common);
    }
    session = std::make_unique<TTranslationSession>(project, history.get(), ui, common ? &common->Database() : nullptr);
  }
  std::string Dpr() const { return dir.File("project/Demo.dpr"); }
  TModuleHelper* Form(const std::string& name) { return project.FindModule(name); }
  // The form's name as the project lists it (the whole path).
  std::string ListName(const std::string& form) {
    for (const TModuleEntry& entry : project.Modules)
      if (entry.Module.get() == Form(form)) return entry.Name;
    return {};
  }
  TCHValue& Value(const std::string& form, const std::string& path) { return *Form(form)->Root->FindProperty(path); }
  TResourceStrListItem& String(const std::string& name) { return *project.ResourceStrings.Find(0, name); }
};

}  // namespace kst::test
