#include "sources/shell_date_text.h"

#include <cstdint>
#include <vector>

#include "texts/text_util.h"

namespace kalvento {
namespace {

// Everything a date and time of the shell is made of; the separators of the locale come on top.
constexpr std::string_view kKeptCharacters = " 1234567890APMapm:./-";

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

size_t FindIgnoringCase(std::string_view text, std::string_view what) {
  if (what.empty() || what.size() > text.size()) return std::string_view::npos;
  for (size_t start = 0; start + what.size() <= text.size(); ++start) {
    size_t i = 0;
    while (i < what.size() && LowerAscii(text[start + i]) == LowerAscii(what[i])) ++i;
    if (i == what.size()) return start;
  }
  return std::string_view::npos;
}

void ReplaceFirstIgnoringCase(std::string& text, std::string_view what, std::string_view with) {
  const size_t at = FindIgnoringCase(text, what);
  if (at != std::string_view::npos) text.replace(at, what.size(), with);
}

bool HoldsCodePoint(std::string_view text, uint32_t wanted) {
  for (size_t pos = 0; pos < text.size();) {
    uint32_t code_point = 0;
    const size_t length = DecodeUtf8At(text, pos, code_point);
    if (length == 0) {
      ++pos;
      continue;
    }
    if (code_point == wanted) return true;
    pos += length;
  }
  return false;
}

// No-break spaces stand between time and AM/PM mark in some locales; they part fields as a blank
// does instead of gluing the mark to the minutes.
bool IsNoBreakSpace(uint32_t code_point) {
  return code_point == 0x00A0 || code_point == 0x2007 || code_point == 0x202F;
}

// The text with only the characters of dates and times left, no-break spaces as blanks.
std::string KeptCharacters(std::string_view text, const ShellDateLocale& locale) {
  std::string kept;
  for (size_t pos = 0; pos < text.size();) {
    uint32_t code_point = 0;
    const size_t length = DecodeUtf8At(text, pos, code_point);
    if (length == 0) {  // not UTF-8: nothing a date is made of
      ++pos;
      continue;
    }
    if (IsNoBreakSpace(code_point)) {
      kept += ' ';
    } else if ((code_point < 0x80 &&
                kKeptCharacters.find(static_cast<char>(code_point)) != std::string_view::npos) ||
               HoldsCodePoint(locale.date_separator, code_point) ||
               HoldsCodePoint(locale.time_separator, code_point)) {
      kept.append(text.substr(pos, length));
    }
    pos += length;
  }
  return kept;
}

// The pieces between blanks; runs of blanks part only once.
std::vector<std::string_view> Fields(std::string_view text) {
  std::vector<std::string_view> fields;
  for (std::string_view piece : SplitText(text, ' ')) {
    if (!piece.empty()) fields.push_back(piece);
  }
  return fields;
}

}  // namespace

std::string LocaleDateMask(std::string_view short_date_format) {
  std::string mask(short_date_format);
  ReplaceFirstIgnoringCase(mask, "dd", "d");
  ReplaceFirstIgnoringCase(mask, "mm", "m");
  ReplaceFirstIgnoringCase(mask, "d", "%dd");
  ReplaceFirstIgnoringCase(mask, "m", "%mm");
  for (char& c : mask) {
    if (c == 'Y') c = 'y';
  }
  ReplaceFirstIgnoringCase(mask, "yy", "%yy");
  return mask;
}

DateValue ParseShellDateText(std::string_view text, const ShellDateLocale& locale) {
  const std::string kept = KeptCharacters(text, locale);
  const std::vector<std::string_view> fields = Fields(kept);
  if (fields.empty()) return 0;

  const int pivot = YearOf(kInvalidDate) - 2000;  // a negative value splits as now
  const DateValue date = ParseDateFlexible(locale.date_mask, fields[0], pivot, false);
  if (date <= 0) return 0;

  int64_t hour = 0;
  int64_t minute = 0;
  if (fields.size() >= 2) {
    const std::string_view separator =
        locale.time_separator.empty() ? std::string_view(":") : locale.time_separator;
    const std::string_view time = fields[1];
    const size_t cut = time.find(separator);
    hour = DecimalValue(time.substr(0, cut));
    if (cut != std::string_view::npos) {
      const std::string_view rest = time.substr(cut + separator.size());
      minute = DecimalValue(rest.substr(0, rest.find(separator)));
    }
  }
  if (hour < 0 || minute < 0) return 0;
  if (fields.size() >= 3) {
    const std::string mark = AsciiLower(fields[2]);
    if (mark == "am" && hour == 12) hour = 0;
    if (mark == "pm" && hour < 12) hour += 12;
  }
  if (hour == 24) hour = 0;
  // Garbage must not move the date by arbitrary amounts.
  if (hour > 23 || minute > 59) return 0;
  return date + hour * 3600 + minute * 60;
}

DateValue ParseShellDateText(std::string_view text, std::string_view locale_mask) {
  ShellDateLocale locale;
  locale.date_mask = std::string(locale_mask);
  return ParseShellDateText(text, locale);
}

}  // namespace kalvento
