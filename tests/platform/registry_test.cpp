// The registry stand-in: typed values, case-insensitive key paths, create on
// open, and two store objects in two processes seeing each other's writes.
#include "platform/registry.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <vector>

#include "platform/file_utils.h"
#include "support/test_support.h"

namespace kst {
namespace {

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
