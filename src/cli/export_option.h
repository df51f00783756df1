#pragma once

#include <string>
#include <vector>

#include "engine/result_list.h"
#include "engine/settings_file.h"

namespace kalvento::cli {

// `--export FILE [--type pdf|txt|csv|xls] [--yes]` of analyse and correct.
struct ExportChoice {
  std::string file;     // empty: no export
  int type = -1;        // -1: the stored ExportDateiTyp
  bool replace = false;  // --yes: replace an existing file without the question
};

// Takes the export options out of `arguments` (the rest parses as before) into `choice`; an
// error text when they are misused.
std::string TakeExportOptions(std::vector<std::string>& arguments, ExportChoice& choice);

// After a run: exports `list` as chosen and records the file and type in `stored` (saved by the
// caller with --save). An existing file is replaced after Yes on the terminal or with --yes,
// never silently. The exit status: 0 written or no export, 1 stopped or kept, 2 not written.
int ExportAfterRun(const ExportChoice& choice, const ResultList& list,
                   const std::string& current_folder, StoredSettings& stored);

}  // namespace kalvento::cli
