// The WAV trailer reader on arbitrary last kilobytes.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "sources/av_dates.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view tail(reinterpret_cast<const char*>(data), size);
  const std::string text = kalvento::WavId3DateFromBytes(tail);
  // Either one frame's text or the 19 characters built from three of them.
  if (text.size() > size && text.size() > 19) std::abort();
  bool hit = false;
  const kalvento::DateValue date = kalvento::WavTextDate(text, hit);
  if (date > kalvento::kLargestDate || (!hit && date != 0)) std::abort();
  return 0;
}
