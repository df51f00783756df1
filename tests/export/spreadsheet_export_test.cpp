#include "export/spreadsheet_export.h"

#include <expat.h>
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "export/list_builder.h"
#include "export/spreadsheet_writer.h"
#include "recording_view.h"
#include "test_support.h"
#include "texts/text_table.h"

namespace kalvento {
namespace {

// What Expat reads from a workbook: the styles, the columns and the rows with their cells.
struct Workbook {
  bool well_formed = false;
  std::string error;
  std::vector<std::string> style_ids;
  std::vector<std::map<std::string, std::string>> columns;
  struct CellValue {
    std::string style;
    std::string type;
    std::string data;
  };
  struct RowValue {
    std::map<std::string, std::string> attributes;
    std::vector<CellValue> cells;
  };
  std::vector<RowValue> rows;
  std::string worksheet_name;
};

class WorkbookReader {
 public:
  static Workbook Read(const std::string& bytes) {
    WorkbookReader reader;
    XML_Parser parser = XML_ParserCreate(nullptr);
    XML_SetUserData(parser, &reader);
    XML_SetElementHandler(parser, &WorkbookReader::Start, &WorkbookReader::End);
    XML_SetCharacterDataHandler(parser, &WorkbookReader::Text);
    reader.book_.well_formed =
        XML_Parse(parser, bytes.data(), static_cast<int>(bytes.size()), 1) == XML_STATUS_OK;
    if (!reader.book_.well_formed) {
      reader.book_.error = std::string(XML_ErrorString(XML_GetErrorCode(parser))) + " at line " +
                           std::to_string(XML_GetCurrentLineNumber(parser));
    }
    XML_ParserFree(parser);
    return reader.book_;
  }

 private:
  static std::map<std::string, std::string> Attributes(const XML_Char** attributes) {
    std::map<std::string, std::string> map;
    for (int i = 0; attributes[i] != nullptr; i += 2) map[attributes[i]] = attributes[i + 1];
    return map;
  }
  static void Start(void* data, const XML_Char* name, const XML_Char** attributes) {
    auto& self = *static_cast<WorkbookReader*>(data);
    const std::string element = name;
    auto map = Attributes(attributes);
    if (element == "Style") self.book_.style_ids.push_back(map["ss:ID"]);
    if (element == "Column") self.book_.columns.push_back(map);
    if (element == "Worksheet") self.book_.worksheet_name = map["ss:Name"];
    if (element == "Row") self.book_.rows.push_back({map, {}});
    if (element == "Cell") self.book_.rows.back().cells.push_back({map["ss:StyleID"], "", ""});
    if (element == "Data") {
      self.book_.rows.back().cells.back().type = map["ss:Type"];
      self.in_data_ = true;
    }
  }
  static void End(void* data, const XML_Char* name) {
    if (std::string(name) == "Data") static_cast<WorkbookReader*>(data)->in_data_ = false;
  }
  static void Text(void* data, const XML_Char* text, int length) {
    auto& self = *static_cast<WorkbookReader*>(data);
    if (self.in_data_) self.book_.rows.back().cells.back().data.append(text, static_cast<size_t>(length));
  }

