// Resource strings: .DRC scripts read into the set (golden cases, errors, the
// corpus) and the string-table writers (exact bytes, .RES read back slot by
// slot, module scripts, and the independent dumper and windres).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <random>
#include <sstream>

#include "config/interaction.h"
#include "config/language_info.h"
#include "config/text_helpers.h"
#include "peresources/exe_file.h"
#include "platform/codepage.h"
#include "platform/file_utils.h"
#include "resstrings/resource_strings.h"
#include "resstrings/string_tables.h"
#include "support/pe_builder.h"
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

// Golden cases: tests/data/resstrings/scripts/README.
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

TEST(DelphiStrToInt, ConvertsOrRaises) {
  const std::pair<const char*, int32_t> numbers[] = {{"0", 0}, {"65535", 65535}, {"  42", 42}, {"-2147483648", INT32_MIN},
                                                     {"2147483647", INT32_MAX}, {"$7fffFFFF", INT32_MAX}, {"$FFFFFFFF", -1}};
  for (auto [text, value] : numbers) EXPECT_EQ(StrToInt(text), value) << text;
  for (const char* text : {"2147483648", "$100000000", "", "-", "$", "12 ", "1e3", "\t1", "99999999999999999999"})
    EXPECT_THROW(StrToInt(text), EConvertError) << text;
}

