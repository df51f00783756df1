// Dates documents record about themselves: PDF through pdfinfo and the raw tail scan, Office Open
// XML and OpenDocument archives, and the dispatch by extension. TZ is Europe/Berlin.

#include "sources/document_dates.h"

#include <gtest/gtest.h>
#include <minizip/zip.h>
#include <signal.h>
#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "platform/files.h"
#include "sources/zip_member.h"
#include "test_support.h"

namespace kalvento {
namespace {

using test::TempFolder;

constexpr const char* kPdfInfo = "/usr/bin/pdfinfo";

// ---- fixtures ------------------------------------------------------------------------------

// An executable shell script standing in for pdfinfo.
std::string WriteTool(const TempFolder& folder, const std::string& name, const std::string& body) {
  const std::string path = folder.WriteFile(name, "#!/bin/sh\n" + body);
  chmod(path.c_str(), 0755);
  return path;
}

// A stand-in that prints `lines` only when it is called the way pdfinfo must be called: with
// -rawdates and the path, and LC_ALL=C.
std::string PdfInfoStandIn(const TempFolder& folder, const std::string& expected_path,
                           const std::string& lines) {
  return WriteTool(folder, "pdfinfo-stand-in",
                   "[ \"$#\" = 2 ] && [ \"$1\" = -rawdates ] && [ \"$2\" = '" + expected_path +
                       "' ] && [ \"$LC_ALL\" = C ] || exit 1\n"
                       "printf 'Title:           a title\\n'\n"
                       "printf '%s\\n' " +
                       lines + "\n");
}

// A small well-formed PDF whose information dictionary holds `info`.
std::string MinimalPdf(const std::string& info) {
  const std::vector<std::string> objects = {
      "<< /Type /Catalog /Pages 2 0 R >>",
      "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
      "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] >>",
      "<< " + info + " >>",
  };
  std::string pdf = "%PDF-1.4\n";
  std::vector<size_t> offsets;
  for (size_t i = 0; i < objects.size(); ++i) {
    offsets.push_back(pdf.size());
    pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
  }
  const size_t xref = pdf.size();
  pdf += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
  for (size_t offset : offsets) {
    std::string number = std::to_string(offset);
    pdf += std::string(10 - number.size(), '0') + number + " 00000 n \n";
  }
  pdf += "trailer\n<< /Size " + std::to_string(objects.size() + 1) +
         " /Root 1 0 R /Info 4 0 R >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
  return pdf;
}

// A ZIP archive written with minizip; members in the order given.
std::string WriteZip(const TempFolder& folder, const std::string& name,
                     const std::vector<std::pair<std::string, std::string>>& members) {
  const std::string path = folder.path() + name;
  zipFile zip = zipOpen(path.c_str(), APPEND_STATUS_CREATE);
  EXPECT_NE(zip, nullptr);
  for (const auto& [member, bytes] : members) {
    zip_fileinfo info{};
    EXPECT_EQ(zipOpenNewFileInZip(zip, member.c_str(), &info, nullptr, 0, nullptr, 0, nullptr,
                                  Z_DEFLATED, Z_DEFAULT_COMPRESSION),
              ZIP_OK);
    if (!bytes.empty()) {
      EXPECT_EQ(zipWriteInFileInZip(zip, bytes.data(), static_cast<unsigned>(bytes.size())),
                ZIP_OK);
    }
    EXPECT_EQ(zipCloseFileInZip(zip), ZIP_OK);
  }
  EXPECT_EQ(zipClose(zip, nullptr), ZIP_OK);
  return path;
}

std::string CoreXml(const std::string& properties) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
         "<cp:coreProperties "
         "xmlns:cp=\"http://schemas.openxmlformats.org/package/2006/metadata/core-properties\" "
         "xmlns:dc=\"http://purl.org/dc/elements/1.1/\" "
         "xmlns:dcterms=\"http://purl.org/dc/terms/\" "
         "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">"
         "<dc:creator>someone</dc:creator>" +
         properties + "</cp:coreProperties>";
}

std::string Created(const std::string& text) {
  return "<dcterms:created xsi:type=\"dcterms:W3CDTF\">" + text + "</dcterms:created>";
}
std::string Modified(const std::string& text) {
  return "<dcterms:modified xsi:type=\"dcterms:W3CDTF\">" + text + "</dcterms:modified>";
}

std::string MetaXml(const std::string& meta) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<office:document-meta xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
         "xmlns:meta=\"urn:oasis:names:tc:opendocument:xmlns:meta:1.0\" "
         "xmlns:dc=\"http://purl.org/dc/elements/1.1/\" office:version=\"1.3\"><office:meta>"
         "<meta:generator>a writer</meta:generator>" +
         meta + "</office:meta></office:document-meta>";
}

