// A compound file's "\005SummaryInformation" property-set stream.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "sources/ole_properties.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const kalvento::DocumentDates dates = kalvento::SummaryInformationDates(
      std::string_view(reinterpret_cast<const char*>(data), size));
  if (dates.created < 0 || dates.modified < 0 || dates.created % 60 != 0 ||
      dates.modified % 60 != 0) {
    __builtin_trap();
  }
  return 0;
}
