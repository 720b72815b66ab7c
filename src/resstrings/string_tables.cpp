// String-table script and string-table resource writers.
#include "resstrings/string_tables.h"

#include <array>
#include <memory>
#include <string_view>
#include <vector>

#include "config/interaction.h"
#include "config/language_info.h"
#include "config/text_helpers.h"
#include "peresources/exe_file.h"
#include "peresources/res_writer.h"
#include "platform/codepage.h"
#include "platform/file_utils.h"
#include "resstrings/resource_strings.h"

namespace kst {

namespace {

// Data entries first, then subdirectories: in a sound tree a directory has
// only one kind, and a stray leaf beside the subdirectories must not hide
// the strings below them.
void ScriptLines(const TPEResourceDirectory& directory, std::string& out) {
  for (int i = 0; i < directory.DataEntryCount(); ++i) {
    auto* block = dynamic_cast<const TPEStringResourceDataEntry*>(&directory.DataEntry(i));
    if (!block) continue;
    for (int slot = 0; slot < TPEStringResourceDataEntry::count; ++slot) {
      TPEStringResourceItem item = block->GetString(slot);
      if (!item.valid) continue;
      out += "\t" + std::to_string(item.ID) + ",\t\"" + EncodeEscapes(item.text) + "\"\r\n";
    }
  }
  for (int i = 0; i < directory.SubdirectoryCount(); ++i) {
    const TPEResourceDirectory& sub = directory.Subdirectory(i);
    if (directory.Level() == 0 && (sub.TypeIsNamed() || sub.TypeID() != RT_STRING_TYPE)) continue;
    ScriptLines(sub, out);
  }
}

// A string-table slot counts its code units in 16 bits.
constexpr size_t kMaxSlotUnits = 0xFFFF;

}  // namespace

std::string StringTableScript(const TExefile& module) {
  std::string out = "STRINGTABLE\r\nBEGIN\r\n";
  ScriptLines(module.ResourceSection().Root(), out);
  return out + "END\r\n";
}

void WriteStringTableScript(const TExefile& module, const std::string& fileName) {
  AtomicWriteFile(fileName, StringTableScript(module));
}

std::string StringTableResource(const TResourceStringsHelper& strings, int codePage) {
  // Only the blocks in use get their 16 slots.
  std::vector<std::unique_ptr<std::array<std::u16string, 16>>> blocks(4096);
  for (int i = 0; i < strings.Count(); ++i) {
    const TResourceStrListItem& item = strings.Item(i);
    if (item.ID < 0 || item.ID > 65535) continue;
    std::u16string text = CodePageToUtf16(DecodeFullEscapes(item.TranslatedValue), codePage);
    // A longer text would overflow the slot's count and garble every later
    // slot of the block; it is cut where Windows' limit is (never inside a
    // surrogate pair).
    if (text.size() > kMaxSlotUnits) {
      size_t keep = kMaxSlotUnits;
      if (text[keep - 1] >= 0xD800 && text[keep - 1] < 0xDC00) --keep;
      text.resize(keep);
    }
    auto& block = blocks[item.ID / 16];
    if (!block) block = std::make_unique<std::array<std::u16string, 16>>();
    (*block)[item.ID % 16] = std::move(text);
  }
  TResWriter writer;
  // Sized once, so that a large table is not copied on every growth.
  size_t total = 32;
  for (const auto& block : blocks) {
    if (!block) continue;
    size_t data = 32 + 32;
    for (const std::u16string& text : *block) data += text.size() * 2;
    total += (data + 3) & ~size_t{3};
  }
  writer.Out().Reserve(total);
  for (int block = 0; block < 4096; ++block) {
    if (!blocks[block]) continue;
    writer.BeginResource(TResId::Number(6), TResId::Number(static_cast<uint16_t>(block + 1)), {});
    for (int slot = 0; slot < 16; ++slot) {
      const std::u16string& text = (*blocks[block])[slot];
      writer.Out().U16(static_cast<uint16_t>(text.size()));
      writer.Out().Utf16(text);
    }
    writer.EndResource();
  }
  return writer.Take();
}

void WriteStringTableResource(const TResourceStringsHelper& strings, const std::string& fileName, int languageId,
                              const TSystemCodePages& system, TStatusHint& hint) {
  TStatusScope scope(&hint, TShow::Hint, "Writing Translation File " + ExtractFileName(fileName) + "...");
  AtomicWriteFile(fileName, StringTableResource(strings, LanguageAnsiCodePage(languageId, system)));
}

}  // namespace kst
