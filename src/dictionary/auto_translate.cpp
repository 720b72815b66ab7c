// The per-entry step of automatic translation.
#include "dictionary/auto_translate.h"

#include "dictionary/translation_history.h"
#include "platform/database.h"

namespace kst {

std::string CandidateLabel(const TAutoTranslateCandidate& candidate) {
  return std::to_string(candidate.score) + "% " + candidate.text;
}

TAnswer TInteractionAutoTranslate::Execute(const std::string& original,
                                           const std::vector<TAutoTranslateCandidate>& candidates,
                                           std::string& translation) {
  const bool fuzzy = !candidates.empty() && candidates.front().fuzzy;
  std::string text = "Auto Translation\nOriginal: " + original + "\nTranslation: " + translation +
                     (fuzzy ? "\nSimilar Texts' Translations:" : "\nKnown Translations:");
  for (const TAutoTranslateCandidate& candidate : candidates)
    text += "\n  " + (fuzzy ? CandidateLabel(candidate) + " (" + candidate.sourceText + ")" : candidate.text);
  TAnswer answer = interaction_.Ask(text, TButtons::YesIgnoreCancel);
  if (fuzzy && answer == TAnswer::Yes) return TAnswer::Ignore;
  return answer == TAnswer::Yes || answer == TAnswer::Ignore ? answer : TAnswer::Cancel;
}

TAnswer AskTranslation(TdatTranslationHistory& history, int languageId, const std::string& original,
                       std::string& translation, TAutoTranslateDialog& dialog) {
  TAnswer result = TAnswer::Ignore;
  std::vector<std::string> known;
  history.GetKnownTranslations(original, languageId, known);
  std::vector<TAutoTranslateCandidate> candidates;
  for (std::string& text : known) candidates.push_back({std::move(text), 100, false, {}});
  const bool fuzzy = candidates.empty();
  if (fuzzy) {
    try {
      for (TFuzzyTranslation& m : history.GetFuzzyTranslations(original, languageId))
        candidates.push_back({std::move(m.translation), m.score, true, std::move(m.sourceText)});
    } catch (const EDatabaseError&) {
      // Without its index (the set-up reported why) the walk still offers
      // the exact translations.
    }
  }
  if (!candidates.empty()) {
    std::string chosen = fuzzy ? std::string() : candidates.front().text;
    result = dialog.Execute(original, candidates, chosen);
    if (result != TAnswer::Yes && result != TAnswer::Ignore) result = TAnswer::Cancel;
    // A fuzzy candidate is taken only when the person picked or typed one.
    if (result == TAnswer::Yes && fuzzy && chosen.empty()) result = TAnswer::Ignore;
    if (result == TAnswer::Yes) translation = chosen;
  }
  if (result == TAnswer::Ignore) translation = original;
  return result;
}

}  // namespace kst
