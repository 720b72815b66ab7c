// File services: atomic replacement, case-insensitive lookup of Windows
// names, time stamps, temporary names, the memory mapping, and the ini-file
// accessor (Windows-written files read; our writes CR LF, byte-exact and
// atomic, keeping what a user wrote by hand).
#include "platform/file_utils.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/mapped_file.h"
#include "platform/guid.h"
#include "platform/ini_file.h"
#include "platform/user_name.h"
#include "support/test_support.h"

namespace kst {
namespace {

using test::TScratchDir;
using test::WriteFile;

size_t EntryCount(const std::string& dir) {
  return std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator());
}

class Files : public testing::Test {
protected:
  TScratchDir dir;
};

TEST_F(Files, AtomicWriteFileReplacesAndKeepsNoLitter) {
  std::string name = dir.File("App.TRI");
  AtomicWriteFile(name, "first");
  std::ifstream earlier(name, std::ios::binary);  // a reader that opened the file before the write
  AtomicWriteFile(name, "second");
  EXPECT_EQ(ReadFileBytes(name), "second");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(earlier), {}), "first") << "replaced, not written in place";
  EXPECT_EQ(EntryCount(dir.Path()), 1u);
}

TEST_F(Files, AtomicWriteFileFailureLeavesTargetAndNoTemporaryFile) {
  std::string target = dir.File("busy");
  ForceDirectories(target + "/inside");  // a directory cannot be replaced by a file
  EXPECT_THROW(AtomicWriteFile(target, "data"), EFileError);
  EXPECT_TRUE(DirectoryExists(target + "/inside"));
  EXPECT_EQ(EntryCount(dir.Path()), 1u);
  EXPECT_THROW(AtomicWriteFile(dir.File("missing/dir/x.txt"), "data"), EFileError);
}

// A settings file kept as a link to a shared one stays a link; the shared
// file gets the new text.
TEST_F(Files, AtomicWriteFileALinkStaysALinkAndItsTargetIsReplaced) {
  ForceDirectories(dir.File("shared"));
  WriteFile(dir.File("shared/App.TRI"), "old");
  std::filesystem::create_symlink(dir.File("shared/App.TRI"), dir.File("App.TRI"));
  AtomicWriteFile(dir.File("App.TRI"), "new");
  EXPECT_TRUE(std::filesystem::is_symlink(dir.File("App.TRI")));
  EXPECT_EQ(ReadFileBytes(dir.File("shared/App.TRI")), "new");
  EXPECT_EQ(EntryCount(dir.File("shared")), 1u);
}

