// The checks of one translated text against its original, which need no
// project: Format specifiers, accelerators, the separators of hints and
// file filters, blanks and ending punctuation, the language's code page and
// the length of a fixed-size caption.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "checks/finding.h"

namespace kst {

// The texts as the running program has them: resource strings and version
// keys with their escapes decoded (DecodeFullEscapes), form values as they
// are.
struct TTextCheckInput {
  std::string_view original;     // in originalCodePage
  std::string_view translation;  // in translationCodePage
  // The value's property name as the form has it ("Caption", "Hint",
  // "Items.Strings", "Title.Caption"); only its last part counts. Empty for
  // resource strings and version keys.
  std::string_view property;
  int originalCodePage = 1252;
  int translationCodePage = 1252;
  int languageId = 0;  // the target language, for its punctuation
  // The text is the caption of a control whose size does not follow its
  // text (HasFixedCaptionSize, preview/fit_check.h): a much longer
  // translation is cut off.
  bool fixedSize = false;
};

// Every finding of the checks below, in this order; the findings carry id,
// severity and reason (key and place are the caller's). Nothing is skipped
// for an untranslated text: the caller decides what to check.
//
// - format (error): only for an original that is a format string
//   (format_arguments.h): the translation must take the same multiset of
//   (argument, type), may reorder them through indexes, must take no
//   argument the original does not pass, and must have no stray "%" the
//   original does not have.
// - accelerator (warning): the number of accelerators ("&" followed by a
//   letter or digit; "&&" is an ampersand, an "&" before a blank, a sign or
//   the end marks nothing) must be the same, so one "&" in the original
//   needs exactly one in the translation. A warning, since the program runs
//   and only the keyboard way to the control changes. Not for Hint and
//   Filter, which are drawn without accelerators.
// - hint-separator (error): a Hint keeps its number of "|" (short and long
//   hint).
// - filter (error): a Filter whose original has "|" keeps its number of
//   "|"-separated fields, and every second field (the patterns) unchanged.
// - leading-blanks, trailing-blanks (warning): the runs of white space
//   (blanks, tabs, line breaks) at either end are the same characters.
// - line-breaks (warning): the same number of line breaks inside the text
//   (CR LF, CR or LF each count one; those at the ends are the blank runs').
// - ending-punctuation (warning): the text ends (before trailing white
//   space) with the same ":", "...", ".", "?", "!" or none, where the
//   target language's own forms count as the same (punctuation table in
//   text_checks.cpp). A blank before the mark, as French puts before
//   ":" "?" "!", is allowed everywhere.
// - doubled-blanks (warning): two blanks in a row inside the translation
//   where the original has none.
// - code-page (error): the translation's bytes are all characters of its
//   code page: no byte the page leaves unassigned, no broken double-byte
//   sequence, no control character other than tab, CR and LF.
// - length (warning, fixedSize only): the translation is more than 1.5
//   times and more than 10 characters longer than the original.
std::vector<TFinding> CheckText(const TTextCheckInput& input);

// The accelerators of a text ("&" and a letter or digit), their letters in
// upper case. Used for the clash of siblings.
std::vector<char16_t> Accelerators(std::u16string_view text);

// The text in UTF-16, from a code page (ASCII without a conversion).
std::u16string DecodeText(std::string_view bytes, int codePage);

}  // namespace kst
