#include "sources/tools.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>

#include "platform/files.h"
#include "platform/process.h"
#include "test_support.h"
#include "texts/text_table.h"

namespace kalvento {
namespace {

using namespace std::chrono_literals;
using test::TempFolder;

class DeployToolsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FillTextTable();
    source_ = tools_folder_.WriteFile("exiftool", "#!/bin/sh\necho stand-in\n");
    chmod(source_.c_str(), 0755);
    locations_.exiftool = source_;
    locations_.pdfinfo = "/usr/bin/pdfinfo";
    locations_.media_info_library = "libmediainfo.so.0";
  }
  void TearDown() override { ReleaseMediaInfo(tools_); }

  std::string Copy() const { return temp_.path() + "Kalvento_ExifTool"; }

  TempFolder tools_folder_;
  TempFolder temp_;  // private to this user, as the program's temp folder is
  std::string source_;
  ToolLocations locations_;
  DeployedTools tools_;
};

TEST_F(DeployToolsTest, AFirstStartCopiesExifToolAndLoadsMediaInfo) {
  DeployTools(locations_, temp_.path(), tools_);
  EXPECT_EQ(tools_.exiftool, Copy());
  EXPECT_EQ(test::ReadFileBytes(Copy()), test::ReadFileBytes(source_));
  EXPECT_TRUE(tools_.media_info_loaded);
  EXPECT_EQ(tools_.pdfinfo, "/usr/bin/pdfinfo");
  ASSERT_NE(tools_.exiftool_session, nullptr);
  const ReaderContext context = ReaderContextFor(tools_, temp_.path());
  EXPECT_EQ(context.exiftool, tools_.exiftool_session.get());
  EXPECT_EQ(context.media_info, &tools_.media_info);
  EXPECT_TRUE(context.media_info_loaded);
}

TEST_F(DeployToolsTest, ACopyIsRewrittenOnlyWhenItsSizeDiffersOrItCannotRun) {
  struct Case {
    const char* what;
    std::string existing;
    unsigned mode;
    bool rewritten;
  };
  const std::string original = test::ReadFileBytes(source_);
  std::string same_size_other_content = original;
  same_size_other_content[0] = '#';
  same_size_other_content.back() = 'X';
  const Case cases[] = {
      {"truncated", original.substr(0, 5), 0700, true},
      {"same size, other content", same_size_other_content, 0700, false},
      {"read-only, wrong size", "old version", 0400, true},
      {"same size, not runnable", same_size_other_content, 0600, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(platform::WriteWholeFile(Copy(), c.existing, c.mode));
    DeployedTools tools;
    DeployTools(locations_, temp_.path(), tools);
    EXPECT_EQ(test::ReadFileBytes(Copy()), c.rewritten ? original : c.existing);
    ReleaseMediaInfo(tools);
  }
}

TEST_F(DeployToolsTest, ALeftoverExifToolIsEndedBeforeItsCopyIsRewritten) {
  ASSERT_TRUE(platform::WriteWholeFile(Copy(), "#!/bin/sh\necho up\nsleep 30\n", 0700));
  platform::ProcessOptions options;
  options.argv = {Copy()};
  options.pipe_output = true;
  options.environment = {{"KALVENTO_SESSION_OWNER", "999999999:1"}};  // its program has gone
  auto leftover = platform::ChildProcess::Start(options);
  ASSERT_NE(leftover, nullptr);
  std::string line;
  ASSERT_EQ(leftover->ReadLine(line, 5s), platform::ReadResult::kLine);
  DeployTools(locations_, temp_.path(), tools_);
  EXPECT_FALSE(leftover->IsRunning());
  EXPECT_EQ(test::ReadFileBytes(Copy()), test::ReadFileBytes(source_));
}

TEST_F(DeployToolsTest, TheCopyFindsTheModulesThatStoodNextToTheProgram) {
  // A stand-in that notes where Perl would look for modules, and answers every request.
  const std::string noted = tools_folder_.path() + "perl5lib";
  const std::string script = "#!/bin/sh\nprintf '%s' \"$PERL5LIB\" > '" + noted + "'\n"
                             "while IFS= read -r line; do\n"
                             "  case \"$line\" in -execute) echo '{ready}' ;; False) exit 0 ;; esac\n"
                             "done\n";
  for (const bool with_modules : {false, true}) {
    SCOPED_TRACE(with_modules ? "modules next to it" : "modules installed for Perl");
    TempFolder install;
    if (with_modules) install.MakeFolder("lib/Image/ExifTool");
    locations_.exiftool = install.WriteFile("exiftool", script);
    chmod(locations_.exiftool.c_str(), 0755);
    DeployedTools tools;
    DeployTools(locations_, temp_.path(), tools);
    EXPECT_EQ(tools.exiftool_session->QueryExifTag("/photos/a.jpg", "[EXIF] ModifyDate"), "");
    const std::string perl5lib = test::ReadFileBytes(noted);
    EXPECT_EQ(perl5lib.starts_with(install.path() + "lib"), with_modules) << perl5lib;
    ReleaseMediaInfo(tools);
  }
}

TEST_F(DeployToolsTest, MissingToolsAreLeftOutAndNothingIsWrittenIntoASharedFolder) {
  locations_.exiftool = tools_folder_.path() + "missing";
  locations_.pdfinfo = "";
  locations_.media_info_library = "libkalvento-no-mediainfo.so.0";
  DeployTools(locations_, temp_.path(), tools_);
  EXPECT_EQ(tools_.exiftool, "");
  EXPECT_EQ(tools_.pdfinfo, "");
  EXPECT_FALSE(tools_.media_info_loaded);
  EXPECT_EQ(ReaderContextFor(tools_, temp_.path()).media_info, nullptr);
  EXPECT_EQ(tools_.exiftool_session->QueryExifTag("/photos/a.jpg", "[EXIF] ModifyDate"), "");

  const std::string shared = temp_.MakeFolder("shared");
  chmod(shared.c_str(), 0777);
  locations_.exiftool = source_;
  DeployedTools tools;
  DeployTools(locations_, shared, tools);
  EXPECT_EQ(tools.exiftool, "");
  EXPECT_FALSE(test::PathExistsForTest(shared + "Kalvento_ExifTool"));
}

TEST(ConfiguredToolLocationsTest, FindsOurConverterNextToTheProgram) {
  FillTextTable();
  TempFolder program;
  const std::string converter = program.WriteFile(Text("Tool_MsgText"), "#!/bin/sh\n");
  chmod(converter.c_str(), 0755);
  const ToolLocations locations = ConfiguredToolLocations(program.path());
  EXPECT_EQ(locations.msgtext, converter);
  EXPECT_EQ(locations.exiftool, "/usr/bin/exiftool");
  EXPECT_EQ(locations.pdfinfo, "/usr/bin/pdfinfo");
  EXPECT_EQ(locations.media_info_library, "libmediainfo.so.0");
}

}  // namespace
}  // namespace kalvento
