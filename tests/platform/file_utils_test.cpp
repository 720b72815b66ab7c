// File services and the stores on disk: atomic replacement, Windows names
// in any case, time stamps, temporary names, the memory mapping, the ini-file
// accessor and the registry stand-in (two processes included).
#include "platform/file_utils.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utime.h>
#include <vector>

#include "platform/guid.h"
#include "platform/ini_file.h"
#include "platform/mapped_file.h"
#include "platform/registry.h"
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

class Registry : public testing::Test {
protected:
  test::TScratchDir dir;
  TRegistryLocation location = TRegistryLocation::InDirectory(dir.Path());
};

TEST_F(Registry, OpenCreatesKeysAndPathsIgnoreCase) {
  TRegistry reg(location);
  EXPECT_FALSE(reg.OpenKey("\\software\\Kestrin\\Lexibox", false));
  ASSERT_TRUE(reg.OpenKey("\\software\\Kestrin\\Lexibox", true));
  reg.WriteString("Value", "text");

  TRegistry other(location);
  ASSERT_TRUE(other.OpenKey("SOFTWARE\\KESTRIN\\LEXIBOX\\", false));
  EXPECT_EQ(other.ReadString("value"), "text");
  EXPECT_TRUE(other.KeyExists("\\Software\\Kestrin"));
  EXPECT_FALSE(other.KeyExists("\\Software\\Kestrin\\Other"));
}

TEST_F(Registry, TypedValuesAndTypeChecks) {
  TRegistry reg(location);
  ASSERT_TRUE(reg.OpenKey("\\k", true));
  reg.WriteString("S", std::string("a\\b\r\nc\x01\xE4", 8));
  reg.WriteInteger("I", -12);
  reg.WriteBool("B", true);
  EXPECT_EQ(reg.ReadString("s"), std::string("a\\b\r\nc\x01\xE4", 8));
  EXPECT_EQ(reg.ReadInteger("I"), -12);
  EXPECT_TRUE(reg.ReadBool("B"));
  EXPECT_EQ(reg.ReadString("missing"), "");
  EXPECT_THROW(reg.ReadInteger("missing"), ERegistryException);
  EXPECT_THROW(reg.ReadString("I"), ERegistryException);
  EXPECT_THROW(reg.ReadBool("S"), ERegistryException);
  try {
    reg.ReadInteger("S");
    ADD_FAILURE();
  } catch (const ERegistryException& e) {
    EXPECT_STREQ(e.what(), "Invalid data type for 'S'");
  }
  EXPECT_TRUE(reg.DeleteValue("S"));
  TRegistry unopened(location);
  EXPECT_THROW(unopened.WriteString("x", "y"), ERegistryException) << "no key is open";
  EXPECT_FALSE(reg.ValueExists("S"));
  EXPECT_FALSE(reg.DeleteValue("S"));
}

TEST_F(Registry, RootKeysAreSeparateStores) {
  TRegistry reg(location);
  reg.SetRootKey(HKEY_LOCAL_MACHINE);
  ASSERT_TRUE(reg.OpenKey("\\SOFTWARE\\Borland\\Delphi\\3.0", true));
  reg.WriteString("RootDir", "C:\\Delphi3");
  reg.SetRootKey(HKEY_CURRENT_USER);
  EXPECT_FALSE(reg.OpenKey("\\SOFTWARE\\Borland\\Delphi\\3.0", false));
  EXPECT_TRUE(FileExists(dir.Path() + "/machine/registry.ini"));
}

// Runs `body` in a child process (no test framework there); Succeeded waits
// for it and tells whether the body returned true.
pid_t InChild(const std::function<bool()>& body) {
  pid_t pid = fork();
  if (pid == 0) {
    bool ok = false;
    try {
      ok = body();
    } catch (...) {
    }
    _exit(ok ? 0 : 1);
  }
  return pid;
}

bool Succeeded(pid_t pid) {
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string ValueName(int process, int i) { return "P" + std::to_string(process) + "_" + std::to_string(i); }

TEST_F(Registry, TwoProcessesSeeEachOthersWrites) {
  TRegistry parent(location);
  ASSERT_TRUE(parent.OpenKey("\\shared", true));
  parent.WriteInteger("FromParent", 1);

  // The child reads the parent's value and answers with one of its own; the
  // parent's long-lived object must see it without reopening anything.
  EXPECT_TRUE(Succeeded(InChild([&] {
    TRegistry child(location);
    if (!child.OpenKey("\\SHARED", false) || child.ReadInteger("FromParent") != 1) return false;
    child.WriteString("FromChild", "hello");
    return true;
  })));
  EXPECT_EQ(parent.ReadString("FromChild"), "hello");

  // Concurrent writers lose nothing.
  std::vector<pid_t> writers;
  for (int p = 0; p < 4; ++p)
    writers.push_back(InChild([&, p] {
      TRegistry child(location);
      child.OpenKey("\\shared", false);
      for (int i = 0; i < 10; ++i) child.WriteInteger(ValueName(p, i), i);
      return true;
    }));
  for (pid_t pid : writers) EXPECT_TRUE(Succeeded(pid));
  for (int p = 0; p < 4; ++p)
    for (int i = 0; i < 10; ++i) EXPECT_EQ(parent.ReadInteger(ValueName(p, i)), i);
}

size_t OpenDescriptors() {
  size_t n = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) ++n;
  return n;
}

// A change that fails (a value name with "=") gives the lock back and
// closes its file, so the next writer, here or in another process, goes on.
TEST_F(Registry, AFailedChangeReleasesTheLockAndItsDescriptor) {
  TRegistry reg(location);
  ASSERT_TRUE(reg.OpenKey("\\Software\\Kestrin", true));
  size_t before = OpenDescriptors();
  EXPECT_THROW(reg.WriteString("Bad=Name", "value"), ERegistryException);
  EXPECT_EQ(OpenDescriptors(), before);
  int fd = ::open((location.userFile + ".lock").c_str(), O_RDWR | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
  ::close(fd);
  ASSERT_TRUE(free) << "the lock is still held: the next write would wait for ever";
  reg.WriteString("Good", "value");
  EXPECT_EQ(reg.ReadString("Good"), "value");
}

TEST(RegistryLocation, EnvironmentRedirectsBothFiles) {
  const test::TScopedEnv xdg("XDG_CONFIG_HOME", "/home/u/.cfg");
  {
    const test::TScopedEnv config("KESTRIN_CONFIG_DIR", "/tmp/kst-x");
    TRegistryLocation loc = TRegistryLocation::FromEnvironment();
    EXPECT_EQ(loc.userFile, "/tmp/kst-x/user/registry.ini");
    EXPECT_EQ(loc.machineFile, "/tmp/kst-x/machine/registry.ini");
  }
  const test::TScopedEnv noConfig("KESTRIN_CONFIG_DIR", nullptr);
  EXPECT_EQ(TRegistryLocation::FromEnvironment().userFile, "/home/u/.cfg/kestrin/registry.ini");
}

}  // namespace
}  // namespace kst
