// Our small document tree over Expat: names as written, first child by name, text, attributes.

#include "sources/xml_document.h"

#include <gtest/gtest.h>

#include <string>

namespace kalvento {
namespace {

constexpr std::string_view kDocument =
    "<?xml version='1.0' encoding='UTF-8'?>\n"
    "<x:xmpmeta xmlns:x='adobe:ns:meta/'>\n"
    " <rdf:RDF xmlns:rdf='http://www.w3.org/1999/02/22-rdf-syntax-ns#'>\n"
    "  <rdf:Description rdf:about='' xmp:CreateDate='2019-07-14' xmlns:xmp='ns'>"
    "<xmp:Rating>5</xmp:Rating><dc:title><rdf:Alt><rdf:li>Sea &amp; <b>sun</b>!</rdf:li>"
    "</rdf:Alt></dc:title></rdf:Description>\n"
    "  <rdf:Description xmp:CreateDate='2000-01-01'><xmp:Rating>1</xmp:Rating></rdf:Description>\n"
    " </rdf:RDF>\n"
    "</x:xmpmeta>";

TEST(XmlDocumentTest, ChildPathTakesTheFirstOfEachName) {
  const auto root = ParseXml(kDocument);
  ASSERT_TRUE(root.has_value());
  EXPECT_EQ(root->name, "x:xmpmeta");
  const XmlElement* rating = root->Find("rdf:RDF/rdf:Description/xmp:Rating");
  ASSERT_NE(rating, nullptr);
  EXPECT_EQ(rating->Text(), "5");
  EXPECT_EQ(root->Find("rdf:RDF/rdf:Description/xmp:Missing"), nullptr);
  EXPECT_EQ(root->Find("rdf:Description"), nullptr);  // paths start below the element
  EXPECT_EQ(root->Find(""), &*root);
  ASSERT_NE(root->Child("rdf:RDF"), nullptr);
  EXPECT_EQ(root->Child("rdf:RDF")->children.size(), 2u);
  EXPECT_EQ(root->Child("RDF"), nullptr);  // no namespace processing: the prefix is the name
}

TEST(XmlDocumentTest, AttributesByQualifiedName) {
  const auto root = ParseXml(kDocument);
  ASSERT_TRUE(root.has_value());
  const XmlElement* description = root->Find("rdf:RDF/rdf:Description");
  ASSERT_NE(description, nullptr);
  EXPECT_EQ(description->Attribute("xmp:CreateDate"), "2019-07-14");
  EXPECT_EQ(description->Attribute("rdf:about"), "");
  EXPECT_EQ(description->Attribute("xmlns:xmp"), "ns");
  EXPECT_EQ(description->Attribute("CreateDate"), "");
  EXPECT_EQ(description->Attribute("xmp:createdate"), "");
  ASSERT_EQ(description->attributes.size(), 3u);
  EXPECT_EQ(description->attributes[0].first, "rdf:about");
}

TEST(XmlDocumentTest, TextHoldsDescendantsInOrderWithEntitiesDecoded) {
  const auto root = ParseXml(kDocument);
  ASSERT_TRUE(root.has_value());
  const XmlElement* item = root->Find("rdf:RDF/rdf:Description/dc:title/rdf:Alt/rdf:li");
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->Text(), "Sea & sun!");
  EXPECT_EQ(root->Find("rdf:RDF/rdf:Description/dc:title")->Text(), "Sea & sun!");
  const auto utf8 = ParseXml("<a>\xC3\xA4<![CDATA[<b>]]>&#x263A;</a>");
  ASSERT_TRUE(utf8.has_value());
  EXPECT_EQ(utf8->Text(), "\xC3\xA4<b>\xE2\x98\xBA");
}

TEST(XmlDocumentTest, MalformedGivesNothing) {
  for (const std::string_view bad :
       {std::string_view(""), std::string_view("   "), std::string_view("<a>"),
        std::string_view("<a></b>"), std::string_view("<a/><b/>"), std::string_view("<a x='1>"),
        std::string_view("<a>&undefined;</a>"), std::string_view("text"),
        std::string_view("<a/>trailing"), kDocument.substr(0, kDocument.size() - 1)}) {
    SCOPED_TRACE(std::string(bad));
    EXPECT_FALSE(ParseXml(bad).has_value());
  }
  EXPECT_FALSE(ParseXml(std::string_view("<a>\0</a>", 8)).has_value());
}

std::string Nested(int depth) {
  std::string xml;
  for (int i = 0; i < depth; ++i) xml += "<e>";
  xml += "x";
  for (int i = 0; i < depth; ++i) xml += "</e>";
  return xml;
}

TEST(XmlDocumentTest, TooDeepGivesNothing) {
  const auto deepest = ParseXml(Nested(kMaxXmlDepth));
  ASSERT_TRUE(deepest.has_value());
  EXPECT_EQ(deepest->Text(), "x");
  EXPECT_FALSE(ParseXml(Nested(kMaxXmlDepth + 1)).has_value());
  EXPECT_FALSE(ParseXml(Nested(100000)).has_value());
  // An empty element one level too deep: Expat still reports its end after the stop.
  std::string empty_too_deep = Nested(kMaxXmlDepth);
  empty_too_deep.replace(empty_too_deep.find('x'), 1, "<e/>");
  EXPECT_FALSE(ParseXml(empty_too_deep).has_value());
}

TEST(XmlDocumentTest, DeeplyNestedTextIsHeldOnce) {
  // 1 MiB of text 150 levels deep: every level sees it, none copies it.
  const std::string mebibyte(size_t{1} << 20, 'x');
  std::string deep = Nested(150);
  deep.replace(deep.find('x'), 1, "a<i>" + mebibyte + "</i>b");
  const auto parsed = ParseXml(deep);
  ASSERT_TRUE(parsed.has_value());
  EXPECT_EQ(parsed->Text().size(), mebibyte.size() + 2);
  EXPECT_EQ(parsed->document_text->size(), mebibyte.size() + 2);
  const XmlElement* inner = &*parsed;
  while (!inner->children.empty()) inner = &inner->children.front();
  EXPECT_EQ(inner->Text(), mebibyte);
  EXPECT_TRUE(parsed->Text().starts_with("ax") && parsed->Text().ends_with("xb"));
}

}  // namespace
}  // namespace kalvento
