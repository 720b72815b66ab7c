// Conversions between the core's code pages and QString.
#include "ui/ui_text.h"

#include <QList>

#include "platform/codepage.h"

namespace kst::ui {

QString FromAnsi(std::string_view text, int codePage) {
  std::u16string units = CodePageToUtf16(text, codePage);
  return QString::fromUtf16(units.data(), static_cast<qsizetype>(units.size()));
}

std::optional<std::string> ToAnsi(const QString& text, int codePage, QString* refused) {
  std::u16string units(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<size_t>(text.size()));
  std::string bytes = Utf16ToCodePage(units, codePage);
  // A character the page lacks comes back as "?"; one that really is "?"
  // round-trips, so only the round trip tells them apart.
  if (CodePageToUtf16(bytes, codePage) == units) return bytes;
  if (refused) {
    for (qsizetype i = 0; i < text.size();) {
      qsizetype n = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
      QString character = text.mid(i, n);
      std::u16string one(reinterpret_cast<const char16_t*>(character.utf16()), static_cast<size_t>(n));
      if (CodePageToUtf16(Utf16ToCodePage(one, codePage), codePage) != one) {
        *refused = character;
        break;
      }
      i += n;
    }
  }
  return std::nullopt;
}

QString DescribeCharacter(const QString& character) {
  uint code = character.isEmpty() ? 0 : character.toUcs4().value(0);
  QString hex = QStringLiteral("%1").arg(code, 4, 16, QLatin1Char('0')).toUpper();
  return QStringLiteral("the character \"%1\" (U+%2)").arg(character, hex);
}

}  // namespace kst::ui
