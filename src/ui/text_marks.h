// What the grids mark in a text: the placeholders a translation must keep
// (Delphi Format specifiers such as "%s" or "%0:d", "&" accelerators, "#13"
// character codes, line breaks and tabs) and the words a spelling check
// looks at. Works on the text as the screen shows it (ShownText).
#pragma once

#include <QString>

#include <vector>

namespace kst::ui {

struct TTextRange {
  int start = 0;
  int length = 0;
  bool operator==(const TTextRange&) const = default;
};

// The text as a cell shows it: each line break (CR LF, CR or LF) becomes
// one "↵" and each tab one "→", so that a cell never hides one. The editor
// keeps the real characters.
QString ShownText(const QString& text);

// Placeholders, in text order, none overlapping: "%%", Format specifiers
// ("%" [index ":"] ["-"] [width] ["." precision] type, where index, width
// and precision may be "*"), "&&" and the "&" of an accelerator, "#" with
// decimal digits or "$" and hex digits, the backslash escapes a resource
// script keeps ("\x0D", "\n", "\101"), and the "↵" and "→" of ShownText.
std::vector<TTextRange> PlaceholderRanges(const QString& text);

// The words outside placeholders: runs of letters, with an apostrophe or a
// hyphen between two letters and an accelerator's "&" taken in. Words with
// digits and single letters are left out: no spelling dictionary knows them.
std::vector<TTextRange> WordRanges(const QString& text);

// The word as a dictionary looks it up: without its "&".
QString WordText(const QString& text, TTextRange word);

}  // namespace kst::ui
