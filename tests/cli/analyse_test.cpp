#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "cli_runner.h"
#include "engine/result_list.h"
#include "dates/datef.h"
#include "sources/exif_fixtures.h"
#include "test_support.h"
#include "texts/text_table.h"

namespace kalvento {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class CliAnalyse : public ::testing::Test {
 protected:
  void SetUp() override {
    FillTextTable();
    data_ = home_.MakeFolder("data");
    settings_ = home_.path() + "settings.ini";
  }
  test::CliResult Cli(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin() + 1, {"--settings", settings_});
    return test::RunCli(arguments, home_.path());
  }
  test::TempFolder home_;
  std::string data_;
  std::string settings_;
};

TEST_F(CliAnalyse, SameDateWithShiftThroughTheCommandLine) {
  const std::string file = home_.WriteFile("data/photo.txt");
  test::SetModifiedUnix(file, 1563091953);  // 2019-07-14 10:12:33 in Berlin
  const auto result = Cli({"analyse", data_, "--created", "CROSSDATE", "--shift-created",
                           "+1:00:00", "--no-modified"});
  ASSERT_EQ(result.exit_code, 0) << result.err;
  const auto lines = Lines(result.out);
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0], SplitRow(lines[0])[0] + "\t" + Text("GAD00310") + "\t" + Text("GAD00312") +
                          "\t" + Text("GAD00311") + "\t" + Text("GAD00313") + "\t" +
                          Text("GAD00314") + "\t" + Text("GAD00315"));
  EXPECT_EQ(lines[2], data_);
  const auto row = SplitRow(lines[3]);
  EXPECT_EQ(row[0], "photo.txt");
  EXPECT_EQ(row[2], "2019.07.14 11:12:33");
  EXPECT_EQ(row[5], Text("GAD00323"));
  EXPECT_EQ(row[4], "");
}

TEST_F(CliAnalyse, APhotoIsProposedItsExifDateThroughTheDeployedExifTool) {
  ASSERT_TRUE(test::MakeJpegWithTags(data_ + "photo.jpg", {"-DateTimeOriginal=2019:07:14 10:12:33",
                                                           "-ModifyDate=2019:07:15 08:00:00"}));
  const auto result = Cli({"analyse", data_, "--created", "EXIF taken", "--modified",
                           "EXIF changed"});
  ASSERT_EQ(result.exit_code, 0) << result.err;
  const auto lines = Lines(result.out);
  ASSERT_EQ(lines.size(), 5u);
  const auto row = SplitRow(lines[3]);
  EXPECT_EQ(row[2], "2019.07.14 10:12:33");
  EXPECT_EQ(row[4], "2019.07.15 08:00:00");
  EXPECT_EQ(row[5], Text("GAD00404"));
  EXPECT_EQ(row[6], Text("GAD00405"));
}

TEST_F(CliAnalyse, BadArgumentsAreRefusedWithExitStatusTwo) {
  const std::vector<std::vector<std::string>> bad = {
      {"analyse", "--created", "EXIF taken,NOPE"},
      {"analyse", "--created", "SAMEDATE,SAMEDATE"},
      {"analyse", "--depth", "21"},
      {"analyse", "--depth", "x"},
      {"analyse", "--shift-created", "1:00:00"},
      {"analyse", "--shift-modified", "+1:60:00"},
      {"analyse", "--fixed-created", "31.02.2017,10:00:00"},
      {"analyse", "--created", "FIXEDDATE"},
      {"analyse", "--bogus"},
      {"analyse", "--pattern-created"},
      {"frobnicate"},
  };
  for (const auto& arguments : bad) {
    const auto result = Cli(arguments);
    EXPECT_EQ(result.exit_code, 2) << arguments.back();
    EXPECT_FALSE(result.err.empty()) << arguments.back();
    EXPECT_TRUE(result.out.empty()) << arguments.back();
  }
}

TEST_F(CliAnalyse, FoldersThatCannotBeAnalysed) {
  const auto url = Cli({"analyse", "smb://server/share/"});
  EXPECT_EQ(url.exit_code, 2);
  EXPECT_NE(url.err.find(Text("TXT00045")), std::string::npos);
  const auto missing = Cli({"analyse", data_ + "missing/"});
  EXPECT_EQ(missing.exit_code, 2);
  EXPECT_NE(missing.err.find(Text("TXT00912")), std::string::npos);
}

TEST_F(CliAnalyse, NonRecursiveListsOnlyTheStartFolder) {
  home_.WriteFile("data/top.txt");
  home_.WriteFile("data/sub/inner.txt");
  const auto result = Cli({"analyse", data_, "--no-recursive"});
  ASSERT_EQ(result.exit_code, 0) << result.err;
  EXPECT_NE(result.out.find("top.txt\t"), std::string::npos);
  EXPECT_EQ(result.out.find("inner.txt"), std::string::npos);
  const auto deep = Cli({"analyse", data_});
  EXPECT_NE(deep.out.find(data_ + "sub/\n"), std::string::npos);
}

TEST_F(CliAnalyse, SettingsShowsAndSavesTheOverrides) {
  const auto shown = Cli({"settings", "--created", "FILENAME,SAMEDATE", "--depth", "4",
                          "--fixed-modified", "03.12.2017,09:10:55"});
  ASSERT_EQ(shown.exit_code, 0) << shown.err;
  EXPECT_NE(shown.out.find("DirLevels = 4\n"), std::string::npos);
  EXPECT_NE(shown.out.find("CreatedListEntries = 7,1;8,1;0,0;1,0;2,0;3,0;4,0;5,0;6,0;9,0;10,0;\n"),
            std::string::npos);
  EXPECT_NE(shown.out.find("DateModifiedFixed = 03.12.2017,09:10:55\n"), std::string::npos);
  EXPECT_FALSE(test::PathExistsForTest(settings_));

  ASSERT_EQ(Cli({"settings", "--depth", "4", "--save"}).exit_code, 0);
  std::ifstream saved(settings_, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(saved)), std::istreambuf_iterator<char>());
  EXPECT_EQ(bytes.substr(0, 20), "\xEF\xBB\xBF\r\nDirLevels = 4\r\n");
  // The saved file is what the next call starts from.
  const auto again = Cli({"settings"});
  EXPECT_NE(again.out.find("DirLevels = 4\n"), std::string::npos);
}

TEST_F(CliAnalyse, HelpNamesTheCommands) {
  const auto result = test::RunCli({"--help"}, home_.path());
  EXPECT_EQ(result.exit_code, 0);
  EXPECT_NE(result.out.find("kalvento-cli"), std::string::npos);
  EXPECT_NE(result.out.find("--shift-created"), std::string::npos);
}

}  // namespace
}  // namespace kalvento
