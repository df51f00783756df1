#include "engine/analysis.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "recording_view.h"
#include "test_support.h"
#include "platform/paths.h"
#include "texts/text_table.h"
#include "texts/text_util.h"

namespace kalvento {
namespace {

// 2019-07-14 08:12:33 UTC, 10:12:33 in Berlin.
constexpr long long kJuly2019 = 1563091953;

CorrectionSettings OnlySources(std::vector<std::pair<std::string, bool>> created_codes,
                               bool correct_modified = false) {
  CorrectionSettings settings;
  SourceList list;
  size_t position = 0;
  std::array<bool, kSourceCount> used{};
  for (const auto& [code, enabled] : created_codes) {
    const int index = SourceIndexOf(Target::kCreated, code);
    used[index] = true;
    list[position++] = {index, enabled};
  }
  for (int i = 0; i < kSourceCount; ++i) {
    if (!used[i]) list[position++] = {i, false};
  }
  settings.created.sources = list;
  settings.modified.correct = correct_modified;
  return settings;
}

struct AnalysisRun {
  AnalysisOutcome outcome;
  ResultList list;
  test::RecordingView view;
};

void Analyse(AnalysisRun& run, const std::string& folder, const CorrectionSettings& settings,
             FileReaders readers = {}) {
  AnalysisRequest request;
  request.folder = folder;
  request.settings = settings;
  request.readers = readers;
  run.outcome = RunAnalysis(request, run.list, run.view);
}

// The file rows of the list, split into fields.
std::vector<std::array<std::string, kColumnCount>> FileRows(const ResultList& list) {
  std::vector<std::array<std::string, kColumnCount>> rows;
  for (size_t i = 2; i < list.lines.size(); ++i) {
    const std::string& text = list.lines[i].text;
    if (text.find('\t') != std::string::npos) rows.push_back(SplitRow(text));
  }
  return rows;
}

std::vector<std::string> Texts(const ResultList& list) {
  std::vector<std::string> texts;
  for (const ResultLine& line : list.lines) texts.push_back(line.text);
  return texts;
}

DateValue Parsed(const std::string& field) { return ParseDate(kDisplayMask, field); }

class AnalysisTest : public ::testing::Test {
 protected:
  void SetUp() override { FillTextTable(); }
  test::TempFolder folder_;
};

TEST_F(AnalysisTest, SameDateWithShiftProposesCurrentCreatedOneHourLater) {
  folder_.WriteFile("a.txt");
  folder_.WriteFile("b.txt");
  CorrectionSettings settings = OnlySources({{"SAMEDATE", true}});
  settings.created.shift_on = true;
  settings.created.shift_hours = 1;
  AnalysisRun run;
  Analyse(run, folder_.path(), settings);
  ASSERT_EQ(run.outcome, AnalysisOutcome::kCompleted);
  const auto rows = FileRows(run.list);
  ASSERT_EQ(rows.size(), 2u);
  for (const auto& row : rows) {
    EXPECT_EQ(Parsed(row[2]), Parsed(row[1]) + 3600) << row[0];
    EXPECT_EQ(row[5], Text("GAD00322"));
    EXPECT_EQ(row[4], "");  // Modified not corrected
    EXPECT_EQ(row[6], "");
  }

  settings.created.shift_on = false;
  AnalysisRun unshifted;
  Analyse(unshifted, folder_.path(), settings);
  for (const auto& row : FileRows(unshifted.list)) {
    EXPECT_EQ(row[2], Text("GAD00320"));
    EXPECT_EQ(row[5], Text("GAD00322"));
  }
}

TEST_F(AnalysisTest, DefaultListsOnPlainFilesFindNothing) {
  folder_.WriteFile("notes.txt", "hello");
  AnalysisRun run;
  Analyse(run, folder_.path(), CorrectionSettings{});
  const auto rows = FileRows(run.list);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0][2], Text("GAD00321"));
  EXPECT_EQ(rows[0][4], Text("GAD00321"));
  EXPECT_EQ(rows[0][5], "");
  EXPECT_EQ(rows[0][6], "");
  EXPECT_EQ(run.view.correct_button, 1);
}

