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
// collections, lists and unknown types take none.
std::string ValueTextProblem(TPropertyType type, std::string_view text);

// "" when the text is fine, otherwise the message for a person, naming `key`
// (the entry as the user sees it, such as "Main.dfm:btnOpen.Left").
std::string ValueTextMessage(std::string_view key, TPropertyType type, std::string_view text);
// Raises EFormModelError with that message when there is one.
void CheckValueText(std::string_view key, TPropertyType type, std::string_view text);

}  // namespace kst
