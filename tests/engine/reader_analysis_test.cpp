// The analysis run with the installed readers and the real outside tools.
#include <gtest/gtest.h>

#include <string>

#include "engine/analysis.h"
#include "recording_view.h"
#include "sources/exif_fixtures.h"
#include "sources/exiftool_session.h"
#include "test_support.h"
#include "texts/text_table.h"

namespace kalvento {
namespace {

// Created takes only `code`; Modified is not corrected.
CorrectionSettings CreatedFrom(const std::string& code) {
  CorrectionSettings settings;
  SourceList list;
  list[0] = {SourceIndexOf(Target::kCreated, code), true};
  size_t position = 1;
  for (int i = 0; i < kSourceCount; ++i) {
    if (i != list[0].index) list[position++] = {i, false};
  }
  settings.created.sources = list;
  settings.modified.correct = false;
  return settings;
}

// The first file row's fields.
std::array<std::string, kColumnCount> AnalyseOneFile(const std::string& folder,
                                                     const CorrectionSettings& settings,
                                                     ReaderContext context) {
  AnalysisRequest request;
  request.folder = folder;
  request.settings = settings;
  request.context = std::move(context);
  ResultList list;
  test::RecordingView view;
  EXPECT_EQ(RunAnalysis(request, list, view), AnalysisOutcome::kCompleted);
  for (size_t i = 2; i < list.lines.size(); ++i) {
    if (list.lines[i].text.find('\t') != std::string::npos) return SplitRow(list.lines[i].text);
  }
  ADD_FAILURE() << "no file row";
  return {};
}

class ReaderAnalysisTest : public ::testing::Test {
 protected:
  void SetUp() override { FillTextTable(); }
  test::TempFolder folder_;
  ExifToolSession session_{"/usr/bin/exiftool"};
};

TEST_F(ReaderAnalysisTest, AJpegIsProposedItsExifTakenDate) {
  ASSERT_TRUE(test::MakeJpegWithTags(folder_.path() + "photo.jpg",
                                     {"-DateTimeOriginal=2019:07:14 10:12:33"}));
  ReaderContext context;
  context.exiftool = &session_;
  const auto row = AnalyseOneFile(folder_.path(), CreatedFrom("EXIF taken"), context);
  EXPECT_EQ(row[2], "2019.07.14 10:12:33");
  EXPECT_EQ(row[5], Text("GAD00404"));
}

TEST_F(ReaderAnalysisTest, AnAllZeroTakenDateStopsTheChainEvenWithAValidCreateDate) {
  ASSERT_TRUE(test::MakeJpegWithTags(
      folder_.path() + "photo.jpg",
      {"-n", "-DateTimeOriginal=0000:00:00 00:00:00", "-CreateDate=2019:07:14 10:12:33"}));
  ASSERT_EQ(session_.QueryExifTag(folder_.path() + "photo.jpg", "[EXIF] DateTimeOriginal"),
            "0000:00:00 00:00:00");
  ASSERT_EQ(session_.QueryExifTag(folder_.path() + "photo.jpg", "[EXIF] CreateDate"),
            "2019:07:14 10:12:33");
  ReaderContext context;
  context.exiftool = &session_;
  const auto row = AnalyseOneFile(folder_.path(), CreatedFrom("EXIF taken"), context);
  EXPECT_EQ(row[2], Text("GAD00321"));  // no new date
}

}  // namespace
}  // namespace kalvento
