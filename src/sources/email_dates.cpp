#include "sources/email_dates.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/files.h"
#include "platform/folders.h"
#include "platform/process.h"
#include "texts/text_util.h"

namespace kalvento {
namespace {

constexpr std::string_view kDateMask = "%yyyy-%mm-%dd %hh:%ii:%ss";
constexpr std::string_view kAcquisitionKey = "ACQUISITION_DATE ";
constexpr std::string_view kCompoundSignature = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The number formed by the leading digits (0 when there are none); saturates far above any field
// that can pass the test.
int64_t LeadingDigits(std::string_view text) {
  int64_t value = 0;
  for (const char c : text) {
    if (!IsDigit(c)) break;
    value = std::min<int64_t>(value * 10 + (c - '0'), 1000000000);
  }
  return value;
}

// Field `n` (1-based) of `text` split at single blanks; empty when there are fewer fields.
std::string_view BlankField(std::string_view text, int n) {
  size_t start = 0;
  for (int field = 1; field < n; ++field) {
    const size_t blank = text.find(' ', start);
    if (blank == std::string_view::npos) return {};
    start = blank + 1;
  }
  const size_t end = text.find(' ', start);
  return text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
}

// The header test and the text built from fields already read as numbers.
std::string BuildEmailDate(int64_t day, int month, int64_t year, std::string_view time) {
  if (year < 1601 || year > 9999 || month < 1 || month > 12 || day < 1 || day > 31) return {};
  if (std::count(time.begin(), time.end(), ':') != 2) return {};
  char head[16];
  std::snprintf(head, sizeof head, "%04d-%02d-%02d ", static_cast<int>(year), month,
                static_cast<int>(day));
  return head + std::string(time);
}

constexpr std::string_view kScratchText = "tempmsg-";
constexpr std::string_view kScratchFolder = "tempmsgdata-";

std::string ProcessTag() { return std::to_string(static_cast<long long>(getpid())); }

// The process id in a scratch name of ours ("tempmsg-123.txt", "tempmsgdata-123"); 0 for other
// names.
int ScratchOwner(std::string_view name, bool is_folder) {
  std::string_view digits;
  if (is_folder && name.starts_with(kScratchFolder)) {
    digits = name.substr(kScratchFolder.size());
  } else if (!is_folder && name.starts_with(kScratchText) && name.ends_with(".txt")) {
    digits = name.substr(kScratchText.size(), name.size() - kScratchText.size() - 4);
  }
  if (digits.empty() || digits.size() > 9) return 0;
  for (const char c : digits) {
    if (!IsDigit(c)) return 0;
  }
  return std::atoi(std::string(digits).c_str());
}

// The first Date header of a text file, read as the message readers do.
std::string DateFromTextFile(const std::string& path) {
  const std::string text = platform::ReadFileHead(path, kEmailTextReadLimit);
  return DateFromMessageText(text, text.size() >= kEmailTextReadLimit);
}

// Converts a compound-file .msg with our converter and reads the Date line of its text.
std::string ConvertedMsgDate(const std::string& path, const ReaderContext& context,
                             int timeout_ms) {
  // The message's text and attachments are written there: never into a folder others can read
  // into or plant files in.
  if (context.msgtext.empty() || !platform::IsPrivateFolder(context.temp_folder)) return {};
  // Scratch names of this process only, so two runs never share them.
  const std::string tag = ProcessTag();
  const std::string text_file = context.temp_folder + std::string(kScratchText) + tag + ".txt";
  const std::string data_folder = context.temp_folder + std::string(kScratchFolder) + tag;
  // Leftovers of an earlier call that did not finish must not be read as this file's text.
  platform::RemoveFile(text_file);
  platform::RemoveFolderTree(data_folder);

  platform::ProcessOptions options;
  options.argv = {context.msgtext, "/d", path, text_file, data_folder};
  options.working_folder = context.temp_folder;
  options.discard_errors = true;
  if (auto child = platform::ChildProcess::Start(options)) {
    // A converter that hangs is ended after a generous time so the run goes on.
    if (child->Wait(std::chrono::milliseconds(timeout_ms)) == -1) child->Terminate();
  }

  // The attachments are not used. Neither deletion follows a symbolic link.
  platform::RemoveFolderTree(data_folder);
  std::string date = DateFromTextFile(text_file);
  platform::RemoveFile(text_file);
  return date;
}

}  // namespace

void RemoveStaleMsgScratch(const std::string& temp_folder) {
  if (!platform::IsPrivateFolder(temp_folder)) return;
  const auto entries = platform::ListFolder(temp_folder);
  if (!entries) return;
  for (const platform::FolderEntry& entry : *entries) {
    const int owner = ScratchOwner(entry.name, entry.is_folder);
    // A conversion of a program that is still running is left alone.
    if (owner <= 0 || !platform::ProcessIdentity(owner).empty()) continue;
    if (entry.is_folder) {
      platform::RemoveFolderTree(temp_folder + entry.name);
    } else {
      platform::RemoveFile(temp_folder + entry.name);
    }
  }
}

std::string EmailDateFromFields(std::string_view day, std::string_view month,
                                std::string_view year, std::string_view time) {
  return BuildEmailDate(LeadingDigits(day), MonthFromName(month), LeadingDigits(year), time);
}

std::optional<std::string> EvaluateDateHeader(std::string_view line) {
  if (line.size() < 6 || !EqualsIgnoringAsciiCase(line.substr(0, 6), "date: ")) {
    return std::nullopt;
  }
  std::string text(line);
  // No weekday before the day: line the fields up as if there were one.
  if (text.size() < 10 || text[9] != ',') text.insert(6, "xxx, ");
  const std::string_view fields(text);
  const std::string_view time = BlankField(fields, 6).substr(0, 8);
  return EmailDateFromFields(BlankField(fields, 3), BlankField(fields, 4), BlankField(fields, 5),
                             time);
}

std::string DateFromMessageText(std::string_view text, bool truncated) {
  int other_lines = 0;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) {
      if (truncated) break;
      end = text.size();
    }
    const std::string_view line = text.substr(pos, end - pos);
    if (std::optional<std::string> date = EvaluateDateHeader(line)) return *date;
    if (++other_lines >= kEmailLineLimit) break;
    pos = end;
    if (pos < text.size()) {
      pos += (text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n') ? 2 : 1;
    }
  }
  return {};
}