TEST(ResourceStrings, FindByNameWithoutCaseOrByIdAndAMissingScript) {
  TResourceStringsHelper set;
  set.Add(5, "First");
  set.Add(6, "first");
  set.Add(5, "Other");
  EXPECT_EQ(set.Find(0, "FIRST"), &set.Item(0));
  EXPECT_EQ(set.Find(5, ""), &set.Item(0));
  EXPECT_EQ(set.Find(6, ""), &set.Item(1));
  EXPECT_EQ(set.Find(5, "missing"), nullptr);
  EXPECT_EQ(set.Find(7, ""), nullptr);
  test::TScratchDir dir;
  EXPECT_THROW(set.ReadScript(dir.File("none.drc")), EFileError) << "a missing script";
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

uint32_t U32(const std::string& s, size_t at) { return test::Le(s).U32At(at); }
uint16_t U16(const std::string& s, size_t at) { return test::Le(s).U16At(at); }

// A .RES file read back strictly: id -> UTF-16 text of every non-empty slot.
// Fails the test on any layout fault.
std::map<int, std::u16string> ReadStringRes(const std::string& res) {
  std::map<int, std::u16string> strings;
  EXPECT_EQ(res.substr(0, 32), std::string("\0\0\0\0\x20\0\0\0\xFF\xFF\0\0\xFF\xFF\0\0", 16) + std::string(16, '\0'));
  size_t at = 32;
  int lastBlock = 0;
  while (at < res.size()) {
    EXPECT_EQ(at % 4, 0u);
    if (at + 32 > res.size()) {
      ADD_FAILURE() << "header cut at " << at;
      break;
    }
    uint32_t size = U32(res, at);
    EXPECT_EQ(U32(res, at + 4), 32u);
    EXPECT_EQ(U32(res, at + 8), 0x0006FFFFu);
    int block = U16(res, at + 14);
    EXPECT_GT(block, lastBlock) << "blocks must ascend";
    lastBlock = block;
    size_t data = at + 32, end = data + size;
    EXPECT_LE(end, res.size());
    size_t p = data;
    for (int slot = 0; slot < 16; ++slot) {
      uint16_t n = U16(res, p);
      std::u16string text;
      for (int i = 0; i < n; ++i) text += static_cast<char16_t>(U16(res, p + 2 + 2 * i));
      p += 2 + 2 * size_t{n};
      if (n) strings[(block - 1) * 16 + slot] = text;
    }
    EXPECT_EQ(p, end) << "data size must cover exactly the 16 slots";
    at = (end + 3) & ~size_t{3};
    EXPECT_EQ(res.substr(end, at - end), std::string(at - end, '\0'));
  }
  EXPECT_EQ(at, res.size());
  return strings;
}

TEST(StringTableResource, BlocksSlotsReplacementAndRange) {
  TResourceStringsHelper set;
  auto add = [&](int id, const std::string& original, const std::string& translated) {
    TResourceStrListItem& item = set.Add(id, "#" + std::to_string(id));
    item.OriginalValue = original;
    item.TranslatedValue = translated;
  };
  add(17, "seventeen", "siebzehn");
  add(18, "untranslated", "untranslated");
  add(16, "replaced", "replaced");
  add(16, "later", "later wins");
  add(0, "zero", "null");
  add(65536, "too high", "too high");
  add(-1, "negative", "negative");
  add(40, "\\r\\n\\t \\x0D\\x0A \\\\x0A \\\"", "\\r\\n\\t \\x0D\\x0A \\\\x0A \\\"");
  std::map<int, std::u16string> expected = {{0, u"null"},
                                            {16, u"later wins"},
                                            {17, u"siebzehn"},
                                            {18, u"untranslated"},
                                            {40, u"\r\n\t \r\n \\x0A \""}};
  std::string res = StringTableResource(set, 1252);
  EXPECT_EQ(ReadStringRes(res), expected);
  EXPECT_EQ(U16(res, 32 + 14), 1);  // block 0 first, name 1
}

TEST(StringTableResource, RandomSetsReadBackSlotForSlot) {
  std::mt19937 random(20261206);
  for (int round = 0; round < 20; ++round) {
    TResourceStringsHelper set;
    std::map<int, std::u16string> expected;
    int count = 1 + static_cast<int>(random() % 300);
    for (int i = 0; i < count; ++i) {
      int id = static_cast<int>(random() % 65536);
      std::string text;
      int length = static_cast<int>(random() % 40);
      for (int k = 0; k < length; ++k) text += static_cast<char>(0x20 + random() % 0xE0);
      if (text.find('\\') != std::string::npos) text.clear();
      TResourceStrListItem& item = set.Add(id, "n");
      item.OriginalValue = item.TranslatedValue = text;
      if (text.empty())
        expected.erase(id);
      else
        expected[id] = CodePageToUtf16(text, 1251);
    }
    EXPECT_EQ(ReadStringRes(StringTableResource(set, 1251)), expected) << "round " << round;
  }
}

TEST(StringTableResource, LongTextsAreCutToWhatASlotCanCount) {
  TResourceStringsHelper set;
  TResourceStrListItem& item = set.Add(3, "Long");
  item.TranslatedValue = std::string(70000, 'x');
  TResourceStrListItem& next = set.Add(4, "Next");
  next.TranslatedValue = "after";
  auto strings = ReadStringRes(StringTableResource(set, 1252));
  EXPECT_EQ(strings[3].size(), 65535u);
  EXPECT_EQ(strings[4], u"after");
  // A cut never splits a surrogate pair, and keeps one that ends at the limit.
  for (size_t before : {size_t(65533), size_t(65534)}) {
    item.TranslatedValue = std::string(before, 'x') + "\xF0\x9F\x98\x80yy";  // U+1F600 in UTF-8
    strings = ReadStringRes(StringTableResource(set, CP_UTF8));
    EXPECT_EQ(strings[3].size(), before == 65533 ? 65535u : 65534u) << before;
  }
}

TEST(StringTableResource, WritesAtomicallyAndRestoresTheHint) {
  test::TScratchDir dir;
  TResourceStringsHelper set;
  set.Add(1, "A").TranslatedValue = "x";
  TRecordingInteraction hint;
  hint.SetHint("before");
  std::string file = dir.File("DEU.res");
  WriteStringTableResource(set, file, 0x0407, TSystemCodePages(), hint);
  EXPECT_EQ(hint.hints, (std::vector<std::string>{"before", "Writing Translation File DEU.res...", "before"}));
  EXPECT_EQ(ReadFileBytes(file), StringTableResource(set, 1252));
  EXPECT_THROW(WriteStringTableResource(set, dir.File("missing/dir/x.res"), 0x0407, TSystemCodePages(), hint),
               EFileError);
  EXPECT_EQ(hint.Hint(), "before");
}

std::span<const uint8_t> Bytes(const std::string& s) { return {reinterpret_cast<const uint8_t*>(s.data()), s.size()}; }

struct TScriptCase {
  const char* name;
  std::vector<test::TLeafInput> leaves;
  std::string script;
  bool strayLeaf = false;  // the second root entry (type 10) points straight at a data entry
};

class ModuleScript : public testing::TestWithParam<TScriptCase> {};

TEST_P(ModuleScript, ListsTheStringsInTreeOrder) {
  test::TBuiltPe pe = test::BuildPe(GetParam().leaves);
  if (GetParam().strayLeaf) test::Put32(pe.image, pe.sectionFileOffset + 16 + 8 + 4, pe.dataEntries[1]);
  TExefile module(Bytes(pe.image), 1252);
  EXPECT_EQ(StringTableScript(module), "STRINGTABLE\r\nBEGIN\r\n" + GetParam().script + "END\r\n");
}

INSTANTIATE_TEST_SUITE_P(
    Modules, ModuleScript,
    testing::Values(
        // Quotes and control characters escaped, the module's code page, blocks in tree order.
        TScriptCase{"escapes and blocks",
                    {{6, 2, 0x0409, test::StringBlock({{1, u"a\"b\n"}, {0, u"\u00E9t\u00E9"}})},
                     {10, "TFORM1", 0, "TPF0"},
                     {6, 1, 0x0409, test::StringBlock({{15, u"fifteen"}})}},
                    "\t16,\t\"\xE9t\xE9\"\r\n\t17,\t\"a\\\"b\\x0A\"\r\n\t15,\t\"fifteen\"\r\n"},
        TScriptCase{"no strings", {{10, "TFORM1", 0, "TPF0"}}, ""},
        TScriptCase{"stray leaf beside the types",
                    {{6, 1, 0x0409, test::StringBlock({{2, u"two"}})}, {10, 5, 0, "data"}},
                    "\t2,\t\"two\"\r\n", true}),
    test::TCaseName());

// module -> script -> set -> resource: the resource holds the module's strings
// (one language of them) exactly, line breaks included.
TEST(StringTableScript, ReadsBackIntoTheSetAndTheResource) {
  test::TBuiltPe pe = test::BuildPe({{6, 2, 0x0409,
                                      test::StringBlock({{0, u"Line one\nLine two\ttab"},
                                                         {1, u"say \"hi\" \\ back"},
                                                         {2, u"\u00C4nderung"}})},
                                     {6, 4096, 0x0409, test::StringBlock({{15, u"last"}})}});
  TExefile module(Bytes(pe.image), 1252);
  test::TScratchDir dir;
  std::string script = dir.File("Module.DRC");
  WriteStringTableScript(module, script);
  TResourceStringsHelper set;
  set.ReadScript(script);
  ASSERT_EQ(set.Count(), 4);
  EXPECT_EQ(set.Item(0).Name, "#00000016");
  EXPECT_EQ(set.Item(0).OriginalValue, "Line one\\x0ALine two\\x09tab");
  EXPECT_EQ(set.Item(3).ID, 65535);
  std::map<int, std::u16string> expected = {
      {16, u"Line one\nLine two\ttab"}, {17, u"say \"hi\" \\ back"}, {18, u"\u00C4nderung"}, {65535, u"last"}};
  EXPECT_EQ(ReadStringRes(StringTableResource(set, 1252)), expected);
}

// The strings of the type-6 branch, block by block and slot by slot.
void ModuleStrings(const TPEResourceDirectory& dir, std::vector<std::pair<int, std::string>>& out) {
  for (int i = 0; i < dir.SubdirectoryCount(); ++i)
    if (dir.Level() > 0 || dir.Subdirectory(i).TypeID() == 6) ModuleStrings(dir.Subdirectory(i), out);
  for (int i = 0; i < dir.DataEntryCount(); ++i)
    if (auto* block = dynamic_cast<const TPEStringResourceDataEntry*>(&dir.DataEntry(i)))
      for (int slot = 0; slot < 16; ++slot)
        if (TPEStringResourceItem item = block->GetString(slot); item.valid) out.push_back({item.ID, item.text});
}

TEST(StringTableScript, FixtureModulesReadBack) {
  std::string why;
  auto dir = test::FixtureDir(why);
  if (!dir) GTEST_SKIP() << why;
  for (const char* name : {"app.exe", "strings.dll", "resonly_de.dll"}) {
    TExefile module(*dir + "/" + name, 1252);
    std::vector<std::pair<int, std::string>> expected;
    ModuleStrings(module.ResourceSection().Root(), expected);
    ASSERT_GT(expected.size(), 4u) << name;
    // The set is sorted by "#" and eight digits: by identifier, and in script
    // order for the same identifier in several languages.
    std::stable_sort(expected.begin(), expected.end(), [](auto& a, auto& b) { return a.first < b.first; });
    for (auto& [id, text] : expected) text = DecodeEscapes(EncodeEscapes(text));
    TResourceStringsHelper set;
    set.ReadScriptText(StringTableScript(module));
    std::vector<std::pair<int, std::string>> actual;
    for (int i = 0; i < set.Count(); ++i) actual.push_back({set.Item(i).ID, set.Item(i).OriginalValue});
    EXPECT_EQ(actual, expected) << name;
  }
}

struct TCodePageCase {
  int codePage;
  const char* language;
  std::string utf8;  // the text, as it must come out of the dumpers
};

class IndependentReaders : public testing::TestWithParam<TCodePageCase> {};

TEST_P(IndependentReaders, ReadOurResourceWithTheSameIdsAndTexts) {
  std::string why;
  if (!test::FixtureDir(why)) GTEST_SKIP() << why;
  const TCodePageCase& c = GetParam();
  test::TScratchDir dir;
  std::string drc = dir.File("Project.drc");
  std::string ansi = Utf8ToCodePage(c.utf8, c.codePage);
  test::WriteFile(drc, "#define Unit_SText 4711\r\n#define Unit_SQuote 65535\r\nSTRINGTABLE\r\nBEGIN\r\n"
                       "\tUnit_SText,\t\"" + EncodeEscapes(ansi) + "\"\r\n"
                       "\tUnit_SQuote,\t\"say \\\"x\\\"\\r\\nnext\"\r\n\t17,\t\"seventeen\"\r\nEND\r\n");
  TResourceStringsHelper set;
  set.ReadScript(drc);
  std::string res = dir.File("out.res");
  TRecordingInteraction hint;
  WriteStringTableResource(set, res, std::stoi(c.language, nullptr, 16), TSystemCodePages(), hint);

  std::string tools = *test::PeTools(why);
  test::TProgramRun run = test::Run("/usr/bin/python3 " + test::ShellQuote(tools + "/res-dump.py") + " " + test::ShellQuote(res));
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const std::string& dump = run.out;
  EXPECT_NE(dump.find("  STR 4711 \"" + c.utf8 + "\"\n"), std::string::npos) << dump;
  EXPECT_NE(dump.find("  STR 65535 \"say \\\"x\\\"\\r\\nnext\"\n"), std::string::npos) << dump;
  EXPECT_NE(dump.find("  STR 17 \"seventeen\"\n"), std::string::npos) << dump;
  EXPECT_NE(dump.find("type=6 name=295 lang=0000 "), std::string::npos) << dump;

  // windres reads the file on its own: it decompiles it, and its reading
  // linked into a module lists the same as the dumper's reading of ours.
  run = test::Run(test::ShellQuote(tools + "/res-crosscheck.sh") + " " + test::ShellQuote(res));
  EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
}

INSTANTIATE_TEST_SUITE_P(
    CodePages, IndependentReaders,
    testing::Values(TCodePageCase{1250, "0405", "P\xC5\x99\xC3\xAD\xC5\xA1" "ern\xC4\x9B \xC5\xBElu\xC5\xA5ou\xC4\x8Dk\xC3\xBD k\xC5\xAF\xC5\x88"},
                    TCodePageCase{1251, "0419", "\xD0\xA1\xD0\xBE\xD1\x85\xD1\x80\xD0\xB0\xD0\xBD\xD0\xB8\xD1\x82\xD1\x8C \xE2\x84\x96 \xC2\xAB\xD0\x81\xC2\xBB"},
                    TCodePageCase{1252, "0407", "\xC3\x84" "nderungen an \xE2\x80\x9E%s\xE2\x80\x9C: 10 \xE2\x82\xAC"}),
    [](const auto& info) { return "cp" + std::to_string(info.param.codePage); });

}  // namespace
}  // namespace kst
