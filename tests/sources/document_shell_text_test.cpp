// The shell's display text of a date and the locale's date mask.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/clock.h"
#include "sources/shell_date_text.h"

namespace kalvento {
namespace {

TEST(ShellDateMask, FollowsTheUsersShortDateFormat) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"dd.MM.yyyy", "%dd.%mm.%yyyy"}, {"d.M.yyyy", "%dd.%mm.%yyyy"},
      {"yyyy-MM-dd", "%yyyy-%mm-%dd"}, {"M/d/yyyy", "%mm/%dd/%yyyy"},
      {"dd/MM/yy", "%dd/%mm/%yy"},     {"yyyy.MM.dd.", "%yyyy.%mm.%dd."},
      {"YYYY/M/D", "%yyyy/%mm/%dd"},   {"", ""},
  };
  for (const auto& [format, mask] : cases) EXPECT_EQ(LocaleDateMask(format), mask) << format;
}

struct TextCase {
  std::string text;
  std::string mask;
  DateValue expected;
};

TEST(ShellDateText, ReadsDateTimeAndMark) {
  const std::string lrm = "\xE2\x80\x8E";  // U+200E
  const std::string rlm = "\xE2\x80\x8F";  // U+200F
  const std::vector<TextCase> cases = {
      {"14.07.2019 10:12", "%dd.%mm.%yyyy", MakeDate(2019, 7, 14, 10, 12, 0)},
      {"7/14/2019 10:12 PM", "%mm/%dd/%yyyy", MakeDate(2019, 7, 14, 22, 12, 0)},
      {"7/14/2019 10:12 am", "%mm/%dd/%yyyy", MakeDate(2019, 7, 14, 10, 12, 0)},
      {"7/14/2019 12:05 AM", "%mm/%dd/%yyyy", MakeDate(2019, 7, 14, 0, 5, 0)},
      {"7/14/2019 12:05 PM", "%mm/%dd/%yyyy", MakeDate(2019, 7, 14, 12, 5, 0)},
      {"14.07.2019 24:00", "%dd.%mm.%yyyy", MakeDate(2019, 7, 14, 0, 0, 0)},
      {"2019-07-14", "%yyyy-%mm-%dd", MakeDate(2019, 7, 14, 0, 0, 0)},
      // Direction marks around the parts, and a run of blanks between them.
      {lrm + "14." + lrm + "07." + lrm + "2019 " + rlm + lrm + " 10:12", "%dd.%mm.%yyyy",
       MakeDate(2019, 7, 14, 10, 12, 0)},
      {lrm + "7/" + lrm + "14/" + lrm + "2019 " + rlm + lrm + "10:12 PM", "%mm/%dd/%yyyy",
       MakeDate(2019, 7, 14, 22, 12, 0)},
      // A no-break space before the mark parts the fields like a blank.
      {"7/14/2019 10:12\xE2\x80\xAFPM", "%mm/%dd/%yyyy", MakeDate(2019, 7, 14, 22, 12, 0)},
      {"14.07.19 10:12", "%dd.%mm.%yy", MakeDate(2019, 7, 14, 10, 12, 0)},
      // Nothing that makes a date, or a time that is none.
      {"", "%dd.%mm.%yyyy", 0},
      {"   ", "%dd.%mm.%yyyy", 0},
      {"14.07.2019 10:12", "", 0},
      {"14.13.2019 10:12", "%dd.%mm.%yyyy", 0},
      {"14.07.2019 25:12", "%dd.%mm.%yyyy", 0},
      {"14.07.2019 10:60", "%dd.%mm.%yyyy", 0},
      {"14.07.2019 -1:12 PM", "%dd.%mm.%yyyy", 0},
      {"14.07.2019 99999999999999999999:12", "%dd.%mm.%yyyy", 0},
  };
  for (const TextCase& c : cases) {
    EXPECT_EQ(ParseShellDateText(c.text, c.mask), c.expected) << c.text;
  }
}

TEST(ShellDateText, UsesTheLocalesSeparators) {
  ShellDateLocale locale;
  locale.date_mask = "%dd.%mm.%yyyy";
  locale.date_separator = "\xE2\x80\x99";  // a separator outside the common ones
  locale.time_separator = "h";
  EXPECT_EQ(ParseShellDateText("14\xE2\x80\x99"
                               "07\xE2\x80\x99"
                               "2019 10h12",
                               locale),
            MakeDate(2019, 7, 14, 10, 12, 0));
}

TEST(ShellDateText, TwoDigitYearsPivotOnTheCurrentYear) {
  // Pinned to 2030-06-01 12:00 UTC: 30 is 2030, 31 is 1931.
  platform::SetClockForTests(platform::FileInstant{1906545600, 0});
  const DateValue this_year = ParseShellDateText("01.02.30 10:12", "%dd.%mm.%yy");
  const DateValue next_year = ParseShellDateText("01.02.31 10:12", "%dd.%mm.%yy");
  platform::SetClockForTests(std::nullopt);
  EXPECT_EQ(this_year, MakeDate(2030, 2, 1, 10, 12, 0));
  EXPECT_EQ(next_year, MakeDate(1931, 2, 1, 10, 12, 0));
}

}  // namespace
}  // namespace kalvento
