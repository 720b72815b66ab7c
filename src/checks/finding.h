// What a quality check of a language's translations reports: one finding
// per fault, with a stable id, a severity, the entry's session key and a
// reason for a person.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kst {

enum class TSeverity { Info = 0, Warning = 1, Error = 2 };

// "info", "warning", "error"; ParseSeverity takes the same words and gives
// nothing for any other.
const char* SeverityName(TSeverity severity);
std::optional<TSeverity> ParseSeverity(std::string_view word);

// Where a finding's entry lives, so that a grid can find its row.
enum class TEntryPlace {
  None,            // a per-text check called without a project
  ResourceString,  // `path` is the resource string's name
  VersionKey,      // `path` is the version key
  FormValue,       // `form` and `path` (a property path of that form)
};

// The check ids. They are part of the command line's output and stay as
// they are once released.
namespace check_id {
inline constexpr const char* kFormat = "format";
inline constexpr const char* kAccelerator = "accelerator";
inline constexpr const char* kAcceleratorClash = "accelerator-clash";
inline constexpr const char* kHintSeparator = "hint-separator";
inline constexpr const char* kFilter = "filter";
inline constexpr const char* kLeadingBlanks = "leading-blanks";
inline constexpr const char* kTrailingBlanks = "trailing-blanks";
inline constexpr const char* kLineBreaks = "line-breaks";
inline constexpr const char* kEndingPunctuation = "ending-punctuation";
inline constexpr const char* kDoubledBlanks = "doubled-blanks";
inline constexpr const char* kCodePage = "code-page";
inline constexpr const char* kLength = "length";
inline constexpr const char* kUntranslated = "untranslated";
}  // namespace check_id

struct TFinding {
  std::string id;  // one of check_id
  TSeverity severity = TSeverity::Warning;
  // The entry as the session names it ("@Name", "#Key", "Main.dfm:Path"),
  // which TTranslationSession::SetTranslation accepts. A count of
  // untranslated entries carries the first of them.
  std::string key;
  // For a person, in the language's code page (quoted pieces of the
  // translation stay as they are; everything else is ASCII).
  std::string reason;
  TEntryPlace place = TEntryPlace::None;
  std::string form;  // FormValue: the form's name as the project lists it
  std::string path;  // property path, resource-string name or version key
  // An accelerator clash: the key of the sibling that has the letter too.
  std::string relatedKey;
};

}  // namespace kst
