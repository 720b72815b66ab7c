// kst language, kst languages, kst expand: what the program knows of
// languages and settings.
#include <cstdio>
#include <ostream>

#include "cli.h"
#include "config/language_info.h"
#include "config/path_macros.h"
#include "config/registry_settings.h"

namespace kst::cli {

namespace {

int RunLanguage(TContext& ctx, const std::vector<std::string>& args) {
  if (args.size() != 1) throw EUsageError("expected one language");
  int id = ParseLanguageArgument(args[0]);
  // The terminal shows Unicode, so the texts come straight from the locale
  // data rather than through the ANSI code page.
  auto text = [&](int type) { return LanguageInfoText(id, type, CP_UTF8); };
  ctx.out << "id: " << Hex4(id) << "\n";
  ctx.out << "name: " << LanguageDisplayName(id, CP_UTF8) << "\n";
  ctx.out << "abbreviation: " << LanguageAbbreviation(id) << "\n";
  ctx.out << "country: " << (id >= 256 ? text(LOCALE_SCOUNTRY) : std::string()) << "\n";
  ctx.out << "english: " << text(LOCALE_SENGLANGUAGE) << "\n";
  ctx.out << "native: " << text(LOCALE_SNATIVELANGNAME) << "\n";
  ctx.out << "ansi-codepage: " << text(LOCALE_IDEFAULTANSICODEPAGE) << "\n";
  ctx.out << "oem-codepage: " << text(LOCALE_IDEFAULTCODEPAGE) << "\n";
  return 0;
}

int RunLanguages(TContext& ctx, const std::vector<std::string>& args) {
  if (!args.empty()) throw EUsageError("takes no arguments");
  for (int id : KnownLanguageIds())
    ctx.out << Hex4(id) << "\t" << LanguageAbbreviation(id) << "\t" << LanguageDisplayName(id, CP_UTF8) << "\n";
  return 0;
}

int RunExpand(TContext& ctx, const std::vector<std::string>& args) {
  if (args.size() != 1) throw EUsageError("expected one path");
  TTranslatorRegistry registry(ctx.registry);
  ctx.out << ExpandPathMacros(args[0], registry) << "\n";
  return 0;
}

}  // namespace

std::vector<TTopic> LanguageTopics() {
  return {
      {"language", "show what the locale data says of one language",
       "usage: kst language ID\n"
       "  Prints the display name, abbreviation, country, English and native\n"
       "  names and the ANSI and OEM code pages of the language.\n",
       RunLanguage},
      {"languages", "list every known language", "usage: kst languages\n", RunLanguages},
      {"expand", "expand the Delphi path macros in a path",
       "usage: kst expand PATH\n"
       "  Expands %DelphiRootDir%, %DelphiBinDir% and %CommonDelphiLibDir%.\n",
       RunExpand},
  };
}

}  // namespace kst::cli
