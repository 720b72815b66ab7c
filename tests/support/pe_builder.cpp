// The in-memory PE32 builder of the reader's tests.
#include "support/pe_builder.h"

#include <map>

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

bool SameKey(const TKey& a, const TKey& b) { return a.named == b.named && (a.named ? a.name == b.name : a.id == b.id); }

struct TName {
  TKey key;
  std::vector<const TLeafInput*> leaves;
};
struct TType {
  TKey key;
  std::vector<TName> names;
};

}  // namespace

TBuiltPe BuildPe(const std::vector<TLeafInput>& leaves, const std::string& sectionName, int sectionsBefore) {
  std::vector<TType> types;
  for (const TLeafInput& leaf : leaves) {
    TType* type = nullptr;
    for (auto& t : types)
      if (SameKey(t.key, leaf.type)) type = &t;
    if (!type) type = &types.emplace_back(TType{leaf.type, {}});
    TName* name = nullptr;
    for (auto& n : type->names)
      if (SameKey(n.key, leaf.name)) name = &n;
    if (!name) name = &type->names.emplace_back(TName{leaf.name, {}});
    name->leaves.push_back(&leaf);
  }

  TBuiltPe pe;
  // Offsets inside the section: directories, spare directory, data entries,
  // name strings, data.
  uint32_t at = 16 + 8 * static_cast<uint32_t>(types.size());
  for (auto& t : types) {
    pe.typeDirectories.push_back(at);
    at += 16 + 8 * static_cast<uint32_t>(t.names.size());
  }
  for (auto& t : types)
    for (auto& n : t.names) {
      pe.nameDirectories.push_back(at);
      at += 16 + 8 * static_cast<uint32_t>(n.leaves.size());
    }
  pe.spareDirectory = at;
  at += 16;
  for (size_t i = 0; i < leaves.size(); ++i) {
    pe.dataEntries.push_back(at);
    at += 16;
  }
  std::map<std::string, uint32_t> nameOffsets;
  auto nameOffset = [&](const TKey& key) {
    auto [it, fresh] = nameOffsets.emplace(key.name, at);
    if (fresh) at += 2 + 2 * static_cast<uint32_t>(key.name.size());
    return it->second;
  };
  for (auto& t : types) {
    if (t.key.named) nameOffset(t.key);
    for (auto& n : t.names)
      if (n.key.named) nameOffset(n.key);
  }
  at = (at + 3) & ~3u;

  const uint32_t sectionRva = 0x1000 * (1 + sectionsBefore);
  std::string rsrc;
  auto keyField = [&](const TKey& key) { return key.named ? 0x80000000u | nameOffsets.at(key.name) : key.id; };
  auto directory = [&](uint32_t offset, const auto& keys) {
    uint16_t named = 0, ids = 0;
    for (const TKey* k : keys) (k->named ? named : ids)++;
    Put16(rsrc, offset + 12, named);
    Put16(rsrc, offset + 14, ids);
  };
  std::vector<const TKey*> keys;
  for (auto& t : types) keys.push_back(&t.key);
  directory(0, keys);
  size_t nameIndex = 0, leafIndex = 0;
  for (size_t ti = 0; ti < types.size(); ++ti) {
    Put32(rsrc, 16 + 8 * ti, keyField(types[ti].key));
    Put32(rsrc, 16 + 8 * ti + 4, 0x80000000u | pe.typeDirectories[ti]);
    keys.clear();
    for (auto& n : types[ti].names) keys.push_back(&n.key);
    directory(pe.typeDirectories[ti], keys);
    for (size_t ni = 0; ni < types[ti].names.size(); ++ni, ++nameIndex) {
      const TName& n = types[ti].names[ni];
      uint32_t nameDir = pe.nameDirectories[nameIndex];
      Put32(rsrc, pe.typeDirectories[ti] + 16 + 8 * ni, keyField(n.key));
      Put32(rsrc, pe.typeDirectories[ti] + 16 + 8 * ni + 4, 0x80000000u | nameDir);
      Put16(rsrc, nameDir + 14, static_cast<uint16_t>(n.leaves.size()));
      for (size_t li = 0; li < n.leaves.size(); ++li, ++leafIndex) {
        const TLeafInput& leaf = *n.leaves[li];
        uint32_t entry = pe.dataEntries[leafIndex];
        Put32(rsrc, nameDir + 16 + 8 * li, leaf.language);
        Put32(rsrc, nameDir + 16 + 8 * li + 4, entry);
        Put32(rsrc, entry, sectionRva + at);
        Put32(rsrc, entry + 4, static_cast<uint32_t>(leaf.data.size()));
        Put32(rsrc, entry + 8, 1252);
        rsrc.resize(at);
        rsrc += leaf.data;
        at = (static_cast<uint32_t>(rsrc.size()) + 3) & ~3u;
      }
    }
  }
  for (auto& [name, offset] : nameOffsets) {
    Put16(rsrc, offset, static_cast<uint16_t>(name.size()));
    for (size_t i = 0; i < name.size(); ++i) Put16(rsrc, offset + 2 + 2 * i, static_cast<uint8_t>(name[i]));
  }
  rsrc.resize((rsrc.size() + 511) & ~size_t{511});

  const uint32_t ntAt = 0x80;
  const int sections = sectionsBefore + 1;
  const uint32_t headersEnd = 0x200;
  std::string image(headersEnd, '\0');
  image[0] = 'M';
  image[1] = 'Z';
  Put32(image, 60, ntAt);
  Put32(image, ntAt, 0x00004550);
  Put16(image, ntAt + 4, 0x014C);
  Put16(image, ntAt + 6, static_cast<uint16_t>(sections));
  Put16(image, ntAt + 20, 224);
  Put16(image, ntAt + 24, 0x010B);
  uint32_t table = ntAt + 248;
  uint32_t fileAt = headersEnd;
  for (int i = 0; i < sections; ++i) {
    uint32_t h = table + 40 * i;
    bool resources = i == sectionsBefore;
    std::string name = resources ? sectionName : ".data" + std::to_string(i);
    for (size_t c = 0; c < name.size() && c < 8; ++c) image[h + c] = name[c];
    uint32_t size = resources ? static_cast<uint32_t>(rsrc.size()) : 512;
    Put32(image, h + 8, size);
    Put32(image, h + 12, 0x1000 * (1 + i));
    Put32(image, h + 16, size);
    Put32(image, h + 20, fileAt);
    if (resources) pe.sectionFileOffset = fileAt;
    fileAt += size;
  }
  for (int i = 0; i < sectionsBefore; ++i) image += std::string(512, '\x11');
  image += rsrc;
  pe.image = image;
  pe.sectionRva = sectionRva;
  return pe;
}

}  // namespace kst::test
