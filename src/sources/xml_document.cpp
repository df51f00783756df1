#include "sources/xml_document.h"

#include <expat.h>

#include <climits>

namespace kalvento {
namespace {

struct TreeBuilder {
  XML_Parser parser = nullptr;
  std::optional<XmlElement> root;
  std::vector<XmlElement*> open;  // the path from the root to the element being read
  bool too_deep = false;
  size_t text_bytes = 0;  // held in all elements' texts so far
  bool too_much_text = false;

  // Expat may still call a handler after XML_StopParser (the end of an empty element whose
  // start stopped it); those calls change nothing.
  bool Stopped() const { return too_deep || too_much_text; }
};

// Counts `length` more bytes of text; false (and the parser stopped) past the budget.
bool TakeText(TreeBuilder& builder, size_t length) {
  if (length > kMaxXmlTextBytes - builder.text_bytes) {
    XML_StopParser(builder.parser, XML_FALSE);
    builder.too_much_text = true;
    return false;
  }
  builder.text_bytes += length;
  return true;
}

void OnStart(void* data, const XML_Char* name, const XML_Char** attributes) {
  auto* builder = static_cast<TreeBuilder*>(data);
  if (builder->Stopped()) return;
  if (builder->open.size() >= static_cast<size_t>(kMaxXmlDepth)) {
    builder->too_deep = true;
    XML_StopParser(builder->parser, XML_FALSE);
    return;
  }
  XmlElement* element;
  if (builder->open.empty()) {
    builder->root.emplace();
    element = &*builder->root;
  } else {
    element = &builder->open.back()->children.emplace_back();
  }
  element->name = name;
  for (int i = 0; attributes[i] != nullptr; i += 2) {
    element->attributes.emplace_back(attributes[i], attributes[i + 1]);
  }
  builder->open.push_back(element);
}

void OnEnd(void* data, const XML_Char*) {
  auto* builder = static_cast<TreeBuilder*>(data);
  if (builder->Stopped() || builder->open.empty()) return;
  XmlElement* closed = builder->open.back();
  builder->open.pop_back();
  if (!builder->open.empty() && TakeText(*builder, closed->text.size())) {
    builder->open.back()->text += closed->text;
  }
}

void OnText(void* data, const XML_Char* text, int length) {
  auto* builder = static_cast<TreeBuilder*>(data);
  if (builder->Stopped()) return;
  if (!builder->open.empty() && TakeText(*builder, static_cast<size_t>(length))) {
    builder->open.back()->text.append(text, static_cast<size_t>(length));
  }
}

}  // namespace

const XmlElement* XmlElement::Child(std::string_view child_name) const {
  for (const XmlElement& child : children) {
    if (child.name == child_name) return &child;
  }
  return nullptr;
}

const XmlElement* XmlElement::Find(std::string_view path) const {
  const XmlElement* element = this;
  while (element != nullptr && !path.empty()) {
    const size_t slash = path.find('/');
    element = element->Child(path.substr(0, slash));
    path = slash == std::string_view::npos ? std::string_view{} : path.substr(slash + 1);
  }
  return element;
}

std::string_view XmlElement::Attribute(std::string_view qualified_name) const {
  for (const auto& [key, value] : attributes) {
    if (key == qualified_name) return value;
  }
  return {};
}

std::optional<XmlElement> ParseXml(std::string_view bytes) {
  if (bytes.size() > static_cast<size_t>(INT_MAX)) return std::nullopt;
  TreeBuilder builder;
  builder.parser = XML_ParserCreate(nullptr);
  if (builder.parser == nullptr) return std::nullopt;
  XML_SetUserData(builder.parser, &builder);
  XML_SetElementHandler(builder.parser, OnStart, OnEnd);
  XML_SetCharacterDataHandler(builder.parser, OnText);
  const bool parsed = XML_Parse(builder.parser, bytes.data(), static_cast<int>(bytes.size()),
                                XML_TRUE) == XML_STATUS_OK;
  XML_ParserFree(builder.parser);
  if (!parsed || builder.Stopped()) return std::nullopt;
  return std::move(builder.root);
}

}  // namespace kalvento
