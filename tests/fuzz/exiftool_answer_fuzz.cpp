// ExifTool's answer lines, as many as the input holds, into one tag cache.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "sources/exiftool_session.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view answer(reinterpret_cast<const char*>(data), size);
  kalvento::TagCache cache;
  while (!answer.empty()) {
    const size_t feed = answer.find('\n');
    if (kalvento::TakeAnswerLine(answer.substr(0, feed), cache)) break;
    answer = feed == std::string_view::npos ? std::string_view{} : answer.substr(feed + 1);
  }
  return 0;
}
