// The per-entry step of automatic translation.
#include "dictionary/auto_translate.h"

#include "dictionary/translation_history.h"

namespace kst {

TAnswer TInteractionAutoTranslate::Execute(const std::string& original, const std::vector<std::string>& candidates,
                                           std::string& translation) {
  std::string text = "Auto Translation\nOriginal: " + original + "\nTranslation: " + translation +
                     "\nKnown Translations:";
  for (const std::string& candidate : candidates) text += "\n  " + candidate;
  TAnswer answer = interaction_.Ask(text, TButtons::YesIgnoreCancel);
  return answer == TAnswer::Yes || answer == TAnswer::Ignore ? answer : TAnswer::Cancel;
}

TAnswer AskTranslation(TdatTranslationHistory& history, int languageId, const std::string& original,
                       std::string& translation, TAutoTranslateDialog& dialog) {
  TAnswer result = TAnswer::Ignore;
  std::vector<std::string> candidates;
  history.GetKnownTranslations(original, languageId, candidates);
  if (!candidates.empty()) {
    std::string chosen = candidates.front();
    result = dialog.Execute(original, candidates, chosen);
    if (result != TAnswer::Yes && result != TAnswer::Ignore) result = TAnswer::Cancel;
    if (result == TAnswer::Yes) translation = chosen;
  }
  if (result == TAnswer::Ignore) translation = original;
  return result;
}

}  // namespace kst
