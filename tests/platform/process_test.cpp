#include "platform/process.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <thread>

#include "platform/files.h"
#include "test_support.h"

namespace kalvento::platform {
namespace {

using namespace std::chrono_literals;
using test::TempFolder;

std::unique_ptr<ChildProcess> StartShell(const std::string& script, bool pipe_input = false) {
  ProcessOptions options;
  options.argv = {"/bin/sh", "-c", script};
  options.pipe_input = pipe_input;
  options.pipe_output = true;
  return ChildProcess::Start(options);
}

std::vector<std::string> ReadAllLines(ChildProcess& child) {
  std::vector<std::string> lines;
  std::string line;
  while (child.ReadLine(line, 5s) == ReadResult::kLine) lines.push_back(line);
  return lines;
}

std::string MakeExecutable(const TempFolder& folder, const std::string& name,
                           const std::string& contents) {
  const std::string path = folder.WriteFile(name, contents);
  chmod(path.c_str(), 0755);
  return path;
}

TEST(ChildProcessTest, ReadsLinesDroppingCarriageReturnsAndKeepsAnUnterminatedLastLine) {
  auto child = StartShell("printf 'one\\r\\ntwo\\n\\nlast'");
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(ReadAllLines(*child), (std::vector<std::string>{"one", "two", "", "last"}));
  EXPECT_EQ(child->Wait(5s), 0);
}

TEST(ChildProcessTest, WritesLinesToTheChildsInput) {
  auto child = StartShell("read a; read b; echo \"$b|$a\"", true);
  ASSERT_NE(child, nullptr);
  EXPECT_TRUE(child->WriteLine("first"));
  EXPECT_TRUE(child->WriteLine("zweite Zeile ä"));
  std::string line;
  ASSERT_EQ(child->ReadLine(line, 5s), ReadResult::kLine);
  EXPECT_EQ(line, "zweite Zeile ä|first");
}

TEST(ChildProcessTest, WritingToAChildThatHasEndedFailsWithoutKillingUs) {
  auto child = StartShell("exit 0", true);
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(child->Wait(5s), 0);
  bool failed = false;
  for (int i = 0; i < 100 && !failed; ++i) failed = !child->WriteLine(std::string(4096, 'x'));
  EXPECT_TRUE(failed);
}

TEST(ChildProcessTest, ASilentChildTimesOutAndIsTerminated) {
  auto child = StartShell("printf 'partial'; sleep 30");
  ASSERT_NE(child, nullptr);
  std::string line;
  EXPECT_EQ(child->ReadLine(line, 200ms), ReadResult::kTimeout);
  EXPECT_TRUE(child->IsRunning());
  child->Terminate();
  EXPECT_FALSE(child->IsRunning());
  EXPECT_EQ(child->Wait(0ms), 128 + 9);
}

TEST(ChildProcessTest, OutputAvailableDoesNotWaitForALine) {
  auto child = StartShell("sleep 30");
  ASSERT_NE(child, nullptr);
  EXPECT_FALSE(child->OutputAvailable());
  child->Terminate();
  // The killed child's pipe closes: the end of the output can now be read at once.
  std::string line;
  EXPECT_EQ(child->ReadLine(line, 5s), ReadResult::kEnd);
}

TEST(ChildProcessTest, UsesTheWorkingFolderTheEnvironmentAndTheExitStatus) {
  TempFolder folder;
  ProcessOptions options;
  options.argv = {"sh", "-c", "pwd; echo \"$KALVENTO_PROBE\"; exit 3"};
  options.working_folder = folder.path();
  options.pipe_output = true;
  options.environment = {{"KALVENTO_PROBE", "set"}};
  auto child = ChildProcess::Start(options);
  ASSERT_NE(child, nullptr);
  const std::vector<std::string> lines = ReadAllLines(*child);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0] + "/", folder.path());
  EXPECT_EQ(lines[1], "set");
  EXPECT_EQ(child->Wait(5s), 3);
}

