// Opening a module: the DOS and NT header checks, the section table, and the
// resource section whose tree is read at once.
#include "peresources/exe_file.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "platform/file_utils.h"
#include "platform/mapped_file.h"

namespace kst {

namespace {

constexpr uint32_t kNtHeadersSize = 248;  // signature, file header, 224-byte optional header
constexpr uint32_t kSectionHeaderSize = 40;

}  // namespace

TPESection::TPESection(const TExefile& file, const std::string& name) : file_(file), name_(name) {
  TPEReader reader(file.View(), "Invalid NT Header!");
  for (int i = 0; i < file.NumberOfSections(); ++i) {
    int64_t header = static_cast<int64_t>(file.SectionTableOffset()) + int64_t{i} * kSectionHeaderSize;
    reader.Require(header, kSectionHeaderSize);
    std::string_view field = reader.CharsAt(header, 8);
    size_t length = std::min<size_t>(name.size(), 8);
    bool same = field.substr(0, length) == std::string_view(name).substr(0, length) &&
                (length == 8 || field[length] == 0);
    if (!same) continue;
    found_ = true;
    header_ = header;
    virtualAddress_ = reader.U32At(header + 12);
    base_ = reader.U32At(header + 20);
    return;
  }
}

const uint8_t* TPESection::Header() const { return header_ < 0 ? nullptr : file_.View().data() + header_; }

bool TPESection::FindByAddress(uint32_t rva) {
  TPEReader reader(file_.View(), "Invalid NT Header!");
  for (int i = 0; i < file_.NumberOfSections(); ++i) {
    int64_t header = static_cast<int64_t>(file_.SectionTableOffset()) + int64_t{i} * kSectionHeaderSize;
    reader.Require(header, kSectionHeaderSize);
    uint32_t virtualSize = reader.U32At(header + 8);
    uint32_t address = reader.U32At(header + 12);
    uint32_t rawSize = reader.U32At(header + 16);
    uint64_t end = uint64_t{address} + std::max(virtualSize, rawSize);
    if (rva < address || rva >= end || rva - address >= rawSize) continue;
    found_ = true;
    header_ = header;
    virtualAddress_ = rva;
    base_ = reader.U32At(header + 20) + (rva - address);
    return true;
  }
  return false;
}

TPEResourceSection::TPEResourceSection(const TExefile& file) : TPESection(file, ".rsrc") {
  // Data directory entry 2 (resources): RVA and size, 112 bytes into the
  // PE32 optional header.
  TPEReader reader(file.View(), "Invalid NT Header!");
  uint32_t rva = reader.U32At(int64_t{file.NtHeadersOffset()} + 24 + 112);
  uint32_t size = reader.U32At(int64_t{file.NtHeadersOffset()} + 24 + 116);
  bool named = Found() && rva == VirtualAddress();
  if (rva != 0 && size != 0 && !named) FindByAddress(rva);
  root_ = ReadResourceTree(*this);
}

TPEResourceSection::~TPEResourceSection() = default;

TPEReader TPEResourceSection::Reader() const {
  return TPEReader(File().View(), "Invalid Pointer to Resource Data!");
}

TExefile::TExefile(const std::string& fileName, int ansiCodePage) : fileName_(fileName), ansiCodePage_(ansiCodePage) {
  {
    std::error_code ec;
    std::ifstream probe(fileName, std::ios::binary);
    if (!probe || !std::filesystem::is_regular_file(fileName, ec)) throw EPEResourceError("Error opening " + fileName);
  }
  try {
    mapping_ = std::make_unique<TMappedFile>(fileName);
  } catch (const EFileError&) {
    throw EPEResourceError("Error creating file mapping!");
  }
  view_ = mapping_->View();
  ReadHeaders();
  resourceSection_ = std::make_unique<TPEResourceSection>(*this);
}

TExefile::TExefile(std::span<const uint8_t> image, int ansiCodePage) : view_(image), ansiCodePage_(ansiCodePage) {
  ReadHeaders();
  resourceSection_ = std::make_unique<TPEResourceSection>(*this);
}

TExefile::~TExefile() = default;

void TExefile::ReadHeaders() {
  // An empty or short file is simply not a module: the DOS header (64 bytes)
  // must be there in full before e_lfanew is read from it.
  TPEReader dos(view_, "Invalid Dos Header!");
  if (!dos.Fits(0, 64) || dos.U16At(0) != 0x5A4D) dos.Fail();
  int64_t nt = static_cast<int32_t>(dos.U32At(60));
  TPEReader headers(view_, "Invalid NT Header!");
  headers.Require(nt, kNtHeadersSize);
  if (headers.U32At(nt) != 0x00004550) headers.Fail();
  ntHeaders_ = static_cast<uint32_t>(nt);
  numberOfSections_ = headers.U16At(nt + 6);
  // The section table follows the optional header whatever its declared
  // size; for a PE32 module that is the 224 bytes the NT header check covers.
  sectionTable_ = static_cast<uint64_t>(nt) + 24 + headers.U16At(nt + 20);
}

}  // namespace kst
