#pragma once

// Image dates: the PNG byte scanner, the XMP sidecar reader, the HEIC/HEIF byte
// scanner and the ExifTool tag chain. Each reader starts from zero values and keeps no state
// between files; every value it gives is greater than 0 or 0 (not found).

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "dates/datef.h"
#include "sources/readers.h"

namespace kalvento {

// How much of a file the byte readers look at, and the largest sidecar read at all.
inline constexpr size_t kPngHeadBytes = 10240;
inline constexpr size_t kHeicHeadBytes = 1048576;
inline constexpr long long kHeicMinimumSize = 101;  // 100 bytes or fewer: no date
inline constexpr size_t kMaxSidecarBytes = 16u * 1024u * 1024u;

// The PNG scan of a file's first bytes (at most kPngHeadBytes are looked at): the tIME chunk and
// the weekday "Creation Time" are UTC, the numeric "Creation Time" and xmp:CreateDate /
// xmp:ModifyDate are local time.
PngDates PngDatesFromBytes(std::string_view head);
// Nothing for a missing or empty file; otherwise the scan of its first kPngHeadBytes bytes.
PngDates ReadPngDates(const std::string& path, ReaderContext& context);

// The created and modified dates of an XMP sidecar document; nothing when it is not well-formed.
SidecarDates SidecarDatesFromXml(std::string_view xml);
// Nothing for a missing file or one larger than kMaxSidecarBytes.
SidecarDates ReadXmpSidecar(const std::string& path, ReaderContext& context);

// The first EXIF-shaped date text of a HEIF-family file's first bytes, as
// "yyyy-mm-dd hh:mm:ss" (colons of the time kept), or empty.
std::string HeicDateText(std::string_view head);
// 0 for a missing file or one of 100 bytes or fewer; otherwise the date of HeicDateText over the
// first kHeicHeadBytes bytes.
DateValue ReadHeicDate(const std::string& path, ReaderContext& context);

// The four ExifTool chains over a tag query ("[EXIF] DateTimeOriginal" → value or empty). At most
// fifteen queries, always in the same order.
ImageDates ImageDatesFromTags(const std::function<std::string(const std::string& tag_key)>& query);
// The chains asked of context.exiftool; all 0 without a session.
ImageDates ReadExifImageDates(const std::string& path, ReaderContext& context);

}  // namespace kalvento
