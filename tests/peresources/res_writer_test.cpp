// The shared .RES framing: sizes patched in afterwards, headers with names,
// and padding, checked against the byte layout Windows reads.
#include <gtest/gtest.h>

#include "peresources/res_writer.h"
#include "support/test_support.h"

namespace kst {
namespace {

uint32_t U32(const std::string& s, size_t at) { return test::Le(s).U32At(at); }

TEST(ResWriter, StartsWithTheEmptyEntry) {
  TResWriter writer;
  EXPECT_EQ(writer.Take(), std::string("\0\0\0\0\x20\0\0\0\xFF\xFF\0\0\xFF\xFF\0\0", 16) + std::string(16, '\0'));
}

TEST(ResWriter, NumberedEntryHasA32ByteHeaderAndIsPadded) {
  TResWriter writer;
  writer.BeginResource(TResId::Number(6), TResId::Number(0x1000), {0, 0x1030, 0x0407, 0, 0});
  writer.Out().Bytes("abcde");
  writer.EndResource();
  std::string bytes = writer.Take();
  ASSERT_EQ(bytes.size(), 32u + 32 + 8);
  EXPECT_EQ(U32(bytes, 32), 5u);   // data size without padding
  EXPECT_EQ(U32(bytes, 36), 32u);  // header size
  EXPECT_EQ(U32(bytes, 40), 0x0006FFFFu);
  EXPECT_EQ(U32(bytes, 44), 0x1000FFFFu);
  EXPECT_EQ(U32(bytes, 52), 0x04071030u);
  EXPECT_EQ(bytes.substr(64, 8), std::string("abcde\0\0\0", 8));
}

TEST(ResWriter, NamedIdsAreZeroTerminatedAndTheHeaderAligned) {
  for (const std::u16string& name : {std::u16string(u"A"), std::u16string(u"AB"), std::u16string(u"TFORM1")}) {
    TResWriter writer;
    writer.BeginResource(TResId::Named(u"MYDATA"), TResId::Named(name), {});
    writer.EndResource();
    std::string bytes = writer.Take();
    uint32_t headerSize = U32(bytes, 36);
    EXPECT_EQ(headerSize % 4, 0u);
    EXPECT_EQ(headerSize, ((8 + 14 + 2 * (name.size() + 1) + 3) & ~3u) + 16);
    EXPECT_EQ(bytes.size(), 32 + headerSize);
    EXPECT_EQ(U32(bytes, 32), 0u);
  }
}

}  // namespace
}  // namespace kst
