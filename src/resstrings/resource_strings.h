// The project's resource strings: the set read from the compiler's .DRC
// script (a "#define NAME ID" per string and a STRINGTABLE block with the
// texts), kept sorted by name. Texts are 8-bit ANSI strings.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kst {

class TResourceStrListItem {
public:
  int32_t ID = 0;
  // The #define name, or "#" and the identifier in eight digits for a string
  // the script lists by number only.
  std::string Name;
  // The script's text after DecodeEscapes.
  std::string OriginalValue;
  std::string TranslatedValue;
  // Set when the translation was taken from the dictionary.
  uint8_t FromDictionary = 0;

  // Also drops the dictionary mark: a reset text is no remembered
  // translation, and storing it as one would put the original over the
  // dictionary's entry for this string.
  void ResetTranslation() {
    TranslatedValue = OriginalValue;
    FromDictionary = 0;
  }
  // Exact comparison: a translation that only changes case counts.
  bool IsTranslated() const { return TranslatedValue != OriginalValue; }
};

class TResourceStringsHelper {
public:
  void Clear() { items_.clear(); }
  int Count() const { return static_cast<int>(items_.size()); }
  TResourceStrListItem& Item(int index) { return *items_.at(index); }
  const TResourceStrListItem& Item(int index) const { return *items_.at(index); }

  // Appends an entry with empty texts; the reference stays valid until the
  // entry is cleared.
  TResourceStrListItem& Add(int32_t id, std::string_view name);
  // With a name, the first entry of that name (without regard to case);
  // without one, the first entry with that identifier; nullptr when none.
  TResourceStrListItem* Find(int32_t id, std::string_view name);
  // Ascending by name without regard to case; equal names keep their order.
  void SortByName();

  // Reads a .DRC script (or one WriteStringTableScript wrote) and sorts the
  // set; returns the script's last-write time for the project to record.
  // Raises EFileError when the file cannot be read and EConvertError ("'%s'
  // is not a valid integer value") for an identifier that is not a number,
  // in which case the entries read so far stay, unsorted.
  double ReadScript(const std::string& fileName);
  // The same over the text of a script (for tests and fuzzing).
  void ReadScriptText(std::string_view text);

private:
  std::vector<std::unique_ptr<TResourceStrListItem>> items_;
};

// Delphi's StrToInt: optional blanks, a sign, decimal digits or "$" and hex
// digits, within 32 bits; anything else raises EConvertError.
int32_t StrToInt(std::string_view text);

}  // namespace kst
