// Pseudo-translating a whole language through the session, and taking the
// pseudo-translations out again, so that a module built before any
// translator starts shows which texts are hard-coded, cut off or put
// together at run time.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "session/pseudo_text.h"

namespace kst {

class TTranslationSession;
class TTranslatorEnvironment;

// Whether the highlighting rules mark a property as text to translate;
// called with the class-qualified path ("TButton.Caption"), or with the
// path as it stands when no class is known.
using THighlightTest = std::function<bool(const std::string& path)>;

// The dictionary's rules when it is open, else the rules a new dictionary
// starts with. Each path is asked once.
THighlightTest PseudoHighlightTest(TTranslatorEnvironment& environment);

struct TPseudoReport {
  int changed = 0;
  // Entries that refused their pseudo-translation (a wide original whose
  // characters the language's code page lacks), with the session's message.
  std::vector<std::string> refused;
};

// Gives every entry of the current language that is still untranslated a
// pseudo-translation (TPseudoTranslator) through the session, as one undo
// step: each resource string, and each string value of a form that
// `highlighted` marks and IsPseudoExcluded does not. Translations are
// never overwritten. Raises ETranslationError without a language.
TPseudoReport PseudoTranslateLanguage(TTranslationSession& session, const THighlightTest& highlighted,
                                      int expandPercent);

// Resets every resource string and form string value of the current
// language whose translation is a pseudo-translation of its original, as
// one undo step, and returns how many. Raises ETranslationError without a
// language.
int ClearPseudoTranslations(TTranslationSession& session);

}  // namespace kst
