#pragma once

#include <string>

#include "engine/correction_settings.h"
#include "engine/result_list.h"
#include "engine/run_view.h"
#include "sources/readers.h"

namespace kalvento {

struct AnalysisRequest {
  std::string folder;           // the current folder, absolute, ending with "/"
  CorrectionSettings settings;  // as the controls hold them; a raised depth limit is written back
  FileReaders readers = InstalledReaders();
  ReaderContext context;
};

enum class AnalysisOutcome {
  kRefused,     // not a local absolute folder: the message was shown
  kNotStarted,  // missing folder or volume: nothing changed
  kCompleted,
  kStopped,     // the user confirmed a stop; the list ends with the stop line
};

// The Analyse command: scans the folder (and its subfolders down to the depth limit), proposes
// a Created and a Modified date for every file and fills `list`.
AnalysisOutcome RunAnalysis(AnalysisRequest& request, ResultList& list, RunView& view);

// A name a result row can hold: no tab, CR or LF (they would shift the row's fields).
bool IsListableName(std::string_view name);

}  // namespace kalvento
