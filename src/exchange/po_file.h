// gettext PO exchange files, for translation tools built on gettext. UTF-8
// text, LF line ends, one header entry, then one entry per text:
//   #. type: string[; highlighted]
//   #: Main.dfm
//   msgctxt "Main.dfm:btnOpen.Caption"   the key: "@Name" a resource string,
//   msgid "&Open..."                     "#Key" a version key, "FILE:PATH"
//   msgstr ""                            a form's value; msgstr empty while
//                                        the text is untranslated
// Strings use C escapes (\\ \" \n \r \t \a \b \f \v, octal for the other
// control characters) and are wrapped as gettext wraps them: after each
// "\n" and at blanks, 79 columns. No plural forms.
#pragma once

#include <string>
#include <string_view>

#include "exchange/exchange_entries.h"

namespace kst {

// The file for the current language; `revisionDate` goes into the header's
// PO-Revision-Date ("2026-12-07 14:40+0000").
std::string BuildPoFile(TProjectData& project, const TExchangeLanguages& languages, int typeFilter,
                        const std::string& revisionDate, const TExchangeHighlight& highlighted = {});

// The entries of a PO file, texts converted to the code pages of
// `languages`. Left out: entries with an empty msgstr (untranslated to
// gettext), fuzzy entries (gettext does not use them either) and obsolete
// ("#~") ones. An entry without msgctxt is named by its msgid and found
// nowhere. Raises EExchangeError "<file>, line N: ..." for text that is not
// PO, and for a charset other than UTF-8 (msgconv converts one).
TExchangeContent ParsePoFile(std::string_view text, const std::string& fileName, const TExchangeLanguages& languages);

// One string as it stands after its keyword: `"..."`, or `""` followed by
// wrapped lines when it is long or holds line breaks. `keyword` counts
// toward the first line's width.
std::string PoQuote(std::string_view keyword, std::string_view utf8);

}  // namespace kst
