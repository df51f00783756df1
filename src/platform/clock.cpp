#include "platform/clock.h"

#include <ctime>
#include <mutex>

namespace kalvento::platform {
namespace {

std::mutex& ClockMutex() {
  static std::mutex mutex;
  return mutex;
}

std::optional<FileInstant>& PinnedNow() {
  static std::optional<FileInstant> pinned;
  return pinned;
}

// The instant's local wall-clock time; the Unix epoch's fields if the conversion fails.
CalendarTime LocalOf(const FileInstant& instant) {
  LoadTimeZoneOnce();
  const time_t seconds = static_cast<time_t>(instant.seconds);
  std::tm tm{};
  if (localtime_r(&seconds, &tm) == nullptr) return CalendarTime{1970, 1, 1, 0, 0, 0, 0};
  CalendarTime local;
  local.year = tm.tm_year + 1900;
  local.month = tm.tm_mon + 1;
  local.day = tm.tm_mday;
  local.hour = tm.tm_hour;
  local.minute = tm.tm_min;
  local.second = tm.tm_sec > 59 ? 59 : tm.tm_sec;
  local.millisecond = instant.nanoseconds / 1000000;
  return local;
}

}  // namespace

FileInstant InstantNow() {
  {
    std::lock_guard<std::mutex> lock(ClockMutex());
    if (PinnedNow()) return *PinnedNow();
  }
  timespec now{};
  if (clock_gettime(CLOCK_REALTIME, &now) != 0) return FileInstant{};
  FileInstant instant;
  instant.seconds = static_cast<int64_t>(now.tv_sec);
  instant.nanoseconds = static_cast<int32_t>(now.tv_nsec);
  return instant;
}

CalendarTime LocalNow() { return LocalOf(InstantNow()); }

bool IsDaylightSavingNow() {
  LoadTimeZoneOnce();
  const time_t seconds = static_cast<time_t>(InstantNow().seconds);
  std::tm tm{};
  if (localtime_r(&seconds, &tm) == nullptr) return false;
  return tm.tm_isdst > 0;
}

void SetClockForTests(std::optional<FileInstant> fixed_now) {
  if (fixed_now) {
    // Keep the sub-second part a valid fraction, whatever a test hands in.
    if (fixed_now->nanoseconds < 0) fixed_now->nanoseconds = 0;
    if (fixed_now->nanoseconds > 999999999) fixed_now->nanoseconds = 999999999;
  }
  std::lock_guard<std::mutex> lock(ClockMutex());
  PinnedNow() = fixed_now;
}

}  // namespace kalvento::platform
