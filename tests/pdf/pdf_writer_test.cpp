#include "pdf/pdf_writer.h"

#include <gtest/gtest.h>

#include <string>

#include "pdf/font_lookup.h"
#include "pdf/poppler_tools.h"
#include "test_support.h"
#include "texts/text_util.h"

namespace kalvento::pdf {
namespace {

using test::PdfText;
using test::ReadFileBytes;
using test::ReadPdfInfo;

// A started document with one page, the usual report settings and a monospaced font.
void StartDocument(PdfWriter& writer, std::string_view orientation = "P",
                   std::string_view format = "") {
  ASSERT_TRUE(writer.Create(orientation, "mm", format)) << writer.LastError();
  ASSERT_TRUE(writer.AddPage(orientation, format)) << writer.LastError();
  writer.SetMargins(5, 5, 5);
  writer.SetAutoPageBreak(true, 5);
  ASSERT_TRUE(writer.SetFont("Consolas", "", 9));
  writer.SetXY(5, 5);
}

TEST(FontLookupTest, AFamilyThatIsNotInstalledIsNotSubstituted) {
  EXPECT_TRUE(FindFontFile("Kalvento No Such Family", false).path.empty());
  const FontFile dejavu = FindFontFile("dejavu sans mono", false);
  EXPECT_EQ(dejavu.family, "DejaVu Sans Mono");
  EXPECT_TRUE(dejavu.path.ends_with("DejaVuSansMono.ttf")) << dejavu.path;
}

TEST(FontLookupTest, MissingConsolasFallsBackToAnInstalledMonospacedTrueTypeFont) {
  const FontFile regular = ChooseFontFile("Consolas", false);
  const FontFile bold = ChooseFontFile("Consolas", true);
  ASSERT_FALSE(regular.path.empty());
  ASSERT_TRUE(test::PathExistsForTest(regular.path));
  if (FindFontFile("Consolas", false).path.empty()) {
    EXPECT_EQ(regular.family, "DejaVu Sans Mono");
    EXPECT_TRUE(bold.path.ends_with("DejaVuSansMono-Bold.ttf")) << bold.path;
  }
  EXPECT_NE(regular.path, bold.path);
}

TEST(PdfWriterTest, NonAsciiAndBadBytesShowWithTheEmbeddedFontInCompressedStreams) {
  test::TempFolder folder;
  const std::string path = folder.path() + "text.pdf";
  PdfWriter writer;
  StartDocument(writer);
  writer.Cell(100, 3.4, "Grüße Ωmega 東京", 0, 1, "L", false, 0);
  writer.Cell(100, 3.4, std::string("bad\xFF" "byte"), 0, 1, "L", false, 0);
  writer.SetFont("Consolas", "B", 9);
  writer.Cell(100, 3.4, "fett äöü", 0, 1, "L", false, 0);
  ASSERT_TRUE(writer.Save(path)) << writer.LastError();

  const std::string text = PdfText(path);
  EXPECT_NE(text.find("Grüße Ωmega"), std::string::npos) << text;
  EXPECT_NE(text.find("bad\xEF\xBF\xBD" "byte"), std::string::npos) << text;
  EXPECT_NE(text.find("fett äöü"), std::string::npos) << text;
  const std::string fonts = test::RunTool("pdffonts", {path}).out;
  EXPECT_NE(fonts.find("CID TrueType"), std::string::npos) << fonts;
  EXPECT_EQ(fonts.find(" no  "), std::string::npos) << "every font embedded:\n" << fonts;
  const std::string bytes = ReadFileBytes(path);
  EXPECT_NE(bytes.find("/FlateDecode"), std::string::npos);
  EXPECT_EQ(bytes.find("Tj\nET"), std::string::npos) << "content stream left uncompressed";
}

TEST(PdfWriterTest, PageFormatOrientationInformationAndViewerPreferences) {
  test::TempFolder folder;
  const std::string path = folder.path() + "a3.pdf";
  PdfWriter writer;
  StartDocument(writer, "L", "841.89,1190.55");
  writer.SetCreator("Kalvento");
  writer.SetSubject("Ergebnisliste");
  writer.SetTitle("/home/jürgen/Bilder/");
  writer.SetDisplayMode(-1, "/OneColumn");
  writer.Cell(50, 3.4, "x", 0, 0, "L", false, 0);
  ASSERT_TRUE(writer.Save(path)) << writer.LastError();

  const test::PdfInfo info = ReadPdfInfo(path);
  ASSERT_EQ(info.pages, 1);
  ASSERT_EQ(info.page_sizes.size(), 1u);
  EXPECT_NEAR(info.page_sizes[0].first, 1190.55, 0.01);
  EXPECT_NEAR(info.page_sizes[0].second, 841.89, 0.01);
  EXPECT_EQ(info.title, "/home/jürgen/Bilder/");
  EXPECT_EQ(info.creator, "Kalvento");
  EXPECT_EQ(info.subject, "Ergebnisliste");
  const std::string bytes = ReadFileBytes(path);
  EXPECT_NE(bytes.find("/PageLayout /OneColumn"), std::string::npos);
  EXPECT_NE(bytes.find("/OpenAction"), std::string::npos);
  EXPECT_NE(bytes.find("/Fit"), std::string::npos);
}

TEST(PdfWriterTest, AutomaticPageBreakKeepsFormatAndXAndStartsAtTheTop) {
  test::TempFolder folder;
  const std::string path = folder.path() + "pages.pdf";
  PdfWriter writer;
  StartDocument(writer, "L", "");
  // A4 landscape: 210 mm high; rows from y 5 while y + 3.4 <= 205: 58 rows a page.
  for (int row = 1; row <= 120; ++row) {
    writer.SetXY(20, writer.Y());
    writer.Cell(60, 3.4, "row " + std::to_string(row), 0, 0, "L", false, 0);
    if (row == 59) {
      EXPECT_EQ(writer.PageCount(), 2);
      EXPECT_DOUBLE_EQ(writer.X(), 80);
      EXPECT_DOUBLE_EQ(writer.Y(), 5);
    }
    writer.Ln(-1);
  }
  ASSERT_TRUE(writer.Save(path)) << writer.LastError();

  const test::PdfInfo info = ReadPdfInfo(path);
  ASSERT_EQ(info.pages, 3);
  for (const auto& [width, height] : info.page_sizes) {
    EXPECT_NEAR(width, 841.89, 0.01);
    EXPECT_NEAR(height, 595.28, 0.01);
  }
  const std::string first = PdfText(path, 1, 1);
  const std::string second = PdfText(path, 2, 2);
  EXPECT_NE(first.find("row 58\n"), std::string::npos);
  EXPECT_EQ(first.find("row 59"), std::string::npos);
  EXPECT_NE(second.find("row 59\n"), std::string::npos);
  EXPECT_NE(second.find("row 116\n"), std::string::npos);
}

TEST(PdfWriterTest, FitCellDrawsTheLongestFittingPartWithTheSuffixAndReturnsTheRest) {
  test::TempFolder folder;
  const std::string path = folder.path() + "fit.pdf";
  PdfWriter writer;
  StartDocument(writer);
  const double letter = writer.GetStringWidth("X");
  ASSERT_GT(letter, 1.0);
  EXPECT_NEAR(writer.GetStringWidth("XXXXXXXXXX"), 10 * letter, 1e-9);
  EXPECT_NEAR(writer.GetStringWidth("äöüßéèêÄ"), 8 * letter, 1e-9) << "a monospaced font";

  // 1 mm inside each side: a 12.5-letter cell holds 10 letters and a bit.
  const double width = 10.5 * letter + 2;
  EXPECT_EQ(writer.FitCell(width, 3.4, "short", 0, 1, "L", false, 0, "..."), "");
  const std::string long_text = "/home/ännchen/Ablage/Bilder/";
  const std::string rest = writer.FitCell(width, 3.4, long_text, 0, 1, "L", false, 0, "...");
  EXPECT_EQ(rest, long_text.substr(std::string("/home/ä").size()));
  EXPECT_TRUE(IsValidUtf8(rest));
  ASSERT_TRUE(writer.Save(path)) << writer.LastError();

  const std::string text = PdfText(path);
  EXPECT_NE(text.find("short\n"), std::string::npos) << text;
  EXPECT_NE(text.find("/home/ä...\n"), std::string::npos) << text;
  EXPECT_EQ(text.find("Bilder"), std::string::npos) << text;
}

TEST(PdfWriterTest, AnEmptyDocumentIsOneA4PortraitPage) {
  test::TempFolder folder;
  const std::string path = folder.path() + "empty.pdf";
  PdfWriter writer;
  ASSERT_TRUE(writer.Create("P", "mm", ""));
  ASSERT_TRUE(writer.Save(path)) << writer.LastError();
  const test::PdfInfo info = ReadPdfInfo(path);
  ASSERT_EQ(info.pages, 1);
  EXPECT_NEAR(info.page_sizes.at(0).first, 595.28, 0.01);
  EXPECT_NEAR(info.page_sizes.at(0).second, 841.89, 0.01);
}

TEST(PdfWriterTest, LibraryErrorsAreResultsAndEndTheDocument) {
  test::TempFolder folder;
  PdfWriter writer;
  // libharu refuses pages above 14,400 points.
  ASSERT_TRUE(writer.Create("P", "pt", "20000,30000"));
  EXPECT_FALSE(writer.AddPage("P", ""));
  EXPECT_FALSE(writer.LastError().empty());
  writer.Cell(10, 10, "ignored", 1, 0, "L", true, 0);
  EXPECT_FALSE(writer.Save(folder.path() + "refused.pdf"));
  EXPECT_FALSE(test::PathExistsForTest(folder.path() + "refused.pdf"));

  // A new document starts clean.
  ASSERT_TRUE(writer.Create("P", "mm", ""));
  EXPECT_TRUE(writer.LastError().empty());
  EXPECT_FALSE(writer.Create("P", "furlong", ""));
  EXPECT_FALSE(writer.Create("Q", "mm", ""));
  EXPECT_FALSE(writer.Create("P", "mm", "wide,high"));
}

TEST(PdfWriterTest, AFailedSaveLeavesTheOldFile) {
  test::TempFolder folder;
  const std::string old_file = folder.WriteFile("old.pdf", "old contents");
  PdfWriter writer;
  StartDocument(writer);
  writer.Cell(10, 3.4, "new", 0, 0, "L", false, 0);
  EXPECT_FALSE(writer.Save(folder.path() + "missing/folder.pdf"));
  // Replacing the file with a folder of the name fails after the document was written.
  const std::string blocked = folder.MakeFolder("blocked.pdf");
  folder.WriteFile("blocked.pdf/keep", "x");
  EXPECT_FALSE(writer.Save(folder.path() + "blocked.pdf"));
  EXPECT_TRUE(test::PathExistsForTest(blocked + "keep"));
  EXPECT_EQ(ReadFileBytes(old_file), "old contents");
  ASSERT_TRUE(writer.Save(old_file));
  EXPECT_EQ(ReadFileBytes(old_file).substr(0, 5), "%PDF-");
}

}  // namespace
}  // namespace kalvento::pdf
