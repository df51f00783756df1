#pragma once

#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "engine/result_list.h"
#include "engine/settings_file.h"
#include "platform/folders.h"
#include "sources/tools.h"

namespace kalvento::cli {

// Exit status when some date could not be written.
inline constexpr int kExitWritesFailed = 3;

// `correct [FOLDER]`: the analysis as `analyse` runs it, then the correction of every marked row.
// Prints the rewritten list on stdout; the log's path and the counts go to stderr.
int RunCorrect(const Options& options, StoredSettings& stored, const std::string& settings_path,
               const platform::Folders& folders, DeployedTools& tools);

// Leaves marked only the file rows whose name matches one of `globs` (fnmatch); no globs
// changes nothing.
void KeepOnlyMatching(ResultList& list, const std::vector<std::string>& globs);

}  // namespace kalvento::cli
