// The walks that fill a language with pseudo-translations and clear them.
#include "session/pseudo_translation.h"

#include <map>
#include <memory>
#include <utility>

#include "dictionary/common.h"
#include "dictionary/highlighting.h"
#include "session/translation_session.h"
#include "session/translator_environment.h"

namespace kst {

namespace {

void RequireLanguage(const TTranslationSession& session) {
  if (session.CurrentLanguage() <= 0)
    throw ETranslationError("No language is selected: pseudo-translations belong to a language, so select one first.");
}

// The string values of every form, with what the form's walk gives.
template <class Visit>
void ForEachFormString(TProjectData& project, Visit&& visit) {
  for (TModuleEntry& module : project.Modules) {
    if (!module.Module || !module.Module->Root) continue;
    TModuleHelper& form = *module.Module;
    form.Root->ForEachPropertyPath([&](const std::string& path, TCHValue& value) {
      if (value.PropertyType == ptString) visit(form, path, value);
    });
  }
}

}  // namespace

THighlightTest PseudoHighlightTest(TTranslatorEnvironment& environment) {
  auto known = std::make_shared<std::map<std::string, bool>>();
  TdatHighLighting* rules = environment.DictionaryOpen() ? &environment.HighLighting() : nullptr;
  return [known, rules](const std::string& path) {
    auto it = known->find(path);
    if (it != known->end()) return it->second;
    bool marked = false;
    if (rules) {
      marked = rules->IsHighlighted(path);
    } else {
      std::string normalised = TdatHighLighting::NormalisePath(path);
      for (const std::string& rule : DefaultHighlightRules())
        marked = marked || TdatHighLighting::RuleMatches(rule, normalised);
    }
    known->emplace(path, marked);
    return marked;
  };
}

TPseudoReport PseudoTranslateLanguage(TTranslationSession& session, const THighlightTest& highlighted,
                                      int expandPercent) {
  RequireLanguage(session);
  TPseudoTranslator translator(session.OriginalCodePage(), session.TranslationCodePage());
  TPseudoReport report;
  TUndoGroup step(session);
  TProjectData& project = session.Project();
  for (int i = 0; i < project.ResourceStrings.Count(); ++i) {
    TResourceStrListItem& item = project.ResourceStrings.Item(i);
    // Strings without an identifier are neither stored nor built.
    if (item.ID <= 0 || item.IsTranslated()) continue;
    std::string text = translator.Translate(item.OriginalValue, TPseudoKind::ResourceString, expandPercent);
    if (text == item.OriginalValue) continue;
    session.SetTranslationOf(item, text);
    ++report.changed;
  }
  // Collected first: setting a value selects its form, which stores the
  // one before while the walk would still be in it.
  std::vector<std::pair<TModuleHelper*, std::pair<std::string, std::string>>> values;
  ForEachFormString(project, [&](TModuleHelper& form, const std::string& path, TCHValue& value) {
    if (value.IsTranslated() || IsPseudoExcluded(path)) return;
    std::string qualified = form.Root->ClassQualifiedPath(path);
    if (!highlighted(qualified.empty() ? path : qualified)) return;
    std::string text = translator.Translate(value.OriginalValue, PseudoKindOfPath(path), expandPercent);
    if (text != value.OriginalValue) values.push_back({&form, {path, std::move(text)}});
  });
  for (auto& [form, change] : values) {
    try {
      session.SetTranslationOf(*form, change.first, change.second);
      ++report.changed;
    } catch (const ETranslationError& e) {
      report.refused.push_back(e.what());
    }
  }
  return report;
}

int ClearPseudoTranslations(TTranslationSession& session) {
  RequireLanguage(session);
  TPseudoTranslator translator(session.OriginalCodePage(), session.TranslationCodePage());
  TUndoGroup step(session);
  TProjectData& project = session.Project();
  int cleared = 0;
  for (int i = 0; i < project.ResourceStrings.Count(); ++i) {
    TResourceStrListItem& item = project.ResourceStrings.Item(i);
    if (!translator.IsPseudoTranslation(item.OriginalValue, item.TranslatedValue)) continue;
    session.SetTranslationOf(item, item.OriginalValue);
    item.ResetTranslation();
    ++cleared;
  }
  std::vector<std::pair<TModuleHelper*, std::string>> values;
  ForEachFormString(project, [&](TModuleHelper& form, const std::string& path, TCHValue& value) {
    if (translator.IsPseudoTranslation(value.OriginalValue, value.TranslatedValue)) values.push_back({&form, path});
  });
  for (auto& [form, path] : values) {
    TCHValue* value = form->Root->FindProperty(path);
    session.SetTranslationOf(*form, path, value->OriginalValue);
    ++cleared;
  }
  return cleared;
}

}  // namespace kst
