#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kalvento {

// Members are read whole into memory; a document's metadata member is a few KiB, so anything
// above this is refused rather than allocated.
inline constexpr size_t kMaxZipMemberSize = 64 * 1024 * 1024;

// The uncompressed bytes of the first member of the archive whose stored name equals
// `member_name`, ignoring ASCII case and taking "\" as "/" ("docProps\core.xml" finds
// "docProps/core.xml"). None when the archive cannot be read, lacks the member, or the member is
// empty, encrypted, larger than kMaxZipMemberSize or corrupt.
std::optional<std::string> ReadZipMember(const std::string& archive_path,
                                         std::string_view member_name);

}  // namespace kalvento
