#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/file_times.h"

namespace kalvento {

// A date value: whole seconds since 1601-01-01 00:00:00 (proleptic Gregorian), local wall-clock
// time without zone. -1 is invalid; every value <= 0 counts as no date.
using DateValue = int64_t;

inline constexpr DateValue kInvalidDate = -1;
inline constexpr DateValue kLargestDate = 265046774399;  // 9999-12-31 23:59:59
inline constexpr int64_t kTicksPerSecond = 10000000;      // FILETIME ticks of 100 ns
inline constexpr int64_t kSecondsPerDay = 86400;

// The one format of dates inside result rows.
inline constexpr std::string_view kDisplayMask = "%yyyy.%mm.%dd %hh:%ii:%ss";

struct CalendarRecord {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;

  bool operator==(const CalendarRecord&) const = default;
};

using FileDateKind = platform::FileTimeKind;

struct FileDates {
  DateValue created = 0;
  DateValue modified = 0;
  DateValue accessed = 0;
};

// All six 0 asks for now; year 0 keeps only the time of day.
DateValue MakeDate(int year, int month, int day, int hour, int minute, int second);

// A negative value stands for now.
CalendarRecord SplitDate(DateValue value);
int YearOf(DateValue value);
int MonthOf(DateValue value);
int DayOf(DateValue value);
int HourOf(DateValue value);
int MinuteOf(DateValue value);
int SecondOf(DateValue value);

std::string FormatDate(std::string_view mask, DateValue value);
DateValue ParseDate(std::string_view mask, std::string_view text);
DateValue ParseDateFlexible(std::string_view mask, std::string_view text, int pivot,
                            bool allow_partial);

// The two-digit rule: y <= pivot -> 2000 + y, else y <= 99 -> 1900 + y.
int ApplyTwoDigitRule(int year, int pivot);

// The value of a piece of text: leading digits after optional blanks or tabs and a sign; 0 when
// there are none. Saturates instead of overflowing.
int64_t DecimalValue(std::string_view text);

// The month of an English month abbreviation found in "jan,feb,...,dec", ignoring case: a name
// found at (1-based) position p gives (p - 1) / 4 + 1. 0 when it is not found, and for the
// empty name (which the substring search would find at position 1).
int MonthFromName(std::string_view name);

// Non-zero when the date was written into the one slot `kind` selects.
int SetFileDate(const std::string& path, FileDateKind kind, DateValue value);
// Empty (all 0) and false when the times cannot be read.
bool ReadFileDates(const std::string& path, FileDates& dates);
// The same from times already read (a folder listing with times).
bool FileDatesFromTimes(const platform::FileTimes& times, FileDates& dates);
DateValue ToLocalFromUtc(DateValue utc_value);


}  // namespace kalvento
