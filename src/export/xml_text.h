#pragma once

#include <string>
#include <string_view>

namespace kalvento {

// Appends `text` as XML 1.0 character data: "&", "<" and ">" escaped (a double quotation mark
// stays); bytes that are no UTF-8, control characters and U+FFFE / U+FFFF, which XML 1.0 does
// not allow, become U+FFFD so that the file stays well formed.
void AppendXmlText(std::string& out, std::string_view text);

}  // namespace kalvento
