// A PE32 resource-only DLL (a language module) built in memory: no code, no
// imports, one ".rsrc" section holding the resource tree sorted as Windows'
// binary search expects it.
//
//   file offset  size  field
//   0x000        64    DOS header: "MZ", e_lfanew = 0x40 at offset 60
//   0x040        4     "PE\0\0"
//   0x044        20    COFF header: i386, 1 section, 224-byte optional header, DLL
//   0x058        224   optional header (PE32): entry point 0, image base
//                      0x10000000, section alignment 0x1000, file alignment
//                      0x200, checksum at 0x058 + 64, data directory 2 = .rsrc
//   0x138        40    section header ".rsrc": RVA 0x1000, raw data at 0x200
//   0x200        n     .rsrc: root, type and name directories (16 + 8 per entry),
//                      data entries (16), name strings (u16 count + UTF-16),
//                      then the data, each piece 8-aligned; padded to 0x200
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "peresources/res_writer.h"

namespace kst {

struct TLinkedResource {
  TResId type;
  TResId name;
  uint16_t language = 0;
  std::string data;
};

inline constexpr uint32_t kPeSectionAlignment = 0x1000;
inline constexpr uint32_t kPeFileAlignment = 0x200;
inline constexpr uint32_t kPeImageBase = 0x10000000;
inline constexpr uint32_t kPeResourceRva = 0x1000;
// Where the optional header's CheckSum lies in the images written here.
inline constexpr size_t kPeChecksumOffset = 0x40 + 4 + 20 + 64;

// Orders two ids as a resource directory must: names before numbers, names
// by their UTF-16 code units, numbers ascending. Returns <0, 0 or >0.
int CompareResId(const TResId& a, const TResId& b);

// The image of the DLL. Names are stored as given (the linker upper-cases
// them); raises std::invalid_argument when two resources share type, name and
// language, or when the section would outgrow 32-bit offsets.
std::string BuildResourceOnlyDll(std::vector<TLinkedResource> resources);

// The PE checksum Windows checks for drivers and system DLLs (and that
// ImageHlp's CheckSumMappedFile computes): 16-bit one's-complement-style sum
// of the file with the checksum field taken as 0, plus the file length.
uint32_t PeChecksum(std::string_view image, size_t checksumOffset);

}  // namespace kst
