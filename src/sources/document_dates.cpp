#include "sources/document_dates.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <memory>
#include <optional>

#include "platform/files.h"
#include "platform/process.h"
#include "sources/ole_properties.h"
#include "sources/xml_document.h"
#include "sources/zip_member.h"
#include "texts/text_util.h"

namespace kalvento {
namespace {

constexpr std::string_view kCreationLabel = "CreationDate:";
constexpr std::string_view kModLabel = "ModDate:";
constexpr std::string_view kMonthList = "--,Jan,Feb,Mar,Apr,May,Jun,Jul,Aug,Sep,Oct,Nov,Dec";
constexpr size_t kPdfTailSize = 10000;

constexpr auto kOfficeOpenXmlTokens = std::to_array<std::string_view>(
    {"/docx/", "/docm/", "/docb/", "/dotx/", "/dotm/", "/xlsx/", "/xlsm/", "/xlsb/", "/xltx/",
     "/xltm/", "/pptx/", "/pptm/", "/potx/", "/potm/"});
constexpr auto kLegacyOfficeTokens = std::to_array<std::string_view>({"/doc/", "/xls/", "/ppt/"});

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool AllDigits(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), IsDigit);
}

// ParseDate for masks that start with the four-digit year; 0 instead of -1, and 0 for a year
// field that reads 0 (which would otherwise give a bare time of day on the first day of 1601).
DateValue YearFirstDate(std::string_view mask, std::string_view text) {
  if (DecimalValue(text.substr(0, std::min<size_t>(4, text.size()))) == 0) return 0;
  const DateValue value = ParseDate(mask, text);
  return value > 0 ? value : 0;
}

// pdfinfo with LC_ALL=C: "Sun Jul 14 10:12:33 2019", a one-digit day padded with a blank,
// maybe followed by the zone. `date` starts at the weekday.
DateValue PdfInfoDateText(std::string_view date) {
  if (date.size() < 24) return 0;
  // Counted from 1, "Jan" stands at 4 and "Dec" at 48; only whole names count ("an," is none).
  const size_t found = kMonthList.find(date.substr(4, 3));
  if (found == std::string_view::npos || (found + 1) % 4 != 0) return 0;
  const int month = static_cast<int>((found + 1) / 4);
  std::string day;
  for (char c : date.substr(8, 2)) {
    if (c != ' ') day += c;
  }
  const std::string_view time = date.substr(11, 8);
  const std::string_view year = date.substr(20, 4);
  if (!AllDigits(day) || !AllDigits(year) || !AllDigits(time.substr(0, 2)) || time[2] != ':' ||
      !AllDigits(time.substr(3, 2)) || time[5] != ':' || !AllDigits(time.substr(6, 2))) {
    return 0;
  }
  const std::string text = std::string(year) + "." + TwoDigits(month) + "." +
                           (day.size() == 1 ? "0" + day : day) + " " + std::string(time);
  return YearFirstDate("%yyyy.%mm.%dd %hh:%ii:%ss", text);
}

// A PDF date as written: "D:" (optional) and at least the year, missing parts the first of
// January at midnight; whatever follows the 14 digits (the zone) is ignored.
DateValue PdfRawDate(std::string_view value) {
  if (value.starts_with("D:")) value.remove_prefix(2);
  size_t digits = 0;
  while (digits < 14 && digits < value.size() && IsDigit(value[digits])) ++digits;
  if (digits < 4 || digits % 2 != 0) return 0;
  constexpr std::string_view kStartOfYear = "00000101000000";
  const std::string text = std::string(value.substr(0, digits)) + std::string(kStartOfYear.substr(digits));
  return YearFirstDate("%yyyy%mm%dd%hh%ii%ss", text);
}

// A path pdfinfo cannot take for an option.
std::string ArgumentPath(const std::string& path) {
  return path.starts_with("-") ? "./" + path : path;
}

void ReadWithPdfInfo(const std::string& path, const std::string& pdfinfo, DocumentDates& dates) {
  platform::ProcessOptions options;
  // Without -rawdates Poppler turns the dates into this machine's zone and takes a date without
  // a zone for UTC.
  options.argv = {pdfinfo, "-rawdates", ArgumentPath(path)};
  options.pipe_output = true;
  options.discard_errors = true;
  options.environment = {{"LC_ALL", "C"}};  // English weekday and month names, fixed layout
  std::unique_ptr<platform::ChildProcess> child = platform::ChildProcess::Start(options);
  if (!child) return;

  using Clock = std::chrono::steady_clock;
  const Clock::time_point started = Clock::now();
  Clock::time_point last_line = started;
  std::string line;
  while (true) {
    // Silence ends the wait; so does a tool that never stops talking.
    const Clock::time_point end = std::min(last_line + std::chrono::seconds(kPdfInfoSilenceSeconds),
                                           started + std::chrono::seconds(kPdfInfoMostSeconds));
    const Clock::time_point now = Clock::now();
    if (now >= end) break;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(end - now);
    const platform::ReadResult result = child->ReadLine(line, left);
    if (result == platform::ReadResult::kEnd) break;
    if (result == platform::ReadResult::kTimeout) continue;
    if (line.starts_with(kCreationLabel)) {
      dates.created = PdfInfoLineDate(line);
    } else if (line.starts_with(kModLabel)) {
      dates.modified = PdfInfoLineDate(line);
    }
    last_line = Clock::now();
  }
  child->Terminate();
}

