// The module reader against synthetic images: the header checks, the tree's
// fields and string blocks, and hostile layouts (loops, deep trees, offsets
// outside the file, cut and corrupted files).
#include <gtest/gtest.h>

#include <functional>

#include "pe_builder.h"
#include "peresources/exe_file.h"
#include "support/test_support.h"

namespace kst {
namespace {

using test::BuildPe;
using test::Put16;
using test::Put32;
using test::StringBlock;
using test::TBuiltPe;

std::span<const uint8_t> Bytes(const std::string& s) {
  return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

std::vector<test::TLeafInput> SampleLeaves() {
  return {
      {"PNG", "LOGO", 0, std::string("\x89PNG", 4)},
      {6, 7, 0x0409, StringBlock({{0, u"First"}, {5, u"Sixth \"quoted\""}})},
      {6, 7, 0x0407, StringBlock({{0, u"Erste"}})},
      {6, 4096, 0x0409, StringBlock({{15, u"Last"}})},
      {10, "TFORM1", 0x0409, "TPF0\x06TForm1"},
      {16, 1, 0x0409, std::string(60, '\0')},
  };
}

// Opens the image and touches everything the tree offers, as a caller would.
int WalkAll(const std::string& image) {
  std::vector<uint8_t> exact(image.begin(), image.end());  // so that overreads are caught
  TExefile module(std::span<const uint8_t>(exact.data(), exact.size()), 1252);
  int items = 0;
  std::function<void(const TPEResourceDirectory&)> walk = [&](const TPEResourceDirectory& dir) {
    for (int i = 0; i < dir.SubdirectoryCount(); ++i) walk(dir.Subdirectory(i));
    for (int i = 0; i < dir.DataEntryCount(); ++i) {
      const TPEResourceDataEntry& leaf = dir.DataEntry(i);
      for (uint8_t b : leaf.Data()) items += b == 0xA5;
      items += static_cast<int>(leaf.Name().size() + leaf.TypeName().size());
      if (auto* block = dynamic_cast<const TPEStringResourceDataEntry*>(&leaf))
        for (int s = 0; s < 16; ++s) items += block->GetString(s).valid;
    }
  };
  walk(module.ResourceSection().Root());
  return items;
}

std::string MessageOf(const std::string& image) {
  try {
    WalkAll(image);
  } catch (const EPEResourceError& e) {
    return e.what();
  }
  return "";
}

const TPEResourceDataEntry* FindLeaf(const TExefile& module, const std::string& type, const std::string& name,
                                     int language) {
  const TPEResourceDirectory& root = module.ResourceSection().Root();
  for (int t = 0; t < root.SubdirectoryCount(); ++t)
    for (int n = 0; n < root.Subdirectory(t).SubdirectoryCount(); ++n) {
      const TPEResourceDirectory& dir = root.Subdirectory(t).Subdirectory(n);
      for (int l = 0; l < dir.DataEntryCount(); ++l) {
        const TPEResourceDataEntry& leaf = dir.DataEntry(l);
        if (leaf.TypeName() == type && leaf.Name() == name && leaf.LanguageID() == language) return &leaf;
      }
    }
  return nullptr;
}

TEST(ExeFile, TreeFieldsOfNamedAndNumberedEntries) {
  TBuiltPe pe = BuildPe(SampleLeaves());
  TExefile module(Bytes(pe.image), 1252);
  const TPEResourceDirectory& root = module.ResourceSection().Root();
  ASSERT_EQ(root.SubdirectoryCount(), 4);
  EXPECT_EQ(root.Level(), 0);
  EXPECT_EQ(root.Entry(), nullptr);

  // A named type: the name as type name, the name's offset as type ID.
  const TPEResourceDirectory& png = root.Subdirectory(0);
  EXPECT_EQ(png.TypeName(), "PNG");
  EXPECT_TRUE(png.TypeIsNamed());
  EXPECT_EQ(png.TypeID(), test::Get32(pe.image, pe.sectionFileOffset + 16) & 0x7FFFFFFF);
  EXPECT_EQ(png.Subdirectory(0).Name(), "LOGO");

  const TPEResourceDataEntry* form = FindLeaf(module, "#10 [RT_RCDATA]", "TFORM1", 0x0409);
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(form->Level(), 3);
  EXPECT_EQ(form->TypeID(), 10);
  EXPECT_EQ(std::string(form->Data().begin(), form->Data().end()), "TPF0\x06TForm1");
  // Resource data is handed out in place, not copied.
  EXPECT_GE(form->Data().data(), module.View().data());
  EXPECT_LE(form->Data().data() + form->Size(), module.View().data() + module.View().size());

  const TPEResourceDataEntry* version = FindLeaf(module, "#16 [RT_VERSION]", "#1", 0x0409);
  ASSERT_NE(version, nullptr);
  EXPECT_EQ(dynamic_cast<const TPEStringResourceDataEntry*>(version), nullptr);
}

TEST(ExeFile, StringBlockSevenGivesIdsFromNinetySix) {
  TBuiltPe pe = BuildPe(SampleLeaves());
  TExefile module(Bytes(pe.image), 1252);
  auto* block = dynamic_cast<const TPEStringResourceDataEntry*>(FindLeaf(module, "#6 [RT_STRING]", "#7", 0x0409));
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(block->NameID(), 7);
  TPEStringResourceItem first = block->GetString(0);
  EXPECT_TRUE(first.valid);
  EXPECT_EQ(first.ID, 96);
  EXPECT_EQ(first.text, "First");
  TPEStringResourceItem sixth = block->GetString(5);
  EXPECT_TRUE(sixth.valid);
  EXPECT_EQ(sixth.ID, 101);
  EXPECT_EQ(sixth.text, "Sixth \"quoted\"");
  EXPECT_FALSE(block->GetString(3).valid);
  EXPECT_EQ(block->GetString(3).ID, 0);
  EXPECT_FALSE(block->GetString(16).valid);
  EXPECT_FALSE(block->GetString(-1).valid);

  auto* last = dynamic_cast<const TPEStringResourceDataEntry*>(FindLeaf(module, "#6 [RT_STRING]", "#4096", 0x0409));
  ASSERT_NE(last, nullptr);
  EXPECT_EQ(last->GetString(15).ID, 65535);
}

TEST(ExeFile, StringsAreConvertedToTheModulesCodePage) {
  TBuiltPe pe = BuildPe({{6, 1, 0x0419, StringBlock({{1, u"\u041F\u0440\u0438\u0432\u0435\u0442 \u20AC"}})}});
  TExefile cyrillic(Bytes(pe.image), 1251);
  auto* block = dynamic_cast<const TPEStringResourceDataEntry*>(
      &cyrillic.ResourceSection().Root().Subdirectory(0).Subdirectory(0).DataEntry(0));
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(block->GetString(1).text, "\xCF\xF0\xE8\xE2\xE5\xF2 \x88");
  EXPECT_EQ(block->GetStringUtf16(1), u"\u041F\u0440\u0438\u0432\u0435\u0442 \u20AC");
  TExefile western(Bytes(pe.image), 1252);
  auto* same = dynamic_cast<const TPEStringResourceDataEntry*>(
      &western.ResourceSection().Root().Subdirectory(0).Subdirectory(0).DataEntry(0));
  EXPECT_EQ(same->GetString(1).text, "?????? \x80");
}

struct TBlockCase {
  const char* what;
  uint32_t blockName;
  std::string data;
  std::vector<int> validSlots;
};

class StringBlockEdges : public testing::TestWithParam<TBlockCase> {};

TEST_P(StringBlockEdges, OnlyWholeStringsInsideTheBlockAreValid) {
  const TBlockCase& c = GetParam();
  TBuiltPe pe = BuildPe({{6, c.blockName, 0, c.data}});
  TExefile module(Bytes(pe.image), 1252);
  auto* block = dynamic_cast<const TPEStringResourceDataEntry*>(
      &module.ResourceSection().Root().Subdirectory(0).Subdirectory(0).DataEntry(0));
  ASSERT_NE(block, nullptr);
  std::vector<int> valid;
  for (int i = 0; i < 16; ++i)
    if (block->GetString(i).valid) valid.push_back(i);
  EXPECT_EQ(valid, c.validSlots);
}

std::string CutBlock(size_t keep) { return StringBlock({{0, u"ab"}, {1, u"cd"}, {2, u"ef"}}).substr(0, keep); }

INSTANTIATE_TEST_SUITE_P(
    Blocks, StringBlockEdges,
    testing::Values(TBlockCase{"full", 1, StringBlock({{0, u"a"}, {15, u"z"}}), {0, 15}},
                    TBlockCase{"empty data", 1, "", {}},
                    TBlockCase{"one byte", 1, "\x01", {}},
                    TBlockCase{"cut inside the third text", 1, CutBlock(15), {0, 1}},
                    TBlockCase{"cut after the third count", 1, CutBlock(14), {0, 1}},
                    TBlockCase{"length beyond the data", 1, std::string("\xFF\xFF" "ab", 4), {}},
                    TBlockCase{"block name 0 has no ids", 0, StringBlock({{0, u"a"}}), {}},
                    TBlockCase{"block name 4097 has no ids", 4097, StringBlock({{0, u"a"}}), {}},
                    TBlockCase{"trailing bytes are ignored", 2, StringBlock({{3, u"x"}}) + "junk", {3}}),
    [](const auto& info) {
      std::string name = info.param.what;
      for (char& ch : name)
        if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
      return name;
    });

TEST(ExeFile, TheResourceSectionIsFoundByItsExactName) {
  auto leaves = SampleLeaves();
  for (const char* name : {".rsrc2", ".RSRC", "rsrc", ".rsr", "DATA2"}) {
    TBuiltPe pe = BuildPe(leaves, name);
    TExefile module(Bytes(pe.image), 1252);
    EXPECT_FALSE(module.ResourceSection().Found()) << name;
    EXPECT_EQ(module.ResourceSection().Root().SubdirectoryCount(), 0) << name;
    EXPECT_EQ(module.ResourceSection().Root().Directory(), nullptr) << name;
  }
  TBuiltPe later = BuildPe(leaves, ".rsrc", 2);
  TExefile module(Bytes(later.image), 1252);
  EXPECT_TRUE(module.ResourceSection().Found());
  EXPECT_EQ(module.ResourceSection().BaseOffset(), later.sectionFileOffset);
  EXPECT_EQ(module.ResourceSection().Root().SubdirectoryCount(), 4);
}

// A damaged image and the message it must give.
struct TDamage {
  const char* what;
  std::function<std::string()> image;
  const char* message;
};

std::string Sample() { return BuildPe(SampleLeaves()).image; }

std::string Patched(const std::function<void(TBuiltPe&, std::string& rsrcBytes, size_t at)>& patch) {
  TBuiltPe pe = BuildPe(SampleLeaves());
  patch(pe, pe.image, pe.sectionFileOffset);
  return pe.image;
}

const char* const kDos = "Invalid Dos Header!";
const char* const kNt = "Invalid NT Header!";
const char* const kData = "Invalid Pointer to Resource Data!";

class DamagedModules : public testing::TestWithParam<TDamage> {};

TEST_P(DamagedModules, GiveTheirMessage) { EXPECT_EQ(MessageOf(GetParam().image()), GetParam().message); }

INSTANTIATE_TEST_SUITE_P(
    Headers, DamagedModules,
    testing::Values(
        TDamage{"zero bytes", [] { return std::string(); }, kDos},
        TDamage{"text", [] { return std::string("This is a text file, not a program.\r\n"); }, kDos},
        TDamage{"MZ alone", [] { return std::string("MZ"); }, kDos},
        TDamage{"MZ cut before e_lfanew", [] { return Sample().substr(0, 62); }, kDos},
        TDamage{"ZM", [] { auto s = Sample(); std::swap(s[0], s[1]); return s; }, kDos},
        TDamage{"DOS program", [] { auto s = Sample(); Put32(s, 60, 0x40); return s; }, kNt},
        TDamage{"e_lfanew past the end", [] { auto s = Sample(); Put32(s, 60, 0x7FFFFFF0); return s; }, kNt},
        TDamage{"e_lfanew negative", [] { auto s = Sample(); Put32(s, 60, 0xFFFFFFF0); return s; }, kNt},
        TDamage{"NT headers cut short", [] { return Sample().substr(0, 0x80 + 247); }, kNt},
        TDamage{"PE\\0 without the second zero", [] { auto s = Sample(); s[0x83] = 1; return s; }, kNt},
        TDamage{"section table past the end",
                [] { auto s = Sample(); Put16(s, 0x86, 60000); Put32(s, 0x80 + 248, 0); return s; }, kNt}),
    [](const auto& info) {
      std::string name = info.param.what;
      for (char& ch : name)
        if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
      return name;
    });

INSTANTIATE_TEST_SUITE_P(
    Tree, DamagedModules,
    testing::Values(
        TDamage{"section beyond the file",
                [] { auto s = Sample(); Put32(s, 0x80 + 248 + 20, 0x7FFFFF00); return s; }, kData},
        TDamage{"root declares more entries than the file holds",
                [] { return Patched([](TBuiltPe&, std::string& s, size_t at) { Put16(s, at + 14, 0xFFFF); }); }, kData},
        TDamage{"root entry points at the root",
                [] { return Patched([](TBuiltPe&, std::string& s, size_t at) { Put32(s, at + 20, 0x80000000); }); },
                kData},
        TDamage{"name directory entry points at its own directory",
                [] {
                  return Patched([](TBuiltPe& pe, std::string& s, size_t at) {
                    uint32_t dir = pe.typeDirectories[1];
                    Put32(s, at + dir + 20, 0x80000000 | dir);
                  });
                },
                kData},
        TDamage{"a fourth level",
                [] {
                  return Patched([](TBuiltPe& pe, std::string& s, size_t at) {
                    Put32(s, at + pe.nameDirectories[0] + 20, 0x80000000 | pe.spareDirectory);
                  });
                },
                kData},
        TDamage{"two types share one subtree",
                [] {
                  return Patched([](TBuiltPe& pe, std::string& s, size_t at) {
                    Put32(s, at + 16 + 8 * 2 + 4, 0x80000000 | pe.typeDirectories[1]);
                  });
                },
                kData},
        TDamage{"data RVA far outside",
                [] {
                  return Patched([](TBuiltPe& pe, std::string& s, size_t at) { Put32(s, at + pe.dataEntries[0], 0x7FFF0000); });
                },
                kData},
        TDamage{"data RVA before the section",
                [] {
                  return Patched([](TBuiltPe& pe, std::string& s, size_t at) { Put32(s, at + pe.dataEntries[0], 0x10); });
                },
                kData},
        TDamage{"data size of 16 MiB",
                [] {
                  return Patched([](TBuiltPe& pe, std::string& s, size_t at) { Put32(s, at + pe.dataEntries[0] + 4, 16 << 20); });
                },
                kData},
        TDamage{"data size of 4 GiB - 1",
                [] {
                  return Patched(
                      [](TBuiltPe& pe, std::string& s, size_t at) { Put32(s, at + pe.dataEntries[0] + 4, 0xFFFFFFFF); });
                },
                kData},
        TDamage{"data entry outside",
                [] { return Patched([](TBuiltPe& pe, std::string& s, size_t at) { Put32(s, at + pe.nameDirectories[0] + 20, 0x7FFFFFF0); }); },
                kData},
        TDamage{"type name far outside",
                [] { return Patched([](TBuiltPe&, std::string& s, size_t at) { Put32(s, at + 16, 0xFFFFFFF0); }); }, kData},
        TDamage{"type name length past the end",
                [] {
                  return Patched([](TBuiltPe&, std::string& s, size_t at) {
                    Put16(s, at + (test::Get32(s, at + 16) & 0x7FFFFFFF), 0xFFFF);
                  });
                },
                kData}),
    [](const auto& info) {
      std::string name = info.param.what;
      for (char& ch : name)
        if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
      return name;
    });

TEST(ExeFile, EveryCutGivesTheModuleOrAnError) {
  std::string image = Sample();
  ASSERT_NO_THROW(WalkAll(image));
  int opened = 0;
  for (size_t length = 0; length < image.size(); ++length) {
    std::string message = MessageOf(image.substr(0, length));
    if (length < 64) {
      EXPECT_EQ(message, kDos) << length;
    } else if (length < 0x80 + 248 + 40) {  // NT headers and the section table
      EXPECT_EQ(message, kNt) << length;
    } else if (message.empty()) {
      ++opened;
    } else {
      EXPECT_EQ(message, kData) << length;
    }
  }
  // Only cuts in the zero padding after the last resource leave a readable tree.
  EXPECT_LT(opened, 512);
}

TEST(ExeFile, EverySingleByteCorruptionGivesTheModuleOrAnError) {
  std::string image = Sample();
  for (size_t at = 0; at < image.size(); ++at) {
    for (uint8_t value : {0x00, 0x7F, 0x80, 0xFF}) {
      std::string damaged = image;
      damaged[at] = static_cast<char>(value);
      std::string message = MessageOf(damaged);
      if (!message.empty()) {
        EXPECT_TRUE(message == kDos || message == kNt || message == kData) << at << ": " << message;
      }
    }
  }
}

TEST(ExeFile, FilesThatCannotBeOpened) {
  test::TScratchDir dir;
  std::string missing = dir.File("missing.exe");
  try {
    TExefile module(missing, 1252);
    FAIL() << "opened a missing file";
  } catch (const EPEResourceError& e) {
    EXPECT_EQ(std::string(e.what()), "Error opening " + missing);
  }
  try {
    TExefile module(dir.Path(), 1252);
    FAIL() << "opened a directory";
  } catch (const EPEResourceError& e) {
    EXPECT_EQ(std::string(e.what()), "Error opening " + dir.Path());
  }
  std::string empty = dir.File("empty.exe");
  test::WriteFile(empty, "");
  EXPECT_THROW(
      {
        try {
          TExefile module(empty, 1252);
        } catch (const EPEResourceError& e) {
          EXPECT_STREQ(e.what(), kDos);
          throw;
        }
      },
      EPEResourceError);
  std::string good = dir.File("good.exe");
  test::WriteFile(good, Sample());
  TExefile module(good, 1252);
  EXPECT_EQ(module.ResourceSection().Root().SubdirectoryCount(), 4);
}

}  // namespace
}  // namespace kst
