#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/export_option.h"
#include "engine/correction_settings.h"

namespace kalvento::cli {

enum class Command { kAnalyse, kSettings, kHelp, kCorrect };

// One override of the settings, applied in the order given on the command line.
struct Override {
  std::string option;  // e.g. "--depth"
  std::string value;   // empty for switches
};

struct Options {
  Command command = Command::kHelp;
  std::string folder;         // empty: the working folder
  std::string settings_file;  // empty: the settings file in the data folder
  bool save = false;
  bool log = false;               // correct: write a log whatever the settings say
  std::vector<std::string> only;  // correct: file-name globs of the rows to keep marked
  std::vector<Override> overrides;
  ExportChoice export_choice;  // analyse, correct: taken out by TakeExportOptions
};

// The parsed command line, or an error text for the user (exit status 2).
struct ParseOutcome {
  std::optional<Options> options;
  std::string error;
};

ParseOutcome ParseCommandLine(const std::vector<std::string>& arguments);

// Applies the overrides to the settings; an error text when a value is refused.
std::string ApplyOverrides(const std::vector<Override>& overrides, CorrectionSettings& settings);

// "CODE,CODE,..." in priority order: the named sources enabled, the others disabled after them.
std::optional<SourceList> SourceListFromCodes(Target target, const std::string& codes,
                                              const SourceList& current, std::string& error);
// "+H:MM:SS" or "-H:MM:SS".
bool ParseShift(const std::string& text, TargetSettings& target);
// "DD.MM.YYYY,hh:mm:ss" naming a real date and time.
std::optional<CalendarRecord> ParseFixedDate(const std::string& text);

}  // namespace kalvento::cli
