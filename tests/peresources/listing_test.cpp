// The listing's text rules, where they differ from plain UTF-8, and the
// warnings for string blocks that are cut short or have bytes left over.
#include <gtest/gtest.h>

#include "support/pe_builder.h"
#include "peresources/resource_listing.h"
#include "peresources/sha256.h"

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

}  // namespace
}  // namespace kst