bool ProcessGone(int pid) { return kill(pid, 0) != 0 && errno == ESRCH; }

// ---- pdfinfo lines -------------------------------------------------------------------------

struct LineCase {
  std::string line;
  DateValue expected;
};

TEST(PdfInfoLineDate, ReadsTheDateFromTheFirstColumnAfterTheLabel) {
  const std::vector<LineCase> cases = {
      // Poppler's layout (date from column 18) and Xpdf's (column 17).
      {"CreationDate:    Sun Jul 14 10:12:33 2019 CEST", MakeDate(2019, 7, 14, 10, 12, 33)},
      {"CreationDate:   Sun Jul 14 10:12:33 2019", MakeDate(2019, 7, 14, 10, 12, 33)},
      {"ModDate:         Mon Jul 15 08:00:00 2019 CEST", MakeDate(2019, 7, 15, 8, 0, 0)},
      {"ModDate:        Mon Jul 15 08:00:00 2019", MakeDate(2019, 7, 15, 8, 0, 0)},
      {"CreationDate:    Sun Jul  7 10:12:33 2019 CEST", MakeDate(2019, 7, 7, 10, 12, 33)},
      {"CreationDate:    Tue Dec 31 23:59:59 2019 CET", MakeDate(2019, 12, 31, 23, 59, 59)},
      {"CreationDate:    Wed Jan  1 00:00:00 2020 CET", MakeDate(2020, 1, 1, 0, 0, 0)},
      // Month names are English and case-sensitive; only whole names count.
      {"CreationDate:    Sun jul 14 10:12:33 2019", 0},
      {"CreationDate:    Sun an, 14 10:12:33 2019", 0},
      {"CreationDate:    Sun --, 14 10:12:33 2019", 0},
      // Dates as written (-rawdates): the zone is ignored, missing parts start the year.
      {"CreationDate:    D:20190714101233+02'00'", MakeDate(2019, 7, 14, 10, 12, 33)},
      {"ModDate:         D:20190715060000Z", MakeDate(2019, 7, 15, 6, 0, 0)},
      {"ModDate:         D:2019071506", MakeDate(2019, 7, 15, 6, 0, 0)},
      {"ModDate:         D:2019", MakeDate(2019, 1, 1, 0, 0, 0)},
      {"CreationDate:    20190714101233", MakeDate(2019, 7, 14, 10, 12, 33)},
      {"CreationDate:    D:201", 0},
      {"CreationDate:    D:2019071", 0},
      {"CreationDate:    D:00000714101233", 0},
      {"CreationDate:    D:20191314101233", 0},
      {"CreationDate:    D:", 0},
      // A cut line, or a date of the wrong kind.
      {"CreationDate:    Sun Jul 14 10:12:33 201", 0},
      {"CreationDate:    Sun Jul 14 10:12:33 0000", 0},
      {"CreationDate:    Sun Jul 1x 10:12:33 2019", 0},
      {"CreationDate:    Sun Jul 14 10.12.33 2019", 0},
      {"CreationDate:    Sun Jul 32 10:12:33 2019", 0},
      {"CreationDate:", 0},
      {"CreationDate:                ", 0},
      {"Producer:        Sun Jul 14 10:12:33 2019", 0},
      {"", 0},
  };
  for (const LineCase& c : cases) {
    EXPECT_EQ(PdfInfoLineDate(c.line), c.expected) << c.line;
  }
}

