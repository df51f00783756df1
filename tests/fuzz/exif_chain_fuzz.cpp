// The ExifTool tag chains' text handling. Input: split at line feeds, the pieces are the answers
// for the chains' fifteen tag keys in a fixed order (missing pieces: empty answers).

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "sources/image_dates.h"

namespace {

constexpr std::array<std::string_view, 15> kKeys = {
    "[EXIF] DateTimeOriginal", "[EXIF] CreateDate",        "[Composite] DateTimeOriginal",
    "[Composite] DateTimeCreated", "[PNG] CreationTime",   "[EXIF] ModifyDate",
    "[PNG] ModifyDate",        "[XMP] CreateDate",         "[XMP] DateCreated",
    "[IPTC] DateCreated",      "[IPTC] TimeCreated",       "[XMP] DateTimeOriginal",
    "[Photoshop] DateCreated", "[XMP] MetadataDate",       "[XMP] ModifyDate"};

bool InRange(kalvento::DateValue value) { return value >= 0 && value <= kalvento::kLargestDate; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  std::array<std::string, kKeys.size()> answers;
  for (std::string& answer : answers) {
    const size_t end = rest.find('\n');
    answer = std::string(rest.substr(0, end));
    if (end == std::string_view::npos) break;
    rest.remove_prefix(end + 1);
  }
  int queries = 0;
  const kalvento::ImageDates dates = kalvento::ImageDatesFromTags([&](const std::string& key) {
    ++queries;
    const auto found = std::find(kKeys.begin(), kKeys.end(), key);
    if (found == kKeys.end()) std::abort();  // a key outside the chains
    return answers[static_cast<size_t>(found - kKeys.begin())];
  });
  if (queries > 15) std::abort();
  if (!InRange(dates.taken) || !InRange(dates.iptc_created) || !InRange(dates.exif_changed) ||
      !InRange(dates.xmp_modified)) {
    std::abort();
  }
  return 0;
}
