// Version resources: the layout a language module links, reading them back
// from modules in any child order, and damaged resources.
#include "project/version_info.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <iostream>

#include "config/text_helpers.h"
#include "platform/ini_file.h"
#include "platform/same_text.h"
#include "support/test_support.h"

namespace kst {
namespace {

uint16_t U16(const std::string& s, size_t at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(s[at]) | static_cast<uint8_t>(s[at + 1]) << 8);
}
uint32_t U32(const std::string& s, size_t at) { return U16(s, at) | uint32_t(U16(s, at + 2)) << 16; }

std::span<const uint8_t> Bytes(const std::string& s, size_t from = 0) {
  return {reinterpret_cast<const uint8_t*>(s.data()) + from, s.size() - from};
}

// The version block starts after the empty entry and the entry header.
constexpr size_t kBlock = 64;

TVersionInfo Sample() {
  TVersionInfo info;
  info.MajorVer = 1;
  info.MinorVer = 2;
  info.Release = 3;
  info.Build = 4;
  info.PreRelease = true;
  info.SpecialBuild = true;
  info.Add("CompanyName", "ACME");
  info.Add("FileDescription", "Test");
  return info;
}

TEST(VersionResource, FixedPartNumbersAndFlags) {
  std::string res = BuildVersionResource(Sample(), 0x0407);
  EXPECT_EQ(U32(res, 32 + 4), 32u) << "entry header size";
  EXPECT_EQ(U16(res, 32 + 8), 0xFFFF);
  EXPECT_EQ(U16(res, 32 + 10), 16);
  EXPECT_EQ(U16(res, 32 + 20), 0x0030) << "memory flags";
  EXPECT_EQ(U16(res, 32 + 22), 0x0407) << "language";
  EXPECT_EQ(U32(res, 32), res.size() - kBlock) << "data size is the version block";
  EXPECT_EQ(U16(res, kBlock), res.size() - kBlock) << "block length";
  EXPECT_EQ(U16(res, kBlock + 2), 52);
  EXPECT_EQ(U32(res, kBlock + 40), 0xFEEF04BDu);
  EXPECT_EQ(U32(res, kBlock + 48), 0x00010002u);
  EXPECT_EQ(U32(res, kBlock + 52), 0x00030004u);
  EXPECT_EQ(U32(res, kBlock + 56), 0x00010002u);
  EXPECT_EQ(U32(res, kBlock + 60), 0x00030004u);
  EXPECT_EQ(U32(res, kBlock + 68), 0x22u);
  EXPECT_EQ(U32(res, kBlock + 76), 2u) << "a library";
}

TEST(VersionResource, StringTableKeyEntriesAndTranslation) {
  TVersionInfo info;
  info.Add("FileDescription", "Test");
  std::string res = BuildVersionResource(info, 0x0407);
  size_t table = kBlock + 92 + 36;
  std::u16string key(reinterpret_cast<const char16_t*>(res.data() + table + 6), 8);
  EXPECT_EQ(key, u"040704E4");
  size_t entry = table + 24;
  EXPECT_EQ(U16(res, entry), 52) << "6 + 32 key bytes + 2 pad + 10 value bytes + 2 pad";
  EXPECT_EQ(U16(res, entry + 2), 5) << "value units with the terminating 0";
  EXPECT_EQ(U16(res, entry + 4), 1);
  EXPECT_EQ(U16(res, table), 24 + 52);
  size_t var = entry + 52;
  EXPECT_EQ(U16(res, var), 68);
  EXPECT_EQ(U16(res, var + 64), 0x0407);
  EXPECT_EQ(U16(res, var + 66), 1252);
}

TEST(VersionResource, EmptyTranslationsLeftOutAndEscapesResolved) {
  TVersionInfo info;
  info.Add("Comments", "").Translation = "";
  std::string empty = BuildVersionResource(info, 0x0419);
  EXPECT_EQ(U16(empty, kBlock + 92 + 36), 24) << "only the table header";
  std::u16string russianKey(reinterpret_cast<const char16_t*>(empty.data() + kBlock + 92 + 36 + 6), 8);
  EXPECT_EQ(russianKey, u"041904E3");

  TVersionInfo escaped;
  escaped.Add("Comments", "x").Translation = "a\\nb";
  TVersionInfo back;
  ReadVersionResource(back, Bytes(BuildVersionResource(escaped, 0x0407), kBlock), 1252);
  ASSERT_EQ(back.Items.size(), 1u);
  EXPECT_EQ(back.Items[0]->Value, "a\nb");
}

TEST(VersionResource, RoundTripInTheLanguagesCodePage) {
  TVersionInfo info = Sample();
  info.Find("companyname")->Translation = "\xCE\xCE\xCE \xAB\xCF\xF0\xE8\xEC\xE5\xF0\xBB";  // cp1251
  TVersionInfo back;
  ReadVersionResource(back, Bytes(BuildVersionResource(info, 0x0419), kBlock), 1251);
  EXPECT_TRUE(back.IncludeVerInfo);
  EXPECT_EQ(back.MajorVer, 1);
  EXPECT_EQ(back.Build, 4);
  EXPECT_TRUE(back.PreRelease);
  EXPECT_TRUE(back.SpecialBuild);
  EXPECT_FALSE(back.Debug);
  ASSERT_EQ(back.Items.size(), 2u);
  EXPECT_EQ(back.Items[0]->Value, info.Items[0]->Translation);
  EXPECT_EQ(back.Items[1]->Key, "FileDescription");
}

TEST(VersionInfo, AddKeepsFirstValueAndFindTakesTheLast) {
  TVersionInfo info;
  info.Add("CompanyName", "First");
  info.Add("COMPANYNAME", "Second");
  ASSERT_EQ(info.Items.size(), 1u);
  EXPECT_EQ(info.Find("companyname")->Value, "First");
  TVersionInfoLabel& label = *info.Items[0];
  label.Translation = "FIRST";
  EXPECT_FALSE(label.IsTranslated()) << "letter case alone is no translation";
  label.Translation = "Erste";
  EXPECT_TRUE(label.IsTranslated());
  label.ResetTranslation();
  EXPECT_EQ(label.Translation, "First");
}

// A module's resource with VarFileInfo before StringFileInfo, as some
// linkers write it.
std::string VarFirst(const std::string& ours) {
  size_t strings = kBlock + 92;
  size_t stringsLength = U16(ours, strings);
  std::string block = ours.substr(kBlock, 92);
  std::string var = ours.substr(strings + stringsLength, 68);
  return block + var + ours.substr(strings, stringsLength);
}

TEST(VersionResource, ChildOrderDoesNotMatter) {
  std::string ours = BuildVersionResource(Sample(), 0x0407);
  std::string reordered = VarFirst(ours);
  TVersionInfo a, b;
  ReadVersionResource(a, Bytes(ours, kBlock), 1252);
  ReadVersionResource(b, Bytes(reordered), 1252);
  ASSERT_EQ(a.Items.size(), b.Items.size());
  for (size_t i = 0; i < a.Items.size(); ++i) {
    EXPECT_EQ(a.Items[i]->Key, b.Items[i]->Key);
    EXPECT_EQ(a.Items[i]->Value, b.Items[i]->Value);
  }
}

TEST(VersionResource, DamagedResourcesRaiseNeverCrash) {
  std::string block = BuildVersionResource(Sample(), 0x0407).substr(kBlock);
  std::string wrongSize = block;
  wrongSize[2] = 51;
  TVersionInfo info;
  try {
    ReadVersionResource(info, Bytes(wrongSize), 1252);
    FAIL();
  } catch (const EVersionResourceError& e) {
    EXPECT_STREQ(e.what(), "Invalid Version Resource Header Size!");
  }
  for (size_t cut = 0; cut < block.size(); ++cut) {
    TVersionInfo partial;
    std::string shorter = block.substr(0, cut);
    EXPECT_THROW(ReadVersionResource(partial, Bytes(shorter), 1252), EVersionResourceError) << "cut at " << cut;
  }
  // Every single-byte corruption either reads or raises.
  for (size_t at = 0; at < block.size(); ++at) {
    for (uint8_t value : {0x00, 0x01, 0x7F, 0xFF}) {
      std::string bad = block;
      bad[at] = static_cast<char>(value);
      TVersionInfo any;
      try {
        ReadVersionResource(any, Bytes(bad), 1252);
      } catch (const EVersionResourceError&) {
      }
    }
  }
}

TEST(VersionResource, RefusesWhatItCannotHold) {
  TVersionInfo info;
  info.Add("Comments", std::string(5000, 'x'));
  EXPECT_THROW(BuildVersionResource(info, 0x0407), EVersionResourceError);
}

TEST(VersionOptions, EveryCorpusOptionsFileFeedsTheVersionInfo) {
  auto shared = test::SharedDir();
  if (!shared) GTEST_SKIP() << "../shared is not here: the corpus check is skipped";
  int files = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(*shared + "/corpus")) {
    if (!entry.is_regular_file() || !SameText(entry.path().extension().string(), ".dof")) continue;
    TVersionInfo info;
    ReadVersionOptions(info, TIniFile(entry.path().string()));
    EXPECT_NO_THROW(BuildVersionResource(info, 0x0409)) << entry.path();
    ++files;
  }
  EXPECT_GT(files, 0);
  std::cout << "[          ] " << files << " corpus options files read\n";
}

}  // namespace
}  // namespace kst
