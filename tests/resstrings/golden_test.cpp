// Golden cases, one folder each under tests/data/resstrings/scripts: a .DRC
// script and a language go in; the listing of the set and the string-table
// resource written from it must equal the files beside them. Set
// KST_REGENERATE_GOLDEN=1 to rewrite the expected files after an intended
// change (and read the diff before committing it).
#include <gtest/gtest.h>

#include "config/language_info.h"
#include "config/text_helpers.h"
#include "platform/codepage.h"
#include "platform/file_utils.h"
#include "resstrings/resource_strings.h"
#include "resstrings/string_tables.h"
#include "support/test_support.h"

namespace kst {
namespace {

std::string GoldenRoot() { return test::TestDataDir() + "/resstrings/scripts"; }

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
  test::ExpectGolden(dir + "/expected-list.txt", list);
  test::ExpectGolden(dir + "/expected.res", StringTableResource(set, LanguageAnsiCodePage(language, TSystemCodePages())));
}

INSTANTIATE_TEST_SUITE_P(Golden, GoldenScript, testing::ValuesIn(test::GoldenCases(GoldenRoot())), test::TCaseName());

}  // namespace
}  // namespace kst
