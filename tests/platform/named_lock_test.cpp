// The named lock: flock on a file in $XDG_RUNTIME_DIR (or /tmp); never waits.

#include "platform/named_lock.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <memory>
#include <string>

#include "env_guard.h"
#include "platform/files.h"
#include "test_support.h"

namespace kalvento::platform {
namespace {

using test::EnvGuard;
using test::TempFolder;

TEST(NamedLock, ASecondLockOfTheSameNameIsNotHeldUntilTheFirstIsReleased) {
  TempFolder tmp;
  EnvGuard runtime("XDG_RUNTIME_DIR", tmp.path());

  EXPECT_FALSE(NamedLock::IsHeldElsewhere("Kalvento Working"));
  auto first = std::make_unique<NamedLock>("Kalvento Working");
  ASSERT_TRUE(first->held());
  EXPECT_TRUE(NamedLock::IsHeldElsewhere("Kalvento Working"));
  {
    NamedLock second("Kalvento Working");  // a new open file: flock tells it apart
    EXPECT_FALSE(second.held());
    NamedLock other("Kalvento Other");
    EXPECT_TRUE(other.held());
  }
  EXPECT_TRUE(first->held());  // the failed attempt did not disturb the holder
  EXPECT_TRUE(NamedLock::IsHeldElsewhere("Kalvento Working"));

  first.reset();
  EXPECT_FALSE(NamedLock::IsHeldElsewhere("Kalvento Working"));
  NamedLock third("Kalvento Working");
  EXPECT_TRUE(third.held());
}

TEST(NamedLock, AnotherProcessSeesTheLock) {
  TempFolder tmp;
  EnvGuard runtime("XDG_RUNTIME_DIR", tmp.path());
  NamedLock lock("Kalvento Working");
  ASSERT_TRUE(lock.held());

  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // Exit code 0: the child could not take it and sees it held elsewhere.
    NamedLock attempt("Kalvento Working");
    _exit(!attempt.held() && NamedLock::IsHeldElsewhere("Kalvento Working") ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(NamedLock, TheLockFileHasASafeNameInTheRuntimeFolder) {
  TempFolder tmp;
  EnvGuard runtime("XDG_RUNTIME_DIR", tmp.path());
  const std::string names[] = {"Kalvento Working", "../../etc/passwd",    "a/b",           "",
                               ".hidden",          std::string(300, 'x'), "plain-name_1.0"};
  for (const std::string& name : names) {
    const std::string path = NamedLock::LockFilePath(name);
    ASSERT_EQ(path.rfind(tmp.path(), 0), 0u) << path;
    const std::string file = path.substr(tmp.path().size());
    EXPECT_EQ(file.find('/'), std::string::npos) << file;
    EXPECT_NE(file.front(), '.') << file;
    EXPECT_LE(file.size(), 130u) << file;
    NamedLock lock(name);
    EXPECT_TRUE(lock.held()) << name;
    EXPECT_TRUE(PathExists(path));
  }
  EXPECT_EQ(NamedLock::LockFilePath("plain-name_1.0"), tmp.path() + "plain-name_1.0.lock");
  // Names that differ only in the characters that had to be replaced stay apart.
  EXPECT_NE(NamedLock::LockFilePath("a b"), NamedLock::LockFilePath("a_b"));
  EXPECT_NE(NamedLock::LockFilePath("a b"), NamedLock::LockFilePath("a:b"));
}

TEST(NamedLock, WithoutARuntimeFolderTheLockLivesInTmpPerUser) {
  EnvGuard runtime("XDG_RUNTIME_DIR", std::nullopt);
  const std::string name = "Kalvento Test Lock " + std::to_string(getpid());
  const std::string path = NamedLock::LockFilePath(name);
  EXPECT_EQ(path.rfind("/tmp/", 0), 0u) << path;
  const std::string suffix = std::string("-") + std::to_string(geteuid()) + ".lock";
  EXPECT_NE(path.find(suffix), std::string::npos) << path;
  {
    NamedLock first(name);
    EXPECT_TRUE(first.held());
    NamedLock second(name);
    EXPECT_FALSE(second.held());
  }
  unlink(path.c_str());
}

TEST(NamedLock, AMissingRuntimeFolderFallsBackToTmp) {
  TempFolder tmp;
  EnvGuard runtime("XDG_RUNTIME_DIR", tmp.path() + "missing");  // falls back to /tmp
  const std::string name = "Kalvento Fallback Lock " + std::to_string(getpid());
  NamedLock lock(name);
  EXPECT_TRUE(lock.held());
  EXPECT_EQ(NamedLock::LockFilePath(name).rfind("/tmp/", 0), 0u);
  unlink(NamedLock::LockFilePath(name).c_str());
}

}  // namespace
}  // namespace kalvento::platform
