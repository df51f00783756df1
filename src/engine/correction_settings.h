#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "dates/datef.h"
#include "engine/source_codes.h"

namespace kalvento {

struct SourceEntry {
  int index = 0;  // source index into the target's code and name arrays
  bool enabled = false;

  bool operator==(const SourceEntry&) const = default;
};

// Priority order of one target: every source index once.
using SourceList = std::array<SourceEntry, kSourceCount>;

// 0..10 in order, the first four enabled.
SourceList DefaultSourceList();
// Every index 0..10 exactly once.
bool IsValidSourceList(const SourceList& list);

inline constexpr int64_t kMaxShiftHours = 999999999;
inline constexpr int kMaxDepthLimit = 20;

// What the user set for one target (Created or Modified).
struct TargetSettings {
  bool correct = true;
  SourceList sources = DefaultSourceList();
  bool folder_date = false;
  std::string pattern;  // file-name pattern
  bool shift_on = false;
  int64_t shift_hours = 0;
  int shift_minutes = 0;
  int shift_seconds = 0;
  std::string shift_sign = "+";
  // The fixed date and time; empty until the user (or the settings file) gives one.
  std::optional<CalendarRecord> fixed;

  // Shift in seconds, 0 when the shift is off.
  int64_t ShiftSeconds() const;
  bool operator==(const TargetSettings&) const = default;
};

struct CorrectionSettings {
  TargetSettings created;
  TargetSettings modified;
  int depth_limit = 0;  // 0 = no limit
  bool recursive = true;

  TargetSettings& Of(Target target) { return target == Target::kCreated ? created : modified; }
  const TargetSettings& Of(Target target) const {
    return target == Target::kCreated ? created : modified;
  }
  bool operator==(const CorrectionSettings&) const = default;
};

}  // namespace kalvento
