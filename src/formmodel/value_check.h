// Whether a text can stand as the value of a property of a given type in a
// form: the form writer emits numbers, identifiers, sets and binary data as
// they stand, so a translation such as "8 Visible = False" for a Left would
// otherwise add a property to the translated form.
#pragma once

#include <string>
#include <string_view>

#include "formmodel/form_model.h"

namespace kst {

// "" when `text` reads back from form text as exactly one value of `type`;
// otherwise what a value of that type must look like, for a message (for
// example "a whole number such as 8, -12 or $FF"). Strings take any text;
// collections, lists and unknown types take none. `original` is the value's
// original text: where it is a 64-bit integer (Delphi 4 on) the text may be
// one too, and where it is a float with a width letter (1.5s, 15000c, 2.5d)
// the text must have the same letter or be a whole number.
std::string ValueTextProblem(TPropertyType type, std::string_view text, std::string_view original);

// "" when the text is fine, otherwise the message for a person, naming `key`
// (the entry as the user sees it, such as "Main.dfm:btnOpen.Left").
std::string ValueTextMessage(std::string_view key, TPropertyType type, std::string_view text,
                             std::string_view original);
// Raises EFormModelError with that message when there is one.
void CheckValueText(std::string_view key, TPropertyType type, std::string_view text, std::string_view original);

}  // namespace kst