TEST_F(AnalysisTest, ListShapeNaturalOrderAndEmptyFolders) {
  folder_.WriteFile("IMG_10.jpg");
  folder_.WriteFile("IMG_2.jpg");
  folder_.WriteFile("img_3.jpg");
  folder_.MakeFolder("sub10");
  folder_.MakeFolder("sub9");
  folder_.WriteFile("sub9/x.txt");
  AnalysisRun run;
  Analyse(run, folder_.path(), CorrectionSettings{});
  const std::string& root = folder_.path();
  const auto texts = Texts(run.list);
  ASSERT_EQ(texts.size(), 2u + 5u + 3u + 2u);
  EXPECT_EQ(texts[1], " ");
  EXPECT_EQ(texts[2], root);
  EXPECT_EQ(SplitRow(texts[3])[0], "IMG_2.jpg");
  EXPECT_EQ(SplitRow(texts[4])[0], "img_3.jpg");
  EXPECT_EQ(SplitRow(texts[5])[0], "IMG_10.jpg");
  EXPECT_EQ(texts[6], " ");
  EXPECT_EQ(texts[7], root + "sub9/");
  EXPECT_EQ(SplitRow(texts[8])[0], "x.txt");
  EXPECT_EQ(texts[9], " ");
  EXPECT_EQ(texts[10], root + "sub10/");  // no files: folder line and spacer
  EXPECT_EQ(texts[11], " ");
  EXPECT_EQ(run.list.lines[0].mark, 1);
  EXPECT_EQ(run.list.lines[1].mark, 0);
  EXPECT_EQ(run.list.lines[3].mark, 1);
  EXPECT_EQ(run.list.lines[6].mark, 0);
  EXPECT_EQ(run.list.folders, (std::vector<std::string>{root, root + "sub9/", root + "sub10/"}));
  EXPECT_EQ(run.view.FileCount(), "4");
  EXPECT_EQ(run.list.file_count, 4);

  // Header: the titles in column order; widths are at least the titles' lengths.
  const auto header = SplitRow(texts[0]);
  EXPECT_EQ(header[0], Text("GAD00066"));
  EXPECT_EQ(header[2], Text("GAD00312"));
  EXPECT_EQ(header[6], Text("GAD00315"));
  EXPECT_GE(run.list.widths[1], static_cast<int>(CodePointCount(Text("GAD00066"))));
  EXPECT_EQ(run.list.ColumnNumber("FILE ModifiedNew"), 5);
}

TEST_F(AnalysisTest, DepthLimitAndRecursion) {
  folder_.WriteFile("child/grandchild/deep.txt");
  const int base = platform::FolderDepth(folder_.path());
  const std::string child = folder_.path() + "child/";
  const std::string grandchild = child + "grandchild/";
  struct Case {
    int depth_limit;
    bool recursive;
    std::vector<std::string> folders;
    bool raised;
  };
  const std::vector<Case> cases = {
      {0, true, {folder_.path(), child, grandchild}, false},
      {base, true, {folder_.path()}, false},
      {base + 1, true, {folder_.path(), child}, false},
      {base - 1, true, {folder_.path()}, true},
      {0, false, {folder_.path()}, false},
      {base + 1, false, {folder_.path()}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "limit " << c.depth_limit << " recursive " << c.recursive);
    CorrectionSettings settings;
    settings.depth_limit = c.depth_limit;
    settings.recursive = c.recursive;
    AnalysisRequest request{folder_.path(), settings, {}, {}};
    AnalysisRun run;
    run.outcome = RunAnalysis(request, run.list, run.view);
    EXPECT_EQ(run.list.folders, c.folders);
    if (c.raised) {
      ASSERT_EQ(run.view.messages.size(), 1u);
      EXPECT_EQ(run.view.messages[0].title, Text("TXT00013"));
      EXPECT_EQ(run.view.messages[0].text, Text("TXT00085") + " " + std::to_string(base));
      EXPECT_EQ(run.view.selected_depth, base);
      EXPECT_EQ(request.settings.depth_limit, base);
    } else {
      EXPECT_TRUE(run.view.messages.empty());
    }
  }
}

TEST_F(AnalysisTest, RefusesWhatIsNotALocalFolder) {
  for (const char* folder : {"smb://server/share/", "relative/folder/", ""}) {
    AnalysisRun run;
    run.list.lines.push_back({"previous", 1});
    Analyse(run, folder, CorrectionSettings{});
    EXPECT_EQ(run.outcome, AnalysisOutcome::kRefused) << folder;
    ASSERT_EQ(run.view.messages.size(), 1u);
    EXPECT_EQ(run.view.messages[0].text, Text("TXT00045"));
    EXPECT_EQ(Texts(run.list), std::vector<std::string>{"previous"});
  }
  AnalysisRun missing;
  missing.list.lines.push_back({"previous", 1});
  Analyse(missing, folder_.path() + "missing/", CorrectionSettings{});
  EXPECT_EQ(missing.outcome, AnalysisOutcome::kNotStarted);
  EXPECT_EQ(Texts(missing.list), std::vector<std::string>{"previous"});
}

