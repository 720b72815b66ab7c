// Reading .DRC scripts into the resource-string set: the script's rules as a
// table of small scripts, the failure that keeps what was read, and every
// real script of the shared corpus.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "config/text_helpers.h"
#include "platform/file_utils.h"
#include "resstrings/resource_strings.h"
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

struct TScriptCase {
  const char* name;
  std::string script;
  std::string entries;  // Dump() of the set after ReadScript
};

class ScriptReading : public testing::TestWithParam<TScriptCase> {};

TEST_P(ScriptReading, GivesTheEntries) {
  TResourceStringsHelper set;
  set.ReadScriptText(GetParam().script);
  EXPECT_EQ(Dump(set), GetParam().entries);
}

INSTANTIATE_TEST_SUITE_P(
    Scripts, ScriptReading,
    testing::Values(
        TScriptCase{"compiler script",
                    "#define Main_SNotFound 65535\r\nSTRINGTABLE\r\nBEGIN\r\n\tMain_SNotFound,\t\"Unknown\"\r\nEND\r\n",
                    "65535|Main_SNotFound|Unknown|Unknown\n"},
        TScriptCase{"number without define", "STRINGTABLE\nBEGIN\n\t12345,\t\"Text\"\nEND\n",
                    "12345|#00012345|Text|Text\n"},
        TScriptCase{"escapes", "STRINGTABLE\nBEGIN\n 7, \"say \\\"hi\\\"\\n\\x0D\\x0A\"\nEND\n",
                    "7|#00000007|say \"hi\"\\n\\x0D\\x0A|say \"hi\"\\n\\x0D\\x0A\n"},
        TScriptCase{"BEGIN with leading blanks opens no block",
                    "#define A 1\nSTRINGTABLE\n  BEGIN\n\tA,\t\"x\"\nEND\n", "1|A||\n"},
        TScriptCase{"the line after STRINGTABLE is used up",
                    "STRINGTABLE\n#define A 1\nBEGIN\n 5, \"x\"\nEND\n", ""},
        TScriptCase{"keywords in any case, END with blanks",
                    "#define a 3\n  stringtable\nbegin\n A, \"one\"\n   End   \n 4, \"outside\"\n", "3|a|one|one\n"},
        TScriptCase{"define never given a text", "#define Lonely 9\nSTRINGTABLE\nBEGIN\nEND\n", "9|Lonely||\n"},
        TScriptCase{"sorted by name without case, equal names keep their order",
                    "#define b 1\n#define A 2\n#define a 3\n#define B 4\n#define _x 5\n",
                    "2|A||\n3|a||\n1|b||\n4|B||\n5|_x||\n"},
        TScriptCase{"LF and CR line ends", "#define X 1\rSTRINGTABLE\rBEGIN\r X, \"cr\"\rEND\r",
                    "1|X|cr|cr\n"},
        TScriptCase{"first comma splits, quotes and blanks trimmed once",
                    "STRINGTABLE\nBEGIN\n 1,  \t  \"\"a, b\"\"  \n 2, bare text\nEND\n",
                    "1|#00000001|\"a, b\"|\"a, b\"\n2|#00000002|bare text|bare text\n"},
        TScriptCase{"lines without comma and unknown names are skipped",
                    "STRINGTABLE\nBEGIN\n no comma here\n Unknown_Name, \"x\"\n 1 , \"blank before comma\"\nEND\n", ""},
        TScriptCase{"hexadecimal and signed identifiers", "#define H $FFFF\n#define N -2\n#define P +7\n",
                    "65535|H||\n-2|N||\n7|P||\n"},
        TScriptCase{"a later line for the same name wins",
                    "#define S 1\nSTRINGTABLE\nBEGIN\n S, \"first\"\n s, \"second\"\nEND\n", "1|S|second|second\n"}),
    test::TCaseName());

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

TEST(ResourceStrings, ReloadFindsTheProjectsScriptOrLeavesTheSetEmpty) {
  test::TScratchDir dir;
  TResourceStringsHelper set;
  set.Add(1, "stale");
  EXPECT_EQ(set.ReloadScript(dir.File("App.dpr")), 0);
  EXPECT_EQ(set.Count(), 0);
  test::WriteFile(dir.File("app.drc"), "#define S_A 100\r\n");
  EXPECT_GT(set.ReloadScript(dir.File("App.dpr")), 0);
  EXPECT_EQ(Dump(set), "100|S_A||\n");
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
