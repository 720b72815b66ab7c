// The resource-only DLL: resource section layout, headers and checksum.
#include "build/pe_writer.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

#include "platform/byte_reader.h"

namespace kst {

namespace {

constexpr uint16_t kMachineI386 = 0x014C;
// EXECUTABLE_IMAGE | LINE_NUMS_STRIPPED | LOCAL_SYMS_STRIPPED | 32BIT_MACHINE
// | DLL. Relocations are not marked stripped: with no code there is nothing
// to fix up, so the loader may place the module anywhere.
constexpr uint16_t kDllCharacteristics = 0x0002 | 0x0004 | 0x0008 | 0x0100 | 0x2000;
constexpr uint32_t kRsrcCharacteristics = 0x40000040;  // INITIALIZED_DATA | MEM_READ
constexpr uint32_t kHeadersEnd = 0x40 + 4 + 20 + 224 + 40;

uint32_t AlignUp(uint64_t value, uint32_t alignment) {
  uint64_t aligned = (value + alignment - 1) / alignment * alignment;
  if (aligned > std::numeric_limits<uint32_t>::max()) throw std::invalid_argument("Resource section too large");
  return static_cast<uint32_t>(aligned);
}

struct TNameNode {
  const TResId* name;
  std::vector<const TLinkedResource*> leaves;  // by language
};

struct TTypeNode {
  const TResId* type;
  std::vector<TNameNode> names;
};

// Named entries come first in a directory and count separately.
void DirectoryHeader(TByteWriter& out, uint16_t named, uint16_t numbered) {
  out.U32(0);  // characteristics
  out.U32(0);  // time stamp: 0 keeps the output reproducible
  out.U16(0);
  out.U16(0);
  out.U16(named);
  out.U16(numbered);
}

template <typename Node, typename IdOf>
std::pair<uint16_t, uint16_t> CountKinds(const std::vector<Node>& nodes, IdOf idOf) {
  uint16_t named = 0;
  for (const Node& n : nodes)
    if (!idOf(n).numeric) ++named;
  return {named, static_cast<uint16_t>(nodes.size() - named)};
}

std::string BuildResourceSection(const std::vector<TTypeNode>& types) {
  // Offsets first: directories, then data entries, then strings, then data.
  uint64_t pos = 16 + 8 * uint64_t(types.size());
  std::vector<uint32_t> typeDir, nameDir;
  for (const TTypeNode& t : types) {
    typeDir.push_back(static_cast<uint32_t>(pos));
    pos += 16 + 8 * uint64_t(t.names.size());
  }
  for (const TTypeNode& t : types)
    for (const TNameNode& n : t.names) {
      nameDir.push_back(static_cast<uint32_t>(pos));
      pos += 16 + 8 * uint64_t(n.leaves.size());
    }
  uint64_t dataEntries = pos;
  size_t leafCount = 0;
  for (const TTypeNode& t : types)
    for (const TNameNode& n : t.names) leafCount += n.leaves.size();
  pos += 16 * uint64_t(leafCount);
  if (pos > std::numeric_limits<uint32_t>::max() / 2) throw std::invalid_argument("Resource section too large");

  TByteWriter out;
  // Strings are written as they come up and patched into the entries after.
  std::vector<std::pair<size_t, const TResId*>> namePatches;
  auto entry = [&](const TResId& id, uint32_t target, bool directory) {
    if (id.numeric) {
      out.U32(id.id);
    } else {
      namePatches.emplace_back(out.Size(), &id);
      out.U32(0);
    }
    out.U32(directory ? (0x80000000u | target) : target);
  };

  auto [namedTypes, numberedTypes] = CountKinds(types, [](const TTypeNode& t) -> const TResId& { return *t.type; });
  DirectoryHeader(out, namedTypes, numberedTypes);
  for (size_t i = 0; i < types.size(); ++i) entry(*types[i].type, typeDir[i], true);
  size_t nameIndex = 0;
  for (const TTypeNode& t : types) {
    auto [named, numbered] = CountKinds(t.names, [](const TNameNode& n) -> const TResId& { return *n.name; });
    DirectoryHeader(out, named, numbered);
    for (const TNameNode& n : t.names) entry(*n.name, nameDir[nameIndex++], true);
  }
  uint32_t leafIndex = 0;
  for (const TTypeNode& t : types)
    for (const TNameNode& n : t.names) {
      DirectoryHeader(out, 0, static_cast<uint16_t>(n.leaves.size()));
      for (const TLinkedResource* leaf : n.leaves) {
        out.U32(leaf->language);
        out.U32(static_cast<uint32_t>(dataEntries + 16 * leafIndex++));
      }
    }
  // Data entries with their addresses still open.
  std::vector<size_t> rvaAt;
  for (const TTypeNode& t : types)
    for (const TNameNode& n : t.names)
      for (const TLinkedResource* leaf : n.leaves) {
        rvaAt.push_back(out.Placeholder32());
        out.U32(static_cast<uint32_t>(leaf->data.size()));
        out.U32(0);  // code page
        out.U32(0);
      }
  for (auto [at, id] : namePatches) {
    if (id->name.size() > 0xFFFF) throw std::invalid_argument("Resource name too long");
    out.Patch32(at, 0x80000000u | static_cast<uint32_t>(out.Size()));
    out.U16(static_cast<uint16_t>(id->name.size()));
    out.Utf16(id->name);
  }
  size_t leaf = 0;
  for (const TTypeNode& t : types)
    for (const TNameNode& n : t.names)
      for (const TLinkedResource* r : n.leaves) {
        out.PadTo(8);
        if (out.Size() + uint64_t(r->data.size()) > std::numeric_limits<uint32_t>::max() - kPeResourceRva - 0x1000)
          throw std::invalid_argument("Resource section too large");
        out.Patch32(rvaAt[leaf++], kPeResourceRva + static_cast<uint32_t>(out.Size()));
        out.Bytes(r->data);
      }
  return out.Take();
}

}  // namespace

int CompareResId(const TResId& a, const TResId& b) {
  if (a.numeric != b.numeric) return a.numeric ? 1 : -1;
  if (a.numeric) return a.id < b.id ? -1 : a.id > b.id ? 1 : 0;
  return a.name.compare(b.name) < 0 ? -1 : a.name == b.name ? 0 : 1;
}

uint32_t PeChecksum(std::string_view image, size_t checksumOffset) {
  uint64_t sum = 0;
  TByteReader<std::logic_error> words(image, "PeChecksum read past the image");
  while (!words.AtEnd()) {
    uint64_t at = words.Position();
    // An odd last byte counts as a word with a zero high byte.
    uint32_t word = words.Remaining() >= 2 ? words.U16() : words.U8();
    if (at == checksumOffset || at == checksumOffset + 2) continue;
    sum += word;
    sum = (sum & 0xFFFF) + (sum >> 16);
  }
  sum = (sum & 0xFFFF) + (sum >> 16);
  return static_cast<uint32_t>(sum + image.size());
}

std::string BuildResourceOnlyDll(std::vector<TLinkedResource> resources) {
  std::stable_sort(resources.begin(), resources.end(), [](const TLinkedResource& a, const TLinkedResource& b) {
    if (int c = CompareResId(a.type, b.type)) return c < 0;
    if (int c = CompareResId(a.name, b.name)) return c < 0;
    return a.language < b.language;
  });
  std::vector<TTypeNode> types;
  for (size_t i = 0; i < resources.size(); ++i) {
    const TLinkedResource& r = resources[i];
    if (i > 0 && CompareResId(resources[i - 1].type, r.type) == 0 && CompareResId(resources[i - 1].name, r.name) == 0 &&
        resources[i - 1].language == r.language)
      throw std::invalid_argument("Duplicate resource");
    if (types.empty() || CompareResId(*types.back().type, r.type) != 0) types.push_back({&r.type, {}});
    auto& names = types.back().names;
    if (names.empty() || CompareResId(*names.back().name, r.name) != 0) names.push_back({&r.name, {}});
    names.back().leaves.push_back(&r);
  }
  // A directory counts its entries in 16 bits.
  if (types.size() > 0xFFFF) throw std::invalid_argument("Too many resource types");
  for (const TTypeNode& t : types) {
    if (t.names.size() > 0xFFFF) throw std::invalid_argument("Too many resource names");
    for (const TNameNode& n : t.names)
      if (n.leaves.size() > 0xFFFF) throw std::invalid_argument("Too many resource languages");
  }
  std::string section = BuildResourceSection(types);
  uint32_t virtualSize = static_cast<uint32_t>(section.size());
  uint32_t rawSize = AlignUp(section.size(), kPeFileAlignment);
  uint32_t headersSize = AlignUp(kHeadersEnd, kPeFileAlignment);
  uint32_t imageSize = AlignUp(uint64_t(kPeResourceRva) + virtualSize, kPeSectionAlignment);

  TByteWriter out;
  out.Reserve(headersSize + rawSize);
  out.U16(0x5A4D);  // "MZ"
  while (out.Size() < 60) out.U8(0);
  out.U32(0x40);
  out.U32(0x00004550);  // "PE\0\0"
  out.U16(kMachineI386);
  out.U16(1);
  out.U32(0);  // time stamp
  out.U32(0);
  out.U32(0);
  out.U16(224);
  out.U16(kDllCharacteristics);
  // Optional header.
  out.U16(0x010B);
  out.U8(2);   // linker version
  out.U8(25);
  out.U32(0);                  // SizeOfCode
  out.U32(rawSize);            // SizeOfInitializedData
  out.U32(0);                  // SizeOfUninitializedData
  out.U32(0);                  // AddressOfEntryPoint: resource-only
  out.U32(kPeResourceRva);     // BaseOfCode
  out.U32(kPeResourceRva);     // BaseOfData
  out.U32(kPeImageBase);
  out.U32(kPeSectionAlignment);
  out.U32(kPeFileAlignment);
  out.U16(4);  // operating system version 4.0
  out.U16(0);
  out.U16(0);  // image version
  out.U16(0);
  out.U16(4);  // subsystem version 4.0
  out.U16(0);
  out.U32(0);  // Win32VersionValue
  out.U32(imageSize);
  out.U32(headersSize);
  out.U32(0);  // CheckSum, patched below
  out.U16(2);  // Windows GUI
  out.U16(0);  // DllCharacteristics
  out.U32(0x100000);  // stack reserve / commit, heap reserve / commit
  out.U32(0x1000);
  out.U32(0x100000);
  out.U32(0x1000);
  out.U32(0);   // LoaderFlags
  out.U32(16);  // NumberOfRvaAndSizes
  for (int dir = 0; dir < 16; ++dir) {
    out.U32(dir == 2 ? kPeResourceRva : 0);
    out.U32(dir == 2 ? virtualSize : 0);
  }
  // Section header.
  out.Bytes(std::string_view(".rsrc\0\0\0", 8));
  out.U32(virtualSize);
  out.U32(kPeResourceRva);
  out.U32(rawSize);
  out.U32(headersSize);
  out.U32(0);  // relocations, line numbers and their counts
  out.U32(0);
  out.U16(0);
  out.U16(0);
  out.U32(kRsrcCharacteristics);
  out.PadTo(kPeFileAlignment);
  out.Bytes(section);
  out.PadTo(kPeFileAlignment);
  out.Patch32(kPeChecksumOffset, PeChecksum(out.Data(), kPeChecksumOffset));
  return out.Take();
}

}  // namespace kst
