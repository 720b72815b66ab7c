// The checked reader and the byte writer: every read past the end raises the
// caller's error with the caller's message, offsets that wrap or go negative
// are refused, and what the writer writes reads back.
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

#include "platform/byte_reader.h"
#include "platform/byte_writer.h"
#include "support/test_support.h"

namespace kst {
namespace {

class ETestError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

using TReader = TByteReader<ETestError>;

const std::string kBytes("\x01\x02\x03\x04\x05\x06\x07\x08", 8);

struct TReadCase {
  const char* name;
  std::function<uint64_t(TReader&)> read;
  uint64_t value;     // what it gives when the bytes are there
  uint64_t position;  // where the position is afterwards
};

class ReaderReads : public testing::TestWithParam<TReadCase> {};

TEST_P(ReaderReads, GivesLittleEndianValuesAndRaisesOneByteShort) {
  const TReadCase& c = GetParam();
  TReader whole(kBytes, "whole");
  EXPECT_EQ(c.read(whole), c.value);
  EXPECT_EQ(whole.Position(), c.position);
  // The same read on the bytes cut one short of what it needs.
  TReader cut(std::string_view(kBytes).substr(0, c.position - 1), "cut short");
  try {
    c.read(cut);
    ADD_FAILURE() << "no error";
  } catch (const ETestError& e) {
    EXPECT_STREQ(e.what(), "cut short");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, ReaderReads,
    testing::Values(TReadCase{"U8", [](TReader& r) { return uint64_t{r.U8()}; }, 0x01, 1},
                    TReadCase{"U16", [](TReader& r) { return uint64_t{r.U16()}; }, 0x0201, 2},
                    TReadCase{"U32", [](TReader& r) { return uint64_t{r.U32()}; }, 0x04030201, 4},
                    TReadCase{"I16 after a skip", [](TReader& r) { r.Skip(6); return uint64_t(r.I16() & 0xFFFF); },
                              0x0807, 8},
                    TReadCase{"Bytes", [](TReader& r) { return uint64_t{r.Bytes(3)[2]}; }, 0x03, 3},
                    TReadCase{"Chars", [](TReader& r) { return uint64_t(r.Chars(5).back()); }, 0x05, 5},
                    TReadCase{"ShortString", [](TReader& r) { return uint64_t(r.ShortString()[0]); }, 0x02, 2},
                    TReadCase{"Utf16", [](TReader& r) { return uint64_t{r.Utf16(3)[2]}; }, 0x0605, 6}),
    test::TCaseName());

TEST(ByteReader, SignedReadsAndPeekDoNotMoveWhereTheyShouldNot) {
  const std::string bytes("\xFF\xFE\xFF\x80\x00\x00\x80", 7);
  TReader r(bytes, "x");
  EXPECT_EQ(r.Peek(), 0xFF);
  EXPECT_EQ(r.Position(), 0u);
  EXPECT_EQ(r.I8(), -1);
  EXPECT_EQ(r.I16(), -2);
  EXPECT_EQ(r.I32(), static_cast<int32_t>(0x80000080));
  EXPECT_TRUE(r.AtEnd());
  EXPECT_THROW(r.Peek(), ETestError);
}

TEST(ByteReader, AbsoluteReadsCheckTheirRangeAndLeaveThePosition) {
  TReader r(kBytes, "range");
  EXPECT_EQ(r.U32At(4), 0x08070605u);
  EXPECT_EQ(r.U16At(6), 0x0807u);
  EXPECT_EQ(r.U8At(7), 0x08u);
  EXPECT_EQ(r.Utf16At(2, 2), std::u16string({u'\x0403', u'\x0605'}));
  EXPECT_EQ(r.CharsAt(1, 2), "\x02\x03");
  EXPECT_EQ(r.Position(), 0u);
  struct {
    int64_t offset;
    uint64_t length;
  } outside[] = {{5, 4}, {8, 1}, {-1, 1}, {9, 0}, {INT64_MIN, 4}, {4, UINT64_MAX}, {INT64_MAX, 1}, {0, 9}};
  for (auto [offset, length] : outside) {
    EXPECT_FALSE(r.Fits(offset, length)) << offset << "+" << length;
    EXPECT_THROW(r.Require(offset, length), ETestError) << offset << "+" << length;
    EXPECT_THROW(r.BytesAt(offset, length), ETestError) << offset << "+" << length;
  }
  EXPECT_TRUE(r.Fits(8, 0));
  EXPECT_THROW(r.U32At(5), ETestError);
  EXPECT_THROW(r.Utf16At(0, UINT64_MAX / 2 + 1), ETestError) << "a count whose byte length wraps";
}

TEST(ByteReader, HugeCountsAreRefusedBeforeAnythingIsAllocated) {
  TReader r(kBytes, "huge");
  r.Skip(1);
  for (uint64_t count : {uint64_t{8}, UINT64_MAX, UINT64_MAX / 2 + 1, uint64_t{1} << 63}) {
    EXPECT_THROW(r.Bytes(count), ETestError) << count;
    EXPECT_THROW(r.Skip(count), ETestError) << count;
    EXPECT_THROW(r.Utf16(count), ETestError) << count;
    EXPECT_EQ(r.Position(), 1u) << "a failed read moves nothing";
  }
  EXPECT_THROW(r.Seek(9), ETestError);
  EXPECT_THROW(r.Seek(-1), ETestError);
  r.Seek(8);
  EXPECT_TRUE(r.AtEnd());
}

TEST(ByteWriter, WritesLittleEndianThatTheReaderReadsBack) {
  TByteWriter w;
  w.U8(0xAB);
  w.U16(0x1234);
  w.U32(0xDEADBEEF);
  w.Utf16(u"\x00E9Z");
  w.Bytes(std::string_view("ok"));
  std::string bytes = w.Take();
  EXPECT_EQ(bytes, std::string("\xAB\x34\x12\xEF\xBE\xAD\xDE\xE9\x00Z\x00ok", 13));
  TReader r(bytes, "x");
  EXPECT_EQ(r.U8(), 0xAB);
  EXPECT_EQ(r.U16(), 0x1234);
  EXPECT_EQ(r.U32(), 0xDEADBEEFu);
  EXPECT_EQ(r.Utf16(2), u"\x00E9Z");
  EXPECT_EQ(r.Chars(2), "ok");
}

TEST(ByteWriter, PatchesPlaceholdersPadsAndAppendsToAGivenString) {
  std::string target = "hdr";
  TByteWriter w(target);
  size_t size = w.Placeholder32();
  size_t half = w.Size();
  w.U16(0);
  w.PadTo(8);
  EXPECT_EQ(w.Size(), 16u);
  w.PadTo(8);
  EXPECT_EQ(w.Size(), 16u) << "already aligned: nothing added";
  w.Patch32(size, 0x01020304);
  w.Patch16(half, 0xA1B2);
  EXPECT_EQ(target, std::string("hdr\x04\x03\x02\x01\xB2\xA1", 9) + std::string(7, '\0'));
  EXPECT_THROW(w.Patch32(13, 1), std::logic_error);
  EXPECT_THROW(w.Patch16(15, 1), std::logic_error);
  EXPECT_THROW(w.Patch32(SIZE_MAX - 1, 1), std::logic_error);
}

}  // namespace
}  // namespace kst
