// Writing and reading the dates of real files and folders. Local time is Berlin time.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/vfs.h>

#include <string>
#include <vector>

#include "dates/datef.h"
#include "test_support.h"

namespace kalvento {
namespace {

using platform::FileTimeKind;

struct timespec ModifiedOf(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(lstat(path.c_str(), &st), 0) << path;
  return st.st_mtim;
}

struct timespec AccessedOf(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(lstat(path.c_str(), &st), 0) << path;
  return st.st_atim;
}

// Sets both the access and the modification time, seconds since 1970 UTC plus nanoseconds.
void SetTimes(const std::string& path, time_t seconds, long nanoseconds) {
  struct timespec times[2] = {{seconds, nanoseconds}, {seconds, nanoseconds}};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
}

struct WriteCase {
  DateValue local;
  time_t expected_unix;  // the UTC instant the file system gets
};

const std::vector<WriteCase> kWriteCases = {
    {MakeDate(2017, 12, 3, 9, 10, 55), 1512288655},  // winter: 08:10:55 UTC
    {MakeDate(2021, 7, 15, 12, 0, 0), 1626343200},   // summer: 10:00:00 UTC
    {MakeDate(1970, 1, 1, 1, 0, 0), 0},
    {MakeDate(2000, 2, 29, 23, 59, 59), 951865199},
};

TEST(FileDatesTest, ModifiedOfAFileSurvivesARoundTrip) {
  test::TempFolder temp;
  const std::string file = temp.WriteFile("photo.jpg", "x");
  for (const WriteCase& c : kWriteCases) {
    SCOPED_TRACE(FormatDate(kDisplayMask, c.local));
    EXPECT_NE(SetFileDate(file, FileTimeKind::kModified, c.local), 0);
    EXPECT_EQ(ModifiedOf(file).tv_sec, c.expected_unix);
    EXPECT_EQ(ModifiedOf(file).tv_nsec, 0);
    FileDates dates;
    ASSERT_TRUE(ReadFileDates(file, dates));
    EXPECT_EQ(dates.modified, c.local);
  }
}

TEST(FileDatesTest, ModifiedOfAFolderSurvivesARoundTrip) {
  test::TempFolder temp;
  const std::string folder = temp.MakeFolder("album");  // ends with "/"
  const std::string bare = folder.substr(0, folder.size() - 1);
  for (const std::string& path : {folder, bare}) {
    for (const WriteCase& c : kWriteCases) {
      SCOPED_TRACE(path + " " + FormatDate(kDisplayMask, c.local));
      EXPECT_NE(SetFileDate(path, FileTimeKind::kModified, c.local), 0);
      EXPECT_EQ(ModifiedOf(bare).tv_sec, c.expected_unix);
      FileDates dates;
      ASSERT_TRUE(ReadFileDates(path, dates));
      EXPECT_EQ(dates.modified, c.local);
    }
  }
}

TEST(FileDatesTest, WritingOneSlotLeavesTheOthers) {
  test::TempFolder temp;
  const std::string file = temp.WriteFile("a.txt", "x");
  SetTimes(file, 1000000000, 0);
  const DateValue summer = MakeDate(2021, 7, 15, 12, 0, 0);

  ASSERT_NE(SetFileDate(file, FileTimeKind::kAccessed, summer), 0);
  EXPECT_EQ(AccessedOf(file).tv_sec, 1626343200);
  EXPECT_EQ(ModifiedOf(file).tv_sec, 1000000000);

  const DateValue winter = MakeDate(2017, 12, 3, 9, 10, 55);
  ASSERT_NE(SetFileDate(file, FileTimeKind::kModified, winter), 0);
  EXPECT_EQ(ModifiedOf(file).tv_sec, 1512288655);
  EXPECT_EQ(AccessedOf(file).tv_sec, 1626343200);

  FileDates dates;
  ASSERT_TRUE(ReadFileDates(file, dates));
  EXPECT_EQ(dates.modified, winter);
  EXPECT_EQ(dates.accessed, summer);
  EXPECT_GT(dates.created, 0);
}

TEST(FileDatesTest, MissingPathGivesNothing) {
  test::TempFolder temp;
  const std::string missing = temp.path() + "no such file.jpg";
  const DateValue date = MakeDate(2017, 12, 3, 9, 10, 55);
  for (FileTimeKind kind :
       {FileTimeKind::kCreated, FileTimeKind::kAccessed, FileTimeKind::kModified}) {
    EXPECT_EQ(SetFileDate(missing, kind, date), 0);
  }
  FileDates dates{1, 2, 3};
  EXPECT_FALSE(ReadFileDates(missing, dates));
  EXPECT_EQ(dates.created, 0);
  EXPECT_EQ(dates.modified, 0);
  EXPECT_EQ(dates.accessed, 0);
  EXPECT_FALSE(ReadFileDates("", dates));
  EXPECT_EQ(SetFileDate("", FileTimeKind::kModified, date), 0);
}

TEST(FileDatesTest, UnknownKindWritesNothing) {
  test::TempFolder temp;
  const std::string file = temp.WriteFile("a.txt", "x");
  SetTimes(file, 1000000000, 0);
  for (int kind : {-1, 3, 7}) {
    SCOPED_TRACE(kind);
    EXPECT_EQ(SetFileDate(file, static_cast<FileTimeKind>(kind), MakeDate(2017, 12, 3, 0, 0, 0)),
              0);
    EXPECT_EQ(ModifiedOf(file).tv_sec, 1000000000);
    EXPECT_EQ(AccessedOf(file).tv_sec, 1000000000);
  }
}

TEST(FileDatesTest, SubSecondTimesAreCutOnReading) {
  test::TempFolder temp;
  const std::string file = temp.WriteFile("a.txt", "x");
  SetTimes(file, 1512288655, 900000000);  // 2017-12-03 08:10:55.9 UTC
  FileDates dates;
  ASSERT_TRUE(ReadFileDates(file, dates));
  EXPECT_EQ(dates.modified, MakeDate(2017, 12, 3, 9, 10, 55));
  EXPECT_EQ(dates.accessed, MakeDate(2017, 12, 3, 9, 10, 55));
}

TEST(FileDatesTest, ReadingAppliesTheOffsetOfThatDate) {
  test::TempFolder temp;
  const std::string file = temp.WriteFile("a.txt", "x");
  struct Case {
    time_t unix_seconds;
    DateValue local;
  };
  for (const Case& c : std::vector<Case>{{1626343200, MakeDate(2021, 7, 15, 12, 0, 0)},
                                         {1610708400, MakeDate(2021, 1, 15, 12, 0, 0)},
                                         {0, MakeDate(1970, 1, 1, 1, 0, 0)},
                                         {-1, MakeDate(1970, 1, 1, 0, 59, 59)}}) {
    SCOPED_TRACE(c.unix_seconds);
    SetTimes(file, c.unix_seconds, 0);
    FileDates dates;
    ASSERT_TRUE(ReadFileDates(file, dates));
    EXPECT_EQ(dates.modified, c.local);
  }
}

// Where the file system keeps no writable creation time (ext4, tmpfs, ...), Created cannot be
// written; the file stays as it was.
TEST(FileDatesTest, CreatedCannotBeWrittenWithoutACreationAttribute) {
  test::TempFolder temp;
  const std::string file = temp.WriteFile("a.txt", "x");
  struct statfs fs {};
  ASSERT_EQ(statfs(file.c_str(), &fs), 0);
  constexpr long kNtfsFuse = 0x65735546, kNtfs = 0x5346544e, kCifs = 0xff534d42, kSmb2 = 0xfe534d42;
  const long type = static_cast<long>(fs.f_type);
  if (type == kNtfsFuse || type == kNtfs || type == kCifs || type == kSmb2) {
    GTEST_SKIP() << "the temp folder is on a file system with a creation-time attribute";
  }
  SetTimes(file, 1000000000, 0);
  FileDates before;
  ASSERT_TRUE(ReadFileDates(file, before));
  EXPECT_EQ(SetFileDate(file, FileTimeKind::kCreated, MakeDate(2017, 12, 3, 9, 10, 55)), 0);
  FileDates after;
  ASSERT_TRUE(ReadFileDates(file, after));
  EXPECT_EQ(after.created, before.created);
  EXPECT_EQ(after.modified, before.modified);
  EXPECT_EQ(ModifiedOf(file).tv_sec, 1000000000);
}

// Local times that do not occur or occur twice when the clocks change.
TEST(FileDatesTest, LocalTimesAroundClockChangesAreWrittenSanely) {
  test::TempFolder temp;
  const std::string file = temp.WriteFile("a.txt", "x");
  struct Case {
    DateValue local;
    time_t expected_unix;
    DateValue read_back;
  };
  for (const Case& c : std::vector<Case>{
           // 2021-03-28 02:30 does not exist: read with the winter offset, it is 01:30 UTC,
           // which shows as 03:30 summer time.
           {MakeDate(2021, 3, 28, 2, 30, 0), 1616895000, MakeDate(2021, 3, 28, 3, 30, 0)},
           // 2021-10-31 02:30 occurs twice: the first one (summer time, 00:30 UTC) is taken.
           {MakeDate(2021, 10, 31, 2, 30, 0), 1635640200, MakeDate(2021, 10, 31, 2, 30, 0)},
       }) {
    SCOPED_TRACE(FormatDate(kDisplayMask, c.local));
    EXPECT_NE(SetFileDate(file, FileTimeKind::kModified, c.local), 0);
    EXPECT_EQ(ModifiedOf(file).tv_sec, c.expected_unix);
    FileDates dates;
    ASSERT_TRUE(ReadFileDates(file, dates));
    EXPECT_EQ(dates.modified, c.read_back);
  }
}

// A local time whose UTC instant lies before 1601 has no FILETIME and is not written.
TEST(FileDatesTest, TimesBefore1601UtcAreNotWritten) {
  test::TempFolder temp;
  const std::string file = temp.WriteFile("a.txt", "x");
  SetTimes(file, 1000000000, 0);
  EXPECT_EQ(SetFileDate(file, FileTimeKind::kModified, MakeDate(1601, 1, 1, 0, 30, 0)), 0);
  EXPECT_EQ(ModifiedOf(file).tv_sec, 1000000000);
}

}  // namespace
}  // namespace kalvento
