// XLIFF 1.2 exchange files, for translation tools built on it. UTF-8 XML:
//   <xliff version="1.2" xmlns="urn:oasis:names:tc:xliff:document:1.2">
//     <file original="Demo.drc" category="resource-strings" ...>  strings
//     <file original="Demo.dpr" category="version-info" ...>      version keys
//     <file original="Main.dfm" category="form" ...>              one per form
//       source-language / target-language: BCP-47; datatype="plaintext"
//       <body><trans-unit id=KEY resname=KEY xml:space="preserve">
//         <source>original</source>
//         <target state="new|translated">translation</target> (empty when new)
//         <note>type: string[; highlighted]</note>
#pragma once

#include <string>
#include <string_view>

#include "exchange/exchange_entries.h"

namespace kst {

// The document for the current language. Raises EExchangeError naming the
// entry when a text holds a control character XML cannot carry.
std::string BuildXliffFile(TProjectData& project, const TExchangeLanguages& languages, int typeFilter,
                           const TExchangeHighlight& highlighted = {});

// The entries of a document, texts converted to the code pages of
// `languages`. A unit without <target>, or with an empty one whose state
// does not say it is translated, is left out: it carries no translation.
// A unit is keyed by its resname (its id when it has none) and placed by
// its <file>'s category (by the extension of `original` when a tool
// dropped it: .drc resource strings, a project or module version keys,
// anything else a form). Raises
// EExchangeError for a document that is not XLIFF 1.x or not well-formed.
TExchangeContent ParseXliffFile(std::string_view bytes, const std::string& fileName,
                                const TExchangeLanguages& languages);

}  // namespace kst
