// "VER" lines of the resource listing: a version resource decoded leniently
// (it is only shown, never trusted), reporting odd layouts as warnings.
//
//   block: u16 wLength, u16 wValueLength, u16 wType (1 text, 0 binary),
//          zero-terminated UTF-16 key, zeros to a multiple of 4, the value
//          (wValueLength counts WCHARs for text, bytes otherwise), zeros to a
//          multiple of 4, child blocks up to wLength
//   the root's value is VS_FIXEDFILEINFO: 13 u32, signature 0xFEEF04BD
#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>

#include "peresources/pe_reader.h"
#include "peresources/resource_listing.h"

namespace kst {

namespace {

// Real version resources nest four deep; anything far deeper is garbage and
// must not exhaust the stack.
constexpr int kMaxVersionDepth = 64;
// The walk reads only inside the bounds it has checked; should it ever not,
// the reader raises this rather than read past the data.
constexpr const char* kDamaged = "Invalid Version Resource!";

struct TVerNode {
  std::u16string key;
  uint16_t type = 0;
  std::optional<std::span<const uint8_t>> value;
  std::vector<std::unique_ptr<TVerNode>> children;
};

uint64_t Align4(uint64_t n) { return (n + 3) & ~uint64_t{3}; }

std::string Format(const char* format, uint64_t a) {
  char text[64];
  std::snprintf(text, sizeof text, format, static_cast<unsigned long long>(a));
  return text;
}

// Python's "%#x": 0 is "0x0".
std::string HexPrefixed(uint32_t v) { return Format("0x%llx", v); }

class TVersionParser {
public:
  explicit TVersionParser(std::span<const uint8_t> data) : reader_(data, kDamaged) {}

  std::vector<std::string> warnings;

