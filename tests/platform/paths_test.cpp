// Path conventions: folder lines, depth, local absolute paths, lexical normalisation.

#include "platform/paths.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "test_support.h"

namespace kalvento::platform {
namespace {

TEST(Paths, FolderLines) {
  EXPECT_TRUE(IsFolderLine("/"));
  EXPECT_TRUE(IsFolderLine("/home/ann/"));
  EXPECT_TRUE(IsFolderLine("/home/ann photos/2019/"));
  EXPECT_FALSE(IsFolderLine("/home/ann"));
  EXPECT_FALSE(IsFolderLine("IMG_0001.jpg\t2019.07.14 10:00:00\t\t\t\t\t"));
  EXPECT_FALSE(IsFolderLine(" "));
  EXPECT_FALSE(IsFolderLine(""));
  EXPECT_FALSE(IsFolderLine("home/ann/"));
}

TEST(Paths, FolderDepthCountsSlashes) {
  EXPECT_EQ(FolderDepth("/"), 1);
  EXPECT_EQ(FolderDepth("/home/"), 2);
  EXPECT_EQ(FolderDepth("/home/ann/"), 3);
  EXPECT_EQ(FolderDepth("/home/ann/photos/2019/"), 5);
  EXPECT_EQ(FolderDepth(""), 0);
}

TEST(Paths, OnlyLocalAbsolutePathsAreAccepted) {
  EXPECT_TRUE(IsLocalAbsolutePath("/"));
  EXPECT_TRUE(IsLocalAbsolutePath("/home/ann/"));
  EXPECT_TRUE(IsLocalAbsolutePath("/media/ann/USB STICK/"));
  EXPECT_FALSE(IsLocalAbsolutePath("smb://x/y"));
  EXPECT_FALSE(IsLocalAbsolutePath("file:///home/ann/"));
  EXPECT_FALSE(IsLocalAbsolutePath("relative/x"));
  EXPECT_FALSE(IsLocalAbsolutePath("./x"));
  EXPECT_FALSE(IsLocalAbsolutePath("~/x"));
  EXPECT_FALSE(IsLocalAbsolutePath("C:\\Users\\"));
  EXPECT_FALSE(IsLocalAbsolutePath(""));
  EXPECT_FALSE(IsLocalAbsolutePath(std::string("/a\0b", 4)));
}

TEST(Paths, TrailingSlashAndFolderPart) {
  EXPECT_EQ(WithTrailingSlash("/a"), "/a/");
  EXPECT_EQ(WithTrailingSlash("/a/"), "/a/");
  EXPECT_EQ(WithTrailingSlash("/"), "/");
  EXPECT_EQ(WithTrailingSlash(""), "");

  EXPECT_EQ(WithoutTrailingSlash("/a/b/"), "/a/b");
  EXPECT_EQ(WithoutTrailingSlash("/a/b//"), "/a/b");
  EXPECT_EQ(WithoutTrailingSlash("/a/b"), "/a/b");
  EXPECT_EQ(WithoutTrailingSlash("/"), "/");
  EXPECT_EQ(WithoutTrailingSlash("//"), "/");
  EXPECT_EQ(WithoutTrailingSlash(""), "");

  EXPECT_EQ(FolderOf("/a/b.txt"), "/a/");
  EXPECT_EQ(FolderOf("/b.txt"), "/");
  EXPECT_EQ(FolderOf("/a/b/"), "/a/b/");
  EXPECT_EQ(FolderOf("b.txt"), "");
}

TEST(Paths, AbsolutePathFoldsDotsAndSlashes) {
  struct Case {
    const char* in;
    const char* out;
  };
  const Case cases[] = {
      {"/", "/"},
      {"/a/b", "/a/b"},
      {"/a/b/", "/a/b/"},
      {"//a///b//", "/a/b/"},
      {"/a/./b", "/a/b"},
      {"/a/b/.", "/a/b/"},
      {"/a/b/..", "/a/"},
      {"/a/b/../c", "/a/c"},
      {"/a/../../..", "/"},
      {"/..", "/"},
      {"/a/.../b", "/a/.../b"},
      {"/a/.b/", "/a/.b/"},
      {"/a/b\\c", "/a/b\\c"},
  };
  for (const Case& c : cases) EXPECT_EQ(AbsolutePath(c.in), c.out) << c.in;
  EXPECT_EQ(AbsolutePath(""), "");
}

TEST(Paths, RelativePathsAreTakenAgainstTheWorkingFolder) {
  test::TempFolder tmp;
  char old[4096];
  ASSERT_NE(getcwd(old, sizeof old), nullptr);
  ASSERT_EQ(chdir(tmp.path().c_str()), 0);
  const std::string here = AbsolutePath(".");
  const std::string file = AbsolutePath("x/../y.txt");
  const std::string parent = AbsolutePath("..");
  ASSERT_EQ(chdir(old), 0);

  // The temp folder path may hold a link (/tmp -> ...); getcwd gives the real one.
  EXPECT_EQ(here.back(), '/');
  EXPECT_EQ(file, here + "y.txt");
  EXPECT_EQ(parent, FolderOf(here.substr(0, here.size() - 1)));
  char* real = realpath(tmp.path().c_str(), nullptr);
  ASSERT_NE(real, nullptr);
  EXPECT_EQ(here, WithTrailingSlash(real));
  free(real);
}

}  // namespace
}  // namespace kalvento::platform
