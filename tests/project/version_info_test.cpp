// The .RES files a language module links from the project: version
// resources and the custom resources taken out of a module, pinned by golden
// files that the independent dumper (res-dump.py) reads; version resources
// read back, damaged, and fed by every corpus project's version options.
#include "project/version_info.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "platform/ini_file.h"
#include "platform/same_text.h"
#include "project/custom_resources.h"
#include "support/pe_builder.h"
#include "support/test_support.h"

namespace kst {
namespace {

std::span<const uint8_t> Bytes(const std::string& s, size_t from = 0) {
  return {reinterpret_cast<const uint8_t*>(s.data()) + from, s.size() - from};
}

// The version block starts after the empty entry and the entry header.
constexpr size_t kBlock = 64;

std::string Items(const TVersionInfo& info) {
  std::string text;
  for (const auto& item : info.Items) text += item->Key + "=" + item->Value + "\n";
  return text;
}

TVersionInfo Sample() {
  TVersionInfo info;
  std::tie(info.MajorVer, info.MinorVer, info.Release, info.Build) = std::tuple(1, 2, 3, 4);
  info.PreRelease = info.SpecialBuild = true;
  info.Add("CompanyName", "ACME");
  info.Add("FileDescription", "Test");
  return info;
}

TEST(LinkedResources, TheFilesMatchTheirGoldenFilesAndTheDumpersReading) {
  TVersionInfo emptyTranslation;
  emptyTranslation.Add("Comments", "").Translation = "";  // left out of the table
  emptyTranslation.Add("FileDescription", "x").Translation = "a\\tb";  // escapes resolved
  const uint8_t five[] = {1, 2, 3, 4, 5}, eight[] = {1, 2, 3, 4, 5, 6, 7, 8}, a[] = {'a'}, b[] = {'b'};
  const std::pair<const char*, std::string> files[] = {
      {"version-0407.res", BuildVersionResource(Sample(), 0x0407)},
      {"version-0419.res", BuildVersionResource(emptyTranslation, 0x0419)},
      // Paddings after odd names and data; a resource in one language only becomes neutral.
      {"custom.res", BuildCustomResourceFile({{"#2", "LOGO", 0x0407, five}, {"MYDATA", "#7", 0x0409, eight},
                                              {"MYDATA", "CONFIG", 0x0407, a}, {"MYDATA", "config", 0x0409, b}})},
  };
  const std::string dir = test::TestDataDir() + "/project/";
  std::string why;
  for (const auto& [name, bytes] : files) {
    test::ExpectGolden(dir + name, bytes);
    if (!test::PeTools(why)) continue;
    test::TProgramRun dump = test::RunPeTool("res-dump.py", "--headers --file-order " + test::ShellQuote(dir + name));
    EXPECT_EQ(dump.exitCode, 0) << dump.err;
    test::ExpectGolden(dir + name + ".dump", dump.out);
  }
  EXPECT_THROW(BuildCustomResourceFile({{"#10", std::string(300, 'N'), 0, five}}), std::invalid_argument);
  TVersionInfo tooLong;
  tooLong.Add("Comments", std::string(5000, 'x'));
  EXPECT_THROW(BuildVersionResource(tooLong, 0x0407), EVersionResourceError);
}

// In the language's code page and in any child order (some linkers write VarFileInfo first).
TEST(VersionResource, ReadsBackInTheLanguagesCodePageWithEscapesResolved) {
  TVersionInfo info = Sample();
  info.Find("companyname")->Translation = "\xCE\xCE\xCE \xAB\xCF\xF0\xE8\xEC\xE5\xF0\xBB";  // cp1251
  info.Find("FileDescription")->Translation = "a\\nb";
  const std::string ours = BuildVersionResource(info, 0x0419);
  const size_t strings = kBlock + 92, stringsLength = test::Le(ours).U16At(strings);
  const std::string reordered =
      ours.substr(kBlock, 92) + ours.substr(strings + stringsLength, 68) + ours.substr(strings, stringsLength);
  for (const std::string& block : {ours.substr(kBlock), reordered}) {
    TVersionInfo back;
    ReadVersionResource(back, Bytes(block), 1251);
    EXPECT_EQ(std::tuple(back.IncludeVerInfo, back.MajorVer, back.MinorVer, back.Release, back.Build, back.PreRelease,
                         back.SpecialBuild, back.Debug),
              std::tuple(true, 1, 2, 3, 4, true, true, false));
    EXPECT_EQ(Items(back), "CompanyName=" + info.Items[0]->Translation + "\nFileDescription=a\nb\n");
  }
}

// As later Delphi linkers write an empty last value: its one character lies
// past the blocks around it.
TEST(VersionResource, AnEmptyValueWhoseCharacterLiesPastItsBlockReadsAsEmpty) {
  TVersionInfo info;
  info.Add("CompanyName", "ACME");
  info.Add("Comments", "x");  // an empty value would be left out
  std::string block = BuildVersionResource(info, 0x0407).substr(kBlock);
  const size_t strings = 92, table = strings + 36, comments = table + 24 + 44;
  block.resize(block.size() - 68 - 4);  // no VarFileInfo, and the last value's characters gone
  test::Put16(block, comments + 2, 1);
  test::Put16(block, 0, static_cast<uint16_t>(block.size()));
  for (size_t node : {strings, table}) test::Put16(block, node, test::Le(block).U16At(node) - 4);
  TVersionInfo back;
  ReadVersionResource(back, Bytes(block), 1252);
  EXPECT_EQ(Items(back), "CompanyName=ACME\nComments=\n");
  // Further out than one character is damage.
  test::Put16(block, table, test::Le(block).U16At(table) - 4);
  EXPECT_THROW(ReadVersionResource(back, Bytes(block), 1252), EVersionResourceError);
}

TEST(VersionResource, DamagedResourcesRaiseNeverCrash) {
  const std::string block = BuildVersionResource(Sample(), 0x0407).substr(kBlock);
  std::string wrongSize = block;
  wrongSize[2] = 51;
  TVersionInfo info;
  EXPECT_EQ(test::Thrown<EVersionResourceError>([&] { ReadVersionResource(info, Bytes(wrongSize), 1252); }),
            "Invalid Version Resource Header Size!");
  for (size_t cut = 0; cut < block.size(); ++cut)
    EXPECT_THROW(ReadVersionResource(info, Bytes(block.substr(0, cut)), 1252), EVersionResourceError) << cut;
  for (size_t at = 0; at < block.size(); ++at)
    for (uint8_t value : {0x00, 0x01, 0x7F, 0xFF}) {
      std::string bad = block;
      bad[at] = static_cast<char>(value);
      test::Thrown<EVersionResourceError>([&] { ReadVersionResource(info, Bytes(bad), 1252); });  // never crashes
    }
}

// Letter case alone is no other key, file or translation.
TEST(ProjectLists, VersionKeysAndCustomResourcesCompareWithoutCase) {
  TVersionInfo info;
  info.Add("CompanyName", "First");
  TVersionInfoLabel& label = info.Add("COMPANYNAME", "Second");
  EXPECT_EQ(info.Items.size(), 1u);
  label.Translation = "FIRST";
  EXPECT_FALSE(label.IsTranslated());
  label.ResetTranslation();
  EXPECT_EQ(label.Translation, "First");
  TCustomResources list;
  TCustomResource& r = list.Add("C:\\R\\Pics.res");
  EXPECT_EQ(&list.Add("c:\\r\\PICS.RES"), &r);
  EXPECT_EQ(r.TranslatedFile, "C:\\R\\Pics.res");
  r.TranslatedFile = "C:\\r\\pics.RES";
  EXPECT_FALSE(r.IsTranslated());
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
}

}  // namespace
}  // namespace kst
