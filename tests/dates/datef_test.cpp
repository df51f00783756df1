// Date values: building, splitting, formatting and both parsers. Local time is Berlin time.

#include "dates/datef.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "dates/filetime.h"
#include "platform/clock.h"

namespace kalvento {
namespace {

constexpr DateValue kSample = 13156765855;  // 2017-12-03 09:10:55, a Sunday

// Pins the program clock for one test and lets go of it afterwards.
class PinnedClock : public testing::Test {
 protected:
  void TearDown() override { platform::SetClockForTests(std::nullopt); }
  // 2021-01-15 11:00:00 UTC plus `nanoseconds`, that is 12:00:00 in Berlin, a Friday.
  static void PinToJanuary(int32_t nanoseconds = 0) {
    platform::SetClockForTests(platform::FileInstant{1610708400, nanoseconds});
  }
  static constexpr DateValue kJanuaryNoon = 13255185600;  // 2021-01-15 12:00:00
};

// ---------------------------------------------------------------------------------------------
// MakeDate

struct MakeCase {
  int year, month, day, hour, minute, second;
  DateValue expected;
};

const std::vector<MakeCase> kMakeCases = {
    {2017, 12, 3, 9, 10, 55, kSample},
    {1601, 1, 1, 0, 0, 0, 0},
    {1601, 0, 0, 0, 0, 0, 0},  // month and day default to 1
    {1601, 1, 1, 0, 0, 1, 1},
    {2017, 0, 0, 0, 0, 0, 13127702400},  // 2017-01-01
    {9999, 12, 31, 23, 59, 59, kLargestDate},
    {0, 5, 17, 10, 0, 0, 36000},  // year 0: 1601-01-01, month and day ignored
    {0, 0, 0, 0, 0, 1, 1},
    {0, 0, 0, 23, 59, 59, 86399},
    {0, 13, 40, 1, 0, 0, 3600},  // nonsense month and day do not matter without a year
    {1600, 12, 31, 0, 0, 0, kInvalidDate},
    {10000, 1, 1, 0, 0, 0, kInvalidDate},
    {-2017, 1, 1, 0, 0, 0, kInvalidDate},
    {std::numeric_limits<int>::max(), 1, 1, 0, 0, 0, kInvalidDate},
    {std::numeric_limits<int>::min(), 1, 1, 0, 0, 0, kInvalidDate},
    {2021, 2, 29, 0, 0, 0, 0},
    {2000, 2, 29, 0, 0, 0, 12596256000},  // 2000 is a leap year
    {1900, 2, 29, 0, 0, 0, 0},            // 1900 is not
    {2021, 2, 30, 0, 0, 0, 0},
    {2021, 4, 31, 0, 0, 0, 0},
    {2021, 13, 1, 0, 0, 0, 0},
    {2021, -1, 1, 0, 0, 0, 0},
    {2021, 1, -1, 0, 0, 0, 0},
    {2021, 1, 1, 24, 0, 0, 0},
    {2021, 1, 1, 0, 60, 0, 0},
    {2021, 1, 1, 0, 0, 60, 0},
    {2021, 1, 1, -1, 0, 0, 0},
    {2021, 1, 1, 0, -1, 0, 0},
    {2021, 1, 1, 0, 0, -1, 0},
    {0, 0, 0, -1, 0, 0, 0},
    {0, 0, 0, 24, 0, 0, 0},
    {0, 0, 0, 0, 0, std::numeric_limits<int>::max(), 0},
};

TEST(MakeDateTest, BuildsValuesAndRefusesImpossibleOnes) {
  for (const MakeCase& c : kMakeCases) {
    SCOPED_TRACE(testing::Message() << c.year << "-" << c.month << "-" << c.day << " " << c.hour
                                    << ":" << c.minute << ":" << c.second);
    EXPECT_EQ(MakeDate(c.year, c.month, c.day, c.hour, c.minute, c.second), c.expected);
  }
}

TEST(MakeDateTest, LeapYearsFollowTheGregorianRule) {
  struct LeapCase {
    int year;
    bool leap;
  };
  for (const LeapCase& c : std::vector<LeapCase>{{1601, false},
                                                 {1604, true},
                                                 {1700, false},
                                                 {1800, false},
                                                 {1900, false},
                                                 {1996, true},
                                                 {2000, true},
                                                 {2021, false},
                                                 {2024, true},
                                                 {2100, false},
                                                 {2400, true},
                                                 {9996, true}}) {
    SCOPED_TRACE(c.year);
    EXPECT_EQ(MakeDate(c.year, 2, 29, 0, 0, 0) > 0, c.leap);
    EXPECT_EQ(MakeDate(c.year, 3, 1, 0, 0, 0) - MakeDate(c.year, 2, 28, 0, 0, 0),
              (c.leap ? 2 : 1) * kSecondsPerDay);
  }
}

TEST_F(PinnedClock, AllZeroAsksForNow) {
  PinToJanuary();
  EXPECT_EQ(MakeDate(0, 0, 0, 0, 0, 0), kJanuaryNoon);
}

TEST_F(PinnedClock, NowIsRoundedToTheNearestSecondWithHalvesUp) {
  PinToJanuary(499999999);
  EXPECT_EQ(MakeDate(0, 0, 0, 0, 0, 0), kJanuaryNoon);
  PinToJanuary(500000000);
  EXPECT_EQ(MakeDate(0, 0, 0, 0, 0, 0), kJanuaryNoon + 1);
  PinToJanuary(999000000);
  EXPECT_EQ(MakeDate(0, 0, 0, 0, 0, 0), kJanuaryNoon + 1);
}

TEST(MakeDateTest, UnpinnedNowIsTheLocalClock) {
  const DateValue before = ToLocalFromUtc(time(nullptr) + dates_internal::kUnixEpochIn1601Seconds);
  const DateValue now = MakeDate(0, 0, 0, 0, 0, 0);
  const DateValue after =
      ToLocalFromUtc(time(nullptr) + dates_internal::kUnixEpochIn1601Seconds) + 1;
  EXPECT_GE(now, before);
  EXPECT_LE(now, after);
}

// ---------------------------------------------------------------------------------------------
// SplitDate and the field readers

struct SplitCase {
  DateValue value;
  CalendarRecord expected;
};

const std::vector<SplitCase> kSplitCases = {
    {0, {1601, 1, 1, 0, 0, 0}},
    {1, {1601, 1, 1, 0, 0, 1}},
    {36000, {1601, 1, 1, 10, 0, 0}},
    {86400, {1601, 1, 2, 0, 0, 0}},
    {kSample, {2017, 12, 3, 9, 10, 55}},
    {12596256000, {2000, 2, 29, 0, 0, 0}},
    {kLargestDate, {9999, 12, 31, 23, 59, 59}},
    // Beyond the largest value: held at 9999-12-31 23:59:59.
    {kLargestDate + 1, {9999, 12, 31, 23, 59, 59}},
    {922337203685, {9999, 12, 31, 23, 59, 59}},
    {922337203686, {9999, 12, 31, 23, 59, 59}},
    {std::numeric_limits<int64_t>::max(), {9999, 12, 31, 23, 59, 59}},
};

TEST(SplitDateTest, SplitsIntoFieldsAndHoldsAtTheLargestDate) {
  for (const SplitCase& c : kSplitCases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(SplitDate(c.value), c.expected);
    EXPECT_EQ(YearOf(c.value), c.expected.year);
    EXPECT_EQ(MonthOf(c.value), c.expected.month);
    EXPECT_EQ(DayOf(c.value), c.expected.day);
    EXPECT_EQ(HourOf(c.value), c.expected.hour);
    EXPECT_EQ(MinuteOf(c.value), c.expected.minute);
    EXPECT_EQ(SecondOf(c.value), c.expected.second);
  }
}

TEST(SplitDateTest, MakeDateUndoesSplitDate) {
  // A stride that is prime and not a whole number of days walks through every time of day.
  for (DateValue value = 0; value <= kLargestDate; value += 1000000007) {
    const CalendarRecord r = SplitDate(value);
    ASSERT_EQ(MakeDate(r.year, r.month, r.day, r.hour, r.minute, r.second), value) << value;
  }
  // Every day of two leap cycles around 2000.
  for (DateValue value = MakeDate(1999, 1, 1, 0, 0, 0); value < MakeDate(2005, 1, 1, 0, 0, 0);
       value += kSecondsPerDay + 1) {
    const CalendarRecord r = SplitDate(value);
    ASSERT_EQ(MakeDate(r.year, r.month, r.day, r.hour, r.minute, r.second), value) << value;
  }
}

TEST_F(PinnedClock, NegativeValueSplitsNow) {
  PinToJanuary(900000000);  // milliseconds are not part of the fields
  for (DateValue value : {DateValue{-1}, DateValue{-86400}, std::numeric_limits<int64_t>::min()}) {
    SCOPED_TRACE(value);
    EXPECT_EQ(SplitDate(value), (CalendarRecord{2021, 1, 15, 12, 0, 0}));
    EXPECT_EQ(YearOf(value), 2021);
    EXPECT_EQ(DayOf(value), 15);
    EXPECT_EQ(HourOf(value), 12);
  }
}

// ---------------------------------------------------------------------------------------------
// FormatDate

struct FormatCase {
  std::string mask;
  DateValue value;
  std::string expected;
};

const std::vector<FormatCase> kFormatCases = {
    {"%yyyy.%mm.%dd %hh:%ii:%ss", kSample, "2017.12.03 09:10:55"},
    {"%day %dd %mon %yy", kSample, "Sun 03 Dec 17"},
    {"%yyyy.%mm.%dd %hh:%ii:%ss", 0, "1601.01.01 00:00:00"},
    {"%day", 0, "Mon"},  // 1601-01-01 was a Monday
    {"%day", 6 * 86400, "Sun"},
    {"%day", 6 * 86400 - 1, "Sat"},
    {"%day %mon", 12596256000, "Tue Feb"},  // 2000-02-29
    {"%yyyy.%mm.%dd %hh:%ii:%ss", kLargestDate, "9999.12.31 23:59:59"},
    {"%yyyy.%mm.%dd %hh:%ii:%ss", kLargestDate + 1000, "9999.12.31 23:59:59"},
    {"%hh:%ii:%ss AM", kSample, "09:10:55 AM"},  // no 12-hour token: " AM" is literal
    {"%yyyy%yy", kSample, "201717"},
    {"%dd/%dd/%dd", kSample, "03/03/03"},
    {"", kSample, ""},
    {"no tokens at all", kSample, "no tokens at all"},
    {"%YYYY %Mon", kSample, "%YYYY %Mon"},  // tokens are lower case
    {"%y %m %d %%", kSample, "%y %m %d %%"},
    {"%%yyyyy", kSample, "%2017y"},
    {"%mmon", kSample, "12on"},  // %mm is replaced before %mon
    {"%mon", MakeDate(2017, 1, 1, 0, 0, 0), "Jan"},
    {"%mon", MakeDate(2017, 5, 1, 0, 0, 0), "May"},
    {"IMG_%yyyy%mm%dd_%hh%ii%ss.jpg", kSample, "IMG_20171203_091055.jpg"},
    {"Grüße %dd.%mm.", kSample, "Grüße 03.12."},
};

TEST(FormatDateTest, ReplacesTokens) {
  for (const FormatCase& c : kFormatCases) {
    SCOPED_TRACE(c.mask);
    EXPECT_EQ(FormatDate(c.mask, c.value), c.expected);
  }
}

TEST(FormatDateTest, NamesEveryMonthAndWeekday) {
  const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  for (int month = 1; month <= 12; ++month) {
    EXPECT_EQ(FormatDate("%mon", MakeDate(2021, month, 10, 0, 0, 0)), months[month - 1]);
  }
  // 2021-03-07 was a Sunday.
  const char* days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  for (int day = 0; day < 7; ++day) {
    EXPECT_EQ(FormatDate("%day", MakeDate(2021, 3, 7 + day, 23, 59, 59)), days[day]);
  }
}

TEST_F(PinnedClock, NegativeValueFormatsNow) {
  PinToJanuary();
  EXPECT_EQ(FormatDate(kDisplayMask, -1), "2021.01.15 12:00:00");
  EXPECT_EQ(FormatDate("%day %dd %mon %yy", -1), "Fri 15 Jan 21");
}

// ---------------------------------------------------------------------------------------------
// ParseDate (strict)

struct ParseCase {
  std::string mask;
  std::string text;
  DateValue expected;
};

const std::vector<ParseCase> kStrictCases = {
    {"%yyyy.%mm.%dd %hh:%ii:%ss", "2017.12.03 09:10:55", kSample},
    {"%yyyy.%mm.%dd %hh:%ii:%ss", "2017-12-03 09:10:55", 0},  // literal "." against "-"
    {"%yyyy.%mm.%dd %hh:%ii:%ss", "2017.12.03 09:10:55 and more", kSample},
    {"%yy%mm%dd", "171203", MakeDate(2017, 12, 3, 0, 0, 0)},
    {"%hh%ii%ss", "091055", 33055},                                  // 1601-01-01 09:10:55
    {"%yyyy-%mm-%dd", "2017- 7-03", MakeDate(2017, 7, 3, 0, 0, 0)},  // " 7" is 7
    {"%yyyy%mm%dd", "2017127.", MakeDate(2017, 12, 7, 0, 0, 0)},     // "7." is 7
    {"%yyyy%mm%dd", "2017", MakeDate(2017, 1, 1, 0, 0, 0)},          // past the end: empty
    {"%yyyy.%mm", "2017", 0},                                        // the "." is missing
    {"%yyyy.%mm.%dd", "2021.02.29", 0},                              // no such day
    {"%yyyy.%mm.%dd", "1600.12.31", kInvalidDate},
    {"%yyyy%mm", "2017-1", 0},  // month -1
    {"%yyyy%mm", "2017+5", MakeDate(2017, 5, 1, 0, 0, 0)},
    {"%yyyy", "abcd", 0},                                  // year 0 and nothing else
    {"%yy", "7.", kInvalidDate},                           // "207." is the year 207
    {"%yy", "", kInvalidDate},                             // "20" is the year 20
    {"%yy", " 9", kInvalidDate},                           // "20 9" is the year 20
    {"%YYYY", "2017", 0},                                  // tokens are lower case
    {"%mon %yyyy", "Dec 2017", 0},                         // %mon is no token here
    {"%x%yyyy", "x2017", 0},                               // unknown before any field
    {"%yyyy%x", "2017?x", MakeDate(2017, 1, 1, 0, 0, 0)},  // "%" skips one character
    {"%yyyy%x", "2017x", 0},                               // ... and "x" finds nothing
    {"%yyyy%x.%mm", "2017?x.05", MakeDate(2017, 5, 1, 0, 0, 0)},
    {"%%yyyy", "%2017", MakeDate(2017, 1, 1, 0, 0, 0)},  // "%" matches itself
    {"", "2017", 0},
    {"", "", 0},
    {"Foto %dd.%mm.%yyyy", "Foto 03.12.2017", MakeDate(2017, 12, 3, 0, 0, 0)},
    {"Grüße %dd.%mm.%yyyy", "Grüße 03.12.2017", MakeDate(2017, 12, 3, 0, 0, 0)},
    {"%yyyy.%mm.%dd %hh:%ii:%ss", "9999.12.31 23:59:59", kLargestDate},
    {"%yyyy.%mm.%dd %hh:%ii:%ss", "2017.12.03 24:00:00", 0},
    {"%yyyy.%mm.%dd", "2017.00.00", MakeDate(2017, 1, 1, 0, 0, 0)},
    {"%dd.%mm.%yyyy", "03.12.201", kInvalidDate},  // a three-digit year
};

TEST(ParseDateTest, ReadsFixedWidthFields) {
  for (const ParseCase& c : kStrictCases) {
    SCOPED_TRACE(c.mask + " | " + c.text);
    EXPECT_EQ(ParseDate(c.mask, c.text), c.expected);
  }
}

// Every field read as 0 is the request for now (step 1 of MakeDate); the readers reject such
// placeholders before they parse.
TEST_F(PinnedClock, StrictTextOfZerosGivesNow) {
  PinToJanuary();
  EXPECT_EQ(ParseDate("%yyyy:%mm:%dd %hh:%ii:%ss", "0000:00:00 00:00:00"), kJanuaryNoon);
  EXPECT_EQ(ParseDate("%yyyy%mm%dd%hh%ii%ss", ""), kJanuaryNoon);
}

TEST(ParseDateTest, ReadsWhatFormatDateWrites) {
  for (DateValue value = 0; value <= kLargestDate; value += 3000000019) {
    ASSERT_EQ(ParseDate(kDisplayMask, FormatDate(kDisplayMask, value)), value);
  }
}

// ---------------------------------------------------------------------------------------------
// ParseDateFlexible

struct FlexibleCase {
  std::string mask;
  std::string text;
  int pivot;
  bool allow_partial;
  DateValue expected;
};

const std::string kThirty(30, '9');

const std::vector<FlexibleCase> kFlexibleCases = {
    {"%dd.%mm.%yyyy %hh.%ii", "photo 3-12-2017 9_10", 23, false, MakeDate(2017, 12, 3, 9, 10, 0)},
    {"%dd.%mm.%yyyy %hh.%ii", "3-12", 23, false, kInvalidDate},  // tokens left
    {"%dd.%mm.%yyyy %hh.%ii", "3-12", 23, true, 0},              // no year: 1601-01-01 00:00
    {"%dd %mon %yy", "3 Dec 17", 23, false, MakeDate(2017, 12, 3, 0, 0, 0)},
    {"%dd %mon %yyyy", "3. December 2017", 23, false, MakeDate(2017, 12, 3, 0, 0, 0)},
    {"%dd %mon %yy", "3 Mär 17", 23, false, kInvalidDate},  // no month name found
    {"%yyyy%mm%dd", "20171203", 23, false, kInvalidDate},   // all of it is the year
    {"%yyyy%mm%dd", "20171203", 23, true, kInvalidDate},
    {"%ymd", "20171203", 23, false, MakeDate(2017, 12, 3, 0, 0, 0)},
    {"%ymd", "171203", 23, false, MakeDate(2017, 12, 3, 0, 0, 0)},
    {"%ymd", "991203", 23, false, MakeDate(1999, 12, 3, 0, 0, 0)},
    {"%ymd", "1203", 23, false, MakeDate(2000, 12, 3, 0, 0, 0)},  // year 0 -> 2000
    {"%ymd_%hh%ii%ss", "IMG_20171203_09-10-55", 23, false, MakeDate(2017, 12, 3, 9, 10, 55)},
    {"%YMD", "20171203", 23, false, MakeDate(2017, 12, 3, 0, 0, 0)},
    // Upper-case tokens, separators anywhere.
    {"%DD.%MM.%YYYY", "3/12/2017", 23, false, MakeDate(2017, 12, 3, 0, 0, 0)},
    {"%dd.%mm.%yyyy", "--03--12--2017--", 23, false, MakeDate(2017, 12, 3, 0, 0, 0)},
    {"IMG_%yyyy%mm", "2017 5", 23, false, MakeDate(2017, 5, 1, 0, 0, 0)},  // leading literal
    // Month names.
    {"%mon %dd %yyyy", "DEC 3 2017", 23, false, MakeDate(2017, 12, 3, 0, 0, 0)},
    {"%mon %dd %yyyy", "decx 3 2017", 23, false, MakeDate(2017, 12, 3, 0, 0, 0)},
    {"%mon %dd %yyyy", "mayday 3 2017", 23, false, MakeDate(2017, 5, 3, 0, 0, 0)},
    {"%dd %mon %yyyy", "3 Dez 2017", 23, false, kInvalidDate},
    {"%dd %mon %yyyy", "3 xdec 2017", 23, false, kInvalidDate},  // "dec" inside a word
    {"%dd %mon %yy", "3 ädec 17", 23, false, MakeDate(2017, 12, 3, 0, 0, 0)},  // ä: no letter
    {"%dd %mon %yyyy %hh", "3 dec 2017 jan 9", 23, false, MakeDate(2017, 12, 3, 9, 0, 0)},
    {"%dd%mon%yyyy", "3dec2017", 23, false, MakeDate(2017, 12, 3, 0, 0, 0)},
    {"%dd %mon %yyyy", "dec", 23, false, kInvalidDate},  // only the month
    {"%dd %mm %yyyy", "3 dec 12 2017", 23, false, MakeDate(2017, 12, 3, 0, 0, 0)},  // no %mon
    {"%dd.%mm.%yyyy", "de", 23, false, kInvalidDate},
    // Two-digit years.
    {"%dd.%mm.%yy", "03.12.24", 23, false, MakeDate(1924, 12, 3, 0, 0, 0)},
    {"%dd.%mm.%yy", "03.12.23", 23, false, MakeDate(2023, 12, 3, 0, 0, 0)},
    {"%dd.%mm.%yy", "03.12.05", 23, false, MakeDate(2005, 12, 3, 0, 0, 0)},
    {"%dd.%mm.%yy", "03.12.00", 23, false, MakeDate(2000, 12, 3, 0, 0, 0)},
    {"%dd.%mm.%yy", "03.12.99", 0, false, MakeDate(2099, 12, 3, 0, 0, 0)},
    {"%dd.%mm.%yy", "03.12.99", 100, false, MakeDate(2099, 12, 3, 0, 0, 0)},
    {"%dd.%mm.%yy", "03.12.99", -5, false, MakeDate(2099, 12, 3, 0, 0, 0)},
    {"%dd.%mm.%yy", "03.12.99", 99, false, MakeDate(2099, 12, 3, 0, 0, 0)},
    {"%dd.%mm.%yy", "03.12.99", 98, false, MakeDate(1999, 12, 3, 0, 0, 0)},
    {"%dd.%mm.%yy", "03.12.2017", 23, false, MakeDate(2017, 12, 3, 0, 0, 0)},
    {"%dd.%mm.%yy", "03.12.100", 23, false, kInvalidDate},   // the year 100
    {"%dd.%mm.%yyyy", "03.12.17", 23, false, kInvalidDate},  // %yyyy takes 17 as is
    // Times only, all zero, nothing.
    {"%hh:%ii:%ss", "09:10:55", 23, false, 33055},
    {"%hh:%ii", "9.5", 23, false, 32700},
    {"%dd.%mm.%yyyy", "abc", 23, false, kInvalidDate},
    {"%dd.%mm.%yyyy", "", 23, true, kInvalidDate},
    {"no tokens", "12", 23, true, kInvalidDate},
    {"", "12", 23, true, kInvalidDate},
    {"%xx", "12", 23, false, kInvalidDate},    // unknown token
    {"%dd%", "3 4", 23, false, kInvalidDate},  // an empty token
    {"%dd%", "3", 23, true, 0},                // never reached
    {"%%dd", "3", 23, true, kInvalidDate},
    // Ranges.
    {"%yyyy", "1600", 23, false, kInvalidDate},
    {"%yyyy", "1601", 23, false, 0},
    {"%yyyy", "10000", 23, false, kInvalidDate},
    {"%yyyy", "9999", 23, false, MakeDate(9999, 1, 1, 0, 0, 0)},
    {"%mm.%yyyy", "00.2017", 23, false, MakeDate(2017, 1, 1, 0, 0, 0)},
    {"%dd.%mm.%yyyy", "32.12.2017", 23, false, kInvalidDate},
    {"%dd.%mm.%yyyy", "31.13.2017", 23, false, kInvalidDate},
    {"%dd.%mm.%yyyy", "31.02.2017", 23, false, 0},  // passes here, fails in MakeDate
    {"%dd.%mm", "31.12", 23, false, 0},             // no year: the date is ignored
    {"%dd.%mm", "32.12", 23, false, kInvalidDate},
    {"%hh", "60", 23, false, kInvalidDate},
    {"%hh", "24", 23, false, 0},
    {"%ii", "60", 23, false, kInvalidDate},
    {"%ss", "60", 23, false, 0},
    {"%ss", "59", 23, false, 59},
    // Runs of digits too long for any integer.
    {"%yyyy", kThirty, 23, false, kInvalidDate},
    {"%yy", kThirty, 23, false, kInvalidDate},
    {"%ymd", kThirty, 23, false, kInvalidDate},
    {"%mm", kThirty, 23, false, kInvalidDate},
    {"%dd", kThirty, 23, false, kInvalidDate},
    {"%hh", kThirty, 23, false, kInvalidDate},
    {"%ii", kThirty, 23, false, kInvalidDate},
    {"%ss", kThirty, 23, false, 0},
    {"%ss", "00000000000000000000000000000059", 23, false, 59},
};

TEST(ParseDateFlexibleTest, AssignsNumbersToTokens) {
  for (const FlexibleCase& c : kFlexibleCases) {
    SCOPED_TRACE(c.mask + " | " + c.text + " | pivot " + std::to_string(c.pivot) +
                 (c.allow_partial ? " | partial" : ""));
    EXPECT_EQ(ParseDateFlexible(c.mask, c.text, c.pivot, c.allow_partial), c.expected);
  }
}

TEST_F(PinnedClock, FlexibleTextOfZerosGivesNow) {
  PinToJanuary();
  EXPECT_EQ(ParseDateFlexible("%dd.%mm.%yyyy", "00.00.0000", 23, false), kJanuaryNoon);
  EXPECT_EQ(ParseDateFlexible("%hh:%ii:%ss", "0:0:0", 23, false), kJanuaryNoon);
}

TEST(TwoDigitRuleTest, MapsYearsAroundThePivot) {
  struct Case {
    int year, pivot, expected;
  };
  for (const Case& c : std::vector<Case>{{24, 23, 1924},
                                         {23, 23, 2023},
                                         {5, 23, 2005},
                                         {0, 23, 2000},
                                         {99, 23, 1999},
                                         {100, 23, 100},
                                         {2017, 23, 2017},
                                         {99, 99, 2099},
                                         {99, 0, 2099},  // outside 1-99 means 99
                                         {99, 100, 2099},
                                         {50, 1, 1950},
                                         {1, 1, 2001}}) {
    SCOPED_TRACE(testing::Message() << c.year << " / " << c.pivot);
    EXPECT_EQ(ApplyTwoDigitRule(c.year, c.pivot), c.expected);
  }
}

TEST(DecimalValueTest, ReadsLeadingNumber) {
  struct Case {
    std::string text;
    int64_t expected;
  };
  constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
  constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
  for (const Case& c : std::vector<Case>{{"", 0},
                                         {"abc", 0},
                                         {"7.", 7},
                                         {" 7", 7},
                                         {"\t \t7x", 7},
                                         {"0042", 42},
                                         {"-12x", -12},
                                         {"+5", 5},
                                         {"- 5", 0},
                                         {" -", 0},
                                         {"\n7", 0},
                                         {"12 34", 12},
                                         {"9223372036854775807", kMax},
                                         {"9223372036854775808", kMax},
                                         {"-9223372036854775808", kMin},
                                         {"-9223372036854775809", kMin},
                                         {std::string(30, '9'), kMax},
                                         {"-" + std::string(30, '9'), kMin}}) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(DecimalValue(c.text), c.expected);
  }
}

// ---------------------------------------------------------------------------------------------
// ToLocalFromUtc

TEST_F(PinnedClock, ToLocalFromUtcUsesTheOffsetOfThatDate) {
  PinToJanuary();  // converted in winter
  struct Case {
    DateValue utc, local;
  };
  for (const Case& c : std::vector<Case>{
           {MakeDate(2021, 7, 15, 10, 0, 0), MakeDate(2021, 7, 15, 12, 0, 0)},  // summer: +2
           {MakeDate(2021, 1, 15, 10, 0, 0), MakeDate(2021, 1, 15, 11, 0, 0)},  // winter: +1
           {MakeDate(2017, 12, 3, 8, 10, 55), kSample},
           {MakeDate(2021, 3, 28, 0, 59, 59), MakeDate(2021, 3, 28, 1, 59, 59)},
           {MakeDate(2021, 3, 28, 1, 0, 0), MakeDate(2021, 3, 28, 3, 0, 0)},
           {MakeDate(2021, 10, 31, 0, 30, 0), MakeDate(2021, 10, 31, 2, 30, 0)},
           {MakeDate(2021, 10, 31, 1, 30, 0), MakeDate(2021, 10, 31, 2, 30, 0)},
           {0, 3208},  // local mean time +0:53:28
           {MakeDate(9999, 12, 31, 22, 59, 59), kLargestDate},
           {kLargestDate, kInvalidDate},  // local year 10000
           {-1, 0},
           {std::numeric_limits<int64_t>::min(), 0},
           {std::numeric_limits<int64_t>::max(), 0},
       }) {
    SCOPED_TRACE(c.utc);
    EXPECT_EQ(ToLocalFromUtc(c.utc), c.local);
  }
}

}  // namespace
}  // namespace kalvento
