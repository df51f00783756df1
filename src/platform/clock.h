#pragma once

#include <optional>

#include "platform/calendar_time.h"

namespace kalvento::platform {

// The one clock of the program: "now" as local wall-clock time, with milliseconds.
CalendarTime LocalNow();
// "now" as an instant (UTC).
FileInstant InstantNow();

// Whether daylight-saving time is in effect at this moment (the status-bar note).
bool IsDaylightSavingNow();

// Tests pin the clock to an instant; an empty value returns to the real clock.
void SetClockForTests(std::optional<FileInstant> fixed_now);

}  // namespace kalvento::platform
