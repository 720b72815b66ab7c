// Ini-style text files: "[section]" headers and "key=value" lines. Sections
// and keys compare without regard to case; values are kept byte for byte
// (no trimming, no quote stripping, no code-page conversion). Lines the
// accessor does not understand (comments, blank lines) survive a rewrite.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kst {

class TIniFile {
public:
  // Reads the file when it exists; a missing file is an empty ini file. A
  // file that exists but cannot be read raises EFileError.
  explicit TIniFile(std::string fileName);

  const std::string& FileName() const { return fileName_; }

  std::string ReadString(std::string_view section, std::string_view key, std::string_view def) const;
  // Decimal or "$"/"0x" hexadecimal; a value that is not a number gives def.
  int ReadInteger(std::string_view section, std::string_view key, int def) const;
  // A stored integer other than 0 is true; anything unreadable gives def.
  bool ReadBool(std::string_view section, std::string_view key, bool def) const;

  // Each write goes to disk at once (atomically: temporary file + rename)
  // unless an update is open. A value with a line break would corrupt the
  // file, so it is refused with std::invalid_argument.
  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, int value);
  void WriteBool(std::string_view section, std::string_view key, bool value);

  // Adds an empty section when none of that name exists.
  void AddSection(std::string_view section);

  bool SectionExists(std::string_view section) const;
  bool ValueExists(std::string_view section, std::string_view key) const;
  // The keys of a section in file order (as spelled in the file).
  std::vector<std::string> ReadSection(std::string_view section) const;
  std::vector<std::string> ReadSections() const;

  void DeleteKey(std::string_view section, std::string_view key);
  void EraseSection(std::string_view section);

  // Batches writes: the file is written once when the outermost update ends
  // (and only if something changed). Nests.
  void BeginUpdate();
  void EndUpdate();
  // Ends the outermost update without writing: the changes made since it
  // began are dropped and the file's text is read again.
  void EndUpdateDiscard();

  // Writes the file now (atomically), whether or not anything changed.
  void UpdateFile();

  // The text the file would hold, with CR LF line ends.
  std::string ToText() const;

private:
  struct Line {
    std::string key;    // empty for lines that are not "key=value"
    std::string value;  // for key lines
    std::string raw;    // for other lines, as read
    bool isEntry = false;
  };
  struct Section {
    std::string name;
    std::string header;  // the header line as read; empty for the preamble
    std::vector<Line> lines;
  };

  void Parse(std::string_view text);
  const Section* FindSection(std::string_view name) const;
  Section* FindSection(std::string_view name);
  Section& ObtainSection(std::string_view name, bool& created);
  void Changed();

  std::string fileName_;
  std::vector<Section> sections_;  // sections_[0] is the preamble (lines before any header)
  int updateLevel_ = 0;
  bool dirty_ = false;
};

}  // namespace kst
