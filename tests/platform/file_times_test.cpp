// Reading and writing the three times of files and folders (statx, utimensat, creation-time
// attributes) without ever following a symbolic link.

#include "platform/file_times.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <sstream>

#include "test_support.h"

namespace kalvento::platform {
namespace {

using test::TempFolder;

// Sets access and modification time directly, to the nanosecond.
void SetTimes(const std::string& path, FileInstant accessed, FileInstant modified) {
  timespec ts[2] = {{accessed.seconds, accessed.nanoseconds},
                    {modified.seconds, modified.nanoseconds}};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), ts, AT_SYMLINK_NOFOLLOW), 0) << path;
}

TEST(FileTimes, ReadsTheTimesOfAFileAndAFolder) {
  TempFolder tmp;
  const std::string file = tmp.WriteFile("a.txt", "abc");
  const std::string folder = tmp.MakeFolder("sub");
  SetTimes(file, {1400000000, 0}, {1500000000, 0});
  SetTimes(folder.substr(0, folder.size() - 1), {1410000000, 0}, {1510000000, 0});

  auto file_times = ReadFileTimes(file);
  ASSERT_TRUE(file_times);
  EXPECT_EQ(file_times->modified, (FileInstant{1500000000, 0}));
  EXPECT_EQ(file_times->accessed, (FileInstant{1400000000, 0}));
  // ext4 keeps a birth time: the file was born just now, not at its (earlier) modification time.
  EXPECT_GT(file_times->created.seconds, 1600000000);

  for (const std::string& path : {folder, folder.substr(0, folder.size() - 1)}) {
    auto folder_times = ReadFileTimes(path);
    ASSERT_TRUE(folder_times) << path;
    EXPECT_EQ(folder_times->modified, (FileInstant{1510000000, 0}));
    EXPECT_EQ(folder_times->accessed, (FileInstant{1410000000, 0}));
  }
}

TEST(FileTimes, SubSecondModificationTimeReadsBackToTheNanosecond) {
  TempFolder tmp;
  const std::string file = tmp.WriteFile("a.txt");
  SetTimes(file, {1400000000, 5}, {1500000000, 123456789});
  auto times = ReadFileTimes(file);
  ASSERT_TRUE(times);
  EXPECT_EQ(times->modified, (FileInstant{1500000000, 123456789}));
  EXPECT_EQ(times->accessed, (FileInstant{1400000000, 5}));
}

TEST(FileTimes, WritingModifiedLeavesAccessedAloneAndViceVersa) {
  TempFolder tmp;
  const std::string file = tmp.WriteFile("a.txt", "contents");
  SetTimes(file, {1400000000, 111}, {1500000000, 222});

  ASSERT_TRUE(WriteFileTime(file, FileTimeKind::kModified, {1300000000, 987654321}));
  auto after_modified = ReadFileTimes(file);
  ASSERT_TRUE(after_modified);
  EXPECT_EQ(after_modified->modified, (FileInstant{1300000000, 987654321}));
  EXPECT_EQ(after_modified->accessed, (FileInstant{1400000000, 111}));

  ASSERT_TRUE(WriteFileTime(file, FileTimeKind::kAccessed, {1200000000, 0}));
  auto after_accessed = ReadFileTimes(file);
  ASSERT_TRUE(after_accessed);
  EXPECT_EQ(after_accessed->accessed, (FileInstant{1200000000, 0}));
  EXPECT_EQ(after_accessed->modified, (FileInstant{1300000000, 987654321}));
  EXPECT_EQ(after_accessed->created, after_modified->created);
  EXPECT_EQ(test::ReadFileBytes(file), "contents");
}

TEST(FileTimes, WritesTheTimesOfAFolder) {
  TempFolder tmp;
  const std::string folder = tmp.MakeFolder("sub");
  ASSERT_TRUE(WriteFileTime(folder, FileTimeKind::kModified, {1234567890, 0}));
  auto times = ReadFileTimes(folder);
  ASSERT_TRUE(times);
  EXPECT_EQ(times->modified, (FileInstant{1234567890, 0}));
}

TEST(FileTimes, TimesBeforeNineteenSeventyWork) {
  TempFolder tmp;
  const std::string file = tmp.WriteFile("old.txt");
  ASSERT_TRUE(WriteFileTime(file, FileTimeKind::kModified, {-86400 * 365, 0}));
  auto times = ReadFileTimes(file);
  ASSERT_TRUE(times);
  EXPECT_EQ(times->modified, (FileInstant{-86400 * 365, 0}));
}

