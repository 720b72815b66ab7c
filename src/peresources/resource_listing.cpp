// The resource listing: leaf lines, string blocks and the text escapes.
#include "peresources/resource_listing.h"

#include <cstdio>

#include "peresources/exe_file.h"
#include "peresources/sha256.h"

namespace kst {

namespace {

void AppendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

std::string Hex(const char* format, uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

// Calls `f(codePoint, isLoneSurrogate)` for each character of the text.
template <class F>
void ForEachCodePoint(std::u16string_view text, F f) {
  for (size_t i = 0; i < text.size(); ++i) {
    uint32_t c = text[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
      f(0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00), false);
      ++i;
    } else {
      f(c, c >= 0xD800 && c < 0xE000);
    }
  }
}

std::string KeyText(bool named, std::u16string_view name, int64_t id) {
  return named ? QuoteForListing(name) : std::to_string(id);
}

}  // namespace

std::string Utf16ToListingUtf8(std::u16string_view text) {
  std::string out;
  ForEachCodePoint(text, [&](uint32_t cp, bool lone) {
    if (lone)
      out += Hex("\\u%04x", cp);
    else
      AppendUtf8(out, cp);
  });
  return out;
}

std::string QuoteForListing(std::u16string_view text) {
  std::string out = "\"";
  ForEachCodePoint(text, [&](uint32_t cp, bool lone) {
    switch (cp) {
      case '\\': out += "\\\\"; return;
      case '"': out += "\\\""; return;
      case '\n': out += "\\n"; return;
      case '\r': out += "\\r"; return;
      case '\t': out += "\\t"; return;
      case 0: out += "\\0"; return;
    }
    if (lone)
      out += Hex("\\u%04x", cp);
    else if (cp < 0x20 || (cp >= 0x7F && cp < 0xA0))
      out += Hex("\\x%02x", cp);
    else
      AppendUtf8(out, cp);
  });
  return out + "\"";
}

std::vector<std::string> StringBlockLines(bool nameIsString, std::u16string_view name, int64_t nameId,
                                          std::span<const uint8_t> data) {
  if (nameIsString || nameId < 1 || nameId > 4096)
    return {"STR warn block name " + KeyText(nameIsString, name, nameId) + " is not 1..4096; entries not decoded"};
  std::vector<std::string> lines;
  std::string warning;
  TPEReader reader(data, "");
  int entry = 0;
  for (; entry < 16; ++entry) {
    if (reader.Remaining() < 2) {
      warning = "data ends after " + std::to_string(entry) + " of 16 entries";
      break;
    }
    uint16_t length = reader.U16();
    if (uint64_t{length} * 2 > reader.Remaining()) {
      warning = "entry " + std::to_string(entry) + ": length " + std::to_string(length) + " runs past the data";
      break;
    }
    std::u16string text = reader.Utf16(length);
    if (!text.empty())
      lines.push_back("STR " + std::to_string((nameId - 1) * 16 + entry) + " " + QuoteForListing(text));
  }
  if (entry == 16 && reader.Remaining() > 0) {
    uint64_t rest = reader.Remaining();
    bool zero = true;
    for (uint8_t b : reader.Bytes(rest)) zero = zero && b == 0;
    warning = std::to_string(rest) + " bytes after the 16 entries" + (zero ? " (zero)" : "");
  }
  if (!warning.empty()) lines.push_back("STR warn " + warning);
  return lines;
}

std::string ListResources(const TExefile& module) {
  std::string out;
  const TPEResourceDirectory& root = module.ResourceSection().Root();
  for (int t = 0; t < root.SubdirectoryCount(); ++t) {
    const TPEResourceDirectory& type = root.Subdirectory(t);
    for (int n = 0; n < type.SubdirectoryCount(); ++n) {
      const TPEResourceDirectory& name = type.Subdirectory(n);
      for (int l = 0; l < name.DataEntryCount(); ++l) {
        const TPEResourceDataEntry& leaf = name.DataEntry(l);
        out += "type=" + KeyText(leaf.TypeIsNamed(), leaf.TypeNameUtf16(), leaf.TypeID());
        out += " name=" + KeyText(leaf.NameIsNamed(), leaf.NameUtf16(), leaf.NameID());
        out += " lang=" + Hex("%04x", static_cast<uint32_t>(leaf.LanguageID()));
        out += " size=" + std::to_string(leaf.Size()) + " sha256=" + Sha256Hex(leaf.Data()) + "\n";
        std::vector<std::string> details;
        if (!leaf.TypeIsNamed() && leaf.TypeID() == RT_STRING_TYPE)
          details = StringBlockLines(leaf.NameIsNamed(), leaf.NameUtf16(), leaf.NameID(), leaf.Data());
        else if (!leaf.TypeIsNamed() && leaf.TypeID() == 16)
          details = VersionLines(leaf.Data());
        for (const std::string& line : details) out += "  " + line + "\n";
      }
    }
  }
  return out;
}

}  // namespace kst
