// The XMP sidecar reader, and our document tree under it, on arbitrary bytes.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "sources/image_dates.h"
#include "sources/xml_document.h"

namespace {

bool InRange(kalvento::DateValue value) { return value >= 0 && value <= kalvento::kLargestDate; }

// Walks the tree: depth within the limit, each element's text at least its children's.
size_t Walk(const kalvento::XmlElement& element, int depth) {
  if (depth > kalvento::kMaxXmlDepth) std::abort();
  size_t children_text = 0;
  for (const kalvento::XmlElement& child : element.children) {
    children_text += Walk(child, depth + 1);
    if (element.Child(child.name) == nullptr) std::abort();
  }
  for (const auto& [name, value] : element.attributes) {
    if (element.Attribute(name) != value) std::abort();  // well-formed: names are unique
  }
  if (element.Text().size() < children_text) std::abort();
  return element.Text().size();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view xml(reinterpret_cast<const char*>(data), size);
  const kalvento::SidecarDates dates = kalvento::SidecarDatesFromXml(xml);
  if (!InRange(dates.iptc_created) || !InRange(dates.xmp_modified)) std::abort();
  if (const auto root = kalvento::ParseXml(xml)) {
    Walk(*root, 1);
    root->Find("rdf:RDF/rdf:Description/xmp:CreateDate");
    root->Find("/a//b/");
  } else if (dates.iptc_created != 0 || dates.xmp_modified != 0) {
    std::abort();
  }
  return 0;
}
