// The .dat acquisition record, alone and at its place in a file.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "sources/email_dates.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::string record = kalvento::DateFromAcquisitionRecord(bytes);
  if (!record.empty() && record.size() != 19) __builtin_trap();  // "yyyy-mm-dd hh:mm:ss" shape
  (void)kalvento::EmailDateValue(record);
  // The same bytes at offset 4258 of a file, and as a whole file.
  std::string file(kalvento::kAcquisitionOffset, '\0');
  file.append(bytes);
  const std::string placed = kalvento::DateFromDatBytes(file);
  if (file.size() > static_cast<size_t>(kalvento::kAcquisitionMinimumSize) && placed != record) {
    __builtin_trap();
  }
  (void)kalvento::DateFromDatBytes(bytes);
  return 0;
}
