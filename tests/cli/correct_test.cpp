// kalvento-cli correct, run as the built program on a temporary folder.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli_runner.h"
#include "engine/result_list.h"
#include "test_support.h"
#include "texts/text_table.h"

namespace kalvento {
namespace {

constexpr long long kOldUnix = 978307200;     // 2001-01-01 01:00:00 in Berlin
constexpr long long kFixedUnix = 1563120235;  // 2019-07-14 18:03:55 in Berlin
const std::vector<std::string> kFixedModified = {"--no-created", "--modified", "FIXEDDATE",
                                                 "--fixed-modified", "14.07.2019,18:03:55"};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The row of `name` in the printed list, split into its fields.
std::array<std::string, kColumnCount> RowOf(const std::string& out, const std::string& name) {
  for (const std::string& line : Lines(out)) {
    if (line.rfind(name + "\t", 0) == 0) return SplitRow(line);
  }
  ADD_FAILURE() << "no row for " << name << " in\n" << out;
  return {};
}

// The value after "<key>: " on a line of `text`, or empty.
std::string ValueAfter(const std::string& text, const std::string& key) {
  for (const std::string& line : Lines(text)) {
    if (line.rfind(key + ": ", 0) == 0) return line.substr(key.size() + 2);
  }
  return "";
}

class CliCorrect : public ::testing::Test {
 protected:
  void SetUp() override {
    FillTextTable();
    data_ = home_.MakeFolder("data");
    settings_ = home_.path() + "settings.ini";
    logs_ = home_.path() + ".config/Kalvento/Logs/";
  }
  std::string File(const std::string& name) {
    const std::string path = home_.WriteFile("data/" + name, "contents");
    test::SetModifiedUnix(path, kOldUnix);
    return path;
  }
  test::CliResult Correct(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), {"correct", data_, "--settings", settings_});
    return test::RunCli(arguments, home_.path());
  }
  test::TempFolder home_;
  std::string data_;
  std::string settings_;
  std::string logs_;
};

TEST_F(CliCorrect, WritesTheProposalsAndPrintsTheRewrittenList) {
  const std::string a = File("a.txt");
  const std::string b = File("b.txt");
  const auto result = Correct(kFixedModified);
  ASSERT_EQ(result.exit_code, 0) << result.err;
  EXPECT_EQ(test::ModifiedUnix(a), kFixedUnix);
  EXPECT_EQ(test::ModifiedUnix(b), kFixedUnix);
  EXPECT_EQ(test::ReadFileBytes(a), "contents");
  const auto row = RowOf(result.out, "a.txt");
  EXPECT_EQ(row[3], "2019.07.14 18:03:55");
  EXPECT_EQ(row[4], "<- " + Text("GAD00316"));
  EXPECT_EQ(ValueAfter(result.err, Text("TXT00921")), "2, " + Text("TXT00922") + ": 0");
  // No log was asked for.
  EXPECT_EQ(ValueAfter(result.err, Text("TXT00920")), "");
  EXPECT_TRUE(std::filesystem::is_empty(logs_));
}

TEST_F(CliCorrect, OnlyCorrectsTheFilesWhoseNameMatches) {
  const std::string a = File("apple.jpg");
  const std::string b = File("banana.jpg");
  const std::string c = File("cherry.md");
  std::vector<std::string> arguments = kFixedModified;
  arguments.insert(arguments.end(), {"--only", "a*", "--only", "*.md"});
  const auto result = Correct(arguments);
  ASSERT_EQ(result.exit_code, 0) << result.err;
  EXPECT_EQ(test::ModifiedUnix(a), kFixedUnix);
  EXPECT_EQ(test::ModifiedUnix(b), kOldUnix);
  EXPECT_EQ(test::ModifiedUnix(c), kFixedUnix);
  // The row left unmarked keeps its proposal.
  EXPECT_EQ(RowOf(result.out, "banana.jpg")[4], "2019.07.14 18:03:55");
}

TEST_F(CliCorrect, AFailedWriteGivesExitStatusThree) {
  const std::string a = File("a.txt");
  // This file system has no creation time that could be set.
  const auto result = Correct(
      {"--no-modified", "--created", "FIXEDDATE", "--fixed-created", "14.07.2019,18:03:55"});
  EXPECT_EQ(result.exit_code, 3) << result.err;
  EXPECT_EQ(RowOf(result.out, "a.txt")[2], "!! " + Text("GAD00318"));
  EXPECT_EQ(test::ModifiedUnix(a), kOldUnix);
}

TEST_F(CliCorrect, LogIsWrittenWhenAskedAndSavedAsLastLog) {
  struct Case {
    std::string title;
    std::string settings;  // settings file before the run; empty: none
    bool log_option;
    bool log_expected;
  };
  const std::vector<Case> cases = {
      {"--log", "", true, true},
      {"CreateLog in the settings", "\xEF\xBB\xBF\r\nCreateLog = 1\r\n", false, true},
      {"neither", "", false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    std::remove(settings_.c_str());
    if (!c.settings.empty()) home_.WriteFile("settings.ini", c.settings);
    const std::string a = File("a.txt");
    std::vector<std::string> arguments = kFixedModified;
    arguments.push_back("--save");
    if (c.log_option) arguments.push_back("--log");
    const auto result = Correct(arguments);
    ASSERT_EQ(result.exit_code, 0) << result.err;
    const std::string log_path = ValueAfter(result.err, Text("TXT00920"));
    const std::string settings = test::ReadFileBytes(settings_);
    if (!c.log_expected) {
      EXPECT_EQ(log_path, "");
      EXPECT_NE(settings.find("LastLog = \r\n"), std::string::npos) << settings;
      continue;
    }
    ASSERT_EQ(log_path.rfind(logs_, 0), 0u) << result.err;
    const std::string name = log_path.substr(logs_.size());
    EXPECT_NE(test::ReadFileBytes(log_path).find("\t2019.07.14 18:03:55\t" + a + "\r\n"), std::string::npos);
    EXPECT_NE(settings.find("LastLog = " + name + "\r\n"), std::string::npos) << settings;
    std::remove(log_path.c_str());
  }
}

TEST_F(CliCorrect, BadArgumentsAreRefusedWithExitStatusTwo) {
  const std::vector<std::vector<std::string>> bad = {
      {"correct", "--only"},          {"correct", "--bogus"},    {"analyse", "--log"},
      {"analyse", "--only", "*.jpg"}, {"correct", "/a/", "/b/"},
  };
  for (const auto& arguments : bad) {
    const auto result = test::RunCli(arguments, home_.path());
    EXPECT_EQ(result.exit_code, 2) << arguments.back() << "\n" << result.err;
  }
}

}  // namespace
}  // namespace kalvento
