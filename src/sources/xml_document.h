#pragma once

#include <cstddef>
#include <memory>
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

  // All character data inside the element, its descendants' included, in document order.
  std::string_view Text() const;
  // The first child element of that name, or null.
  const XmlElement* Child(std::string_view child_name) const;
  // Follows "a/b/c" from this element, taking the first child of each name; null when missing.
  const XmlElement* Find(std::string_view path) const;
  // The attribute's value, or empty when the element has none of that name.
  std::string_view Attribute(std::string_view qualified_name) const;

  // The document's character data is held once; an element's text is a contiguous piece of it.
  std::shared_ptr<const std::string> document_text;
  size_t text_begin = 0;
  size_t text_end = 0;
};

// The document element of a well-formed document, or nothing. Documents nested deeper than
// `kMaxXmlDepth` are refused rather than read.
inline constexpr int kMaxXmlDepth = 200;
std::optional<XmlElement> ParseXml(std::string_view bytes);

}  // namespace kalvento
