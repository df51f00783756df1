#include "sources/ole_properties.h"

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-stdio.h>
#include <gsf/gsf-input.h>
#include <gsf/gsf-utils.h>

#include <algorithm>
#include <array>
#include <mutex>
#include <optional>

#include "platform/leak_check.h"
#include "sources/compound_directory.h"
#include "texts/text_util.h"

namespace kalvento {
namespace {

constexpr const char* kSummaryStreamName = "\005SummaryInformation";

// F29F85E0-4FF9-1068-AB91-08002B27B3D9 as stored (the first three parts little-endian).
constexpr std::array<uint8_t, 16> kSummaryFormatId = {
    0xE0, 0x85, 0x9F, 0xF2, 0xF9, 0x4F, 0x68, 0x10, 0xAB, 0x91, 0x08, 0x00, 0x2B, 0x27, 0xB3, 0xD9};
constexpr uint32_t kCreatedId = 12;         // PIDSI_CREATE_DTM
constexpr uint32_t kLastSavedId = 13;       // PIDSI_LASTSAVE_DTM
constexpr uint16_t kTypeFileTime = 0x0040;  // VT_FILETIME

constexpr size_t kStreamHeaderSize = 28;  // byte order to the number of sets
constexpr size_t kSetEntrySize = 20;      // format id and offset

std::optional<uint32_t> Le32(std::string_view bytes, size_t at) {
  if (at > bytes.size() || bytes.size() - at < 4) return std::nullopt;
  uint32_t value = 0;
  for (size_t i = 0; i < 4; ++i) {
    value |= static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + i])) << (8 * i);
  }
  return value;
}

// The property set of the summary format id: its bytes, from its start to the end of the set
// (or of the stream, when the set claims more).
std::optional<std::string_view> SummarySet(std::string_view stream) {
  if (stream.size() < kStreamHeaderSize) return std::nullopt;
  if (static_cast<uint8_t>(stream[0]) != 0xFE || static_cast<uint8_t>(stream[1]) != 0xFF) {
    return std::nullopt;
  }
  const uint32_t set_count = *Le32(stream, 24);
  for (uint32_t i = 0; i < set_count && i < 2; ++i) {  // a stream holds at most two sets
    const size_t entry = kStreamHeaderSize + i * kSetEntrySize;
    if (stream.size() < entry + kSetEntrySize) return std::nullopt;
    bool same = true;
    for (size_t b = 0; b < kSummaryFormatId.size(); ++b) {
      same = same && static_cast<uint8_t>(stream[entry + b]) == kSummaryFormatId[b];
    }
    if (!same) continue;
    const uint32_t offset = *Le32(stream, entry + 16);
    if (offset >= stream.size()) return std::nullopt;
    std::string_view set = stream.substr(offset);
    const std::optional<uint32_t> size = Le32(set, 0);
    if (!size) return std::nullopt;
    if (*size < set.size()) set = set.substr(0, *size);
    return set;
  }
  return std::nullopt;
}

}  // namespace

SummaryTimes SummaryInformationTimes(std::string_view stream) {
  SummaryTimes times;
  const std::optional<std::string_view> set = SummarySet(stream);
  if (!set) return times;
  const std::optional<uint32_t> count = Le32(*set, 4);
  if (!count) return times;
  bool have_created = false;
  bool have_saved = false;
  // The table ends where the set ends, whatever count it claims.
  for (size_t i = 0; i < *count && 8 + i * 8 + 8 <= set->size(); ++i) {
    const uint32_t id = *Le32(*set, 8 + i * 8);
    const uint32_t offset = *Le32(*set, 12 + i * 8);
    const bool created = id == kCreatedId && !have_created;
    const bool saved = id == kLastSavedId && !have_saved;
    if (!created && !saved) continue;
    const std::optional<uint32_t> type = Le32(*set, offset);
    const std::optional<uint32_t> low = Le32(*set, static_cast<size_t>(offset) + 4);
    const std::optional<uint32_t> high = Le32(*set, static_cast<size_t>(offset) + 8);
    if (!type || !low || !high || (*type & 0xFFFF) != kTypeFileTime) continue;
    const uint64_t ticks = (static_cast<uint64_t>(*high) << 32) | *low;
    if (created) {
      times.created = ticks;
      have_created = true;
    } else {
      times.last_saved = ticks;
      have_saved = true;
    }
  }
  return times;
}

