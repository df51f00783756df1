#include "sources/image_dates.h"

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <vector>

#include "platform/files.h"
#include "sources/exiftool_session.h"
#include "sources/xml_document.h"
#include "texts/text_util.h"

namespace kalvento {
namespace {

constexpr std::string_view kDashMask = "%yyyy-%mm-%dd %hh:%ii:%ss";
constexpr std::string_view kExifMask = "%yyyy:%mm:%dd %hh:%ii:%ss";
constexpr std::string_view kDottedMask = "%dd.%mm.%yyyy %hh:%ii:%ss";

// At most `count` leading bytes; all of a shorter text. The texts handled here are ASCII
// positions (byte protocols), so "character k" is byte k.
std::string_view Left(std::string_view text, size_t count) {
  return text.substr(0, std::min(count, text.size()));
}

// "Character k" (1-based) is `c`; false when the text is shorter.
bool CharacterIs(std::string_view text, size_t k, char c) {
  return k >= 1 && k <= text.size() && text[k - 1] == c;
}

bool HasNonZeroDigit(std::string_view text) {
  return std::any_of(text.begin(), text.end(), [](char c) { return c >= '1' && c <= '9'; });
}

// The strict parse as a reader value: > 0, or 0 for no date. A text whose numbers are all 0
// would parse to "now" (MakeDate's request for the present), and a zero date with a time
// ("0000:00:00 10:12:33") to that time on the first day of 1601: placeholders, never dates.
DateValue ParseReaderDate(std::string_view mask, std::string_view text) {
  constexpr DateValue kFirstDayEnd = 86400;
  if (!HasNonZeroDigit(text)) return 0;
  const DateValue value = ParseDate(mask, text);
  return value >= kFirstDayEnd ? value : 0;
}

void ReplaceFirstColons(std::string& text, int count) {
  for (char& c : text) {
    if (count == 0) return;
    if (c == ':') {
      c = '-';
      --count;
    }
  }
}

// ---- PNG ----------------------------------------------------------------------------------

// The first match of `marker` at a start position up to n - `tail`; none when there is no such
// position, when the first match lies past it, or when the first match is at position 0.
std::optional<size_t> FindMarker(std::string_view buffer, std::string_view marker, size_t tail) {
  if (buffer.size() < tail) return std::nullopt;
  const size_t last_start = buffer.size() - tail;
  const size_t p = buffer.find(marker);
  if (p == std::string_view::npos || p == 0 || p > last_start) return std::nullopt;
  return p;
}

struct PngTexts {
  std::string created;
  std::string created_utc;
  std::string modified;
  std::string modified_utc;
};

unsigned Byte(std::string_view buffer, size_t k) { return static_cast<unsigned char>(buffer[k]); }

// tIME: year (2 bytes, big-endian), month, day, hour, minute, second after the 4 type bytes.
void ScanTime(std::string_view buffer, PngTexts& texts) {
  const auto p = FindMarker(buffer, "tIME", 12);
  if (!p) return;
  const unsigned year = Byte(buffer, *p + 4) * 256 + Byte(buffer, *p + 5);
  const unsigned month = Byte(buffer, *p + 6), day = Byte(buffer, *p + 7);
  const unsigned hour = Byte(buffer, *p + 8), minute = Byte(buffer, *p + 9);
  const unsigned second = Byte(buffer, *p + 10);
  if (year < 1601 || year > 9999 || month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 ||
      minute > 59 || second > 59) {
    return;
  }
  texts.modified_utc = std::to_string(year) + "-" + TwoDigits(month) + "-" + TwoDigits(day) + " " +
                       TwoDigits(hour) + ":" + TwoDigits(minute) + ":" + TwoDigits(second);
}

// "Creation Time" tEXt keyword: its text starts 14 bytes after the keyword, 24 bytes taken.
void ScanCreationTime(std::string_view buffer, PngTexts& texts) {
  const auto p = FindMarker(buffer, "Creation Time", 38);
  if (!p) return;
  // 25 bytes: "Sun, 14 Jul 2019 10:12:33" whole (24 would cut the seconds to one digit).
  const std::string_view t = buffer.substr(*p + 14, 25);
  if (DecimalValue(Left(t, 2)) > 0) {  // numeric form: 2019:07:14 10:12:33
    std::string created(Left(t, 19));
    ReplaceFirstColons(created, 2);
    texts.created = std::move(created);
    return;
  }
  // Weekday form: Sun, 14 Jul 2019 10:12:33.
  const std::vector<std::string_view> fields = SplitText(t, ' ');
  auto field = [&](size_t k) { return k <= fields.size() ? fields[k - 1] : std::string_view{}; };
  const int64_t day = DecimalValue(field(2));
  const int64_t month = MonthFromName(field(3));
  const int64_t year = DecimalValue(field(4));
  const std::string_view time = Left(field(5), 8);
  if (year < 1601 || year > 9999 || month < 1 || month > 12 || day < 1 || day > 31 ||
      std::count(time.begin(), time.end(), ':') != 2) {
    return;
  }
  texts.created_utc = std::to_string(year) + "-" + TwoDigits(month) + "-" + TwoDigits(day) + " " +
                      std::string(time);
}

// xmp:CreateDate="2019-07-14T10:12:33...: the 19 bytes behind the equals sign and quote mark.
void ScanXmpAttribute(std::string_view buffer, std::string_view marker, size_t tail,
                      std::string& into) {
  const auto p = FindMarker(buffer, marker, tail);
  if (!p) return;
  std::string t(buffer.substr(*p + 16, 19));
  if (DecimalValue(Left(t, 4)) <= 0) return;
  std::replace(t.begin(), t.end(), 'T', ' ');
  into = std::move(t);
}

// A local text wins when present, even when it does not parse; the UTC text is converted.
DateValue FormPngDate(const std::string& local, const std::string& utc) {
  if (!local.empty()) return ParseReaderDate(kDashMask, local);
  if (utc.empty()) return 0;
  const DateValue value = ParseReaderDate(kDashMask, utc);
  if (value <= 0) return 0;
  const DateValue converted = ToLocalFromUtc(value);
  return converted > 0 ? converted : 0;
}

// ---- XMP sidecar ----------------------------------------------------------------------------

// 2019-07-14T10:12:33+02:00 → 20190714 101233 → a date; also date only, year only and a time
// without seconds before a zone.
DateValue SidecarDate(std::string_view t) {
  if (t.empty()) return 0;
  const bool zone_after_minutes = CharacterIs(t, 17, '+') || CharacterIs(t, 17, '-');
  std::string reduced;
  for (char c : Left(t, zone_after_minutes ? 16 : 19)) {
    if (c == '-' || c == ':') continue;
    reduced += c == 'T' ? ' ' : c;
  }
  reduced.resize(std::min<size_t>(reduced.size(), 15));
  switch (reduced.size()) {
    case 15:
      return ParseReaderDate("%yyyy%mm%dd %hh%ii%ss", reduced);
    case 13:
      return ParseReaderDate("%yyyy%mm%dd %hh%ii", reduced);
    case 8:
      return ParseReaderDate("%yyyy%mm%dd", reduced);
    case 4:
      return ParseReaderDate("%yyyy", reduced);
    default:
      return 0;
  }
}

// The element's text when the element exists; otherwise the first non-empty of the
// Description's attributes.
std::string SidecarText(const XmlElement& document, std::string_view element,
                        std::initializer_list<std::string_view> attributes) {
  if (const XmlElement* found = document.Find(std::string("rdf:RDF/rdf:Description/") +
                                              std::string(element))) {
    return std::string(found->Text());
  }
  const XmlElement* description = document.Find("rdf:RDF/rdf:Description");
  if (description == nullptr) return {};
  for (std::string_view attribute : attributes) {
    const std::string_view value = description->Attribute(attribute);
    if (!value.empty()) return std::string(value);
  }
  return {};
}

// ---- ExifTool chain --------------------------------------------------------------------------

using TagQuery = std::function<std::string(const std::string& tag_key)>;

std::string FirstNonEmpty(const TagQuery& query, std::initializer_list<const char*> keys) {
  for (const char* key : keys) {
    std::string value = query(key);
    if (!value.empty()) return value;
  }
  return {};
}

// A time without seconds (character 17 not ":", a short text included) gets ":00".
std::string CompleteSeconds(std::string text) {
  if (text.empty() || CharacterIs(text, 17, ':')) return text;
  return std::string(Left(text, 16)) + ":00";
}

DateValue CommonFinish(std::string_view t) {
  if (t.empty() || !HasNonZeroDigit(t)) return 0;
  t = Left(t, 19);
  const bool dotted = CharacterIs(t, 3, '.') && CharacterIs(t, 6, '.');
  return ParseReaderDate(dotted ? kDottedMask : kExifMask, t);
}

std::string IptcCreatedText(const TagQuery& query) {
  if (std::string text = query("[XMP] CreateDate"); !text.empty()) {
    return CompleteSeconds(std::move(text));
  }
  if (std::string text = query("[XMP] DateCreated"); !text.empty()) return text;
  std::string date(Left(query("[IPTC] DateCreated"), 10));
  if (date.size() == 10) {
    date += ' ';
    date += Left(query("[IPTC] TimeCreated"), 8);
  }
  if (!date.empty()) return date;
  if (std::string text(Left(query("[XMP] DateTimeOriginal"), 19)); !text.empty()) {
    return CompleteSeconds(std::move(text));
  }
  if (std::string text = query("[Photoshop] DateCreated"); !text.empty()) return text;
  return query("[XMP] MetadataDate");
}

}  // namespace

PngDates PngDatesFromBytes(std::string_view head) {
  const std::string_view buffer = Left(head, kPngHeadBytes);
  PngTexts texts;
  ScanTime(buffer, texts);
  ScanCreationTime(buffer, texts);
  ScanXmpAttribute(buffer, "xmp:CreateDate", 40, texts.created);  // replaces Creation Time
  ScanXmpAttribute(buffer, "xmp:ModifyDate", 37, texts.modified);
  PngDates dates;
  dates.created = FormPngDate(texts.created, texts.created_utc);
  dates.modified = FormPngDate(texts.modified, texts.modified_utc);
  return dates;
}

PngDates ReadPngDates(const std::string& path, ReaderContext&) {
  if (platform::FileSize(path) <= 0) return {};  // empty, missing or not a regular file
  return PngDatesFromBytes(platform::ReadFileHead(path, kPngHeadBytes));
}

SidecarDates SidecarDatesFromXml(std::string_view xml) {
  const std::optional<XmlElement> document = ParseXml(xml);
  if (!document) return {};
  SidecarDates dates;
  dates.iptc_created = SidecarDate(SidecarText(
      *document, "xmp:CreateDate",
      {"xmp:CreateDate", "photoshop:DateCreated", "exif:DateTimeOriginal"}));
  dates.xmp_modified =
      SidecarDate(SidecarText(*document, "xmp:ModifyDate", {"xmp:ModifyDate", "xmp:MetadataDate"}));
  return dates;
}

SidecarDates ReadXmpSidecar(const std::string& path, ReaderContext&) {
  // Real sidecars are a few KiB to a few MiB (embedded previews); a larger file is not read.
  const long long size = platform::FileSize(path);
  if (size <= 0 || static_cast<unsigned long long>(size) > kMaxSidecarBytes) return {};
  const std::string bytes = platform::ReadFileHead(path, static_cast<size_t>(size));
  return SidecarDatesFromXml(bytes);
}

std::string HeicDateText(std::string_view head) {
  head = Left(head, kHeicHeadBytes);
  if (head.size() < 16 || head.substr(4, 6) != "ftyphe") return {};
  const size_t n = head.size();
  for (size_t i = 0; i + 16 <= n; ++i) {
    if (head[i] != ':' || head[i + 3] != ':' || head[i + 9] != ':' || head[i + 12] != ':') {
      continue;
    }
    if (i <= 4) return {};  // the text would start at or before the first byte
    std::string text(head.substr(i - 4, 19));
    ReplaceFirstColons(text, 2);
    return text;
  }
  return {};
}

DateValue ReadHeicDate(const std::string& path, ReaderContext&) {
  if (platform::FileSize(path) < kHeicMinimumSize) return 0;  // also missing or not a file
  const std::string text = HeicDateText(platform::ReadFileHead(path, kHeicHeadBytes));
  if (text.empty()) return 0;
  return ParseReaderDate(kDashMask, text);
}

ImageDates ImageDatesFromTags(const TagQuery& query) {
  ImageDates dates;
  dates.taken = CommonFinish(FirstNonEmpty(
      query, {"[EXIF] DateTimeOriginal", "[EXIF] CreateDate", "[Composite] DateTimeOriginal",
              "[Composite] DateTimeCreated", "[PNG] CreationTime"}));
  dates.exif_changed = CommonFinish(FirstNonEmpty(query, {"[EXIF] ModifyDate", "[PNG] ModifyDate"}));
  dates.iptc_created = CommonFinish(TrimBlanks(IptcCreatedText(query)));
  dates.xmp_modified = CommonFinish(TrimBlanks(CompleteSeconds(query("[XMP] ModifyDate"))));
  return dates;
}

ImageDates ReadExifImageDates(const std::string& path, ReaderContext& context) {
  if (context.exiftool == nullptr) return {};
  ExifToolSession& session = *context.exiftool;
  return ImageDatesFromTags(
      [&](const std::string& key) { return session.QueryExifTag(path, key); });
}

}  // namespace kalvento
