#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kalvento {

// Blanks and tabs off both ends.
std::string_view TrimBlanks(std::string_view text);
std::string AsciiLower(std::string_view text);
bool IsAscii(std::string_view text);
// A number of at most two digits with a leading zero ("7" -> "07").
std::string TwoDigits(int64_t number);
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);
// Every piece between `separator`s, empty ones included ("a;;b;" -> a, "", b, "").
std::vector<std::string_view> SplitText(std::string_view text, char separator);
// Bytes read as ISO 8859-1, as UTF-8.
std::string Latin1ToUtf8(std::string_view bytes);
// Appends one code point as UTF-8; a surrogate or a value beyond U+10FFFF becomes U+FFFD.
void AppendUtf8(std::string& out, uint32_t code_point);
// UTF-16LE as UTF-8; ends at the first NUL character; an odd last byte is dropped; an unpaired
// surrogate becomes U+FFFD.
std::string Utf16LeToUtf8(std::string_view bytes);
// Number of Unicode code points; a byte that starts no valid sequence counts as one.
size_t CodePointCount(std::string_view text);
bool IsValidUtf8(std::string_view text);
// Length of the valid UTF-8 sequence at `pos` (pos < size) and its code point; 0 when none
// starts there.
size_t DecodeUtf8At(std::string_view text, size_t pos, uint32_t& code_point);
std::string ReplaceAll(std::string text, std::string_view from, std::string_view to);

}  // namespace kalvento
