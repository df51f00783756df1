#include "export/xml_text.h"

#include <cstdint>

#include "texts/text_util.h"

namespace kalvento {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

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
    const size_t length = byte < 0x20 ? 0 : DecodeUtf8At(text, pos, code_point);
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
