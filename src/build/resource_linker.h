// The language-module linker behind ktlink: reads a generated library source
// and the resource files it links, and writes the resource-only DLL. It takes
// the compiler's command line, so it can stand in for the Delphi compiler.
//
//   16-bit resource file (binary form file), entries to the end of the file:
//     type: 0xFF + u16 id, or NUL-terminated 8-bit name; name: the same;
//     u16 memory flags; u32 data size; the data (no padding)
//   32-bit .RES file, entries each padded to 4 (the first one empty):
//     u32 DataSize, u32 HeaderSize, type, name (0xFFFF + u16 id, or
//     NUL-terminated UTF-16), pad to 4, u32 DataVersion, u16 MemoryFlags,
//     u16 LanguageId, u32 Version, u32 Characteristics, data, pad to 4
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "build/pe_writer.h"

namespace kst {

// A link that cannot go on. what() is "FILE(LINE) Error: message", the form
// compilers use, so that a log pane or an editor can jump to the line.
class ELinkError : public std::runtime_error {
public:
  ELinkError(const std::string& file, int line, const std::string& message)
      : std::runtime_error(file + "(" + std::to_string(line) + ") Error: " + message) {}
};

struct TLibraryLink {
  std::string file;  // as written in the source
  int line = 0;
};

struct TLibrarySource {
  std::string name;              // after "library"
  std::string extension = "dll";  // from {$E ...}
  std::vector<TLibraryLink> links;
  int lines = 0;
};

// Reads the library source: "library NAME;", compiler directives ({$E ext},
// {$R 'file'} or {$R file}, others ignored), comments of the three kinds,
// an optional empty "begin", and "end.". Anything else (a uses clause, code)
// is refused, since no code is compiled. Raises ELinkError naming
// `fileName` and the line.
TLibrarySource ParseLibrarySource(std::string_view text, const std::string& fileName);

// The resources of a 32-bit .RES file (every entry but the empty ones) or of
// a 16-bit resource file such as a binary form file, whose 8-bit names are
// read in `ansiCodePage` and get language 0. Names are upper-cased, as the
// resource compiler does: Windows looks names up in upper case. Raises
// std::runtime_error with the reason for a damaged or unknown file.
std::vector<TLinkedResource> ReadLinkedResources(std::span<const uint8_t> bytes, int ansiCodePage);

struct TLinkerOptions {
  std::string exeOutputDir;   // -e; empty: beside the source
  std::string unitOutputDir;  // -n; nothing is written there
  std::string source;         // the library source; ".dpr" is added when it has no extension
};

// The command line after the program name: "-eDIR", "-nDIR" (values may be
// quoted), other switches of the compiler accepted and ignored, one source.
// Raises std::invalid_argument with a usage message.
TLinkerOptions ParseLinkerArguments(const std::vector<std::string>& args);

struct TLinkSummary {
  std::string outputFile;
  int lines = 0;
  size_t resources = 0;
  size_t bytes = 0;
};

// Links the module and writes it atomically. Every linked file and every
// warning is reported through `print` (one line each, no line end). Paths
// may use "\" and are found without regard to case; relative ones are taken
// from the source's directory. Raises ELinkError; the output is then not
// written.
TLinkSummary LinkLanguageModule(const TLinkerOptions& options, int ansiCodePage,
                                const std::function<void(const std::string&)>& print);

}  // namespace kst
