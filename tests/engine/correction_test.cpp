// The correction run on real files in a temporary folder. Local time is Berlin time.

#include "engine/correction.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "dates/datef.h"
#include "engine/analysis.h"
#include "platform/clock.h"
#include "platform/file_times.h"
#include "platform/files.h"
#include "recording_view.h"
#include "test_support.h"
#include "texts/text_table.h"

namespace kalvento {
namespace {

using platform::FileInstant;

constexpr long long kRunUnix = 1709989531;  // 2024-03-09 14:05:31 in Berlin
constexpr char kRunLogName[] = "2024-03-09_14-05-31.txt";
constexpr char kRunTime[] = "2024.03.09 14:05:31";
constexpr char kOldDate[] = "2001.01.01 01:00:00";  // 978307200 in Berlin
constexpr long long kOldUnix = 978307200;
constexpr char kNewModified[] = "2019.07.14 18:03:55";
constexpr long long kNewModifiedUnix = 1563120235;  // 16:03:55 UTC, summer time

platform::FileTimes TimesOf(const std::string& path) {
  const auto times = platform::ReadFileTimes(path);
  EXPECT_TRUE(times.has_value()) << path;
  return times.value_or(platform::FileTimes{});
}

std::string Row(const std::string& name, const std::string& created, const std::string& created_new,
                const std::string& modified, const std::string& modified_new) {
  return JoinRow({name, created, created_new, modified, modified_new, "info c", "info m"});
}

std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry :
       platform::ListFolder(folder).value_or(std::vector<platform::FolderEntry>{})) {
    names.push_back(entry.name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

class CorrectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FillTextTable();
    platform::SetClockForTests(FileInstant{kRunUnix, 0});
    folders_.program = temp_.MakeFolder("program");
    folders_.data = temp_.MakeFolder("data");
    folders_.log = temp_.MakeFolder("data/Logs");
    photos_ = temp_.MakeFolder("photos");
    request_.current_folder = photos_;
    request_.folders = folders_;
  }
  void TearDown() override { platform::SetClockForTests(std::nullopt); }

  // Header, spacer, the folder line of `folder`, the rows (marked unless said), a spacer.
  ResultList ListOf(const std::string& folder, const std::vector<ResultLine>& rows) {
    ResultList list;
    list.lines = {{"header", 1}, {" ", 0}, {folder, 1}};
    list.lines.insert(list.lines.end(), rows.begin(), rows.end());
    list.lines.push_back({" ", 0});
    list.folders = {folder};
    return list;
  }

  std::string Photo(const std::string& name) {
    const std::string path = temp_.WriteFile("photos/" + name, "contents of " + name);
    test::SetModifiedUnix(path, kOldUnix);
    return path;
  }

  CorrectionOutcome Run(ResultList& list) { return RunCorrection(request_, list, view_); }

  std::string LogStart() const {
    return Text("Program_Name") + ", " + Text("Version_Name") + "\r\n\r\nStart: " + kRunTime +
           "\r\n\r\n" + Text("GAD00252") + " " + photos_ + "\r\n\r\n" + Text("TXT00401") + "\t" +
           Text("TXT00402") + "\t" + Text("TXT00403") + "\t" + Text("TXT00404") + "\t" +
           Text("TXT00405") + "\r\n";
  }
  std::string LogEnd() const { return std::string("\r\nStop: ") + kRunTime + "\r\n"; }

  test::TempFolder temp_;
  platform::Folders folders_;
  std::string photos_;
  CorrectionRequest request_;
  test::RecordingView view_;
};

TEST_F(CorrectionTest, WritesMarkedRowsRewritesThemAndLogsOnlyWhatWasWritten) {
  const std::string both = Photo("both.jpg");
  const std::string only_modified = Photo("only_modified.jpg");
  const std::string unmarked = Photo("unmarked.jpg");
  const std::string read_only = Photo("read_only.jpg");
  const std::string unchanged = Photo("unchanged.jpg");
  ASSERT_EQ(chmod(read_only.c_str(), 0444), 0);
  const std::string unmarked_row =
      Row("unmarked.jpg", kOldDate, kNewModified, kOldDate, kNewModified);
  ResultList list =
      ListOf(photos_,
             {
                 {Row("both.jpg", kOldDate, "2018.01.02 03:04:05", kOldDate, kNewModified), 1},
                 {Row("only_modified.jpg", kOldDate, "", kOldDate, kNewModified), 1},
                 {unmarked_row, 0},
                 {Row("read_only.jpg", kOldDate, "2018.01.02 03:04:05", kOldDate, kNewModified), 1},
                 {Row("missing.jpg", kOldDate, "2018.01.02 03:04:05", kOldDate, kNewModified), 1},
                 {Row("unchanged.jpg", kOldDate, Text("GAD00320"), kOldDate, Text("GAD00321")), 1},
             });
  request_.create_log = true;

  const CorrectionOutcome outcome = Run(list);

  // On disk: Modified is the proposal; the unmarked and the unchanged files keep theirs.
  for (const std::string& path : {both, only_modified, read_only}) {
    EXPECT_EQ(test::ModifiedUnix(path), kNewModifiedUnix) << path;
  }
  EXPECT_EQ(test::ModifiedUnix(unmarked), kOldUnix);
  EXPECT_EQ(test::ModifiedUnix(unchanged), kOldUnix);
  EXPECT_EQ(test::ReadFileBytes(both), "contents of both.jpg");

  // Rows: this file system keeps no settable creation time, so Created fails with the reason.
  const std::string written = "<- " + Text("GAD00316");
  const std::string failed = "!! " + Text("GAD00318");
  EXPECT_EQ(list.lines[3].text, Row("both.jpg", kOldDate, failed, kNewModified, written));
  EXPECT_EQ(list.lines[4].text, Row("only_modified.jpg", kOldDate, "", kNewModified, written));
  EXPECT_EQ(list.lines[5].text, unmarked_row);
  EXPECT_EQ(list.lines[6].text,
            Row("read_only.jpg", kOldDate, "!! " + Text("GAD00317"), kNewModified, written));
  EXPECT_EQ(list.lines[7].text, Row("missing.jpg", kOldDate, failed, kOldDate, failed));
  EXPECT_EQ(list.lines[8].text, Row("unchanged.jpg", kOldDate, "", kOldDate, ""));
  for (size_t i = 3; i <= 8; ++i) EXPECT_EQ(list.lines[i].mark, i == 5 ? 0 : 1) << i;

  EXPECT_FALSE(outcome.stopped);
  EXPECT_EQ(outcome.dates_written, 3);
  EXPECT_EQ(outcome.writes_failed, 4);
  EXPECT_EQ(outcome.last_log, kRunLogName);
  ASSERT_EQ(outcome.log_path, folders_.log + kRunLogName);
  // A failed Created write logs the old date as its new one; both failing logs nothing.
  const std::string old_twice = std::string(kOldDate) + "\t" + kOldDate;
  const std::string modified_pair = std::string(kOldDate) + "\t" + kNewModified;
  EXPECT_EQ(test::ReadFileBytes(outcome.log_path), LogStart() + old_twice + "\t" + modified_pair + "\t" + both +
                                         "\r\n" + old_twice + "\t" + modified_pair + "\t" +
                                         only_modified + "\r\n" + old_twice + "\t" + modified_pair +
                                         "\t" + read_only + "\r\n" + LogEnd());
}

TEST_F(CorrectionTest, EmptyListWithLogAndTheEndState) {
  ResultList list;
  list.lines = {{"header", 1}, {" ", 0}};
  request_.create_log = true;
  const CorrectionOutcome outcome = Run(list);
  EXPECT_EQ(test::ReadFileBytes(outcome.log_path), LogStart() + LogEnd());
  EXPECT_EQ(view_.correct_button, 0);
  EXPECT_EQ(view_.stop_hint, Text("GAD00341"));
  EXPECT_TRUE(view_.stop_hint_visible);
  EXPECT_FALSE(view_.wait_cursor);
  EXPECT_GE(view_.repaints, 1);
  EXPECT_TRUE(view_.progress.empty());
  EXPECT_EQ(view_.status_text,
            "  " + Text(platform::IsDaylightSavingNow() ? "GAD00333" : "GAD00334"));
}

TEST_F(CorrectionTest, WithoutALogFolderTheRunGoesOnAndStillNamesTheLog) {
  const std::string file = Photo("a.jpg");
  ResultList list = ListOf(photos_, {{Row("a.jpg", kOldDate, "", kOldDate, kNewModified), 1}});
  request_.create_log = true;
  request_.folders.log = folders_.data + "missing/";
  const CorrectionOutcome outcome = Run(list);
  EXPECT_EQ(test::ModifiedUnix(file), kNewModifiedUnix);
  EXPECT_EQ(outcome.last_log, kRunLogName);
  EXPECT_EQ(outcome.log_path, "");
  EXPECT_FALSE(test::PathExistsForTest(request_.folders.log + kRunLogName));
}

TEST_F(CorrectionTest, LogIsOffUnlessAsked) {
  Photo("a.jpg");
  ResultList list = ListOf(photos_, {{Row("a.jpg", kOldDate, "", kOldDate, kNewModified), 1}});
  const CorrectionOutcome outcome = Run(list);
  EXPECT_EQ(outcome.last_log, "");
  EXPECT_EQ(outcome.log_path, "");
  EXPECT_TRUE(Names(folders_.log).empty());
}

TEST_F(CorrectionTest, AnalysedFolderIsCorrectedAndASecondRunWritesNothing) {
  const std::string first = Photo("IMG_2.jpg");
  const std::string second = Photo("IMG_10.jpg");
  AnalysisRequest analysis;
  analysis.folder = photos_;
  analysis.settings.created.correct = false;
  TargetSettings& modified = analysis.settings.modified;
  modified.sources[0] = {SourceIndexOf(Target::kModified, "FIXEDDATE"), true};
  for (size_t i = 1; i < modified.sources.size(); ++i) {
    int index = static_cast<int>(i);
    if (index == modified.sources[0].index) index = 0;
    modified.sources[i] = {index, false};
  }
  modified.fixed = CalendarRecord{2019, 7, 14, 18, 3, 55};
  ResultList list;
  test::RecordingView analysis_view;
  ASSERT_EQ(RunAnalysis(analysis, list, analysis_view), AnalysisOutcome::kCompleted);

  const CorrectionOutcome outcome = Run(list);
  EXPECT_EQ(outcome.dates_written, 2);
  EXPECT_EQ(outcome.writes_failed, 0);
  EXPECT_EQ(test::ModifiedUnix(first), kNewModifiedUnix);
  EXPECT_EQ(test::ModifiedUnix(second), kNewModifiedUnix);
  ASSERT_EQ(list.lines.size(), 6u);
  EXPECT_EQ(SplitRow(list.lines[3].text)[4], "<- " + Text("GAD00316"));

  // The rewritten rows hold no proposals any more.
  test::SetModifiedUnix(first, kOldUnix);
  const CorrectionOutcome again = Run(list);
  EXPECT_EQ(again.dates_written, 0);
  EXPECT_EQ(test::ModifiedUnix(first), kOldUnix);
  EXPECT_EQ(SplitRow(list.lines[3].text)[4], "");
}

// --- Renaming -------------------------------------------------------------------------------

struct RenameCase {
  std::string title;
  std::string options;                // the options file
  std::string name;                   // the corrected file
  std::string modified_new;           // its Modified proposal
  std::vector<std::string> others;    // files already in the folder
  std::vector<std::string> expected;  // the folder afterwards
};

const std::string kTaken = "RenameFormat=YYYYMMDD_\nRenameDate=created\nRenameType=all\n";

const std::vector<RenameCase> kRenameCases = {
    {"after Created",
     kTaken + "RenameRemove=0\n",
     "IMG_0001.jpg",
     "",
     {},
     {"20190714_IMG_0001.jpg"}},
    {"leading characters dropped",
     kTaken + "RenameRemove=4\n",
     "IMG_0001.jpg",
     "",
     {},
     {"20190714_0001.jpg"}},
    {"characters, not bytes",
     kTaken + "RenameRemove=2\n",
     "\xC3\x84\xC3\x96_1.jpg",
     "",
     {},
     {"20190714__1.jpg"}},
    {"name taken",
     kTaken,
     "IMG_0001.jpg",
     "",
     {"20190714_IMG_0001.jpg"},
     {"20190714_IMG_0001 (2).jpg", "20190714_IMG_0001.jpg"}},
    {"two names taken",
     kTaken,
     "IMG_0001.jpg",
     "",
     {"20190714_IMG_0001.jpg", "20190714_IMG_0001 (2).jpg"},
     {"20190714_IMG_0001 (2).jpg", "20190714_IMG_0001 (3).jpg", "20190714_IMG_0001.jpg"}},
    {"corrected, nothing written",
     "RenameFormat=YYYYMMDD_\nRenameDate=created\nRenameType=corrected\n",
     "IMG_0001.jpg",
     "",
     {},
     {"IMG_0001.jpg"}},
    {"corrected, Modified written",
     "RenameFormat=YYYY-MM-DD_hh.mm.ss_\nRenameDate=modified\nRenameType=corrected\n",
     "IMG_0001.jpg",
     "2020.03.04 05:06:07",
     {},
     {"2020-03-04_05.06.07_IMG_0001.jpg"}},
    {"trimmed values",
     "RenameFormat = YYYY \t\nRenameDate=created\nRenameType=all\n",
     "IMG_0001.jpg",
     "",
     {},
     {"2019IMG_0001.jpg"}},
    {"capitals in the values",
     "RenameFormat=YYYYMMDD_\nRenameDate= CREATED\nRenameType=All\n",
     "IMG_0001.jpg",
     "",
     {},
     {"20190714_IMG_0001.jpg"}},
    {"tokens are case-sensitive",
     "RenameFormat=DD.MM.YYYY mm_\nRenameDate=created\nRenameType=all\n",
     "IMG_0001.jpg",
     "",
     {},
     {"14.07.2019 03_IMG_0001.jpg"}},
    {"no RenameDate",
     "RenameFormat=YYYYMMDD_\nRenameType=all\n",
     "IMG_0001.jpg",
     "",
     {},
     {"IMG_0001.jpg"}},
    {"keys after a section do not count",
     "[Section]\nRenameFormat=YYYYMMDD_\nRenameDate=created\nRenameType=all\n",
     "IMG_0001.jpg",
     "",
     {},
     {"IMG_0001.jpg"}},
    {"a slash never leaves the folder",
     "RenameFormat=../YYYY\nRenameDate=created\nRenameType=all\n",
     "IMG_0001.jpg",
     "",
     {},
     {"IMG_0001.jpg"}},
    {"a name of two dots",
     "RenameFormat=..\nRenameDate=created\nRenameType=all\nRenameRemove=9\n",
     "README",
     "",
     {},
     {"README"}},
};

TEST_F(CorrectionTest, RenamesAfterTheDate) {
  for (const RenameCase& c : kRenameCases) {
    SCOPED_TRACE(c.title);
    test::TempFolder folder;
    const std::string photos = folder.MakeFolder("photos");
    folder.WriteFile("photos/" + c.name, "the file");
    for (const std::string& other : c.others) folder.WriteFile("photos/" + other, "other");
    temp_.WriteFile("program/" + Text("Ini_File"), c.options);
    const std::string row = Row(c.name, "2019.07.14 18:03:55", "", kOldDate, c.modified_new);
    ResultList list = ListOf(photos, {{row, 1}});
    Run(list);
    EXPECT_EQ(Names(photos), c.expected);
    EXPECT_EQ(Names(folder.path()), std::vector<std::string>{"photos"});
    // The list keeps showing the old name.
    EXPECT_EQ(SplitRow(list.lines[3].text)[0], c.name);
    for (const std::string& name : c.expected) {
      if (std::find(c.others.begin(), c.others.end(), name) != c.others.end()) {
        EXPECT_EQ(test::ReadFileBytes(photos + name), "other") << name;
      }
    }
  }
}

TEST_F(CorrectionTest, UnmarkedRowsAreNotRenamed) {
  Photo("IMG_0001.jpg");
  temp_.WriteFile("program/" + Text("Ini_File"), kTaken);
  ResultList list =
      ListOf(photos_, {{Row("IMG_0001.jpg", kOldDate, "", kOldDate, kNewModified), 0}});
  Run(list);
  EXPECT_EQ(Names(photos_), std::vector<std::string>{"IMG_0001.jpg"});
}

TEST_F(CorrectionTest, OptionsFileOfTheProgramFolderComesFirst) {
  temp_.WriteFile("data/" + Text("Ini_File"), "RenameFormat=data\n");
  EXPECT_EQ(ReadRenameOptions(folders_).format, "data");
  temp_.WriteFile("program/" + Text("Ini_File"), "RenameFormat=program\n");
  EXPECT_EQ(ReadRenameOptions(folders_).format, "program");
  platform::Folders nowhere;
  EXPECT_EQ(ReadRenameOptions(nowhere), RenameOptions{});
}

TEST(RenameOptionsTest, ValuesAreReadLikeTheUserWroteThem) {
  const std::vector<std::pair<std::string, RenameOptions>> cases = {
      {"\xEF\xBB\xBFRenameFormat=YYYY_\r\nRenameDate=Modified\r\nRenameType=ALL\r\nRenameRemove="
       "3\r\n",
       {"YYYY_", "modified", "all", 3}},
      {"renameformat = x\nRenameRemove=-3\n", {"x", "", "", 0}},
      {"RenameRemove=abc\n", {"", "", "", 0}},
      {"RenameRemove= 12abc\n", {"", "", "", 12}},
      {"RenameFormat=first\nRenameFormat=second\n", {"first", "", "", 0}},
      {"RenameFormat=a=b\n", {"a=b", "", "", 0}},
  };
  for (const auto& [text, expected] : cases) {
    EXPECT_EQ(ParseRenameOptions(text), expected) << text;
  }
}

TEST(RenameOptionsTest, FormatBecomesADateMask) {
  EXPECT_EQ(RenameMask("YYYY-MM-DD_hh.mm.ss_"), "%yyyy-%mm-%dd_%hh.%ii.%ss_");
  EXPECT_EQ(RenameMask("DDMMYYYY mm"), "%dd%mm%yyyy %ii");
  EXPECT_EQ(RenameMask("yyyy"), "yyyy");
}

// --- Folder dates ---------------------------------------------------------------------------

TEST_F(CorrectionTest, OnlyModifiedTakesTheNewestCreationOfTheEntries) {
  const std::string folder = temp_.MakeFolder("album");
  const std::string file = temp_.WriteFile("album/a.jpg", "x");
  test::SetModifiedUnix(file, 946684800);  // written long before it was created here
  test::SetModifiedUnix(folder, kOldUnix);
  const platform::FileTimes before = TimesOf(folder);
  ResultList list = ListOf(folder, {});
  request_.folder_date_modified = true;
  Run(list);
  const platform::FileTimes after = TimesOf(folder);
  EXPECT_EQ(after.modified, TimesOf(file).created);
  EXPECT_GT(after.modified.seconds, kOldUnix);
  EXPECT_EQ(after.created, before.created);
}

TEST_F(CorrectionTest, EmptyFolderKeepsItsDates) {
  const std::string folder = temp_.MakeFolder("empty");
  test::SetModifiedUnix(folder, kOldUnix);
  ResultList list = ListOf(folder, {});
  request_.folder_date_created = true;
  request_.folder_date_modified = true;
  Run(list);
  EXPECT_EQ(test::ModifiedUnix(folder), kOldUnix);
}

TEST_F(CorrectionTest, SubfoldersAreDatedBeforeTheirParents) {
  const std::string root = temp_.MakeFolder("root");
  const std::string sub = temp_.MakeFolder("root/sub");
  const std::string file = temp_.WriteFile("root/sub/late.jpg", "x");
  constexpr long long kFuture = 1906538400;  // 2030: later than any creation time here
  test::SetModifiedUnix(file, kFuture);
  test::SetModifiedUnix(sub, kOldUnix);
  test::SetModifiedUnix(root, kOldUnix);
  ResultList list = ListOf(root, {});
  list.lines.push_back({sub, 1});
  list.lines.push_back({" ", 0});
  list.folders = {root, sub};
  request_.folder_date_created = true;  // cannot be written here; Modified still is
  request_.folder_date_modified = true;
  Run(list);
  EXPECT_EQ(test::ModifiedUnix(sub), kFuture);
  EXPECT_EQ(test::ModifiedUnix(root), kFuture);
  EXPECT_EQ(view_.stop_hint, Text("GAD00341"));
}

// --- Stop and progress ----------------------------------------------------------------------

TEST_F(CorrectionTest, EscapeAsksAndYesStopsBeforeTheNextRow) {
  for (const bool yes : {true, false}) {
    SCOPED_TRACE(yes ? "Yes" : "No");
    test::TempFolder folder;
    const std::string photos = folder.MakeFolder("photos");
    std::vector<ResultLine> rows;
    for (const std::string name : {"a.jpg", "b.jpg", "c.jpg"}) {
      test::SetModifiedUnix(folder.WriteFile("photos/" + name), kOldUnix);
      rows.push_back({Row(name, kOldDate, "", kOldDate, kNewModified), 1});
    }
    test::SetModifiedUnix(photos, kOldUnix);
    ResultList list = ListOf(photos, rows);
    request_.current_folder = photos;
    request_.create_log = true;
    request_.folder_date_modified = true;
    test::RecordingView view;
    view.escape_at_poll = 5;  // after row 4, the second file
    view.answer_yes = yes;
    const CorrectionOutcome outcome = RunCorrection(request_, list, view);

    ASSERT_EQ(view.questions.size(), 1u);
    EXPECT_EQ(view.questions[0].title, Text("TXT00081"));
    EXPECT_EQ(view.questions[0].text, Text("TXT00088"));
    EXPECT_EQ(outcome.stopped, yes);
    EXPECT_EQ(test::ModifiedUnix(photos + "b.jpg"), kNewModifiedUnix);
    EXPECT_EQ(test::ModifiedUnix(photos + "c.jpg"), yes ? kOldUnix : kNewModifiedUnix);
    EXPECT_EQ(SplitRow(list.lines[5].text)[4], yes ? kNewModified : "<- " + Text("GAD00316"));
    // The folder pass is skipped after a stop.
    EXPECT_EQ(test::ModifiedUnix(photos) == kOldUnix, yes);
    const std::string log = test::ReadFileBytes(outcome.log_path);
    const std::string stop_note = "\r\n" + Text("TXT00400") + "\r\n" + LogEnd();
    EXPECT_EQ(log.size() > stop_note.size() &&
                  log.compare(log.size() - stop_note.size(), stop_note.size(), stop_note) == 0,
              yes)
        << log;
    EXPECT_EQ(view.correct_button, 0);
  }
}

TEST_F(CorrectionTest, ProgressIsShownAboveFiveHundredRows) {
  const std::vector<std::pair<size_t, std::vector<int>>> cases = {
      {500, {}},
      {501, {1, 19, 39, 59, 79, 99, -1}},
      {1000, {1, 10, 20, 30, 40, 50, 60, 70, 80, 90, -1}},
  };
  for (const auto& [count, expected] : cases) {
    ResultList list;
    list.lines.assign(count, ResultLine{" ", 0});
    test::RecordingView view;
    RunCorrection(request_, list, view);
    EXPECT_EQ(view.progress, expected) << count;
    EXPECT_EQ(view.polls, static_cast<int>(count));
  }
}

}  // namespace
}  // namespace kalvento
