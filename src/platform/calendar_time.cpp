#include "platform/calendar_time.h"

#include <cerrno>
#include <ctime>
#include <initializer_list>

namespace kalvento::platform {
namespace {

// The years the conversions accept, as a Windows SYSTEMTIME does (its largest year is 30827);
// year 1 keeps every record in the Common Era. Years 1601-9999 are the ones the program uses.
constexpr int kMinYear = 1;
constexpr int kMaxYear = 30827;

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// mktime and timegm normalise fields that are out of range; a record is checked before.
bool IsValidRecord(const CalendarTime& t) {
  if (t.year < kMinYear || t.year > kMaxYear) return false;
  if (t.month < 1 || t.month > 12) return false;
  if (t.day < 1 || t.day > DaysInMonth(t.year, t.month)) return false;
  if (t.hour < 0 || t.hour > 23) return false;
  if (t.minute < 0 || t.minute > 59) return false;
  if (t.second < 0 || t.second > 59) return false;
  return t.millisecond >= 0 && t.millisecond <= 999;
}

std::tm ToTm(const CalendarTime& t) {
  std::tm tm{};
  tm.tm_year = t.year - 1900;
  tm.tm_mon = t.month - 1;
  tm.tm_mday = t.day;
  tm.tm_hour = t.hour;
  tm.tm_min = t.minute;
  tm.tm_sec = t.second;
  tm.tm_isdst = -1;
  return tm;
}

// The record of a broken-down time; empty when its year is outside the accepted range.
std::optional<CalendarTime> FromTm(const std::tm& tm, int millisecond) {
  // tm_year + 1900 cannot overflow here: gmtime_r / localtime_r fail before tm_year does.
  const long long year = static_cast<long long>(tm.tm_year) + 1900;
  if (year < kMinYear || year > kMaxYear) return std::nullopt;
  CalendarTime t;
  t.year = static_cast<int>(year);
  t.month = tm.tm_mon + 1;
  t.day = tm.tm_mday;
  t.hour = tm.tm_hour;
  t.minute = tm.tm_min;
  t.second = tm.tm_sec > 59 ? 59 : tm.tm_sec;  // no leap seconds in a record
  t.millisecond = millisecond;
  return t;
}

bool SameWallClock(const std::tm& a, const CalendarTime& b) {
  return a.tm_year + 1900 == b.year && a.tm_mon + 1 == b.month && a.tm_mday == b.day &&
         a.tm_hour == b.hour && a.tm_min == b.minute && a.tm_sec == b.second;
}

// mktime with a given daylight-saving guess; empty when it fails.
std::optional<time_t> MakeLocal(const CalendarTime& local, int isdst) {
  std::tm tm = ToTm(local);
  tm.tm_isdst = isdst;
  errno = 0;
  const time_t result = std::mktime(&tm);
  if (result == static_cast<time_t>(-1) && errno != 0) return std::nullopt;
  return result;
}

// Whether the instant shows exactly that wall-clock time in the local zone.
bool ShowsAs(time_t instant, const CalendarTime& local) {
  std::tm tm{};
  if (localtime_r(&instant, &tm) == nullptr) return false;
  return SameWallClock(tm, local);
}

}  // namespace

void LoadTimeZoneOnce() {
  // localtime_r does not read TZ by itself; tzset on every call would stat the zone file per file.
  static const bool loaded = (tzset(), true);
  (void)loaded;
}

std::optional<CalendarTime> LocalToUtc(const CalendarTime& local) {
  if (!IsValidRecord(local)) return std::nullopt;
  tzset();
  std::optional<time_t> instant = MakeLocal(local, -1);
  if (!instant) return std::nullopt;
  // A wall-clock time that occurs twice (the hour when the clocks go back) is ambiguous, and
  // mktime's choice depends on what it was asked before. Take the earlier instant, the one still
  // in daylight-saving time, every time. A time that does not occur (the hour skipped when the
  // clocks go forward) keeps mktime's answer: it is read with the offset in force before the gap.
  if (ShowsAs(*instant, local)) {
    for (int isdst : {0, 1}) {
      std::optional<time_t> other = MakeLocal(local, isdst);
      if (other && *other < *instant && ShowsAs(*other, local)) instant = other;
    }
  }
  std::tm utc{};
  if (gmtime_r(&*instant, &utc) == nullptr) return std::nullopt;
  return FromTm(utc, local.millisecond);
}

std::optional<CalendarTime> UtcToLocal(const CalendarTime& utc) {
  std::optional<FileInstant> instant = InstantFromUtc(utc);
  if (!instant) return std::nullopt;
  LoadTimeZoneOnce();
  const time_t seconds = static_cast<time_t>(instant->seconds);
  std::tm local{};
  if (localtime_r(&seconds, &local) == nullptr) return std::nullopt;
  return FromTm(local, utc.millisecond);
}

std::optional<FileInstant> InstantFromUtc(const CalendarTime& utc) {
  if (!IsValidRecord(utc)) return std::nullopt;
  std::tm tm = ToTm(utc);
  tm.tm_isdst = 0;
  errno = 0;
  const time_t seconds = timegm(&tm);
  if (seconds == static_cast<time_t>(-1) && errno != 0) return std::nullopt;
  FileInstant instant;
  instant.seconds = static_cast<int64_t>(seconds);
  instant.nanoseconds = static_cast<int32_t>(utc.millisecond) * 1000000;
  return instant;
}

std::optional<CalendarTime> UtcFromInstant(const FileInstant& instant) {
  if (instant.nanoseconds < 0 || instant.nanoseconds > 999999999) return std::nullopt;
  const time_t seconds = static_cast<time_t>(instant.seconds);
  std::tm tm{};
  if (gmtime_r(&seconds, &tm) == nullptr) return std::nullopt;
  return FromTm(tm, instant.nanoseconds / 1000000);
}

}  // namespace kalvento::platform
