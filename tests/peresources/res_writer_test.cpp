// The shared .RES framing: sizes patched in afterwards, headers with names
// of odd and even lengths, and padding after data, pinned by a golden file
// that the independent dumper reads too.
#include <gtest/gtest.h>

#include "peresources/res_writer.h"
#include "support/test_support.h"

namespace kst {
namespace {

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

}  // namespace
}  // namespace kst
