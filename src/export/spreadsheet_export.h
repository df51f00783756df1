#pragma once

#include <string>

#include "engine/result_list.h"
#include "engine/run_view.h"
#include "export/export_outcome.h"

namespace kalvento {

// The list as an XML Spreadsheet 2003 workbook in the file `path`: a shaded title row, a bold
// row per folder, file rows whose four date columns are date-time cells. An existing file is
// replaced only after the question; after a stop the workbook is complete up to that row.
ExportOutcome ExportSpreadsheet(const ResultList& list, const std::string& path, RunView& view);

}  // namespace kalvento
