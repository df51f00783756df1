// The Date header rule and the 201-line scan of .eml texts (and of the converter's text).

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "sources/email_dates.h"

namespace {

// An e-mail date text is empty or "yyyy-mm-dd " and a time with two ":".
void CheckDateText(const std::string& text) {
  if (text.empty()) return;
  if (text.size() < 11 || text[4] != '-' || text[7] != '-' || text[10] != ' ') __builtin_trap();
  const int year = std::stoi(text.substr(0, 4));
  if (year < 1601 || year > 9999) __builtin_trap();
  size_t colons = 0;
  for (size_t i = 11; i < text.size(); ++i) colons += text[i] == ':';
  if (colons != 2 || text.size() > 19) __builtin_trap();
  (void)kalvento::EmailDateValue(text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  CheckDateText(kalvento::DateFromMessageText(text));
  CheckDateText(kalvento::DateFromMessageText(text, true));
  if (const auto header = kalvento::EvaluateDateHeader(text.substr(0, text.find('\n')))) {
    CheckDateText(*header);
  }
  return 0;
}