TEST_F(AnalysisTest, EscapeAsksAndStopsOnlyOnYes) {
  for (int i = 0; i < 5; ++i) folder_.WriteFile("f" + std::to_string(i) + ".txt");
  AnalysisRun stopped;
  stopped.view.escape_at_poll = 3;  // before the third file
  stopped.view.answer_yes = true;
  Analyse(stopped, folder_.path(), CorrectionSettings{});
  EXPECT_EQ(stopped.outcome, AnalysisOutcome::kStopped);
  ASSERT_EQ(stopped.view.questions.size(), 1u);
  EXPECT_EQ(stopped.view.questions[0].title, Text("TXT00081"));
  EXPECT_EQ(stopped.view.questions[0].text, Text("TXT00082"));
  EXPECT_EQ(FileRows(stopped.list).size(), 2u);
  EXPECT_EQ(stopped.list.lines.back().text, Text("TXT00083"));
  EXPECT_EQ(stopped.list.lines.back().mark, 0);
  EXPECT_EQ(stopped.view.FileCount(), "~ 2");
  EXPECT_EQ(stopped.view.line_count, static_cast<int64_t>(stopped.list.lines.size()) + 1);

  AnalysisRun going_on;
  going_on.view.escape_at_poll = 3;
  going_on.view.answer_yes = false;
  Analyse(going_on, folder_.path(), CorrectionSettings{});
  EXPECT_EQ(going_on.outcome, AnalysisOutcome::kCompleted);
  EXPECT_EQ(going_on.view.questions.size(), 1u);
  EXPECT_EQ(FileRows(going_on.list).size(), 5u);
  EXPECT_EQ(going_on.view.FileCount(), "5");
}

TEST_F(AnalysisTest, ChoiceShiftAndSwitchedOffTargets) {
  const std::string path = folder_.WriteFile("report 2017-12-03.txt");
  test::SetModifiedUnix(path, kJuly2019);
  struct Case {
    const char* name;
    CorrectionSettings settings;
    std::string created_new;
    std::string created_info;
  };
  CorrectionSettings cross = OnlySources({{"FILENAME", true}, {"CROSSDATE", true}});
  cross.created.pattern = "YYYYMMDD";  // finds nothing: passed over
  CorrectionSettings disabled = OnlySources({{"FILENAME", false}, {"CROSSDATE", true}});
  disabled.created.pattern = "YYYY-MM-DD";  // finds a date but is switched off
  CorrectionSettings name = OnlySources({{"FILENAME", true}, {"CROSSDATE", true}});
  name.created.pattern = "YYYY-MM-DD";
  CorrectionSettings early = OnlySources({{"FIXEDDATE", true}});
  early.created.fixed = CalendarRecord{1601, 1, 1, 0, 0, 30};
  early.created.shift_on = true;
  early.created.shift_sign = "-";
  early.created.shift_hours = 2;
  CorrectionSettings fixed_unset = OnlySources({{"FIXEDDATE", true}});
  const std::vector<Case> cases = {
      {"zero candidate passed over", cross, "2019.07.14 10:12:33", Text("GAD00323")},
      {"disabled source never wins", disabled, "2019.07.14 10:12:33", Text("GAD00323")},
      {"file name first", name, "2017.12.03 00:00:00", Text("GAD00325")},
      {"shift below the first date", early, "1601.01.01 00:00:01", Text("GAD00324")},
      {"fixed date not given", fixed_unset, Text("GAD00321"), ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    AnalysisRun run;
    Analyse(run, folder_.path(), c.settings);
    const auto rows = FileRows(run.list);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][3], "2019.07.14 10:12:33");
    EXPECT_EQ(rows[0][2], c.created_new);
    EXPECT_EQ(rows[0][5], c.created_info);
  }
}

