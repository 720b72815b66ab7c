// Writing the tree back out: form text in the fixed layout of the language
// modules (strings in pieces of 64 characters, "END" closing objects), and
// the binary form resource made from it.
#pragma once

#include <string>
#include <string_view>

#include "formmodel/form_model.h"

namespace kst {

// The form text of the tree with the translated (or original) texts; CR LF
// line ends. Raises EFormModelError "Unknown property type" for a
// ptUnknown or ptClass value, and one naming the property path for a
// number, identifier, set or binary value whose text is not one value of
// its type (see value_check.h). A translated wide string is read in
// `codePage`; one whose original that code page cannot hold raises
// EFormModelError naming the property and the character.
std::string FormToText(const TComponentHelper& root, bool useTranslated, int codePage = 1252);

// Writes the tree as a binary form resource into `fileName` (path macros
// expanded), showing "Writing '%s'..." meanwhile. The file is replaced
// atomically, so an error leaves an existing file as it was and creates no
// new one. Raises EFormModelError, EParserError or EFileError.
void WriteForm(const TComponentHelper& root, std::string_view fileName, bool useTranslated,
               const TFormEnvironment& environment = {});

}  // namespace kst
