// The PNG date scanner on arbitrary file heads.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "sources/image_dates.h"

namespace {

bool InRange(kalvento::DateValue value) { return value >= 0 && value <= kalvento::kLargestDate; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view head(reinterpret_cast<const char*>(data), size);
  const kalvento::PngDates dates = kalvento::PngDatesFromBytes(head);
  if (!InRange(dates.created) || !InRange(dates.modified)) std::abort();
  // Only the first 10240 bytes count.
  if (size > kalvento::kPngHeadBytes) {
    const kalvento::PngDates cut =
        kalvento::PngDatesFromBytes(head.substr(0, kalvento::kPngHeadBytes));
    if (cut.created != dates.created || cut.modified != dates.modified) std::abort();
  }
  return 0;
}
