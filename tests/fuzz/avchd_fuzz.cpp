// The AVCHD camera-block reader on arbitrary stream heads.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "sources/av_dates.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view head(reinterpret_cast<const char*>(data), size);
  const std::string text = kalvento::AvchdDateFromBytes(head);
  // Seven BCD bytes of two or three characters each and five separators.
  if (!text.empty() && (text.size() < 19 || text.size() > 26)) std::abort();
  bool hit = false;
  const kalvento::DateValue date = kalvento::AvchdTextDate(text, hit);
  if (date > kalvento::kLargestDate || (!hit && date != 0)) std::abort();
  return 0;
}
