// Windows language IDs as BCP 47 language tags ("de-DE", "sr-Latn-CS") and
// back, by ICU's table of Windows LCIDs: what translation-memory files and
// other translation tools name languages by.
#pragma once

#include <string>
#include <string_view>

namespace kst {

// The tag of the language ID as ICU maps it, or empty when ICU has none.
std::string LanguageTag(int languageId);

// The language ID of a tag, or 0 when ICU maps it to none. Letter case does
// not matter, and "_" is taken for "-" (tags written as locale names).
int LanguageIdFromTag(std::string_view tag);

}  // namespace kst
