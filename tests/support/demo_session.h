// The demo project copied into a scratch directory (project/, common/, ...),
// with a session over it and, when asked for, a dictionary.
#pragma once

#include <memory>

#include "dictionary/common.h"
#include "dictionary/translation_history.h"
#include "session/translation_session.h"
#include "support/dictionary_place.h"
#include "support/scratch_project.h"

namespace kst::test {

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
  TCHValue& Value(const std::string& form, const std::string& path) { return *Form(form)->Root->FindProperty(path); }
  TResourceStrListItem& String(const std::string& name) { return *project.ResourceStrings.Find(0, name); }
};

}  // namespace kst::test
