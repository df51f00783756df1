#include "engine/correction_settings.h"

namespace kalvento {

SourceList DefaultSourceList() {
  SourceList list;
  for (int i = 0; i < kSourceCount; ++i) list[i] = {i, i < 4};
  return list;
}

bool IsValidSourceList(const SourceList& list) {
  std::array<bool, kSourceCount> seen{};
  for (const SourceEntry& entry : list) {
    if (entry.index < 0 || entry.index >= kSourceCount || seen[entry.index]) return false;
    seen[entry.index] = true;
  }
  return true;
}

int64_t TargetSettings::ShiftSeconds() const {
  if (!shift_on) return 0;
  const int64_t seconds = shift_hours * 3600 + shift_minutes * 60 + shift_seconds;
  return shift_sign == "-" ? -seconds : seconds;
}

}  // namespace kalvento
