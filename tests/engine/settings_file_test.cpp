#include "engine/settings_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "test_support.h"
#include "texts/text_table.h"

namespace kalvento {
namespace {

StoredSettings Edited() {
  StoredSettings settings = DefaultSettings("/home/ann/Dokumente/");
  CorrectionSettings& c = settings.correction;
  c.depth_limit = 3;
  c.recursive = false;
  c.created.pattern = "YYYY-MM-DD hh.mm.ss";
  c.created.shift_on = true;
  c.created.shift_hours = 26;
  c.created.shift_minutes = 5;
  c.created.shift_seconds = 9;
  c.created.shift_sign = "-";
  c.created.fixed = CalendarRecord{2017, 12, 3, 9, 10, 55};
  std::swap(c.created.sources[0], c.created.sources[7]);
  c.created.sources[0].enabled = true;
  c.modified.correct = false;
  c.modified.folder_date = true;
  settings.last_directory = "/home/ann/Bilder/";
  settings.create_log = true;
  settings.last_log = "2024-03-09_14-05-31.txt";
  settings.export_type = 3;
  settings.window_state = 1;
  settings.window_width = 900;
  return settings;
}

TEST(SettingsFile, SavedAndLoadedAgainIsByteIdentical) {
  test::TempFolder folder;
  const std::string path = folder.path() + "Kalvento.ini";
  const StoredSettings original = Edited();
  ASSERT_TRUE(SaveSettings(path, original));
  const std::string first = test::ReadFileBytes(path);
  const StoredSettings loaded = LoadSettings(path, "/elsewhere/");
  EXPECT_EQ(loaded, original);
  ASSERT_TRUE(SaveSettings(path, loaded));
  EXPECT_EQ(test::ReadFileBytes(path), first);
  EXPECT_FALSE(test::PathExistsForTest(path + ".new"));
}

TEST(SettingsFile, WritesBomEmptyLineAndKeysInOrder) {
  const std::string text = SerializeSettings(Edited());
  ASSERT_EQ(text.substr(0, 5), "\xEF\xBB\xBF\r\n");
  std::vector<std::string> keys;
  std::istringstream lines(text.substr(5));
  for (std::string line; std::getline(lines, line);) {
    ASSERT_FALSE(line.empty());
    ASSERT_EQ(line.back(), '\r') << line;
    keys.push_back(line.substr(0, line.find(" = ")));
  }
  const std::vector<std::string> expected = {
      "DirLevels", "Rekursiv", "LastDirectory", "SortAddress", "CorrectCreated",
      "CreatedListEntries", "SetFolderDateCreated", "DateFormatCreated", "ShiftCreated",
      "ShiftCreatedHours", "ShiftCreatedMinutes", "ShiftCreatedSeconds", "ShiftCreatedSign",
      "DateCreatedFixed", "CorrectModified", "ModifiedListEntries", "SetFolderDateModified",
      "DateFormatModified", "ShiftModified", "ShiftModifiedHours", "ShiftModifiedMinutes",
      "ShiftModifiedSeconds", "ShiftModifiedSign", "DateModifiedFixed", "ExportDateiName",
      "ExportDateiTyp", "CreateLog", "LastLog", "MainWindowState", "MainWindowPosX",
      "MainWindowPosY", "MainWindowWidth", "MainWindowHeight"};
  EXPECT_EQ(keys, expected);
  EXPECT_NE(text.find("\r\nDirLevels = 3\r\n"), std::string::npos);
  EXPECT_NE(text.find("CreatedListEntries = 7,1;1,1;2,1;3,1;4,0;5,0;6,0;0,1;8,0;9,0;10,0;\r\n"),
            std::string::npos);
  EXPECT_NE(text.find("DateCreatedFixed = 03.12.2017,09:10:55\r\n"), std::string::npos);
  EXPECT_NE(text.find("DateModifiedFixed = \r\n"), std::string::npos);
}

TEST(SettingsFile, MissingFileGivesFirstStartDefaults) {
  const StoredSettings settings = LoadSettings("/nonexistent/Kalvento.ini", "/home/ann/Dokumente/");
  const CorrectionSettings& c = settings.correction;
  EXPECT_EQ(c.depth_limit, 0);
  EXPECT_TRUE(c.recursive);
  for (const TargetSettings* target : {&c.created, &c.modified}) {
    EXPECT_TRUE(target->correct);
    EXPECT_EQ(target->sources, DefaultSourceList());
    EXPECT_FALSE(target->shift_on);
    EXPECT_EQ(target->shift_sign, "+");
    EXPECT_EQ(target->ShiftSeconds(), 0);
    EXPECT_FALSE(target->fixed.has_value());
  }
  EXPECT_EQ(settings.export_file, "/home/ann/Dokumente/filelist.txt");
  // A random number 1234-9876 followed by the seconds since 1970.
  ASSERT_GE(settings.sort_address.size(), 14u);
  const int prefix = std::stoi(settings.sort_address.substr(0, 4));
  EXPECT_GE(prefix, 1234);
  EXPECT_LE(prefix, 9876);
}

TEST(SettingsFile, TenEntryListGainsFixedDateUnchecked) {
  for (const char* old_list : {"0,1;1,1;2,1;3,1;4,0;5,0;6,0;7,0;8,0;9,0",
                               "0,1;1,1;2,1;3,1;4,0;5,0;6,0;7,0;8,0;9,0;;"}) {
    const SourceList list = DecodeSourceList(old_list);
    EXPECT_EQ(list, DefaultSourceList()) << old_list;
    EXPECT_EQ(list[10].index, 10);
    EXPECT_FALSE(list[10].enabled);
  }
  const SourceList moved = DecodeSourceList("9,1;1,1;2,1;3,1;4,0;5,0;6,0;7,0;8,0;0,0");
  EXPECT_EQ(moved[0].index, 9);
  EXPECT_TRUE(moved[0].enabled);
  EXPECT_EQ(moved[10].index, 10);
}

TEST(SettingsFile, MalformedListsFallBackToTheDefault) {
  for (const char* bad : {"", "garbage", "0,1;1,1;2,1", "0,1;0,1;2,1;3,1;4,0;5,0;6,0;7,0;8,0;9,0;10,0;",
                          "0,1;1,1;2,1;3,1;4,0;5,0;6,0;7,0;8,0;9,0;11,0;10,0",
                          "-1,1;1,1;2,1;3,1;4,0;5,0;6,0;7,0;8,0;9,0;10,0"}) {
    EXPECT_EQ(DecodeSourceList(bad), DefaultSourceList()) << bad;
  }
  // Only "1" enables.
  const SourceList list = DecodeSourceList("0,2;1,yes;2,1;3,1;4,0;5,0;6,0;7,0;8,0;9,0;10,1");
  EXPECT_FALSE(list[0].enabled);
  EXPECT_FALSE(list[1].enabled);
  EXPECT_TRUE(list[10].enabled);
}

TEST(SettingsFile, ReadsLooselyWrittenFiles) {
  // No byte-order mark: Latin-1. Keys in any case, blanks and tabs around, unknown keys ignored.
  const std::string latin1 =
      "dirlevels\t =  2 \r\n"
      "REKURSIV=0\n"
      "LastDirectory =   /home/j\xF6rg/  \r\n"
      "DateFormatCreated = Urlaub DD.MM.YYYY\r\n"
      "Unknown = 5\r\n"
      "DateModifiedFixed = 3.12.2017,9:10:55\r\n";
  const StoredSettings settings = ParseSettings(latin1, "/docs/");
  EXPECT_EQ(settings.correction.depth_limit, 2);
  EXPECT_FALSE(settings.correction.recursive);
  EXPECT_EQ(settings.last_directory, "/home/j\xC3\xB6rg/");
  EXPECT_EQ(settings.correction.created.pattern, "Urlaub DD.MM.YYYY");
  // Fields are taken by position: a short form gives what the positions hold.
  ASSERT_TRUE(settings.correction.modified.fixed.has_value());
  EXPECT_EQ(settings.correction.modified.fixed->day, 3);

  const StoredSettings utf8 = ParseSettings("\xEF\xBB\xBF\r\nLastDirectory = /home/j\xC3\xB6rg/\r\n", "/d/");
  EXPECT_EQ(utf8.last_directory, "/home/j\xC3\xB6rg/");
}

TEST(SettingsFile, GarbageValuesReadAsZeroOrDefaults) {
  const std::string garbage =
      "\xEF\xBB\xBF\r\n"
      "DirLevels = abc\r\n"
      "Rekursiv = x\r\n"
      "CorrectCreated = no\r\n"
      "ShiftCreated = 1\r\n"
      "ShiftCreatedHours = -5\r\n"
      "ShiftCreatedMinutes = 75\r\n"
      "ShiftCreatedSeconds = 12abc\r\n"
      "ShiftCreatedSign = ?\r\n"
      "ExportDateiTyp = 9\r\n"
      "MainWindowWidth = 99999999999999999999\r\n"
      "CreatedListEntries = ;;;\r\n";
  const StoredSettings settings = ParseSettings(garbage, "/d/");
  const CorrectionSettings& c = settings.correction;
  EXPECT_EQ(c.depth_limit, 0);
  EXPECT_FALSE(c.recursive);
  EXPECT_FALSE(c.created.correct);
  EXPECT_EQ(c.created.shift_hours, 0);
  EXPECT_EQ(c.created.shift_minutes, 59);
  EXPECT_EQ(c.created.shift_seconds, 12);
  EXPECT_EQ(c.created.shift_sign, "+");
  EXPECT_EQ(c.created.ShiftSeconds(), 59 * 60 + 12);
  EXPECT_EQ(c.created.sources, DefaultSourceList());
  EXPECT_EQ(settings.export_type, 0);
  EXPECT_EQ(settings.window_width, INT32_MAX);
  EXPECT_TRUE(c.modified.correct);
}

TEST(SettingsFile, ShiftSecondsFollowTheSign) {
  TargetSettings target;
  target.shift_hours = 1;
  target.shift_minutes = 2;
  target.shift_seconds = 3;
  EXPECT_EQ(target.ShiftSeconds(), 0);  // shift off
  target.shift_on = true;
  EXPECT_EQ(target.ShiftSeconds(), 3723);
  target.shift_sign = "-";
  EXPECT_EQ(target.ShiftSeconds(), -3723);
  target.shift_hours = kMaxShiftHours;
  EXPECT_EQ(target.ShiftSeconds(), -(kMaxShiftHours * 3600 + 123));
}

TEST(SettingsFile, UnwritableFileIsReportedAndNothingIsLeft) {
  test::TempFolder folder;
  EXPECT_FALSE(SaveSettings(folder.path() + "missing/sub/Kalvento.ini", Edited()));
}

}  // namespace
}  // namespace kalvento
