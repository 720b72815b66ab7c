// The dictionary as a translation memory for other tools: export of one
// language to TMX 1.4b and import of a TMX file through the dictionary's own
// add. The file is UTF-8; the dictionary's texts are ANSI, so the texts are
// converted here, at the edge, and nowhere else.
//
// What the file says and why:
// - srclang (header) and the source <tuv>'s xml:lang: the system locale's
//   language. The dictionary records no source language, but its sources are
//   the projects' originals, written in the system's ANSI code page, so the
//   system locale is the one claim that matches how they are encoded.
// - Resource-string entries are left out: they map an identifier name to a
//   translation, and another tool would offer the name as a source sentence.
//   On import a unit whose source has their prefix is skipped for the same
//   reason, so a TMX cannot forge one.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/codepage.h"

namespace kst {

class TdatCommon;
class TdatTranslationHistory;

// One unit left out or refused, for a person: the file's line (0 when the
// unit has none) and what happened. UTF-8, since it quotes the file's texts.
struct TTmxReport {
  int line = 0;
  std::string message;
};

struct TTmxExport {
  std::string document;  // the file's bytes
  int units = 0;
  int resourceStrings = 0;  // resource-string entries left out
  // Pairs that cannot go into the file (a control character XML cannot
  // carry, a language ICU has no tag for), each named.
  std::vector<TTmxReport> skipped;
};

// Every translation of the language and of its sibling sub-languages (what
// GetKnownTranslations draws from), one <tu> per source and translation,
// each translation tagged with its own row's language. Sources are taken to
// be in the system's ANSI code page, translations in their language's
// (LanguageAnsiCodePage). Raises EDictionaryError when ICU has no tag for
// the system locale.
TTmxExport ExportTmx(TdatCommon& common, int languageId, const TSystemCodePages& system);

// Counts are of source/translation pairs (a <tu> may carry several
// translations).
struct TTmxImport {
  int added = 0;
  int known = 0;            // the language or a sibling already had the text
  int unknownLanguage = 0;  // no tag mapping, or LangList lacks the language
  int unmappable = 0;       // a character the code page cannot hold
  int tooLong = 0;          // the stored form would not fit (never cut)
  int resourceStrings = 0;  // a source with the resource-string prefix
  int incomplete = 0;       // no source, no translation, or inline markup
  std::vector<TTmxReport> reports;  // one per skipped pair or unit, in file order
  int Skipped() const { return unknownLanguage + unmappable + tooLong + resourceStrings + incomplete; }
};

// Adds every translation of the TMX document through AddTranslation, all in
// one write transaction. In each <tu> the source is the first <tuv> in the
// unit's srclang (else the header's); with "*all*" or no such <tuv>, the
// first one. Every other <tuv> is a translation. A unit that cannot be taken
// is reported and skipped; the rest go in. Raises EXmlError for a document
// that is not well-formed and EDictionaryError for one that is not TMX; then
// nothing is added.
TTmxImport ImportTmx(TdatCommon& common, TdatTranslationHistory& history, std::string_view bytes,
                     const std::string& fileName, const TSystemCodePages& system);

}  // namespace kst
