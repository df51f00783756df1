#include "sources/exiftool_session.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "sources/exif_fixtures.h"
#include "platform/files.h"
#include "platform/process.h"
#include "test_support.h"

namespace kalvento {
namespace {

using namespace std::chrono_literals;
using test::TempFolder;

TEST(TakeAnswerLineTest, StoresLabelAndValueKeepingTheFirstValueOfALabel) {
  TagCache cache;
  EXPECT_FALSE(TakeAnswerLine("[EXIF] DateTimeOriginal: 2019:07:14 10:12:33", cache));
  EXPECT_FALSE(TakeAnswerLine("[EXIF] DateTimeOriginal: 2001:01:01 00:00:00", cache));
  EXPECT_FALSE(TakeAnswerLine("a line without the separator", cache));
  EXPECT_FALSE(TakeAnswerLine("[XMP] Empty:", cache));
  EXPECT_FALSE(TakeAnswerLine(":no label", cache));
  EXPECT_TRUE(TakeAnswerLine("{ready}", cache));
  EXPECT_EQ(cache.at("[EXIF] DateTimeOriginal"), "2019:07:14 10:12:33");
  EXPECT_EQ(cache.at("[XMP] Empty"), "");
  EXPECT_EQ(cache.at(""), "o label");
  EXPECT_EQ(cache.size(), 3u);
}

// A stand-in ExifTool: records every line it reads and answers each request with `answer`.
class StandInExifTool {
 public:
  // Named after the test, so that looking for it by name never finds another test's tool.
  StandInExifTool(const std::string& name, const std::string& answer, bool answers = true) {
    log_ = folder_.path() + "input.log";
    starts_ = folder_.path() + "starts.log";
    const std::string reply = answers ? "printf '%s\\n' " + answer + " '{ready}'" : "sleep 30";
    path_ = folder_.WriteFile(
        name,
        "#!/bin/sh\necho start >> '" + starts_ + "'\n"
        "while IFS= read -r line; do\n"
        "  printf '%s\\n' \"$line\" >> '" + log_ + "'\n"
        "  case \"$line\" in -execute) " + reply + " ;; False) exit 0 ;; esac\n"
        "done\n");
    chmod(path_.c_str(), 0755);
  }
  const std::string& path() const { return path_; }
  std::string Input() const { return test::ReadFileBytes(log_); }
  std::string Starts() const { return test::ReadFileBytes(starts_); }