  std::unique_ptr<TVerNode> Block(uint64_t off, uint64_t end, const std::string& path, bool isRoot,
                                  uint64_t& blockEnd, int depth) {
    std::string where = path.empty() ? "root" : path;
    blockEnd = end;
    if (off + 6 > end) {
      warnings.push_back(where + ": " + std::to_string(end - off) + " stray bytes");
      return nullptr;
    }
    if (depth > kMaxVersionDepth) {
      warnings.push_back(where + ": blocks nested too deep");
      return nullptr;
    }
    uint16_t wlen = reader_.U16At(off), wvlen = reader_.U16At(off + 2), wtype = reader_.U16At(off + 4);
    if (wlen < 6) {
      warnings.push_back(where + ": wLength " + std::to_string(wlen) + " at offset " + std::to_string(off));
      return nullptr;
    }
    uint64_t bend = off + wlen;
    if (bend > end) {
      warnings.push_back(where + ": wLength " + std::to_string(wlen) + " at offset " + std::to_string(off) +
                         " runs past its parent (end " + std::to_string(end) + ")");
      bend = end;
    }
    auto node = std::make_unique<TVerNode>();
    uint64_t p = off + 6, q = p;
    while (q + 1 < bend && reader_.U16At(q) != 0) q += 2;
    node->key = reader_.Utf16At(p, (q - p) / 2);
    std::string key = Utf16ToListingUtf8(node->key);
    std::string here = path.empty() ? key : path + "/" + key;
    if (q + 1 >= bend) warnings.push_back(here + ": key not terminated");
    std::string childPath = isRoot ? "" : here;
    uint64_t vstart = Align4(q + 2);
    uint64_t vbytes = uint64_t{wvlen} * (wtype == 1 ? 2 : 1);
    if (wtype != 0 && wtype != 1) warnings.push_back(here + ": wType " + std::to_string(wtype));
    if (vstart + vbytes > bend) {
      warnings.push_back(here + ": value (wValueLength " + std::to_string(wvlen) + ", wType " +
                         std::to_string(wtype) + ") runs past the block");
      vbytes = vstart < bend ? bend - vstart : 0;
    }
    node->type = wtype;
    if (wvlen) {
      uint64_t from = std::min<uint64_t>(vstart, reader_.Size());
      node->value = reader_.BytesAt(from, std::min<uint64_t>(vbytes, reader_.Size() - from));
    }
    uint64_t c = Align4(vstart + vbytes);
    while (c < bend) {
      uint64_t next = 0;
      auto child = Block(c, bend, childPath, false, next, depth + 1);
      if (!child) break;
      node->children.push_back(std::move(child));
      c = Align4(next);
    }
    blockEnd = bend;
    return node;
  }

private:
  TPEReader reader_;
};

std::u16string TextValue(const TVerNode& node) {
  std::u16string text;
  if (node.value) text = TPEReader(*node.value, kDamaged).Utf16(node.value->size() / 2);
  if (!text.empty() && text.back() == 0) text.pop_back();
  return text;
}

void Walk(const TVerNode& node, const std::string& path, std::vector<std::string>& lines) {
  std::string key = Utf16ToListingUtf8(node.key);
  std::string here = path.empty() ? key : path + "/" + key;
  if (node.value) {
    if (node.type == 1) {
      lines.push_back("VER " + here + " = " + QuoteForListing(TextValue(node)));
    } else if (path == "VarFileInfo" && node.value->size() % 4 == 0) {
      std::string pairs;
      TPEReader v(*node.value, kDamaged);
      while (!v.AtEnd()) {
        if (!pairs.empty()) pairs += " ";
        pairs += Format("%04llx", v.U16());
        pairs += ":" + std::to_string(v.U16());
      }
      lines.push_back("VER " + here + " = " + pairs);
    } else {
      std::string hex;
      for (uint8_t b : *node.value) hex += Format("%02llx", b);
      lines.push_back("VER " + here + " = bin:" + hex);
    }
  } else if (node.children.empty()) {
    lines.push_back("VER " + here + " (empty)");
  }
  for (const auto& child : node.children) Walk(*child, here, lines);
}

}  // namespace

std::vector<std::string> VersionLines(std::span<const uint8_t> data) {
  if (data.size() < 6) return {"VER warn data too short"};
  TVersionParser parser(data);
  uint64_t end = 0;
  std::unique_ptr<TVerNode> root = parser.Block(0, data.size(), "", true, end, 0);
  std::vector<std::string>& warnings = parser.warnings;
  if (root && root->key != u"VS_VERSION_INFO")
    warnings.push_back("root key is " + QuoteForListing(root->key) + ", not \"VS_VERSION_INFO\"");
  if (end < data.size()) {
    bool any = false;
    for (uint64_t i = Align4(end); i < data.size(); ++i) any = any || data[i] != 0;
    if (any) warnings.push_back(std::to_string(data.size() - end) + " bytes after the root block");
  }
  std::vector<std::string> lines;
  if (root) {
    if (!root->value) {
      lines.push_back("VER fixed none");
    } else if (root->value->size() != 52) {
      warnings.push_back("fixed info is " + std::to_string(root->value->size()) + " bytes, not 52");
    } else {
      uint32_t f[13];
      TPEReader fixed(*root->value, kDamaged);
      for (uint32_t& field : f) field = fixed.U32();
      if (f[0] != 0xFEEF04BD) warnings.push_back("fixed info signature " + HexPrefixed(f[0]));
      auto version = [](uint32_t ms, uint32_t ls) {
        return std::to_string(ms >> 16) + "." + std::to_string(ms & 0xFFFF) + "." + std::to_string(ls >> 16) + "." +
               std::to_string(ls & 0xFFFF);
      };
      lines.push_back("VER fixed file=" + version(f[2], f[3]) + " product=" + version(f[4], f[5]) +
                      " flagsmask=" + HexPrefixed(f[6]) + " flags=" + HexPrefixed(f[7]) + " os=" + HexPrefixed(f[8]) +
                      " type=" + HexPrefixed(f[9]) + " subtype=" + HexPrefixed(f[10]) + " date=" +
                      Format("%08llx", f[11]) + Format("%08llx", f[12]));
    }
    for (const auto& child : root->children) Walk(*child, "", lines);
  }
  for (const std::string& w : warnings) lines.push_back("VER warn " + w);
  return lines;
}

}  // namespace kst
