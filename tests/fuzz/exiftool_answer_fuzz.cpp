// ExifTool's answer lines, as many as the input holds, into one tag cache: the first value of a
// label is the one kept, and "{ready}" ends the answer.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "sources/exiftool_session.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view answer(reinterpret_cast<const char*>(data), size);
  kalvento::TagCache cache;
  kalvento::TagCache first_values;
  while (!answer.empty()) {
    const size_t feed = answer.find('\n');
    const std::string_view line = answer.substr(0, feed);
    const size_t colon = line.find(':');
    if (line != "{ready}" && colon != std::string_view::npos) {
      const std::string_view value = colon + 2 <= line.size() ? line.substr(colon + 2) : "";
      first_values.try_emplace(std::string(line.substr(0, colon)), value);
    }
    if (kalvento::TakeAnswerLine(line, cache)) break;
    answer = feed == std::string_view::npos ? std::string_view{} : answer.substr(feed + 1);
  }
  if (cache != first_values) std::abort();
  return 0;
}
