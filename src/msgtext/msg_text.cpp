#include "msgtext/msg_text.h"

#include <glib.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/calendar_time.h"
#include "texts/text_util.h"

namespace kalvento::msgtext {
namespace {

constexpr int64_t kTicksPerSecond = 10000000;
constexpr int64_t kUnixEpochInFileTime = 11644473600;  // seconds from 1601 to 1970


// The iconv name of a Windows code page; empty for none.
std::string CharsetOf(int code_page) {
  switch (code_page) {
    case 20127: return "ASCII";
    case 20866: return "KOI8-R";
    case 21866: return "KOI8-U";
    case 10000: return "MACINTOSH";
    case 50220: case 50221: case 50222: return "ISO-2022-JP";
    case 51932: return "EUC-JP";
    case 51949: return "EUC-KR";
    case 936: return "GBK";
    case 950: return "BIG5";
    case 54936: return "GB18030";
    default: break;
  }
  if (code_page >= 28591 && code_page <= 28606) {
    return "ISO-8859-" + std::to_string(code_page - 28590);
  }
  // Windows and OEM code pages (874, 932, 1250-1258, 437, 850, 866, ...) by their iconv names; a
  // name iconv does not know fails the conversion, and the fallback takes over.
  return code_page > 0 && code_page < 65536 ? "CP" + std::to_string(code_page) : "";
}

// The bytes converted with iconv (through GLib); empty optional when they do not convert whole.
std::optional<std::string> Convert(std::string_view bytes, const std::string& charset) {
  if (charset.empty()) return std::nullopt;
  gsize written = 0;
  gchar* converted = g_convert(bytes.data(), static_cast<gssize>(bytes.size()), "UTF-8",
                               charset.c_str(), nullptr, &written, nullptr);
  if (converted == nullptr) return std::nullopt;
  std::string result(converted, written);
  g_free(converted);
  return result;
}

// A header field value on one line: control characters become blanks, blanks off both ends.
std::string HeaderValue(std::string_view value) {
  std::string out;
  out.reserve(value.size());
  for (const char c : value) {
    const unsigned char u = static_cast<unsigned char>(c);
    out.push_back(u < 0x20 || u == 0x7F ? ' ' : c);
  }
  return std::string(TrimBlanks(out));
}

// CR LF and lone CR as LF.
std::string NormaliseLineEnds(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      out.push_back('\n');
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

std::string Mailbox(std::string_view name, std::string_view address) {
  const std::string n = HeaderValue(name);
  const std::string a = HeaderValue(address);
  if (n.empty()) return a;
  if (a.empty() || EqualsIgnoringAsciiCase(n, a)) return n;
  return n + " <" + a + ">";
}

std::string RecipientList(const MsgMessage& message, int type) {
  std::string list;
  for (const MsgRecipient& recipient : message.recipients) {
    if (recipient.type != type) continue;
    const std::string box = Mailbox(recipient.name, recipient.address);
    if (box.empty()) continue;
    if (!list.empty()) list += "; ";
    list += box;
  }
  return list;
}

std::string MessageDateLine(const MsgMessage& message) {
  std::string line = FormatDateLine(message.submit_time);
  if (line.empty()) line = FormatDateLine(message.delivery_time);
  return line;
}

bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// The first `max_bytes` bytes of a UTF-8 text, not splitting a character.
std::string_view CutUtf8(std::string_view text, size_t max_bytes) {
  if (text.size() <= max_bytes) return text;
  size_t end = max_bytes;
  while (end > 0 && IsContinuationByte(text[end])) --end;
  return text.substr(0, end);
}

std::string TrimNameEnds(std::string_view name, bool leading) {
  size_t begin = 0;
  size_t end = name.size();
  if (leading) {
    while (begin < end && (name[begin] == '.' || name[begin] == ' ')) ++begin;
  }
  while (end > begin && (name[end - 1] == '.' || name[end - 1] == ' ')) --end;
  return std::string(name.substr(begin, end - begin));
}

}  // namespace

std::string EightBitToUtf8(std::string_view bytes, int code_page) {
  bytes = bytes.substr(0, bytes.find('\0'));
  if (IsAscii(bytes)) return std::string(bytes);
  if (code_page == 65001 || (code_page == 0 && IsValidUtf8(bytes))) {
    if (IsValidUtf8(bytes)) return std::string(bytes);
  } else if (std::optional<std::string> converted = Convert(bytes, CharsetOf(code_page))) {
    return *converted;
  }
  if (std::optional<std::string> converted = Convert(bytes, "CP1252")) return *converted;
  return Latin1ToUtf8(bytes);
}

std::string FormatDateLine(int64_t filetime) {
  if (filetime <= 0) return {};
  const int64_t unix_seconds = filetime / kTicksPerSecond - kUnixEpochInFileTime;
  const std::optional<platform::CalendarTime> utc = platform::UtcFromInstant({unix_seconds, 0});
  if (!utc) return {};
  const std::optional<platform::CalendarTime> local = platform::UtcToLocal(*utc);
  if (!local || local->year < 1601 || local->year > 9999) return {};
  // The local wall clock read as if it were UTC: its distance from the instant is the offset.
  const std::optional<platform::FileInstant> wall = platform::InstantFromUtc(*local);
  if (!wall) return {};
  const int64_t offset_minutes = (wall->seconds - unix_seconds) / 60;
  int64_t days = wall->seconds / 86400;
  if (wall->seconds % 86400 < 0) --days;
  const int weekday = static_cast<int>(((days % 7) + 7 + 4) % 7);  // 1970-01-01 was a Thursday
  static constexpr const char* kDays[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static constexpr const char* kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const int64_t magnitude = offset_minutes < 0 ? -offset_minutes : offset_minutes;
  char line[64];
  std::snprintf(line, sizeof line, "Date: %s, %02d %s %04d %02d:%02d:%02d %c%02d%02d",
                kDays[weekday], local->day, kMonths[local->month - 1], local->year, local->hour,
                local->minute, local->second, offset_minutes < 0 ? '-' : '+',
                static_cast<int>(magnitude / 60), static_cast<int>(magnitude % 60));
  return line;
}

bool IsDateHeaderLine(std::string_view line) {
  return line.size() >= 6 && EqualsIgnoringAsciiCase(line.substr(0, 6), "date: ");
}

namespace {

// Calls `take` for every line of `text` that is not blank (an empty line would end the header
// block early), without holding the lines apart.
template <typename Take>
void ForEachHeaderLine(std::string_view text, Take take) {
  while (!text.empty()) {
    const size_t feed = text.find('\n');
    const std::string_view line = text.substr(0, feed);
    if (!TrimBlanks(line).empty()) take(line);
    text = feed == std::string_view::npos ? std::string_view{} : text.substr(feed + 1);
  }
}

// The first Date header of the transport headers, unfolded (its continuation lines joined) and
// with runs of blanks made one, as the reader's rule wants single blanks between the fields;
// `end` is where the header's last line ends. Empty when there is none.
std::string DateHeaderOf(std::string_view headers, size_t& begin, size_t& end) {
  size_t pos = 0;
  while (pos < headers.size()) {
    const size_t feed = headers.find('\n', pos);
    const size_t line_end = feed == std::string_view::npos ? headers.size() : feed;
    if (IsDateHeaderLine(headers.substr(pos, line_end - pos))) {
      begin = pos;
      end = line_end;
      while (end + 1 < headers.size() && (headers[end + 1] == ' ' || headers[end + 1] == '\t')) {
        const size_t next = headers.find('\n', end + 1);
        end = next == std::string_view::npos ? headers.size() : next;
      }
      std::string line;
      for (const char c : headers.substr(begin, end - begin)) {
        const char blank = c == '\n' || c == '\t' ? ' ' : c;
        if (blank == ' ' && !line.empty() && line.back() == ' ') continue;
        line.push_back(blank);
      }
      return std::string(TrimBlanks(line));
    }
    pos = line_end + 1;
  }
  return {};
}

// The transport headers with their first Date header in front (a reader looks for it only in
// the first lines, and long Received chains push it far down), or one made from the message's
// times when they hold none; empty when there are no header lines.
std::string TransportHeaderBlock(const MsgMessage& message) {
  const std::string headers = NormaliseLineEnds(message.transport_headers);
  bool any = false;
  ForEachHeaderLine(headers, [&](std::string_view) { any = true; });
  if (!any) return {};
  size_t date_begin = std::string::npos;
  size_t date_end = std::string::npos;
  std::string date = DateHeaderOf(headers, date_begin, date_end);
  if (date.empty()) date = MessageDateLine(message);
  std::string block;
  block.reserve(headers.size() + 64);
  if (!date.empty()) block.append(date).append("\n");
  const std::string_view all(headers);
  ForEachHeaderLine(all, [&](std::string_view line) {
    const size_t at = static_cast<size_t>(line.data() - all.data());
    if (at >= date_begin && at < date_end) return;  // moved to the front
    block.append(line).append("\n");
  });
  return block;
}

}  // namespace

std::string BuildMessageText(const MsgMessage& message) {
  std::string text = TransportHeaderBlock(message);
  if (text.empty()) {
    std::vector<std::string> header;
    const std::string date = MessageDateLine(message);
    if (!date.empty()) header.push_back(date);
    header.push_back("From: " + Mailbox(message.sender_name, message.sender_address));
    std::string to = HeaderValue(message.display_to);
    if (to.empty()) to = RecipientList(message, 1);
    header.push_back("To: " + to);
    std::string cc = HeaderValue(message.display_cc);
    if (cc.empty()) cc = RecipientList(message, 2);
    if (!cc.empty()) header.push_back("Cc: " + cc);
    header.push_back("Subject: " + HeaderValue(message.subject));
    for (const std::string& line : header) text += line + "\n";
  }
  text += "\n";
  std::string body = NormaliseLineEnds(message.body);
  if (!body.empty() && body.back() != '\n') body.push_back('\n');
  return text + body;
}

std::string SafeFileName(std::string_view name) {
  std::string out;
  out.reserve(name.size());
  size_t pos = 0;
  while (pos < name.size()) {
    uint32_t cp = 0;
    const size_t length = DecodeUtf8At(name, pos, cp);
    if (length == 0) {  // not UTF-8
      out.push_back('_');
      ++pos;
      continue;
    }
    const bool control = cp < 0x20 || cp == 0x7F || (cp >= 0x80 && cp < 0xA0);
    const bool separator = cp == '/' || cp == '\\';
    // Characters Windows file systems refuse (the folder may be on an SMB share).
    const bool reserved = cp == ':' || cp == '*' || cp == '?' || cp == '"' || cp == '<' ||
                          cp == '>' || cp == '|';
    if (control || separator || reserved) {
      out.push_back('_');
    } else if (cp == '.' && !out.empty() && out.back() == '.') {
      // No "..": a run of dots is one dot.
    } else {
      out.append(name.substr(pos, length));
    }
    pos += length;
  }
  out = TrimNameEnds(out, true);
  if (out.size() > kMaxFileNameBytes) {
    const size_t dot = out.rfind('.');
    std::string extension;
    if (dot != std::string::npos && out.size() - dot <= 20) extension = out.substr(dot);
    const std::string stem =
        TrimNameEnds(CutUtf8(out, kMaxFileNameBytes - extension.size()), false);
    out = stem.empty() ? std::string() : stem + extension;
  }
  return out;
}

std::string AttachmentFileName(const MsgAttachment& attachment, size_t index) {
  for (const std::string* candidate :
       {&attachment.long_file_name, &attachment.file_name, &attachment.display_name}) {
    std::string_view name = *candidate;
    // A name with a folder part (some writers store a path): its last part.
    const size_t separator = name.find_last_of("/\\");
    if (separator != std::string_view::npos) name = name.substr(separator + 1);
    std::string safe = SafeFileName(name);
    if (!safe.empty()) return safe;
  }
  return "attachment-" + std::to_string(index + 1);
}

std::string NumberedName(std::string_view name, int n) {
  if (n <= 1) return std::string(name);
  const size_t dot = name.rfind('.');
  const size_t split = dot == std::string_view::npos || dot == 0 ? name.size() : dot;
  return std::string(name.substr(0, split)) + " (" + std::to_string(n) + ")" +
         std::string(name.substr(split));
}

}  // namespace kalvento::msgtext
