#pragma once

// The calendar arithmetic behind date values: proleptic-Gregorian records <-> FILETIME ticks
// (100 ns since 1601-01-01 00:00:00), validated the way the Windows conversions validate.
// Internal to the dates module.

#include <cstdint>
#include <optional>

#include "platform/calendar_time.h"

namespace kalvento::dates_internal {

inline constexpr int kFirstFileTimeYear = 1601;
inline constexpr int kLastFileTimeYear = 30827;  // the largest year of a SYSTEMTIME
inline constexpr int64_t kMaxSplitFileTime = 2650467743999999999;  // 9999-12-31 23:59:59.9999999
// Seconds from 1601-01-01 to 1970-01-01, both UTC.
inline constexpr int64_t kUnixEpochIn1601Seconds = 11644473600;

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);  // month 1-12

// Days since 1601-01-01 of a proleptic-Gregorian date (negative before it); month 1-12.
int64_t DaysFrom1601(int64_t year, int month, int day);

// Record -> FILETIME: empty unless year 1601-30827, month 1-12, day within its month, hour 0-23,
// minute and second 0-59 and millisecond 0-999 (what SystemTimeToFileTime accepts).
std::optional<int64_t> FileTimeFromRecord(const platform::CalendarTime& record);

// FILETIME -> record, milliseconds cut from the ticks; empty for a negative FILETIME.
std::optional<platform::CalendarTime> RecordFromFileTime(int64_t file_time);

// An instant (seconds since 1970 UTC) as FILETIME ticks; empty when it lies before 1601 or past
// what a FILETIME holds.
std::optional<int64_t> FileTimeFromInstant(const platform::FileInstant& instant);

}  // namespace kalvento::dates_internal
