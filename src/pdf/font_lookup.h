#pragma once

#include <string>
#include <string_view>

namespace kalvento::pdf {

struct FontFile {
  std::string path;    // empty: nothing usable is installed
  int index = 0;       // face inside a collection (.ttc)
  std::string family;  // the family the file belongs to
};

// The installed TrueType file of exactly `family` (ASCII case ignored), bold or regular; empty
// path when that family is not installed.
FontFile FindFontFile(std::string_view family, bool bold);

// The file the writer draws with: `family` itself, else the first installed monospaced
// fallback (DejaVu Sans Mono, Liberation Mono, then whatever "monospace" names), because the
// report's layout relies on letters of equal width.
FontFile ChooseFontFile(std::string_view family, bool bold);

}  // namespace kalvento::pdf