// The date written behind `key` ("/CreationDate(") in a PDF tail: "D:yyyymmddhhmmss..." or the
// bare digits when a "-" zone follows them. Searched up to `last_start` only; a match at the very
// start of the tail counts as none.
DateValue PdfTailEntry(std::string_view tail, std::string_view key, size_t last_start) {
  if (tail.size() < last_start) return 0;
  const size_t at = tail.find(key);
  if (at == std::string_view::npos || at == 0 || at > tail.size() - last_start) return 0;
  const size_t value = at + key.size();
  std::string_view digits;
  if (tail[value] == 'D') {
    digits = tail.substr(value + 2, 14);
  } else if (tail[value + 14] == '-') {
    digits = tail.substr(value, 14);
  }
  if (digits.empty()) return 0;
  return YearFirstDate("%yyyy%mm%dd%hh%ii%ss", digits);
}

DocumentDates OfficeOpenXmlDates(const std::string& path) {
  const std::optional<std::string> block = ReadZipMember(path, "docProps\\core.xml");
  if (!block || block->empty()) return {};
  return CorePropertiesDates(*block);
}

DocumentDates OpenDocumentDates(const std::string& path) {
  const std::optional<std::string> block = ReadZipMember(path, "meta.xml");
  if (!block || block->empty()) return {};
  return OpenDocumentMetaDates(*block);
}

template <size_t N>
bool OneOf(const std::array<std::string_view, N>& tokens, std::string_view token) {
  return std::find(tokens.begin(), tokens.end(), token) != tokens.end();
}

}  // namespace

DateValue PdfInfoLineDate(std::string_view line) {
  size_t label = 0;
  if (line.starts_with(kCreationLabel)) {
    label = kCreationLabel.size();
  } else if (line.starts_with(kModLabel)) {
    label = kModLabel.size();
  } else {
    return 0;
  }
  // pdfinfo pads its labels to a column of its own choosing (Poppler one wider than Xpdf): the
  // date starts at the first character that is not a blank.
  const size_t start = line.find_first_not_of(' ', label);
  if (start == std::string_view::npos) return 0;
  const std::string_view date = line.substr(start);
  if (date.starts_with("D:") || IsDigit(date.front())) return PdfRawDate(date);
  return PdfInfoDateText(date);
}

DocumentDates PdfTailDates(std::string_view tail) {
  DocumentDates dates;
  // An entry is looked for only where its key, "D:" and the 14 digits fit with a few bytes more.
  dates.created = PdfTailEntry(tail, "/CreationDate(", 38);
  dates.modified = PdfTailEntry(tail, "/ModDate(", 33);
  return dates;
}

DocumentDates ReadPdfInfoDates(const std::string& path, const std::string& pdfinfo) {
  DocumentDates dates;
  if (!pdfinfo.empty()) ReadWithPdfInfo(path, pdfinfo, dates);
  if (dates.created != 0) return dates;
  if (platform::FileSize(path) <= 0) return dates;
  const std::string tail = platform::ReadFileTail(path, kPdfTailSize);
  if (tail.empty()) return dates;
  const DocumentDates scanned = PdfTailDates(tail);
  dates.created = scanned.created;
  // A date pdfinfo read stays unless the scan finds one.
  if (scanned.modified > 0) dates.modified = scanned.modified;
  return dates;
}

DocumentDates CorePropertiesDates(std::string_view xml) {
  DocumentDates dates;
  const std::optional<XmlElement> root = ParseXml(xml);
  if (!root) return dates;
  constexpr std::string_view kMask = "%yyyy-%mm-%ddT%hh:%ii:%ssZ";
  for (const XmlElement& child : root->children) {
    const std::string_view text = child.Text().substr(0, 20);
    if (child.name == "dcterms:created") {
      dates.created = YearFirstDate(kMask, text);
    } else if (child.name == "dcterms:modified") {
      dates.modified = YearFirstDate(kMask, text);
    }
  }
  // The member stores UTC ("Z").
  if (dates.created > 0) dates.created = std::max<DateValue>(ToLocalFromUtc(dates.created), 0);
  if (dates.modified > 0) dates.modified = std::max<DateValue>(ToLocalFromUtc(dates.modified), 0);
  return dates;
}

DocumentDates OpenDocumentMetaDates(std::string_view xml) {
  DocumentDates dates;
  const std::optional<XmlElement> root = ParseXml(xml);
  if (!root) return dates;
  const XmlElement* meta = root->Child("office:meta");
  if (meta == nullptr) return dates;
  constexpr std::string_view kMask = "%yyyy-%mm-%ddT%hh:%ii:%ss";
  for (const XmlElement& child : meta->children) {
    const std::string_view text = child.Text().substr(0, 19);
    if (child.name == "meta:creation-date") {
      dates.created = YearFirstDate(kMask, text);
    } else if (child.name == "dc:date") {
      dates.modified = YearFirstDate(kMask, text);
    }
  }
  return dates;
}

DocumentDates ReadDocumentDates(const std::string& path, ReaderContext& context) {
  const std::string token = LowerExtensionToken(path);
  if (!IsDocumentExtension(token)) return {};
  if (token == "/pdf/") return ReadPdfInfoDates(path, context.pdfinfo);
  if (OneOf(kOfficeOpenXmlTokens, token)) return OfficeOpenXmlDates(path);
  if (OneOf(kLegacyOfficeTokens, token)) return ReadLegacyOfficeDates(path);
  if (token.starts_with("/od")) return OpenDocumentDates(path);
  return {};  // e-mail and acquisition files are read elsewhere
}

}  // namespace kalvento
