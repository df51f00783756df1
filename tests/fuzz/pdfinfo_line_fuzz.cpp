// One line of pdfinfo's output.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "sources/document_dates.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (kalvento::PdfInfoLineDate(std::string_view(reinterpret_cast<const char*>(data), size)) < 0) {
    __builtin_trap();
  }
  return 0;
}