// ---- PDF raw scan ---------------------------------------------------------------------------

struct TailCase {
  std::string tail;
  DateValue created;
  DateValue modified;
};

TEST(PdfTailDates, FindsTheEntriesWithAndWithoutThePrefix) {
  const std::string padding(40, ' ');
  const DateValue kJul14 = MakeDate(2019, 7, 14, 10, 12, 33);
  const DateValue kJul15 = MakeDate(2019, 7, 15, 8, 0, 0);
  const std::vector<TailCase> cases = {
      {"<</CreationDate(D:20190714101233+02'00')/ModDate(D:20190715080000Z)>>" + padding, kJul14,
       kJul15},
      // Without "D:" a date is taken only when a "-" zone follows its 14 digits.
      {"<</CreationDate(20190714101233-05'00')/ModDate(20190715080000-05'00')>>" + padding, kJul14,
       kJul15},
      {"<</CreationDate(20190714101233+02'00')/ModDate(20190715080000Z)>>" + padding, 0, 0},
      // Only the first entry counts.
      {"<</ModDate(D:20190715080000)>> <</ModDate(D:20190714101233)>>" + padding, 0, kJul15},
      // An entry at the very start of the tail, or too close to its end, is not read.
      {"/CreationDate(D:20190714101233+02'00')" + padding, 0, 0},
      {"x/CreationDate(D:20190714101233+02'00')", kJul14, 0},
      {std::string(10, ' ') + "/CreationDate(D:20190714101233" + std::string(8, ' '), kJul14, 0},
      {std::string(10, ' ') + "/CreationDate(D:20190714101233" + std::string(7, ' '), 0, 0},
      {std::string(10, ' ') + "/ModDate(D:20190715080000" + std::string(8, ' '), 0, kJul15},
      {std::string(10, ' ') + "/ModDate(D:20190715080000" + std::string(7, ' '), 0, 0},
      // A date of the wrong kind gives none.
      {"<</CreationDate(D:00000714101233)/ModDate(D:20191315080000)>>" + padding, 0, 0},
      {"<</CreationDate (D:20190714101233)/ModDate (D:20190715080000)>>" + padding, 0, 0},
      {"", 0, 0},
  };
  for (const TailCase& c : cases) {
    const DocumentDates dates = PdfTailDates(c.tail);
    EXPECT_EQ(dates.created, c.created) << c.tail;
    EXPECT_EQ(dates.modified, c.modified) << c.tail;
  }
}

// ---- PDF reader --------------------------------------------------------------------------

TEST(PdfInfoDates, TakesTheDatesPdfInfoPrints) {
  TempFolder folder;
  const std::string pdf = folder.WriteFile("a file.pdf", "not read by the stand-in");
  const std::string tool = PdfInfoStandIn(folder, pdf,
                                          "'CreationDate:    Sun Jul 14 10:12:33 2019 CEST' "
                                          "'ModDate:         Mon Jul 15 08:00:00 2019 CEST'");
  const DocumentDates dates = ReadPdfInfoDates(pdf, tool);
  EXPECT_EQ(dates.created, MakeDate(2019, 7, 14, 10, 12, 33));
  EXPECT_EQ(dates.modified, MakeDate(2019, 7, 15, 8, 0, 0));
}

TEST(PdfInfoDates, ReadsAOneDigitDay) {
  TempFolder folder;
  const std::string pdf = folder.WriteFile("a.pdf", "x");
  const std::string tool =
      PdfInfoStandIn(folder, pdf, "'CreationDate:    Sun Jul  7 10:12:33 2019 CEST'");
  EXPECT_EQ(ReadPdfInfoDates(pdf, tool).created, MakeDate(2019, 7, 7, 10, 12, 33));
}

