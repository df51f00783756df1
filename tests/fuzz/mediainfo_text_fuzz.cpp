// The handling of MediaInfo's answer texts, and the wide-text conversions at its boundary.
// Input: the first byte picks the parameter of a single answer; the rest, split at line feeds,
// is also the sequence of answers for the parameter walk.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "sources/av_dates.h"
#include "sources/media_info.h"

namespace {

constexpr std::string_view kParameters[] = {"com.apple.quicktime.creationdate", "Recorded_Date",
                                            "Encoded_Date", "Mastered_Date"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string_view parameter = kParameters[data[0] % 4];
  const std::string_view answer(reinterpret_cast<const char*>(data + 1), size - 1);

  kalvento::DateValue year_only = 0;
  const kalvento::DateValue date = kalvento::MediaInfoAnswerDate(parameter, answer, year_only);
  if (date > kalvento::kLargestDate || year_only > kalvento::kLargestDate) std::abort();
  if (year_only != 0 && parameter != "Recorded_Date") std::abort();

  std::vector<std::string> answers;
  size_t start = 0;
  while (start <= answer.size() && answers.size() < 8) {
    const size_t end = answer.find('\n', start);
    answers.emplace_back(answer.substr(start, end == std::string_view::npos ? end : end - start));
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  size_t asked = 0;
  const kalvento::DateValue walked =
      kalvento::MediaInfoDate((data[0] & 0x80) != 0, [&](std::string_view) {
        return asked < answers.size() ? answers[asked++] : std::string();
      });
  if (walked < 0 || walked > kalvento::kLargestDate || asked > 4) std::abort();

  // Converting to wide and back gives valid UTF-8, which then converts unchanged.
  const std::string text(answer);
  const std::wstring wide = kalvento::WideFromUtf8(text);
  if (wide.size() > text.size()) std::abort();
  const std::string back = kalvento::Utf8FromWide(wide.c_str());
  if (kalvento::Utf8FromWide(kalvento::WideFromUtf8(back).c_str()) != back) std::abort();
  if (text.find('\0') == std::string::npos && text.find("\xEF\xBF\xBD") == std::string::npos &&
      kalvento::WideFromUtf8(text).find(L'\uFFFD') == std::wstring::npos && back != text) {
    std::abort();
  }
  return 0;
}
