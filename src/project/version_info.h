// Version information of a project: numbers, flags and string keys with their
// translation for the current language; read from a module's version resource
// and written as the version resource (.RES) of a language module.
//
// Version resource file (little-endian, text UTF-16):
//   empty entry (32) | entry header (32: type 16, name 1, flags 0x0030, lang)
//   VS_VERSION_INFO block: u16 length, u16 52, u16 0, "VS_VERSION_INFO\0", pad,
//     VS_FIXEDFILEINFO (52 bytes from offset 40)
//   StringFileInfo (36-byte header) > table "LLLLCCCC" (24-byte header) >
//     entries: u16 length, u16 value units, u16 1, key\0, pad, value\0, pad
//   VarFileInfo (68 bytes) with "Translation" = language, code page
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kst {

class TIniFile;

// A version resource that cannot be read; the message is for a person.
class EVersionResourceError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

class TVersionInfoLabel {
public:
  std::string Key;
  std::string Value;
  std::string Translation;  // equals Value until translated

  void ResetTranslation() { Translation = Value; }
  // Translations that differ from the original only in letter case do not count.
  bool IsTranslated() const;
};

class TVersionInfo {
public:
  // In order of adding; keys compare without regard to case.
  std::vector<std::unique_ptr<TVersionInfoLabel>> Items;
  bool IncludeVerInfo = false;
  uint16_t MajorVer = 0;
  uint16_t MinorVer = 0;
  uint16_t Release = 0;
  uint16_t Build = 0;
  bool Debug = false;
  bool PreRelease = false;
  bool SpecialBuild = false;
  bool PrivateBuild = false;

  // The existing label of the key (values unchanged), or a new one.
  TVersionInfoLabel& Add(std::string_view key, std::string_view value);
  // The last label of that key, or nullptr.
  TVersionInfoLabel* Find(std::string_view key) const;
  // Frees every label; numbers and flags stay.
  void Clear() { Items.clear(); }
};

// Fills `info` from the data of a module's version resource: sets
// IncludeVerInfo, the numbers, the flags it finds (never clears one) and adds
// the keys of the first string table, converted to 8-bit text in
// `ansiCodePage`. Raises EVersionResourceError: "Invalid Version Resource
// Header Size!" when the fixed part is not 52 bytes, "Invalid Version
// Resource!" when a length points outside the data.
void ReadVersionResource(TVersionInfo& info, std::span<const uint8_t> data, int ansiCodePage);

// The bytes of the version resource file for the language: every label with a
// non-empty translation, escapes resolved, in the language's ANSI code page
// (1252 when the locale data has none). Raises EVersionResourceError when a
// key or value is longer than 4095 UTF-16 units or the block outgrows its
// 16-bit lengths.
std::string BuildVersionResource(const TVersionInfo& info, int languageId);

// The code page the version resource of a language is written in: the
// language's default ANSI code page, 1252 when the locale data has none.
int VersionResourceCodePage(int languageId);

// Fills the numbers, the include flag and the keys from a Delphi options file
// (.DOF): sections "Version Info" and "Version Info Keys".
void ReadVersionOptions(TVersionInfo& info, const TIniFile& options);

// Writes BuildVersionResource to the file (atomically).
void WriteVersionResource(const TVersionInfo& info, const std::string& fileName, int languageId);

}  // namespace kst
