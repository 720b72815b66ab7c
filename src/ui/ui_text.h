// The one place where the core's 8-bit texts meet Qt's UTF-16 strings: every
// conversion goes through the program's code-page layer (Windows' tables),
// never through Qt's codecs, which know other tables for the same pages.
#pragma once

#include <QString>

#include <optional>
#include <string>
#include <string_view>

namespace kst::ui {

// 8-bit text in `codePage` for the screen.
QString FromAnsi(std::string_view text, int codePage);

// A typed text in `codePage`; nothing when a character has no place in that
// page, with `refused` (when given) set to the first such character.
std::optional<std::string> ToAnsi(const QString& text, int codePage, QString* refused = nullptr);

// "the character "Ж" (U+0416)" for a message.
QString DescribeCharacter(const QString& character);

}  // namespace kst::ui
