// Language texts and the display character-set table.
#include "config/language_info.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <stdexcept>

#include "config/text_helpers.h"
#include "platform/same_text.h"

namespace kst {

std::string LanguageInfoText(int languageId, int type, int codePage) {
  uint16_t id = static_cast<uint16_t>(languageId & 0xFFFF);
  std::string text = LocaleInfoUtf8(id, type);
  if (text.empty() && SubLanguage(id) == 0)
    text = LocaleInfoUtf8(static_cast<uint16_t>(MakeLangId(PrimaryLanguage(id), 1)), type);
  if (type == LOCALE_SLANGUAGE || type == LOCALE_SENGLANGUAGE) {
    size_t paren = text.find('(');
    if (paren != std::string::npos) text.resize(paren);
  }
  if (type == LOCALE_SABBREVLANGNAME && SubLanguage(id) == 0 && text.size() > 2) text.resize(2);
  if (text.empty()) return text;
  return Utf8ToCodePage(text, codePage);
}

std::string LanguageInfoText(int languageId, int type) {
  return LanguageInfoText(languageId, type, TSystemCodePages::FromEnvironment().ansi);
}

std::string LanguageDisplayName(int languageId, int codePage) {
  std::string name = LanguageInfoText(languageId, LOCALE_SLANGUAGE, codePage);
  std::string country;
  if ((languageId & 0xFFFF) >= 256) country = "(" + LanguageInfoText(languageId, LOCALE_SCOUNTRY, codePage) + ")";
  return name + " " + country;
}

std::string LanguageAbbreviation(int languageId) {
  // Abbreviations are ASCII letters in every code page.
  return LanguageInfoText(languageId, LOCALE_SABBREVLANGNAME, 1252);
}

int LanguageAnsiCodePage(int languageId, const TSystemCodePages& system) {
  std::string text = TrimBlanks(LanguageInfoText(languageId, LOCALE_IDEFAULTANSICODEPAGE, 1252));
  int codePage = 1252;
  if (IsAllDigits(text) && text.size() <= 5) codePage = std::stoi(text);
  return ResolveCodePage(codePage, system);
}

std::vector<int> KnownLanguageIds() {
  // Candidates: every row and the neutral ID of its language; the rules then
  // decide (a neutral ID is known when its default sub-language is).
  std::vector<int> ids;
  for (const TLocaleRow& row : LocaleRows()) {
    ids.push_back(row.lcid);
    ids.push_back(PrimaryLanguage(row.lcid));
  }
  std::sort(ids.begin(), ids.end());
  ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
  // Keep only IDs the rules answer with both a name and an abbreviation.
  std::erase_if(ids, [](int id) {
    return LanguageInfoText(id, LOCALE_SLANGUAGE, CP_UTF8).empty() ||
           LanguageInfoText(id, LOCALE_SABBREVLANGNAME, CP_UTF8).empty();
  });
  return ids;
}

int ParseLanguageArgument(std::string_view text) {
  std::string_view digits = text;
  bool explicitHex = false;
  if (!digits.empty() && digits.front() == '$') {
    digits.remove_prefix(1);
    explicitHex = true;
  } else if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
    digits.remove_prefix(2);
    explicitHex = true;
  }
  bool allHex = !digits.empty() && digits.size() <= 4;
  for (char c : digits)
    if (!std::isxdigit(static_cast<unsigned char>(c))) allHex = false;
  // An abbreviation such as "DEA" is also valid hex; hex wins only with a
  // prefix or when the text has digits in it.
  bool hasDigit = false;
  for (char c : digits)
    if (c >= '0' && c <= '9') hasDigit = true;
  if (allHex && (explicitHex || hasDigit)) {
    int id = static_cast<int>(std::stoul(std::string(digits), nullptr, 16));
    if (LanguageInfoText(id, LOCALE_SLANGUAGE, CP_UTF8).empty())
      throw std::invalid_argument("Unknown language " + std::string(text));
    return id;
  }
  if (explicitHex) throw std::invalid_argument("\"" + std::string(text) + "\" is not a valid language identifier");
  std::vector<int> matches;
  for (int id : KnownLanguageIds())
    if (SameText(LanguageAbbreviation(id), text)) matches.push_back(id);
  if (matches.empty()) throw std::invalid_argument("Unknown language " + std::string(text));
  if (matches.size() > 1) {
    std::string message = "The abbreviation " + UpperCaseAscii(text) + " is shared by";
    for (size_t i = 0; i < matches.size(); ++i) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "%04X", matches[i]);
      message += i == 0 ? " " : (i + 1 == matches.size() ? " and " : ", ");
      // The uncut locale name tells the two apart ("Azeri (Latin)").
      message += std::string(hex) + " " +
                 Utf8ToCodePage(LocaleInfoUtf8(static_cast<uint16_t>(matches[i]), LOCALE_SLANGUAGE),
                                TSystemCodePages::FromEnvironment().ansi);
    }
    message += "; give the language identifier instead";
    throw std::invalid_argument(message);
  }
  return matches.front();
}

const std::vector<TDisplayCharset>& DisplayCharsets() {
  static const std::vector<TDisplayCharset> table = {
      {"ANSI", 0},        {"Default", 1},       {"Symbol", 2},   {"Mac", 77},      {"ShiftJIS", 128},
      {"Hangeul", 129},   {"Johab", 130},       {"GB2312", 134}, {"Chinese Big5", 136}, {"Greek", 161},
      {"Turkish", 162},   {"Hebrew", 177},      {"Arabic", 178}, {"Baltic", 186},  {"Russian", 204},
      {"Thai", 222},      {"East Europe", 238}, {"OEM", 255},
  };
  return table;
}

int CharsetCodePage(int charset, const TSystemCodePages& system) {
  const TCharsetRow* row = FindCharsetRow(charset);
  if (!row) return 0;
  return ResolveCodePage(row->codePage, system);
}

}  // namespace kst
