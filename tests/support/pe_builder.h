// Small PE32 images built in memory for the reader's tests: headers, a
// section table and one resource section laid out as a linker would.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kst::test {

// A resource type or name: a number, or a name string (ASCII here).
struct TKey {
  bool named = false;
  uint32_t id = 0;
  std::string name;
  TKey(uint32_t i) : id(i) {}  // NOLINT: numbers read naturally in tables
  TKey(const char* n) : named(true), name(n) {}
};

struct TLeafInput {
  TKey type, name;
  uint16_t language;
  std::string data;
};

struct TBuiltPe {
  std::string image;
  uint32_t sectionFileOffset = 0;  // PointerToRawData of the resource section
  std::vector<uint32_t> dataEntries;  // offsets inside the section, in directory order
};

// The section is named `sectionName`; `sectionsBefore` other sections come first.
TBuiltPe BuildPe(const std::vector<TLeafInput>& leaves, const std::string& sectionName = ".rsrc",
                 int sectionsBefore = 0);

// A string block's data: 16 slots, the given ones filled.
std::string StringBlock(const std::vector<std::pair<int, std::u16string>>& slots);

// Little-endian writes, growing the string as needed.
void Put16(std::string& s, size_t at, uint16_t v);
void Put32(std::string& s, size_t at, uint32_t v);

}  // namespace kst::test
