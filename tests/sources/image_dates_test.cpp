// Image dates: the PNG and HEIC byte scanners, the XMP sidecar and the ExifTool chain.
// Run with TZ=Europe/Berlin (UTC+2 in July).

#include "sources/image_dates.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "test_support.h"

namespace kalvento {
namespace {

using test::TempFolder;

// ---- PNG fixtures -------------------------------------------------------------------------

uint32_t Crc32(std::string_view bytes) {
  static const auto table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  uint32_t c = 0xFFFFFFFFu;
  for (char b : bytes) c = table[(c ^ static_cast<unsigned char>(b)) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

std::string BigEndian32(uint32_t value) {
  return {static_cast<char>(value >> 24), static_cast<char>(value >> 16),
          static_cast<char>(value >> 8), static_cast<char>(value)};
}

// A real chunk: length, type, data, CRC over type and data.
std::string Chunk(const std::string& type, const std::string& data) {
  return BigEndian32(static_cast<uint32_t>(data.size())) + type + data +
         BigEndian32(Crc32(type + data));
}

std::string TimeChunk(int year, int month, int day, int hour, int minute, int second) {
  const std::string data = {static_cast<char>(year >> 8), static_cast<char>(year & 0xFF),
                            static_cast<char>(month),     static_cast<char>(day),
                            static_cast<char>(hour),      static_cast<char>(minute),
                            static_cast<char>(second)};
  return Chunk("tIME", data);
}

std::string TextChunk(const std::string& keyword, const std::string& text) {
  return Chunk("tEXt", keyword + std::string(1, '\0') + text);
}

std::string XmpChunk(const std::string& description_attributes) {
  const std::string xmp =
      "<x:xmpmeta xmlns:x='adobe:ns:meta/'><rdf:RDF "
      "xmlns:rdf='http://www.w3.org/1999/02/22-rdf-syntax-ns#'><rdf:Description "
      "xmlns:xmp='http://ns.adobe.com/xap/1.0/' " +
      description_attributes + "/></rdf:RDF></x:xmpmeta>";
  return Chunk("iTXt", std::string("XML:com.adobe.xmp") + std::string(5, '\0') + xmp);
}

// Signature, IHDR (1×1 grey), the given chunks, a tiny IDAT and IEND.
std::string Png(const std::string& chunks) {
  const std::string ihdr = BigEndian32(1) + BigEndian32(1) + std::string("\x08\x00\x00\x00\x00", 5);
  return std::string("\x89PNG\r\n\x1a\n", 8) + Chunk("IHDR", ihdr) + chunks +
         Chunk("IDAT", std::string("\x78\x9c\x63\x00\x00\x00\x01\x00\x01", 9)) + Chunk("IEND", "");
}

TEST(PngDatesTest, TimeChunkAloneIsModifiedConvertedFromUtc) {
  const PngDates dates = PngDatesFromBytes(Png(TimeChunk(2019, 7, 14, 8, 0, 0)));
  EXPECT_EQ(dates.modified, MakeDate(2019, 7, 14, 10, 0, 0));
  EXPECT_EQ(dates.created, 0);
  // Winter: UTC+1.
  EXPECT_EQ(PngDatesFromBytes(Png(TimeChunk(2019, 1, 14, 8, 0, 0))).modified,
            MakeDate(2019, 1, 14, 9, 0, 0));
}

TEST(PngDatesTest, TimeChunkOutOfRangeGivesNothing) {
  EXPECT_EQ(PngDatesFromBytes(Png(TimeChunk(2019, 13, 14, 8, 0, 0))).modified, 0);
  EXPECT_EQ(PngDatesFromBytes(Png(TimeChunk(1600, 7, 14, 8, 0, 0))).modified, 0);
  EXPECT_EQ(PngDatesFromBytes(Png(TimeChunk(2019, 7, 0, 8, 0, 0))).modified, 0);
  EXPECT_EQ(PngDatesFromBytes(Png(TimeChunk(2019, 7, 14, 24, 0, 0))).modified, 0);
  EXPECT_EQ(PngDatesFromBytes(Png(TimeChunk(2019, 7, 14, 8, 0, 60))).modified, 0);
  // Day 31 passes the range test but 31 June is no date.
  EXPECT_EQ(PngDatesFromBytes(Png(TimeChunk(2019, 6, 31, 8, 0, 0))).modified, 0);
}

TEST(PngDatesTest, NumericCreationTimeIsLocal) {
  const PngDates dates =
      PngDatesFromBytes(Png(TextChunk("Creation Time", "2019:07:14 10:12:33")));
  EXPECT_EQ(dates.created, MakeDate(2019, 7, 14, 10, 12, 33));
  EXPECT_EQ(dates.modified, 0);
}

TEST(PngDatesTest, XmpCreateDateReplacesNumericCreationTime) {
  const PngDates dates =
      PngDatesFromBytes(Png(TextChunk("Creation Time", "2019:07:14 10:12:33") +
                            XmpChunk("xmp:CreateDate=\"2018-05-06T07:08:09+02:00\" "
                                     "xmp:ModifyDate=\"2020-01-02T03:04:05\"")));
  EXPECT_EQ(dates.created, MakeDate(2018, 5, 6, 7, 8, 9));
  EXPECT_EQ(dates.modified, MakeDate(2020, 1, 2, 3, 4, 5));
}

TEST(PngDatesTest, WeekdayCreationTimeIsUtc) {
  // A two-digit day keeps its seconds whole.
  EXPECT_EQ(PngDatesFromBytes(Png(TextChunk("Creation Time", "Sun, 14 Jul 2019 10:12:33"))).created,
            MakeDate(2019, 7, 14, 12, 12, 33));
  // A one-digit day leaves the seconds whole.
  EXPECT_EQ(PngDatesFromBytes(Png(TextChunk("Creation Time", "Thu, 4 Jul 2019 10:12:33"))).created,
            MakeDate(2019, 7, 4, 12, 12, 33));
  // Month names ignore case; an unknown month, a missing field or a time without two colons
  // gives nothing.
  EXPECT_EQ(PngDatesFromBytes(Png(TextChunk("Creation Time", "Thu, 4 JUL 2019 10:12:33"))).created,
            MakeDate(2019, 7, 4, 12, 12, 33));
  EXPECT_EQ(PngDatesFromBytes(Png(TextChunk("Creation Time", "Thu, 4 Jux 2019 10:12:33"))).created,
            0);
  EXPECT_EQ(PngDatesFromBytes(Png(TextChunk("Creation Time", "Thu, 4 Jul 2019"))).created, 0);
  EXPECT_EQ(PngDatesFromBytes(Png(TextChunk("Creation Time", "Thu, 4 Jul 2019 1012"))).created, 0);
  EXPECT_EQ(PngDatesFromBytes(Png(TextChunk("Creation Time", "Thu,  4 Jul 2019 10:12:33"))).created,
            0);  // two blanks shift the fields
}

TEST(PngDatesTest, PresentLocalTextThatDoesNotParseHidesTheUtcText) {
  // created: the weekday text gives created-UTC, xmp:CreateDate a local text that is no date.
  // modified: tIME gives modified-UTC, xmp:ModifyDate a local text that is no date.
  const PngDates dates =
      PngDatesFromBytes(Png(TimeChunk(2019, 7, 14, 8, 0, 0) +
                            TextChunk("Creation Time", "Sun, 14 Jul 2019 10:12:33") +
                            XmpChunk("xmp:CreateDate=\"2019-13-14T10:12:33\" "
                                     "xmp:ModifyDate=\"2019-07-14 10:1\"")));
  EXPECT_EQ(dates.created, 0);
  EXPECT_EQ(dates.modified, 0);
}

TEST(PngDatesTest, XmpDateWithoutLeadingNumberIsIgnored) {
  const PngDates dates = PngDatesFromBytes(
      Png(TimeChunk(2019, 7, 14, 8, 0, 0) + XmpChunk("xmp:ModifyDate=\"0000-00-00T00:00:00\"")));
  EXPECT_EQ(dates.modified, MakeDate(2019, 7, 14, 10, 0, 0));
}

TEST(PngDatesTest, MarkerAtPositionZeroCountsAsNone) {
  const std::string time = TimeChunk(2019, 7, 14, 8, 0, 0).substr(4);  // "tIME" + data + CRC
  EXPECT_EQ(PngDatesFromBytes(time + std::string(16, 'x')).modified, 0);
  // The first match decides: a later tIME behind one at position 0 is not looked for.
  EXPECT_EQ(PngDatesFromBytes(time + std::string(16, 'x') + time + std::string(16, 'x')).modified,
            0);
  EXPECT_EQ(PngDatesFromBytes("x" + time + std::string(16, 'x')).modified,
            MakeDate(2019, 7, 14, 10, 0, 0));
}

TEST(PngDatesTest, MarkerTooCloseToTheEndIsIgnored) {
  const std::string time = TimeChunk(2019, 7, 14, 8, 0, 0).substr(4, 11);  // "tIME" + 7 bytes
  // n = 12: last start n - 12 = 0, and position 0 counts as none.
  EXPECT_EQ(PngDatesFromBytes("x" + time).modified, 0);
  // n = 13: position 1 is the last start.
  EXPECT_EQ(PngDatesFromBytes("x" + time + "y").modified, MakeDate(2019, 7, 14, 10, 0, 0));

  // "Creation Time": last start n - 38.
  const std::string creation = std::string("Creation Time") + '\0' + "2019:07:14 10:12:33";
  const std::string tail(38 - creation.size(), ' ');
  EXPECT_EQ(PngDatesFromBytes("x" + creation + tail).created, MakeDate(2019, 7, 14, 10, 12, 33));
  EXPECT_EQ(PngDatesFromBytes("x" + creation + tail.substr(1)).created, 0);

  // xmp:CreateDate: last start n - 40; xmp:ModifyDate: n - 37.
  const std::string create = "xmp:CreateDate=\"2019-07-14T10:12:33\"";
  const std::string modify = "xmp:ModifyDate=\"2019-07-14T10:12:33\"";
  EXPECT_EQ(PngDatesFromBytes("x" + create + std::string(40 - create.size(), ' ')).created,
            MakeDate(2019, 7, 14, 10, 12, 33));
  EXPECT_EQ(PngDatesFromBytes("x" + create + std::string(39 - create.size(), ' ')).created, 0);
  EXPECT_EQ(PngDatesFromBytes("x" + modify + std::string(37 - modify.size(), ' ')).modified,
            MakeDate(2019, 7, 14, 10, 12, 33));
  EXPECT_EQ(PngDatesFromBytes("x" + modify).modified, 0);  // n - 37 lies before the marker
}

TEST(PngDatesTest, OnlyTheFirst10240BytesAreScanned) {
  const std::string time = TimeChunk(2019, 7, 14, 8, 0, 0);
  std::string head = Png("");
  head.resize(10240 - 12, 'x');
  EXPECT_GT(PngDatesFromBytes(head + time.substr(4) + std::string(100, 'x')).modified, 0);
  head.resize(10240 - 11, 'x');  // "tIME" starts at 10229 = n - 11 of the 10240-byte head
  EXPECT_EQ(PngDatesFromBytes(head + time.substr(4) + std::string(100, 'x')).modified, 0);
}

TEST(PngDatesTest, ReaderKeepsNothingBetweenFiles) {
  TempFolder folder;
  ReaderContext context;
  const std::string first = folder.WriteFile(
      "a.png", Png(XmpChunk("xmp:ModifyDate=\"2019-07-14T10:12:33\" "
                            "xmp:CreateDate=\"2018-07-14T10:12:33\"")));
  const std::string second = folder.WriteFile("b.png", Png(""));
  const PngDates a = ReadPngDates(first, context);
  EXPECT_EQ(a.modified, MakeDate(2019, 7, 14, 10, 12, 33));
  EXPECT_EQ(a.created, MakeDate(2018, 7, 14, 10, 12, 33));
  const PngDates b = ReadPngDates(second, context);
  EXPECT_EQ(b.modified, 0);
  EXPECT_EQ(b.created, 0);
}

TEST(PngDatesTest, EmptyOrMissingFileGivesNothing) {
  TempFolder folder;
  ReaderContext context;
  const PngDates empty = ReadPngDates(folder.WriteFile("empty.png"), context);
  EXPECT_EQ(empty.created, 0);
  EXPECT_EQ(empty.modified, 0);
  EXPECT_EQ(ReadPngDates(folder.path() + "missing.png", context).modified, 0);
  EXPECT_EQ(ReadPngDates(folder.MakeFolder("folder.png"), context).modified, 0);
  EXPECT_EQ(ReadPngDates(folder.WriteFile("t.png", Png(TimeChunk(2019, 7, 14, 8, 0, 0))), context)
                .modified,
            MakeDate(2019, 7, 14, 10, 0, 0));
}

// ---- XMP sidecar --------------------------------------------------------------------------

std::string Sidecar(const std::string& description_attributes, const std::string& inside = "") {
  return "<?xpacket begin='' id='W5M0MpCehiHzreSzNTczkc9d'?>\n"
         "<x:xmpmeta xmlns:x='adobe:ns:meta/'>\n"
         " <rdf:RDF xmlns:rdf='http://www.w3.org/1999/02/22-rdf-syntax-ns#'>\n"
         "  <rdf:Description rdf:about='' xmlns:xmp='http://ns.adobe.com/xap/1.0/'\n"
         "    xmlns:photoshop='http://ns.adobe.com/photoshop/1.0/'\n"
         "    xmlns:exif='http://ns.adobe.com/exif/1.0/' " +
         description_attributes + ">" + inside +
         "</rdf:Description>\n"
         " </rdf:RDF>\n"
         "</x:xmpmeta>\n"
         "<?xpacket end='w'?>";
}

struct SidecarCase {
  const char* name;
  std::string xml;
  DateValue created;
  DateValue modified;
};

TEST(XmpSidecarTest, Cases) {
  const std::vector<SidecarCase> cases = {
      {"element form",
       Sidecar("", "<xmp:CreateDate>2019-07-14T10:12:33+02:00</xmp:CreateDate>"
                   "<xmp:ModifyDate>2020-01-02T03:04:05</xmp:ModifyDate>"),
       MakeDate(2019, 7, 14, 10, 12, 33), MakeDate(2020, 1, 2, 3, 4, 5)},
      {"attribute form",
       Sidecar("xmp:CreateDate='2019-07-14T10:12:33' xmp:ModifyDate='2020-01-02T03:04:05'"),
       MakeDate(2019, 7, 14, 10, 12, 33), MakeDate(2020, 1, 2, 3, 4, 5)},
      {"photoshop:DateCreated, then exif:DateTimeOriginal",
       Sidecar("photoshop:DateCreated='2019-07-14T10:12:33' "
               "exif:DateTimeOriginal='2018-01-01T00:00:01'"),
       MakeDate(2019, 7, 14, 10, 12, 33), 0},
      {"exif:DateTimeOriginal last", Sidecar("exif:DateTimeOriginal='2018-01-01T00:00:01'"),
       MakeDate(2018, 1, 1, 0, 0, 1), 0},
      {"empty xmp:CreateDate attribute falls back",
       Sidecar("xmp:CreateDate='' photoshop:DateCreated='2019-07-14'"),
       MakeDate(2019, 7, 14, 0, 0, 0), 0},
      {"MetadataDate after ModifyDate",
       Sidecar("xmp:MetadataDate='2021-03-04T05:06:07'"), 0, MakeDate(2021, 3, 4, 5, 6, 7)},
      {"ModifyDate before MetadataDate",
       Sidecar("xmp:ModifyDate='2020-03-04T05:06:07' xmp:MetadataDate='2021-03-04T05:06:07'"), 0,
       MakeDate(2020, 3, 4, 5, 6, 7)},
      {"an element, even empty, hides the attributes",
       Sidecar("photoshop:DateCreated='2019-07-14'", "<xmp:CreateDate/>"), 0, 0},
      {"date only", Sidecar("xmp:CreateDate='2019-07-14'"), MakeDate(2019, 7, 14, 0, 0, 0), 0},
      {"year only", Sidecar("xmp:CreateDate='2019'"), MakeDate(2019, 1, 1, 0, 0, 0), 0},
      {"year and month only", Sidecar("xmp:CreateDate='2019-07'"), 0, 0},
      {"no seconds, zone +", Sidecar("xmp:CreateDate='2019-07-14T10:12+02:00'"),
       MakeDate(2019, 7, 14, 10, 12, 0), 0},
      {"no seconds, zone -", Sidecar("xmp:ModifyDate='2019-07-14T10:12-05:00'"), 0,
       MakeDate(2019, 7, 14, 10, 12, 0)},
      {"fractional seconds and Z", Sidecar("xmp:CreateDate='2019-07-14T10:12:33.25Z'"),
       MakeDate(2019, 7, 14, 10, 12, 33), 0},
      {"no seconds, Z", Sidecar("xmp:CreateDate='2019-07-14T10:12Z'"), 0, 0},
      {"not a date", Sidecar("xmp:CreateDate='yesterday'"), 0, 0},
      {"impossible day", Sidecar("xmp:CreateDate='2019-02-30T10:12:33'"), 0, 0},
      {"all zero is no date (not now)", Sidecar("xmp:CreateDate='0000-00-00T00:00:00'"), 0, 0},
      {"several descriptions: the first only",
       "<x:xmpmeta xmlns:x='adobe:ns:meta/'><rdf:RDF xmlns:rdf='r'>"
       "<rdf:Description xmp:CreateDate='2019-07-14T10:12:33'/>"
       "<rdf:Description xmp:ModifyDate='2020-01-02T03:04:05'>"
       "<xmp:CreateDate>2018-01-01</xmp:CreateDate></rdf:Description>"
       "</rdf:RDF></x:xmpmeta>",
       MakeDate(2019, 7, 14, 10, 12, 33), 0},
      {"rdf:RDF as document element",
       "<rdf:RDF xmlns:rdf='r'><rdf:Description xmp:CreateDate='2019-07-14T10:12:33'/>"
       "</rdf:RDF>",
       0, 0},
      {"malformed", Sidecar("xmp:CreateDate='2019-07-14T10:12:33'").substr(0, 300), 0, 0},
      {"unclosed attribute quote", "<x:xmpmeta><rdf:RDF><rdf:Description xmp:CreateDate='2019", 0,
       0},
      {"empty", "", 0, 0},
  };
  for (const SidecarCase& c : cases) {
    SCOPED_TRACE(c.name);
    const SidecarDates dates = SidecarDatesFromXml(c.xml);
    EXPECT_EQ(dates.iptc_created, c.created) << FormatDate(kDisplayMask, dates.iptc_created);
    EXPECT_EQ(dates.xmp_modified, c.modified) << FormatDate(kDisplayMask, dates.xmp_modified);
  }
}

TEST(XmpSidecarTest, ReadsFilesUpToTheSizeLimit) {
  TempFolder folder;
  ReaderContext context;
  const std::string xml = Sidecar("xmp:CreateDate='2019-07-14T10:12:33'");
  EXPECT_EQ(ReadXmpSidecar(folder.WriteFile("a.xmp", xml), context).iptc_created,
            MakeDate(2019, 7, 14, 10, 12, 33));
  EXPECT_EQ(ReadXmpSidecar(folder.path() + "missing.xmp", context).iptc_created, 0);
  EXPECT_EQ(ReadXmpSidecar(folder.WriteFile("empty.xmp"), context).iptc_created, 0);
  // Trailing white space is well-formed; just over the limit the file is not read at all.
  const std::string at_limit = xml + std::string(kMaxSidecarBytes - xml.size(), '\n');
  EXPECT_EQ(ReadXmpSidecar(folder.WriteFile("limit.xmp", at_limit), context).iptc_created,
            MakeDate(2019, 7, 14, 10, 12, 33));
  EXPECT_EQ(ReadXmpSidecar(folder.WriteFile("over.xmp", at_limit + "\n"), context).iptc_created,
            0);
}

// ---- HEIC ---------------------------------------------------------------------------------

// An ftyp box of the given brand, filler, an EXIF-like block with the date texts, and padding.
std::string Heif(const std::string& brand, const std::vector<std::string>& dates,
                 size_t padding = 64) {
  std::string bytes = BigEndian32(24) + "ftyp" + brand + BigEndian32(0) + "mif1" + brand;
  bytes += BigEndian32(40) + "meta" + std::string(32, '\0');
  bytes += "Exif" + std::string(2, '\0') + "MM" + std::string("\0*\0\0\0\x08", 6);
  for (const std::string& date : dates) bytes += date + std::string(1, '\0');
  return bytes + std::string(padding, '\0');
}

TEST(HeicDatesTest, FirstDateShapedTextOfAHeifBrand) {
  const std::string heic = Heif("heic", {"2019:07:14 10:12:33", "2020:01:02 03:04:05"});
  EXPECT_EQ(HeicDateText(heic), "2019-07-14 10:12:33");
  EXPECT_EQ(HeicDateText(Heif("heix", {"2019:07:14 10:12:33"})), "2019-07-14 10:12:33");
  EXPECT_EQ(HeicDateText(Heif("mif1", {"2019:07:14 10:12:33"})), "");
  EXPECT_EQ(HeicDateText(Heif("avif", {"2019:07:14 10:12:33"})), "");
  EXPECT_EQ(HeicDateText(Heif("heic", {})), "");
  // The shape is only the colons and their places; the run's parse decides.
  EXPECT_EQ(HeicDateText(Heif("heic", {"abcd:ef:gh ij:kl:mn"})), "abcd-ef-gh ij:kl:mn");
}

TEST(HeicDatesTest, ScanStopsSixteenBytesBeforeTheEnd) {
  std::string head = Heif("heic", {}, 0) + "2019:07:14 10:12:33";
  // The text ends at n - 1: its first colon is at n - 15, past the last position n - 16.
  EXPECT_EQ(HeicDateText(head), "");
  EXPECT_EQ(HeicDateText(head + "x"), "2019-07-14 10:12:33");
  EXPECT_EQ(HeicDateText("xxxxftyphe"), "");
  EXPECT_EQ(HeicDateText(""), "");
}

TEST(HeicDatesTest, ReaderParsesTheTextWithinTheFirstMebibyte) {
  TempFolder folder;
  ReaderContext context;
  EXPECT_EQ(ReadHeicDate(folder.WriteFile("a.heic", Heif("heic", {"2019:07:14 10:12:33"})),
                         context),
            MakeDate(2019, 7, 14, 10, 12, 33));
  // A .heif file whose bytes 4 to 9 are not "ftyphe".
  EXPECT_EQ(ReadHeicDate(folder.WriteFile("b.heif", Heif("mif1", {"2019:07:14 10:12:33"})),
                         context),
            0);
  // Beyond the first MiB.
  std::string late = Heif("heic", {}, 0);
  late.resize(kHeicHeadBytes, '\0');
  late += "2019:07:14 10:12:33" + std::string(100, '\0');
  EXPECT_EQ(ReadHeicDate(folder.WriteFile("late.heic", late), context), 0);
  // An all-zero placeholder is no date (it would read as now).
  EXPECT_EQ(ReadHeicDate(folder.WriteFile("zero.heic", Heif("heic", {"0000:00:00 00:00:00"})),
                         context),
            0);
  EXPECT_EQ(ReadHeicDate(folder.WriteFile("bad.heic", Heif("heic", {"2019:13:14 10:12:33"})),
                         context),
            0);
  EXPECT_EQ(ReadHeicDate(folder.path() + "missing.heic", context), 0);
}

TEST(HeicDatesTest, FilesOf100BytesOrFewerGiveNothing) {
  TempFolder folder;
  ReaderContext context;
  std::string bytes = Heif("heic", {"2019:07:14 10:12:33"}, 0) + "x";
  ASSERT_LT(bytes.size(), 100u);
  bytes.resize(100, '\0');
  EXPECT_EQ(ReadHeicDate(folder.WriteFile("small.heic", bytes), context), 0);
  EXPECT_EQ(ReadHeicDate(folder.WriteFile("big.heic", bytes + std::string(1, '\0')), context),
            MakeDate(2019, 7, 14, 10, 12, 33));
}

// ---- ExifTool chain -----------------------------------------------------------------------

using Tags = std::map<std::string, std::string>;

struct ChainCase {
  const char* name;
  Tags tags;
  ImageDates expected;
};

ImageDates Dates(DateValue taken, DateValue iptc, DateValue changed, DateValue modified) {
  ImageDates d;
  d.taken = taken;
  d.iptc_created = iptc;
  d.exif_changed = changed;
  d.xmp_modified = modified;
  return d;
}

const DateValue kD = MakeDate(2019, 7, 14, 10, 12, 33);
const DateValue kE = MakeDate(2020, 1, 2, 3, 4, 5);

TEST(ImageDatesTest, TagChains) {
  const std::vector<ChainCase> cases = {
      {"nothing", {}, Dates(0, 0, 0, 0)},
      {"all four",
       {{"[EXIF] DateTimeOriginal", "2019:07:14 10:12:33"},
        {"[XMP] CreateDate", "2019:07:14 10:12:33"},
        {"[EXIF] ModifyDate", "2020:01:02 03:04:05"},
        {"[XMP] ModifyDate", "2020:01:02 03:04:05+01:00"}},
       Dates(kD, kD, kE, kE)},
      {"placeholder DateTimeOriginal stops the chain",
       {{"[EXIF] DateTimeOriginal", "0000:00:00 00:00:00"},
        {"[EXIF] CreateDate", "2019:07:14 10:12:33"}},
       Dates(0, 0, 0, 0)},
      {"taken: EXIF CreateDate", {{"[EXIF] CreateDate", "2019:07:14 10:12:33"}},
       Dates(kD, 0, 0, 0)},
      {"taken: Composite DateTimeOriginal",
       {{"[Composite] DateTimeOriginal", "2019:07:14 10:12:33.50+02:00"},
        {"[PNG] CreationTime", "2020:01:02 03:04:05"}},
       Dates(kD, 0, 0, 0)},
      {"taken: Composite DateTimeCreated",
       {{"[Composite] DateTimeCreated", "2019:07:14 10:12:33"}}, Dates(kD, 0, 0, 0)},
      {"taken: PNG CreationTime", {{"[PNG] CreationTime", "2019:07:14 10:12:33"}},
       Dates(kD, 0, 0, 0)},
      {"taken is not trimmed", {{"[EXIF] DateTimeOriginal", " 2019:07:14 10:12:33"}},
       Dates(0, 0, 0, 0)},
      {"changed: PNG ModifyDate", {{"[PNG] ModifyDate", "2020:01:02 03:04:05"}},
       Dates(0, 0, kE, 0)},
      {"changed: EXIF first",
       {{"[EXIF] ModifyDate", "2020:01:02 03:04:05"}, {"[PNG] ModifyDate", "2019:07:14 10:12:33"}},
       Dates(0, 0, kE, 0)},
      {"dd.mm.yyyy form", {{"[EXIF] DateTimeOriginal", "14.07.2019 10:12:33"}},
       Dates(kD, 0, 0, 0)},
      {"dd.mm.yyyy needs both dots", {{"[EXIF] DateTimeOriginal", "14.07-2019 10:12:33"}},
       Dates(0, 0, 0, 0)},
      {"iptc: XMP CreateDate without seconds",
       {{"[XMP] CreateDate", "2019:07:14 10:12"}}, Dates(0, MakeDate(2019, 7, 14, 10, 12, 0), 0, 0)},
      {"iptc: XMP CreateDate without seconds, with zone",
       {{"[XMP] CreateDate", "2019:07:14 10:12+02:00"}},
       Dates(0, MakeDate(2019, 7, 14, 10, 12, 0), 0, 0)},
      {"iptc: XMP CreateDate date only stops the chain",
       {{"[XMP] CreateDate", "2019:07:14"}, {"[XMP] DateCreated", "2019:07:14 10:12:33"}},
       Dates(0, 0, 0, 0)},
      {"iptc: XMP CreateDate before DateCreated",
       {{"[XMP] CreateDate", "2019:07:14 10:12:33"}, {"[XMP] DateCreated", "2020:01:02 03:04:05"}},
       Dates(0, kD, 0, 0)},
      {"iptc: XMP DateCreated trimmed",
       {{"[XMP] DateCreated", "  2019:07:14 10:12:33  "}}, Dates(0, kD, 0, 0)},
      {"iptc: IPTC date and time joined",
       {{"[IPTC] DateCreated", "2019:07:14"}, {"[IPTC] TimeCreated", "10:12:33+02:00"}},
       Dates(0, kD, 0, 0)},
      {"iptc: IPTC date without time",
       {{"[IPTC] DateCreated", "2019:07:14"}, {"[XMP] DateTimeOriginal", "2020:01:02 03:04:05"}},
       Dates(0, 0, 0, 0)},
      {"iptc: IPTC date of other length is taken alone",
       {{"[IPTC] DateCreated", "2019:7:14"}, {"[IPTC] TimeCreated", "10:12:33"}},
       Dates(0, 0, 0, 0)},
      {"iptc: XMP DateTimeOriginal cut and completed",
       {{"[XMP] DateTimeOriginal", "2019:07:14 10:12"}},
       Dates(0, MakeDate(2019, 7, 14, 10, 12, 0), 0, 0)},
      {"iptc: XMP DateTimeOriginal with zone",
       {{"[XMP] DateTimeOriginal", "2019:07:14 10:12:33+02:00"}}, Dates(0, kD, 0, 0)},
      {"iptc: Photoshop DateCreated",
       {{"[Photoshop] DateCreated", "2019:07:14 10:12:33"}, {"[XMP] MetadataDate", "x"}},
       Dates(0, kD, 0, 0)},
      {"iptc: XMP MetadataDate last", {{"[XMP] MetadataDate", "2019:07:14 10:12:33"}},
       Dates(0, kD, 0, 0)},
      {"xmp modified: completion, then trimming", {{"[XMP] ModifyDate", "2019:07:14 10:12  "}},
       Dates(0, 0, 0, MakeDate(2019, 7, 14, 10, 12, 0))},
      // The completion looks at character 17 before the blanks go: a leading blank shifts it.
      {"xmp modified: leading blank", {{"[XMP] ModifyDate", " 2019:07:14 10:12"}},
       Dates(0, 0, 0, 0)},
      {"xmp modified: dotted", {{"[XMP] ModifyDate", "14.07.2019 10:12:33"}},
       Dates(0, 0, 0, kD)},
      {"short and odd texts",
       {{"[EXIF] DateTimeOriginal", "1"},
        {"[EXIF] ModifyDate", "."},
        {"[XMP] CreateDate", ":"},
        {"[XMP] ModifyDate", "12.4"}},
       Dates(0, 0, 0, 0)},
      {"zero digits within 19 characters are no date (not now)",
       {{"[EXIF] DateTimeOriginal", "0000:00:00 00:00:00.123"}}, Dates(0, 0, 0, 0)},
      {"a time without a date is no date (not the first day of 1601)",
       {{"[EXIF] DateTimeOriginal", "0000:00:00 10:12:33"}}, Dates(0, 0, 0, 0)},
      {"impossible date", {{"[EXIF] DateTimeOriginal", "2019:02:30 10:12:33"}},
       Dates(0, 0, 0, 0)},
  };
  for (const ChainCase& c : cases) {
    SCOPED_TRACE(c.name);
    const ImageDates d = ImageDatesFromTags([&](const std::string& key) {
      const auto found = c.tags.find(key);
      return found == c.tags.end() ? std::string() : found->second;
    });
    EXPECT_EQ(d.taken, c.expected.taken) << FormatDate(kDisplayMask, d.taken);
    EXPECT_EQ(d.iptc_created, c.expected.iptc_created) << FormatDate(kDisplayMask, d.iptc_created);
    EXPECT_EQ(d.exif_changed, c.expected.exif_changed) << FormatDate(kDisplayMask, d.exif_changed);
    EXPECT_EQ(d.xmp_modified, c.expected.xmp_modified) << FormatDate(kDisplayMask, d.xmp_modified);
  }
}

TEST(ImageDatesTest, AtMostFifteenQueriesInTheChainOrder) {
  std::vector<std::string> asked;
  ImageDatesFromTags([&](const std::string& key) {
    asked.push_back(key);
    return key == "[IPTC] DateCreated" ? std::string("2019:07:14") : std::string();
  });
  const std::vector<std::string> expected = {
      "[EXIF] DateTimeOriginal", "[EXIF] CreateDate", "[Composite] DateTimeOriginal",
      "[Composite] DateTimeCreated", "[PNG] CreationTime", "[EXIF] ModifyDate",
      "[PNG] ModifyDate", "[XMP] CreateDate", "[XMP] DateCreated", "[IPTC] DateCreated",
      "[IPTC] TimeCreated", "[XMP] ModifyDate"};
  EXPECT_EQ(asked, expected);

  asked.clear();
  ImageDatesFromTags([&](const std::string& key) {
    asked.push_back(key);
    return std::string();
  });
  EXPECT_EQ(asked.size(), 14u);  // TimeCreated is asked only behind a 10-character date
  EXPECT_EQ(asked.back(), "[XMP] ModifyDate");
  EXPECT_EQ(asked[asked.size() - 2], "[XMP] MetadataDate");
}

TEST(ImageDatesTest, NoSessionGivesNothing) {
  ReaderContext context;
  const ImageDates d = ReadExifImageDates("/nonexistent/a.jpg", context);
  EXPECT_EQ(d.taken, 0);
  EXPECT_EQ(d.iptc_created, 0);
  EXPECT_EQ(d.exif_changed, 0);
  EXPECT_EQ(d.xmp_modified, 0);
}

}  // namespace
}  // namespace kalvento
