// Find and replace over the rows of a grid, as the window's Find, Replace
// and Search again run them: the search settings the search dialog fills,
// and the walks over the rows in the grid's current order. Texts are 8-bit
// ANSI; rows are counted from 0 (the grid's header row is not one).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kst {

class TUserInteraction;

inline constexpr uint8_t kSearchCaseSensitive = 1;
inline constexpr uint8_t kSearchWholeWords = 2;
inline constexpr uint8_t kSearchPromptOnReplace = 4;
inline constexpr uint8_t kSearchReplaceAll = 8;

inline constexpr uint8_t kScopeKey = 1;          // the property path, or the resource string's name
inline constexpr uint8_t kScopeOriginal = 2;
inline constexpr uint8_t kScopeTranslated = 4;

// The search settings of one run of the program (not kept between runs).
// The defaults here are the settings before the first search.
struct TSearchSettings {
  bool replaceMode = false;  // the last dialog confirmed was the replace dialog
  std::string textToFind;    // empty: no search was made yet
  std::string replacement;
  uint8_t options = kSearchPromptOnReplace;
  uint8_t scope = kScopeKey | kScopeOriginal | kScopeTranslated;
  std::vector<std::string> history;  // every text to find confirmed, oldest first, duplicates kept

  // What the search dialog does on OK: takes its values and adds the text
  // to find to the history.
  void Confirm(bool replace, const std::string& find, const std::string& replaceWith, uint8_t optionBits,
               uint8_t scopeBits);
};

// The three searchable texts of one row.
struct TSearchRow {
  std::string key;
  std::string original;
  std::string translation;
};
using TSearchRowTexts = std::function<TSearchRow(int row)>;
// Stores a row's new translation through the grid's edit path; may raise
// ETranslationError (the text is refused), which the walk shows as a
// warning before going on.
using TSetRowTranslation = std::function<void(int row, const std::string& text)>;

// The first row, after `currentRow` and round from row 0 with the current
// row last, whose scoped texts contain the text to find (FindText, with the
// whole-word and case options); -1 when none does or there is nothing to
// find. A current row outside the rows starts the walk at row 0.
int FindRow(const TSearchSettings& settings, int rowCount, int currentRow, const TSearchRowTexts& rowTexts);

// Replaces the text to find in the translations of the rows, visited as by
// FindRow. Only the translated column is changed and searched, whatever the
// scope says (the replace dialog does not show the scope). With "Prompt on
// replace" each replacement is asked for with Yes, No, Cancel and All: No
// skips the row, Cancel stops at once, All replaces this and every further
// match without asking. Without "Replace all" the walk stops after the
// first replacement. The settings themselves stay as they are. Returns the
// last row that matched (whatever the answer), -1 when none did. Callers
// that want one undo step for the walk hold a TUndoGroup around it.
int ReplaceRows(const TSearchSettings& settings, int rowCount, int currentRow, const TSearchRowTexts& rowTexts,
                const TSetRowTranslation& setTranslation, TUserInteraction& interaction);

}  // namespace kst
