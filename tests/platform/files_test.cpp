// Folder listing, file tests, renaming without replacing, folder creation.

#include "platform/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "test_support.h"

namespace kalvento::platform {
namespace {

using test::TempFolder;

std::vector<std::string> Names(const std::vector<FolderEntry>& entries, bool folders) {
  std::vector<std::string> names;
  for (const auto& entry : entries) {
    if (entry.is_folder == folders) names.push_back(entry.name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST(ListFolder, ListsFilesAndFoldersIncludingHiddenOnes) {
  TempFolder tmp;
  tmp.WriteFile("b.txt", "1");
  tmp.WriteFile(".hidden", "2");
  tmp.WriteFile("sub/inner.txt", "3");  // not a direct entry
  tmp.MakeFolder(".config");
  tmp.MakeFolder("empty");

  auto entries = ListFolder(tmp.path());
  ASSERT_TRUE(entries);
  EXPECT_EQ(Names(*entries, false), (std::vector<std::string>{".hidden", "b.txt"}));
  EXPECT_EQ(Names(*entries, true), (std::vector<std::string>{".config", "empty", "sub"}));

  auto without_slash = ListFolder(tmp.path().substr(0, tmp.path().size() - 1));
  ASSERT_TRUE(without_slash);
  EXPECT_EQ(without_slash->size(), entries->size());
}

TEST(ListFolder, LeavesOutSymbolicLinksAndOtherThings) {
  TempFolder tmp;
  const std::string file = tmp.WriteFile("real.txt", "x");
  const std::string folder = tmp.MakeFolder("real-folder");
  tmp.WriteFile("real-folder/deep.txt", "y");
  ASSERT_EQ(symlink(file.c_str(), (tmp.path() + "file-link").c_str()), 0);
  ASSERT_EQ(symlink(folder.c_str(), (tmp.path() + "folder-link").c_str()), 0);
  ASSERT_EQ(symlink(tmp.path().c_str(), (tmp.path() + "real-folder/loop").c_str()), 0);
  ASSERT_EQ(symlink("nowhere", (tmp.path() + "dangling").c_str()), 0);
  ASSERT_EQ(mkfifo((tmp.path() + "pipe").c_str(), 0600), 0);

  auto entries = ListFolder(tmp.path());
  ASSERT_TRUE(entries);
  EXPECT_EQ(Names(*entries, false), (std::vector<std::string>{"real.txt"}));
  EXPECT_EQ(Names(*entries, true), (std::vector<std::string>{"real-folder"}));

  // Walking the tree through ListFolder never reaches through a link, so it ends.
  std::vector<std::string> queue = {tmp.path()};
  std::vector<std::string> files;
  for (size_t i = 0; i < queue.size(); ++i) {
    ASSERT_LT(queue.size(), 10u);
    auto listed = ListFolder(queue[i]);
    ASSERT_TRUE(listed);
    for (const auto& entry : *listed) {
      if (entry.is_folder) {
        queue.push_back(queue[i] + entry.name + "/");
      } else {
        files.push_back(queue[i] + entry.name);
      }
    }
  }
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, (std::vector<std::string>{tmp.path() + "real-folder/deep.txt", file}));
  EXPECT_EQ(queue.size(), 2u);
}

TEST(ListFolder, ReadsTimesInTheSamePassWhenAsked) {
  test::TempFolder folder;
  const std::string file = folder.WriteFile("a.txt", "x");
  test::SetModifiedUnix(file, 1563091953);
  folder.MakeFolder("sub");
  for (const std::string& base : {folder.path(), folder.path().substr(0, folder.path().size() - 1)}) {
    const auto entries = ListFolder(base, true);
    ASSERT_TRUE(entries.has_value());
    ASSERT_EQ(entries->size(), 2u);
    for (const FolderEntry& entry : *entries) {
      ASSERT_TRUE(entry.times.has_value()) << entry.name;
      const auto direct = ReadFileTimes(folder.path() + entry.name);
      ASSERT_TRUE(direct.has_value());
      EXPECT_EQ(entry.times->modified, direct->modified);
      if (entry.is_folder) continue;
      EXPECT_EQ(entry.times->created, direct->created);
      EXPECT_EQ(entry.times->modified.seconds, 1563091953);
    }
  }
  const auto without = ListFolder(folder.path());
  ASSERT_TRUE(without.has_value());
  for (const FolderEntry& entry : *without) EXPECT_FALSE(entry.times.has_value());
}

TEST(ListFolder, AFolderThatCannotBeOpenedGivesNothing) {
  TempFolder tmp;
  const std::string file = tmp.WriteFile("a.txt");
  EXPECT_FALSE(ListFolder(tmp.path() + "missing/"));
  EXPECT_FALSE(ListFolder(file));
  EXPECT_FALSE(ListFolder(""));
}

TEST(ListFolder, AnEmptyFolderGivesAnEmptyList) {
  TempFolder tmp;
  auto entries = ListFolder(tmp.MakeFolder("empty"));
  ASSERT_TRUE(entries);
  EXPECT_TRUE(entries->empty());
}

TEST(Files, FolderAndExistenceTests) {
  TempFolder tmp;
  const std::string file = tmp.WriteFile("a.txt");
  const std::string folder = tmp.MakeFolder("sub");
  const std::string link = tmp.path() + "sub-link";
  const std::string dangling = tmp.path() + "dangling";
  ASSERT_EQ(symlink(folder.c_str(), link.c_str()), 0);
  ASSERT_EQ(symlink("nowhere", dangling.c_str()), 0);

  EXPECT_TRUE(IsFolder(folder));
  EXPECT_TRUE(IsFolder(folder.substr(0, folder.size() - 1)));
  EXPECT_TRUE(IsFolder("/"));
  EXPECT_FALSE(IsFolder(file));
  EXPECT_FALSE(IsFolder(link));
  EXPECT_FALSE(IsFolder(link + "/"));
  EXPECT_FALSE(IsFolder(tmp.path() + "missing/"));
  EXPECT_FALSE(IsFolder(""));

  EXPECT_TRUE(PathExists(file));
  EXPECT_TRUE(PathExists(folder));
  EXPECT_TRUE(PathExists(link));
  EXPECT_TRUE(PathExists(dangling));
  EXPECT_FALSE(PathExists(tmp.path() + "missing"));
  EXPECT_FALSE(PathExists(file + "/"));
  EXPECT_FALSE(PathExists(""));

  EXPECT_TRUE(IsVolumeAvailable(tmp.path()));
  EXPECT_TRUE(IsVolumeAvailable("/"));
  EXPECT_FALSE(IsVolumeAvailable(tmp.path() + "missing/"));
  EXPECT_FALSE(IsVolumeAvailable(""));
}

TEST(Files, ReadOnlyIsTheOwnerWriteBitEvenForRoot) {
  TempFolder tmp;
  const std::string file = tmp.WriteFile("a.txt", "x");
  EXPECT_FALSE(IsReadOnly(file));
  ASSERT_EQ(chmod(file.c_str(), 0444), 0);  // chmod a-w
  EXPECT_TRUE(IsReadOnly(file));
  ASSERT_EQ(chmod(file.c_str(), 0644), 0);
  EXPECT_FALSE(IsReadOnly(file));
  ASSERT_EQ(chmod(file.c_str(), 0466), 0);  // others may write, the owner may not
  EXPECT_TRUE(IsReadOnly(file));

  const std::string folder = tmp.MakeFolder("sub");
  ASSERT_EQ(chmod(folder.c_str(), 0555), 0);
  EXPECT_TRUE(IsReadOnly(folder));
  ASSERT_EQ(chmod(folder.c_str(), 0755), 0);
  EXPECT_FALSE(IsReadOnly(folder));

  EXPECT_FALSE(IsReadOnly(tmp.path() + "missing"));
}

TEST(RenameNoReplace, RenamesToAFreeName) {
  TempFolder tmp;
  const std::string from = tmp.WriteFile("IMG_0001.jpg", "photo");
  const std::string to = tmp.path() + "20190714_IMG_0001.jpg";
  EXPECT_TRUE(RenameNoReplace(from, to));
  EXPECT_FALSE(PathExists(from));
  EXPECT_EQ(test::ReadFileBytes(to), "photo");
}

TEST(RenameNoReplace, RefusesAnExistingTargetAndLeavesBothIntact) {
  TempFolder tmp;
  const std::string from = tmp.WriteFile("a.jpg", "first");
  const std::string to = tmp.WriteFile("b.jpg", "second");
  const std::string folder = tmp.MakeFolder("c.jpg");
  EXPECT_FALSE(RenameNoReplace(from, to));
  EXPECT_FALSE(RenameNoReplace(from, folder.substr(0, folder.size() - 1)));
  EXPECT_FALSE(RenameNoReplace(from, from));
  EXPECT_EQ(test::ReadFileBytes(from), "first");
  EXPECT_EQ(test::ReadFileBytes(to), "second");
  EXPECT_TRUE(IsFolder(folder));

  // Even a dangling link is something of that name.
  const std::string dangling = tmp.path() + "dangling.jpg";
  ASSERT_EQ(symlink("nowhere", dangling.c_str()), 0);
  EXPECT_FALSE(RenameNoReplace(from, dangling));
  EXPECT_EQ(test::ReadFileBytes(from), "first");
}

TEST(RenameNoReplace, AMissingSourceFails) {
  TempFolder tmp;
  EXPECT_FALSE(RenameNoReplace(tmp.path() + "missing", tmp.path() + "other"));
  EXPECT_FALSE(PathExists(tmp.path() + "other"));
  EXPECT_FALSE(RenameNoReplace("", tmp.path() + "other"));
}

TEST(MakeFolders, CreatesTheFolderAndItsParents) {
  TempFolder tmp;
  const std::string deep = tmp.path() + "a/b/c/";
  EXPECT_TRUE(MakeFolders(deep));
  EXPECT_TRUE(IsFolder(deep));
  EXPECT_TRUE(MakeFolders(deep));  // already there
  EXPECT_TRUE(MakeFolders(tmp.path() + "a//d"));
  EXPECT_TRUE(IsFolder(tmp.path() + "a/d/"));

  const std::string file = tmp.WriteFile("file");
  EXPECT_FALSE(MakeFolders(file));
  EXPECT_FALSE(MakeFolders(file + "/below/"));
  EXPECT_FALSE(MakeFolders(""));
}

TEST(RemoveFolderTree, RemovesEverythingBelowButNothingALinkPointsAt) {
  TempFolder tmp;
  TempFolder outside;
  const std::string kept = outside.WriteFile("keep/me.txt", "x");
  tmp.WriteFile("tree/a.txt", "a");
  tmp.WriteFile("tree/sub/deeper/b.txt", "b");
  chmod((tmp.path() + "tree/sub/deeper/b.txt").c_str(), 0400);  // read-only goes too
  ASSERT_EQ(symlink((outside.path() + "keep").c_str(), (tmp.path() + "tree/sub/link").c_str()), 0);
  EXPECT_TRUE(RemoveFolderTree(tmp.path() + "tree/"));
  EXPECT_FALSE(PathExists(tmp.path() + "tree"));
  EXPECT_EQ(test::ReadFileBytes(kept), "x");
  // A link given as the folder is removed, not followed; a missing folder is already gone.
  ASSERT_EQ(symlink((outside.path() + "keep").c_str(), (tmp.path() + "alias").c_str()), 0);
  EXPECT_TRUE(RemoveFolderTree(tmp.path() + "alias"));
  EXPECT_FALSE(PathExists(tmp.path() + "alias"));
  EXPECT_EQ(test::ReadFileBytes(kept), "x");
  EXPECT_TRUE(RemoveFolderTree(tmp.path() + "missing"));
}

}  // namespace
}  // namespace kalvento::platform
