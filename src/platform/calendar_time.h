#pragma once

#include <cstdint>
#include <optional>

namespace kalvento::platform {

// A broken-down wall-clock time without zone; month 1-12, day 1-31.
struct CalendarTime {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;

  bool operator==(const CalendarTime&) const = default;
};

// An instant in file-system terms: seconds and nanoseconds since 1970-01-01 UTC.
struct FileInstant {
  int64_t seconds = 0;
  int32_t nanoseconds = 0;

  bool operator==(const FileInstant&) const = default;
  auto operator<=>(const FileInstant&) const = default;
};

// Local wall clock -> UTC with the zone rules in force on that date (mktime, tm_isdst = -1).
// Empty when the record is out of range for the platform.
std::optional<CalendarTime> LocalToUtc(const CalendarTime& local);
// UTC -> local wall clock with the zone rules of that date (localtime_r).
std::optional<CalendarTime> UtcToLocal(const CalendarTime& utc);

// Reads the zone (TZ or /etc/localtime) the first time only; the zone is fixed for the run.
void LoadTimeZoneOnce();

// Calendar record <-> instant, both read as UTC (timegm / gmtime_r). Milliseconds are carried
// as nanoseconds.
std::optional<FileInstant> InstantFromUtc(const CalendarTime& utc);
std::optional<CalendarTime> UtcFromInstant(const FileInstant& instant);

}  // namespace kalvento::platform