TEST(PdfInfoDates, RealPdfInfoGivesTheDatesAsWritten) {
  TempFolder folder;
  // As the tail scan reads them: the zone is ignored, and a date without one is not taken for UTC.
  const std::string zoned = folder.WriteFile(
      "zoned.pdf",
      MinimalPdf("/CreationDate (D:20190714101233+02'00') /ModDate (D:20190715060000Z)"));
  DocumentDates dates = ReadPdfInfoDates(zoned, kPdfInfo);
  EXPECT_EQ(dates.created, MakeDate(2019, 7, 14, 10, 12, 33));
  EXPECT_EQ(dates.modified, MakeDate(2019, 7, 15, 6, 0, 0));
  const std::string plain =
      folder.WriteFile("plain.pdf", MinimalPdf("/CreationDate (D:20190707101233)"));
  dates = ReadPdfInfoDates(plain, kPdfInfo);
  EXPECT_EQ(dates.created, MakeDate(2019, 7, 7, 10, 12, 33));
  EXPECT_EQ(dates.modified, 0);
}

TEST(PdfInfoDates, ScansTheTailWhenPdfInfoCannotReadTheFile) {
  TempFolder folder;
  const std::string pdf = folder.WriteFile(
      "broken.pdf", std::string(20000, 'x') +
                        "<</CreationDate(D:20190714101233+02'00')/ModDate(20190715080000-05'00')"
                        ">>\n%%EOF\n");
  const DocumentDates dates = ReadPdfInfoDates(pdf, kPdfInfo);
  EXPECT_EQ(dates.created, MakeDate(2019, 7, 14, 10, 12, 33));
  EXPECT_EQ(dates.modified, MakeDate(2019, 7, 15, 8, 0, 0));
}

TEST(PdfInfoDates, ScansOnlyTheLastTenThousandBytes) {
  TempFolder folder;
  const std::string entry = "<</CreationDate(D:20190714101233+02'00')>>";
  const std::string near_end = folder.WriteFile(
      "near.pdf", std::string(100, 'x') + entry + std::string(10000 - entry.size() - 1, ' '));
  const std::string too_far =
      folder.WriteFile("far.pdf", std::string(100, 'x') + entry + std::string(10000, ' '));
  EXPECT_EQ(ReadPdfInfoDates(near_end, "").created, MakeDate(2019, 7, 14, 10, 12, 33));
  EXPECT_EQ(ReadPdfInfoDates(too_far, "").created, 0);
}

TEST(PdfInfoDates, NoTailScanOnceCreatedCameFromPdfInfo) {
  TempFolder folder;
  const std::string pdf =
      folder.WriteFile("a.pdf", "x<</CreationDate(D:20180101000000)/ModDate(D:20180102000000)>>" +
                                    std::string(50, ' '));
  const std::string tool =
      PdfInfoStandIn(folder, pdf, "'CreationDate:    Sun Jul 14 10:12:33 2019 CEST'");
  const DocumentDates dates = ReadPdfInfoDates(pdf, tool);
  EXPECT_EQ(dates.created, MakeDate(2019, 7, 14, 10, 12, 33));
  EXPECT_EQ(dates.modified, 0);
}

TEST(PdfInfoDates, KeepsPdfInfosModDateWhenTheScanFindsNone) {
  TempFolder folder;
  const std::string pdf = folder.WriteFile("a.pdf", std::string(100, 'x'));
  const std::string tool =
      PdfInfoStandIn(folder, pdf, "'ModDate:         Mon Jul 15 08:00:00 2019 CEST'");
  const DocumentDates dates = ReadPdfInfoDates(pdf, tool);
  EXPECT_EQ(dates.created, 0);
  EXPECT_EQ(dates.modified, MakeDate(2019, 7, 15, 8, 0, 0));
}

TEST(PdfInfoDates, MissingOrUnstartablePdfInfoGoesToTheTailScan) {
  TempFolder folder;
  const std::string pdf = folder.WriteFile(
      "a.pdf", "x<</CreationDate(D:20190714101233+02'00')>>" + std::string(50, ' '));
  const DateValue expected = MakeDate(2019, 7, 14, 10, 12, 33);
  EXPECT_EQ(ReadPdfInfoDates(pdf, "").created, expected);
  EXPECT_EQ(ReadPdfInfoDates(pdf, folder.path() + "no-such-tool").created, expected);
  EXPECT_EQ(ReadPdfInfoDates(folder.path() + "missing.pdf", kPdfInfo).created, 0);
  EXPECT_EQ(ReadPdfInfoDates(folder.WriteFile("empty.pdf"), kPdfInfo).created, 0);
}

