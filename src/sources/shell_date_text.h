#pragma once

#include <string>
#include <string_view>

#include "dates/datef.h"

namespace kalvento {

// The user's short date format ("dd.MM.yyyy", "M/d/yyyy", ...) as a date mask
// ("%dd.%mm.%yyyy", "%mm/%dd/%yyyy"); empty for an empty format.
std::string LocaleDateMask(std::string_view short_date_format);

// How the desktop shell writes dates in the user's locale.
struct ShellDateLocale {
  std::string date_mask;             // from LocaleDateMask
  std::string date_separator;        // may be empty
  std::string time_separator = ":";  // empty counts as ":"
};

// A date as the shell shows it in a detail column: date, blank, hours and minutes, and an
// optional AM/PM mark ("14.07.2019 10:12", "7/14/2019 10:12 PM"). The invisible direction marks
// the shell puts around the parts are dropped. Two-digit years are read with the current year
// as the pivot. 0 when the text holds no valid date and time.
DateValue ParseShellDateText(std::string_view text, const ShellDateLocale& locale);
// The same with the common separators ("." "/" "-" for dates, ":" for times).
DateValue ParseShellDateText(std::string_view text, std::string_view locale_mask);

}  // namespace kalvento
