// Dates found in file names by the user's pattern.

#include "sources/filename_date.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kalvento {
namespace {

constexpr int kPivot = 23;

struct NameCase {
  std::string pattern;
  std::string file_name;
  DateValue expected;  // 0: no date
};

const std::vector<NameCase> kNameCases = {
    {"YYYY-MM-DD hh.mm.ss", "2017-12-03 09.10.55.jpg", MakeDate(2017, 12, 3, 9, 10, 55)},
    {"YYYY-MM-DD hhmm", "Scan 2017-12-03 0910.pdf", MakeDate(2017, 12, 3, 9, 10, 0)},
    {"YYYYMMDD_hhmmss", "IMG_20171203_091055.jpg", MakeDate(2017, 12, 3, 9, 10, 55)},
    {"YYYYMMDD_hhmmss", "IMG_2017123_091055.jpg", 0},
    {"DD-MM-YYYY hh.mm", "12-3-2017 09.10.txt", MakeDate(2017, 3, 12, 9, 10, 0)},
    {"DD MMM YY", "Party 3 Dec 17.mov", MakeDate(2017, 12, 3, 0, 0, 0)},
    {"DD MMM YY", "Party 3 Dez 17.mov", MakeDate(2017, 12, 3, 0, 0, 0)},
    {"DD MMM YY", "Party 3 December 17.mov", MakeDate(2017, 12, 3, 0, 0, 0)},
    {"DD. MMM YYYY", "3. M\xC3\xA4rz 2017.doc", MakeDate(2017, 3, 3, 0, 0, 0)},
    {"YYMMDD", "IMG_171203.jpg", MakeDate(2017, 12, 3, 0, 0, 0)},
    {"YYMMDD", "241203.jpg", MakeDate(2024, 12, 3, 0, 0, 0)},
    {"DD.MM.YY", "03.12.24.jpg", MakeDate(1924, 12, 3, 0, 0, 0)},
    {"YYYY", "IMG_20171203.jpg", MakeDate(2017, 1, 1, 0, 0, 0)},
    {"YYYYMMDD", "holiday.jpg", 0},
    {"Summer_YYYY", "Summer_2017.jpg", 0},
    {"IMG_YYYYMMDD", "img_20171203.jpg", 0},
    {"Email_YYYY-MM-DD", "Email_2017-12-03.pdf", 0},
    // Only time tokens: a time on the first day of the calendar, which can win.
    {"hh.mm", "Call 09.10.txt", MakeDate(1601, 1, 1, 9, 10, 0)},
    // A found text whose numbers are all 0 would read as "now": never a date.
    {"YYYY-MM-DD", "0000-00-00.jpg", 0},
    {"DD.MM.YY", "Scan 00.00.00.pdf", 0},
    {"YYYYMMDD", "IMG_00000000.jpg", 0},
    {"YYYYMMDD_hhmmss", "IMG_00000000_000000.jpg", 0},
    {"hhmmss", "000000.wav", 0},
    {"hh.mm", "Call 00.00.txt", 0},
};

TEST(FileNameDateTest, ExamplesGiveTheirDates) {
  for (const NameCase& c : kNameCases) {
    SCOPED_TRACE(c.pattern + " on " + c.file_name);
    const auto matcher = BuildFileNameMatcher(c.pattern);
    ASSERT_NE(matcher, nullptr);
    const DateValue found = FileNameDate(*matcher, c.file_name, kPivot);
    if (c.expected == 0) {
      EXPECT_LE(found, 0) << FormatDate(kDisplayMask, found);
    } else {
      EXPECT_EQ(found, c.expected) << FormatDate(kDisplayMask, found);
    }
  }
}

struct MatcherCase {
  std::string pattern;
  std::string expression;
  std::string mask;
  bool strict;
};

TEST(FileNameDateTest, PatternBecomesExpressionMaskAndParserChoice) {
  const std::vector<MatcherCase> cases = {
      {"YYYY-MM-DD hh.mm.ss", "\\d{4}\\-\\d{1,2}\\-\\d{1,2} \\d{2}\\.\\d{2}\\.\\d{2}",
       "%yyyy-%mm-%dd %hh.%ii.%ss", false},
      {"YYYYMMDD_hhmmss", "\\d{4}\\d{1,2}\\d{1,2}_\\d{2}\\d{2}\\d{2}", "%yyyy%mm%dd_%hh%ii%ss",
       true},
      {"DD MMM YY", "\\d{1,2} [a-zA-Z]{3,9} \\d{2}", "%dd %mon %yy", false},
      {"(YY+MM)", "\\(\\d{2}\\+\\d{1,2}\\)", "(%yy+%mm)", false},
      {"hhmm", "\\d{2}\\d{2}", "%hh%ii", true},
  };
  for (const MatcherCase& c : cases) {
    SCOPED_TRACE(c.pattern);
    const auto matcher = BuildFileNameMatcher(c.pattern);
    ASSERT_NE(matcher, nullptr);
    EXPECT_EQ(matcher->expression(), c.expression);
    EXPECT_EQ(matcher->mask(), c.mask);
    EXPECT_EQ(matcher->strict(), c.strict);
  }
}

TEST(FileNameDateTest, EmptyOrInvalidPatternGivesNoMatcher) {
  // "*", "?" and "\" are not escaped and act as expression syntax.
  for (const std::string pattern : {"", "*YYYY", "?YYYYMMDD", "YYYY\\"}) {
    SCOPED_TRACE(pattern);
    EXPECT_EQ(BuildFileNameMatcher(pattern), nullptr);
  }
}

TEST(FileNameDateTest, GermanMonthNamesBecomeEnglish) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"3. M\xC3\xA4rz 2017", "3. march 2017"},
      {"3. M\xC3\x84RZ 2017", "3. march 2017"},
      {"Maerz", "march"},
      {"M\xC3\xA4r 17", "mar 17"},
      {"1 Mai 2019", "1 may 2019"},
      {"Okt-Dez", "oct-dec"},
      {"Email_2017", "Emayl_2017"},  // also inside other words
      {"IMG_0001.jpg", "IMG_0001.jpg"},
  };
  for (const auto& [name, expected] : cases) {
    EXPECT_EQ(NormaliseMonthNames(name), expected) << name;
  }
}

}  // namespace
}  // namespace kalvento
