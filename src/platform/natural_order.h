#pragma once

#include <string_view>

namespace kalvento::platform {

// The "logical" order of names: letters without regard to case, runs of digits compared as
// numbers (IMG_2 before IMG_10). Negative, zero or positive like strcmp.
int NaturalCompare(std::string_view a, std::string_view b);

inline bool NaturalLess(std::string_view a, std::string_view b) { return NaturalCompare(a, b) < 0; }

}  // namespace kalvento::platform