TEST_F(Files, ResolveFileNameCaseFindsWindowsNamesWhateverTheirCase) {
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

TEST_F(Files, FileTimeStampDaysSince1899InLocalTime) {
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

TEST_F(Files, TemporaryFilesUniqueAndCreated) {
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

TEST_F(Files, MappedFileMapsWholeFileAndEmptyFile) {
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

TEST_F(Files, IniReadsWindowsFileWithCrLfAndMixedCase) {
  WriteFile(dir.File("a.dof"),
            "[FileVersion]\r\nVersion=3.0\r\n\r\n[Version Info Keys]\r\nCompanyName=ACME\r\n"
            "FileDescription= padded value \r\n; a comment=not a key\r\n");
  TIniFile ini(dir.File("a.dof"));
  EXPECT_EQ(ini.ReadString("fileversion", "VERSION", "x"), "3.0");
  EXPECT_EQ(ini.ReadString("Version Info Keys", "FileDescription", ""), " padded value ");
  EXPECT_EQ(ini.ReadString("Version Info Keys", "Missing", "def"), "def");
  EXPECT_EQ(ini.ReadString("No Such Section", "Version", "def"), "def");
  EXPECT_EQ(ini.ReadSection("VERSION INFO KEYS"), (std::vector<std::string>{"CompanyName", "FileDescription"}));
  EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"FileVersion", "Version Info Keys"}));
}

TEST_F(Files, IniNumbersAndBooleans) {
  WriteFile(dir.File("n.ini"), "[S]\nA=42\nB=$1F\nC=abc\nD=-7\nE=0\nF=\n");
  TIniFile ini(dir.File("n.ini"));
  EXPECT_EQ(ini.ReadInteger("S", "A", 0), 42);
  EXPECT_EQ(ini.ReadInteger("S", "B", 0), 31);
  EXPECT_EQ(ini.ReadInteger("S", "C", 5), 5);
  EXPECT_EQ(ini.ReadInteger("S", "D", 0), -7);
  EXPECT_EQ(ini.ReadInteger("S", "F", 9), 9);
  EXPECT_FALSE(ini.ReadBool("S", "E", true));
  EXPECT_TRUE(ini.ReadBool("S", "A", false));
  EXPECT_TRUE(ini.ReadBool("S", "Missing", true));
}

TEST_F(Files, IniWritesThroughWithCrLfAndKeepsBytesAndComments) {
  std::string name = dir.File("p.tri");
  WriteFile(name, "; kept\n[Languages]\nCount=1\n\n[Other]\nX=1\n");
  TIniFile ini(name);
  ini.WriteString("languages", "Lang0", "$0407");
  ini.WriteString("New", "Text", "\xE4\xF6\xFC \"quoted\" ");
  EXPECT_EQ(ReadFileBytes(name),
            "; kept\r\n[Languages]\r\nCount=1\r\nLang0=$0407\r\n\r\n[Other]\r\nX=1\r\n\r\n[New]\r\n"
            "Text=\xE4\xF6\xFC \"quoted\" \r\n");
  TIniFile again(name);
  EXPECT_EQ(again.ReadString("NEW", "text", ""), "\xE4\xF6\xFC \"quoted\" ");
}

TEST_F(Files, IniDeleteEraseAndOrder) {
  std::string name = dir.File("d.ini");
  TIniFile ini(name);
  EXPECT_FALSE(FileExists(name)) << "reading creates nothing";
  ini.WriteString("A", "k1", "1");
  ini.WriteString("A", "k2", "2");
  ini.WriteString("B", "k", "3");
  ini.WriteString("A", "K1", "one");  // same key, other case: replaced in place
  EXPECT_EQ(ini.ReadSection("A"), (std::vector<std::string>{"k1", "k2"}));
  ini.DeleteKey("a", "K2");
  ini.EraseSection("b");
  TIniFile again(name);
  EXPECT_EQ(again.ReadSections(), (std::vector<std::string>{"A"}));
  EXPECT_EQ(again.ReadString("A", "k1", ""), "one");
  EXPECT_FALSE(again.ValueExists("A", "k2"));
}

TEST_F(Files, IniRefusesValuesThatWouldCorruptTheFile) {
  std::string name = dir.File("r.ini");
  TIniFile ini(name);
  ini.WriteString("S", "Key", "safe");
  EXPECT_THROW(ini.WriteString("S", "Key", "line\r\nbreak"), std::invalid_argument);
  EXPECT_THROW(ini.WriteString("S", "a=b", "x"), std::invalid_argument);
  EXPECT_THROW(ini.WriteString("S", "", "x"), std::invalid_argument);
  EXPECT_EQ(TIniFile(name).ReadString("S", "Key", ""), "safe");
}

TEST_F(Files, IniBatchedUpdateWritesOnce) {
  std::string name = dir.File("b.ini");
  TIniFile ini(name);
  ini.BeginUpdate();
  for (int i = 0; i < 100; ++i) ini.WriteInteger("S", "K" + std::to_string(i), i);
  EXPECT_FALSE(FileExists(name));
  ini.EndUpdate();
  EXPECT_EQ(TIniFile(name).ReadInteger("S", "K99", 0), 99);
}

}  // namespace
}  // namespace kst
