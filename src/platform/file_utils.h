// File-system services the program needs from the platform: whole-file reads,
// atomic writes, time stamps, temporary names, and case-insensitive lookup of
// names that come from Windows files.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace kst {

// A file could not be read or written; the message names the file and the
// system's reason, ready to show to a person.
class EFileError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// Backslashes are separators in paths that come from Delphi files, settings
// written on Windows and the program's own defaults; inside the program paths
// use "/". A leading pair of separators (a network path) stays a pair.
std::string ToInternalPath(std::string_view path);

// A path that names its file wherever the program runs: it starts at a root
// ("/", "\\") or a Windows drive ("C:").
bool IsAbsolutePath(std::string_view path);
// `path` as an absolute internal path: taken against `baseDirectory` when it
// is relative (the current directory when that is empty), "." and ".."
// resolved lexically.
std::string AbsolutePath(std::string_view path, std::string_view baseDirectory = {});

// The directory part (without the trailing separator; "" when there is none),
// the name part, and the extension (with its dot; "" when there is none).
std::string ExtractFileDir(std::string_view path);
std::string ExtractFileName(std::string_view path);
std::string ExtractFileExt(std::string_view path);
std::string ChangeFileExt(std::string_view path, std::string_view ext);

bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);

// Finds the file a Windows-written path means: the path as it stands when
// that exists, otherwise the entry whose name matches without regard to case,
// component by component. Returns the path unchanged when nothing matches.
std::string ResolveFileNameCase(std::string_view path);

// Reads a whole file; raises EFileError when it cannot.
std::string ReadFileBytes(const std::string& path);

// Writes the whole content to a temporary file in the same directory, flushes
// it to disk and renames it over the target, so that a crash or a full disk
// leaves the previous file intact. Raises EFileError; the temporary file is
// removed on failure.
void AtomicWriteFile(const std::string& path, std::string_view content);

// Creates the directory and its missing parents; raises EFileError.
void ForceDirectories(const std::string& path);

// The last-write time of the file as a date-time (days since 1899-12-30,
// local time, with the fraction of the day), or 0 when the file cannot be
// opened.
double FileTimeStamp(const std::string& path);

// Converts between a date-time and seconds since the Unix epoch (local time).
double UnixTimeToDateTime(double unixSeconds);

// A new, empty, uniquely named file in the system's temporary directory
// (TMPDIR, else /tmp) whose name begins with the prefix. Raises EFileError.
std::string NewTemporaryFileName(std::string_view prefix = "KST");

// The directory of the running program.
std::string ProgramDirectory();

// Where the program keeps a user's data by default: $XDG_DATA_HOME/kestrin,
// else ~/.local/share/kestrin (not created here).
std::string UserDataDirectory();

}  // namespace kst
