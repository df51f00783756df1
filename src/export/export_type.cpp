#include "export/export_type.h"

#include "export/pdf_report.h"
#include "export/spreadsheet_export.h"
#include "export/text_export.h"
#include "texts/text_util.h"

namespace kalvento {

bool IsExportType(int type) { return type >= kExportPdf && type <= kExportSpreadsheet; }

std::string_view ExportExtension(int type) {
  switch (type) {
    case kExportPdf:
      return "pdf";
    case kExportTextTab:
    case kExportTextSemicolon:
      return "txt";
    case kExportSpreadsheet:
      return "xls";
    default:
      return "";
  }
}

std::string WithExportExtension(std::string_view file, int type) {
  const std::string_view extension = ExportExtension(type);
  std::string chosen(file);
  if (extension.empty()) return chosen;
  const size_t slash = file.rfind('/');
  const std::string_view name = slash == std::string_view::npos ? file : file.substr(slash + 1);
  const size_t dot = name.rfind('.');
  const std::string_view current = dot == std::string_view::npos ? "" : name.substr(dot + 1);
  if (dot == std::string_view::npos || AsciiLower(current) != extension) {
    chosen.append(".").append(extension);
  }
  return chosen;
}

ExportOutcome ExportList(const ResultList& list, const ExportRequest& request, RunView& view) {
  switch (request.type) {
    case kExportPdf:
      return ExportPdfReport(list, {request.path, request.creator, request.current_folder, 0},
                             view);
    case kExportTextTab:
      return ExportText(list, request.path, "\t", view);
    case kExportTextSemicolon:
      return ExportText(list, request.path, ";", view);
    case kExportSpreadsheet:
      return ExportSpreadsheet(list, request.path, view);
    default:
      return ExportOutcome::kNotWritten;
  }
}

}  // namespace kalvento
