// Reading the resource tree: every directory, entry, name string, data entry
// and data range is checked against the mapped view before it is followed.
#include "peresources/resource_tree.h"

#include <unordered_set>

#include "peresources/exe_file.h"
#include "platform/codepage.h"

namespace kst {

namespace {

constexpr uint32_t kHighBit = 0x80000000u;
constexpr const char* kInvalidData = "Invalid Pointer to Resource Data!";

}  // namespace

std::string ResourceTypeName(uint32_t typeId) {
  static const char* const kSymbols[] = {
      nullptr,         "[RT_CURSOR]",       "[RT_BITMAP]",      "[RT_ICON]",
      "[RT_MENU]",     "[RT_DIALOG]",       "[RT_STRING]",      "[RT_FONTDIR]",
      "[RT_FONT]",     "[RT_ACCELERATOR]",  "[RT_RCDATA]",      "[RT_MESSAGETABLE]",
      "[RT_GROUP_CURSOR]", nullptr,         "[RT_GROUP_ICON]",  nullptr,
      "[RT_VERSION]"};
  const char* symbol = typeId < std::size(kSymbols) && kSymbols[typeId] ? kSymbols[typeId] : "[<Unknown>]";
  return "#" + std::to_string(typeId) + " " + symbol;
}

TPEResourceDirectoryEntry::TPEResourceDirectoryEntry(const TPEResourceSection& section, int64_t entry, int level,
                                                     const TPEResourceDirectory* parent)
    : section_(section), parent_(parent), level_(level), entry_(entry) {}

const uint8_t* TPEResourceDirectoryEntry::Entry() const {
  return entry_ < 0 ? nullptr : section_.File().View().data() + entry_;
}

namespace {

// A name string at `offset` from the section's start; raises when any of it
// lies outside the view.
std::u16string ReadNameString(const TPEReader& reader, const TPEResourceSection& section, uint32_t offset) {
  int64_t at = int64_t{section.BaseOffset()} + offset;
  return reader.Utf16At(at + 2, reader.U16At(at));
}

}  // namespace

void TPEResourceDirectoryEntry::FillEntryFields(const TPEReader& reader, int ansiCodePage) {
  if (parent_) {
    const TPEResourceDirectoryEntry* parent = parent_;
    typeOwner_ = parent->typeOwner_;
    nameOwner_ = parent->nameOwner_;
    languageId_ = parent->languageId_;
  }
  if (entry_ < 0 || level_ == 0) return;
  uint32_t nameField = reader.U32At(entry_);
  bool named = (nameField & kHighBit) != 0;
  uint32_t value = nameField & ~kHighBit;
  if (level_ == 1) {
    typeOwner_ = this;
    typeNamed_ = named;
    typeId_ = value;
    if (named) {
      typeRaw_ = ReadNameString(reader, section_, value);
      // The whole name, not the first 255 bytes: a cut name would find no
      // resource when the translated module is built.
      typeName_ = Utf16ToCodePage(typeRaw_, ansiCodePage);
    } else {
      typeName_ = ResourceTypeName(value);
    }
  } else if (level_ == 2) {
    nameOwner_ = this;
    nameNamed_ = named;
    nameId_ = value;
    if (named) {
      nameRaw_ = ReadNameString(reader, section_, value);
      name_ = Utf16ToCodePage(nameRaw_, ansiCodePage);
    } else {
      name_ = "#" + std::to_string(value);
    }
  } else if (level_ == 3) {
    languageId_ = static_cast<int>(nameField & 0xFFFF);
  }
}

TPEResourceDirectory::TPEResourceDirectory(const TPEResourceSection& section, int64_t directory, int64_t entry,
                                           int level, const TPEResourceDirectory* parent)
    : TPEResourceDirectoryEntry(section, entry, level, parent), directory_(directory) {}

TPEResourceDirectory::~TPEResourceDirectory() = default;

const uint8_t* TPEResourceDirectory::Directory() const {
  return directory_ < 0 ? nullptr : section_.File().View().data() + directory_;
}

TPEResourceDataEntry::TPEResourceDataEntry(const TPEResourceSection& section, int64_t entry, int level,
                                           const TPEResourceDirectory* parent)
    : TPEResourceDirectoryEntry(section, entry, level, parent) {}

const uint8_t* TPEResourceDataEntry::DataEntryPointer() const {
  return dataEntry_ < 0 ? nullptr : section_.File().View().data() + dataEntry_;
}

bool TPEStringResourceDataEntry::SlotText(int index, std::u16string& text) const {
  // Only blocks 1..4096 hold the ids 0..65535; any other name would give
  // every string a made-up ID.
  if (index < 0 || index >= count || NameIsNamed() || NameID() < 1 || NameID() > 4096) return false;
  TPEReader reader(data_, kInvalidData);
  for (int k = 0;; ++k) {
    if (reader.Remaining() < 2) return false;
    uint16_t length = reader.U16();
    if (uint64_t{length} * 2 > reader.Remaining()) return false;
    if (k == index) {
      if (length == 0) return false;
      text = reader.Utf16(length);
      return true;
    }
    reader.Skip(uint64_t{length} * 2);
  }
}

TPEStringResourceItem TPEStringResourceDataEntry::GetString(int index) const {
  TPEStringResourceItem item;
  std::u16string text;
  if (!SlotText(index, text)) return item;
  item.valid = true;
  item.ID = static_cast<int>((NameID() - 1) * 16 + index);
  item.text = Utf16ToCodePage(text, section_.File().AnsiCodePage());
  return item;
}

std::u16string TPEStringResourceDataEntry::GetStringUtf16(int index) const {
  std::u16string text;
  SlotText(index, text);
  return text;
}

// Builds the tree depth first. Three rules keep a hostile file from making it
// loop or explode: a resource tree has three levels, so a directory below the
// names is an error; a directory reached a second time (a loop, or a subtree
// shared between entries) is an error; and the tree may not have more nodes
// than the view has room for 8-byte entries.
class TTreeBuilder {
public:
  TTreeBuilder(const TPEResourceSection& section, const TPEReader& reader, int ansiCodePage)
      : section_(section), reader_(reader), ansiCodePage_(ansiCodePage),
        nodeBudget_(reader.Size() / 8 + 1) {}

