// An Office Open XML "docProps/core.xml" member.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "sources/document_dates.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const kalvento::DocumentDates dates =
      kalvento::CorePropertiesDates(std::string_view(reinterpret_cast<const char*>(data), size));
  if (dates.created < 0 || dates.modified < 0) __builtin_trap();
  return 0;
}
