#include "cli/correct_command.h"

#include "cli/cli_common.h"

#include <fnmatch.h>

#include <cstdio>

#include "cli/terminal_view.h"
#include "engine/analysis.h"
#include "engine/correction.h"
#include "platform/paths.h"
#include "texts/text_table.h"
#include "texts/text_util.h"

namespace kalvento::cli {
namespace {

bool MatchesAny(const std::string& name, const std::vector<std::string>& globs) {
  for (const std::string& glob : globs) {
    if (fnmatch(glob.c_str(), name.c_str(), 0) == 0) return true;
  }
  return false;
}

}  // namespace

void KeepOnlyMatching(ResultList& list, const std::vector<std::string>& globs) {
  if (globs.empty()) return;
  for (size_t i = 2; i < list.lines.size(); ++i) {
    ResultLine& line = list.lines[i];
    if (!IsContentLine(line.text) || platform::IsFolderLine(line.text)) continue;
    const std::string name = line.text.substr(0, line.text.find('\t'));
    if (!MatchesAny(name, globs)) line.mark = 0;
  }
}

int RunCorrect(const Options& options, StoredSettings& stored, const std::string& settings_path,
               const platform::Folders& folders, DeployedTools& tools) {
  AnalysisRequest analysis;
  analysis.folder = StartFolder(options.folder);
  analysis.settings = stored.correction;
  analysis.context = ReaderContextFor(tools, folders.temp);
  ResultList list;
  AnalysisOutcome analysed;
  CorrectionOutcome corrected;
  {
    TerminalView view(list);
    analysed = RunAnalysis(analysis, list, view);
    if (analysed == AnalysisOutcome::kCompleted) {
      KeepOnlyMatching(list, options.only);
      CorrectionRequest request;
      request.current_folder = analysis.folder;
      request.create_log = options.log || stored.create_log;
      request.folder_date_created = analysis.settings.created.folder_date;
      request.folder_date_modified = analysis.settings.modified.folder_date;
      request.folders = folders;
      corrected = RunCorrection(request, list, view);
    }
  }
  if (analysed == AnalysisOutcome::kRefused) return kExitBadInput;
  if (analysed == AnalysisOutcome::kNotStarted) {
    PrintErr(Text("TXT00912") + ": " + analysis.folder);
    return kExitBadInput;
  }
  // A stopped analysis leaves a partial list: nothing is written from it.
  PrintList(list);
  const int exported = ExportAfterRun(options.export_choice, list, analysis.folder, stored);
  if (analysed == AnalysisOutcome::kCompleted) {
    if (!corrected.log_path.empty()) PrintErr(Text("TXT00920") + ": " + corrected.log_path);
    PrintErr(Text("TXT00921") + ": " + std::to_string(corrected.dates_written) + ", " +
             Text("TXT00922") + ": " + std::to_string(corrected.writes_failed));
  }
  if (options.save) {
    stored.correction = analysis.settings;
    stored.last_directory = analysis.folder;
    if (!corrected.last_log.empty()) stored.last_log = corrected.last_log;
    if (!SaveSettings(settings_path, stored)) {
      PrintErr(Text("TXT00913") + ": " + settings_path);
      return kExitBadInput;
    }
  }
  if (analysed == AnalysisOutcome::kStopped || corrected.stopped) return kExitStopped;
  if (exported != 0) return exported;
  return corrected.writes_failed > 0 ? kExitWritesFailed : kExitDone;
}

}  // namespace kalvento::cli