// Readers that tell which of them a file went to.
std::vector<std::string> reader_calls;
DocumentDates FakeDocuments(const std::string& path, ReaderContext&) {
  reader_calls.push_back("documents " + path.substr(path.rfind('/') + 1));
  return {MakeDate(2017, 12, 3, 9, 10, 55), MakeDate(2018, 1, 2, 3, 4, 5)};
}
PngDates FakePng(const std::string& path, ReaderContext&) {
  reader_calls.push_back("png " + path.substr(path.rfind('/') + 1));
  return {};
}
SidecarDates FakeSidecar(const std::string& path, ReaderContext&) {
  reader_calls.push_back("xmp " + path.substr(path.rfind('/') + 1));
  return {};
}
DateValue FakeHeic(const std::string& path, ReaderContext&) {
  reader_calls.push_back("heic " + path.substr(path.rfind('/') + 1));
  return 0;
}
ImageDates FakeExif(const std::string& path, ReaderContext&) {
  reader_calls.push_back("exif " + path.substr(path.rfind('/') + 1));
  return {};
}
DateValue FakeAudioVideo(const std::string& path, ReaderContext&) {
  reader_calls.push_back("av " + path.substr(path.rfind('/') + 1));
  return MakeDate(2019, 7, 14, 10, 12, 33);
}
int runs_ended = 0;
void FakeEnd(ReaderContext&) { ++runs_ended; }

FileReaders FakeReaders() {
  return {FakeDocuments, FakePng, FakeSidecar, FakeHeic, FakeExif, FakeAudioVideo, FakeEnd};
}

TEST_F(AnalysisTest, EachFileGoesToAtMostOneReaderByExtension) {
  for (const char* name : {"a.PDF", "b.png", "c.xmp", "d.heic", "e.HEIF", "f.jpg", "g.mp3",
                           "h.3gp", "i.txt", "j", "k.msg"}) {
    folder_.WriteFile(name);
  }
  struct Case {
    const char* name;
    std::vector<std::pair<std::string, bool>> created;
    bool media_loaded;
    std::vector<std::string> calls;
  };
  const std::vector<Case> cases = {
      {"all families",
       {{"DOCS created", true}, {"EXIF taken", true}, {"AV recorded", true}},
       true,
       {"documents a.PDF", "png b.png", "xmp c.xmp", "heic d.heic", "heic e.HEIF", "exif f.jpg",
        "av g.mp3", "exif h.3gp", "documents k.msg"}},
      {"audio/video only", {{"AV recorded", true}}, true, {"av g.mp3", "av h.3gp"}},
      {"no media library", {{"AV recorded", true}}, false, {}},
      {"families switched off", {{"DOCS created", false}, {"SAMEDATE", true}}, true, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    reader_calls.clear();
    runs_ended = 0;
    AnalysisRequest request{folder_.path(), OnlySources(c.created), FakeReaders(), {}};
    request.context.media_info_loaded = c.media_loaded;
    AnalysisRun run;
    RunAnalysis(request, run.list, run.view);
    EXPECT_EQ(reader_calls, c.calls);
    EXPECT_EQ(runs_ended, 1);
  }
}

// Readers whose every date is a different day, so each hand-over can be told apart.
FileReaders DatedReaders() {
  FileReaders readers;
  readers.png = [](const std::string&, ReaderContext&) {
    return PngDates{MakeDate(2001, 1, 1, 0, 0, 0), MakeDate(2001, 1, 2, 0, 0, 0)};
  };
  readers.xmp_sidecar = [](const std::string&, ReaderContext&) {
    return SidecarDates{MakeDate(2002, 1, 1, 0, 0, 0), MakeDate(2002, 1, 2, 0, 0, 0)};
  };
  readers.heic = [](const std::string&, ReaderContext&) { return MakeDate(2003, 1, 1, 0, 0, 0); };
  readers.exif_image = [](const std::string&, ReaderContext&) {
    return ImageDates{MakeDate(2004, 1, 1, 0, 0, 0), MakeDate(2004, 1, 2, 0, 0, 0),
                      MakeDate(2004, 1, 3, 0, 0, 0), MakeDate(2004, 1, 4, 0, 0, 0)};
  };
  readers.audio_video = [](const std::string&, ReaderContext&) {
    return MakeDate(2005, 1, 1, 0, 0, 0);
  };
  return readers;
}

TEST(AnalysisHandOverTest, EachReaderDateReachesItsSourceWithItsInfo) {
  FillTextTable();
  struct Case {
    const char* file;
    const char* code;
    const char* date;  // empty: no date
    const char* info;
  };
  const std::vector<Case> cases = {
      {"b.png", "EXIF taken", "2001.01.01 00:00:00", "GAD00402"},
      {"b.png", "IPTC created", "2001.01.01 00:00:00", "GAD00402"},
      {"b.png", "EXIF changed", "2001.01.02 00:00:00", "GAD00403"},
      {"b.png", "XMP modified", "2001.01.02 00:00:00", "GAD00403"},
      {"c.xmp", "IPTC created", "2002.01.01 00:00:00", "GAD00406"},
      {"c.xmp", "XMP modified", "2002.01.02 00:00:00", "GAD00407"},
      {"c.xmp", "EXIF taken", "", ""},
      {"d.heic", "EXIF taken", "2003.01.01 00:00:00", "GAD00409"},
      {"d.heic", "IPTC created", "2003.01.01 00:00:00", "GAD00409"},
      {"d.heic", "EXIF changed", "2003.01.01 00:00:00", "GAD00409"},
      {"d.heic", "XMP modified", "2003.01.01 00:00:00", "GAD00409"},
      {"f.jpg", "EXIF taken", "2004.01.01 00:00:00", "GAD00404"},
      {"f.jpg", "IPTC created", "2004.01.02 00:00:00", "GAD00406"},
      {"f.jpg", "EXIF changed", "2004.01.03 00:00:00", "GAD00405"},
      {"f.jpg", "XMP modified", "2004.01.04 00:00:00", "GAD00407"},
      {"g.mp3", "AV recorded", "2005.01.01 00:00:00", "GAD00408"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.file) + " " + c.code);
    test::TempFolder folder;
    folder.WriteFile(c.file);
    AnalysisRequest request{folder.path(), OnlySources({{c.code, true}}), DatedReaders(), {}};
    request.context.media_info_loaded = true;
    AnalysisRun run;
    RunAnalysis(request, run.list, run.view);
    const auto rows = FileRows(run.list);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][2], *c.date != '\0' ? std::string(c.date) : Text("GAD00321"));
    EXPECT_EQ(rows[0][5], *c.info != '\0' ? Text(c.info) : "");
  }
}

