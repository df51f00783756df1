#include "platform/natural_order.h"

#include <cstdint>
#include <cstring>

namespace kalvento::platform {

// The order is a comparison in levels, like the linguistic comparison that StrCmpLogicalW is
// built on, with runs of digits read as numbers:
//   1. primary: the names as sequences of elements. An element is a symbol (punctuation, blanks,
//      controls), a number (a maximal run of ASCII digits, compared by value: leading zeros
//      stripped, then by length, then digit by digit, so any length works) or a letter (compared
//      without case and without accents: "Ä", "á" and "a" weigh the same; "æ", "ß", "œ", "þ", "ĳ"
//      weigh as two letters). Symbols come before numbers, numbers before letters, and the end of
//      a name before anything: "file" < "file_2" < "file2" < "file10" < "filea". Combining accents
//      carry no weight here.
//   2. secondary: accents (plain before accented) and leading zeros (more zeros first).
//   3. tertiary: case (lower before upper).
//   4. the bytes, so that only equal names compare equal and every sort is deterministic.
// Names are UTF-8; a code point is never split, and a byte that is not valid UTF-8 is a letter
// of its own that weighs after every code point.

namespace {

enum Kind : uint8_t { kSymbol = 1, kNumber = 2, kLetter = 3 };

constexpr uint32_t kPlain = 1;               // secondary weight of an unaccented element
constexpr uint32_t kAccented = 0x100;        // + lower-case code point
constexpr uint32_t kMark = 0x200000;         // + code point of a combining mark
constexpr uint32_t kInvalidByte = 0x110000;  // + byte value, as primary weight

struct Element {
  Kind kind = kSymbol;
  bool primary_ignorable = false;
  uint32_t primary = 0;
  uint32_t secondary = kPlain;
  uint8_t tertiary = 0;
  const char* digits = nullptr;  // number: the digits after the leading zeros
  size_t digit_count = 0;
};

// Base letters of U+00C0..U+00FF and U+0100..U+017F; '*' a symbol, '1'..'5' the expansions.
constexpr char kLatin1Base[] = "aaaaaa1ceeeeiiiidnooooo*ouuuuy23aaaaaa1ceeeeiiiidnooooo*ouuuuy2y";
constexpr char kLatinExtABase[] =
    "aaaaaaccccccccddddeeeeeeeeeegggggggghhhhiiiiiiiiii44jjkkkllllllllllnnnnnnnnnoooooo55rrrrrrss"
    "ssssssttttttuuuuuuuuuuuuwwyyyzzzzzzs";
static_assert(sizeof kLatin1Base - 1 == 64);
static_assert(sizeof kLatinExtABase - 1 == 128);

constexpr const char* kExpansions[] = {"ae", "th", "ss", "ij", "oe"};

// Lower-case partner and upper-case flag of a letter of U+0100..U+017F.
uint32_t LatinExtALower(uint32_t cp, bool* upper) {
  bool is_upper = false;
  if (cp <= 0x137) {
    is_upper = cp % 2 == 0;
  } else if (cp >= 0x139 && cp <= 0x148) {
    is_upper = cp % 2 == 1;
  } else if (cp >= 0x14A && cp <= 0x177) {
    is_upper = cp % 2 == 0;
  } else if (cp == 0x178) {
    *upper = true;
    return 0xFF;
  } else if (cp >= 0x179 && cp <= 0x17E) {
    is_upper = cp % 2 == 1;
  }
  *upper = is_upper;
  return is_upper ? cp + 1 : cp;
}

// Decodes one UTF-8 sequence at s[pos]; an invalid sequence yields its first byte alone.
uint32_t DecodeUtf8(std::string_view s, size_t* pos, bool* valid) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(s[i]); };
  const unsigned char lead = byte(*pos);
  *valid = true;
  if (lead < 0x80) {
    ++*pos;
    return lead;
  }
  size_t length = 0;
  uint32_t cp = 0;
  uint32_t min = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, cp = lead & 0x1Fu, min = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, cp = lead & 0x0Fu, min = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, cp = lead & 0x07u, min = 0x10000;
  }
  if (length != 0 && *pos + length <= s.size()) {
    bool ok = true;
    for (size_t i = 1; i < length && ok; ++i) {
      const unsigned char next = byte(*pos + i);
      ok = (next & 0xC0) == 0x80;
      cp = (cp << 6) | (next & 0x3Fu);
    }
    if (ok && cp >= min && cp <= 0x10FFFF && (cp < 0xD800 || cp > 0xDFFF)) {
      *pos += length;
      return cp;
    }
  }
  *valid = false;
  ++*pos;
  return lead;
}

class Cursor {
 public:
  explicit Cursor(std::string_view s) : s_(s) {}

  // The next element, skipping those that weigh nothing at `level`; false at the end.
  bool Next(Element* e, int level) {
    for (;;) {
      if (!Read(e)) return false;
      if (!(level == 1 && e->primary_ignorable)) return true;
    }
  }

