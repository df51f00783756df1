#include "export/xml_text.h"

#include <cstdint>

namespace kalvento {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

// Length of the valid UTF-8 sequence at `pos` and its code point; 0 when none starts there.
size_t DecodeAt(std::string_view text, size_t pos, uint32_t& code_point) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(pos);
  size_t length = 0;
  uint32_t min = 0;
  if ((lead & 0xE0) == 0xC0) {
    length = 2, min = 0x80, code_point = lead & 0x1Fu;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, min = 0x800, code_point = lead & 0x0Fu;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, min = 0x10000, code_point = lead & 0x07u;
  } else {
    return 0;
  }
  if (pos + length > text.size()) return 0;
  for (size_t i = 1; i < length; ++i) {
    if ((byte(pos + i) & 0xC0) != 0x80) return 0;
    code_point = (code_point << 6) | (byte(pos + i) & 0x3Fu);
  }
  if (code_point < min || code_point > 0x10FFFF || (code_point >= 0xD800 && code_point <= 0xDFFF)) {
    return 0;
  }
  return length;
}

}  // namespace

void AppendXmlText(std::string& out, std::string_view text) {
  size_t plain_from = 0;
  const auto flush = [&](size_t pos) { out.append(text.substr(plain_from, pos - plain_from)); };
  for (size_t pos = 0; pos < text.size();) {
    const unsigned char byte = static_cast<unsigned char>(text[pos]);
    if (byte >= 0x20 && byte < 0x80) {
      const char* entity = byte == '&' ? "&amp;" : byte == '<' ? "&lt;" : byte == '>' ? "&gt;" : nullptr;
      if (entity != nullptr) {
        flush(pos);
        out.append(entity);
        plain_from = pos + 1;
      }
      ++pos;
      continue;
    }
    uint32_t code_point = 0;
    const size_t length = byte < 0x20 ? 0 : DecodeAt(text, pos, code_point);
    if (length == 0 || code_point == 0xFFFE || code_point == 0xFFFF) {
      flush(pos);
      out.append(kReplacement);
      pos += length == 0 ? 1 : length;
      plain_from = pos;
    } else {
      pos += length;
    }
  }
  flush(text.size());
}

}  // namespace kalvento