TEST_F(AnalysisTest, OffersReachBothListsAtTheirOwnIndices) {
  folder_.WriteFile("letter.pdf");
  // Created takes the document's modification date when only "DOCS modified" is on there.
  CorrectionSettings settings = OnlySources({{"DOCS created", false}, {"DOCS modified", true}}, true);
  AnalysisRun run;
  AnalysisRequest request{folder_.path(), settings, FakeReaders(), {}};
  RunAnalysis(request, run.list, run.view);
  const auto rows = FileRows(run.list);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0][2], "2018.01.02 03:04:05");
  EXPECT_EQ(rows[0][5], Text("GAD00401"));
  EXPECT_EQ(rows[0][4], "2018.01.02 03:04:05");  // default Modified list: "DOCS modified" first
  EXPECT_EQ(rows[0][6], Text("GAD00401"));

  // Created switched off: its fields stay empty and its sources need no reader.
  settings.created.correct = false;
  settings.modified.sources = DefaultSourceList();
  for (SourceEntry& entry : settings.modified.sources) entry.enabled = entry.index == 8;
  reader_calls.clear();
  AnalysisRun off;
  AnalysisRequest no_reader{folder_.path(), settings, FakeReaders(), {}};
  RunAnalysis(no_reader, off.list, off.view);
  EXPECT_TRUE(reader_calls.empty());
  const auto off_rows = FileRows(off.list);
  EXPECT_EQ(off_rows[0][2], "");
  EXPECT_EQ(off_rows[0][5], "");
  EXPECT_EQ(off_rows[0][4], Text("GAD00320"));
}

TEST_F(AnalysisTest, NamesARowCannotHoldAreLeftOutOthersStayByteExact) {
  folder_.WriteFile("tab\tname.txt");
  folder_.WriteFile("line\nfeed.txt");
  folder_.WriteFile("line\nfeed folder/inside.txt");
  folder_.WriteFile("latin1 \xE9t\xE9.txt");
  folder_.WriteFile("ok.txt");
  AnalysisRun run;
  Analyse(run, folder_.path(), CorrectionSettings{});
  std::vector<std::string> names;
  for (const auto& row : FileRows(run.list)) names.push_back(row[0]);
  EXPECT_EQ(names, (std::vector<std::string>{"latin1 \xE9t\xE9.txt", "ok.txt"}));
  EXPECT_EQ(run.list.folders.size(), 1u);
}

}  // namespace
}  // namespace kalvento
