#pragma once

#include <array>
#include <string_view>

namespace kalvento {

inline constexpr int kSourceCount = 11;

// The two targets of a correction.
enum class Target { kCreated = 0, kModified = 1 };

// Source index -> code, per target list. The lists hold the same sources in another order.
const std::array<std::string_view, kSourceCount>& SourceCodes(Target target);
// Source index -> German display name, per target list.
const std::array<std::string_view, kSourceCount>& SourceNames(Target target);

// The source index of `code` in the target's list, or -1.
int SourceIndexOf(Target target, std::string_view code);

// The family of a code: its first word ("DOCS", "EXIF", "IPTC", "XMP", "AV", "FILENAME", ...).
std::string_view SourceFamily(std::string_view code);

}  // namespace kalvento