TEST(ChildProcessTest, AMissingExecutableIsNotStarted) {
  ProcessOptions options;
  options.argv = {"/nonexistent/kalvento-tool"};
  options.pipe_output = true;
  EXPECT_EQ(ChildProcess::Start(options), nullptr);
  options.argv = {};
  EXPECT_EQ(ChildProcess::Start(options), nullptr);
}

TEST(ChildProcessTest, WaitGivesUpOnAChildThatKeepsRunning) {
  auto child = StartShell("sleep 30");
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(child->Wait(50ms), -1);
}

TEST(ChildProcessTest, EndChildProcessesNowEndsTheRunningOnesAndWhatTheyStarted) {
  TempFolder folder;
  const std::string grandchild_pid = folder.path() + "pid";
  auto running = StartShell("sleep 30 & echo $! > '" + grandchild_pid + "'; echo up; wait");
  auto ended = StartShell("exit 3");
  ASSERT_TRUE(running && ended);
  EXPECT_EQ(ended->Wait(5s), 3);
  std::string line;
  ASSERT_EQ(running->ReadLine(line, 5s), ReadResult::kLine);
  const int sleeper = std::stoi(test::ReadFileBytes(grandchild_pid));
  EndChildProcessesNow();
  EXPECT_EQ(running->Wait(5s), 128 + 9);
  // Gone, or a zombie waiting for its new parent to reap it.
  for (int i = 0; i < 100 && !ProcessIdentity(sleeper).empty(); ++i) {
    std::this_thread::sleep_for(10ms);
  }
  EXPECT_EQ(ProcessIdentity(sleeper), "");
  EXPECT_EQ(ended->Wait(0ms), 3);
}

TEST(FindProcessByNameTest, FindsAScriptByItsFileNameIgnoringCaseAndNotAfterItEnded) {
  TempFolder folder;
  const std::string script =
      MakeExecutable(folder, "Kalvento_Probe_Script", "#!/bin/sh\necho up\nsleep 30\n");
  ProcessOptions options;
  options.argv = {script};
  options.pipe_output = true;
  auto child = ChildProcess::Start(options);
  ASSERT_NE(child, nullptr);
  std::string line;
  ASSERT_EQ(child->ReadLine(line, 5s), ReadResult::kLine);
  EXPECT_EQ(FindProcessByName("kalvento_probe_SCRIPT"), child->pid());
  EXPECT_EQ(FindProcessByName("Kalvento_Probe"), 0);
  child->Terminate();
  EXPECT_EQ(FindProcessByName("Kalvento_Probe_Script"), 0);
}

TEST(FindProcessByNameTest, FindsAProgramByItsExecutableAndEndsIt) {
  TempFolder folder;
  const std::string copy = folder.path() + "kalvento_probe_sleep";
  ASSERT_TRUE(WriteWholeFile(copy, test::ReadFileBytes("/bin/sleep"), 0755));
  ProcessOptions options;
  options.argv = {copy, "30"};
  auto child = ChildProcess::Start(options);
  ASSERT_NE(child, nullptr);
  int found = 0;
  for (int i = 0; i < 500 && found == 0; ++i) {  // until the exec has happened
    found = FindProcessByName("kalvento_probe_sleep");
    if (found == 0) std::this_thread::sleep_for(2ms);
  }
  EXPECT_EQ(found, child->pid());
  EXPECT_TRUE(TerminateProcess(found));
  EXPECT_FALSE(child->IsRunning());
}

TEST(SharedLibraryTest, LoadsALibraryAndLooksUpFunctionsByName) {
  auto library = SharedLibrary::Load("libm.so.6");
  ASSERT_NE(library, nullptr);
  auto* cosine = reinterpret_cast<double (*)(double)>(library->Function("cos"));
  ASSERT_NE(cosine, nullptr);
  EXPECT_DOUBLE_EQ(cosine(0.0), 1.0);
  EXPECT_EQ(library->Function("kalvento_no_such_function"), nullptr);
  EXPECT_EQ(SharedLibrary::Load("libkalvento-missing.so.0"), nullptr);
}

}  // namespace
}  // namespace kalvento::platform
