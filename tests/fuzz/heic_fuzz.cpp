// The HEIC/HEIF date scanner on arbitrary file heads, and the parse of what it finds.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "sources/image_dates.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view head(reinterpret_cast<const char*>(data), size);
  const std::string text = kalvento::HeicDateText(head);
  if (text.empty()) return 0;
  // 19 bytes of the head; the colons of the time are never among the first two replaced.
  if (size < 16 || head.substr(4, 6) != "ftyphe") std::abort();
  if (text.size() != 19 || text[13] != ':' || text[16] != ':') std::abort();
  if (head.find(text.substr(8)) == std::string_view::npos) std::abort();
  const kalvento::DateValue date = kalvento::ParseDate("%yyyy-%mm-%dd %hh:%ii:%ss", text);
  if (date > kalvento::kLargestDate) std::abort();
  return 0;
}