 private:
  TempFolder folder_;
  std::string path_, log_, starts_;
};

constexpr const char* kRequest =
    "-charset\nfilename=utf8\n/photos/a.jpg\n-G0\n-S\n-a\n-execute\n";

TEST(ExifToolSessionTest, AsksOncePerFileAndAnswersFurtherTagsFromTheCache) {
  StandInExifTool tool(
      "exif_standin_cache", "'[EXIF] DateTimeOriginal: 2019:07:14 10:12:33' '[EXIF] CreateDate: 2019:07:15 08:00:00' "
      "'[EXIF] DateTimeOriginal: 1999:01:01 00:00:00'");
  ExifToolSession session(tool.path());
  EXPECT_EQ(session.QueryExifTag("/photos/a.jpg", "[EXIF] DateTimeOriginal"), "2019:07:14 10:12:33");
  EXPECT_EQ(session.QueryExifTag("/photos/a.jpg", "[EXIF] CreateDate"), "2019:07:15 08:00:00");
  EXPECT_EQ(session.QueryExifTag("/photos/a.jpg", "[XMP] CreateDate"), "");
  EXPECT_EQ(tool.Input(), kRequest);
  EXPECT_EQ(session.QueryExifTag("/photos/b.jpg", "[EXIF] CreateDate"), "2019:07:15 08:00:00");
  session.StopExifTool();
  EXPECT_EQ(tool.Input(), std::string(kRequest) +
                              "-charset\nfilename=utf8\n/photos/b.jpg\n-G0\n-S\n-a\n-execute\n"
                              "-stay_open\nFalse\n");
  EXPECT_EQ(tool.Starts(), "start\n");
}

TEST(ExifToolSessionTest, AMissingExecutableGivesEmptyAnswers) {
  ExifToolSession session("/nonexistent/Kalvento_ExifTool");
  EXPECT_EQ(session.QueryExifTag("/photos/a.jpg", "[EXIF] DateTimeOriginal"), "");
  ExifToolSession without_tool("");
  EXPECT_EQ(without_tool.QueryExifTag("/photos/a.jpg", "[EXIF] DateTimeOriginal"), "");
  without_tool.StopExifTool();
}

TEST(ExifToolSessionTest, ASilentExifToolIsGivenUpOnAndTheNextQueryStartsAFreshOne) {
  StandInExifTool tool("exif_standin_silent", "", /*answers=*/false);
  ExifToolSession session(tool.path(), 300ms);
  EXPECT_EQ(session.QueryExifTag("/photos/a.jpg", "[EXIF] DateTimeOriginal"), "");
  EXPECT_EQ(platform::FindProcessByName("exif_standin_silent"), 0);
  // The file's other tags do not wait again.
  EXPECT_EQ(session.QueryExifTag("/photos/a.jpg", "[EXIF] CreateDate"), "");
  EXPECT_EQ(tool.Starts(), "start\n");
  EXPECT_EQ(session.QueryExifTag("/photos/b.jpg", "[EXIF] DateTimeOriginal"), "");
  EXPECT_EQ(tool.Starts(), "start\nstart\n");
}

TEST(ExifToolSessionTest, AnExifToolThatFailsThreeFilesInARowIsNotStartedAgainInThisRun) {
  TempFolder folder;
  const std::string starts = folder.path() + "starts.log";
  // Dies on every request without answering.
  const std::string path = folder.WriteFile(
      "exif_standin_dying", "#!/bin/sh\necho start >> '" + starts + "'\n"
                            "while IFS= read -r line; do [ \"$line\" = -execute ] && exit 1; done\n");
  chmod(path.c_str(), 0755);
  ExifToolSession session(path);
  for (const char* file : {"/photos/a.jpg", "/photos/b.jpg", "/photos/c.jpg", "/photos/d.jpg"}) {
    EXPECT_EQ(session.QueryExifTag(file, "[EXIF] DateTimeOriginal"), "");
  }
  EXPECT_EQ(test::ReadFileBytes(starts), "start\nstart\nstart\n");
  // The next run tries again.
  session.StopExifTool();
  EXPECT_EQ(session.QueryExifTag("/photos/e.jpg", "[EXIF] DateTimeOriginal"), "");
  EXPECT_EQ(test::ReadFileBytes(starts), "start\nstart\nstart\nstart\n");
}

TEST(ExifToolSessionTest, StopEndsAnExifToolThatIgnoresTheStopRequest) {
  TempFolder folder;
  const std::string path = folder.WriteFile(
      "exif_standin_deaf", "#!/bin/sh\nwhile IFS= read -r line; do\n"
                           "  [ \"$line\" = -execute ] && echo '{ready}'\ndone\nsleep 30\n");
  chmod(path.c_str(), 0755);
  ExifToolSession session(path);
  EXPECT_EQ(session.QueryExifTag("/photos/a.jpg", "[EXIF] ModifyDate"), "");
  EXPECT_NE(platform::FindProcessByName("exif_standin_deaf"), 0);
  session.StopExifTool();
  EXPECT_EQ(platform::FindProcessByName("exif_standin_deaf"), 0);
}

TEST(ExifToolSessionTest, ARealExifToolFindsAFileWithANonAsciiPath) {
  TempFolder folder;
  const std::string photo = folder.MakeFolder("Fotos Übersicht") + "Straße 1 – café.jpg";
  ASSERT_TRUE(test::MakeJpegWithTags(photo, {"-DateTimeOriginal=2019:07:14 10:12:33"}));
  ExifToolSession session("/usr/bin/exiftool");
  EXPECT_EQ(session.QueryExifTag(photo, "[EXIF] DateTimeOriginal"), "2019:07:14 10:12:33");
  EXPECT_EQ(session.QueryExifTag(photo, "[File] FileType"), "JPEG");
  EXPECT_EQ(session.QueryExifTag(folder.path() + "missing.jpg", "[File] FileType"), "");
}

TEST(EndStaleExifToolTest, EndsLeftoversWhoseProgramHasGoneAndNothingElse) {
  TempFolder folder;
  // Started as ExifTool is, by an interpreter with an option ("perl -w script").
  auto start_sleeper = [&](const std::string& name, const std::string& owner) {
    const std::string path = folder.WriteFile(name, "#!/bin/sh -e\necho up\nsleep 30\n");
    chmod(path.c_str(), 0755);
    platform::ProcessOptions options;
    options.argv = {path};
    options.pipe_output = true;
    if (!owner.empty()) options.environment = {{"KALVENTO_SESSION_OWNER", owner}};
    auto child = platform::ChildProcess::Start(options);
    std::string line;
    if (child) child->ReadLine(line, 5s);  // it runs as the script now
    return child;
  };
  auto unmarked = start_sleeper("a/Kalvento_ExifTool", "");
  auto owner_gone = start_sleeper("b/Kalvento_ExifTool", "999999999:1");
  auto owner_alive = start_sleeper("c/Kalvento_ExifTool", platform::ProcessIdentity(getpid()));
  auto other = start_sleeper("exiftool", "");
  ASSERT_TRUE(unmarked && owner_gone && owner_alive && other);
  EndStaleExifTool();
  EXPECT_TRUE(unmarked->IsRunning());
  EXPECT_FALSE(owner_gone->IsRunning());
  EXPECT_TRUE(owner_alive->IsRunning());
  EXPECT_TRUE(other->IsRunning());
  // Ended with what it started (its sleep): no process of its group is left.
  for (int i = 0; i < 200 && kill(-owner_gone->pid(), 0) == 0; ++i) std::this_thread::sleep_for(10ms);
  EXPECT_NE(kill(-owner_gone->pid(), 0), 0);
}

}  // namespace
}  // namespace kalvento
