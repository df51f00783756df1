#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "sources/readers.h"

namespace kalvento {

// The summary stream holds a few small properties (and at most a thumbnail); more than this is
// not read.
inline constexpr size_t kMaxSummaryStreamSize = 4 * 1024 * 1024;

// The two times of a "\005SummaryInformation" property set as stored: FILETIME ticks, UTC;
// 0 where the set has none.
struct SummaryTimes {
  uint64_t created = 0;     // creation time
  uint64_t last_saved = 0;  // last-saved time
};
SummaryTimes SummaryInformationTimes(std::string_view stream);

// Those times as the desktop shell shows them: local, seconds dropped.
DocumentDates SummaryInformationDates(std::string_view stream);

// A legacy .doc/.xls/.ppt file's own creation and last-saved time, from the summary stream of its
// compound file. Zeros when it is no compound file or has no such stream.
DocumentDates ReadLegacyOfficeDates(const std::string& path);

}  // namespace kalvento
