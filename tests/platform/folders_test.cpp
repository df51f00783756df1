// The program's folders from the XDG variables and user-dirs.dirs.

#include "platform/folders.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "env_guard.h"
#include "platform/files.h"
#include "test_support.h"

namespace kalvento::platform {
namespace {

using test::EnvGuard;
using test::TempFolder;

bool EndsWithSlash(const std::string& s) { return !s.empty() && s.back() == '/'; }

TEST(Folders, FollowTheXdgVariables) {
  TempFolder tmp;
  const std::string home = tmp.MakeFolder("home");
  const std::string config = tmp.MakeFolder("config");
  const std::string temp = tmp.MakeFolder("temp");
  ASSERT_EQ(chmod(temp.c_str(), 0700), 0);
  tmp.WriteFile("config/user-dirs.dirs",
                "# This file is written by xdg-user-dirs-update\n"
                "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n"
                "XDG_DOWNLOAD_DIR=\"$HOME/Downloads\"\n"
                "  XDG_DOCUMENTS_DIR=\"/srv/docs/ann \\\"files\\\"\"\n");
  EnvGuard home_env("HOME", home.substr(0, home.size() - 1));
  EnvGuard config_env("XDG_CONFIG_HOME", config);
  EnvGuard temp_env("TMPDIR", temp);

  Folders folders = FindFolders("Kalvento", "Kalvento");
  EXPECT_EQ(folders.data, config + "Kalvento/");
  EXPECT_EQ(folders.log, config + "Kalvento/Logs/");
  EXPECT_EQ(folders.temp, temp + "Kalvento/");
  EXPECT_EQ(folders.desktop, home + "Schreibtisch/");
  EXPECT_EQ(folders.documents, "/srv/docs/ann \"files\"/");

  // The program folder is that of this test program.
  char exe[4096];
  ssize_t length = readlink("/proc/self/exe", exe, sizeof exe - 1);
  ASSERT_GT(length, 0);
  std::string exe_path(exe, static_cast<size_t>(length));
  EXPECT_EQ(folders.program, exe_path.substr(0, exe_path.rfind('/') + 1));

  for (const std::string* folder : {&folders.program, &folders.data, &folders.log, &folders.temp,
                                    &folders.documents, &folders.desktop}) {
    EXPECT_TRUE(EndsWithSlash(*folder)) << *folder;
  }
}

TEST(Folders, DefaultsWithoutXdgSettings) {
  TempFolder tmp;
  const std::string home = tmp.MakeFolder("home");
  const std::string temp = tmp.MakeFolder("temp");
  ASSERT_EQ(chmod(temp.c_str(), 0700), 0);
  EnvGuard home_env("HOME", home);
  EnvGuard config_env("XDG_CONFIG_HOME", std::nullopt);
  EnvGuard temp_env("TMPDIR", temp);

  // A backslash from a Windows-style config value is a separator.
  Folders folders = FindFolders("Kalvento\\", "Kalvento");
  EXPECT_EQ(folders.data, home + ".config/Kalvento/");
  EXPECT_EQ(folders.log, home + ".config/Kalvento/Logs/");
  EXPECT_EQ(folders.documents, home);  // no ~/Documents
  EXPECT_EQ(folders.desktop, home + "Desktop/");

  tmp.MakeFolder("home/Documents");
  EXPECT_EQ(FindFolders("Kalvento", "Kalvento").documents, home + "Documents/");
}

TEST(Folders, RelativeXdgValuesAreIgnored) {
  TempFolder tmp;
  const std::string home = tmp.MakeFolder("home");
  EnvGuard home_env("HOME", home);
  EnvGuard config_env("XDG_CONFIG_HOME", "relative/config");
  EnvGuard temp_env("TMPDIR", "relative/tmp");

  Folders folders = FindFolders("Kalvento", "Kalvento");
  EXPECT_EQ(folders.data, home + ".config/Kalvento/");
  EXPECT_EQ(folders.temp.rfind("/tmp/Kalvento", 0), 0u) << folders.temp;
}

TEST(Folders, TheSharedTmpFolderGetsAFolderPerUser) {
  EnvGuard temp_env("TMPDIR", std::nullopt);
  Folders folders = FindFolders("Kalvento", "Kalvento");
  EXPECT_EQ(folders.temp, "/tmp/Kalvento-" + std::to_string(geteuid()) + "/");
}

TEST(Folders, CreateWorkingFoldersMakesThemWithAPrivateTempFolder) {
  TempFolder tmp;
  const std::string temp = tmp.MakeFolder("temp");
  ASSERT_EQ(chmod(temp.c_str(), 0700), 0);
  EnvGuard home_env("HOME", tmp.MakeFolder("home"));
  EnvGuard config_env("XDG_CONFIG_HOME", tmp.path() + "config");  // does not exist yet
  EnvGuard temp_env("TMPDIR", temp);

  Folders folders = FindFolders("Kalvento", "Kalvento");
  CreateWorkingFolders(folders);
  EXPECT_TRUE(IsFolder(folders.data));
  EXPECT_TRUE(IsFolder(folders.log));
  EXPECT_TRUE(IsFolder(folders.temp));
  EXPECT_TRUE(IsPrivateFolder(folders.temp));

  // A temp folder left open to others by an older version is closed again.
  ASSERT_EQ(chmod(folders.temp.c_str(), 0777), 0);
  EXPECT_FALSE(IsPrivateFolder(folders.temp));
  CreateWorkingFolders(folders);
  EXPECT_TRUE(IsPrivateFolder(folders.temp));
}

TEST(Folders, IsPrivateFolderRefusesLinksAndOpenFolders) {
  TempFolder tmp;
  const std::string mine = tmp.MakeFolder("mine");
  ASSERT_EQ(chmod(mine.c_str(), 0700), 0);
  const std::string link = tmp.path() + "link";
  ASSERT_EQ(symlink(mine.c_str(), link.c_str()), 0);
  const std::string open = tmp.MakeFolder("open");
  ASSERT_EQ(chmod(open.c_str(), 0757), 0);

  EXPECT_TRUE(IsPrivateFolder(mine));
  EXPECT_FALSE(IsPrivateFolder(link));
  EXPECT_FALSE(IsPrivateFolder(link + "/"));
  EXPECT_FALSE(IsPrivateFolder(open));
  EXPECT_FALSE(IsPrivateFolder(tmp.path() + "missing/"));
  EXPECT_FALSE(IsPrivateFolder(tmp.WriteFile("file")));
}

}  // namespace
}  // namespace kalvento::platform