  void Build(TPEResourceDirectory& directory) {
    directory.FillEntryFields(reader_, ansiCodePage_);
    if (directory.directory_ < 0) return;
    if (!seen_.insert(directory.directory_).second) reader_.Fail();
    int64_t at = directory.directory_;
    reader_.Require(at, 16);
    uint32_t count = uint32_t{reader_.U16At(at + 12)} + reader_.U16At(at + 14);
    reader_.Require(at + 16, uint64_t{count} * 8);
    if (count > nodeBudget_ - nodes_) reader_.Fail();
    nodes_ += count;
    int64_t base = section_.BaseOffset();
    for (uint32_t i = 0; i < count; ++i) {
      int64_t entry = at + 16 + int64_t{i} * 8;
      uint32_t offset = reader_.U32At(entry + 4);
      if (!(offset & kHighBit)) continue;
      if (directory.Level() >= 2) reader_.Fail();
      auto sub = std::unique_ptr<TPEResourceDirectory>(new TPEResourceDirectory(
          section_, base + (offset & ~kHighBit), entry, directory.Level() + 1, &directory));
      Build(*sub);
      directory.subdirectories_.push_back(std::move(sub));
    }
    bool strings = directory.TypeID() == RT_STRING_TYPE;
    for (uint32_t i = 0; i < count; ++i) {
      int64_t entry = at + 16 + int64_t{i} * 8;
      uint32_t offset = reader_.U32At(entry + 4);
      if (offset & kHighBit) continue;
      std::unique_ptr<TPEResourceDataEntry> leaf(
          strings ? new TPEStringResourceDataEntry(section_, entry, directory.Level() + 1, &directory)
                  : new TPEResourceDataEntry(section_, entry, directory.Level() + 1, &directory));
      leaf->FillEntryFields(reader_, ansiCodePage_);
      ReadLeaf(*leaf, base + offset);
      directory.dataEntries_.push_back(std::move(leaf));
    }
  }

private:
  void ReadLeaf(TPEResourceDataEntry& leaf, int64_t dataEntry) {
    reader_.Require(dataEntry, 16);
    leaf.dataEntry_ = dataEntry;
    uint32_t rva = reader_.U32At(dataEntry);
    uint32_t size = reader_.U32At(dataEntry + 4);
    leaf.codePage_ = reader_.U32At(dataEntry + 8);
    int64_t data = int64_t{section_.BaseOffset()} + rva - int64_t{section_.VirtualAddress()};
    reader_.Require(data, size);
    leaf.data_ = section_.File().View().subspan(static_cast<size_t>(data), size);
  }

  const TPEResourceSection& section_;
  const TPEReader& reader_;
  int ansiCodePage_;
  uint64_t nodeBudget_;
  uint64_t nodes_ = 0;
  std::unordered_set<int64_t> seen_;
};

std::unique_ptr<TPEResourceDirectory> ReadResourceTree(const TPEResourceSection& section) {
  std::unique_ptr<TPEResourceDirectory> root(
      new TPEResourceDirectory(section, section.Found() ? int64_t{section.BaseOffset()} : -1, -1, 0, nullptr));
  TPEReader reader = section.Reader();
  TTreeBuilder(section, reader, section.File().AnsiCodePage()).Build(*root);
  return root;
}

}  // namespace kst
