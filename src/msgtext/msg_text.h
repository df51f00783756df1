#pragma once

// The text kalvento-msgtext writes for a message, and the pieces it is built from.

#include <cstdint>
#include <string>
#include <string_view>

#include "msgtext/msg_reader.h"

namespace kalvento::msgtext {

// 8-bit text in a Windows code page (0: unknown) as UTF-8; ends at the first NUL byte. Unknown
// code pages and bytes the code page does not hold fall back to Windows-1252 / ISO 8859-1.
std::string EightBitToUtf8(std::string_view bytes, int code_page);

// "Date: Sun, 14 Jul 2019 10:12:33 +0200": the instant (FILETIME ticks, UTC) as local time with
// its offset, the form the Date header rule of the e-mail reader accepts. Empty when the time is
// 0 or its local year is outside 1601-9999.
std::string FormatDateLine(int64_t filetime);

// True when a header line is one the e-mail reader takes as its Date header ("date: ", any case).
bool IsDateHeaderLine(std::string_view line);

// The header block (the transport headers when the message has them, their first Date line
// moved to the front, else Date, From, To, Cc and Subject lines; a Date line is added in front
// of transport headers that hold none), an empty line and the plain body. Lines end with LF.
std::string BuildMessageText(const MsgMessage& message);

// A name that is safe as a file name in the attachment folder: no "/", "\", control characters
// or "..", no leading dot or blank, at most kMaxFileNameBytes bytes (whole UTF-8 characters, the
// extension kept). Empty when nothing is left.
inline constexpr size_t kMaxFileNameBytes = 200;
std::string SafeFileName(std::string_view name);
// The safe name of attachment `index` (0-based): its long file name, else its file name, else
// its display name, else "attachment-<index + 1>".
std::string AttachmentFileName(const MsgAttachment& attachment, size_t index);
// The n-th choice for a name that is taken: n = 1 gives the name, n = 2 "name (2).ext", ...
std::string NumberedName(std::string_view name, int n);

}  // namespace kalvento::msgtext