  Workbook book_;
  bool in_data_ = false;
};

Workbook Export(const ResultList& list, test::RecordingView& view, std::string* bytes = nullptr) {
  test::TempFolder folder;
  const std::string path = folder.path() + "list.xls";
  EXPECT_NE(ExportSpreadsheet(list, path, view), ExportOutcome::kNotWritten);
  const std::string written = test::ReadFileBytes(path);
  if (bytes != nullptr) *bytes = written;
  return WorkbookReader::Read(written);
}

ResultList SmallList() {
  return test::MakeList({
      "/home/ann/Fotos & Videos/",
      test::Row("Tom & \"Jerry\" <1>.jpg", "2019.07.14 18:03:55", "2019.07.14 18:03:55",
                "2020.01.02 03:04:05", "", "EXIF taken", "SAMEDATE"),
      test::Row("Grüße.pdf", "2001.02.03 04:05:06", "<- 2001.02.03 04:05:06",
                " 2001.02.03 04:05:06 ", "!! 2001.02.03 04:05:06", "DOCS created", ""),
      " ",
      "Analyse abgebrochen – die Liste ist unvollständig.",
  });
}

TEST(SpreadsheetExportTest, ASmallListGivesExactlyTheExpectedFile) {
  test::RecordingView view;
  std::string bytes;
  const Workbook book = Export(SmallList(), view, &bytes);
  EXPECT_EQ(bytes, test::ReadFileBytes(std::string(KALVENTO_FIXTURES) + "/export/small.xls"));
  EXPECT_TRUE(book.well_formed) << book.error;
  EXPECT_TRUE(view.progress.empty());
}

TEST(SpreadsheetExportTest, TheWorkbookParsesWithItsStylesColumnsAndRows) {
  test::RecordingView view;
  const Workbook book = Export(SmallList(), view);
  ASSERT_TRUE(book.well_formed) << book.error;
  EXPECT_EQ(book.style_ids,
            (std::vector<std::string>{"myTitle", "mySubTitle", "mySubTotal", "myTotal",
                                      "myTextRight", "myLink", "myLinkBold", "myColumn1",
                                      "myColumn2", "myColumn3", "myColumn4", "myColumn5",
                                      "myColumn6", "myColumn7"}));
  EXPECT_EQ(book.worksheet_name, "Tab1");
  ASSERT_EQ(book.rows.size(), 7u);

  const auto& title = book.rows[0];
  EXPECT_EQ(title.attributes, (std::map<std::string, std::string>{{"ss:Height", "20"},
                                                                  {"ss:StyleID", "myTitle"}}));
  ASSERT_EQ(title.cells.size(), 7u);
  EXPECT_EQ(title.cells[3].data, "Geändert");
  for (const auto& cell : title.cells) EXPECT_EQ(cell.style, "");

  EXPECT_TRUE(book.rows[1].attributes.empty());
  ASSERT_EQ(book.rows[1].cells.size(), 1u);
  EXPECT_EQ(book.rows[1].cells[0].data, "");
  const auto& folder = book.rows[2];
  EXPECT_EQ(folder.attributes.at("ss:StyleID"), "mySubTitle");
  ASSERT_EQ(folder.cells.size(), 1u);
  EXPECT_EQ(folder.cells[0].data, "/home/ann/Fotos & Videos/");
  EXPECT_EQ(folder.cells[0].style, "");

  const auto& file = book.rows[3].cells;
  ASSERT_EQ(file.size(), 7u);
  EXPECT_EQ(file[0].data, "Tom & \"Jerry\" <1>.jpg");
  EXPECT_EQ(file[0].type, "String");
  EXPECT_EQ(file[1].data, "2019-07-14T18:03:55.000");
  EXPECT_EQ(file[1].type, "DateTime");
  EXPECT_EQ(file[3].data, "2020-01-02T03:04:05.000");
  EXPECT_EQ(file[4].type, "String");
  for (size_t k = 0; k < 7; ++k) EXPECT_EQ(file[k].style, "myColumn" + std::to_string(k + 1));

  const auto& marked = book.rows[4].cells;
  EXPECT_EQ(marked[2].data, "<- 2001.02.03 04:05:06");
  EXPECT_EQ(marked[2].type, "String");
  EXPECT_EQ(marked[2].style, "myColumn3");
  EXPECT_EQ(marked[3].type, "DateTime") << "a field is trimmed before it is read as a date";
  EXPECT_EQ(marked[4].data, "!! 2001.02.03 04:05:06");

  // The stop note is written like a file row.
  const auto& note = book.rows[6].cells;
  ASSERT_EQ(note.size(), 7u);
  EXPECT_EQ(note[0].data, "Analyse abgebrochen – die Liste ist unvollständig.");
  for (size_t k = 1; k < 7; ++k) {
    EXPECT_EQ(note[k].data, "");
    EXPECT_EQ(note[k].type, "String");
    EXPECT_EQ(note[k].style, "myColumn" + std::to_string(k + 1));
  }
}

TEST(SpreadsheetExportTest, ColumnWidthsAreCharactersTimesSix) {
  test::RecordingView view;
  const Workbook book = Export(test::MakeList({}, {25, 19, 0, 19, 19, 30, 1}), view);
  ASSERT_TRUE(book.well_formed) << book.error;
  ASSERT_EQ(book.columns.size(), 7u);
  EXPECT_EQ(book.columns[0].at("ss:Width"), "150");
  EXPECT_EQ(book.columns[0].at("ss:StyleID"), "myColumn1");
  EXPECT_EQ(book.columns[1].at("ss:Width"), "114");
  EXPECT_EQ(book.columns[2].at("ss:Width"), "72") << "the title's 12 characters";
  EXPECT_EQ(book.columns[5].at("ss:Width"), "180");
}

TEST(SpreadsheetExportTest, NamesWithControlCharactersOrBadBytesStillGiveValidXml) {
  const std::string replacement = "\xEF\xBF\xBD";
  struct Case {
    std::string name;
    std::string shown;
  };
  const Case cases[] = {
      {std::string("bell\x07.jpg"), "bell" + replacement + ".jpg"},
      {std::string("nul\0x.jpg", 9), "nul" + replacement + "x.jpg"},
      {std::string("esc\x1B[31m.jpg"), "esc" + replacement + "[31m.jpg"},
      {std::string("latin\xE4.jpg"), "latin" + replacement + ".jpg"},
      {std::string("cut\xE2\x82.jpg"), "cut" + replacement + replacement + ".jpg"},
      {std::string("nonchar\xEF\xBF\xBE.jpg"), "nonchar" + replacement + ".jpg"},
      {"emoji 😀 & € ok.jpg", "emoji 😀 & € ok.jpg"},
  };
  for (const Case& c : cases) {
    test::RecordingView view;
    const Workbook book =
        Export(test::MakeList({"/f" + c.name + "/", test::Row(c.name, "", "", "", "", "", "")}), view);
    ASSERT_TRUE(book.well_formed) << book.error << " for " << c.shown;
    ASSERT_EQ(book.rows.size(), 4u);
    EXPECT_EQ(book.rows[2].cells[0].data, "/f" + c.shown + "/");
    EXPECT_EQ(book.rows[3].cells[0].data, c.shown);
  }
}

TEST(SpreadsheetExportTest, TheEmptyListHasTheSevenStylesAndNoColumnsOrRows) {
  test::TempFolder folder;
  const std::string path = folder.path() + "empty.xls";
  test::RecordingView view;
  ASSERT_EQ(ExportSpreadsheet(ResultList{}, path, view), ExportOutcome::kWritten);
  const std::string expected =
      "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n"
      "<Workbook xmlns=\"urn:schemas-microsoft-com:office:spreadsheet\" "
      "xmlns:x=\"urn:schemas-microsoft-com:office:excel\" "
      "xmlns:ss=\"urn:schemas-microsoft-com:office:spreadsheet\" "
      "xmlns:html=\"http://www.w3.org/TR/REC-html40\">\r\n"
      "<Styles>\r\n"
      "<Style ss:ID=\"myTitle\">\r\n<Font ss:Color=\"#000000\" ss:Bold=\"1\"/>\r\n"
      "<Interior ss:Color=\"#E6E6E6\" ss:Pattern=\"Solid\"/>\r\n"
      "<Alignment ss:Horizontal=\"Left\" ss:Vertical=\"Center\"/>\r\n"
      "<NumberFormat ss:Format=\"@\"/>\r\n</Style>\r\n"
      "<Style ss:ID=\"mySubTitle\">\r\n<Font ss:Color=\"#000000\" ss:Bold=\"1\"/>\r\n"
      "<Alignment ss:Horizontal=\"Left\" ss:Vertical=\"Automatic\"/>\r\n"
      "<NumberFormat ss:Format=\"@\"/>\r\n</Style>\r\n"
      "<Style ss:ID=\"mySubTotal\">\r\n<Font ss:Color=\"#808080\" ss:Bold=\"0\"/>\r\n"
      "<Alignment ss:Horizontal=\"Left\" ss:Vertical=\"Automatic\"/>\r\n"
      "<NumberFormat ss:Format=\"@\"/>\r\n</Style>\r\n"
      "<Style ss:ID=\"myTotal\">\r\n<Font ss:Color=\"#808080\" ss:Bold=\"1\"/>\r\n"
      "<Alignment ss:Horizontal=\"Left\" ss:Vertical=\"Automatic\"/>\r\n"
      "<NumberFormat ss:Format=\"@\"/>\r\n</Style>\r\n"
      "<Style ss:ID=\"myTextRight\">\r\n"
      "<Alignment ss:Horizontal=\"Right\" ss:Vertical=\"Automatic\"/>\r\n"
      "<NumberFormat ss:Format=\"@\"/>\r\n</Style>\r\n"
      "<Style ss:ID=\"myLink\">\r\n<Font ss:Color=\"#0000FF\" ss:Bold=\"0\"/>\r\n</Style>\r\n"
      "<Style ss:ID=\"myLinkBold\">\r\n<Font ss:Color=\"#0000FF\" ss:Bold=\"1\"/>\r\n</Style>\r\n"
      "</Styles>\r\n"
      "<Worksheet ss:Name=\"Tab1\" ss:Protected=\"0\" ss:RightToLeft=\"0\">\r\n"
      "<Table ss:DefaultColumnWidth=\"60\" ss:DefaultRowHeight=\"15\">\r\n"
      "</Table>\r\n</Worksheet>\r\n</Workbook>\r\n";
  EXPECT_EQ(test::ReadFileBytes(path), expected);
}

TEST(SpreadsheetExportTest, AStopStillLeavesACompleteWorkbook) {
  FillTextTable();
  test::RecordingView view;
  view.escape_at_poll = 4;  // at the first file row
  const Workbook book = Export(SmallList(), view);
  ASSERT_TRUE(book.well_formed) << book.error;
  EXPECT_EQ(book.rows.size(), 3u);
  ASSERT_EQ(view.questions.size(), 1u);
  EXPECT_EQ(view.questions[0].title, Text("TXT00081"));
}

TEST(SpreadsheetExportTest, AnExistingFileIsKeptOnNoAndAnUncreatableOneIsSkippedSilently) {
  FillTextTable();
  test::TempFolder folder;
  const std::string path = folder.WriteFile("keep.xls", "old");
  test::RecordingView view;
  view.answer_yes = false;
  EXPECT_EQ(ExportSpreadsheet(SmallList(), path, view), ExportOutcome::kDeclined);
  EXPECT_EQ(test::ReadFileBytes(path), "old");
  ASSERT_EQ(view.questions.size(), 1u);
  EXPECT_EQ(view.questions[0].text, Text("TXT00091") + "\r\n\r\nkeep.xls");

  test::RecordingView second;
  EXPECT_EQ(ExportSpreadsheet(SmallList(), folder.path() + "none/x.xls", second),
            ExportOutcome::kNotWritten);
  EXPECT_TRUE(second.questions.empty());
  EXPECT_TRUE(second.messages.empty());
}

TEST(SpreadsheetWriterTest, OperationsDoNothingWithoutAnOpenFile) {
  SpreadsheetWriter writer;
  EXPECT_EQ(writer.BeginStyles(), 0);
  EXPECT_EQ(writer.BeginRow("20", "x"), 0);
  EXPECT_EQ(writer.Cell("a", "String", "", ""), 0);
  EXPECT_EQ(writer.CloseWorkbook(), 0);
  test::TempFolder folder;
  EXPECT_FALSE(writer.OpenWorkbook(folder.path() + "missing/a.xls"));
  EXPECT_EQ(writer.EndRow(), 0);
}

TEST(SpreadsheetWriterTest, AttributesKeepTheirOrderAndEmptyOnesAreLeftOut) {
  test::TempFolder folder;
  const std::string path = folder.path() + "w.xls";
  SpreadsheetWriter writer;
  ASSERT_TRUE(writer.OpenWorkbook(path));
  EXPECT_EQ(writer.BeginStyle("id", "name", "parent"), 1);
  EXPECT_EQ(writer.StyleFont("Arial", "10", "", "1"), 1);
  EXPECT_EQ(writer.StyleInterior("", "Solid", "#FFFFFF"), 1);
  EXPECT_EQ(writer.EndStyle(), 1);
  EXPECT_EQ(writer.BeginTable("", "", "s"), 1);
  EXPECT_EQ(writer.TableColumn("12", "c"), 1);
  EXPECT_EQ(writer.BeginRow("", ""), 1);
  EXPECT_EQ(writer.Cell("1+1", "", "", "=1+1"), 1);
  EXPECT_EQ(writer.CloseWorkbook(), 1);
  const std::string bytes = test::ReadFileBytes(path);
  const std::string body = bytes.substr(bytes.find("<Style "));
  EXPECT_EQ(body,
            "<Style ss:ID=\"id\" ss:Name=\"name\" ss:Parent=\"parent\">\r\n"
            "<Font ss:FontName=\"Arial\" ss:Size=\"10\" ss:Bold=\"1\"/>\r\n"
            "<Interior ss:Pattern=\"Solid\" ss:PatternColor=\"#FFFFFF\"/>\r\n"
            "</Style>\r\n"
            "<Table ss:StyleID=\"s\">\r\n"
            "<Column ss:StyleID=\"c\" ss:Width=\"12\"/>\r\n"
            "<Row>\r\n"
            "<Cell ss:Formula=\"=1+1\"><Data>1+1</Data></Cell>\r\n"
            "</Workbook>\r\n");
}

}  // namespace
}  // namespace kalvento
