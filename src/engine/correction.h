#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/result_list.h"
#include "engine/run_view.h"
#include "platform/folders.h"

namespace kalvento {

// The rename options of the hand-edited options file. Empty texts mean: no renaming.
struct RenameOptions {
  std::string format;  // RenameFormat, its own tokens (YYYY MM DD hh mm ss)
  std::string date;    // RenameDate, lower case: "created" or "modified"
  std::string type;    // RenameType, lower case: "all" or "corrected"
  int64_t remove = 0;  // RenameRemove: leading characters of the old name to drop, >= 0

  bool operator==(const RenameOptions&) const = default;
};

// The options from the file's text: key=value lines before the first section, values trimmed.
RenameOptions ParseRenameOptions(std::string_view file_bytes);
// The options file (config value Ini_File) from the program folder, else the data folder; the
// defaults when neither can be opened.
RenameOptions ReadRenameOptions(const platform::Folders& folders);
// RenameFormat as a date mask: "YYYY-MM-DD_hh.mm.ss_" -> "%yyyy-%mm-%dd_%hh.%ii.%ss_".
std::string RenameMask(std::string_view rename_format);

struct CorrectionRequest {
  std::string current_folder;  // the window's current folder, for the log
  bool create_log = false;
  bool folder_date_created = false;   // SetFolderDateCreated
  bool folder_date_modified = false;  // SetFolderDateModified
  platform::Folders folders;          // program and data (options file), log
};

struct CorrectionOutcome {
  bool stopped = false;  // the user confirmed a stop
  int64_t dates_written = 0;
  int64_t writes_failed = 0;
  std::string last_log;  // this run's log name (without folder) when logging was on, even if the
                         // file could not be created
  std::string log_path;  // the log written, or empty
};

// The Correct command: writes the proposals of every marked file row, rewrites those rows with
// the outcome, renames after the date as the options file asks, logs, and then sets the folder
// dates when asked.
CorrectionOutcome RunCorrection(const CorrectionRequest& request, ResultList& list, RunView& view);

}  // namespace kalvento
