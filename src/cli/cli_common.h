#pragma once

#include <string>

#include "engine/result_list.h"

namespace kalvento::cli {

inline constexpr int kExitDone = 0;
inline constexpr int kExitStopped = 1;
inline constexpr int kExitBadInput = 2;

// A message for the user on stderr, CR LF of the texts turned into terminal line ends.
void PrintErr(const std::string& text);
// The result list on stdout, one line per row.
void PrintList(const ResultList& list);

// The folder to analyse: the working folder when none is given, a URL kept as it is so that the
// run refuses it, a relative path taken against the working folder.
std::string StartFolder(const std::string& given);

}  // namespace kalvento::cli
