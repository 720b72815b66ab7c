// Automatic translation of one entry: the known translations of its original
// text are offered (or, when there are none, those of similar texts with
// their similarity), and the person accepts one (Yes), skips the entry
// (Ignore) or stops the walk (Cancel).
#pragma once

#include <string>
#include <vector>

#include "config/interaction.h"

namespace kst {

class TdatTranslationHistory;

// One translation the dialog offers: a known translation of the original
// itself (exact), or a fuzzy one: a translation of the similar source text
// `sourceText`, whose similarity to the original is `score` (FuzzyScore).
struct TAutoTranslateCandidate {
  std::string text;
  int score = 100;
  bool fuzzy = false;
  std::string sourceText;
};

// The "Auto Translation" dialog as the core sees it: shown with the original
// and the candidates, which are all exact or all fuzzy. With exact ones the
// translation is preset with the first; with fuzzy ones it is empty, and a
// candidate becomes the translation only when the person picks it. On Yes,
// `translation` holds the text to take (possibly edited; empty means none
// was chosen, which keeps the entry as it is). Any way of closing other than
// Yes and Ignore is Cancel.
class TAutoTranslateDialog {
public:
  virtual ~TAutoTranslateDialog() = default;
  virtual TAnswer Execute(const std::string& original, const std::vector<TAutoTranslateCandidate>& candidates,
                          std::string& translation) = 0;
};

// A fuzzy candidate as a list shows it: "85% text".
std::string CandidateLabel(const TAutoTranslateCandidate& candidate);

// The dialog for front ends without one of their own: one question through
// the interaction interface with the buttons Yes, Ignore and Cancel; Yes
// takes the first candidate as it is when the candidates are exact, and
// skips the entry when they are fuzzy (nobody chose one).
class TInteractionAutoTranslate : public TAutoTranslateDialog {
public:
  explicit TInteractionAutoTranslate(TUserInteraction& interaction) : interaction_(interaction) {}
  TAnswer Execute(const std::string& original, const std::vector<TAutoTranslateCandidate>& candidates,
                  std::string& translation) override;

private:
  TUserInteraction& interaction_;
};

// One entry's step: the known translations of the original; when there are
// none, the fuzzy ones (GetFuzzyTranslations with its defaults). Returns Yes
// (translation = the accepted text), Ignore (no candidates, skipped, or
// fuzzy candidates and none chosen: translation = original) or Cancel
// (translation unchanged). Nothing is written to the dictionary here.
TAnswer AskTranslation(TdatTranslationHistory& history, int languageId, const std::string& original,
                       std::string& translation, TAutoTranslateDialog& dialog);

}  // namespace kst