TEST(PdfInfoDates, SilentPdfInfoIsEndedAndItsLinesKept) {
  TempFolder folder;
  const std::string pdf = folder.WriteFile("a.pdf", "x");
  const std::string pid_file = folder.path() + "pid";
  const std::string tool = WriteTool(
      folder, "hanging-pdfinfo",
      "echo $$ > '" + pid_file +
          "'\nprintf 'CreationDate:    Sun Jul 14 10:12:33 2019 CEST\\n'\nexec sleep 600\n");
  const auto started = std::chrono::steady_clock::now();
  const DocumentDates dates = ReadPdfInfoDates(pdf, tool);
  // Three seconds of silence end the wait: not sooner, and long before the 30 s cap.
  const auto waited = std::chrono::steady_clock::now() - started;
  EXPECT_GE(waited, std::chrono::milliseconds(2900));
  EXPECT_LT(waited, std::chrono::seconds(10));
  EXPECT_EQ(dates.created, MakeDate(2019, 7, 14, 10, 12, 33));
  const int pid = std::stoi(test::ReadFileBytes(pid_file));
  EXPECT_TRUE(ProcessGone(pid));
}

TEST(PdfInfoDates, PathsThatLookLikeOptionsReachPdfInfoAsPaths) {
  TempFolder folder;
  const std::string tool = WriteTool(folder, "echo-pdfinfo",
                                     "[ -f \"$2\" ] && case \"$2\" in -*) exit 1;; esac && "
                                     "printf 'CreationDate:    Sun Jul 14 10:12:33 2019\\n'\n");
  folder.WriteFile("-x.pdf", "x");
  const std::string relative = "-x.pdf";
  // Run from the folder so the relative name resolves.
  const std::string here = std::filesystem::current_path();
  std::filesystem::current_path(folder.path());
  const DateValue created = ReadPdfInfoDates(relative, tool).created;
  std::filesystem::current_path(here);
  EXPECT_EQ(created, MakeDate(2019, 7, 14, 10, 12, 33));
}

// ---- ZIP members -----------------------------------------------------------------------------

TEST(ZipMember, FindsTheNameIgnoringCaseAndBackslashes) {
  TempFolder folder;
  const std::string zip = WriteZip(folder, "a.zip",
                                   {{"mimetype", "x"},
                                    {"DOCPROPS/Core.XML", "first"},
                                    {"docProps/core.xml", "second"},
                                    {"sub\\file.txt", "backslashed"}});
  EXPECT_EQ(ReadZipMember(zip, "docProps\\core.xml"), "first");
  EXPECT_EQ(ReadZipMember(zip, "docprops/core.xml"), "first");
  EXPECT_EQ(ReadZipMember(zip, "sub/file.txt"), "backslashed");
  EXPECT_EQ(ReadZipMember(zip, "core.xml"), std::nullopt);
  EXPECT_EQ(ReadZipMember(zip, "docProps/core.xm"), std::nullopt);
  EXPECT_EQ(ReadZipMember(zip, "docProps/core.xml.bak"), std::nullopt);
}

TEST(ZipMember, EmptyMemberMissingArchiveAndGarbageGiveNone) {
  TempFolder folder;
  const std::string zip = WriteZip(folder, "a.zip", {{"meta.xml", ""}, {"other", "y"}});
  EXPECT_EQ(ReadZipMember(zip, "meta.xml"), std::nullopt);
  EXPECT_EQ(ReadZipMember(folder.path() + "missing.zip", "other"), std::nullopt);
  EXPECT_EQ(ReadZipMember(folder.WriteFile("garbage.zip", std::string(500, 'P')), "other"),
            std::nullopt);
  EXPECT_EQ(ReadZipMember(zip, ""), std::nullopt);
}

