// The small text helpers that every subsystem shares: the escape codecs of
// resource scripts and ini files, the quoted-hex codec of the dictionary,
// whole-word search and replace, unique keys, path joining and trims.
// All texts are 8-bit ANSI strings; positions are 1-based as in the files.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace kst {

class TUserInteraction;

// A text that should hold a number does not; the message is the one a
// person sees, such as "'$ZZ' is not a valid integer value".
class EConvertError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// A double quote becomes \" and a character below 32 becomes \x and two
// upper-case hex digits; everything else (backslashes and bytes from 128 up
// included) is copied.
std::string EncodeEscapes(std::string_view text);

// The inverse that leaves control characters escaped ("\x0D" stays as it
// is). Raises EConvertError when "\x" is followed by characters that are not
// hex digits.
std::string DecodeEscapes(std::string_view text);

// The decoder for texts that go into binary resources: also maps \a \b \f \n
// \r \t \v \\ \? \" \', and gives control characters written as hex or
// octal escapes ("\x0A") as the characters. Never raises: a malformed escape
// stays as written.
std::string DecodeFullEscapes(std::string_view text);

// Printable runs (32..126 except the apostrophe) between apostrophes, every
// other byte as "$" and two upper-case hex digits: it's -> 'it'$27's'.
std::string EncodeQuotedHex(std::string_view text);

// A text that does not begin with "$" or an apostrophe comes back unchanged.
// A "$" code that is not valid hex is reported to `warn` (when given) with
// the conversion error's message, and decoding goes on after it.
std::string DecodeQuotedHex(std::string_view text, TUserInteraction* warn = nullptr);

// The 1-based position of `find` in `text` at or after `start` (below 1 means
// 1), or 0. Whole-word matches need a delimiter (start or end of the text,
// blank, ! + , - . / : ;) on both sides. Case-insensitive compares fold a-z
// only. An empty `find` is never found.
size_t FindText(std::string_view find, std::string_view text, long long start, bool wholeWord,
                bool caseSensitive);

// Replaces every occurrence found by FindText, scanning on after each
// inserted replacement.
std::string ReplaceText(std::string_view text, std::string_view find, std::string_view replacement,
                        bool wholeWord, bool caseSensitive);

// The directory, one separator unless it already ends in one ("/" or "\"),
// and the name; an empty directory gives the name alone. Joins with "/".
std::string JoinPath(std::string_view directory, std::string_view name);

// The pattern with its first "%s" replaced by `arg` (the program's messages
// take one argument each); a pattern without one comes back as it is.
std::string FormatText(std::string_view pattern, std::string_view arg);

// Removes leading and trailing blanks (character 32 only).
std::string TrimBlanks(std::string_view text);

// What follows the last ">" (the whole text when there is none).
std::string StripThroughGreaterThan(std::string_view text);

// Skips one leading "#" and converts the decimal digits that follow (0 when
// there are none; the digits stop at the first other character).
long long NumberAfterHash(std::string_view text);

// True for a non-empty text of decimal digits only.
bool IsAllDigits(std::string_view text);

// Upper-cases a to z only (the program's file, property and section names
// compare this way, with SameText from platform/same_text.h).
std::string UpperCaseAscii(std::string_view text);

// Makes the 39-character keys of the dictionary: a GUID's 36 characters, a
// dash and a counter 01..FF. The GUID is kept between calls; a new one is
// made on the first call and after FF.
class TUniqueIdGenerator {
public:
  std::string NewUniqueId();

private:
  std::string guid_;
  int counter_ = 0xFF;
};

}  // namespace kst
