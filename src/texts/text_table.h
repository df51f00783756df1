#pragma once

#include <string>
#include <string_view>

namespace kalvento {

// Fills the one key -> text map (texts and config values); called first thing at start-up.
// Filling twice is harmless.
void FillTextTable();

// The text under `key`, or the empty text for a key that is not in the table.
const std::string& Text(std::string_view key);

}  // namespace kalvento
