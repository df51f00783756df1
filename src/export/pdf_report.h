#pragma once

#include <array>
#include <string>
#include <string_view>

#include "engine/result_list.h"
#include "engine/run_view.h"
#include "export/export_outcome.h"

namespace kalvento {

struct PdfReportRequest {
  std::string path;
  std::string creator;  // the window's title
  std::string title;    // the current folder
  // Above 0: the width in mm of one letter "X" of the report font, instead of measuring it.
  double x_width_mm = 0;
};

// A page format: orientation "P" or "L" and "width,height" in points.
struct PageFormat {
  std::string_view orientation;
  std::string_view format;
  bool operator==(const PageFormat&) const = default;
};

// The smallest format, A4 portrait up to A0 landscape, for a report `width_mm` wide.
PageFormat PageFormatFor(double width_mm);

// The list as a PDF report in the file `path`: a grey title row, a bold row per folder, a row per
// file with separators between the columns, in a monospaced font on pages as wide as the list
// needs. The written file is handed to the view to be shown. An existing file is replaced only
// after the question.
ExportOutcome ExportPdfReport(const ResultList& list, const PdfReportRequest& request,
                              RunView& view);

}  // namespace kalvento
