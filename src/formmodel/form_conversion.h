// Conversion between binary form resources and form text, both ways, in
// memory. Texts are 8-bit ANSI with CR LF line ends.
//
// Form resource file (little-endian):
//   0       1     0xFF (resource type given as an ordinal)
//   1       2     resource type 10 (RT_RCDATA)
//   3       n+1   class name in upper case, NUL-terminated
//   n+4     2     memory flags 0x1030
//   n+6     4     size of the component stream
//   n+10    size  component stream: "TPF0", then one object
//
// Object: [prefix 0xF0|flags (1 inherited, 2 position follows, 4 inline:
//   a frame, Delphi 5 on) [position]]
//   class name (short string), object name (short string), properties
//   (short-string name + value) up to a 0 byte, children up to a 0 byte.
// Value: one type byte (see TValueType) and its data. Delphi 3 writes 0..14;
// projects of Delphi 4 to 7 add 15 (4-byte float), 16 (64-bit integer, the
// currency amount times 10,000), 17 (8-byte float) and 19 (64-bit integer).
// 18 and 20 (wide and UTF-8 strings) are refused by name.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kst {

enum TValueType : uint8_t {
  vaNull = 0,
  vaList = 1,
  vaInt8 = 2,
  vaInt16 = 3,
  vaInt32 = 4,
  vaExtended = 5,
  vaString = 6,
  vaIdent = 7,
  vaFalse = 8,
  vaTrue = 9,
  vaBinary = 10,
  vaSet = 11,
  vaLString = 12,
  vaNil = 13,
  vaCollection = 14,
  vaSingle = 15,
  vaCurrency = 16,
  vaDate = 17,
  vaWString = 18,
  vaInt64 = 19,
  vaUTF8String = 20,
};

// How deep objects, lists and collections may nest in either direction. The
// form designer nests a few dozen levels at most; 500 keeps recursion far
// from the stack's end (also under sanitizers) and the indentation of the
// text well inside the reader's 4096-byte lines.
inline constexpr int kMaxFormNesting = 500;

// The name of a value type byte ("vaDate" for 17, "value type 99" for one
// no Delphi version knows).
std::string ValueTypeName(uint8_t type);

// Checks the resource header and converts the component stream after it into
// form text, appended to `output`. Data after the root object is ignored.
// Raises EReadError ("Invalid stream format", "Stream read error",
// "Invalid property value ..."); `output` then holds what was written.
void ResourceToText(std::string_view input, std::string& output);
std::string ResourceToText(std::string_view input);

// The same for a bare component stream starting at "TPF0".
void BinaryToText(std::string_view input, std::string& output);
std::string BinaryToText(std::string_view input);

// Converts form text into a component stream, appended to `output`. Raises
// EParserError ("%s on line %d"); anything after the root object's "end" is
// not read. `codePage` is the one the text's quoted characters are in; it
// matters only where they join the characters of a wide string.
//
// Wide and UTF-8 strings (vaWString, vaUTF8String) are written to text as
// later Delphi versions write them, printable ASCII quoted and every other
// character as "#" and its UTF-16 code, with one difference that keeps
// their type through the text: each code has one zero before it in a wide
// string ("#01060", "#0252") and two in a UTF-8 one ("#00252"); one with
// only ASCII characters writes its first character as such a code
// ("#072'ello'"). Delphi reads these as the same characters. A string whose
// codes have no zeros before them is a wide string when one code is above
// 255 (as later Delphi versions write it), else an 8-bit one.
void TextToBinary(std::string_view input, std::string& output, int codePage = 1252);
std::string TextToBinary(std::string_view input, int codePage = 1252);

// Converts form text into a complete form resource (header + stream).
void TextToResource(std::string_view input, std::string& output);
std::string TextToResource(std::string_view input);

// The offset of the component stream after a resource header; raises
// "Invalid stream format" for a header that is not one.
size_t ResourceStreamOffset(std::string_view input);

// True when a form file holds form text rather than a binary resource: after
// an optional UTF-8 byte-order mark and blanks it begins with "object",
// "inherited" or "inline" (in any letter case) and a blank.
bool IsFormText(std::string_view bytes);

// The form text of a form file of either kind. Form text is taken through
// the component stream and back; a binary resource is converted as
// ResourceToText does. Raises the errors of both conversions.
std::string FormFileToText(std::string_view bytes, int codePage = 1252);

}  // namespace kst