 private:
  bool Read(Element* e) {
    if (pending_ != 0) {
      *e = pending_element_;
      e->primary = pending_;
      pending_ = 0;
      return true;
    }
    if (pos_ >= s_.size()) return false;
    *e = Element{};
    const char c = s_[pos_];
    if (c >= '0' && c <= '9') {
      size_t start = pos_;
      while (pos_ < s_.size() && s_[pos_] >= '0' && s_[pos_] <= '9') ++pos_;
      size_t first = start;
      while (first < pos_ && s_[first] == '0') ++first;
      const size_t zeros = first - start;
      e->kind = kNumber;
      e->digits = s_.data() + first;
      e->digit_count = pos_ - first;
      e->secondary = 0xFFFFFFFFu - static_cast<uint32_t>(zeros < 0xFFFFFFu ? zeros : 0xFFFFFFu);
      return true;
    }
    bool valid = true;
    const uint32_t cp = DecodeUtf8(s_, &pos_, &valid);
    if (!valid) {
      e->kind = kLetter;
      e->primary = kInvalidByte + cp;
      return true;
    }
    Classify(cp, e);
    return true;
  }

  void SetLatin(char base, uint32_t lower, bool upper, Element* e) {
    e->kind = kLetter;
    e->secondary = kAccented + lower;
    e->tertiary = upper ? 1 : 0;
    if (base >= '1' && base <= '5') {
      const char* pair = kExpansions[base - '1'];
      e->primary = static_cast<unsigned char>(pair[0]);
      pending_element_ = *e;
      pending_ = static_cast<unsigned char>(pair[1]);
    } else {
      e->primary = static_cast<unsigned char>(base);
    }
  }

  void Classify(uint32_t cp, Element* e) {
    if (cp < 0x80) {
      if (cp >= 'A' && cp <= 'Z') {
        e->kind = kLetter, e->primary = cp + 0x20, e->tertiary = 1;
      } else if (cp >= 'a' && cp <= 'z') {
        e->kind = kLetter, e->primary = cp;
      } else {
        e->kind = kSymbol, e->primary = cp;
      }
    } else if (cp < 0xC0) {
      if (cp == 0xB5) {  // micro sign, as Greek mu
        e->kind = kLetter, e->primary = 0x3BC, e->secondary = kAccented + cp;
      } else {
        e->kind = kSymbol, e->primary = cp;
      }
    } else if (cp <= 0xFF) {
      const char base = kLatin1Base[cp - 0xC0];
      if (base == '*') {
        e->kind = kSymbol, e->primary = cp;
      } else {
        const bool upper = cp <= 0xDE;
        SetLatin(base, upper ? cp + 0x20 : cp, upper, e);
      }
    } else if (cp <= 0x17F) {
      bool upper = false;
      const uint32_t lower = LatinExtALower(cp, &upper);
      SetLatin(kLatinExtABase[cp - 0x100], lower, upper, e);
    } else if (cp >= 0x300 && cp <= 0x36F) {  // combining diacritical marks
      e->kind = kLetter, e->primary_ignorable = true, e->secondary = kMark + cp;
    } else if ((cp >= 0x391 && cp <= 0x3A9 && cp != 0x3A2) || (cp >= 0x410 && cp <= 0x42F)) {
      e->kind = kLetter, e->primary = cp + 0x20, e->tertiary = 1;  // Greek, Cyrillic capitals
    } else if (cp >= 0x400 && cp <= 0x40F) {
      e->kind = kLetter, e->primary = cp + 0x50, e->tertiary = 1;
    } else {
      e->kind = kLetter, e->primary = cp;
    }
  }

  std::string_view s_;
  size_t pos_ = 0;
  uint32_t pending_ = 0;  // second letter of an expansion
  Element pending_element_;
};

template <typename T>
int Sign(T a, T b) {
  return a < b ? -1 : (b < a ? 1 : 0);
}

int CompareElements(const Element& a, const Element& b, int level) {
  if (level == 1) {
    if (a.kind != b.kind) return Sign(a.kind, b.kind);
    if (a.kind == kNumber) {
      if (a.digit_count != b.digit_count) return Sign(a.digit_count, b.digit_count);
      if (a.digit_count == 0) return 0;
      const int c = std::memcmp(a.digits, b.digits, a.digit_count);
      return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    return Sign(a.primary, b.primary);
  }
  if (level == 2) return Sign(a.secondary, b.secondary);
  return Sign(a.tertiary, b.tertiary);
}

int CompareLevel(std::string_view a, std::string_view b, int level) {
  Cursor ca(a);
  Cursor cb(b);
  Element ea;
  Element eb;
  for (;;) {
    const bool has_a = ca.Next(&ea, level);
    const bool has_b = cb.Next(&eb, level);
    if (!has_a || !has_b) return has_a ? 1 : (has_b ? -1 : 0);
    if (const int c = CompareElements(ea, eb, level)) return c;
  }
}

}  // namespace

int NaturalCompare(std::string_view a, std::string_view b) {
  if (a == b) return 0;
  for (int level = 1; level <= 3; ++level) {
    if (const int c = CompareLevel(a, b, level)) return c;
  }
  const int c = a.compare(b);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

}  // namespace kalvento::platform
