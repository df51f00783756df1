#pragma once

#include <string>
#include <string_view>

#include "engine/result_list.h"
#include "engine/run_view.h"
#include "export/export_outcome.h"

namespace kalvento {

// The file types of the Export command, as ExportDateiTyp stores them.
enum ExportType : int {
  kExportPdf = 0,
  kExportTextTab = 1,
  kExportTextSemicolon = 2,
  kExportSpreadsheet = 3,
};

bool IsExportType(int type);
// "pdf", "txt", "txt", "xls"; empty for a number that is no type.
std::string_view ExportExtension(int type);
// The chosen file with "." + the type's extension appended unless its extension, lower-cased,
// already is that one ("list.TXT" stays, "list.csv" becomes "list.csv.txt").
std::string WithExportExtension(std::string_view file, int type);

struct ExportRequest {
  int type = kExportPdf;
  std::string path;
  std::string creator;         // the window's title, for the PDF report
  std::string current_folder;  // the folder chosen for analysis, for the PDF report
};

// Starts the export of the type: the PDF report, the text export with a tab or ";", or the
// spreadsheet.
ExportOutcome ExportList(const ResultList& list, const ExportRequest& request, RunView& view);

}  // namespace kalvento
