#include "texts/text_util.h"

#include <cstdint>

namespace kalvento {

std::string_view TrimBlanks(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

std::string AsciiLower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && AsciiLower(a) == AsciiLower(b);
}

std::vector<std::string_view> SplitText(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  while (true) {
    const size_t end = text.find(separator, start);
    if (end == std::string_view::npos) {
      parts.push_back(text.substr(start));
      return parts;
    }
    parts.push_back(text.substr(start, end - start));
    start = end + 1;
  }
}

bool IsAscii(std::string_view text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

std::string TwoDigits(int64_t number) {
  std::string text = std::to_string(number);
  if (text.size() < 2) text.insert(0, 2 - text.size(), '0');
  return text;
}

std::string Latin1ToUtf8(std::string_view bytes) {
  std::string utf8;
  utf8.reserve(bytes.size());
  for (unsigned char c : bytes) AppendUtf8(utf8, c);
  return utf8;
}

void AppendUtf8(std::string& out, uint32_t code_point) {
  if ((code_point >= 0xD800 && code_point <= 0xDFFF) || code_point > 0x10FFFF) code_point = 0xFFFD;
  if (code_point < 0x80) {
    out += static_cast<char>(code_point);
  } else if (code_point < 0x800) {
    out += static_cast<char>(0xC0 | (code_point >> 6));
    out += static_cast<char>(0x80 | (code_point & 0x3F));
  } else if (code_point < 0x10000) {
    out += static_cast<char>(0xE0 | (code_point >> 12));
    out += static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code_point & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code_point >> 18));
    out += static_cast<char>(0x80 | ((code_point >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code_point & 0x3F));
  }
}

std::string Utf16LeToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() / 2);
  const size_t units = bytes.size() / 2;
  const auto unit_at = [&](size_t i) {
    return static_cast<uint32_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                 static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
  };
  for (size_t i = 0; i < units; ++i) {
    uint32_t unit = unit_at(i);
    if (unit == 0) break;
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < units) {
      const uint32_t low = unit_at(i + 1);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
        ++i;
      }
    }
    AppendUtf8(out, unit);  // a lone surrogate becomes U+FFFD
  }
  return out;
}

namespace {

size_t SequenceLength(std::string_view text, size_t pos) {
  uint32_t code_point = 0;
  return DecodeUtf8At(text, pos, code_point);
}

}  // namespace

size_t DecodeUtf8At(std::string_view text, size_t pos, uint32_t& code_point) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(pos);
  size_t length = 0;
  uint32_t min = 0;
  if (lead < 0x80) {
    code_point = lead;
    return 1;
  }
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

size_t CodePointCount(std::string_view text) {
  size_t count = 0;
  for (size_t pos = 0; pos < text.size(); ++count) {
    const size_t length = SequenceLength(text, pos);
    pos += length == 0 ? 1 : length;
  }
  return count;
}

bool IsValidUtf8(std::string_view text) {
  for (size_t pos = 0; pos < text.size();) {
    const size_t length = SequenceLength(text, pos);
    if (length == 0) return false;
    pos += length;
  }
  return true;
}

std::string ReplaceAll(std::string text, std::string_view from, std::string_view to) {
  if (from.empty()) return text;
  size_t pos = 0;
  while ((pos = text.find(from, pos)) != std::string::npos) {
    text.replace(pos, from.size(), to);
    pos += to.size();
  }
  return text;
}

}  // namespace kalvento
