// The listing and the .RES framing against the independent dumper: text
// rules, string-block warnings, a golden .RES, and every shared fixture.
#include <gtest/gtest.h>

#include <sstream>

#include "peresources/exe_file.h"
#include "peresources/res_writer.h"
#include "peresources/resource_listing.h"
#include "peresources/sha256.h"
#include "platform/file_utils.h"
#include "support/pe_builder.h"
#include "support/test_support.h"

namespace kst {
namespace {

struct TQuoteCase {
  std::u16string text;
  std::string quoted;
};

class Quoting : public testing::TestWithParam<TQuoteCase> {};

TEST_P(Quoting, EscapesLikeTheDumpers) { EXPECT_EQ(QuoteForListing(GetParam().text), GetParam().quoted); }

INSTANTIATE_TEST_SUITE_P(
    Texts, Quoting,
    testing::Values(TQuoteCase{u"", "\"\""}, TQuoteCase{u"a\"b\\c", "\"a\\\"b\\\\c\""},
                    TQuoteCase{u"\n\r\t", "\"\\n\\r\\t\""}, TQuoteCase{std::u16string(1, u'\0'), "\"\\0\""},
                    TQuoteCase{u"\x01\x1F\x7F\x9F\xA0", "\"\\x01\\x1f\\x7f\\x9f\xC2\xA0\""},
                    TQuoteCase{u"\u00C4\u20AC\u201E", "\"\xC3\x84\xE2\x82\xAC\xE2\x80\x9E\""},
                    TQuoteCase{u"\U0001F600", "\"\xF0\x9F\x98\x80\""},
                    TQuoteCase{std::u16string(1, char16_t(0xD800)) + u"x", "\"\\ud800x\""},
                    TQuoteCase{std::u16string(1, char16_t(0xDC00)), "\"\\udc00\""}));

std::span<const uint8_t> Bytes(const std::string& s) { return {reinterpret_cast<const uint8_t*>(s.data()), s.size()}; }

TEST(Listing, StringBlockWarnings) {
  std::string block = test::StringBlock({{0, u"a"}, {2, u"c"}});
  EXPECT_EQ(StringBlockLines(false, u"", 3, Bytes(block)),
            (std::vector<std::string>{"STR 32 \"a\"", "STR 34 \"c\""}));
  EXPECT_EQ(StringBlockLines(false, u"", 3, Bytes(block + std::string(4, '\0'))).back(),
            "STR warn 4 bytes after the 16 entries (zero)");
  EXPECT_EQ(StringBlockLines(false, u"", 3, Bytes(block + "xy")).back(), "STR warn 2 bytes after the 16 entries");
  EXPECT_EQ(StringBlockLines(false, u"", 3, Bytes(block.substr(0, 7))),
            (std::vector<std::string>{"STR 32 \"a\"", "STR warn data ends after 2 of 16 entries"}));
  EXPECT_EQ(StringBlockLines(false, u"", 3, Bytes(block.substr(0, 9))),
            (std::vector<std::string>{"STR 32 \"a\"", "STR warn entry 2: length 1 runs past the data"}));
  EXPECT_EQ(StringBlockLines(true, u"NAMED", 0, Bytes(block)),
            (std::vector<std::string>{"STR warn block name \"NAMED\" is not 1..4096; entries not decoded"}));
  EXPECT_EQ(StringBlockLines(false, u"", 4097, Bytes(block)).size(), 1u);
}

TEST(Listing, Sha256OfKnownTexts) {
  EXPECT_EQ(Sha256Hex(Bytes("")), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(Sha256Hex(Bytes("abc")), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  // Two blocks of padding: 56 bytes leave no room for the length in the first.
  EXPECT_EQ(Sha256Hex(Bytes("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq")),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
}

TEST(Listing, VersionResourceThatIsTooShortOrRunsOn) {
  EXPECT_EQ(VersionLines(Bytes("\x04")), (std::vector<std::string>{"VER warn data too short"}));
  // A root block that claims more than there is, with no value.
  std::string root;
  test::Put16(root, 0, 200);
  test::Put16(root, 2, 0);
  test::Put16(root, 4, 0);
  for (char16_t c : std::u16string(u"VS_VERSION_INFO")) test::Put16(root, root.size(), c);
  test::Put16(root, root.size(), 0);
  std::vector<std::string> lines = VersionLines(Bytes(root));
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0], "VER fixed none");
  EXPECT_EQ(lines[1], "VER warn root: wLength 200 at offset 0 runs past its parent (end 38)");
}

TEST(ResWriter, EntriesAreFramedAndPaddedAsWindowsReadsThem) {
  TResWriter writer;
  writer.BeginResource(TResId::Number(10), TResId::Number(0x1000), {0, 0x1030, 0x0407, 0, 0});
  writer.Out().Bytes("abcde");
  writer.EndResource();
  for (const std::u16string& name : {std::u16string(u"A"), std::u16string(u"AB"), std::u16string(u"TFORM1")}) {
    writer.BeginResource(TResId::Named(u"MYDATA"), TResId::Named(name), {});
    writer.Out().Bytes("x");
    writer.EndResource();
  }
  const std::string file = test::TestDataDir() + "/peresources/framing.res";
  test::ExpectGolden(file, writer.Take());
  std::string why;
  if (!test::PeTools(why)) GTEST_SKIP() << why;
  test::TProgramRun dump = test::RunPeTool("res-dump.py", "--headers --file-order " + test::ShellQuote(file));
  EXPECT_EQ(dump.exitCode, 0) << dump.err;
  test::ExpectGolden(file + ".dump", dump.out);
}

std::string WithoutFormLines(const std::string& text) {
  std::istringstream in(text);
  std::string line, out;
  while (std::getline(in, line))
    if (line.rfind("  FORM ", 0) != 0) out += line + "\n";
  return out;
}

std::string Listing(const std::string& file) {
  TExefile module(file, 1252);
  return ListResources(module);
}

class WellFormedFixture : public testing::TestWithParam<const char*> {};

TEST_P(WellFormedFixture, ListsWhatPeDumpLists) {
  std::string why;
  auto dir = test::FixtureDir(why);
  if (!dir) GTEST_SKIP() << why;
  std::string file = *dir + "/" + GetParam();
  test::TProgramRun dump = test::RunPeTool("pe-dump.py", "--file-order " + test::ShellQuote(file));
  ASSERT_LE(dump.exitCode, 1) << "pe-dump could not read " << file;
  EXPECT_EQ(Listing(file), WithoutFormLines(dump.out));
}

// odd-rsrc-renamed.exe keeps its resources in a section of another name:
// Windows finds them through the data directory, and so must we.
// bad-rsrc-unsorted.exe is in Windows' eyes damaged (its look-up is a binary
// search), but every offset in it is sound, so it reads like the others.
INSTANTIATE_TEST_SUITE_P(Fixtures, WellFormedFixture,
                         testing::Values("app.exe", "strings.dll", "resonly_de.dll", "norsrc.exe",
                                         "odd-rsrc-renamed.exe", "bad-rsrc-unsorted.exe"),
                         test::TCaseName());

TEST(MalformedFixtures, GiveTheReadersMessage) {
  std::string why;
  auto dir = test::FixtureDir(why);
  if (!dir) GTEST_SKIP() << why;
  std::istringstream table(ReadFileBytes(test::TestDataDir() + "/peresources/malformed-fixtures.txt"));
  int cases = 0;
  for (std::string line; std::getline(table, line);) {
    if (line.empty() || line[0] == '#') continue;
    const std::string name = line.substr(0, line.find('\t')), message = line.substr(line.find('\t') + 1);
    try {
      Listing(*dir + "/" + name);
      ADD_FAILURE() << name << " was read";
    } catch (const EPEResourceError& e) {
      EXPECT_EQ(e.what(), message) << name;
    }
    ++cases;
  }
  EXPECT_EQ(cases, 12);
}

}  // namespace
}  // namespace kst
