#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kalvento {

// One element of a parsed XML document. Names are qualified names as written ("xmp:CreateDate");
// no namespace processing takes place.
struct XmlElement {
  std::string name;
  std::vector<std::pair<std::string, std::string>> attributes;  // in document order
  std::vector<XmlElement> children;                             // child elements in order
  std::string text;  // all character data inside the element, its descendants' included

  // The first child element of that name, or null.
  const XmlElement* Child(std::string_view child_name) const;
  // Follows "a/b/c" from this element, taking the first child of each name; null when missing.
  const XmlElement* Find(std::string_view path) const;
  // The attribute's value, or empty when the element has none of that name.
  std::string_view Attribute(std::string_view qualified_name) const;
};

// The document element of a well-formed document, or nothing. Documents nested deeper than
// `kMaxXmlDepth` are refused rather than read.
// Each element's text repeats its descendants' text, so deep nesting multiplies a document's
// character data; a document whose texts would hold more than `kMaxXmlTextBytes` in all is
// refused too (a 16 MiB text 200 levels deep would otherwise ask for gigabytes).
inline constexpr int kMaxXmlDepth = 200;
inline constexpr size_t kMaxXmlTextBytes = size_t{128} << 20;
std::optional<XmlElement> ParseXml(std::string_view bytes);

}  // namespace kalvento
