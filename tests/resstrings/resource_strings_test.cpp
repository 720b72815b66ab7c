// Reading .DRC scripts into the resource-string set: the script's rules as
// golden cases, the failure that keeps what was read, and every real script
// of the shared corpus.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "config/language_info.h"
#include "config/text_helpers.h"
#include "platform/codepage.h"
#include "platform/file_utils.h"
#include "resstrings/resource_strings.h"
#include "resstrings/string_tables.h"
#include "support/test_support.h"

namespace kst {
namespace {

std::string Dump(const TResourceStringsHelper& set) {
  std::string out;
  for (int i = 0; i < set.Count(); ++i) {
    const TResourceStrListItem& item = set.Item(i);
    out += std::to_string(item.ID) + "|" + item.Name + "|" + item.OriginalValue + "|" + item.TranslatedValue + "\n";
  }
  return out;
}

// Golden cases, one folder each under tests/data/resstrings/scripts: a .DRC
// script and a language go in; the listing of the set (identifier, name,
// text) and the string-table resource written from its translations, which
// start as the originals, must equal the files beside them.
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

TEST(ResourceStrings, ReadingTwiceWithoutClearAddsTheDefinesAgain) {
  TResourceStringsHelper set;
  std::string script = "#define A 1\nSTRINGTABLE\nBEGIN\n A, \"x\"\nEND\n";
  set.ReadScriptText(script);
  set.ReadScriptText(script);
  EXPECT_EQ(Dump(set), "1|A|x|x\n1|A||\n");
}

TEST(ResourceStrings, ABadIdentifierStopsReadingAndKeepsWhatWasRead) {
  TResourceStringsHelper set;
  try {
    set.ReadScriptText("#define Z 1\n#define A 2\n#define Bad 12a\n#define C 3\n");
    FAIL() << "read a bad identifier";
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "'12a' is not a valid integer value");
  }
  EXPECT_EQ(Dump(set), "1|Z||\n2|A||\n");  // unsorted
  EXPECT_THROW(set.ReadScriptText("STRINGTABLE\nBEGIN\n 99999999999, \"x\"\nEND\n"), EConvertError);
}

struct TIntCase {
  const char* text;
  int64_t value;  // INT64_MIN: an error
};

class DelphiStrToInt : public testing::TestWithParam<TIntCase> {};

TEST_P(DelphiStrToInt, ConvertsOrRaises) {
  if (GetParam().value == INT64_MIN)
    EXPECT_THROW(StrToInt(GetParam().text), EConvertError) << GetParam().text;
  else
    EXPECT_EQ(StrToInt(GetParam().text), GetParam().value) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Numbers, DelphiStrToInt,
                         testing::Values(TIntCase{"0", 0}, TIntCase{"65535", 65535}, TIntCase{"  42", 42},
                                         TIntCase{"-2147483648", INT32_MIN}, TIntCase{"2147483647", INT32_MAX},
                                         TIntCase{"2147483648", INT64_MIN}, TIntCase{"$7fffFFFF", INT32_MAX},
                                         TIntCase{"$FFFFFFFF", -1}, TIntCase{"$100000000", INT64_MIN},
                                         TIntCase{"", INT64_MIN}, TIntCase{"-", INT64_MIN}, TIntCase{"$", INT64_MIN},
                                         TIntCase{"12 ", INT64_MIN}, TIntCase{"1e3", INT64_MIN},
                                         TIntCase{"\t1", INT64_MIN}, TIntCase{"99999999999999999999", INT64_MIN}));

TEST(ResourceStrings, FindByNameWithoutCaseOrById) {
  TResourceStringsHelper set;
  set.Add(5, "First");
  set.Add(6, "first");
  set.Add(5, "Other");
  EXPECT_EQ(set.Find(0, "FIRST"), &set.Item(0));
  EXPECT_EQ(set.Find(5, ""), &set.Item(0));
  EXPECT_EQ(set.Find(6, ""), &set.Item(1));
  EXPECT_EQ(set.Find(5, "missing"), nullptr);
  EXPECT_EQ(set.Find(7, ""), nullptr);
}

TEST(ResourceStrings, AMissingScriptIsAFileError) {
  test::TScratchDir dir;
  TResourceStringsHelper set;
  EXPECT_THROW(set.ReadScript(dir.File("none.drc")), EFileError);
}

// Every .DRC of the corpus reads, with one entry per #define.
TEST(ResourceStrings, EveryCorpusScriptReads) {
  auto shared = test::SharedDir();
  if (!shared || !std::filesystem::is_directory(*shared + "/corpus"))
    GTEST_SKIP() << "the shared corpus is not there (set KST_SHARED_DIR)";
  int scripts = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(*shared + "/corpus")) {
    std::string ext = UpperCaseAscii(entry.path().extension().string());
    if (!entry.is_regular_file() || ext != ".DRC") continue;
    ++scripts;
    std::string path = entry.path().string();
    TResourceStringsHelper set;
    ASSERT_NO_THROW(set.ReadScript(path)) << path;
    std::istringstream lines(ReadFileBytes(path));
    std::string line;
    int defines = 0, texts = 0;
    while (std::getline(lines, line)) {
      defines += line.rfind("#define", 0) == 0;
      texts += line.rfind("\t", 0) == 0 && line.find(',') != std::string::npos;
    }
    EXPECT_EQ(set.Count(), defines) << path;
    int withText = 0;
    for (int i = 0; i < set.Count(); ++i) withText += !set.Item(i).OriginalValue.empty();
    EXPECT_LE(withText, texts) << path;
    for (int i = 1; i < set.Count(); ++i)
      EXPECT_LE(UpperCaseAscii(set.Item(i - 1).Name), UpperCaseAscii(set.Item(i).Name)) << path;
  }
  EXPECT_GT(scripts, 0);
}

}  // namespace
}  // namespace kst
