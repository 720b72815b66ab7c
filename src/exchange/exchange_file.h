// Exchange files: the texts of a project for one language, written for an
// outside translator and read back. Text, CR LF, one entry per line:
//   [EXCHANGE-FILE-HEADER] / Version=3.10BETA / [RESOURCE-STRINGS] /
//   Name<TAB>"original"<TAB>"translation" ... / empty line /
//   [Form.DFM] / path<TAB>"original"<TAB>"translation" ... / empty line
// A text holding a tab, CR or LF is written as \"...\" with \\ \t \r \n
// escapes, so it is never cut; every other field is written as it stands.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "exchange/exchange_entries.h"

namespace kst {

// The field as written: the text between quotes, or the escaped form above.
std::string EncodeExchangeField(std::string_view text);
// The inverse: one leading and one trailing quote removed; the escaped form
// decoded. A field without quotes is taken as it stands.
std::string DecodeExchangeField(std::string_view field);

// The file's text as WriteExchangeFile writes it.
std::string BuildExchangeFile(TProjectData& project, bool includeOriginal, int typeFilter);
// Writes the texts as they stand for the current language (atomically,
// creating the directory; path macros expanded).
void WriteExchangeFile(TProjectData& project, const std::string& fileName, bool includeOriginal, int typeFilter);

// Applies the translations of the file to the project as loaded. Questions
// (Yes, No, Cancel, All) and warnings (OK, Cancel) go to the project's
// interaction interface. Raises EExchangeError when the header or the
// version marker is missing (nothing imported). Returns the number of
// translations the file changed. `codePage` is the language's: a
// translation with "?" of a wide string whose original holds a character
// that page lacks is refused with a warning (0: no such check).
int ReadExchangeFile(TProjectData& project, const std::string& fileName, int codePage = 0);
int ApplyExchangeFile(TProjectData& project, std::string_view text, int codePage = 0);
// The entries of the file's text (ApplyExchangeEntries applies them); raises
// EExchangeError as above. The file has no version keys; a line before any
// section belongs to a form without a name.
std::vector<TExchangeEntry> ParseExchangeFile(std::string_view text);

}  // namespace kst
