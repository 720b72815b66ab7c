// The in-memory PE32 builder of the reader's tests.
#include "support/pe_builder.h"

#include <algorithm>
#include <map>
#include <utility>

namespace kst::test {

void Put16(std::string& s, size_t at, uint16_t v) {
  if (s.size() < at + 2) s.resize(at + 2);
  s[at] = static_cast<char>(v);
  s[at + 1] = static_cast<char>(v >> 8);
}

void Put32(std::string& s, size_t at, uint32_t v) {
  Put16(s, at, static_cast<uint16_t>(v));
  Put16(s, at + 2, static_cast<uint16_t>(v >> 16));
}

std::string StringBlock(const std::vector<std::pair<int, std::u16string>>& slots) {
  std::u16string texts[16];
  for (auto& [slot, text] : slots) texts[slot] = text;
  std::string data;
  for (auto& text : texts) {
    Put16(data, data.size(), static_cast<uint16_t>(text.size()));
    for (char16_t c : text) Put16(data, data.size(), c);
  }
  return data;
}

namespace {

// A level of the tree: its keys in the order they first come, each with what lies below it.
template <class T>
using TLevel = std::vector<std::pair<TKey, T>>;

template <class T>
T& Below(TLevel<T>& level, const TKey& key) {
  for (auto& [k, below] : level)
    if (k.named == key.named && (k.named ? k.name == key.name : k.id == key.id)) return below;
  return level.emplace_back(key, T{}).second;
}

template <class T>
uint16_t NamedCount(const TLevel<T>& level) {
  uint16_t named = 0;
  for (auto& entry : level) named += entry.first.named;
  return named;
}

}  // namespace

TBuiltPe BuildPe(const std::vector<TLeafInput>& leaves, const std::string& sectionName, int sectionsBefore) {
  TLevel<TLevel<std::vector<const TLeafInput*>>> types;
  for (const TLeafInput& leaf : leaves) Below(Below(types, leaf.type), leaf.name).push_back(&leaf);

  // Offsets inside the section: directories, data entries, name strings, data.
  TBuiltPe pe;
  std::vector<uint32_t> typeDirs, nameDirs;
  uint32_t at = 16 + 8 * static_cast<uint32_t>(types.size());
  for (auto& [type, names] : types) typeDirs.push_back(std::exchange(at, at + 16 + 8 * names.size()));
  for (auto& [type, names] : types)
    for (auto& [name, list] : names) nameDirs.push_back(std::exchange(at, at + 16 + 8 * list.size()));
  for (size_t i = 0; i < leaves.size(); ++i, at += 16) pe.dataEntries.push_back(at);
  std::map<std::string, uint32_t> nameOffsets;
  auto placeName = [&](const TKey& key) {
    if (key.named && nameOffsets.emplace(key.name, at).second) at += 2 + 2 * static_cast<uint32_t>(key.name.size());
  };
  for (auto& [type, names] : types) {
    placeName(type);
    for (auto& [name, list] : names) placeName(name);
  }
  at = (at + 3) & ~3u;

  const uint32_t sectionRva = 0x1000 * (1 + sectionsBefore);
  std::string rsrc;
  auto header = [&](uint32_t directory, uint16_t named, size_t entries) {
    Put16(rsrc, directory + 12, named);
    Put16(rsrc, directory + 14, static_cast<uint16_t>(entries - named));
  };
  auto entry = [&](uint32_t directory, size_t i, const TKey& key, uint32_t target) {
    Put32(rsrc, directory + 16 + 8 * i, key.named ? 0x80000000u | nameOffsets.at(key.name) : key.id);
    Put32(rsrc, directory + 20 + 8 * i, target);
  };
  header(0, NamedCount(types), types.size());
  size_t nameIndex = 0, leafIndex = 0;
  for (size_t ti = 0; ti < types.size(); ++ti) {
    auto& [type, names] = types[ti];
    entry(0, ti, type, 0x80000000u | typeDirs[ti]);
    header(typeDirs[ti], NamedCount(names), names.size());
    for (size_t ni = 0; ni < names.size(); ++ni, ++nameIndex) {
      const uint32_t nameDir = nameDirs[nameIndex];
      auto& [name, list] = names[ni];
      entry(typeDirs[ti], ni, name, 0x80000000u | nameDir);
      header(nameDir, 0, list.size());
      for (size_t li = 0; li < list.size(); ++li, ++leafIndex) {
        const uint32_t dataEntry = pe.dataEntries[leafIndex];
        entry(nameDir, li, list[li]->language, dataEntry);
        Put32(rsrc, dataEntry, sectionRva + at);
        Put32(rsrc, dataEntry + 4, static_cast<uint32_t>(list[li]->data.size()));
        Put32(rsrc, dataEntry + 8, 1252);
        rsrc.resize(at);
        rsrc += list[li]->data;
        at = (static_cast<uint32_t>(rsrc.size()) + 3) & ~3u;
      }
    }
  }
  for (auto& [name, offset] : nameOffsets) {
    Put16(rsrc, offset, static_cast<uint16_t>(name.size()));
    for (size_t i = 0; i < name.size(); ++i) Put16(rsrc, offset + 2 + 2 * i, static_cast<uint8_t>(name[i]));
  }
  rsrc.resize((rsrc.size() + 511) & ~size_t{511});

  // The DOS header, the NT headers (i386, PE32) at 0x80, the section table;
  // the sections from 0x200, the resources last.
  const uint32_t nt = 0x80;
  const int sections = sectionsBefore + 1;
  std::string image(0x200, '\0');
  image.replace(0, 2, "MZ");
  Put32(image, 60, nt);
  Put32(image, nt, 0x00004550);
  Put16(image, nt + 4, 0x014C);
  Put16(image, nt + 6, static_cast<uint16_t>(sections));
  Put16(image, nt + 20, 224);
  Put16(image, nt + 24, 0x010B);
  uint32_t fileAt = 0x200;
  for (int i = 0; i < sections; ++i) {
    const uint32_t h = nt + 248 + 40 * i;
    const bool resources = i == sectionsBefore;
    const std::string name = resources ? sectionName : ".data" + std::to_string(i);
    image.replace(h, std::min<size_t>(name.size(), 8), name, 0, 8);
    const uint32_t size = resources ? static_cast<uint32_t>(rsrc.size()) : 512;
    Put32(image, h + 8, size);
    Put32(image, h + 12, 0x1000 * (1 + i));
    Put32(image, h + 16, size);
    Put32(image, h + 20, fileAt);
    if (resources) pe.sectionFileOffset = fileAt;
    fileAt += size;
  }
  pe.image = image + std::string(512 * sectionsBefore, '\x11') + rsrc;
  return pe;
}

}  // namespace kst::test
