#include "sources/xml_document.h"

#include <expat.h>

#include <climits>

namespace kalvento {
namespace {

struct TreeBuilder {
  XML_Parser parser = nullptr;
  std::optional<XmlElement> root;
  std::vector<XmlElement*> open;  // the path from the root to the element being read
  std::shared_ptr<std::string> text = std::make_shared<std::string>();
  bool too_deep = false;
};

void OnStart(void* data, const XML_Char* name, const XML_Char** attributes) {
  auto* builder = static_cast<TreeBuilder*>(data);
  // Expat may still call a handler after XML_StopParser (the end of an empty element whose
  // start stopped it); those calls change nothing.
  if (builder->too_deep) return;
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
  element->document_text = builder->text;
  element->text_begin = builder->text->size();
  builder->open.push_back(element);
}

void OnEnd(void* data, const XML_Char*) {
  auto* builder = static_cast<TreeBuilder*>(data);
  if (builder->too_deep || builder->open.empty()) return;
  builder->open.back()->text_end = builder->text->size();
  builder->open.pop_back();
}

void OnText(void* data, const XML_Char* text, int length) {
  auto* builder = static_cast<TreeBuilder*>(data);
  if (builder->too_deep || builder->open.empty()) return;
  builder->text->append(text, static_cast<size_t>(length));
}

}  // namespace

std::string_view XmlElement::Text() const {
  if (!document_text) return {};
  return std::string_view(*document_text).substr(text_begin, text_end - text_begin);
}

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
  if (!parsed || builder.too_deep) return std::nullopt;
  return std::move(builder.root);
}

}  // namespace kalvento
