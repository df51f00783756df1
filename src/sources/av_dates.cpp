#include "sources/av_dates.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include "platform/files.h"
#include "sources/media_info.h"
#include "texts/text_util.h"

namespace kalvento {
namespace {

constexpr size_t kId3HeaderSize = 10;
constexpr size_t kWavTailSize = 1024;
constexpr size_t kAvchdHeadSize = 1048576;
constexpr size_t kAvchdScanMargin = 48;

constexpr std::string_view kMdpmMarker(
    "\x17\xEE\x8C\x60\xF8\x4D\x11\xD9\x8C\xD6\x08\x00\x20\x0C\x9A\x66", 16);

constexpr std::string_view kCreationDate = "com.apple.quicktime.creationdate";
constexpr std::string_view kRecordedDate = "Recorded_Date";
constexpr std::string_view kEncodedDate = "Encoded_Date";
constexpr std::string_view kMasteredDate = "Mastered_Date";

constexpr std::string_view kIsoMask = "%yyyy-%mm-%dd %hh:%ii:%ss";
constexpr std::string_view kDayFirstMask = "%dd.%mm.%yyyy %hh:%ii:%ss";

unsigned Byte(std::string_view bytes, size_t at) { return static_cast<unsigned char>(bytes[at]); }

// Four bytes at `at` (which must be inside `bytes`), most significant first.
uint32_t BigEndian32(std::string_view bytes, size_t at) {
  return (Byte(bytes, at) << 24) | (Byte(bytes, at + 1) << 16) | (Byte(bytes, at + 2) << 8) |
         Byte(bytes, at + 3);
}

// Four bytes of seven bits each, most significant first.
uint32_t Synchsafe32(std::string_view bytes, size_t at) {
  return ((Byte(bytes, at) & 0x7F) << 21) | ((Byte(bytes, at + 1) & 0x7F) << 14) |
         ((Byte(bytes, at + 2) & 0x7F) << 7) | (Byte(bytes, at + 3) & 0x7F);
}

// The piece of `count` characters at `pos`; empty or shorter past the end.
std::string_view Piece(std::string_view text, size_t pos, size_t count) {
  if (pos >= text.size()) return {};
  return text.substr(pos, count);
}

// Single-byte text of at most `count` bytes at `pos`, ending at a zero byte or the buffer's end.
std::string SingleByteText(std::string_view bytes, size_t pos, size_t count) {
  std::string_view text = Piece(bytes, pos, count);
  text = text.substr(0, text.find('\0'));
  return std::string(text);
}

// UTF-16 little-endian text of at most `count` characters at `pos`, as UTF-8; ends at a zero
// character or the buffer's end. Unpaired surrogates become U+FFFD.
std::string Utf16Text(std::string_view bytes, size_t pos, size_t count) {
  return Utf16LeToUtf8(Piece(bytes, pos, count * 2));
}

// Appends the last 19 − length characters of `pattern` (a 19-character date text).
std::string PadWith(std::string_view text, std::string_view pattern) {
  std::string padded(text);
  if (padded.size() < pattern.size()) padded += pattern.substr(padded.size());
  return padded;
}

// A four-character year text between "1601" and "9999", compared as text.
bool YearTextInRange(std::string_view text, size_t pos) {
  if (pos + 4 > text.size()) return false;
  const std::string_view year = text.substr(pos, 4);
  return year >= "1601" && year <= "9999";
}

struct CodeDeleter {
  void operator()(pcre2_code* code) const { pcre2_code_free(code); }
};

// The upper-case C time form of some Mastered_Date answers, "SUN JUL 14 08:12:33 2019".
bool IsUpperCaseCTime(std::string_view t) {
  static const std::unique_ptr<pcre2_code, CodeDeleter> code = [] {
    constexpr std::string_view kExpression = R"(^[A-Z]{3} [A-Z]{3} \d\d \d\d:\d\d:\d\d \d\d\d\d)";
    int error_code = 0;
    PCRE2_SIZE error_offset = 0;
    return std::unique_ptr<pcre2_code, CodeDeleter>(
        pcre2_compile(reinterpret_cast<PCRE2_SPTR>(kExpression.data()), kExpression.size(), 0,
                      &error_code, &error_offset, nullptr));
  }();
  if (!code) return false;
  pcre2_match_data* match = pcre2_match_data_create_from_pattern(code.get(), nullptr);
  if (match == nullptr) return false;
  const int found = pcre2_match(code.get(), reinterpret_cast<PCRE2_SPTR>(t.data()), t.size(), 0,
                                0, match, nullptr);
  pcre2_match_data_free(match);
  return found > 0;
}

// "SUN JUL 14 08:12:33 2019" → "2019-07-14 08:12:33 "; unchanged when the month is unknown.
std::string RebuildUpperCaseCTime(std::string_view t) {
  constexpr std::string_view kMonths =
      "JAN,01,FEB,02,MAR,03,APR,04,MAY,05,JUN,06,JUL,07,AUG,08,SEP,09,OCT,10,NOV,11,DEC,12";
  const size_t at = kMonths.find(t.substr(4, 3));
  if (at == std::string_view::npos) return std::string(t);
  std::string rebuilt(t.substr(20, 4));
  rebuilt += '-';
  rebuilt += kMonths.substr(at + 4, 2);
  rebuilt += '-';
  rebuilt += t.substr(8, 2);
  rebuilt += ' ';
  rebuilt += t.substr(11, 8);
  rebuilt += ' ';
  return rebuilt;
}

// One search pass of ReadAvchdDate from `start`: the position p of the 0x18 byte after the
// marker and "PM", or npos when a stage finds nothing. `hit` says whether p + 5 holds 0x19.
size_t AvchdPass(std::string_view head, size_t limit, size_t start, bool& hit) {
  hit = false;
  const std::string_view area = head.substr(0, limit);
  const size_t marker = area.find(kMdpmMarker, start);
  if (marker == std::string_view::npos) return std::string_view::npos;
  const size_t pm = area.find("PM", marker + kMdpmMarker.size());
  if (pm == std::string_view::npos) return std::string_view::npos;
  const size_t p = area.find('\x18', pm);
  if (p == std::string_view::npos) return std::string_view::npos;
  hit = Byte(head, p + 5) == 0x19;  // p < limit = size − 48, so p + 9 is inside
  return p;
}

// A BCD byte as two decimal numbers, or two blanks from 0xA0 on.
std::string Bcd(std::string_view head, size_t at) {
  const unsigned x = Byte(head, at);
  if (x >= 0xA0) return "  ";
  return std::to_string(x >> 4) + std::to_string(x & 0x0F);
}

}  // namespace

std::string Id3RecordingTimeFromBytes(std::string_view head) {
  if (head.size() < kId3HeaderSize || head.substr(0, 3) != "ID3") return {};
  const unsigned major = Byte(head, 3);
  if (major < 3) return {};
  const uint64_t tag_size = Synchsafe32(head, 6);
  // The frame area, bounded by the tag size and by what was read.
  const std::string_view frames =
      head.substr(kId3HeaderSize,
                  static_cast<size_t>(std::min<uint64_t>(tag_size, head.size() - kId3HeaderSize)));
  std::string kept;
  uint64_t pos = 0;
  while (pos + kId3HeaderSize <= tag_size && pos + kId3HeaderSize <= frames.size()) {
    const size_t at = static_cast<size_t>(pos);
    if (frames[at] == '\0') break;  // padding
    const uint64_t frame_size =
        major == 4 ? Synchsafe32(frames, at + 4) : BigEndian32(frames, at + 4);
    if (frames.substr(at, 4) == "TDRC") {
      const size_t body = at + kId3HeaderSize;
      if (frame_size >= 2 && body + 1 < frames.size() && Byte(frames, body + 1) == 0xFF) {
        const uint64_t count = frame_size >= 3 ? (frame_size - 3) / 2 : 0;
        kept = Utf16Text(frames, body + 3, static_cast<size_t>(count));
      } else {
        const uint64_t count = frame_size >= 1 ? frame_size - 1 : 0;
        kept = SingleByteText(frames, body + 1, static_cast<size_t>(count));
      }
    }
    pos += frame_size + kId3HeaderSize;
  }
  return kept;
}

std::string WavId3DateFromBytes(std::string_view tail) {
  std::string full_date;
  std::string day_month;
  std::string year;
  std::string time;
  // A frame needs its identifier and its size inside the buffer.
  for (size_t i = 0; i + 8 <= tail.size(); ++i) {
    const std::string_view id = tail.substr(i, 4);
    const bool tdat = id == "TDAT";
    if (!tdat && id != "TYER" && id != "TIME") continue;
    const uint32_t n = BigEndian32(tail, i + 4);
    const std::string text = n >= 1 ? SingleByteText(tail, i + 11, n - 1) : std::string();
    if (tdat && n > 5) {
      full_date = text;
      break;
    }
    if (tdat && n == 5) day_month = text;
    if (id == "TYER") year = text;
    if (id == "TIME") time = text;
  }
  if (full_date.empty() && !day_month.empty() && !year.empty()) {
    full_date = std::string(Piece(day_month, 0, 2)) + "." + std::string(Piece(day_month, 2, 2)) +
                "." + std::string(Piece(year, 0, 4));
    if (!time.empty()) {
      full_date +=
          " " + std::string(Piece(time, 0, 2)) + ":" + std::string(Piece(time, 2, 2)) + ":00";
    } else {
      full_date += " 00:00:00";
    }
  }
  return full_date;
}

std::string AvchdDateFromBytes(std::string_view head) {
  head = head.substr(0, std::min(head.size(), kAvchdHeadSize));
  if (head.size() <= kAvchdScanMargin) return {};
  const size_t limit = head.size() - kAvchdScanMargin;
  bool hit = false;
  const size_t first = AvchdPass(head, limit, 0, hit);
  if (!hit) return {};
  size_t h = first;
  bool second_hit = false;
  const size_t second = AvchdPass(head, limit, first, second_hit);
  if (second_hit) h = second;
  return Bcd(head, h + 2) + Bcd(head, h + 3) + "-" + Bcd(head, h + 4) + "-" + Bcd(head, h + 6) +
         " " + Bcd(head, h + 7) + ":" + Bcd(head, h + 8) + ":" + Bcd(head, h + 9);
}

std::string ReadId3RecordingTime(const std::string& path) {
  const long long size = platform::FileSize(path);
  if (size <= 0) return {};
  const std::string header = platform::ReadFileHead(path, kId3HeaderSize);
  if (header.size() < kId3HeaderSize || header.compare(0, 3, "ID3") != 0 || Byte(header, 3) < 3) {
    return {};
  }
  const uint64_t wanted = kId3HeaderSize + static_cast<uint64_t>(Synchsafe32(header, 6));
  const uint64_t available = static_cast<uint64_t>(size);
  return Id3RecordingTimeFromBytes(
      platform::ReadFileHead(path, static_cast<size_t>(std::min(wanted, available))));
}

std::string ReadWavId3Date(const std::string& path) {
  const long long size = platform::FileSize(path);
  if (size <= 0) return {};
  const std::string header = platform::ReadFileHead(path, 12);
  if (header.size() < 12 || header.compare(0, 4, "RIFF") != 0 ||
      header.compare(8, 4, "WAVE") != 0) {
    return {};
  }
  if (size <= static_cast<long long>(kWavTailSize)) return {};
  return WavId3DateFromBytes(platform::ReadFileTail(path, kWavTailSize));
}

std::string ReadAvchdDate(const std::string& path) {
  if (platform::FileSize(path) <= 0) return {};
  return AvchdDateFromBytes(platform::ReadFileHead(path, kAvchdHeadSize));
}

DateValue Id3TextDate(std::string_view text, bool& hit) {
  hit = false;
  if (DecimalValue(Piece(text, 0, 4)) < 1600) return 0;
  hit = true;
  return ParseDate("%yyyy-%mm-%ddT%hh:%ii:%ss", PadWith(text, "1970-01-01T00:00:00"));
}

DateValue WavTextDate(std::string_view text, bool& hit) {
  hit = false;
  if (DecimalValue(Piece(text, 6, 4)) < 1600) return 0;
  hit = true;
  return ParseDate(kDayFirstMask, PadWith(text, "01.01.1970 00:00:00"));
}

DateValue AvchdTextDate(std::string_view text, bool& hit) {
  hit = false;
  if (text.empty()) return 0;
  const std::string_view year = Piece(text, 0, 4);
  if (year < "1601" || year > "9999") return 0;
  hit = true;
  return ParseDate(kIsoMask, text);
}

DateValue MediaInfoAnswerDate(std::string_view parameter, std::string_view answer,
                              DateValue& year_only) {
  if (answer.empty()) return 0;
  std::string t(answer);
  // 1. Several values " / ": the second, unless it holds the placeholder year 1900.
  const size_t slash = t.find('/');
  if (slash != std::string::npos) {
    const std::string a(TrimBlanks(std::string_view(t).substr(0, slash)));
    const size_t next = t.find('/', slash + 1);
    const std::string b(TrimBlanks(std::string_view(t).substr(
        slash + 1, next == std::string::npos ? std::string::npos : next - slash - 1)));
    t = b.find("1900") != std::string::npos ? a : b;
  }
  // 2. The upper-case C time form of some Mastered_Date values.
  if (parameter == kMasteredDate && IsUpperCaseCTime(t)) t = RebuildUpperCaseCTime(t);
  // 3. The UTC mark: as a prefix ("UTC 2019-...") or as the suffix MediaInfo 23.04 writes.
  bool utc = false;
  if (t.starts_with("UTC")) {
    utc = true;
    t = std::string(Piece(t, 4, 19));
  } else {
    const std::string_view trimmed = TrimBlanks(t);
    utc = trimmed.ends_with("UTC");
    // Without the mark, so that a short value ("2019-07-14 UTC") keeps none of it.
    if (utc) t = std::string(TrimBlanks(trimmed.substr(0, trimmed.size() - 3)));
    t = t.substr(0, 19);
  }
  // 4.
  std::replace(t.begin(), t.end(), 'T', ' ');
  // 5. A year alone, kept for the end.
  if (parameter == kRecordedDate && t.size() == 4) {
    year_only = ParseDate("%yyyy", t);
    return 0;
  }
  DateValue date = 0;
  if (YearTextInRange(t, 0)) {
    // 6. Year first.
    t = PadWith(t, "1601-01-01 00:00:00");
    if (t.size() >= 8 && t[4] == ' ') {
      for (int replaced = 0; replaced < 2;) {
        const size_t blank = t.find(' ');
        if (blank == std::string::npos) break;
        t[blank] = '-';
        ++replaced;
      }
    }
    date = ParseDate(kIsoMask, t);
  } else if (t.size() >= 3 && t[2] == '.' && YearTextInRange(t, 6)) {
    // 7. Day first.
    date = ParseDate(kDayFirstMask, PadWith(t, "01.01.1601 00:00:00"));
  } else {
    return 0;  // 8.
  }
  if (utc && date > 0) date = ToLocalFromUtc(date);
  return date;
}

DateValue MediaInfoDate(bool is_mov,
                        const std::function<std::string(std::string_view parameter)>& ask) {
  static constexpr std::array<std::string_view, 4> kParameters = {kCreationDate, kRecordedDate,
                                                                  kEncodedDate, kMasteredDate};
  DateValue date = 0;
  DateValue year_only = 0;
  for (size_t k = is_mov ? 0 : 1; k < kParameters.size() && date <= 0; ++k) {
    const std::string answer = ask(kParameters[k]);
    if (answer.empty()) continue;
    date = MediaInfoAnswerDate(kParameters[k], answer, year_only);
  }
  if (date <= 0 && year_only > 0) date = year_only;
  return date > 0 ? date : 0;
}

DateValue ReadAudioVideoDate(const std::string& path, ReaderContext& context) {
  if (!context.media_info_loaded || context.media_info == nullptr) return 0;
  const std::string extension = LowerExtensionToken(path);
  DateValue date = 0;
  bool hit = false;
  if (extension == "/mp3/") {
    date = Id3TextDate(ReadId3RecordingTime(path), hit);
  } else if (extension == "/wav/") {
    date = WavTextDate(ReadWavId3Date(path), hit);
  } else if (extension == "/mts/" || extension == "/m2ts/" || extension == "/m2t/") {
    date = AvchdTextDate(ReadAvchdDate(path), hit);
  }
  const MediaInfoLibrary& media = *context.media_info;
  if (!hit && media.loaded()) {
    OpenMediaFile(media, path);  // the result is not checked: a failed open answers nothing
    date = MediaInfoDate(extension == "/mov/", [&media](std::string_view parameter) {
      return GeneralText(media, std::string(parameter));
    });
  }
  return date > 0 ? date : 0;
}

}  // namespace kalvento
