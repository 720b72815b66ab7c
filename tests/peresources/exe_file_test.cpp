// The module reader against synthetic images: the tree's fields and string
// blocks, the section found by its name, and damaged images (golden cases;
// every cut; every single-byte corruption).
#include <gtest/gtest.h>

#include <functional>

#include "peresources/exe_file.h"
#include "platform/file_utils.h"
#include "support/pe_builder.h"
#include "support/test_support.h"

namespace kst {
namespace {

using test::BuildPe;
using test::StringBlock;
using test::TBuiltPe;

std::span<const uint8_t> Bytes(const std::string& s) { return {reinterpret_cast<const uint8_t*>(s.data()), s.size()}; }

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

// Opens the image and touches everything the tree offers, as a caller would;
// the reader's message, or "" when it read.
std::string MessageOf(const std::string& image) {
  std::vector<uint8_t> exact(image.begin(), image.end());  // so that the sanitizers see a read past it
  try {
    TExefile module(std::span<const uint8_t>(exact.data(), exact.size()), 1252);
    std::function<void(const TPEResourceDirectory&)> walk = [&](const TPEResourceDirectory& dir) {
      for (int i = 0; i < dir.SubdirectoryCount(); ++i) walk(dir.Subdirectory(i));
      for (int i = 0; i < dir.DataEntryCount(); ++i) {
        const TPEResourceDataEntry& leaf = dir.DataEntry(i);
        volatile size_t touched = leaf.Data().size() + leaf.Name().size() + leaf.TypeName().size();
        for (uint8_t b : leaf.Data()) touched = touched + b;
        if (auto* block = dynamic_cast<const TPEStringResourceDataEntry*>(&leaf))
          for (int s = 0; s < 16; ++s) touched = touched + block->GetString(s).valid;
      }
    };
    walk(module.ResourceSection().Root());
  } catch (const EPEResourceError& e) {
    return e.what();
  }
  return "";
}

// The block of type 6 and name `name` in language `language`, if any.
const TPEStringResourceDataEntry* Block(const TExefile& module, uint32_t name, int language) {
  const TPEResourceDirectory& root = module.ResourceSection().Root();
  for (int t = 0; t < root.SubdirectoryCount(); ++t)
    for (int n = 0; n < root.Subdirectory(t).SubdirectoryCount(); ++n) {
      const TPEResourceDirectory& dir = root.Subdirectory(t).Subdirectory(n);
      for (int l = 0; l < dir.DataEntryCount(); ++l)
        if (dir.TypeID() == 6 && dir.NameID() == name && dir.DataEntry(l).LanguageID() == language)
          return dynamic_cast<const TPEStringResourceDataEntry*>(&dir.DataEntry(l));
    }
  return nullptr;
}

TEST(ExeFile, TreeFieldsOfNamedAndNumberedEntries) {
  TBuiltPe pe = BuildPe(SampleLeaves());
  TExefile module(Bytes(pe.image), 1252);
  const TPEResourceDirectory& root = module.ResourceSection().Root();
  ASSERT_EQ(root.SubdirectoryCount(), 4);
  // A named type: the name as type name, the name's offset as type ID.
  const TPEResourceDirectory& png = root.Subdirectory(0);
  EXPECT_EQ(png.TypeName(), "PNG");
  EXPECT_TRUE(png.TypeIsNamed());
  EXPECT_EQ(png.TypeID(), test::Le(pe.image).U32At(pe.sectionFileOffset + 16) & 0x7FFFFFFF);
  EXPECT_EQ(png.Subdirectory(0).Name(), "LOGO");
  const TPEResourceDataEntry& form = root.Subdirectory(2).Subdirectory(0).DataEntry(0);
  EXPECT_EQ(form.TypeName(), "#10 [RT_RCDATA]");
  EXPECT_EQ(form.Name(), "TFORM1");
  EXPECT_EQ(form.LanguageID(), 0x0409);
  EXPECT_EQ(std::string(form.Data().begin(), form.Data().end()), "TPF0\x06TForm1");
  // Resource data is handed out in place, not copied.
  EXPECT_GE(form.Data().data(), module.View().data());
  EXPECT_LE(form.Data().data() + form.Size(), module.View().data() + module.View().size());
  const TPEResourceDataEntry& version = root.Subdirectory(3).Subdirectory(0).DataEntry(0);
  EXPECT_EQ(version.TypeName(), "#16 [RT_VERSION]");
  EXPECT_EQ(dynamic_cast<const TPEStringResourceDataEntry*>(&version), nullptr);
}

TEST(ExeFile, StringBlocksGiveTheirIdsInTheModulesCodePage) {
  TBuiltPe pe = BuildPe(SampleLeaves());
  TExefile module(Bytes(pe.image), 1252);
  const TPEStringResourceDataEntry* block = Block(module, 7, 0x0409);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(block->NameID(), 7);
  TPEStringResourceItem first = block->GetString(0), sixth = block->GetString(5);
  EXPECT_TRUE(first.valid);
  EXPECT_EQ(first.ID, 96);  // block 7 holds the IDs from 96
  EXPECT_EQ(first.text, "First");
  EXPECT_EQ(sixth.ID, 101);
  EXPECT_EQ(sixth.text, "Sixth \"quoted\"");
  EXPECT_FALSE(block->GetString(3).valid);
  EXPECT_FALSE(block->GetString(16).valid);
  EXPECT_FALSE(block->GetString(-1).valid);
  EXPECT_EQ(Block(module, 4096, 0x0409)->GetString(15).ID, 65535);

  TBuiltPe russian = BuildPe({{6, 1, 0x0419, StringBlock({{1, u"\u041F\u0440\u0438\u0432\u0435\u0442 \u20AC"}})}});
  TExefile cyrillic(Bytes(russian.image), 1251), western(Bytes(russian.image), 1252);
  EXPECT_EQ(Block(cyrillic, 1, 0x0419)->GetString(1).text, "\xCF\xF0\xE8\xE2\xE5\xF2 \x88");
  EXPECT_EQ(Block(cyrillic, 1, 0x0419)->GetStringUtf16(1), u"\u041F\u0440\u0438\u0432\u0435\u0442 \u20AC");
  EXPECT_EQ(Block(western, 1, 0x0419)->GetString(1).text, "?????? \x80");
}

struct TBlockCase {
  const char* name;
  uint32_t blockName;
  std::string data;
  std::vector<int> validSlots;
};

class StringBlockEdges : public testing::TestWithParam<TBlockCase> {};

TEST_P(StringBlockEdges, OnlyWholeStringsInsideTheBlockAreValid) {
  // The module reads the image in place: it must outlive the module.
  const TBuiltPe pe = BuildPe({{6, GetParam().blockName, 0, GetParam().data}});
  TExefile module(Bytes(pe.image), 1252);
  const TPEStringResourceDataEntry* block = Block(module, GetParam().blockName, 0);
  ASSERT_NE(block, nullptr);
  std::vector<int> valid;
  for (int i = 0; i < 16; ++i)
    if (block->GetString(i).valid) valid.push_back(i);
  EXPECT_EQ(valid, GetParam().validSlots);
}

std::string CutBlock(size_t keep) { return StringBlock({{0, u"ab"}, {1, u"cd"}, {2, u"ef"}}).substr(0, keep); }

INSTANTIATE_TEST_SUITE_P(
    Blocks, StringBlockEdges,
    testing::Values(TBlockCase{"full", 1, StringBlock({{0, u"a"}, {15, u"z"}}), {0, 15}},
                    TBlockCase{"empty data", 1, "", {}}, TBlockCase{"one byte", 1, "\x01", {}},
                    TBlockCase{"cut inside the third text", 1, CutBlock(15), {0, 1}},
                    TBlockCase{"cut after the third count", 1, CutBlock(14), {0, 1}},
                    TBlockCase{"length beyond the data", 1, std::string("\xFF\xFF" "ab", 4), {}},
                    TBlockCase{"block name 0 has no ids", 0, StringBlock({{0, u"a"}}), {}},
                    TBlockCase{"block name 4097 has no ids", 4097, StringBlock({{0, u"a"}}), {}},
                    TBlockCase{"trailing bytes are ignored", 2, StringBlock({{3, u"x"}}) + "junk", {3}}),
    test::TCaseName());

TEST(ExeFile, TheResourceSectionIsFoundByItsExactName) {
  for (const char* name : {".rsrc2", ".RSRC", "rsrc", ".rsr", "DATA2"}) {
    TExefile module(Bytes(BuildPe(SampleLeaves(), name).image), 1252);
    EXPECT_FALSE(module.ResourceSection().Found()) << name;
    EXPECT_EQ(module.ResourceSection().Root().SubdirectoryCount(), 0) << name;
    EXPECT_EQ(module.ResourceSection().Root().Directory(), nullptr) << name;
  }
  TBuiltPe later = BuildPe(SampleLeaves(), ".rsrc", 2);
  TExefile module(Bytes(later.image), 1252);
  EXPECT_TRUE(module.ResourceSection().Found());
  EXPECT_EQ(module.ResourceSection().BaseOffset(), later.sectionFileOffset);
  EXPECT_EQ(module.ResourceSection().Root().SubdirectoryCount(), 4);
}

const char* const kDos = "Invalid Dos Header!";
const char* const kNt = "Invalid NT Header!";
const char* const kData = "Invalid Pointer to Resource Data!";

// Damaged images, one folder each under tests/data/peresources/damaged (its
// README says which field of the sample image each changes): the reader's
// message for each.
std::string DamagedDir() { return test::TestDataDir() + "/peresources/damaged"; }

class DamagedModules : public testing::TestWithParam<std::string> {};

TEST_P(DamagedModules, GiveTheirMessage) {
  const std::string dir = DamagedDir() + "/" + GetParam();
  EXPECT_EQ(MessageOf(ReadFileBytes(dir + "/image.exe")) + "\n", ReadFileBytes(dir + "/message.txt"));
}

INSTANTIATE_TEST_SUITE_P(Golden, DamagedModules, testing::ValuesIn(test::GoldenCases(DamagedDir())), test::TCaseName());

TEST(ExeFile, EveryCutAndEverySingleByteCorruptionGivesTheModuleOrAnError) {
  std::string image = BuildPe(SampleLeaves()).image;
  ASSERT_EQ(MessageOf(image), "");
  int opened = 0;
  for (size_t length = 0; length < image.size(); ++length) {
    std::string message = MessageOf(image.substr(0, length));
    if (length < 64)
      EXPECT_EQ(message, kDos) << length;
    else if (length < 0x80 + 248 + 40)  // NT headers and the section table
      EXPECT_EQ(message, kNt) << length;
    else if (message.empty())
      ++opened;
    else
      EXPECT_EQ(message, kData) << length;
  }
  // Only cuts in the zero padding after the last resource leave a readable tree.
  EXPECT_LT(opened, 512);
  for (size_t at = 0; at < image.size(); ++at)
    for (uint8_t value : {0x00, 0x7F, 0x80, 0xFF}) {
      std::string damaged = image;
      damaged[at] = static_cast<char>(value);
      std::string message = MessageOf(damaged);
      if (!message.empty()) {
        EXPECT_TRUE(message == kDos || message == kNt || message == kData) << at << ": " << message;
      }
    }
}

TEST(ExeFile, FilesThatCannotBeOpened) {
  test::TScratchDir dir;
  test::WriteFile(dir.File("good.exe"), BuildPe(SampleLeaves()).image);
  for (const std::string& file : {dir.File("missing.exe"), dir.Path()}) {
    try {
      TExefile module(file, 1252);
      ADD_FAILURE() << "opened " << file;
    } catch (const EPEResourceError& e) {
      EXPECT_EQ(e.what(), "Error opening " + file);
    }
  }
  EXPECT_EQ(TExefile(dir.File("good.exe"), 1252).ResourceSection().Root().SubdirectoryCount(), 4);
}

}  // namespace
}  // namespace kst
