// kst strings: the resource-string set of a .DRC script and the string-table
// resource written from it for a language module.
#include <ostream>

#include "cli.h"
#include "config/language_info.h"
#include "config/text_helpers.h"
#include "resstrings/resource_strings.h"
#include "resstrings/string_tables.h"

namespace kst::cli {

namespace {

int RunStrings(TContext& ctx, const std::vector<std::string>& args) {
  if (args.empty()) throw EUsageError("expected an action: list or resource");
  const std::string& action = args[0];
  if (action == "list") {
    if (args.size() != 2) throw EUsageError("expected one .DRC file");
    TResourceStringsHelper strings;
    strings.ReadScript(args[1]);
    for (int i = 0; i < strings.Count(); ++i) {
      const TResourceStrListItem& item = strings.Item(i);
      ctx.out << ctx.ToTerminal(std::to_string(item.ID) + "\t" + item.Name + "\t" + EncodeEscapes(item.OriginalValue))
              << "\n";
    }
    return 0;
  }
  if (action == "resource") {
    if (args.size() != 4) throw EUsageError("expected a .DRC file, a language and an output file");
    int language = ParseLanguageArgument(args[2]);
    TResourceStringsHelper strings;
    strings.ReadScript(args[1]);
    WriteStringTableResource(strings, args[3], language, ctx.system, ctx.interaction);
    return 0;
  }
  throw EUsageError("unknown action \"" + action + "\"");
}

}  // namespace

std::vector<TTopic> StringsTopics() {
  return {
      {"strings", "read resource strings and write string-table resources",
       "usage: kst strings list FILE.DRC\n"
       "  The resource strings of the script, sorted by name: identifier, tab,\n"
       "  name, tab, text with escapes.\n"
       "usage: kst strings resource FILE.DRC LANG OUT.RES\n"
       "  Writes the string-table resource of the script's strings (untranslated)\n"
       "  for the language, in the language's ANSI code page.\n",
       RunStrings},
  };
}

}  // namespace kst::cli
