// Reading and writing version resources.
#include "project/version_info.h"

#include <algorithm>
#include <cstdio>

#include "config/language_info.h"
#include "config/text_helpers.h"
#include "peresources/res_writer.h"
#include "platform/byte_reader.h"
#include "platform/codepage.h"
#include "platform/file_utils.h"
#include "platform/ini_file.h"
#include "platform/same_text.h"

namespace kst {

namespace {

const char kBadResource[] = "Invalid Version Resource!";
constexpr uint32_t kMaxUnits = 4095;

using TVersionBytes = TByteReader<EVersionResourceError>;

// A checked walk over the version block: every length is compared with the
// data before it is followed, so a damaged resource raises instead of
// reading past its end or looping on a zero length.
class TVersionReader {
public:
  TVersionReader(std::span<const uint8_t> data, size_t end) : reader_(data.first(end), kBadResource) {}

  size_t Position() const { return static_cast<size_t>(reader_.Position()); }
  size_t End() const { return static_cast<size_t>(reader_.Size()); }
  void Seek(size_t at) { reader_.Seek(static_cast<int64_t>(at)); }
  void Align(size_t limit) {
    size_t aligned = (Position() + 3) & ~size_t(3);
    Seek(std::min(aligned, limit));
  }
  uint16_t U16() { return reader_.U16(); }

  // UTF-16 up to a 0 unit that lies before `limit`.
  std::u16string ZeroTerminated(size_t limit) {
    std::u16string text;
    for (;;) {
      if (Position() + 2 > limit) reader_.Fail();
      char16_t c = reader_.U16();
      if (c == 0) return text;
      text += c;
    }
  }

