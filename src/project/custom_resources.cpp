// Custom resources and the custom-resource file writer.
#include "project/custom_resources.h"

#include <map>
#include <stdexcept>

#include "config/text_helpers.h"
#include "peresources/res_writer.h"
#include "platform/same_text.h"

namespace kst {

namespace {

// "#123" is a number; anything else a name whose bytes become 16-bit units
// unchanged, as the original writer did.
TResId ResIdFromText(const std::string& text) {
  if (text.size() > 1 && text[0] == '#' && IsAllDigits(std::string_view(text).substr(1))) {
    long long n = NumberAfterHash(text);
    if (n <= 0xFFFF) return TResId::Number(static_cast<uint16_t>(n));
  }
  std::u16string units;
  for (unsigned char c : text) units += static_cast<char16_t>(c);
  return TResId::Named(std::move(units));
}

size_t Units(const TResId& id) { return id.numeric ? 2 : id.name.size() + 1; }

}  // namespace

bool TCustomResource::IsTranslated() const { return !SameText(FileName, TranslatedFile); }

TCustomResource& TCustomResources::Add(std::string_view fileName) {
  if (TCustomResource* existing = Find(fileName)) return *existing;
  auto entry = std::make_unique<TCustomResource>();
  entry->FileName = std::string(fileName);
  entry->TranslatedFile = std::string(fileName);
  Items.push_back(std::move(entry));
  return *Items.back();
}

TCustomResource* TCustomResources::Find(std::string_view fileName) const {
  for (auto it = Items.rbegin(); it != Items.rend(); ++it)
    if (SameText((*it)->FileName, fileName)) return it->get();
  return nullptr;
}

void TCustomResources::Remove(std::string_view fileName) {
  std::erase_if(Items, [&](const std::unique_ptr<TCustomResource>& r) { return SameText(r->FileName, fileName); });
}

std::string BuildCustomResourceFile(const std::vector<TModuleResource>& resources) {
  // Resources are written language neutral, but a resource the module holds
  // in several languages would then appear twice under one key, and linkers
  // refuse duplicate resources: those keep the languages they had.
  std::map<std::pair<std::string, std::string>, int> occurrences;
  for (const TModuleResource& r : resources) ++occurrences[{UpperCaseAscii(r.type), UpperCaseAscii(r.name)}];
  TResWriter res;
  for (const TModuleResource& r : resources) {
    TResId type = ResIdFromText(r.type);
    TResId name = ResIdFromText(r.name);
    if (Units(type) + Units(name) > 255)
      throw std::invalid_argument("The resource " + r.type + "/" + r.name + " has a name too long for a resource file");
    TResHeaderFields fields;
    if (occurrences[{UpperCaseAscii(r.type), UpperCaseAscii(r.name)}] > 1) fields.language = r.language;
    res.BeginResource(type, name, fields);
    res.Out().Bytes(r.data);
    res.EndResource();
  }
  return res.Take();
}

}  // namespace kst
