// TdatTranslationHistory: the dictionary operations the rest of the program
// calls: source-string keys, recording translations, known translations,
// resource-string entries and the import of dictionary files.
// Arguments and results are plain ANSI text; the tables hold the quoted-hex
// form (EncodeQuotedHex), and every width limit applies to that form.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "dictionary/fuzzy_match.h"
#include "platform/database.h"

namespace kst {

class TdatCommon;

// An operation of the dictionary cannot go on; the message is for a person.
class EDictionaryError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// Resource-string entries are stored under this prefix and the name.
inline constexpr const char* kResourceStringPrefix = ".ResourceString.";

// The stored form (EncodeQuotedHex) of a source string or translation.
// Raises ETextTooLong, naming the text and `field`, when it would not fit
// (kMaxStoredText): texts are refused whole, never cut.
std::string EncodeForStorage(std::string_view text, const char* field);

// A dictionary file read whole: its language (by the file's extension, a
// language abbreviation of LangList) and its "Strings" entries in file
// order (name, translation). Raises EDictionaryError "Unknown dictionary
// file language" or EFileError.
struct TDictionaryFile {
  int languageId = 0;
  std::vector<std::pair<std::string, std::string>> entries;
};
TDictionaryFile ReadDictionaryFile(TDatabase& db, const std::string& fileName);

class TdatTranslationHistory {
public:
  // Works on common's connection; common must outlive this object.
  explicit TdatTranslationHistory(TdatCommon& common);

  // The key of the source string (matched without regard to case: OK and Ok
  // share one entry), or empty when the dictionary does not hold it.
  std::string GetStrID(std::string_view source);
  // GetStrID, adding the source string when it is missing. Raises
  // ETextTooLong when the stored form of the source would not fit.
  std::string GetOrAddStrID(std::string_view source);

  // Records the translation unless the same text (compared exactly) is
  // already recorded for that language or a sibling sub-language. Raises
  // ETextTooLong, storing nothing, when the stored form of either text has
  // 255 characters or more. Shows "Adding to Dictionary: "<source>"" as the
  // hint while it works. Runs inside the caller's transaction when the
  // connection has one, so a save can add all its items in one.
  void AddTranslation(std::string_view source, std::string_view translation, int languageId);

  // Fills `list` with the known translations: first those of exactly that
  // language, then those of its other sub-languages, each text once
  // (compared without regard to case). Empty when the source is unknown.
  void GetKnownTranslations(std::string_view source, int languageId, std::vector<std::string>& list);
  // The best known translations of similar source texts (TFuzzyIndex::Find,
  // fuzzy_index.h, says how they are found and ranked).
  std::vector<TFuzzyTranslation> GetFuzzyTranslations(std::string_view source, int languageId, int minScore = 70,
                                                      int maxResults = 5);

  // Stores the one translation of the resource string for the language,
  // replacing an earlier one. Raises ETextTooLong when it does not fit.
  void SetResourceStringTranslation(std::string_view name, int languageId, std::string_view translation);
  // A translation for the language or its neutral language exists. Never
  // raises: any database error gives false.
  bool HasResourceStringTranslation(std::string_view name, int languageId);
  // The translation for the language, else for its neutral language, else
  // empty.
  std::string GetResourceStringTranslation(std::string_view name, int languageId);

  // Imports a dictionary file (ini text whose extension is a language
  // abbreviation; section "Strings" maps resource-string names to their
  // translations) and returns its language ID. All entries go in, or none:
  // raises EDictionaryError "Unknown dictionary file language", EFileError,
  // or ETextTooLong naming the entry that does not fit.
  int ImportDictionaryFile(const std::string& fileName);

  // Every statement reads what other processes have committed, so nothing
  // is buffered here; kept for callers that ask for fresh data explicitly.
  void RefreshTables(bool force);

private:
  std::string FindStrID(const std::string& encodedSource);
  bool FindResourceRow(const std::string& id, int languageId, std::string* translation);
  TStatement& Statement(TStatement& slot, const std::string& sql);

  TdatCommon& common_;
  TDatabase& db_;
  uint32_t lastRefresh_ = 0;
  TStatement findStrId_, insertStrIdx_, findSame_, insertTranslation_, listTranslations_;
  TStatement findResource_, findResourceExact_, updateResource_;
};

}  // namespace kst