  // A node header: its length must cover the header and stay inside `limit`.
  // Linkers of later Delphi versions give an empty value one character
  // (and its padding) that its enclosing blocks do not count; Windows reads
  // such a node as ending with its block, and so do we. Anything further
  // out is damage.
  size_t NodeEnd(size_t start, uint16_t length, size_t limit) {
    if (length < 6 || start + length > limit + 4) reader_.Fail();
    return std::min(start + length, limit);
  }

private:
  TVersionBytes reader_;
};

void ReadStringTable(TVersionInfo& info, TVersionReader& r, size_t childEnd, int ansiCodePage) {
  r.Align(childEnd);
  size_t tableStart = r.Position();
  size_t tableEnd = r.NodeEnd(tableStart, r.U16(), childEnd);
  r.U16();
  r.U16();
  r.ZeroTerminated(tableEnd);
  while (r.Position() < tableEnd) {
    r.Align(tableEnd);
    if (r.Position() >= tableEnd) break;
    size_t entryStart = r.Position();
    size_t entryEnd = r.NodeEnd(entryStart, r.U16(), tableEnd);
    r.U16();
    r.U16();
    std::u16string key = r.ZeroTerminated(entryEnd);
    r.Align(entryEnd);
    std::u16string value = r.Position() < entryEnd ? r.ZeroTerminated(entryEnd) : std::u16string();
    info.Add(Utf16ToCodePage(key, ansiCodePage), Utf16ToCodePage(value, ansiCodePage));
    r.Seek(entryEnd);
  }
}

void WriteUtf16Z(TByteWriter& out, std::u16string_view text) {
  out.Utf16(text);
  out.U16(0);
}

uint16_t CheckedLength(size_t length) {
  if (length > 0xFFFF) throw EVersionResourceError("The version information is too large for a version resource");
  return static_cast<uint16_t>(length);
}

}  // namespace

bool TVersionInfoLabel::IsTranslated() const { return !SameText(Value, Translation); }

TVersionInfoLabel& TVersionInfo::Add(std::string_view key, std::string_view value) {
  if (TVersionInfoLabel* existing = Find(key)) return *existing;
  auto label = std::make_unique<TVersionInfoLabel>();
  label->Key = std::string(key);
  label->Value = std::string(value);
  label->Translation = std::string(value);
  Items.push_back(std::move(label));
  return *Items.back();
}

TVersionInfoLabel* TVersionInfo::Find(std::string_view key) const {
  for (auto it = Items.rbegin(); it != Items.rend(); ++it)
    if (SameText((*it)->Key, key)) return it->get();
  return nullptr;
}

void ReadVersionResource(TVersionInfo& info, std::span<const uint8_t> data, int ansiCodePage) {
  if (data.size() < 92) throw EVersionResourceError(kBadResource);
  TVersionBytes fixed(data, kBadResource);
  if (fixed.U16At(2) != 52) throw EVersionResourceError("Invalid Version Resource Header Size!");
  // The block's own length bounds the walk: padding after it is not a child.
  size_t blockLength = fixed.U16At(0);
  if (blockLength < 92 || blockLength > data.size()) throw EVersionResourceError(kBadResource);

  info.IncludeVerInfo = true;
  uint32_t fileHigh = fixed.U32At(48), fileLow = fixed.U32At(52), flags = fixed.U32At(68);
  info.MajorVer = static_cast<uint16_t>(fileHigh >> 16);
  info.MinorVer = static_cast<uint16_t>(fileHigh);
  info.Release = static_cast<uint16_t>(fileLow >> 16);
  info.Build = static_cast<uint16_t>(fileLow);
  if (flags & 0x01) info.Debug = true;
  if (flags & 0x02) info.PreRelease = true;
  if (flags & 0x08) info.PrivateBuild = true;
  if (flags & 0x20) info.SpecialBuild = true;

  TVersionReader r(data, blockLength);
  r.Seek(92);
  bool stringsRead = false;
  while (r.Position() < r.End()) {
    r.Align(r.End());
    if (r.Position() >= r.End()) break;
    size_t childStart = r.Position();
    size_t childEnd = r.NodeEnd(childStart, r.U16(), r.End());
    r.U16();
    r.U16();
    std::u16string key = r.ZeroTerminated(childEnd);
    // Only the first string table is read; later ones are skipped like any
    // other child.
    if (!stringsRead && SameText(Utf16ToCodePage(key, 1252), "StringFileInfo")) {
      stringsRead = true;
      ReadStringTable(info, r, childEnd, ansiCodePage);
    }
    r.Seek(childEnd);
  }
}

int VersionResourceCodePage(int languageId) {
  int codePage = 1252;
  std::string cpText = LanguageInfoText(languageId, LOCALE_IDEFAULTANSICODEPAGE, 1252);
  if (IsAllDigits(cpText) && cpText.size() < 6) codePage = std::stoi(cpText);
  // Unicode-only locales have no ANSI code page; their texts are taken as 1252.
  return codePage == 0 ? 1252 : codePage;
}

std::string BuildVersionResource(const TVersionInfo& info, int languageId) {
  int codePage = VersionResourceCodePage(languageId);
  const uint16_t language = static_cast<uint16_t>(languageId);

  TResWriter res;
  TResHeaderFields fields;
  fields.memoryFlags = 0x0030;
  fields.language = language;
  res.BeginResource(TResId::Number(16), TResId::Number(1), fields);
  TByteWriter& out = res.Out();

  size_t block = out.Size();
  out.U16(0);
  out.U16(52);
  out.U16(0);
  WriteUtf16Z(out, u"VS_VERSION_INFO");
  out.PadTo(4);
  uint32_t high = (uint32_t(info.MajorVer) << 16) | info.MinorVer;
  uint32_t low = (uint32_t(info.Release) << 16) | info.Build;
  uint32_t flags = (info.Debug ? 0x01 : 0) | (info.PreRelease ? 0x02 : 0) | (info.PrivateBuild ? 0x08 : 0) |
                   (info.SpecialBuild ? 0x20 : 0);
  for (uint32_t v : {0xFEEF04BDu, 0x00010000u, high, low, high, low, 0x3Fu, flags, 4u, 2u, 0u, 0u, 0u}) out.U32(v);

  size_t strings = out.Size();
  out.U16(0);
  out.U16(0);
  out.U16(0);
  WriteUtf16Z(out, u"StringFileInfo");
  out.PadTo(4);
  size_t table = out.Size();
  out.U16(0);
  out.U16(0);
  out.U16(0);
  char key[9];
  std::snprintf(key, sizeof key, "%04X%04X", language, codePage & 0xFFFF);
  WriteUtf16Z(out, Utf8ToUtf16(key));
  out.PadTo(4);

  for (const auto& label : info.Items) {
    if (label->Translation.empty()) continue;
    std::u16string k = CodePageToUtf16(label->Key, codePage);
    std::u16string v = CodePageToUtf16(DecodeFullEscapes(label->Translation), codePage);
    if (k.size() > kMaxUnits || v.size() > kMaxUnits)
      throw EVersionResourceError("The version information \"" + label->Key + "\" is too long for a version resource");
    size_t entry = out.Size();
    out.U16(0);
    out.U16(static_cast<uint16_t>(v.size() + 1));
    out.U16(1);
    WriteUtf16Z(out, k);
    out.PadTo(4);
    WriteUtf16Z(out, v);
    out.PadTo(4);
    out.Patch16(entry, CheckedLength(out.Size() - entry));
  }
  out.Patch16(table, CheckedLength(out.Size() - table));
  out.Patch16(strings, CheckedLength(out.Size() - strings));

  out.U16(68);
  out.U16(0);
  out.U16(0);
  WriteUtf16Z(out, u"VarFileInfo");
  out.PadTo(4);
  out.U16(36);
  out.U16(4);
  out.U16(0);
  WriteUtf16Z(out, u"Translation");
  out.PadTo(4);
  out.U16(language);
  out.U16(static_cast<uint16_t>(codePage));

  out.Patch16(block, CheckedLength(out.Size() - block));
  res.EndResource();
  return res.Take();
}

void ReadVersionOptions(TVersionInfo& info, const TIniFile& options) {
  info.IncludeVerInfo = options.ReadInteger("Version Info", "IncludeVerInfo", 0) != 0;
  info.MajorVer = static_cast<uint16_t>(options.ReadInteger("Version Info", "MajorVer", 0));
  info.MinorVer = static_cast<uint16_t>(options.ReadInteger("Version Info", "MinorVer", 0));
  info.Release = static_cast<uint16_t>(options.ReadInteger("Version Info", "Release", 0));
  info.Build = static_cast<uint16_t>(options.ReadInteger("Version Info", "Build", 0));
  for (const std::string& key : options.ReadSection("Version Info Keys"))
    info.Add(key, options.ReadString("Version Info Keys", key, ""));
}

void WriteVersionResource(const TVersionInfo& info, const std::string& fileName, int languageId) {
  AtomicWriteFile(fileName, BuildVersionResource(info, languageId));
}

}  // namespace kst
