#include "export/text_export.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "export/list_builder.h"
#include "recording_view.h"
#include "test_support.h"
#include "texts/text_table.h"

namespace kalvento {
namespace {

std::string Fixture(const std::string& name) {
  return test::ReadFileBytes(std::string(KALVENTO_FIXTURES) + "/export/" + name);
}

// A list with what the text export must keep: trailing and inner blanks, an empty CreatedNew,
// a ";" and non-ASCII in a name, a correction mark, a bad byte and the stop note.
ResultList SampleList() {
  return test::MakeList({
      "/home/ann/Fotos; alt/",
      test::Row("a;b.jpg", "2019.07.14 18:03:55", "", "2019.07.14 18:03:55", "2020.01.02 03:04:05",
                "  EXIF taken  ", "FILENAME") + "   ",
      test::Row("Grüße.pdf", "2001.02.03 04:05:06", "<- 2001.02.03 04:05:06", "2001.02.03 04:05:06",
                "", "DOCS created", ""),
      test::Row(std::string("bad\xFF.txt"), "2001.02.03 04:05:06", "", "2001.02.03 04:05:06", "",
                "", ""),
      " ",
      "/home/ann/Fotos; alt/leer/",
      " ",
      "Analyse abgebrochen – die Liste ist unvollständig.",
  });
}

TEST(TextExportTest, WholeFilesForTabAndSemicolonMatchTheExpectedBytes) {
  struct Case {
    std::string separator;
    std::string fixture;
  };
  for (const Case& c : {Case{"\t", "sample_tab.txt"}, Case{";", "sample_semicolon.txt"}}) {
    test::TempFolder folder;
    const std::string path = folder.path() + "list.txt";
    test::RecordingView view;
    EXPECT_EQ(ExportText(SampleList(), path, c.separator, view), ExportOutcome::kWritten);
    EXPECT_EQ(test::ReadFileBytes(path), Fixture(c.fixture)) << c.fixture;
    EXPECT_TRUE(view.questions.empty());
    EXPECT_TRUE(view.progress.empty());
  }
}

TEST(TextExportTest, RowsBecomeLinesWithTrimmedFieldsAndCrLf) {
  struct Case {
    std::vector<std::string> lines;  // after header and spacer
    std::string separator;
    std::string expected_tail;       // after the header line and the empty line
  };
  const std::string empty_created_new = test::Row("x.jpg", "d1", "", "d2", "d3", "i1", "i2");
  const Case cases[] = {
      {{"/home/ann/"}, "\t", "/home/ann/\r\n"},
      {{empty_created_new}, ";", "x.jpg;d1;;d2;d3;i1;i2\r\n"},
      {{test::Row("a;b.jpg", "", "", "", "", "", "")}, ";", "a;b.jpg;;;;;;\r\n"},
      {{" padded \t  d1 \t\t\t\t\t  "}, "\t", "padded\td1\t\t\t\t\t\r\n"},
      // A longer separator counts with its first character, an empty one as a blank.
      {{"a\tb"}, ";,", "a;b\r\n"},
      {{"a\tb"}, "", "a b\r\n"},
  };
  for (const Case& c : cases) {
    test::TempFolder folder;
    const std::string path = folder.path() + "list.txt";
    test::RecordingView view;
    const ResultList list = test::MakeList(c.lines);
    ASSERT_EQ(ExportText(list, path, c.separator, view), ExportOutcome::kWritten);
    std::string header = list.lines[0].text;
    if (!c.separator.empty()) std::replace(header.begin(), header.end(), '\t', c.separator[0]);
    if (c.separator.empty()) std::replace(header.begin(), header.end(), '\t', ' ');
    EXPECT_EQ(test::ReadFileBytes(path), header + "\r\n\r\n" + c.expected_tail) << c.expected_tail;
  }
}

TEST(TextExportTest, TheThreeRowListGivesThreeLinesAndTheEmptyListAnEmptyFile) {
  test::TempFolder folder;
  test::RecordingView view;
  ResultList three = test::MakeList({"/home/ann/"});
  ASSERT_EQ(ExportText(three, folder.path() + "three.txt", "\t", view), ExportOutcome::kWritten);
  EXPECT_EQ(test::ReadFileBytes(folder.path() + "three.txt"), three.lines[0].text + "\r\n\r\n/home/ann/\r\n");

  const std::string empty = folder.path() + "empty.txt";
  ASSERT_EQ(ExportText(ResultList{}, empty, "\t", view), ExportOutcome::kWritten);
  EXPECT_TRUE(test::PathExistsForTest(empty));
  EXPECT_EQ(test::ReadFileBytes(empty), "");
  EXPECT_FALSE(view.wait_cursor);
}

TEST(TextExportTest, AnExistingFileIsReplacedOnlyAfterYes) {
  FillTextTable();
  for (const bool yes : {false, true}) {
    test::TempFolder folder;
    const std::string old_bytes("old\r\nbytes\0\xFF", 12);
    const std::string path = folder.WriteFile("old list.txt", old_bytes);
    test::RecordingView view;
    view.answer_yes = yes;
    const ExportOutcome outcome = ExportText(test::MakeList({"/a/"}), path, "\t", view);
    ASSERT_EQ(view.questions.size(), 1u);
    EXPECT_EQ(view.questions[0].title, Text("TXT00090"));
    EXPECT_EQ(view.questions[0].text, Text("TXT00091") + "\r\n\r\nold list.txt");
    if (yes) {
      EXPECT_EQ(outcome, ExportOutcome::kWritten);
      EXPECT_TRUE(test::ReadFileBytes(path).ends_with("\r\n\r\n/a/\r\n"));
    } else {
      EXPECT_EQ(outcome, ExportOutcome::kDeclined);
      EXPECT_EQ(test::ReadFileBytes(path), old_bytes);
      EXPECT_EQ(view.polls, 0);
    }
  }
}

TEST(TextExportTest, AFileThatCannotBeCreatedEndsSilently) {
  test::TempFolder folder;
  test::RecordingView view;
  EXPECT_EQ(ExportText(test::ListOfLines(20000), folder.path() + "no/such/folder.txt", "\t", view),
            ExportOutcome::kNotWritten);
  EXPECT_TRUE(view.questions.empty());
  EXPECT_TRUE(view.messages.empty());
  EXPECT_TRUE(view.progress.empty());
  EXPECT_EQ(view.polls, 0);
}

TEST(TextExportTest, EscapeWithYesKeepsTheLinesBeforeTheStopAndNoGoesOn) {
  FillTextTable();
  const ResultList list = test::MakeList({"/a/", "one", "two"});
  for (const bool yes : {true, false}) {
    test::TempFolder folder;
    const std::string path = folder.path() + "list.txt";
    test::RecordingView view;
    view.escape_at_poll = 3;  // at the folder row
    view.answer_yes = yes;
    const ExportOutcome outcome = ExportText(list, path, "\t", view);
    ASSERT_EQ(view.questions.size(), 1u);
    EXPECT_EQ(view.questions[0].title, Text("TXT00081"));
    EXPECT_EQ(view.questions[0].text, Text("TXT00082"));
    if (yes) {
      EXPECT_EQ(outcome, ExportOutcome::kStopped);
      EXPECT_EQ(test::ReadFileBytes(path), list.lines[0].text + "\r\n\r\n");
      EXPECT_EQ(view.polls, 3);
    } else {
      EXPECT_EQ(outcome, ExportOutcome::kWritten);
      EXPECT_EQ(test::ReadFileBytes(path), list.lines[0].text + "\r\n\r\n/a/\r\none\r\ntwo\r\n");
      EXPECT_EQ(view.polls, 5);
    }
  }
}

}  // namespace
}  // namespace kalvento
