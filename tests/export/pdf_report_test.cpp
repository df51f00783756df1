#include "export/pdf_report.h"

#include <gtest/gtest.h>

#include <string>

#include "export/list_builder.h"
#include "pdf/poppler_tools.h"
#include "recording_view.h"
#include "test_support.h"
#include "texts/text_table.h"

namespace kalvento {
namespace {

using test::PdfText;
using test::ReadPdfInfo;

constexpr double kA4Short = 595.28, kA4Long = 841.89;

PdfReportRequest Request(const std::string& path, double x_width_mm = 0) {
  return {path, "Kalvento", "/home/ann/Fotos/", x_width_mm};
}

TEST(PdfReportTest, PageFormatsFollowTheReportWidth) {
  struct Case {
    double width;
    PageFormat format;
  };
  const Case cases[] = {
      {0, {"P", "595.28,841.89"}},        {199.9, {"P", "595.28,841.89"}},
      {200, {"L", "595.28,841.89"}},      {284.9, {"L", "595.28,841.89"}},
      {285, {"L", "841.89,1190.55"}},     {404, {"L", "841.89,1190.55"}},
      {405, {"L", "1190.55,1683.78"}},    {579, {"L", "1190.55,1683.78"}},
      {580, {"L", "1683.78,2383.94"}},    {829, {"L", "1683.78,2383.94"}},
      {830, {"L", "2383.94,3370.39"}},    {5000, {"L", "2383.94,3370.39"}},
  };
  for (const Case& c : cases) EXPECT_EQ(PageFormatFor(c.width), c.format) << c.width;
}

TEST(PdfReportTest, ColumnWidthsWithAnXOf175ChooseThePageOfTheWrittenFile) {
  struct Case {
    std::array<int, kColumnCount> characters;
    double width_pt, height_pt;  // the first page as pdfinfo reads it
  };
  const Case cases[] = {
      // W = 38, 36, 36, 36, 36, 38, 38: 258 mm, A4 landscape.
      {{20, 19, 19, 19, 19, 20, 20}, kA4Long, kA4Short},
      // W(1) = 108: 328 mm, A3 landscape.
      {{60, 19, 19, 19, 19, 20, 20}, 1190.55, kA4Long},
      // 5 x 36 + 2 x 10: exactly 200 mm, A4 landscape.
      {{19, 19, 19, 19, 19, 4, 4}, kA4Long, kA4Short},
      // 640 + 5 x 36 + 10: exactly 830 mm, A0 landscape.
      {{364, 19, 19, 19, 19, 19, 4}, 3370.39, 2383.94},
  };
  for (const Case& c : cases) {
    ResultList list = test::MakeList({"/a/"});
    for (int k = 1; k <= kColumnCount; ++k) list.widths[k] = c.characters[k - 1];
    test::TempFolder folder;
    const std::string path = folder.path() + "report.pdf";
    test::RecordingView view;
    ASSERT_EQ(ExportPdfReport(list, Request(path, 1.75), view), ExportOutcome::kWritten);
    const test::PdfInfo info = ReadPdfInfo(path);
    ASSERT_EQ(info.pages, 1);
    ASSERT_EQ(info.page_sizes.size(), 1u);
    EXPECT_NEAR(info.page_sizes[0].first, c.width_pt, 0.01) << c.characters[0];
    EXPECT_NEAR(info.page_sizes[0].second, c.height_pt, 0.01) << c.characters[0];
  }
}

TEST(PdfReportTest, RowsNamesAndShortenedFolderPathsShowInTheText) {
  FillTextTable();
  const std::string long_folder = "/home/ann/" + std::string(300, 'z') + "/tail-of-the-path/";
  const ResultList list = test::MakeList({
      "/home/ann/Fotos/",
      test::Row("Grüße aus Köln €.jpg", "2019.07.14 18:03:55", "2019.07.14 18:03:55",
                "2020.01.02 03:04:05", "", "EXIF taken", "SAMEDATE"),
      test::Row(std::string("bad\xFF.jpg"), "", "", "", "", "", ""),
      " ",
      long_folder,
      " ",
      Text("TXT00083"),
  });
  test::TempFolder folder;
  const std::string path = folder.path() + "report.pdf";
  test::RecordingView view;
  ASSERT_EQ(ExportPdfReport(list, Request(path), view), ExportOutcome::kWritten);
  EXPECT_EQ(view.opened_documents, std::vector<std::string>{path});
  EXPECT_FALSE(view.wait_cursor);

  const test::PdfInfo info = ReadPdfInfo(path);
  EXPECT_EQ(info.pages, 1);
  EXPECT_EQ(info.title, "/home/ann/Fotos/");
  EXPECT_EQ(info.creator, "Kalvento");
  EXPECT_EQ(info.subject, Text("GAD00002"));
  const std::string text = PdfText(path);
  for (const std::string& expected :
       {std::string("Erstellt neu"), std::string("/home/ann/Fotos/"),
        std::string("Grüße aus Köln €.jpg"), std::string("2020.01.02 03:04:05"),
        std::string("EXIF taken"), std::string("bad\xEF\xBF\xBD.jpg"), Text("TXT00083")}) {
    EXPECT_NE(text.find(expected), std::string::npos) << expected << " in\n" << text;
  }
  const size_t cut = text.find("/home/ann/zzz");
  ASSERT_NE(cut, std::string::npos) << text;
  const std::string drawn = text.substr(cut, text.find('\n', cut) - cut);
  EXPECT_TRUE(drawn.ends_with("zzz...")) << drawn;
  EXPECT_EQ(text.find("tail-of-the-path"), std::string::npos);
}

TEST(PdfReportTest, ALongListContinuesOnPagesOfTheSameFormatWithoutTitleRow) {
  const ResultList list = test::ListOfLines(150);
  test::TempFolder folder;
  const std::string path = folder.path() + "long.pdf";
  test::RecordingView view;
  ASSERT_EQ(ExportPdfReport(list, Request(path), view), ExportOutcome::kWritten);
  const test::PdfInfo info = ReadPdfInfo(path);
  ASSERT_GE(info.pages, 2);
  ASSERT_EQ(info.page_sizes.size(), static_cast<size_t>(info.pages));
  for (const auto& page : info.page_sizes) EXPECT_EQ(page, info.page_sizes[0]);
  const std::string first = PdfText(path, 1, 1);
  const std::string rest = PdfText(path, 2);
  EXPECT_NE(first.find("Erstellt neu"), std::string::npos);
  EXPECT_EQ(rest.find("Erstellt neu"), std::string::npos);
  EXPECT_NE(rest.find("IMG_147.jpg"), std::string::npos) << "the last row";
}

TEST(PdfReportTest, TheEmptyListIsOneEmptyA4PortraitPage) {
  test::TempFolder folder;
  const std::string path = folder.path() + "empty.pdf";
  test::RecordingView view;
  ASSERT_EQ(ExportPdfReport(ResultList{}, Request(path), view), ExportOutcome::kWritten);
  const test::PdfInfo info = ReadPdfInfo(path);
  ASSERT_EQ(info.pages, 1);
  EXPECT_NEAR(info.page_sizes.at(0).first, kA4Short, 0.01);
  EXPECT_NEAR(info.page_sizes.at(0).second, kA4Long, 0.01);
  EXPECT_EQ(PdfText(path).find_first_not_of(" \n\f"), std::string::npos);
}

TEST(PdfReportTest, NoKeepsTheOldFileAndAStopSavesTheRowsSoFar) {
  FillTextTable();
  test::TempFolder folder;
  const std::string path = folder.WriteFile("old.pdf", "old");
  test::RecordingView declining;
  declining.answer_yes = false;
  EXPECT_EQ(ExportPdfReport(test::ListOfLines(10), Request(path), declining),
            ExportOutcome::kDeclined);
  EXPECT_EQ(test::ReadFileBytes(path), "old");
  EXPECT_TRUE(declining.opened_documents.empty());

  test::RecordingView stopping;
  stopping.escape_at_poll = 5;  // the second file row
  EXPECT_EQ(ExportPdfReport(test::ListOfLines(10), Request(path), stopping), ExportOutcome::kStopped);
  ASSERT_EQ(stopping.questions.size(), 2u);  // the replace question, then the stop question
  EXPECT_EQ(stopping.questions[1].text, Text("TXT00082"));
  const std::string text = PdfText(path);
  EXPECT_NE(text.find("IMG_1.jpg"), std::string::npos);
  EXPECT_EQ(text.find("IMG_2.jpg"), std::string::npos);
  EXPECT_EQ(stopping.opened_documents, std::vector<std::string>{path});
}

}  // namespace
}  // namespace kalvento
