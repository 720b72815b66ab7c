// Custom resources: compiled resource files that every language module links,
// each with the file linked in its place for the current language; and the
// resource file written from the other resources of an imported module.
//
// Custom-resource file (little-endian): the 32-byte empty entry, then per
// resource: u32 data size, u32 header size, type, name (0xFFFF + u16 id, or
// each byte of the name as one u16 unit + u16 0), zero pad to 4, u32 0,
// u16 memory flags 0, u16 language 0 (neutral), u32 0, u32 0, the data, pad.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kst {

class TCustomResource {
public:
  std::string FileName;        // may hold path macros
  std::string TranslatedFile;  // linked for the current language; empty: nothing

  void ResetTranslation() { TranslatedFile = FileName; }
  // A file name that differs only in letter case is the same file.
  bool IsTranslated() const;
};

class TCustomResources {
public:
  // In order of adding; names compare without regard to case.
  std::vector<std::unique_ptr<TCustomResource>> Items;

  // The existing entry of that name, or a new one.
  TCustomResource& Add(std::string_view fileName);
  // The last entry of that name, or nullptr.
  TCustomResource* Find(std::string_view fileName) const;
  void Remove(std::string_view fileName);
  void Clear() { Items.clear(); }
};

// One resource of a module as its reader hands it over: type and name as
// "#" + decimal digits for a number, otherwise the name; the data is not
// copied.
struct TModuleResource {
  std::string type;
  std::string name;
  uint16_t language = 0;
  std::span<const uint8_t> data;
};

// The custom-resource file for these resources, in their order, language
// neutral except where one type and name occur in several languages (which
// keep theirs, since a file must not hold one resource twice). Raises
// std::invalid_argument when a type and name together exceed the 255 units
// the format allows (never cut: the resource would be linked under another
// name).
std::string BuildCustomResourceFile(const std::vector<TModuleResource>& resources);

}  // namespace kst