namespace {

// FILETIME ticks (UTC) as a local date value to the minute.
DateValue ShellShownDate(uint64_t ticks) {
  if (ticks == 0) return 0;
  const uint64_t seconds = ticks / static_cast<uint64_t>(kTicksPerSecond);
  if (seconds > static_cast<uint64_t>(kLargestDate)) return 0;
  const DateValue local = ToLocalFromUtc(static_cast<DateValue>(seconds));
  if (local <= 0) return 0;
  return local - local % 60;
}

// libgsf complains about damaged files on standard error; a damaged file simply gives no dates.
void PrepareLibgsf() {
  static std::once_flag once;
  std::call_once(once, [] {
    gsf_init();
    const auto levels = static_cast<GLogLevelFlags>(G_LOG_LEVEL_MASK | G_LOG_FLAG_FATAL |
                                                    G_LOG_FLAG_RECURSION);
    const GLogFunc silent = [](const gchar*, GLogLevelFlags, const gchar*, gpointer) {};
    for (const char* domain : {"libgsf", "libgsf:msole", "libgsf:utils"}) {
      g_log_set_handler(domain, levels, silent, nullptr);
    }
  });
}

template <typename T>
void Unref(T* object) {
  if (object != nullptr) g_object_unref(object);
}

std::string ReadWholeStream(GsfInput* stream) {
  const gsf_off_t size = gsf_input_size(stream);
  if (size <= 0) return {};
  std::string bytes(
      static_cast<size_t>(std::min<gsf_off_t>(size, static_cast<gsf_off_t>(kMaxSummaryStreamSize))),
      '\0');
  if (gsf_input_read(stream, bytes.size(), reinterpret_cast<guint8*>(bytes.data())) == nullptr) {
    return {};
  }
  return bytes;
}

// The summary stream of the compound file's root; stream names compare ignoring case there.
GsfInput* SummaryStream(GsfInfile* root) {
  GsfInput* stream = gsf_infile_child_by_name(root, kSummaryStreamName);
  if (stream != nullptr) return stream;
  const int count = gsf_infile_num_children(root);
  for (int i = 0; i < count; ++i) {
    const char* name = gsf_infile_name_by_index(root, i);
    if (name != nullptr && EqualsIgnoringAsciiCase(name, kSummaryStreamName)) {
      return gsf_infile_child_by_index(root, i);
    }
  }
  return nullptr;
}

}  // namespace

DocumentDates SummaryInformationDates(std::string_view stream) {
  const SummaryTimes times = SummaryInformationTimes(stream);
  return DocumentDates{ShellShownDate(times.created), ShellShownDate(times.last_saved)};
}

DocumentDates ReadLegacyOfficeDates(const std::string& path) {
  PrepareLibgsf();
  GError* error = nullptr;
  GsfInput* input = gsf_input_stdio_new(path.c_str(), &error);
  g_clear_error(&error);
  if (input == nullptr) return {};
  if (!CompoundDirectoryFits(input)) {
    Unref(input);
    return {};
  }
  GsfInfile* root = gsf_infile_msole_new(input, &error);
  g_clear_error(&error);
  Unref(input);  // the compound file keeps its own reference
  if (root == nullptr) return {};
  GsfInput* stream = SummaryStream(root);
  const std::string bytes = stream != nullptr ? ReadWholeStream(stream) : std::string();
  Unref(stream);
  Unref(root);
  return SummaryInformationDates(bytes);
}

}  // namespace kalvento
