// Automatic translation of one entry: the known translations of its original
// text are offered, and the person accepts one (Yes), skips the entry
// (Ignore) or stops the walk (Cancel).
#pragma once

#include <string>
#include <vector>

#include "config/interaction.h"

namespace kst {

class TdatTranslationHistory;

// The "Auto Translation" dialog as the core sees it: shown with the original
// and the candidates, the translation preset with the first candidate; on
// Yes, `translation` holds the text to take (possibly edited). Any way of
// closing other than Yes and Ignore is Cancel.
class TAutoTranslateDialog {
public:
  virtual ~TAutoTranslateDialog() = default;
  virtual TAnswer Execute(const std::string& original, const std::vector<std::string>& candidates,
                          std::string& translation) = 0;
};

// The dialog for front ends without one of their own: one question through
// the interaction interface with the buttons Yes, Ignore and Cancel; Yes
// takes the first candidate as it is.
class TInteractionAutoTranslate : public TAutoTranslateDialog {
public:
  explicit TInteractionAutoTranslate(TUserInteraction& interaction) : interaction_(interaction) {}
  TAnswer Execute(const std::string& original, const std::vector<std::string>& candidates,
                  std::string& translation) override;

private:
  TUserInteraction& interaction_;
};

// One entry's step. Returns Yes (translation = the accepted text), Ignore
// (no candidates, or skipped: translation = original) or Cancel (translation
// unchanged). Nothing is written to the dictionary here.
TAnswer AskTranslation(TdatTranslationHistory& history, int languageId, const std::string& original,
                       std::string& translation, TAutoTranslateDialog& dialog);

}  // namespace kst
