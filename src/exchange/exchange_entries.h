// What every exchange format shares: the entries a file carries, the walk
// over a project's entries that the writers turn into text, and the one
// applier that takes a file's entries into the project, so the rules of
// reading (unknown items warned, a changed original asked, values checked)
// hold whatever the format.
#pragma once

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "formmodel/form_model.h"
#include "platform/language_tag.h"

namespace kst {

class TProjectData;

// A file that cannot be read as an exchange file; the message is for a person.
class EExchangeError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// Bits of the property-type filter.
inline constexpr int kFilterStrings = 1;  // ptString
inline constexpr int kFilterNumbers = 2;  // ptInteger, ptFloat
inline constexpr int kFilterOthers = 4;   // ptSymbol, ptSet, ptBinary, ptClass

// The filter bit of a type (0 for collections, lists and unknown values).
int TypeFilterBit(TPropertyType type);

enum class TExchangeSection {
  ResourceStrings,
  VersionInfo,
  Form,
  Unknown,  // an entry a file names in no way we know: warned as not found
};

// One entry as read from a file; texts in the project's code pages.
struct TExchangeEntry {
  TExchangeSection section = TExchangeSection::Form;
  std::string form;  // Form: the form file's name as the file gives it
  std::string key;   // property path, resource-string name or version key
  // In the original code page; none when the file carries no original
  // (then no question is asked).
  std::optional<std::string> original;
  std::string translation;  // in the translation code page
  // Set by a reader when the file's translation cannot be taken as it is
  // (a character the code page lacks): the applier shows it as a warning
  // naming the entry and skips the entry.
  std::string refusal;
};

// What a reader makes of a file of another tool: the entries, and the
// language the file says its translations are in (empty when it says none).
struct TExchangeContent {
  std::vector<TExchangeEntry> entries;
  std::string targetLanguage;
};

// One entry of the project as the writers see it.
struct TExchangeItem {
  std::string key;
  const std::string* original = nullptr;     // original code page
  const std::string* translation = nullptr;  // translation code page
  const std::u16string* wideOriginal = nullptr;  // a wide string's original, when it has one
  TPropertyType type = ptString;
  bool translated = false;   // as the project counts it (version keys ignore letter case)
  bool highlighted = false;  // the highlighting rules mark it (form values only)
};

struct TExchangeGroup {
  TExchangeSection section = TExchangeSection::Form;
  std::string name;  // Form: the form file's name without its directory
  std::string file;  // the file the texts come from, without its directory
  std::vector<TExchangeItem> items;
};

// Whether the highlighting rules mark a value; called with the class-
// qualified path ("TButton.Caption"), or the path itself when no class is known.
using TExchangeHighlight = std::function<bool(const std::string& path)>;

// The project's entries for the current language: the resource strings (in
// the order of the set), the version keys, then one group per form in the
// project's module order with the plain values that pass `typeFilter`, in
// path order (a form that is not loaded gives an empty group). Pointers
// stay valid while the project is not changed.
std::vector<TExchangeGroup> CollectExchangeGroups(TProjectData& project, int typeFilter,
                                                  const TExchangeHighlight& highlighted = {});

// "string", "numeric" or "other" (the type filter's groups).
const char* TypeGroupName(TPropertyType type);
// The comment the XLIFF and PO writers give an entry: "type: string", and
// "; highlighted" when the rules mark it.
std::string ExchangeItemComment(const TExchangeItem& item);
// The entry's name in messages and in PO contexts, as the command line's
// translate topic names entries: "@Name", "#Key", "Form.dfm:Path".
std::string ExchangeEntryName(const TExchangeEntry& entry);
// "Kestrin Translator 3.10", for the files' generator fields.
std::string ExchangeToolName();

// Applies the entries in order. An unknown form or item is warned about
// (OK, Cancel); an original that differs (without regard to case) from the
// project's asks "Different original Value..." (Yes, No, Cancel, All); a
// text that is not a value of the property's type, a refusal set by the
// reader, and (with `codePage`, the language's) a translation with "?" of
// a wide original whose character that page lacks are warned about and
// not taken. Cancel stops; what was applied stays. Returns the number of
// translations changed.
int ApplyExchangeEntries(TProjectData& project, const std::vector<TExchangeEntry>& entries, int codePage = 0);

// The languages and code pages of an exchange with outside tools.
struct TExchangeLanguages {
  int source = 0x0409;  // the language of the originals
  int target = 0;       // the translations' language
  int originalCodePage = 1252;
  int translationCodePage = 1252;
};
// The originals' language is the one the project's version information
// names (the .DOF's "Locale"), else the system's; originals are in the
// system's ANSI code page, translations in the language's.
TExchangeLanguages ExchangeLanguages(const TProjectData& project, int languageId);

// A language as gettext's Language header names it: ICU's tag
// (platform/language_tag.h) written as a locale name ("de_DE", "sr_Latn_CS").
std::string LanguageLocaleName(int languageId);
// Raises EExchangeError when a file written for another language
// (`fileLanguage`, a tag or locale name; empty or "und": not said) is read into
// `languageId`: a different primary language would put one language's
// texts into another's files. A different region only is accepted.
void CheckFileLanguage(const std::string& fileName, const std::string& fileLanguage, int languageId);

// Sets the entry's translation from the file's UTF-8 text, converted to
// the code page; when the text holds a character the page lacks (or is not
// UTF-8), sets the refusal instead: "<file>: <entry>: the translation holds
// the character U+XXXX, ...". Section, form and key must be set.
void TakeTranslation(TExchangeEntry& entry, const std::string& utf8, int codePage, const std::string& file);

}  // namespace kst
