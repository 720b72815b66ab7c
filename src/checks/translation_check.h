// The quality check of the current language of a translation session: the
// per-text checks of every translated string entry (text_checks.h), the
// accelerator clashes of sibling components, and the count of untranslated
// texts per form and for the resource strings.
#pragma once

#include <vector>

#include "checks/finding.h"

namespace kst {

class TTranslationSession;
class TTextMeasure;

struct TCheckReport {
  int languageId = 0;
  int translationCodePage = 0;  // the findings' reasons are in this code page
  // In a fixed order: the resource strings, the version keys, then each
  // form as the project lists it, its values in path order; within an
  // entry, in the order of CheckText. A form's accelerator clashes come
  // after the properties of the components' parent, its count of
  // untranslated texts last.
  std::vector<TFinding> findings;
  int Count(TSeverity severity) const;
};

// Checks every entry of the session's current language. Only string entries
// whose translation differs from the original are checked text by text; an
// entry still equal to its original is counted as untranslated when its
// original holds a letter (so "-", "" and "100" are not counted).
// - accelerator-clash (warning): two components under one parent (a menu's
//   items, the controls of a form or panel) whose translated captions use
//   the same accelerator letter, where their originals used different
//   ones (or none); reported once for each later sibling, naming the
//   earlier.
// - untranslated (info): one finding per form and one for the resource
//   strings that have such entries, with the count; its key is the first of
//   them, so that a grid can go there.
// - length (warning): with a measure of the real fonts, a translated
//   caption-like text of a form that does not fit the room its control
//   gives it (the preview's fit check), naming both widths; the ratio rule
//   of CheckText stays for the texts the fit check does not measure, and
//   for all without a measure. The measure takes texts in the translation's
//   code page.
// Raises ETranslationError (session) when no language is selected.
TCheckReport CheckTranslations(TTranslationSession& session, const TTextMeasure* measure = nullptr);

}  // namespace kst
