// A 32-bit Windows module (EXE, DLL, BPL) opened read-only through a memory
// mapping: its headers, a section found by name, and the resource section
// with its tree. Nothing is copied; every node points into the mapped view.
//
//   offset             size  field
//   0                  2     "MZ"
//   60                 4     e_lfanew: offset of the NT headers
//   nt + 0             4     "PE\0\0"
//   nt + 6             2     NumberOfSections
//   nt + 20            2     SizeOfOptionalHeader (224 for PE32)
//   nt + 24 + optional 40*n  section headers: name[8], VirtualSize, VirtualAddress,
//                            SizeOfRawData, PointerToRawData, ...
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "peresources/pe_reader.h"
#include "peresources/resource_tree.h"

namespace kst {

class TMappedFile;
class TExefile;

// One section of the module, found by its 8-byte name.
class TPESection {
public:
  // Looks for the first section header whose name field equals `name`
  // (case-sensitive, at most 8 characters, a shorter name ends with a zero).
  TPESection(const TExefile& file, const std::string& name);
  virtual ~TPESection() = default;
  TPESection(const TPESection&) = delete;
  TPESection& operator=(const TPESection&) = delete;

  const TExefile& File() const { return file_; }
  bool Found() const { return found_; }
  const std::string& Name() const { return name_; }
  // The IMAGE_SECTION_HEADER in the view; nullptr when not found.
  const uint8_t* Header() const;
  // Where the section's bytes start in the file (PointerToRawData), and its
  // VirtualAddress; both 0 when not found.
  uint32_t BaseOffset() const { return base_; }
  uint32_t VirtualAddress() const { return virtualAddress_; }

protected:
  // Takes the section whose data holds the relative virtual address `rva`
  // instead, with the base moved to that address; false when none does.
  bool FindByAddress(uint32_t rva);

private:
  const TExefile& file_;
  bool found_ = false;
  std::string name_;
  int64_t header_ = -1;
  uint32_t base_ = 0;
  uint32_t virtualAddress_ = 0;
};

// The resource section and the resource tree read from it. Windows finds a
// module's resources through the resource entry of the optional header's
// data directory, whatever the section is called; that entry is followed
// when it points into a section, and the section named ".rsrc" is used
// otherwise. A module with neither has an empty tree (a root with no
// directory and no children).
class TPEResourceSection : public TPESection {
public:
  explicit TPEResourceSection(const TExefile& file);
  ~TPEResourceSection() override;

  const TPEResourceDirectory& Root() const { return *root_; }

  // The checked reader over the whole view; every offset of the tree goes
  // through it.
  TPEReader Reader() const;

private:
  std::unique_ptr<TPEResourceDirectory> root_;
};

class TExefile {
public:
  // Opens, maps and reads the resource tree. Names and strings are converted
  // to `ansiCodePage`. Raises EPEResourceError with "Error opening %s",
  // "Error creating file mapping!", "Invalid Dos Header!", "Invalid NT
  // Header!" or "Invalid Pointer to Resource Data!"; whatever was acquired is
  // released.
  TExefile(const std::string& fileName, int ansiCodePage);
  // The same over bytes the caller keeps alive as long as this object (for
  // tests and fuzzing).
  TExefile(std::span<const uint8_t> image, int ansiCodePage);
  ~TExefile();
  TExefile(const TExefile&) = delete;
  TExefile& operator=(const TExefile&) = delete;

  const std::string& FileName() const { return fileName_; }
  std::span<const uint8_t> View() const { return view_; }
  int AnsiCodePage() const { return ansiCodePage_; }
  // Offset of the NT headers and of the first section header in the view.
  uint32_t NtHeadersOffset() const { return ntHeaders_; }
  uint64_t SectionTableOffset() const { return sectionTable_; }
  int NumberOfSections() const { return numberOfSections_; }

  const TPEResourceSection& ResourceSection() const { return *resourceSection_; }

private:
  void ReadHeaders();

  std::string fileName_;
  std::unique_ptr<TMappedFile> mapping_;
  std::span<const uint8_t> view_;
  int ansiCodePage_;
  uint32_t ntHeaders_ = 0;
  uint64_t sectionTable_ = 0;
  int numberOfSections_ = 0;
  std::unique_ptr<TPEResourceSection> resourceSection_;
};

}  // namespace kst
