// Calendar conversions and the program clock, read in Europe/Berlin (set by test_main).

#include <gtest/gtest.h>

#include <ctime>
#include <optional>
#include <vector>

#include "platform/calendar_time.h"
#include "platform/clock.h"

namespace kalvento::platform {
namespace {

CalendarTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0) {
  return CalendarTime{y, mo, d, h, mi, s, ms};
}

struct ZonePair {
  CalendarTime local;
  CalendarTime utc;
};

// Berlin: CET (+1) in winter, CEST (+2) in summer; before 1893 local mean time +0:53:28.
const std::vector<ZonePair> kZonePairs = {
    {At(2021, 1, 15, 12, 0, 0), At(2021, 1, 15, 11, 0, 0)},
    {At(2021, 7, 15, 12, 0, 0), At(2021, 7, 15, 10, 0, 0)},
    {At(2017, 12, 3, 9, 10, 55, 250), At(2017, 12, 3, 8, 10, 55, 250)},
    {At(2021, 1, 1, 0, 30, 0), At(2020, 12, 31, 23, 30, 0)},
    {At(2000, 2, 29, 1, 0, 0), At(2000, 2, 29, 0, 0, 0)},
    {At(1970, 1, 1, 1, 0, 0), At(1970, 1, 1, 0, 0, 0)},
    {At(1969, 12, 31, 23, 59, 59), At(1969, 12, 31, 22, 59, 59)},
    {At(1970, 1, 1, 0, 59, 59), At(1969, 12, 31, 23, 59, 59)},  // the instant -1
    {At(1601, 1, 1, 0, 53, 28), At(1601, 1, 1, 0, 0, 0)},
    {At(1601, 1, 1, 0, 0, 0), At(1600, 12, 31, 23, 6, 32)},
    {At(9999, 12, 31, 23, 59, 59, 999), At(9999, 12, 31, 22, 59, 59, 999)},
    {At(10000, 1, 1, 0, 59, 59), At(9999, 12, 31, 23, 59, 59)},
    // The last second of summer time and the first of winter time in 2021.
    {At(2021, 10, 31, 2, 59, 59), At(2021, 10, 31, 0, 59, 59)},
    {At(2021, 10, 31, 3, 0, 0), At(2021, 10, 31, 2, 0, 0)},
    {At(2021, 3, 28, 1, 59, 59), At(2021, 3, 28, 0, 59, 59)},
    {At(2021, 3, 28, 3, 0, 0), At(2021, 3, 28, 1, 0, 0)},
};

TEST(CalendarTimeTest, LocalToUtcAppliesTheRulesOfThatDate) {
  for (const ZonePair& pair : kZonePairs) {
    SCOPED_TRACE(testing::Message() << pair.local.year << "-" << pair.local.month << "-"
                                    << pair.local.day << " " << pair.local.hour);
    EXPECT_EQ(LocalToUtc(pair.local), std::optional<CalendarTime>(pair.utc));
  }
}

TEST(CalendarTimeTest, UtcToLocalAppliesTheRulesOfThatDate) {
  for (const ZonePair& pair : kZonePairs) {
    SCOPED_TRACE(testing::Message() << pair.utc.year << "-" << pair.utc.month << "-" << pair.utc.day
                                    << " " << pair.utc.hour);
    EXPECT_EQ(UtcToLocal(pair.utc), std::optional<CalendarTime>(pair.local));
  }
}

const std::vector<CalendarTime> kNonsense = {
    At(2021, 0, 1),
    At(2021, 13, 1),
    At(2021, 1, 0),
    At(2021, 2, 29),
    At(1900, 2, 29),
    At(2000, 2, 30),
    At(2021, 4, 31),
    At(2021, 1, 32),
    At(2021, 1, 1, 24),
    At(2021, 1, 1, -1),
    At(2021, 1, 1, 0, 60),
    At(2021, 1, 1, 0, -1),
    At(2021, 1, 1, 0, 0, 60),
    At(2021, 1, 1, 0, 0, -1),
    At(2021, 1, 1, 0, 0, 0, 1000),
    At(2021, 1, 1, 0, 0, 0, -1),
    At(0, 1, 1),
    At(-5, 1, 1),
    At(30828, 1, 1),
    At(2021, -1, 1),
    At(2021, 1, -1),
};

TEST(CalendarTimeTest, NonsenseRecordsGiveNothing) {
  for (const CalendarTime& t : kNonsense) {
    SCOPED_TRACE(testing::Message() << t.year << "-" << t.month << "-" << t.day << " " << t.hour
                                    << ":" << t.minute << ":" << t.second << "." << t.millisecond);
    EXPECT_FALSE(LocalToUtc(t));
    EXPECT_FALSE(UtcToLocal(t));
    EXPECT_FALSE(InstantFromUtc(t));
  }
}

struct InstantPair {
  CalendarTime utc;
  FileInstant instant;
};

const std::vector<InstantPair> kInstantPairs = {
    {At(1970, 1, 1), {0, 0}},
    {At(1969, 12, 31, 23, 59, 59), {-1, 0}},
    {At(1601, 1, 1), {-11644473600, 0}},
    {At(2017, 12, 3, 8, 10, 55, 250), {1512288655, 250000000}},
    {At(2038, 1, 19, 3, 14, 8), {2147483648, 0}},
    {At(9999, 12, 31, 23, 59, 59, 999), {253402300799, 999000000}},
    {At(30827, 12, 31, 23, 59, 59), {910670515199, 0}},
};

TEST(CalendarTimeTest, InstantsAndUtcRecordsConvertBothWays) {
  for (const InstantPair& pair : kInstantPairs) {
    SCOPED_TRACE(pair.instant.seconds);
    EXPECT_EQ(InstantFromUtc(pair.utc), std::optional<FileInstant>(pair.instant));
    EXPECT_EQ(UtcFromInstant(pair.instant), std::optional<CalendarTime>(pair.utc));
  }
}

TEST(CalendarTimeTest, UtcFromInstantCutsToTheMillisecond) {
  EXPECT_EQ(UtcFromInstant({0, 999999999}), At(1970, 1, 1, 0, 0, 0, 999));
  EXPECT_EQ(UtcFromInstant({0, 900000000}), At(1970, 1, 1, 0, 0, 0, 900));
  EXPECT_EQ(UtcFromInstant({0, 999999}), At(1970, 1, 1, 0, 0, 0, 0));
}

TEST(CalendarTimeTest, UtcFromInstantRefusesWhatNoRecordHolds) {
  EXPECT_FALSE(UtcFromInstant({0, -1}));
  EXPECT_FALSE(UtcFromInstant({0, 1000000000}));
  EXPECT_FALSE(UtcFromInstant({INT64_MAX, 0}));
  EXPECT_FALSE(UtcFromInstant({INT64_MIN, 0}));
  EXPECT_FALSE(UtcFromInstant({910670515200, 0}));  // year 30828
}

// 2021-03-28: Berlin skips 02:00-03:00. A time in the gap is read with the offset in force
// before it (+1), so 02:30 is 01:30 UTC, which shows as 03:30 summer time.
TEST(CalendarTimeTest, TimeInTheSpringGapIsReadWithTheWinterOffset) {
  const CalendarTime gap = At(2021, 3, 28, 2, 30, 0);
  // Whatever was converted before, the answer stays the same.
  for (const CalendarTime& before : {At(2021, 7, 1, 12), At(2021, 1, 1, 12), At(2021, 3, 28, 3)}) {
    ASSERT_TRUE(LocalToUtc(before));
    EXPECT_EQ(LocalToUtc(gap), At(2021, 3, 28, 1, 30, 0));
  }
  EXPECT_EQ(UtcToLocal(At(2021, 3, 28, 1, 30, 0)), At(2021, 3, 28, 3, 30, 0));
}

// 2021-10-31: Berlin shows 02:00-03:00 twice. The earlier instant (still summer time) is taken,
// every time.
TEST(CalendarTimeTest, TimeInTheAutumnOverlapIsTheEarlierInstant) {
  const CalendarTime twice = At(2021, 10, 31, 2, 30, 0);
  for (const CalendarTime& before : {At(2021, 7, 1, 12), At(2021, 1, 1, 12), At(2021, 10, 31, 3)}) {
    ASSERT_TRUE(LocalToUtc(before));
    EXPECT_EQ(LocalToUtc(twice), At(2021, 10, 31, 0, 30, 0));
  }
  // Both instants show as 02:30.
  EXPECT_EQ(UtcToLocal(At(2021, 10, 31, 0, 30, 0)), twice);
  EXPECT_EQ(UtcToLocal(At(2021, 10, 31, 1, 30, 0)), twice);
}

TEST(CalendarTimeTest, LocalTimesSurviveARoundTrip) {
  for (int year : {1601, 1700, 1893, 1945, 1970, 2000, 2021, 2038, 2100, 5000, 9999}) {
    for (int month = 1; month <= 12; ++month) {
      const CalendarTime local = At(year, month, 15, 12, 34, 56, 789);
      SCOPED_TRACE(testing::Message() << year << "-" << month);
      std::optional<CalendarTime> utc = LocalToUtc(local);
      ASSERT_TRUE(utc);
      EXPECT_EQ(UtcToLocal(*utc), local);
      std::optional<FileInstant> instant = InstantFromUtc(*utc);
      ASSERT_TRUE(instant);
      EXPECT_EQ(UtcFromInstant(*instant), utc);
    }
  }
}

class ClockTest : public testing::Test {
 protected:
  void TearDown() override { SetClockForTests(std::nullopt); }
};

TEST_F(ClockTest, PinnedClockGivesLocalTimeWithMilliseconds) {
  SetClockForTests(FileInstant{1610708400, 499000000});  // 2021-01-15 11:00:00.499 UTC
  EXPECT_EQ(LocalNow(), At(2021, 1, 15, 12, 0, 0, 499));
  EXPECT_EQ(InstantNow(), (FileInstant{1610708400, 499000000}));
  SetClockForTests(FileInstant{1626343200, 7000000});  // 2021-07-15 10:00:00.007 UTC
  EXPECT_EQ(LocalNow(), At(2021, 7, 15, 12, 0, 0, 7));
}

TEST_F(ClockTest, DaylightSavingFollowsThePinnedClock) {
  SetClockForTests(FileInstant{1610708400, 0});  // January
  EXPECT_FALSE(IsDaylightSavingNow());
  SetClockForTests(FileInstant{1626343200, 0});  // July
  EXPECT_TRUE(IsDaylightSavingNow());
}

TEST_F(ClockTest, UnpinnedClockIsTheSystemClock) {
  SetClockForTests(FileInstant{0, 0});
  SetClockForTests(std::nullopt);
  const time_t before = time(nullptr);
  const FileInstant now = InstantNow();
  const time_t after = time(nullptr);
  EXPECT_GE(now.seconds, static_cast<int64_t>(before));
  EXPECT_LE(now.seconds, static_cast<int64_t>(after));
  EXPECT_GE(now.nanoseconds, 0);
  EXPECT_LE(now.nanoseconds, 999999999);

  const CalendarTime local = LocalNow();
  std::optional<CalendarTime> utc = LocalToUtc(local);
  ASSERT_TRUE(utc);
  std::optional<FileInstant> back = InstantFromUtc(*utc);
  ASSERT_TRUE(back);
  // In an overlap hour LocalToUtc may pick the other instant; an hour is the most it can differ.
  EXPECT_LE(back->seconds, static_cast<int64_t>(time(nullptr)));
  EXPECT_GE(back->seconds, static_cast<int64_t>(before) - 3600);
}

}  // namespace
}  // namespace kalvento::platform
