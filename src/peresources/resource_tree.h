// The resource tree of a module: directories (root, types, names) and leaves
// (one per language), with string-table blocks as a leaf of their own.
//
//   IMAGE_RESOURCE_DIRECTORY (16 bytes): ..., +12 u16 NumberOfNamedEntries,
//     +14 u16 NumberOfIdEntries; then that many 8-byte entries, names first
//   entry: u32 Name (high bit: offset of a name string, else the id),
//          u32 OffsetToData (high bit: offset of a subdirectory, else of a
//          data entry); offsets count from the start of the section
//   name string: u16 length, then length UTF-16 code units
//   IMAGE_RESOURCE_DATA_ENTRY (16 bytes): u32 OffsetToData (an RVA), u32 Size,
//     u32 CodePage, u32 Reserved
//   string block: 16 times (u16 length, length UTF-16 code units)
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "peresources/pe_reader.h"

namespace kst {

class TPEResourceSection;
class TPEResourceDirectory;

inline constexpr int RT_STRING_TYPE = 6;

// "#6 [RT_STRING]" for a numbered type; "[<Unknown>]" after the number for
// types without a symbol.
std::string ResourceTypeName(uint32_t typeId);

// Base of every node. Texts are in the module's ANSI code page; nodes live as
// long as the TExefile that made them.
class TPEResourceDirectoryEntry {
public:
  virtual ~TPEResourceDirectoryEntry() = default;
  TPEResourceDirectoryEntry(const TPEResourceDirectoryEntry&) = delete;
  TPEResourceDirectoryEntry& operator=(const TPEResourceDirectoryEntry&) = delete;

  const TPEResourceDirectory* Parent() const { return parent_; }
  int Level() const { return level_; }
  const TPEResourceSection& Section() const { return section_; }
  // "#" + decimal id, or the name string.
  const std::string& Name() const { return nameOwner_->name_; }
  // The id, or for a named entry the offset of its name string.
  int64_t NameID() const { return nameOwner_->nameId_; }
  // The numeric type (-1 until known), or for a named type the name's offset.
  int64_t TypeID() const { return typeOwner_->typeId_; }
  const std::string& TypeName() const { return typeOwner_->typeName_; }
  int LanguageID() const { return languageId_; }
  // The IMAGE_RESOURCE_DIRECTORY_ENTRY in the view; nullptr for the root.
  const uint8_t* Entry() const;

  // Whether the type and the name are name strings, and those strings as
  // UTF-16 (empty for numbered ones), for listings that show them exactly.
  bool TypeIsNamed() const { return typeOwner_->typeNamed_; }
  bool NameIsNamed() const { return nameOwner_->nameNamed_; }
  const std::u16string& TypeNameUtf16() const { return typeOwner_->typeRaw_; }
  const std::u16string& NameUtf16() const { return nameOwner_->nameRaw_; }

protected:
  TPEResourceDirectoryEntry(const TPEResourceSection& section, int64_t entry, int level,
                            const TPEResourceDirectory* parent);
  // Reads the fields the entry defines at this level and takes the others
  // from the parent.
  void FillEntryFields(const TPEReader& reader, int ansiCodePage);

  const TPEResourceSection& section_;
  const TPEResourceDirectory* parent_;
  int level_;
  int64_t entry_;  // offset in the view, -1 for the root

private:
  // The strings live in the node that defines them; descendants point there
  // instead of copying.
  const TPEResourceDirectoryEntry* typeOwner_ = this;
  const TPEResourceDirectoryEntry* nameOwner_ = this;
  int64_t typeId_ = -1;
  int64_t nameId_ = 0;
  int languageId_ = 0;
  bool typeNamed_ = false;
  bool nameNamed_ = false;
  std::string typeName_;
  std::string name_;
  std::u16string typeRaw_;
  std::u16string nameRaw_;
};

class TPEResourceDataEntry;

// Reads the whole tree of the section (an empty root when the section was not
// found); raises EPEResourceError "Invalid Pointer to Resource Data!" for
// anything that lies outside the view, a loop, or a fourth level.
std::unique_ptr<TPEResourceDirectory> ReadResourceTree(const TPEResourceSection& section);

class TPEResourceDirectory : public TPEResourceDirectoryEntry {
public:
  int SubdirectoryCount() const { return static_cast<int>(subdirectories_.size()); }
  const TPEResourceDirectory& Subdirectory(int index) const { return *subdirectories_.at(index); }
  int DataEntryCount() const { return static_cast<int>(dataEntries_.size()); }
  const TPEResourceDataEntry& DataEntry(int index) const { return *dataEntries_.at(index); }
  // The IMAGE_RESOURCE_DIRECTORY in the view; nullptr when there is none (the
  // root of a module without resources).
  const uint8_t* Directory() const;

  ~TPEResourceDirectory() override;

private:
  friend std::unique_ptr<TPEResourceDirectory> ReadResourceTree(const TPEResourceSection& section);
  friend class TTreeBuilder;
  TPEResourceDirectory(const TPEResourceSection& section, int64_t directory, int64_t entry, int level,
                       const TPEResourceDirectory* parent);

  int64_t directory_;  // offset in the view, -1 when none
  std::vector<std::unique_ptr<TPEResourceDirectory>> subdirectories_;
  std::vector<std::unique_ptr<TPEResourceDataEntry>> dataEntries_;
};

class TPEResourceDataEntry : public TPEResourceDirectoryEntry {
public:
  // The IMAGE_RESOURCE_DATA_ENTRY in the view.
  const uint8_t* DataEntryPointer() const;
  // The resource bytes inside the view (checked to lie there when the tree
  // was read).
  std::span<const uint8_t> Data() const { return data_; }
  uint32_t Size() const { return static_cast<uint32_t>(data_.size()); }
  uint32_t CodePage() const { return codePage_; }

protected:
  friend class TTreeBuilder;
  TPEResourceDataEntry(const TPEResourceSection& section, int64_t entry, int level,
                       const TPEResourceDirectory* parent);

  int64_t dataEntry_ = -1;
  std::span<const uint8_t> data_;
  uint32_t codePage_ = 0;
};

// Result of GetString.
struct TPEStringResourceItem {
  bool valid = false;
  int ID = 0;
  std::string text;  // in the module's ANSI code page
};

// A leaf of a string table: a block of 16 strings.
class TPEStringResourceDataEntry : public TPEResourceDataEntry {
public:
  static constexpr int count = 16;

  // Slot `index` (0..15) of the block. Valid when the slot holds a non-empty
  // string; its ID is (block name - 1) * 16 + index. A slot that runs past
  // the block's data, or a block whose name is not a number from 1 to 4096
  // (no string can have such an ID), gives an invalid item.
  TPEStringResourceItem GetString(int index) const;
  // The same slot as UTF-16, unconverted; empty for an invalid slot.
  std::u16string GetStringUtf16(int index) const;

private:
  friend class TTreeBuilder;
  using TPEResourceDataEntry::TPEResourceDataEntry;
  bool SlotText(int index, std::u16string& text) const;
};

}  // namespace kst
