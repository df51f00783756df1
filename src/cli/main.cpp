// kalvento-cli: the analysis (and later the correction and exports) for scripts and servers.
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli_common.h"
#include "cli/cli_options.h"
#include "cli/correct_command.h"
#include "cli/export_option.h"
#include "cli/terminal_view.h"
#include "engine/analysis.h"
#include "engine/settings_file.h"
#include "platform/folders.h"
#include "platform/paths.h"
#include "sources/tools.h"
#include "texts/text_table.h"
#include "texts/text_util.h"

namespace kalvento::cli {
namespace {

void Print(FILE* stream, const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stream);
}

int Refuse(const std::string& message) {
  PrintErr(message);
  return kExitBadInput;
}

// The settings lines as the file holds them, for reading on a terminal.
std::string SettingsForDisplay(const StoredSettings& settings) {
  std::string text = SerializeSettings(settings);
  text = text.substr(text.find("\r\n") + 2);  // byte-order mark and empty line
  return ReplaceAll(text, "\r\n", "\n");
}

// A fixed date that is switched on for a corrected target must have been given.
std::string CheckFixedDates(const CorrectionSettings& settings) {
  for (Target target : {Target::kCreated, Target::kModified}) {
    const TargetSettings& chosen = settings.Of(target);
    if (!chosen.correct || chosen.fixed) continue;
    const int fixed_index = SourceIndexOf(target, "FIXEDDATE");
    for (const SourceEntry& entry : chosen.sources) {
      if (entry.index == fixed_index && entry.enabled) {
        return Text(target == Target::kCreated ? "TXT00910" : "TXT00911");
      }
    }
  }
  return "";
}


int RunAnalyse(const Options& options, StoredSettings& stored, const std::string& settings_path,
               const platform::Folders& folders, DeployedTools& tools) {
  AnalysisRequest request;
  request.folder = StartFolder(options.folder);
  request.settings = stored.correction;
  request.context = ReaderContextFor(tools, folders.temp);
  ResultList list;
  AnalysisOutcome outcome;
  {
    TerminalView view(list);
    outcome = RunAnalysis(request, list, view);
  }
  if (outcome == AnalysisOutcome::kRefused) return kExitBadInput;
  if (outcome == AnalysisOutcome::kNotStarted) {
    return Refuse(Text("TXT00912") + ": " + request.folder);
  }
  PrintList(list);
  const int exported = ExportAfterRun(options.export_choice, list, request.folder, stored);
  if (options.save) {
    stored.correction = request.settings;
    stored.last_directory = request.folder;
    if (!SaveSettings(settings_path, stored)) return Refuse(Text("TXT00913") + ": " + settings_path);
  }
  if (exported != kExitDone) return exported;
  return outcome == AnalysisOutcome::kStopped ? kExitStopped : kExitDone;
}

int Main(const std::vector<std::string>& arguments) {
  FillTextTable();
  std::vector<std::string> rest = arguments;
  ExportChoice export_choice;
  if (std::string error = TakeExportOptions(rest, export_choice); !error.empty()) {
    return Refuse(error + "\n" + Text("TXT00914"));
  }
  ParseOutcome parsed = ParseCommandLine(rest);
  if (!parsed.options) return Refuse(parsed.error + "\n" + Text("TXT00914"));
  parsed.options->export_choice = export_choice;
  const Options& options = *parsed.options;
  if (options.command == Command::kHelp) {
    Print(stdout, ReplaceAll(Text("TXT00900"), "\r\n", "\n") + "\n");
    return kExitDone;
  }

  const platform::Folders folders = platform::FindFolders(Text("AppData_Subdir"), Text("Temp_Subdir"));
  platform::CreateWorkingFolders(folders);
  const std::string settings_path =
      options.settings_file.empty() ? folders.data + Text("Settings_File") : options.settings_file;
  StoredSettings stored = LoadSettings(settings_path, folders.documents);
  if (std::string error = ApplyOverrides(options.overrides, stored.correction); !error.empty()) {
    return Refuse(error);
  }
  if (std::string error = CheckFixedDates(stored.correction); !error.empty()) return Refuse(error);

  if (options.command == Command::kSettings) {
    Print(stdout, SettingsForDisplay(stored));
    if (options.save && !SaveSettings(settings_path, stored)) {
      return Refuse(Text("TXT00913") + ": " + settings_path);
    }
    return kExitDone;
  }
  DeployedTools tools;
  DeployTools(ConfiguredToolLocations(folders.program), folders.temp, tools);
  const int result = options.command == Command::kCorrect
                         ? RunCorrect(options, stored, settings_path, folders, tools)
                         : RunAnalyse(options, stored, settings_path, folders, tools);
  ReleaseMediaInfo(tools);
  return result;
}

}  // namespace
}  // namespace kalvento::cli

int main(int argc, char** argv) {
  return kalvento::cli::Main(std::vector<std::string>(argv + 1, argv + argc));
}
