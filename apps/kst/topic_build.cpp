// kst build: generate the sources of a language module, compile it (the
// compiler's output streams to stdout), or show the compiler's command line.
#include <ctime>
#include <ostream>

#include "build/language_module.h"
#include "build/module_verify.h"
#include "cli.h"
#include "config/language_info.h"
#include "platform/file_utils.h"
#include "project/project_data.h"
#include "session/translation_session.h"
#include "session/translator_environment.h"

namespace kst::cli {

namespace {

std::string Now() {
  std::time_t t = std::time(nullptr);
  std::tm local{};
  localtime_r(&t, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  return text;
}

// Prints each difference between the built module and the project; exit 1
// when there is any.
int Verify(TContext& ctx, TProjectData& project, int language) {
  std::string module = LanguageModuleFileName(project, language);
  if (!FileExists(module))
    throw std::runtime_error("There is no language module " + module + " yet; compile it first (kst build compile)");
  std::vector<TModuleDifference> differences = VerifyLanguageModule(project, language, module);
  int page = LanguageAnsiCodePage(language, ctx.system);
  for (const TModuleDifference& d : differences)
    ctx.out << ctx.ToTerminal(d.where) << ": " << ctx.ToTerminal(d.what, page) << "\n";
  if (differences.empty()) {
    ctx.out << ctx.ToTerminal(module) << ": the original forms with exactly the translated values, every resource "
               "string, the version information and the custom resources\n";
    return 0;
  }
  ctx.out << differences.size() << " difference(s) between " << ctx.ToTerminal(module) << " and the project\n";
  return 1;
}

int RunBuild(TContext& ctx, const std::vector<std::string>& args) {
  if (args.size() != 3) throw EUsageError("expected: ACTION PROJECT LANG");
  const std::string& action = args[0];
  if (action != "generate" && action != "compile" && action != "commandline" && action != "verify")
    throw EUsageError("unknown action \"" + action + "\"");
  int language = ParseLanguageArgument(args[2]);
  TTranslatorEnvironment environment(ctx.registry, ctx.interaction, ctx.system);
  TProjectData& project = environment.Project();
  TTranslationSession& session = environment.Session();
  session.OpenProject(args[1]);
  // The module carries the language's stored translations, as the main
  // window has them loaded when it generates.
  session.SelectLanguage(language);
  if (action == "commandline") {
    ctx.out << ctx.ToTerminal(CompilerCommandLine(project, language)) << "\n";
    return 0;
  }
  if (action == "verify") return Verify(ctx, project, language);
  if (action == "compile") ctx.out << "--- " << Now() << " ----\n";
  GenerateLanguageModule(project, language);
  std::string source = ChangeFileExt(project.TranslatedFileName(project.FileName, language), ".dpr");
  if (action == "generate") {
    ctx.out << "generated: " << ctx.ToTerminal(source) << "\n";
    return 0;
  }
  TBusyCursorStack busy(ctx.interaction);
  TOemToAnsiSink sink([&](const std::string& ansi) { ctx.out << ctx.ToTerminal(ansi) << std::flush; }, ctx.system);
  std::string module = CompileLanguageModule(project, language, busy, sink);
  if (module.empty()) {
    ctx.err << "no language module was written to " << ctx.ToTerminal(LanguageModuleFileName(project, language))
            << "; see the compiler's messages\n";
    return 1;
  }
  ctx.out << "language module: " << ctx.ToTerminal(module) << "\n";
  return 0;
}

}  // namespace

std::vector<TTopic> BuildTopics() {
  return {
      {"build", "generate and compile the language module of a project for a language",
       "usage: kst build generate PROJECT LANG\n"
       "       kst build compile PROJECT LANG\n"
       "       kst build commandline PROJECT LANG\n"
       "       kst build verify PROJECT LANG\n"
       "  generate writes the translated forms, the string-table and version\n"
       "  resources, the library source and the batch into the language\n"
       "  directory; compile does that and runs the compiler setting\n"
       "  (\"%DelphiBinDir%\\DCC32.EXE\"; without Delphi, the bundled linker),\n"
       "  printing its output, and fails (exit 1) when no module was written;\n"
       "  commandline shows the compiler's command line; verify reads the built\n"
       "  module back and lists every way it is not the original forms with\n"
       "  exactly the translated values, every resource string, the version\n"
       "  information and the custom resources (exit 1 when there is any).\n"
       "  The language's stored translations are loaded first.\n",
       RunBuild},
  };
}

}  // namespace kst::cli
