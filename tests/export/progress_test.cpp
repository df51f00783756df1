#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "export/export_type.h"
#include "export/list_builder.h"
#include "recording_view.h"
#include "test_support.h"

namespace kalvento {
namespace {

// 0, then i / step + 1 at every step-th row (1 to 100), then -1 at the end.
std::vector<int> FullProgress() {
  std::vector<int> values = {0};
  for (int percent = 1; percent <= 100; ++percent) values.push_back(percent);
  values.push_back(-1);
  return values;
}

TEST(ExportProgressTest, TheBarShowsFrom10100TextRowsAnd5100RowsOfTheOthers) {
  struct Case {
    int type;
    size_t rows;
    bool shown;
  };
  const Case cases[] = {
      {kExportTextTab, 10100, true},        {kExportTextTab, 10099, false},
      {kExportTextSemicolon, 10100, true},  {kExportSpreadsheet, 5100, true},
      {kExportSpreadsheet, 5099, false},    {kExportPdf, 5100, true},
      {kExportPdf, 5099, false},
  };
  for (const Case& c : cases) {
    test::TempFolder folder;
    test::RecordingView view;
    const ExportRequest request{c.type, folder.path() + "list", "Kalvento", "/data/"};
    ASSERT_EQ(ExportList(test::ListOfLines(c.rows), request, view), ExportOutcome::kWritten);
    EXPECT_EQ(view.progress, c.shown ? FullProgress() : std::vector<int>{})
        << "type " << c.type << ", " << c.rows << " rows";
    EXPECT_EQ(view.polls, static_cast<int>(c.rows));
  }
}

TEST(ExportTypeTest, TheExtensionOfTheTypeIsAppendedUnlessTheNameHasIt) {
  struct Case {
    std::string file;
    int type;
    std::string expected;
  };
  const Case cases[] = {
      {"/d/list", kExportPdf, "/d/list.pdf"},
      {"/d/list.PDF", kExportPdf, "/d/list.PDF"},
      {"/d/list.TXT", kExportTextTab, "/d/list.TXT"},
      {"/d/list.csv", kExportTextTab, "/d/list.csv.txt"},
      {"/d/list.csv", kExportTextSemicolon, "/d/list.csv.txt"},
      {"/d/list.xls", kExportSpreadsheet, "/d/list.xls"},
      {"/d/list.xlsx", kExportSpreadsheet, "/d/list.xlsx.xls"},
      {"/d.x/list", kExportTextTab, "/d.x/list.txt"},
      {"/d/list.", kExportTextTab, "/d/list..txt"},
      {"list", 7, "list"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(WithExportExtension(c.file, c.type), c.expected) << c.file << " type " << c.type;
  }
}

}  // namespace
}  // namespace kalvento
