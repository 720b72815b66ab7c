// Fuzzes opening a module and walking its whole tree: every leaf's data, every
// GetString, and the listing (which also decodes version resources). Any
// input gives a tree or EPEResourceError, never a crash, a hang or a read
// outside the input.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "peresources/exe_file.h"
#include "peresources/resource_listing.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A copy of exactly `size` bytes, so that the sanitizer sees any overread.
  std::vector<uint8_t> image(data, data + size);
  try {
    kst::TExefile module(std::span<const uint8_t>(image.data(), image.size()), 1252);
    size_t sum = 0;
    std::function<void(const kst::TPEResourceDirectory&)> walk = [&](const kst::TPEResourceDirectory& dir) {
      if (dir.Level() > 2) __builtin_trap();
      for (int i = 0; i < dir.SubdirectoryCount(); ++i) walk(dir.Subdirectory(i));
      for (int i = 0; i < dir.DataEntryCount(); ++i) {
        const kst::TPEResourceDataEntry& leaf = dir.DataEntry(i);
        for (uint8_t b : leaf.Data()) sum += b;
        sum += leaf.Name().size() + leaf.TypeName().size();
        if (auto* block = dynamic_cast<const kst::TPEStringResourceDataEntry*>(&leaf))
          for (int s = 0; s < kst::TPEStringResourceDataEntry::count; ++s) sum += block->GetString(s).text.size();
      }
    };
    walk(module.ResourceSection().Root());
    sum += kst::ListResources(module).size();
    if (sum == 1) return 0;  // keeps the walk from being optimised away
  } catch (const kst::EPEResourceError&) {
  }
  return 0;
}
