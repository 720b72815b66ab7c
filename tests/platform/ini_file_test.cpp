// The ini-file accessor: Windows-written files read, our writes are CR LF,
// byte-exact and atomic, and nothing a user wrote by hand is lost.
#include "platform/ini_file.h"

#include <gtest/gtest.h>

#include "platform/file_utils.h"
#include "support/test_support.h"

namespace kst {
namespace {

using test::TScratchDir;
using test::WriteFile;

TEST(IniFile, ReadsWindowsFileWithCrLfAndMixedCase) {
  TScratchDir dir;
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

TEST(IniFile, NumbersAndBooleans) {
  TScratchDir dir;
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

TEST(IniFile, WritesThroughWithCrLfAndKeepsBytesAndComments) {
  TScratchDir dir;
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

TEST(IniFile, DeleteEraseAndOrder) {
  TScratchDir dir;
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

TEST(IniFile, RefusesValuesThatWouldCorruptTheFile) {
  TScratchDir dir;
  std::string name = dir.File("r.ini");
  TIniFile ini(name);
  ini.WriteString("S", "Key", "safe");
  EXPECT_THROW(ini.WriteString("S", "Key", "line\r\nbreak"), std::invalid_argument);
  EXPECT_THROW(ini.WriteString("S", "a=b", "x"), std::invalid_argument);
  EXPECT_THROW(ini.WriteString("S", "", "x"), std::invalid_argument);
  EXPECT_EQ(TIniFile(name).ReadString("S", "Key", ""), "safe");
}

TEST(IniFile, BatchedUpdateWritesOnce) {
  TScratchDir dir;
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