TEST(FileTimes, CreatedCannotBeWrittenOnThisFileSystemAndNothingChanges) {
  // The temp folder is on ext4 (or tmpfs): neither keeps an NTFS or SMB creation-time attribute.
  TempFolder tmp;
  const std::string file = tmp.WriteFile("a.txt", "contents");
  SetTimes(file, {1400000000, 0}, {1500000000, 0});
  auto before = ReadFileTimes(file);
  ASSERT_TRUE(before);

  EXPECT_FALSE(WriteFileTime(file, FileTimeKind::kCreated, {1000000000, 0}));

  auto after = ReadFileTimes(file);
  ASSERT_TRUE(after);
  EXPECT_EQ(after->created, before->created);
  EXPECT_EQ(after->modified, before->modified);
  EXPECT_EQ(after->accessed, before->accessed);
  EXPECT_EQ(test::ReadFileBytes(file), "contents");
}

TEST(FileTimes, MissingPathGivesNothingAndWritesNothing) {
  TempFolder tmp;
  EXPECT_FALSE(ReadFileTimes(tmp.path() + "missing.txt"));
  EXPECT_FALSE(ReadFileTimes(""));
  EXPECT_FALSE(WriteFileTime(tmp.path() + "missing.txt", FileTimeKind::kModified, {1, 0}));
  EXPECT_FALSE(WriteFileTime(tmp.path() + "missing.txt", FileTimeKind::kCreated, {1, 0}));
}

TEST(FileTimes, OutOfRangeNanosecondsAreRefused) {
  TempFolder tmp;
  const std::string file = tmp.WriteFile("a.txt");
  SetTimes(file, {1400000000, 0}, {1500000000, 0});
  // UTIME_NOW and UTIME_OMIT are nanosecond values too; none may slip through.
  for (int32_t ns :
       {-1, 1000000000, static_cast<int32_t>(UTIME_NOW), static_cast<int32_t>(UTIME_OMIT)}) {
    EXPECT_FALSE(WriteFileTime(file, FileTimeKind::kModified, {1300000000, ns})) << ns;
  }
  auto times = ReadFileTimes(file);
  ASSERT_TRUE(times);
  EXPECT_EQ(times->modified, (FileInstant{1500000000, 0}));
}

TEST(FileTimes, ASymbolicLinkIsNeverFollowed) {
  TempFolder tmp;
  const std::string target = tmp.WriteFile("target.txt", "x");
  const std::string folder = tmp.MakeFolder("folder");
  SetTimes(target, {1000000000, 0}, {1000000000, 0});
  SetTimes(folder.substr(0, folder.size() - 1), {1000000000, 0}, {1000000000, 0});
  const std::string link = tmp.path() + "link.txt";
  const std::string folder_link = tmp.path() + "folder-link";
  ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
  ASSERT_EQ(symlink(folder.c_str(), folder_link.c_str()), 0);

  auto link_times = ReadFileTimes(link);
  ASSERT_TRUE(link_times);
  EXPECT_NE(link_times->modified.seconds, 1000000000);  // the link's own time

  EXPECT_TRUE(WriteFileTime(link, FileTimeKind::kModified, {1100000000, 0}));
  EXPECT_FALSE(WriteFileTime(folder_link + "/", FileTimeKind::kModified, {1100000000, 0}));
  EXPECT_FALSE(ReadFileTimes(folder_link + "/"));  // "link/" would resolve the link
  EXPECT_EQ(ReadFileTimes(target)->modified.seconds, 1000000000);
  EXPECT_EQ(ReadFileTimes(folder)->modified.seconds, 1000000000);
}

TEST(FileTimes, FileTimeConversion) {
  EXPECT_EQ(FileTimeFromInstant({0, 0}), 116444736000000000ull);  // 1970-01-01
  EXPECT_EQ(FileTimeFromInstant({-11644473600, 0}), 0ull);        // 1601-01-01
  EXPECT_EQ(FileTimeFromInstant({1500000000, 123456789}), 131444736001234567ull);
  EXPECT_FALSE(FileTimeFromInstant({-11644473601, 0}));
  EXPECT_FALSE(FileTimeFromInstant({0, -1}));
  EXPECT_FALSE(FileTimeFromInstant({0, 1000000000}));
  EXPECT_FALSE(FileTimeFromInstant({INT64_MAX, 0}));
  EXPECT_TRUE(FileTimeFromInstant({253402300799, 999999999}));  // 9999-12-31 23:59:59

  EXPECT_EQ(InstantFromFileTime(116444736000000000ull), (FileInstant{0, 0}));
  EXPECT_EQ(InstantFromFileTime(131444736001234567ull), (FileInstant{1500000000, 123456700}));
  EXPECT_EQ(InstantFromFileTime(1), (FileInstant{-11644473600, 100}));
  EXPECT_FALSE(InstantFromFileTime(0));
  EXPECT_FALSE(InstantFromFileTime(UINT64_MAX));
  for (int64_t seconds : {-11644473600LL, -1LL, 0LL, 1700000000LL, 253402300799LL}) {
    auto ticks = FileTimeFromInstant({seconds, 999999900});
    ASSERT_TRUE(ticks) << seconds;
    EXPECT_EQ(InstantFromFileTime(*ticks), (FileInstant{seconds, 999999900})) << seconds;
  }
}

}  // namespace
}  // namespace kalvento::platform
