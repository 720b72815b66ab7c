// The errors of the form model and its conversions, with the program's own
// message texts. Every text reaches a person as it stands.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace kst {

inline constexpr const char* kSInvalidImage = "Invalid stream format";
inline constexpr const char* kSReadError = "Stream read error";
inline constexpr const char* kSInvalidProperty = "Invalid property value";
inline constexpr const char* kSIdentifierExpected = "Identifier expected";
inline constexpr const char* kSStringExpected = "String expected";
inline constexpr const char* kSNumberExpected = "Number expected";
inline constexpr const char* kSCharExpected = "''%s'' expected";
inline constexpr const char* kSSymbolExpected = "%s expected";
inline constexpr const char* kSInvalidString = "Invalid string constant";
inline constexpr const char* kSInvalidBinary = "Invalid binary value";
inline constexpr const char* kSLineTooLong = "Line too long";
inline constexpr const char* kSParseError = "%s on line %d";
inline constexpr const char* kSInternalError = "Internal Error";
inline constexpr const char* kSInvalidId = "Invalid ID";
inline constexpr const char* kSUnknownPropertyType = "Unknown property type";
inline constexpr const char* kSUserDefinedTypeNotSupported =
    "This Property Type is not supported for user defined properties!";
// Our own additions for the user-defined-property dialogs: a property name
// that is not an identifier would be written into every translated form and
// break its compilation; removing an element before the last would renumber
// the ones after it, to which the translation files refer by number.
inline constexpr const char* kSPropertyNameMissing = "Please enter the name of the new property.";
inline constexpr const char* kSPropertyNameInvalid =
    "\"%s\" is not a valid property name: a property name is an identifier (letters, digits and underscores, "
    "not beginning with a digit) or several joined by dots, such as Hint or Font.Name.";
inline constexpr const char* kSRemoveOnlyLastElement =
    "\"%s\" cannot be removed: only the last element of a list or collection can be removed, since removing an "
    "earlier one would renumber the elements after it, and the translations of every language refer to them by "
    "number.";
inline constexpr const char* kSRemoveNotUserDefined =
    "\"%s\" cannot be removed: it is part of the form file, and only user-defined entries can be removed.";
inline constexpr const char* kSReadingForm = "Reading '%s'...";
inline constexpr const char* kSWritingForm = "Writing '%s'...";
// Our own addition: hostile input may nest objects, lists and collections
// without end, which would otherwise exhaust the stack.
inline constexpr const char* kSNestingTooDeep = "Form nested too deeply";
// Our own: a wide string's original may hold a character the language's
// code page cannot hold, which that page shows as "?". A translation with
// "?" would put a question mark in the character's place in the module, so
// it is refused: WideTranslationLoss gives that character (0 when the
// translation may stand), WideCharRefusedMessage the message.
char16_t WideTranslationLoss(std::u16string_view original, std::string_view translation, int codePage);
std::string WideCharRefusedMessage(std::string_view key, char16_t character, int codePage);

// Our own: form text with a UTF-8 byte-order mark and characters beyond
// ASCII, which no ANSI code page is known for.
inline constexpr const char* kSUtf8FormText =
    "The form is text in UTF-8 with characters beyond ASCII, which cannot be read as an ANSI form";

// Base of every error the form model raises.
class EFormError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// A binary form stream that is not what it should be ("Invalid stream
// format", "Stream read error", "Invalid property value ...").
class EReadError : public EFormError {
public:
  using EFormError::EFormError;
};

// Form text that does not parse; the message is already "%s on line %d".
class EParserError : public EFormError {
public:
  EParserError(const std::string& message, int line);
  // The same error with the name of the file it came from in front
  // ("Main.dfm: Invalid string constant on line 3"); reason and line stay.
  EParserError(const EParserError& error, std::string_view fileName);
  const std::string& Reason() const { return reason_; }
  int Line() const { return line_; }

private:
  std::string reason_;
  int line_;
};

// A failed operation on the tree ("Internal Error", "Invalid ID", "Unknown
// property type", the user-defined property refusal).
class EFormModelError : public EFormError {
public:
  using EFormError::EFormError;
};

}  // namespace kst