TEST(ZipMember, ReadsLargeMembersWholeAndRefusesCorruptOnes) {
  TempFolder folder;
  std::string big;
  for (int i = 0; big.size() < 350000; ++i) big += std::to_string(i * 7919) + ",";
  const std::string zip = WriteZip(folder, "big.zip", {{"big.txt", big}});
  EXPECT_EQ(ReadZipMember(zip, "big.txt"), big);

  // The same archive with a byte of the compressed data flipped.
  std::string bytes = test::ReadFileBytes(zip);
  const size_t data = 30 + std::string("big.txt").size() + 100;
  bytes[data] = static_cast<char>(bytes[data] ^ 0x55);
  const std::string broken = folder.WriteFile("broken.zip", bytes);
  EXPECT_EQ(ReadZipMember(broken, "big.txt"), std::nullopt);
}

// ---- Office Open XML and OpenDocument ------------------------------------------------------

TEST(CorePropertiesDates, UtcTimesBecomeLocal) {
  const DocumentDates dates = CorePropertiesDates(
      CoreXml(Created("2019-07-14T08:12:33Z") + Modified("2019-12-01T09:05:59Z")));
  EXPECT_EQ(dates.created, MakeDate(2019, 7, 14, 10, 12, 33));
  EXPECT_EQ(dates.modified, MakeDate(2019, 12, 1, 10, 5, 59));
}

TEST(CorePropertiesDates, OnlyThePlainUtcFormCounts) {
  const std::vector<std::pair<std::string, DateValue>> cases = {
      {"2019-07-14T08:12:33Z", MakeDate(2019, 7, 14, 10, 12, 33)},
      {"2019-07-14T08:12:33Zjunk after twenty", MakeDate(2019, 7, 14, 10, 12, 33)},
      {"2019-07-14T08:12:33.5Z", 0},
      {"2019-07-14T08:12:33+02:00", 0},
      {"2019-07-14T08:12:33", 0},
      {"2019-07-14", 0},
      {"0000-01-01T08:12:33Z", 0},
      {"", 0},
  };
  for (const auto& [text, expected] : cases) {
    EXPECT_EQ(CorePropertiesDates(CoreXml(Created(text))).created, expected) << text;
  }
}

TEST(CorePropertiesDates, LaterElementReplacesEarlierAndMissingStaysZero) {
  const DocumentDates later = CorePropertiesDates(
      CoreXml(Created("2018-01-01T00:00:00Z") + Created("2019-07-14T08:12:33Z")));
  EXPECT_EQ(later.created, MakeDate(2019, 7, 14, 10, 12, 33));
  const DocumentDates only_modified =
      CorePropertiesDates(CoreXml(Modified("2019-07-14T08:12:33Z")));
  EXPECT_EQ(only_modified.created, 0);
  EXPECT_EQ(only_modified.modified, MakeDate(2019, 7, 14, 10, 12, 33));
  // Only children of the document element are read.
  EXPECT_EQ(CorePropertiesDates(CoreXml("<x>" + Created("2019-07-14T08:12:33Z") + "</x>")).created,
            0);
  EXPECT_EQ(CorePropertiesDates("<cp:coreProperties><dcterms:created>2019").created, 0);
}

TEST(OpenDocumentMetaDates, TakesTheFirstNineteenCharactersAsLocalTime) {
  const DocumentDates dates = OpenDocumentMetaDates(
      MetaXml("<meta:creation-date>2019-07-14T10:12:33.123</meta:creation-date>"
              "<dc:date>2019-12-01T09:05:59.000000000</dc:date>"));
  EXPECT_EQ(dates.created, MakeDate(2019, 7, 14, 10, 12, 33));
  EXPECT_EQ(dates.modified, MakeDate(2019, 12, 1, 9, 5, 59));
  EXPECT_EQ(OpenDocumentMetaDates(MetaXml("<dc:date>2019-12-01</dc:date>")).modified, 0);
  // Dates outside office:meta are not the document's.
  EXPECT_EQ(OpenDocumentMetaDates("<office:document-meta><meta:creation-date>2019-07-14T10:12:33"
                                  "</meta:creation-date></office:document-meta>")
                .created,
            0);
}

