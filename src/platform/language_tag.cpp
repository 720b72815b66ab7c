// Language tags through ICU's LCID table.
#include "platform/language_tag.h"

#include <unicode/uloc.h>

#include <algorithm>

namespace kst {

std::string LanguageTag(int languageId) {
  // LCID 0 is ICU's root locale ("und"), no language at all.
  if (languageId <= 0 || languageId > 0xFFFF) return {};
  char locale[ULOC_FULLNAME_CAPACITY] = {};
  UErrorCode status = U_ZERO_ERROR;
  uloc_getLocaleForLCID(static_cast<uint32_t>(languageId), locale, sizeof locale, &status);
  if (U_FAILURE(status) || locale[0] == '\0') return {};
  char tag[ULOC_FULLNAME_CAPACITY] = {};
  status = U_ZERO_ERROR;
  int32_t length = uloc_toLanguageTag(locale, tag, sizeof tag, true, &status);
  if (U_FAILURE(status) || status == U_STRING_NOT_TERMINATED_WARNING) return {};
  return std::string(tag, static_cast<size_t>(length));
}

int LanguageIdFromTag(std::string_view tag) {
  std::string text(tag);
  std::replace(text.begin(), text.end(), '_', '-');
  if (text.empty() || text.size() >= ULOC_FULLNAME_CAPACITY) return 0;
  char locale[ULOC_FULLNAME_CAPACITY] = {};
  int32_t parsed = 0;
  UErrorCode status = U_ZERO_ERROR;
  uloc_forLanguageTag(text.c_str(), locale, sizeof locale, &parsed, &status);
  // A tag ICU read only in part ("de-DE-!") names no language we can trust.
  if (U_FAILURE(status) || parsed != static_cast<int32_t>(text.size()) || locale[0] == '\0') return 0;
  return static_cast<int>(uloc_getLCID(locale));
}

}  // namespace kst
