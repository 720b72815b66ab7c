// File services: atomic replacement, case-insensitive lookup of Windows
// names, time stamps, temporary names and the memory mapping.
#include "platform/file_utils.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/mapped_file.h"
#include "platform/guid.h"
#include "platform/user_name.h"
#include "support/test_support.h"

namespace kst {
namespace {

using test::TScratchDir;
using test::WriteFile;

size_t EntryCount(const std::string& dir) {
  return std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator());
}

TEST(AtomicWriteFile, ReplacesAndKeepsNoLitter) {
  TScratchDir dir;
  std::string name = dir.File("App.TRI");
  AtomicWriteFile(name, "first");
  std::ifstream earlier(name, std::ios::binary);  // a reader that opened the file before the write
  AtomicWriteFile(name, "second");
  EXPECT_EQ(ReadFileBytes(name), "second");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(earlier), {}), "first") << "replaced, not written in place";
  EXPECT_EQ(EntryCount(dir.Path()), 1u);
}

TEST(AtomicWriteFile, FailureLeavesTargetAndNoTemporaryFile) {
  TScratchDir dir;
  std::string target = dir.File("busy");
  ForceDirectories(target + "/inside");  // a directory cannot be replaced by a file
  EXPECT_THROW(AtomicWriteFile(target, "data"), EFileError);
  EXPECT_TRUE(DirectoryExists(target + "/inside"));
  EXPECT_EQ(EntryCount(dir.Path()), 1u);
  EXPECT_THROW(AtomicWriteFile(dir.File("missing/dir/x.txt"), "data"), EFileError);
}

// A settings file kept as a link to a shared one stays a link; the shared
// file gets the new text.
TEST(AtomicWriteFile, ALinkStaysALinkAndItsTargetIsReplaced) {
  TScratchDir dir;
  ForceDirectories(dir.File("shared"));
  WriteFile(dir.File("shared/App.TRI"), "old");
  std::filesystem::create_symlink(dir.File("shared/App.TRI"), dir.File("App.TRI"));
  AtomicWriteFile(dir.File("App.TRI"), "new");
  EXPECT_TRUE(std::filesystem::is_symlink(dir.File("App.TRI")));
  EXPECT_EQ(ReadFileBytes(dir.File("shared/App.TRI")), "new");
  EXPECT_EQ(EntryCount(dir.File("shared")), 1u);
}

TEST(ResolveFileNameCase, FindsWindowsNamesWhateverTheirCase) {
  TScratchDir dir;
  ForceDirectories(dir.File("common"));
  WriteFile(dir.File("common/MAIN.DFM"), "x");
  WriteFile(dir.File("Exact.pas"), "y");
  std::string base = dir.Path() + "/proj";
  ForceDirectories(base);
  EXPECT_EQ(ResolveFileNameCase(base + "\\..\\Common\\Main.dfm"), base + "/../common/MAIN.DFM");
  EXPECT_EQ(ResolveFileNameCase(dir.File("Exact.pas")), dir.File("Exact.pas"));
  EXPECT_EQ(ResolveFileNameCase(dir.File("nothing\\here.pas")), dir.File("nothing/here.pas"));
  EXPECT_TRUE(FileExists(ResolveFileNameCase(dir.File("EXACT.PAS"))));
}

TEST(PathParts, SplitLikeDelphi) {
  EXPECT_EQ(ExtractFileDir("C:\\Proj\\App.dpr"), "C:\\Proj");
  EXPECT_EQ(ExtractFileName("/a/b/Main.dfm"), "Main.dfm");
  EXPECT_EQ(ExtractFileExt("/a.b/Main"), "");
  EXPECT_EQ(ExtractFileExt("Main.DFM"), ".DFM");
  EXPECT_EQ(ChangeFileExt("/a.b/App", ".TRI"), "/a.b/App.TRI");
  EXPECT_EQ(ChangeFileExt("/x/App.dpr", ".TRI"), "/x/App.TRI");
  EXPECT_EQ(ToInternalPath("\\\\server\\share\\x"), "//server/share/x");
}

TEST(FileTimeStamp, DaysSince1899InLocalTime) {
  TScratchDir dir;
  std::string name = dir.File("t.txt");
  WriteFile(name, "x");
  // 2000-01-01 00:00:00 UTC is day 36526 in UTC; local time shifts it by the
  // zone's offset, at most a day.
  struct utimbuf times {946684800, 946684800};
  ASSERT_EQ(::utime(name.c_str(), &times), 0);
  double stamp = FileTimeStamp(name);
  EXPECT_NEAR(stamp, 36526.0, 1.0);
  EXPECT_DOUBLE_EQ(stamp, UnixTimeToDateTime(946684800));
  EXPECT_EQ(FileTimeStamp(dir.File("missing")), 0);
  EXPECT_EQ(FileTimeStamp(dir.Path()), 0) << "a directory is no file";
}

TEST(TemporaryFiles, UniqueAndCreated) {
  TScratchDir dir;
  std::string a, b;
  {
    const test::TScopedEnv tmp("TMPDIR", dir.Path().c_str());
    a = NewTemporaryFileName();
    b = NewTemporaryFileName();
  }
  EXPECT_NE(a, b);
  EXPECT_TRUE(FileExists(a));
  EXPECT_EQ(ExtractFileName(a).substr(0, 3), "KST");
}

TEST(MappedFile, MapsWholeFileAndEmptyFile) {
  TScratchDir dir;
  WriteFile(dir.File("m.bin"), std::string("MZ\0\x01", 4));
  TMappedFile mapped(dir.File("m.bin"));
  ASSERT_EQ(mapped.Size(), 4u);
  EXPECT_EQ(mapped.View()[3], 1);
  WriteFile(dir.File("empty.bin"), "");
  TMappedFile empty(dir.File("empty.bin"));
  EXPECT_EQ(empty.Size(), 0u);
  EXPECT_THROW(TMappedFile(dir.File("missing.bin")), EFileError);
  try {
    TMappedFile directory(dir.Path());
    ADD_FAILURE();
  } catch (const EFileError& e) {
    EXPECT_NE(std::string(e.what()).find("Not a regular file"), std::string::npos) << e.what();
  }
}

TEST(SystemNames, Version4GuidsAndAUserName) {
  std::string a = NewGuidText(), b = NewGuidText();
  ASSERT_EQ(a.size(), 36u);
  EXPECT_NE(a, b);
  EXPECT_EQ(a[8], '-');
  EXPECT_EQ(a[14], '4');
  EXPECT_NE(std::string("89AB").find(a[19]), std::string::npos);
  for (char c : a) EXPECT_TRUE(c == '-' || std::isdigit(static_cast<unsigned char>(c)) || (c >= 'A' && c <= 'F'));
  std::string name = GetNetUserName();
  EXPECT_FALSE(name.empty());
  EXPECT_LT(name.size(), 260u);
}

}  // namespace
}  // namespace kst