TEST(DocumentReader, OfficeOpenXmlArchiveGivesLocalDates) {
  TempFolder folder;
  const std::string docx =
      WriteZip(folder, "Report.DOCX",
               {{"[Content_Types].xml", "<Types/>"},
                {"docProps/core.xml",
                 CoreXml(Created("2019-07-14T08:12:33Z") + Modified("2019-07-15T06:00:00Z"))}});
  ReaderContext context;
  const DocumentDates dates = ReadDocumentDates(docx, context);
  EXPECT_EQ(dates.created, MakeDate(2019, 7, 14, 10, 12, 33));
  EXPECT_EQ(dates.modified, MakeDate(2019, 7, 15, 8, 0, 0));

  const std::string no_created = WriteZip(
      folder, "sheet.xlsm", {{"docProps/core.xml", CoreXml(Modified("2019-07-15T06:00:00Z"))}});
  EXPECT_EQ(ReadDocumentDates(no_created, context).created, 0);
  EXPECT_EQ(ReadDocumentDates(no_created, context).modified, MakeDate(2019, 7, 15, 8, 0, 0));

  const std::string empty_member = WriteZip(folder, "deck.pptx", {{"docProps/core.xml", ""}});
  EXPECT_EQ(ReadDocumentDates(empty_member, context).created, 0);
}

TEST(DocumentReader, OpenDocumentArchiveGivesDatesAsWritten) {
  TempFolder folder;
  const std::string odt = WriteZip(
      folder, "letter.odt",
      {{"mimetype", "application/vnd.oasis.opendocument.text"},
       {"meta.xml", MetaXml("<meta:creation-date>2019-07-14T10:12:33.123</meta:creation-date>")}});
  ReaderContext context;
  EXPECT_EQ(ReadDocumentDates(odt, context).created, MakeDate(2019, 7, 14, 10, 12, 33));
  EXPECT_EQ(ReadDocumentDates(odt, context).modified, 0);
}

TEST(DocumentReader, DispatchFollowsTheExtension) {
  TempFolder folder;
  const std::string core = CoreXml(Created("2019-07-14T08:12:33Z"));
  const std::string meta = MetaXml("<meta:creation-date>2019-07-14T10:12:33</meta:creation-date>");
  const std::string pdf_bytes =
      "x<</CreationDate(D:20190714101233+02'00')>>" + std::string(50, ' ');
  const DateValue expected = MakeDate(2019, 7, 14, 10, 12, 33);
  ReaderContext context;  // no pdfinfo: the tail scan alone
  struct Case {
    std::string name;
    DateValue created;
  };
  const std::vector<Case> cases = {
      {"a.pdf", expected},  {"a.PDF", expected}, {"a.docx", expected}, {"a.potm", expected},
      {"a.xlsb", expected}, {"a.odt", expected}, {"a.odm", expected},  {"a.txt", 0},
      {"a.eml", 0},         {"a.msg", 0},        {"a.dat", 0},         {"a.odx", 0},
      {"pdf", 0},
  };
  for (const Case& c : cases) {
    // Every file holds all three kinds of dates; only its own reader finds one.
    const std::string path = folder.path() + c.name;
    WriteZip(folder, c.name, {{"docProps/core.xml", core}, {"meta.xml", meta}});
    if (c.name == "a.pdf" || c.name == "a.PDF") folder.WriteFile(c.name, pdf_bytes);
    EXPECT_EQ(ReadDocumentDates(path, context).created, c.created) << c.name;
  }
  // A zip archive named .pdf is scanned as a PDF and holds no PDF date.
  WriteZip(folder, "zip.pdf", {{"docProps/core.xml", core}});
  EXPECT_EQ(ReadDocumentDates(folder.path() + "zip.pdf", context).created, 0);
}

}  // namespace
}  // namespace kalvento
