#include "sources/filename_date.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <array>
#include <utility>

#include "texts/text_util.h"

namespace kalvento {
namespace {

constexpr std::string_view kEscapedCharacters = ".-+$^(){}[";

constexpr std::array<std::pair<std::string_view, std::string_view>, 8> kExpressionTokens = {{
    {"YYYY", "\\d{4}"},
    {"YY", "\\d{2}"},
    {"MMM", "[a-zA-Z]{3,9}"},
    {"MM", "\\d{1,2}"},
    {"DD", "\\d{1,2}"},
    {"hh", "\\d{2}"},
    {"mm", "\\d{2}"},
    {"ss", "\\d{2}"},
}};

// Time tokens first, so the "mm" that "MM" turns into is not taken for minutes.
constexpr std::array<std::pair<std::string_view, std::string_view>, 8> kMaskTokens = {{
    {"hh", "%hh"},
    {"mm", "%ii"},
    {"ss", "%ss"},
    {"YYYY", "%yyyy"},
    {"YY", "%yy"},
    {"MMM", "%mon"},
    {"MM", "%mm"},
    {"DD", "%dd"},
}};

std::string BuildExpression(std::string_view pattern) {
  std::string expression(pattern);
  for (char c : kEscapedCharacters) {
    expression = ReplaceAll(std::move(expression), std::string(1, c), std::string("\\") + c);
  }
  for (const auto& [token, piece] : kExpressionTokens) {
    expression = ReplaceAll(std::move(expression), token, piece);
  }
  return expression;
}

std::string BuildMask(std::string_view pattern) {
  std::string mask(pattern);
  for (const auto& [token, piece] : kMaskTokens) mask = ReplaceAll(std::move(mask), token, piece);
  return mask;
}

// Lower-case for the comparison: ASCII letters and the "Ä" of "MÄRZ".
std::string FoldForMonths(std::string_view text) {
  return ReplaceAll(AsciiLower(text), "\xC3\x84", "\xC3\xA4");
}

// Replaces every occurrence of `from` (compared without regard to case) by `to`.
std::string ReplaceIgnoringCase(std::string_view text, std::string_view from, std::string_view to) {
  const std::string folded = FoldForMonths(text);
  std::string result;
  size_t pos = 0;
  while (true) {
    const size_t found = folded.find(from, pos);
    if (found == std::string::npos) break;
    result.append(text.substr(pos, found - pos)).append(to);
    pos = found + from.size();
  }
  result.append(text.substr(pos));
  return result;
}

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Whether the flexible parser will find an English month word (one not preceded by a letter).
bool HasMonthWord(std::string_view text) {
  static constexpr std::string_view kMonths = "janfebmaraprmayjunjulaugsepoctnovdec";
  const std::string lower = AsciiLower(text);
  for (size_t pos = 0; pos + 3 <= lower.size(); ++pos) {
    if (pos > 0 && IsAsciiLetter(lower[pos - 1])) continue;
    for (size_t month = 0; month < kMonths.size(); month += 3) {
      if (lower.compare(pos, 3, kMonths.substr(month, 3)) == 0) return true;
    }
  }
  return false;
}

// A found text whose numbers are all 0 would read as "now": a file name never proposes that.
bool ReadsAsNow(std::string_view text, std::string_view mask) {
  bool any_digit = false;
  for (char c : text) {
    if (c >= '1' && c <= '9') return false;
    any_digit = any_digit || c == '0';
  }
  const bool has_month = mask.find("%mon") != std::string_view::npos && HasMonthWord(text);
  return any_digit && !has_month;
}

}  // namespace

std::string NormaliseMonthNames(std::string_view file_name) {
  std::string name = ReplaceIgnoringCase(file_name, "m\xC3\xA4rz", "march");
  name = ReplaceIgnoringCase(name, "maerz", "march");
  // "mär" is four bytes in UTF-8 and "mar" three: the same three characters.
  name = ReplaceIgnoringCase(name, "m\xC3\xA4r", "mar");
  name = ReplaceIgnoringCase(name, "mai", "may");
  name = ReplaceIgnoringCase(name, "okt", "oct");
  name = ReplaceIgnoringCase(name, "dez", "dec");
  return name;
}

FileNameMatcher::~FileNameMatcher() {
  pcre2_match_data_free(static_cast<pcre2_match_data*>(match_data_));
  pcre2_code_free(static_cast<pcre2_code*>(code_));
}

std::unique_ptr<FileNameMatcher> BuildFileNameMatcher(std::string_view pattern) {
  if (pattern.empty()) return nullptr;
  std::unique_ptr<FileNameMatcher> matcher(new FileNameMatcher());
  matcher->expression_ = BuildExpression(pattern);
  matcher->mask_ = BuildMask(pattern);
  matcher->strict_ = pattern.find("YYMM") != std::string_view::npos ||
                     pattern.find("hhmm") != std::string_view::npos;
  int error_code = 0;
  PCRE2_SIZE error_offset = 0;
  pcre2_code* code =
      pcre2_compile(reinterpret_cast<PCRE2_SPTR>(matcher->expression_.data()),
                    matcher->expression_.size(), 0, &error_code, &error_offset, nullptr);
  if (code == nullptr) return nullptr;
  matcher->code_ = code;
  matcher->match_data_ = pcre2_match_data_create_from_pattern(code, nullptr);
  if (matcher->match_data_ == nullptr) return nullptr;
  return matcher;
}

DateValue FileNameDate(const FileNameMatcher& matcher, std::string_view file_name, int pivot) {
  const std::string name = NormaliseMonthNames(file_name);
  auto* match_data = static_cast<pcre2_match_data*>(matcher.match_data_);
  const int found = pcre2_match(static_cast<const pcre2_code*>(matcher.code_),
                                reinterpret_cast<PCRE2_SPTR>(name.data()), name.size(), 0, 0,
                                match_data, nullptr);
  if (found < 1) return 0;
  const PCRE2_SIZE* range = pcre2_get_ovector_pointer(match_data);
  if (range[1] <= range[0]) return 0;
  const std::string_view text = std::string_view(name).substr(range[0], range[1] - range[0]);
  if (ReadsAsNow(text, matcher.mask_)) return 0;
  if (matcher.strict_) return ParseDate(matcher.mask_, text);
  return ParseDateFlexible(matcher.mask_, text, pivot, false);
}

}  // namespace kalvento
