// kst pe: the resources of a compiled module (EXE, DLL, BPL), read the way the
// program reads them when it opens a module instead of a project.
#include <ostream>

#include "cli.h"
#include "peresources/exe_file.h"
#include "peresources/resource_listing.h"
#include "resstrings/string_tables.h"

namespace kst::cli {

namespace {

int RunPe(TContext& ctx, const std::vector<std::string>& args) {
  if (args.empty()) throw EUsageError("expected an action: resources or strings");
  const std::string& action = args[0];
  if (action != "resources" && action != "strings") throw EUsageError("unknown action \"" + action + "\"");
  if (args.size() != 2) throw EUsageError("expected one module file");
  TExefile module(args[1], ctx.system.ansi);
  if (action == "resources") {
    ctx.out << ListResources(module);
    return 0;
  }
  std::string script = StringTableScript(module);
  std::string text;
  for (char c : script)
    if (c != '\r') text += c;
  ctx.out << ctx.ToTerminal(text);
  return 0;
}

}  // namespace

std::vector<TTopic> PeTopics() {
  return {
      {"pe", "read the resources of a compiled module",
       "usage: kst pe resources FILE\n"
       "  One line per resource (type, name, language, size, SHA-256) in the\n"
       "  order of the file's directory, with the strings of string tables and\n"
       "  the values of version resources beneath (UTF-8).\n"
       "usage: kst pe strings FILE\n"
       "  The module's string tables as the STRINGTABLE script written for a\n"
       "  module opened as a project (shown in UTF-8 with LF line ends; the file\n"
       "  itself is ANSI with CR LF).\n",
       RunPe},
  };
}

}  // namespace kst::cli