std::string DateFromUtf16Bytes(std::string_view bytes) {
  constexpr std::string_view kPattern = "date: ";
  constexpr size_t kTaken = 31;  // UTF-16 characters taken from "Date: " on
  const size_t n = bytes.size();
  if (n < 12) return {};
  for (size_t i = 0; i + 12 <= n; ++i) {
    bool match = true;
    for (size_t k = 0; k < kPattern.size() && match; ++k) {
      match = bytes[i + 2 * k + 1] == '\0' && LowerAscii(bytes[i + 2 * k]) == kPattern[k];
    }
    if (!match) continue;
    std::string text;
    for (size_t k = 0; k < kTaken && i + 2 * k + 1 < n; ++k) {
      const unsigned unit = static_cast<unsigned char>(bytes[i + 2 * k]) |
                            static_cast<unsigned char>(bytes[i + 2 * k + 1]) << 8;
      // Only ASCII can take part in the test; anything else stands as "?".
      text.push_back(unit < 0x80 ? static_cast<char>(unit) : '?');
    }
    const std::string_view fields(text);
    return EmailDateFromFields(BlankField(fields, 3), BlankField(fields, 4), BlankField(fields, 5),
                               BlankField(fields, 6));
  }
  return {};
}

std::string DateFromAcquisitionRecord(std::string_view record) {
  if (record.size() < kAcquisitionRecordSize ||
      !EqualsIgnoringAsciiCase(record.substr(0, kAcquisitionKey.size()), kAcquisitionKey)) {
    return {};
  }
  return BuildEmailDate(DecimalValue(record.substr(17, 2)), MonthFromName(record.substr(20, 3)),
                        DecimalValue(record.substr(24, 4)), record.substr(48, 8));
}

std::string DateFromDatBytes(std::string_view bytes) {
  if (static_cast<long long>(bytes.size()) <= kAcquisitionMinimumSize) return {};
  return DateFromAcquisitionRecord(bytes.substr(kAcquisitionOffset, kAcquisitionRecordSize));
}

bool HasCompoundFileSignature(std::string_view bytes) {
  return bytes.starts_with(kCompoundSignature);
}

std::string ReadEmlDate(const std::string& path) {
  if (platform::FileSize(path) <= 0) return {};
  return DateFromTextFile(path);
}

std::string ReadMsgDate(const std::string& path, const ReaderContext& context, int timeout_ms) {
  if (platform::FileSize(path) <= 0) return {};
  const std::string head = platform::ReadFileHead(path, kMsgScanBytes);
  if (HasCompoundFileSignature(head)) return ConvertedMsgDate(path, context, timeout_ms);
  return DateFromUtf16Bytes(head);
}

std::string ReadAcquisitionDate(const std::string& path) {
  if (platform::FileSize(path) <= kAcquisitionMinimumSize) return {};
  const std::string head =
      platform::ReadFileHead(path, kAcquisitionOffset + kAcquisitionRecordSize);
  if (head.size() < kAcquisitionOffset + kAcquisitionRecordSize) return {};
  return DateFromAcquisitionRecord(std::string_view(head).substr(kAcquisitionOffset));
}

DateValue EmailDateValue(std::string_view text) {
  if (text.empty()) return 0;
  const DateValue value = ParseDate(kDateMask, text);
  return value > 0 ? value : 0;
}

DocumentDates ReadEmailDates(const std::string& path, ReaderContext& context) {
  DocumentDates dates;
  const std::string token = LowerExtensionToken(path);
  std::string text;
  if (token == "/eml/") {
    text = ReadEmlDate(path);
  } else if (token == "/msg/") {
    text = ReadMsgDate(path, context);
  } else if (token == "/dat/") {
    text = ReadAcquisitionDate(path);
  }
  dates.created = EmailDateValue(text);
  return dates;
}

}  // namespace kalvento
