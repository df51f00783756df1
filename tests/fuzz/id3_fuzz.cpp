// The ID3v2 recording-time reader on arbitrary file heads.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "sources/av_dates.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view head(reinterpret_cast<const char*>(data), size);
  const std::string text = kalvento::Id3RecordingTimeFromBytes(head);
  // The text comes from inside the tag: single-byte text is a piece of it, UTF-16 text at most
  // doubles in UTF-8 (three bytes for two).
  if (text.size() > size * 2) std::abort();
  bool hit = false;
  const kalvento::DateValue date = kalvento::Id3TextDate(text, hit);
  if (date > kalvento::kLargestDate || (!hit && date != 0)) std::abort();
  return 0;
}
