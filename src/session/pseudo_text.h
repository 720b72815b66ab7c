// Pseudo-translation of one text: letters become accented (or Cyrillic,
// Greek) look-alikes the language's code page holds, and the text is
// bracketed and padded, so that a module built from it shows at once which
// texts stay hard-coded (no brackets), which are cut off (no closing
// bracket) and which are put together at run time (brackets inside).
#pragma once

#include <string>
#include <string_view>

namespace kst {

// A dialog's Filter keeps every second "|" field (the file patterns) as it
// is; every other text is pseudo-translated field by field. A resource
// string holds backslash escapes ("\x0D\x0A" for a line break), which are
// kept whole and count as the characters they stand for.
enum class TPseudoKind { Text, Filter, ResourceString };

// The kind of a form value by its property path ("...Filter" is a filter).
TPseudoKind PseudoKindOfPath(std::string_view path);

// Properties that are never pseudo-translated, whatever the highlighting
// rules say: a font's name, data-base field, table and index names and SQL
// name things the program looks up at run time, so changing them breaks it
// rather than showing anything. `path` is a property path as a form's walk
// gives it (indexes in brackets are ignored).
bool IsPseudoExcluded(std::string_view path);

// Makes and recognises pseudo-translations from texts in one code page
// (the originals', the project's) into another (the language's). Holds the
// look-alikes the translation's code page can show; make one per language.
class TPseudoTranslator {
public:
  TPseudoTranslator(int originalCodePage, int translationCodePage);

  // The pseudo-translation of `original`, in the translation's code page.
  // Each "|" field with a letter outside its format specifiers becomes
  // "[" look-alikes, padding "]": leading blanks and line breaks stay in
  // front of the bracket, and trailing blanks, line breaks, the ending
  // punctuation (: ... . ? ! and "…") and a final "&" after it, so that the
  // very end of the text is the original's. Format specifiers ("%s",
  // "%0:-10.2f", "%%", "%*d"), "&&" and the character after an "&" stay as
  // they are, so accelerators keep their letter. Fields without letters
  // ("-", "%d", "") and file patterns ("*.txt") are kept unchanged. The
  // padding ("·", or "~" where the code page lacks it) makes the text longer
  // by `expandPercent` of the bracketed part, brackets included, but never
  // by more than half the original's length or 10 characters, whichever is
  // more. Returns `original` as it is when no field gets brackets.
  std::string Translate(std::string_view original, TPseudoKind kind, int expandPercent) const;

  // True when `translation` is the pseudo-translation of `original` of
  // either kind with any padding, so whatever --expand made it is
  // recognised without a record of what was made. A translation that
  // differs in any other character (a person's edit) is not.
  bool IsPseudoTranslation(std::string_view original, std::string_view translation) const;

  int OriginalCodePage() const { return originalPage_; }
  int TranslationCodePage() const { return translationPage_; }

private:
  // `changed`: whether a field got brackets.
  std::u16string TranslateWide(const std::u16string& original, TPseudoKind kind, int expandPercent,
                               bool& changed) const;
  std::u16string WithoutPadding(std::u16string text) const;
  char16_t Holdable(char16_t c) const;

  int originalPage_, translationPage_;
  char16_t letters_[128] = {};  // the look-alike of each ASCII letter, or the letter
  char16_t pad_ = u'~';
};

}  // namespace kst
