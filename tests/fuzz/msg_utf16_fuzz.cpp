// The UTF-16 "Date: " scan of .msg files that are no compound file.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "sources/email_dates.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  bytes = bytes.substr(0, kalvento::kMsgScanBytes);
  const std::string date = kalvento::DateFromUtf16Bytes(bytes);
  if (!date.empty()) {
    // "yyyy-mm-dd " and a time of at most 26 characters (31 taken, field 6 of them).
    if (date.size() < 11 || date.size() > 11 + 26 || date[4] != '-' || date[10] != ' ') {
      __builtin_trap();
    }
    (void)kalvento::EmailDateValue(date);
  }
  return 0;
}
