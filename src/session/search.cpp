// The find and replace walks over a grid's rows.
#include "session/search.h"

#include "config/interaction.h"
#include "config/text_helpers.h"
#include "session/translation_session.h"

namespace kst {

namespace {

constexpr const char* kReplaceQuestion = "Do you want to replace\r\r%s\r\rwith\r\r%s";

// Built from the pattern's pieces: a text holding "%s" itself stays as it is.
std::string ReplaceQuestion(const std::string& before, const std::string& after) {
  const std::string_view pattern = kReplaceQuestion;
  const size_t first = pattern.find("%s"), second = pattern.find("%s", first + 2);
  return std::string(pattern.substr(0, first)) + before + std::string(pattern.substr(first + 2, second - first - 2)) +
         after + std::string(pattern.substr(second + 2));
}

// Rows after the current one, round to it; each once.
template <class Visit>
void ForEachRowFrom(int rowCount, int currentRow, Visit&& visit) {
  if (rowCount <= 0) return;
  int start = currentRow + 1;
  if (start < 0 || start >= rowCount) start = 0;
  for (int k = 0; k < rowCount; ++k)
    if (!visit((start + k) % rowCount)) return;
}

bool Contains(const TSearchSettings& settings, const std::string& text) {
  return FindText(settings.textToFind, text, 1, settings.options & kSearchWholeWords,
                  settings.options & kSearchCaseSensitive) > 0;
}

}  // namespace

void TSearchSettings::Confirm(bool replace, const std::string& find, const std::string& replaceWith,
                              uint8_t optionBits, uint8_t scopeBits) {
  replaceMode = replace;
  textToFind = find;
  replacement = replaceWith;
  options = optionBits;
  scope = scopeBits;
  history.push_back(find);
}

int FindRow(const TSearchSettings& settings, int rowCount, int currentRow, const TSearchRowTexts& rowTexts) {
  if (settings.textToFind.empty()) return -1;
  int found = -1;
  ForEachRowFrom(rowCount, currentRow, [&](int row) {
    TSearchRow texts = rowTexts(row);
    if (((settings.scope & kScopeKey) && Contains(settings, texts.key)) ||
        ((settings.scope & kScopeOriginal) && Contains(settings, texts.original)) ||
        ((settings.scope & kScopeTranslated) && Contains(settings, texts.translation)))
      found = row;
    return found < 0;
  });
  return found;
}

int ReplaceRows(const TSearchSettings& settings, int rowCount, int currentRow, const TSearchRowTexts& rowTexts,
                const TSetRowTranslation& setTranslation, TUserInteraction& interaction) {
  if (settings.textToFind.empty()) return -1;
  bool prompt = settings.options & kSearchPromptOnReplace;
  bool all = settings.options & kSearchReplaceAll;
  const bool wholeWords = settings.options & kSearchWholeWords;
  const bool caseSensitive = settings.options & kSearchCaseSensitive;
  int last = -1;
  ForEachRowFrom(rowCount, currentRow, [&](int row) {
    const std::string translation = rowTexts(row).translation;
    if (!Contains(settings, translation)) return true;
    last = row;
    std::string replaced = ReplaceText(translation, settings.textToFind, settings.replacement, wholeWords, caseSensitive);
    TAnswer answer = prompt ? interaction.Ask(ReplaceQuestion(translation, replaced), TButtons::YesNoCancelAll)
                            : TAnswer::Yes;
    if (answer == TAnswer::Cancel) return false;
    if (answer != TAnswer::Yes && answer != TAnswer::All) return true;
    if (answer == TAnswer::All) {
      all = true;
      prompt = false;
    }
    try {
      setTranslation(row, replaced);
    } catch (const ETranslationError& e) {
      // A refused text is no replacement: the walk goes on to the next match.
      interaction.ShowWarning(e.what());
      return true;
    }
    return all;
  });
  return last;
}

}  // namespace kst
