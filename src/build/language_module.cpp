// The library source, the build batch and the compiler run of a language
// module.
#include "build/language_module.h"

#include <filesystem>
#include <optional>

#include "config/interaction.h"
#include "config/language_info.h"
#include "config/path_macros.h"
#include "config/registry_settings.h"
#include "formmodel/form_writer.h"
#include "platform/file_utils.h"
#include "project/project_data.h"
#include "project/version_info.h"
#include "resstrings/string_tables.h"

namespace kst {

namespace {

// Without a project every name would fall into the current directory.
void RequireOpenProject(const TProjectData& project) {
  if (project.FileName.empty()) throw EProjectError("No project is open");
}

std::string LibraryFileName(const TProjectData& project, int languageId, const char* ext) {
  return ChangeFileExt(project.TranslatedFileName(project.FileName, languageId), ext);
}

// The name after "library" must be an identifier; a module file named
// "my-app.exe" gets "my_app". The compiler names its output after the
// source file, so the module keeps the file's own name.
std::string LibraryIdentifier(std::string name) {
  for (char& c : name)
    if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_')) c = '_';
  if (name.empty() || (name[0] >= '0' && name[0] <= '9')) name = "_" + name;
  return name;
}

}  // namespace

std::string CompilerCommandLine(const TProjectData& project, int languageId) {
  std::string compiler = ExpandPathMacros(project.Registry().Dcc32Path(), project.Registry());
  return "\"" + compiler + "\" -e\"" + project.GetOutputDirectory(false, languageId) + "\" -n\"" +
         project.TranslationDirectory(project.FileName, languageId) + "\" \"" +
         LibraryFileName(project, languageId, ".dpr") + "\"";
}

std::string LanguageModuleFileName(const TProjectData& project, int languageId) {
  std::string lib = ExtractFileName(LibraryFileName(project, languageId, ""));
  return ResolveFileNameCase(project.GetOutputDirectory(false, languageId) + "/" + lib + "." +
                             LanguageAbbreviation(languageId));
}

void GenerateLanguageModule(TProjectData& project, int languageId) {
  RequireOpenProject(project);
  TStatusScope hint(&project.Interaction(), TShow::Hint, "Generating Translation...");
  std::string lib = LibraryFileName(project, languageId, ".dpr");
  ForceDirectories(ExtractFileDir(lib));
  const std::string& file = project.FileName;
  std::string versionRes = project.VersionResourceFileName(file, languageId);
  std::string libName = ChangeFileExt(ExtractFileName(lib), "");
  std::string stringRes = project.StringResourceFileName(file, languageId);
  std::string batch = project.BuildBatchFileName(file, languageId);
  std::string log = project.BuildLogFileName(file, languageId);

  WriteStringTableResource(project.ResourceStrings, stringRes, languageId, project.SystemCodePages(),
                           project.Interaction());
  WriteVersionResource(project.VersionInfo, versionRes, languageId);

  std::string source;
  auto line = [&](const std::string& text) { source += text + "\r\n"; };
  auto link = [&](const std::string& path) { line("{$R '" + path + "'}"); };
  line("//");
  line("// Language module generated using Kestrin Translator");
  line("//");
  line("library " + LibraryIdentifier(libName) + ";");
  line("//TRN <Marker, please do not modify this line!");
  line("{$E " + LanguageAbbreviation(languageId) + "}");
  line("{--- Forms ---}");
  // Translations are texts in the language's code page.
  TFormEnvironment environment = project.FormEnvironment();
  environment.codePage = LanguageAnsiCodePage(languageId, project.SystemCodePages());
  for (const TModuleEntry& m : project.Modules) {
    std::string translated = project.ExpandFileName(project.TranslatedFileName(m.Name, languageId));
    if (!m.Module->Root) continue;
    ForceDirectories(ExtractFileDir(translated));
    WriteForm(*m.Module->Root, translated, true, environment);
    link(translated);
  }
  line("{--- Version Info ---}");
  if (project.VersionInfo.IncludeVerInfo)
    link(versionRes);
  else
    line("// Library does not include a version information!");
  line("{--- Resource Strings ---}");
  link(stringRes);
  line("{--- Custom Resources ---}");
  for (const auto& r : project.CustomResources.Items)
    if (!r->TranslatedFile.empty()) link(project.ExpandFileName(r->TranslatedFile));
  line("end.");
  AtomicWriteFile(lib, source);

  std::string commandLine = CompilerCommandLine(project, languageId);
  std::string text;
  text += "@ECHO OFF\r\n";
  text += "  ECHO TRANSLATION BUILDFILE >\"" + log + "\"\r\n";
  text += "  " + commandLine + " >>\"" + log + "\"\r\n";
  text += "  IF ERRORLEVEL 1 GOTO OOPS\r\n";
  text += "  Goto end\r\n";
  text += ":OOPS\r\n";
  text += "  ECHO **** ERRORS FOUND! **** >>\"" + log + "\"\r\n";
  text += ":END\r\n";
  text += "  TYPE \"" + log + "\"\r\n";
  AtomicWriteFile(batch, text);
}

void BuildLanguageModule(TProjectData& project, int languageId, TBusyCursorStack& busy, TCompilerOutputSink& sink,
                         const TCompilerRunLimits& limits) {
  RequireOpenProject(project);
  TStatusScope scope(busy, "Compiling...");
  ForceDirectories(ExtractFileDir(LibraryFileName(project, languageId, ".DPR")));
  RunCompiler(CompilerCommandLine(project, languageId), sink, limits);
}

std::optional<std::filesystem::file_time_type> LanguageModuleStamp(const TProjectData& project, int languageId) {
  std::error_code ec;
  auto time = std::filesystem::last_write_time(LanguageModuleFileName(project, languageId), ec);
  if (ec) return std::nullopt;
  return time;
}

std::string CompileLanguageModule(TProjectData& project, int languageId, TBusyCursorStack& busy,
                                  TCompilerOutputSink& sink, const TCompilerRunLimits& limits) {
  auto before = LanguageModuleStamp(project, languageId);
  BuildLanguageModule(project, languageId, busy, sink, limits);
  auto after = LanguageModuleStamp(project, languageId);
  return after && after != before ? LanguageModuleFileName(project, languageId) : std::string();
}

}  // namespace kst
