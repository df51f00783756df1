#include "dates/filetime.h"

#include <limits>

#include "dates/datef.h"

namespace kalvento::dates_internal {
namespace {

constexpr int64_t kTicksPerMillisecond = 10000;
// Days from 0000-03-01 (the start of the algorithm's era count) to 1601-01-01.
constexpr int64_t kDaysTo1601 = 584694;

}  // namespace

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Howard Hinnant's days-from-civil, counted from 1601-01-01.
int64_t DaysFrom1601(int64_t year, int month, int day) {
  const int64_t y = month <= 2 ? year - 1 : year;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t year_of_era = y - era * 400;                            // 0-399
  const int64_t shifted_month = month > 2 ? month - 3 : month + 9;      // March = 0
  const int64_t day_of_year = (153 * shifted_month + 2) / 5 + day - 1;  // 0-365
  const int64_t day_of_era =
      year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;  // 0-146096
  return era * 146097 + day_of_era - kDaysTo1601;
}

std::optional<int64_t> FileTimeFromRecord(const platform::CalendarTime& r) {
  if (r.year < kFirstFileTimeYear || r.year > kLastFileTimeYear) return std::nullopt;
  if (r.month < 1 || r.month > 12) return std::nullopt;
  if (r.day < 1 || r.day > DaysInMonth(r.year, r.month)) return std::nullopt;
  if (r.hour < 0 || r.hour > 23) return std::nullopt;
  if (r.minute < 0 || r.minute > 59) return std::nullopt;
  if (r.second < 0 || r.second > 59) return std::nullopt;
  if (r.millisecond < 0 || r.millisecond > 999) return std::nullopt;
  const int64_t days = DaysFrom1601(r.year, r.month, r.day);
  const int64_t seconds = days * kSecondsPerDay + r.hour * 3600 + r.minute * 60 + r.second;
  return seconds * kTicksPerSecond + r.millisecond * kTicksPerMillisecond;
}

std::optional<platform::CalendarTime> RecordFromFileTime(int64_t file_time) {
  if (file_time < 0) return std::nullopt;
  const int64_t seconds = file_time / kTicksPerSecond;
  const int64_t ticks = file_time % kTicksPerSecond;
  const int64_t second_of_day = seconds % kSecondsPerDay;
  // Hinnant's civil-from-days on days counted from 0000-03-01.
  const int64_t z = seconds / kSecondsPerDay + kDaysTo1601;  // never negative here
  const int64_t era = z / 146097;
  const int64_t day_of_era = z - era * 146097;
  const int64_t year_of_era =
      (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
  const int64_t day_of_year =
      day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  const int64_t shifted_month = (5 * day_of_year + 2) / 153;
  const int64_t day = day_of_year - (153 * shifted_month + 2) / 5 + 1;
  const int64_t month = shifted_month < 10 ? shifted_month + 3 : shifted_month - 9;
  const int64_t year = year_of_era + era * 400 + (month <= 2 ? 1 : 0);

  platform::CalendarTime r;
  r.year = static_cast<int>(year);  // at most 30828 for a 64-bit FILETIME
  r.month = static_cast<int>(month);
  r.day = static_cast<int>(day);
  r.hour = static_cast<int>(second_of_day / 3600);
  r.minute = static_cast<int>(second_of_day / 60 % 60);
  r.second = static_cast<int>(second_of_day % 60);
  r.millisecond = static_cast<int>(ticks / kTicksPerMillisecond);
  return r;
}

std::optional<int64_t> FileTimeFromInstant(const platform::FileInstant& instant) {
  if (instant.nanoseconds < 0 || instant.nanoseconds > 999999999) return std::nullopt;
  constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
  if (instant.seconds < -kUnixEpochIn1601Seconds) return std::nullopt;
  if (instant.seconds > kMax / kTicksPerSecond - kUnixEpochIn1601Seconds) return std::nullopt;
  const int64_t whole = (instant.seconds + kUnixEpochIn1601Seconds) * kTicksPerSecond;
  const int64_t fraction = instant.nanoseconds / 100;
  if (whole > kMax - fraction) return std::nullopt;
  return whole + fraction;
}

}  // namespace kalvento::dates_internal
