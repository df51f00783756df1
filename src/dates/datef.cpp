#include "dates/datef.h"

#include <array>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "dates/filetime.h"
#include "platform/clock.h"
#include "texts/text_util.h"

namespace kalvento {
namespace {

using dates_internal::FileTimeFromRecord;
using dates_internal::RecordFromFileTime;

constexpr std::string_view kMonthNames = "JanFebMarAprMayJunJulAugSepOctNovDec";
constexpr std::string_view kWeekdayNames = "SunMonTueWedThuFriSat";
constexpr std::array<std::string_view, 12> kMonthWords = {"jan", "feb", "mar", "apr", "may", "jun",
                                                          "jul", "aug", "sep", "oct", "nov", "dec"};

// A FILETIME as a date value: rounded to the nearest second, halves up.
DateValue DateFromFileTime(int64_t file_time) {
  return (file_time + kTicksPerSecond / 2) / kTicksPerSecond;
}

platform::CalendarTime ToPlatform(const CalendarRecord& r) {
  return platform::CalendarTime{r.year, r.month, r.day, r.hour, r.minute, r.second, 0};
}

DateValue MakeDateFrom(const platform::CalendarTime& r) {
  return MakeDate(r.year, r.month, r.day, r.hour, r.minute, r.second);
}

int ClampToInt(int64_t value) {
  if (value > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  if (value < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
  return static_cast<int>(value);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLowerLetter(char c) { return c >= 'a' && c <= 'z'; }

std::string ZeroPadded(int number, std::size_t width) {
  std::string digits = std::to_string(number);
  if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
  return digits;
}

// The piece of `count` characters at `pos`; empty past the end of the text.
std::string_view Piece(std::string_view text, std::size_t pos, std::size_t count) {
  if (pos >= text.size()) return {};
  return text.substr(pos, count);
}

int64_t TwoDigitRule(int64_t year, int pivot) {
  if (year <= pivot) return 2000 + year;
  if (year <= 99) return 1900 + year;
  return year;
}

int NormalPivot(int pivot) { return pivot < 1 || pivot > 99 ? 99 : pivot; }

// The first month word of the (lower-case) text, replaced by " <number> ".
void ReplaceMonthName(std::string& text) {
  for (std::size_t start = 0; start + 3 <= text.size(); ++start) {
    if (start > 0 && IsLowerLetter(text[start - 1])) continue;
    const std::string_view window = std::string_view(text).substr(start, 3);
    for (std::size_t month = 0; month < kMonthWords.size(); ++month) {
      if (window != kMonthWords[month]) continue;
      std::size_t end = start + 3;
      while (end < text.size() && IsLowerLetter(text[end])) ++end;
      text.replace(start, end - start, " " + std::to_string(month + 1) + " ");
      return;
    }
  }
}

}  // namespace

DateValue MakeDate(int year, int month, int day, int hour, int minute, int second) {
  std::optional<int64_t> file_time;
  if (year == 0 && month == 0 && day == 0 && hour == 0 && minute == 0 && second == 0) {
    file_time = FileTimeFromRecord(platform::LocalNow());
  } else {
    if (year != 0) {
      if (year <= 1600 || year > 9999) return kInvalidDate;
      if (month == 0) month = 1;
      if (day == 0) day = 1;
    } else {
      year = 1601;
      month = 1;
      day = 1;
    }
    file_time =
        FileTimeFromRecord(platform::CalendarTime{year, month, day, hour, minute, second, 0});
  }
  return DateFromFileTime(file_time.value_or(0));
}

CalendarRecord SplitDate(DateValue value) {
  platform::CalendarTime r;
  if (value < 0) {
    r = platform::LocalNow();
  } else {
    const int64_t file_time = value > dates_internal::kMaxSplitFileTime / kTicksPerSecond
                                  ? dates_internal::kMaxSplitFileTime
                                  : value * kTicksPerSecond;
    r = *RecordFromFileTime(file_time);  // never empty for a FILETIME >= 0
  }
  return CalendarRecord{r.year, r.month, r.day, r.hour, r.minute, r.second};
}

int YearOf(DateValue value) { return SplitDate(value).year; }
int MonthOf(DateValue value) { return SplitDate(value).month; }
int DayOf(DateValue value) { return SplitDate(value).day; }
int HourOf(DateValue value) { return SplitDate(value).hour; }
int MinuteOf(DateValue value) { return SplitDate(value).minute; }
int SecondOf(DateValue value) { return SplitDate(value).second; }

namespace {

void PutDigits(char* out, int value, int width) {
  for (int i = width - 1; i >= 0; --i, value /= 10) out[i] = static_cast<char>('0' + value % 10);
}

// The display mask is formatted for every cell of every run: straight into its fixed layout.
std::string FormatDisplayDate(const CalendarRecord& r) {
  std::string text = "0000.00.00 00:00:00";
  PutDigits(&text[0], r.year, 4);
  PutDigits(&text[5], r.month, 2);
  PutDigits(&text[8], r.day, 2);
  PutDigits(&text[11], r.hour, 2);
  PutDigits(&text[14], r.minute, 2);
  PutDigits(&text[17], r.second, 2);
  return text;
}

}  // namespace

std::string FormatDate(std::string_view mask, DateValue value) {
  const CalendarRecord r = SplitDate(value);
  // Split years run from 1601 to 9999, four digits, as the general path pads them.
  if (mask == kDisplayMask) return FormatDisplayDate(r);
  // The weekday of the value; for a negative value (now) that of the date just split, so that
  // "%day" names the same day as the other fields.
  const int64_t day_number =
      value < 0 ? dates_internal::DaysFrom1601(r.year, r.month, r.day) : value / kSecondsPerDay;
  const auto weekday = static_cast<std::size_t>((day_number + 1) % 7);
  const std::string year_text = std::to_string(r.year);

  std::string text(mask);
  text = ReplaceAll(std::move(text), "%yyyy", ZeroPadded(r.year, 4));
  text = ReplaceAll(std::move(text), "%yy",
             year_text.size() <= 2 ? year_text : year_text.substr(year_text.size() - 2));
  text = ReplaceAll(std::move(text), "%mm", ZeroPadded(r.month, 2));
  text = ReplaceAll(std::move(text), "%dd", ZeroPadded(r.day, 2));
  text = ReplaceAll(std::move(text), "%hh", ZeroPadded(r.hour, 2));
  text = ReplaceAll(std::move(text), "%ii", ZeroPadded(r.minute, 2));
  text = ReplaceAll(std::move(text), "%ss", ZeroPadded(r.second, 2));
  text = ReplaceAll(std::move(text), "%mon", kMonthNames.substr(static_cast<std::size_t>(r.month - 1) * 3, 3));
  text = ReplaceAll(std::move(text), "%day", kWeekdayNames.substr(weekday * 3, 3));
  return text;
}

DateValue ParseDate(std::string_view mask, std::string_view text) {
  int year = 0, month = 1, day = 1, hour = 0, minute = 0, second = 0;
  bool found = false;
  std::size_t j = 0;
  for (std::size_t i = 0; i < mask.size(); ++i) {
    const char m = mask[i];
    if (j < text.size() && text[j] == m) {
      ++j;
      continue;
    }
    if (m != '%') return 0;
    const std::string_view rest = mask.substr(i);
    auto field = [&](int& target, std::size_t width) {
      target = ClampToInt(DecimalValue(Piece(text, j, width)));
      j += width;
      i += width;
      found = true;
    };
    if (rest.starts_with("%yyyy")) {
      field(year, 4);
    } else if (rest.starts_with("%yy")) {
      year = ClampToInt(DecimalValue("20" + std::string(Piece(text, j, 2))));
      j += 2;
      i += 2;
      found = true;
    } else if (rest.starts_with("%mm")) {
      field(month, 2);
    } else if (rest.starts_with("%dd")) {
      field(day, 2);
    } else if (rest.starts_with("%hh")) {
      field(hour, 2);
    } else if (rest.starts_with("%ii")) {
      field(minute, 2);
    } else if (rest.starts_with("%ss")) {
      field(second, 2);
    } else {
      if (!found) return 0;
      ++j;
    }
  }
  return MakeDate(year, month, day, hour, minute, second);
}

DateValue ParseDateFlexible(std::string_view mask_in, std::string_view text_in, int pivot,
                            bool allow_partial) {
  const std::string mask = AsciiLower(mask_in);
  std::string text = AsciiLower(text_in);
  pivot = NormalPivot(pivot);

  if (mask.find("%mon") != std::string::npos) ReplaceMonthName(text);

  // The fields after the first "%", each with its trailing literal text.
  std::vector<std::string_view> tokens;
  {
    const std::string_view m(mask);
    std::size_t pos = m.find('%');
    while (pos != std::string_view::npos) {
      const std::size_t next = m.find('%', pos + 1);
      tokens.push_back(m.substr(pos + 1, next == std::string_view::npos ? next : next - pos - 1));
      pos = next;
    }
  }

  int64_t year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  constexpr int64_t kSaturated = std::numeric_limits<int64_t>::max();
  std::size_t filled = 0;
  int numbers_found = 0;
  std::size_t pos = 0;
  while (filled < tokens.size() && pos < text.size()) {
    while (pos < text.size() && !IsDigit(text[pos])) ++pos;
    if (pos == text.size()) break;
    int64_t n = 0;
    for (; pos < text.size() && IsDigit(text[pos]); ++pos) {
      const int digit = text[pos] - '0';
      n = n > (kSaturated - digit) / 10 ? kSaturated : n * 10 + digit;
    }
    ++numbers_found;
    const std::string_view token = tokens[filled];
    if (token.starts_with("ymd")) {
      year = TwoDigitRule(n / 10000, pivot);
      month = n / 100 % 100;
      day = n % 100;
    } else if (token.starts_with("yyyy")) {
      year = n;
    } else if (token.starts_with("yy")) {
      year = TwoDigitRule(n, pivot);
    } else if (token.starts_with("mm") || token.starts_with("mon")) {
      month = n;
    } else if (token.starts_with("dd")) {
      day = n;
    } else if (token.starts_with("hh")) {
      hour = n;
    } else if (token.starts_with("ii")) {
      minute = n;
    } else if (token.starts_with("ss")) {
      second = n;
    } else {
      return kInvalidDate;
    }
    ++filled;
  }

  if (numbers_found == 0) return kInvalidDate;
  if (filled < tokens.size() && !allow_partial) return kInvalidDate;
  if (year != 0 || month != 0 || day != 0) {
    if (year != 0 && (year < 1601 || year > 9999)) return kInvalidDate;
    if (year != 0) {
      if (month == 0) month = 1;
      if (day == 0) day = 1;
    }
    if (month > 12 || day > 31) return kInvalidDate;
  }
  if (hour > 59 || minute > 59) return kInvalidDate;
  // Every field is now in int range except a huge second, which clamps and then fails in MakeDate.
  return MakeDate(ClampToInt(year), ClampToInt(month), ClampToInt(day), ClampToInt(hour),
                  ClampToInt(minute), ClampToInt(second));
}

int ApplyTwoDigitRule(int year, int pivot) {
  return static_cast<int>(TwoDigitRule(year, NormalPivot(pivot)));
}

int64_t DecimalValue(std::string_view text) {
  std::size_t pos = 0;
  while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
    negative = text[pos] == '-';
    ++pos;
  }
  // Accumulated towards the sign's side so that both ends of the range saturate exactly.
  constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
  constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
  int64_t value = 0;
  for (; pos < text.size() && IsDigit(text[pos]); ++pos) {
    const int digit = text[pos] - '0';
    if (negative) {
      value = value < (kMin + digit) / 10 ? kMin : value * 10 - digit;
    } else {
      value = value > (kMax - digit) / 10 ? kMax : value * 10 + digit;
    }
  }
  return value;
}

int SetFileDate(const std::string& path, FileDateKind kind, DateValue value) {
  const int slot = static_cast<int>(kind);
  if (slot < 0 || slot > 2) return 0;
  const CalendarRecord local = SplitDate(value);
  const std::optional<platform::CalendarTime> utc = platform::LocalToUtc(ToPlatform(local));
  if (!utc) return 0;
  // The UTC record must be one a FILETIME can hold (not before 1601), as on Windows.
  if (!FileTimeFromRecord(*utc)) return 0;
  const std::optional<platform::FileInstant> instant = platform::InstantFromUtc(*utc);
  if (!instant) return 0;
  return platform::WriteFileTime(path, kind, *instant) ? 1 : 0;
}

bool ReadFileDates(const std::string& path, FileDates& dates) {
  dates = FileDates{};
  const std::optional<platform::FileTimes> times = platform::ReadFileTimes(path);
  return times && FileDatesFromTimes(*times, dates);
}

bool FileDatesFromTimes(const platform::FileTimes& times, FileDates& dates) {
  const std::array<std::pair<const platform::FileInstant*, DateValue*>, 3> slots = {{
      {&times.created, &dates.created},
      {&times.modified, &dates.modified},
      {&times.accessed, &dates.accessed},
  }};
  for (const auto& [instant, target] : slots) {
    // A time that a FILETIME cannot hold (before 1601) fails the conversion, as on Windows.
    if (!dates_internal::FileTimeFromInstant(*instant)) return false;
    const std::optional<platform::CalendarTime> utc = platform::UtcFromInstant(*instant);
    if (!utc) return false;
    const std::optional<platform::CalendarTime> local = platform::UtcToLocal(*utc);
    if (!local) return false;
    *target = MakeDateFrom(*local);  // year to second: the sub-second part is dropped
  }
  return true;
}

DateValue ToLocalFromUtc(DateValue utc_value) {
  if (utc_value < 0 || utc_value > std::numeric_limits<int64_t>::max() / kTicksPerSecond) return 0;
  const std::optional<platform::CalendarTime> utc = RecordFromFileTime(utc_value * kTicksPerSecond);
  if (!utc) return 0;
  const std::optional<platform::CalendarTime> local = platform::UtcToLocal(*utc);
  if (!local) return 0;
  return MakeDateFrom(*local);
}

int MonthFromName(std::string_view name) {
  constexpr std::string_view kMonthAbbreviations = "jan,feb,mar,apr,may,jun,jul,aug,sep,oct,nov,dec";
  if (name.empty()) return 0;  // the search would find the empty name at position 1: January
  const std::string lower = AsciiLower(name);
  const size_t found = kMonthAbbreviations.find(lower);
  if (found == std::string_view::npos) return 0;
  return static_cast<int>(found / 4 + 1);  // found is p - 1
}

}  // namespace kalvento
