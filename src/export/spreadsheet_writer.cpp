#include "export/spreadsheet_writer.h"

namespace kalvento {

void SpreadsheetWriter::AppendTag(std::string_view name,
                                  std::initializer_list<Attribute> attributes,
                                  std::string_view end) {
  std::string& out = file_.Buffer();
  out.push_back('<');
  out.append(name);
  for (const Attribute& attribute : attributes) {
    if (attribute.value.empty()) continue;
    out.push_back(' ');
    out.append(attribute.name).append("=\"").append(attribute.value).push_back('"');
  }
  out.append(end);
}

int SpreadsheetWriter::Element(std::string_view name, std::initializer_list<Attribute> attributes,
                               std::string_view end) {
  if (!IsOpen()) return 0;
  AppendTag(name, attributes, end);
  file_.Buffer().append("\r\n");
  file_.FlushIfLarge();
  return 1;
}

int SpreadsheetWriter::Line(std::string_view text) {
  if (!IsOpen()) return 0;
  file_.Buffer().append(text).append("\r\n");
  file_.FlushIfLarge();
  return 1;
}

bool SpreadsheetWriter::OpenWorkbook(const std::string& file_name) {
  if (!file_.Open(file_name)) return false;
  Element("?xml", {{"version", "1.0"}, {"encoding", "UTF-8"}}, " ?>");
  Element("Workbook",
          {{"xmlns", "urn:schemas-microsoft-com:office:spreadsheet"},
           {"xmlns:x", "urn:schemas-microsoft-com:office:excel"},
           {"xmlns:ss", "urn:schemas-microsoft-com:office:spreadsheet"},
           {"xmlns:html", "http://www.w3.org/TR/REC-html40"}},
          ">");
  return true;
}

int SpreadsheetWriter::BeginStyles() { return Line("<Styles>"); }
int SpreadsheetWriter::EndStyles() { return Line("</Styles>"); }

int SpreadsheetWriter::BeginStyle(std::string_view id, std::string_view name,
                                  std::string_view parent) {
  return Element("Style", {{"ss:ID", id}, {"ss:Name", name}, {"ss:Parent", parent}}, ">");
}

int SpreadsheetWriter::EndStyle() { return Line("</Style>"); }

int SpreadsheetWriter::StyleFont(std::string_view font_name, std::string_view size,
                                 std::string_view color, std::string_view bold) {
  return Element("Font",
                 {{"ss:FontName", font_name}, {"ss:Size", size}, {"ss:Color", color},
                  {"ss:Bold", bold}},
                 "/>");
}

int SpreadsheetWriter::StyleInterior(std::string_view color, std::string_view pattern,
                                     std::string_view pattern_color) {
  return Element("Interior",
                 {{"ss:Color", color}, {"ss:Pattern", pattern}, {"ss:PatternColor", pattern_color}},
                 "/>");
}

int SpreadsheetWriter::StyleAlignment(std::string_view horizontal, std::string_view vertical) {
  return Element("Alignment", {{"ss:Horizontal", horizontal}, {"ss:Vertical", vertical}}, "/>");
}

int SpreadsheetWriter::StyleNumberFormat(std::string_view format) {
  return Element("NumberFormat", {{"ss:Format", format}}, "/>");
}

int SpreadsheetWriter::BeginWorksheet(std::string_view name, std::string_view is_protected,
                                      std::string_view right_to_left) {
  return Element("Worksheet",
                 {{"ss:Name", name}, {"ss:Protected", is_protected},
                  {"ss:RightToLeft", right_to_left}},
                 ">");
}

int SpreadsheetWriter::EndWorksheet() { return Line("</Worksheet>"); }

int SpreadsheetWriter::BeginTable(std::string_view default_column_width,
                                  std::string_view default_row_height, std::string_view style_id) {
  return Element("Table",
                 {{"ss:DefaultColumnWidth", default_column_width},
                  {"ss:DefaultRowHeight", default_row_height},
                  {"ss:StyleID", style_id}},
                 ">");
}

int SpreadsheetWriter::EndTable() { return Line("</Table>"); }

int SpreadsheetWriter::TableColumn(std::string_view width, std::string_view style_id) {
  return Element("Column", {{"ss:StyleID", style_id}, {"ss:Width", width}}, "/>");
}

int SpreadsheetWriter::BeginRow(std::string_view height, std::string_view style_id) {
  return Element("Row", {{"ss:Height", height}, {"ss:StyleID", style_id}}, ">");
}

int SpreadsheetWriter::EndRow() { return Line("</Row>"); }

int SpreadsheetWriter::Cell(std::string_view data, std::string_view type,
                            std::string_view style_id, std::string_view formula) {
  if (!IsOpen()) return 0;
  AppendTag("Cell", {{"ss:StyleID", style_id}, {"ss:Formula", formula}}, ">");
  AppendTag("Data", {{"ss:Type", type}}, ">");
  file_.Buffer().append(data).append("</Data></Cell>\r\n");
  file_.FlushIfLarge();
  return 1;
}

int SpreadsheetWriter::CloseWorkbook() {
  if (!IsOpen()) return 0;
  Line("</Workbook>");
  return file_.Close() ? 1 : 0;
}

}  // namespace kalvento
