// Golden cases, one folder each under tests/data/resstrings/scripts: a .DRC
// script and a language go in; the listing of the set and the string-table
// resource written from it must equal the files beside them. Set
// KST_REGENERATE_GOLDEN=1 to rewrite the expected files after an intended
// change (and read the diff before committing it).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "config/language_info.h"
#include "config/text_helpers.h"
#include "platform/codepage.h"
#include "platform/file_utils.h"
#include "resstrings/resource_strings.h"
#include "resstrings/string_tables.h"
#include "support/test_support.h"

namespace kst {
namespace {

std::string GoldenRoot() { return std::string(KST_RESSTRINGS_DATA) + "/scripts"; }

std::vector<std::string> Cases() {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(GoldenRoot()))
    if (entry.is_directory()) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

class GoldenScript : public testing::TestWithParam<std::string> {};

TEST_P(GoldenScript, ListAndResourceMatch) {
  std::string dir = GoldenRoot() + "/" + GetParam();
  TResourceStringsHelper set;
  set.ReadScript(dir + "/script.drc");
  std::string list;
  for (int i = 0; i < set.Count(); ++i) {
    const TResourceStrListItem& item = set.Item(i);
    list += std::to_string(item.ID) + "\t" + item.Name + "\t" + EncodeEscapes(item.OriginalValue) + "\r\n";
  }
  int language = std::stoi(TrimBlanks(ReadFileBytes(dir + "/language").substr(0, 4)), nullptr, 16);
  std::string res = StringTableResource(set, LanguageAnsiCodePage(language, TSystemCodePages()));
  if (std::getenv("KST_REGENERATE_GOLDEN")) {
    AtomicWriteFile(dir + "/expected-list.txt", list);
    AtomicWriteFile(dir + "/expected.res", res);
    GTEST_SKIP() << "regenerated " << dir;
  }
  EXPECT_EQ(list, ReadFileBytes(dir + "/expected-list.txt"));
  EXPECT_TRUE(res == ReadFileBytes(dir + "/expected.res")) << "the resource differs from " << dir << "/expected.res";
}

INSTANTIATE_TEST_SUITE_P(Golden, GoldenScript, testing::ValuesIn(Cases()), [](const auto& info) {
  std::string name = info.param;
  for (char& c : name)
    if (!isalnum(static_cast<unsigned char>(c))) c = '_';
  return name;
});

}  // namespace
}  // namespace kst
