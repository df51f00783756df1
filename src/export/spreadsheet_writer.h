#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "export/export_run.h"

namespace kalvento {

// Writes an XML Spreadsheet 2003 file, one element per line (UTF-8, CR LF, no indentation).
// An attribute is written only when its value is not empty, in the fixed order of each
// operation; values and cell data are written as given, so the caller escapes them.
//
// Every operation does nothing and gives 0 while no file is open; otherwise it gives 1.
class SpreadsheetWriter {
 public:
  // Creates the file (replacing an existing one) and writes the declaration and the Workbook
  // start tag; false when the file cannot be created.
  bool OpenWorkbook(const std::string& file_name);
  bool IsOpen() const { return file_.IsOpen(); }

  int BeginStyles();
  int EndStyles();
  int BeginStyle(std::string_view id, std::string_view name, std::string_view parent);
  int EndStyle();
  int StyleFont(std::string_view font_name, std::string_view size, std::string_view color,
                std::string_view bold);
  int StyleInterior(std::string_view color, std::string_view pattern,
                    std::string_view pattern_color);
  int StyleAlignment(std::string_view horizontal, std::string_view vertical);
  int StyleNumberFormat(std::string_view format);
  int BeginWorksheet(std::string_view name, std::string_view is_protected,
                     std::string_view right_to_left);
  int EndWorksheet();
  int BeginTable(std::string_view default_column_width, std::string_view default_row_height,
                 std::string_view style_id);
  int EndTable();
  int TableColumn(std::string_view width, std::string_view style_id);
  int BeginRow(std::string_view height, std::string_view style_id);
  int EndRow();
  int Cell(std::string_view data, std::string_view type, std::string_view style_id,
           std::string_view formula);
  // Writes the Workbook end tag and closes the file; 0 also when a write failed on the way.
  int CloseWorkbook();

 private:
  struct Attribute {
    std::string_view name;
    std::string_view value;
  };
  void AppendTag(std::string_view name, std::initializer_list<Attribute> attributes,
                 std::string_view end);
  int Element(std::string_view name, std::initializer_list<Attribute> attributes,
              std::string_view end);
  int Line(std::string_view text);

  export_run::OutputFile file_;
};

}  // namespace kalvento
