// kst build: generate the sources of a language module, compile it (the
// compiler's output streams to stdout), or show the compiler's command line.
#include <ctime>
#include <filesystem>
#include <ostream>

#include "build/language_module.h"
#include "cli.h"
#include "config/language_info.h"
#include "config/registry_settings.h"
#include "platform/file_utils.h"
#include "project/project_data.h"
#include "session/translation_session.h"

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

int RunBuild(TContext& ctx, const std::vector<std::string>& args) {
  if (args.size() != 3) throw EUsageError("expected: ACTION PROJECT LANG");
  const std::string& action = args[0];
  if (action != "generate" && action != "compile" && action != "commandline")
    throw EUsageError("unknown action \"" + action + "\"");
  int language = ParseLanguageArgument(args[2]);
  TTranslatorRegistry registry(ctx.registry);
  TProjectData project(registry, ctx.interaction, ctx.system);
  TTranslationSession session(project, nullptr, ctx.interaction);
  // The generated source names every file by its full path; a relative one
  // would be read against the compiler's directory, not ours.
  session.OpenProject(std::filesystem::absolute(args[1]).lexically_normal().string());
  // The module carries the language's stored translations, as the main
  // window has them loaded when it generates.
  session.SelectLanguage(language);
  if (action == "commandline") {
    ctx.out << ctx.ToTerminal(CompilerCommandLine(project, language)) << "\n";
    return 0;
  }
  if (action == "compile") ctx.out << "--- " << Now() << " ----\n";
  GenerateLanguageModule(project, language);
  std::string source = ChangeFileExt(project.TranslatedFileName(project.FileName, language), ".dpr");
  if (action == "generate") {
    ctx.out << "generated: " << ctx.ToTerminal(source) << "\n";
    return 0;
  }
  std::string module = project.GetOutputDirectory(false, language) + "/" +
                       ChangeFileExt(ExtractFileName(source), "." + LanguageAbbreviation(language));
  // A module left by an earlier compile must not pass for this one's.
  auto stamp = [&]() {
    std::error_code ec;
    auto time = std::filesystem::last_write_time(ResolveFileNameCase(module), ec);
    return ec ? std::filesystem::file_time_type::min() : time;
  };
  auto before = stamp();
  TBusyCursorStack busy(ctx.interaction);
  TOemToAnsiSink sink([&](const std::string& ansi) { ctx.out << ctx.ToTerminal(ansi) << std::flush; }, ctx.system);
  BuildLanguageModule(project, language, busy, sink);
  if (stamp() == std::filesystem::file_time_type::min() || stamp() == before) {
    ctx.err << "no language module was written to " << ctx.ToTerminal(module) << "; see the compiler's messages\n";
    return 1;
  }
  ctx.out << "language module: " << ctx.ToTerminal(ResolveFileNameCase(module)) << "\n";
  return 0;
}

}  // namespace

std::vector<TTopic> BuildTopics() {
  return {
      {"build", "generate and compile the language module of a project for a language",
       "usage: kst build generate PROJECT LANG\n"
       "       kst build compile PROJECT LANG\n"
       "       kst build commandline PROJECT LANG\n"
       "  generate writes the translated forms, the string-table and version\n"
       "  resources, the library source and the batch into the language\n"
       "  directory; compile does that and runs the compiler setting\n"
       "  (\"%DelphiBinDir%\\DCC32.EXE\"; without Delphi, the bundled linker),\n"
       "  printing its output, and fails (exit 1) when no module was written;\n"
       "  commandline shows the compiler's command line.\n"
       "  The language's stored translations are loaded first.\n",
       RunBuild},
  };
}

}  // namespace kst::cli
