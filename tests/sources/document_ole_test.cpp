// Legacy Office dates from the compound file's summary property set. TZ is Europe/Berlin.

#include <gsf/gsf-doc-meta-data.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-meta-names.h>
#include <gsf/gsf-msole-utils.h>
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-stdio.h>
#include <gsf/gsf-timestamp.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sources/compound_directory.h"
#include "sources/document_dates.h"
#include "sources/ole_properties.h"
#include "test_support.h"

namespace kalvento {
namespace {

using test::TempFolder;

constexpr int64_t kUnixEpochIn1601 = 11644473600;  // seconds from 1601 to 1970

uint64_t FileTimeOfUnix(int64_t unix_seconds) {
  return static_cast<uint64_t>(unix_seconds + kUnixEpochIn1601) * 10000000;
}

// 2019-07-14 08:12:33 UTC (10:12:33 in Berlin) and 2019-12-01 09:05:59 UTC (10:05:59).
constexpr int64_t kCreatedUnix = 1563091953;
constexpr int64_t kSavedUnix = 1575191159;

void InsertTime(GsfDocMetaData* meta, const char* name, int64_t unix_seconds) {
  GsfTimestamp* stamp = gsf_timestamp_new();
  gsf_timestamp_set_time(stamp, static_cast<guint64>(unix_seconds));
  GValue* value = g_new0(GValue, 1);
  g_value_init(value, GSF_TIMESTAMP_TYPE);
  gsf_timestamp_to_value(stamp, value);
  gsf_timestamp_free(stamp);
  gsf_doc_meta_data_insert(meta, g_strdup(name), value);  // takes both
}

// A compound file with a document stream and, when `times` is set, a summary stream written by
// libgsf's own property-set writer.
void WriteCompoundFile(const std::string& path, std::optional<std::pair<int64_t, int64_t>> times,
                       const char* summary_name = "\005SummaryInformation") {
  GError* error = nullptr;
  GsfOutput* file = gsf_output_stdio_new(path.c_str(), &error);
  ASSERT_NE(file, nullptr);
  GsfOutfile* ole = gsf_outfile_msole_new(file);
  g_object_unref(file);
  GsfOutput* body = gsf_outfile_new_child(ole, "WordDocument", FALSE);
  const std::string text(600, 'w');
  gsf_output_write(body, text.size(), reinterpret_cast<const guint8*>(text.data()));
  gsf_output_close(body);
  g_object_unref(body);
  if (times) {
    GsfDocMetaData* meta = gsf_doc_meta_data_new();
    InsertTime(meta, GSF_META_NAME_DATE_CREATED, times->first);
    InsertTime(meta, GSF_META_NAME_DATE_MODIFIED, times->second);
    GsfOutput* summary = gsf_outfile_new_child(ole, summary_name, FALSE);
    // FALSE selects the summary set (TRUE the document summary set).
    EXPECT_TRUE(gsf_doc_meta_data_write_to_msole(meta, summary, FALSE));
    gsf_output_close(summary);
    g_object_unref(summary);
    g_object_unref(meta);
  }
  gsf_output_close(GSF_OUTPUT(ole));
  g_object_unref(ole);
}

TEST(OleSummaryDates, LegacyFilesGiveTheirTimesLocalAndToTheMinute) {
  TempFolder folder;
  ReaderContext context;
  for (const char* name : {"letter.doc", "book.xls", "slides.PPT"}) {
    const std::string path = folder.path() + name;
    WriteCompoundFile(path, std::make_pair(kCreatedUnix, kSavedUnix));
    const DocumentDates dates = ReadDocumentDates(path, context);
    EXPECT_EQ(dates.created, MakeDate(2019, 7, 14, 10, 12, 0)) << name;
    EXPECT_EQ(dates.modified, MakeDate(2019, 12, 1, 10, 5, 0)) << name;
  }
}

TEST(OleSummaryDates, FilesWithoutSummaryOrCompoundFileGiveNone) {
  TempFolder folder;
  const std::string bare = folder.path() + "bare.doc";
  WriteCompoundFile(bare, std::nullopt);
  const std::string other_name = folder.path() + "other.doc";
  WriteCompoundFile(other_name, std::make_pair(kCreatedUnix, kSavedUnix), "SummaryInformation");
  for (const std::string& path :
       {bare, other_name, folder.WriteFile("text.doc", std::string(2000, 'a')),
        folder.WriteFile("empty.xls"), folder.path() + "missing.ppt", folder.path()}) {
    const DocumentDates dates = ReadLegacyOfficeDates(path);
    EXPECT_EQ(dates.created, 0) << path;
    EXPECT_EQ(dates.modified, 0) << path;
  }
}

// ---- the property set itself -----------------------------------------------------------------

void Put16(std::string& bytes, uint16_t value) {
  bytes += static_cast<char>(value & 0xFF);
  bytes += static_cast<char>(value >> 8);
}
void Put32(std::string& bytes, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
}

const std::string kSummaryFormatId = {'\xE0', '\x85', '\x9F', '\xF2', '\xF9', '\x4F',
                                      '\x68', '\x10', '\xAB', '\x91', '\x08', '\x00',
                                      '\x2B', '\x27', '\xB3', '\xD9'};

struct Property {
  uint32_t id;
  uint32_t type;
  uint64_t value;
};

// A summary stream with the properties given, each 12 bytes (type and 8 value bytes).
std::string SummaryStream(const std::vector<Property>& properties,
                          const std::string& format_id = kSummaryFormatId) {
  std::string stream;
  Put16(stream, 0xFFFE);
  Put16(stream, 0);
  Put32(stream, 0x00020005);
  stream += std::string(16, '\0');
  Put32(stream, 1);
  stream += format_id;
  Put32(stream, 48);
  std::string set;
  const auto table_size = static_cast<uint32_t>(8 + 8 * properties.size());
  Put32(set, table_size + static_cast<uint32_t>(12 * properties.size()));
  Put32(set, static_cast<uint32_t>(properties.size()));
  for (size_t i = 0; i < properties.size(); ++i) {
    Put32(set, properties[i].id);
    Put32(set, table_size + static_cast<uint32_t>(12 * i));
  }
  for (const Property& p : properties) {
    Put32(set, p.type);
    Put32(set, static_cast<uint32_t>(p.value));
    Put32(set, static_cast<uint32_t>(p.value >> 32));
  }
  return stream + set;
}

TEST(OleSummaryDates, ReadsCreatedAndLastSavedFileTimes) {
  const uint64_t created = FileTimeOfUnix(kCreatedUnix) + 9999999;  // 0.9999999 s later
  const uint64_t saved = FileTimeOfUnix(kSavedUnix);
  const std::string stream =
      SummaryStream({{2, 0x1E, 0}, {13, 0x40, saved}, {12, 0x40, created}, {12, 0x40, 1}});
  const SummaryTimes times = SummaryInformationTimes(stream);
  EXPECT_EQ(times.created, created);  // the first of a repeated id counts
  EXPECT_EQ(times.last_saved, saved);
  const DocumentDates dates = SummaryInformationDates(stream);
  EXPECT_EQ(dates.created, MakeDate(2019, 7, 14, 10, 12, 0));
  EXPECT_EQ(dates.modified, MakeDate(2019, 12, 1, 10, 5, 0));
}

TEST(OleSummaryDates, MalformedSetsGiveNone) {
  const uint64_t created = FileTimeOfUnix(kCreatedUnix);
  const std::string good = SummaryStream({{12, 0x40, created}});
  ASSERT_EQ(SummaryInformationTimes(good).created, created);

  std::string wrong_order = good;
  wrong_order[0] = '\xFF';
  std::string far_offset = good;
  far_offset[44] = '\x7F';  // the set's offset points past the stream
  std::string far_property = good;
  far_property[48 + 12] = '\x70';  // the property's offset points past the set
  const std::vector<std::string> cases = {
      "",
      good.substr(0, 40),
      good.substr(0, good.size() - 1),  // the value's last byte is missing
      wrong_order,
      far_offset,
      far_property,
      SummaryStream({{12, 0x40, created}}, std::string(16, '\x01')),
      SummaryStream({{12, 0x1E, created}}),  // not a FILETIME
      SummaryStream({{12, 0x40, 0}}),
      SummaryStream({{12, 0x40, ~uint64_t{0}}}),
  };
  for (const std::string& stream : cases) {
    EXPECT_EQ(SummaryInformationDates(stream).created, 0) << stream.size();
  }
}

// A compound file (512-byte sectors) whose root holds `streams` empty streams, each the right
// sibling of the one before: a chain as deep as it is long.
std::string SiblingChainCompoundFile(uint32_t streams) {
  const uint32_t entries = streams + 1;
  const uint32_t directory_sectors = (entries * 128 + 511) / 512;
  uint32_t fat_sectors = 1;
  while (fat_sectors * 128 < fat_sectors + directory_sectors) ++fat_sectors;
  auto put32 = [](std::string& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
  };
  std::string header(512, '\0');
  header.replace(0, 8, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1");
  header[0x18] = 0x3E;
  header[0x1A] = 3;                                    // version 3
  header[0x1C] = '\xFE', header[0x1D] = '\xFF';        // byte order
  header[0x1E] = 9, header[0x20] = 6;                  // sector and mini sector shifts
  put32(header, 0x2C, fat_sectors);
  put32(header, 0x30, fat_sectors);                    // the directory follows the FAT
  put32(header, 0x38, 4096);
  put32(header, 0x3C, 0xFFFFFFFE);
  put32(header, 0x44, 0xFFFFFFFE);
  for (uint32_t i = 0; i < 109; ++i) put32(header, 0x4C + 4 * i, i < fat_sectors ? i : 0xFFFFFFFF);
  std::string fat(fat_sectors * 512, '\xFF');
  for (uint32_t i = 0; i < fat_sectors; ++i) put32(fat, 4 * i, 0xFFFFFFFD);
  for (uint32_t i = 0; i < directory_sectors; ++i) {
    const uint32_t sector = fat_sectors + i;
    put32(fat, 4 * sector, i + 1 < directory_sectors ? sector + 1 : 0xFFFFFFFE);
  }
  std::string directory(directory_sectors * 512, '\0');
  for (uint32_t e = 0; e < entries; ++e) {
    const size_t at = e * 128;
    const std::string name = e == 0 ? "Root Entry" : "s" + std::to_string(e);
    for (size_t i = 0; i < name.size(); ++i) directory[at + 2 * i] = name[i];
    directory[at + 0x40] = static_cast<char>(2 * (name.size() + 1));
    directory[at + 0x42] = e == 0 ? 5 : 2;  // root storage, stream
    put32(directory, at + 0x44, 0xFFFFFFFF);
    put32(directory, at + 0x48, e > 0 && e + 1 < entries ? e + 1 : 0xFFFFFFFF);
    put32(directory, at + 0x4C, e == 0 ? 1 : 0xFFFFFFFF);
    put32(directory, at + 0x74, 0xFFFFFFFE);
  }
  return header + fat + directory;
}

bool Fits(const std::string& bytes) {
  GsfInput* input = gsf_input_memory_new(reinterpret_cast<const guint8*>(bytes.data()),
                                         static_cast<gsf_off_t>(bytes.size()), FALSE);
  const bool fits = CompoundDirectoryFits(input);
  g_object_unref(input);
  return fits;
}

TEST(OleSummaryDates, ADirectoryTooDeepForLibgsfIsRefusedNotFollowed) {
  EXPECT_TRUE(Fits(SiblingChainCompoundFile(100)));
  EXPECT_TRUE(Fits(SiblingChainCompoundFile(kMaxCompoundDirectoryDepth - 2)));
  EXPECT_FALSE(Fits(SiblingChainCompoundFile(kMaxCompoundDirectoryDepth)));
  EXPECT_TRUE(Fits("not a compound file"));
  // Deep enough to overflow the stack inside libgsf: no dates, and the program goes on.
  TempFolder folder;
  const std::string path = folder.WriteFile("deep.doc", SiblingChainCompoundFile(300000));
  const DocumentDates dates = ReadLegacyOfficeDates(path);
  EXPECT_EQ(dates.created, 0);
  EXPECT_EQ(dates.modified, 0);
}

}  // namespace
}  // namespace kalvento
