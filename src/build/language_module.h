// Generating and compiling the language module of one target language: the
// translated forms, string table and version resource, the library source
// that links them, the build batch, and the compiler run.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "build/compiler_run.h"

namespace kst {

class TProjectData;
class TBusyCursorStack;

// The compiler's command line for the language: "COMPILER" -e"EXEDIR"
// -n"UNITDIR" "LIBRARY.dpr", the compiler setting with its path macros
// expanded.
std::string CompilerCommandLine(const TProjectData& project, int languageId);

// The language module the compile writes: the output directory, the
// library's name and the language's abbreviation as its extension.
std::string LanguageModuleFileName(const TProjectData& project, int languageId);

// Writes every file the compile needs into the language's translation
// directory from the model as it stands (which must hold the language's
// translations): the forms that have a tree, the string-table and version
// resources, the library source and the batch. Shows "Generating
// Translation..." as the status hint and restores the previous hint, also
// after an error. Raises the file system's and the writers' errors; files
// written before the error stay. Raises EProjectError when no project is open.
void GenerateLanguageModule(TProjectData& project, int languageId);

// Runs the compiler on the generated source, with "Compiling..." on the busy
// cursor stack; its output goes to `sink` piece by piece. A failed compile
// returns normally (its messages are in the output). Raises ECompileError,
// and EProjectError when no project is open.
void BuildLanguageModule(TProjectData& project, int languageId, TBusyCursorStack& busy, TCompilerOutputSink& sink,
                         const TCompilerRunLimits& limits = {});

// The module's last-write time, nothing when there is no module: taken
// before and after a compile, it tells whether the compile wrote one.
std::optional<std::filesystem::file_time_type> LanguageModuleStamp(const TProjectData& project, int languageId);

// BuildLanguageModule, then whether the compile wrote the module: its file
// name when it did, "" when it did not (a module left by an earlier compile
// does not count). The compiler's exit code says nothing reliable, so the
// module's time stamp decides.
std::string CompileLanguageModule(TProjectData& project, int languageId, TBusyCursorStack& busy,
                                  TCompilerOutputSink& sink, const TCompilerRunLimits& limits = {});

}  // namespace kst
