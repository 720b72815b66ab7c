// The two writers of string tables: a resource script (STRINGTABLE block) from
// a compiled module's string tables, and a binary 32-bit resource file of
// string-table blocks from the resource-string set, for a language module.
//
//   script: "STRINGTABLE", "BEGIN", per string TAB id "," TAB "text", "END";
//           CR LF line ends, texts ANSI with EncodeEscapes
//   .RES:   the empty entry; per used block (ascending) an entry of type 6,
//           name block + 1, language 0, memory flags 0, holding 16 slots of
//           u16 count + UTF-16 code units; each entry padded to 4 bytes
#pragma once

#include <cstdint>
#include <string>

namespace kst {

class TExefile;
class TResourceStringsHelper;
class TStatusHint;
struct TSystemCodePages;

// The script text for the module's string tables, in slot order of every
// block of the type-6 branch (ANSI, CR LF).
std::string StringTableScript(const TExefile& module);
// Writes that script to `fileName` (atomically; EFileError on failure).
void WriteStringTableScript(const TExefile& module, const std::string& fileName);

// The resource file's bytes: each string's TranslatedValue, fully unescaped
// (control-character escapes such as \x0A included)
// and converted from `codePage`, in block id / 16, slot id mod 16. A later
// string with the same identifier replaces an earlier one; identifiers
// outside 0..65535 have no place in a string table and are left out.
std::string StringTableResource(const TResourceStringsHelper& strings, int codePage);
// Writes it to `fileName` (used as given, atomically), showing "Writing
// Translation File %s..." as the hint meanwhile. Raises EFileError.
void WriteStringTableResource(const TResourceStringsHelper& strings, const std::string& fileName, int languageId,
                              const TSystemCodePages& system, TStatusHint& hint);

}  // namespace kst
