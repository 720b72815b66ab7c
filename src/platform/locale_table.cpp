// Parses the embedded locale and character-set tables once, on first use.
#include "platform/locale_table.h"

#include <algorithm>
#include <charconv>
#include <stdexcept>
#include <string_view>

namespace kst {
namespace embedded {
extern const char kLocaleTable[];
extern const char kCharsetTable[];
}  // namespace embedded

namespace {

std::vector<std::string_view> SplitTabs(std::string_view line) {
  std::vector<std::string_view> fields;
  size_t start = 0;
  for (;;) {
    size_t tab = line.find('\t', start);
    fields.push_back(line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start));
    if (tab == std::string_view::npos) break;
    start = tab + 1;
  }
  return fields;
}

template <typename F>
void ForEachDataLine(std::string_view text, F&& f) {
  bool header = true;
  while (!text.empty()) {
    size_t nl = text.find('\n');
    std::string_view line = text.substr(0, nl);
    text = nl == std::string_view::npos ? std::string_view() : text.substr(nl + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (header) { header = false; continue; }
    if (!line.empty()) f(SplitTabs(line));
  }
}

int ToInt(std::string_view s, int base = 10) {
  int value = 0;
  auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), value, base);
  if (ec != std::errc() || p != s.data() + s.size())
    throw std::logic_error("embedded table holds a bad number: " + std::string(s));
  return value;
}

std::vector<TLocaleRow> ParseLocales() {
  std::vector<TLocaleRow> rows;
  ForEachDataLine(embedded::kLocaleTable, [&](const std::vector<std::string_view>& f) {
    if (f.size() < 9) throw std::logic_error("embedded locale table has a short row");
    TLocaleRow row;
    row.lcid = static_cast<uint16_t>(ToInt(f[0], 16));
    row.slanguage = f[1];
    row.senglanguage = f[2];
    row.sabbrevlangname = f[3];
    row.scountry = f[4];
    row.sengcountry = f[5];
    row.ansiCodePage = ToInt(f[6]);
    row.oemCodePage = ToInt(f[7]);
    row.snativelangname = f[8];
    rows.push_back(std::move(row));
  });
  std::sort(rows.begin(), rows.end(), [](const TLocaleRow& a, const TLocaleRow& b) { return a.lcid < b.lcid; });
  return rows;
}

std::vector<TCharsetRow> ParseCharsets() {
  std::vector<TCharsetRow> rows;
  ForEachDataLine(embedded::kCharsetTable, [&](const std::vector<std::string_view>& f) {
    if (f.size() < 3) throw std::logic_error("embedded character-set table has a short row");
    rows.push_back(TCharsetRow{ToInt(f[0]), std::string(f[1]), ToInt(f[2])});
  });
  return rows;
}

}  // namespace

const std::vector<TLocaleRow>& LocaleRows() {
  static const std::vector<TLocaleRow> rows = ParseLocales();
  return rows;
}

const TLocaleRow* FindLocaleRow(uint16_t lcid) {
  const auto& rows = LocaleRows();
  auto it = std::lower_bound(rows.begin(), rows.end(), lcid,
                             [](const TLocaleRow& r, uint16_t id) { return r.lcid < id; });
  return it != rows.end() && it->lcid == lcid ? &*it : nullptr;
}

std::string LocaleInfoUtf8(uint16_t lcid, int type) {
  const TLocaleRow* row = FindLocaleRow(lcid);
  if (!row) return {};
  switch (type) {
    case LOCALE_SLANGUAGE: return row->slanguage;
    case LOCALE_SABBREVLANGNAME: return row->sabbrevlangname;
    case LOCALE_SNATIVELANGNAME: return row->snativelangname;
    case LOCALE_SCOUNTRY: return row->scountry;
    case LOCALE_IDEFAULTCODEPAGE: return std::to_string(row->oemCodePage);
    case LOCALE_SENGLANGUAGE: return row->senglanguage;
    case LOCALE_SENGCOUNTRY: return row->sengcountry;
    case LOCALE_IDEFAULTANSICODEPAGE: return std::to_string(row->ansiCodePage);
    default: return {};
  }
}

const std::vector<TCharsetRow>& CharsetRows() {
  static const std::vector<TCharsetRow> rows = ParseCharsets();
  return rows;
}

const TCharsetRow* FindCharsetRow(int charset) {
  for (const auto& row : CharsetRows())
    if (row.charset == charset) return &row;
  return nullptr;
}

}  // namespace kst
