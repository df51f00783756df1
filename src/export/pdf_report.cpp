#include "export/pdf_report.h"

#include <cmath>

#include "export/export_run.h"
#include "pdf/pdf_writer.h"
#include "platform/paths.h"
#include "texts/text_table.h"

namespace kalvento {
namespace {

using export_run::FieldReader;

constexpr std::string_view kFont = "Consolas";
constexpr double kFontSize = 9;
constexpr double kRowHeight = 3.4;
constexpr double kTitleRowHeight = kRowHeight + 1;
constexpr double kMargin = 5;
constexpr double kLineWidth = 0.25;
constexpr double kTitleLineWidth = 0.5;
constexpr int kLight = 196;
constexpr int kDark = 64;

struct ReportColumns {
  std::array<double, kColumnCount> widths{};  // W(1) .. W(7) in mm
  double total = 0;
};

// W(k): a text of (characters + 1) letters "X" in the report font, plus 1 mm, rounded.
ReportColumns MeasureColumns(const ResultList& list, double x_width_mm, pdf::PdfWriter& writer) {
  ReportColumns columns;
  const int count = export_run::ListColumnCount(list);
  if (count == 0) return columns;
  writer.Create("P", "mm", "");
  writer.SetFont(kFont, "", kFontSize);
  for (int k = 1; k <= count; ++k) {
    const size_t letters = static_cast<size_t>(std::max(list.widths[k], 0)) + 1;
    const double text_width = x_width_mm > 0 ? static_cast<double>(letters) * x_width_mm
                                             : writer.GetStringWidth(std::string(letters, 'X'));
    columns.widths[k - 1] = std::round(text_width + 1);
    columns.total += columns.widths[k - 1];
  }
  return columns;
}

class ReportPainter {
 public:
  ReportPainter(pdf::PdfWriter& writer, const ReportColumns& columns)
      : writer_(writer), columns_(columns) {}

  void Row(size_t index, std::string_view row) {
    if (index == 0) {
      TitleRow(row);
    } else if (platform::IsFolderLine(row)) {
      writer_.SetFont(kFont, "B", kFontSize);
      writer_.FitCell(columns_.total, kRowHeight, row, 0, 0, "L", false, 0, "...");
      writer_.SetFont(kFont, "", kFontSize);
      writer_.Ln(-1);
    } else if (row.empty()) {
      writer_.Ln(kRowHeight);
    } else {
      FileRow(row);
    }
  }

 private:
  void TitleRow(std::string_view row) {
    writer_.Ln(-1);
    writer_.SetDrawColor(255, 255, 255);
    writer_.SetLineWidth(kTitleLineWidth);
    writer_.SetFont(kFont, "B", kFontSize);
    FieldReader fields(row);
    for (int k = 1; k <= kColumnCount; ++k) {
      writer_.Cell(columns_.widths[k - 1], kTitleRowHeight, fields.Next(), 1, 0, "L", true, 0);
    }
    writer_.SetDrawColor(kLight, kLight, kLight);
    writer_.SetLineWidth(kLineWidth);
    writer_.SetFont(kFont, "", kFontSize);
    writer_.Ln(-1);
  }

  // Dark lines part the groups (name, Created pair, Modified pair, information), light lines the
  // two columns within a group.
  void FileRow(std::string_view row) {
    FieldReader fields(row);
    for (int k = 1; k <= kColumnCount; ++k) {
      const std::string_view field = fields.Next();
      if (k < kColumnCount) {
        const int shade = k % 2 == 0 ? kLight : kDark;
        writer_.SetDrawColor(shade, shade, shade);
        writer_.Cell(columns_.widths[k - 1], kRowHeight, field, -4, 0, "L", false, 0);
      } else {
        writer_.Cell(columns_.widths[k - 1], kRowHeight, field, 0, 0, "L", false, 0);
      }
    }
    writer_.Ln(-1);
  }

  pdf::PdfWriter& writer_;
  const ReportColumns& columns_;
};

}  // namespace

PageFormat PageFormatFor(double width_mm) {
  if (width_mm < 200) return {"P", "595.28,841.89"};
  if (width_mm < 285) return {"L", "595.28,841.89"};
  if (width_mm < 405) return {"L", "841.89,1190.55"};
  if (width_mm < 580) return {"L", "1190.55,1683.78"};
  if (width_mm < 830) return {"L", "1683.78,2383.94"};
  return {"L", "2383.94,3370.39"};
}

ExportOutcome ExportPdfReport(const ResultList& list, const PdfReportRequest& request,
                              RunView& view) {
  if (!export_run::ConfirmReplace(request.path, view)) return ExportOutcome::kDeclined;
  view.SetWaitCursor(true);
  const size_t count = list.lines.size();
  export_run::ListProgress progress(view, count, 50);

  pdf::PdfWriter writer;
  const ReportColumns columns = MeasureColumns(list, request.x_width_mm, writer);
  const PageFormat page = PageFormatFor(columns.total);
  writer.Create(page.orientation, "mm", page.format);
  writer.AddPage(page.orientation, page.format);
  writer.SetCreator(request.creator);
  writer.SetSubject(Text("GAD00002"));
  writer.SetTitle(request.title);
  writer.SetAutoPageBreak(true, kMargin);
  writer.SetMargins(kMargin, kMargin, kMargin);
  writer.SetDisplayMode(-1, "/OneColumn");
  writer.SetFont(kFont, "", kFontSize);
  writer.SetTextColor(0, 0, 0);
  writer.SetFillColor(kLight, kLight, kLight);
  writer.SetDrawColor(kLight, kLight, kLight);
  writer.SetLineWidth(kLineWidth);
  writer.SetXY(kMargin, kMargin);

  ReportPainter painter(writer, columns);
  bool stopped = false;
  for (size_t i = 0; i < count; ++i) {
    const std::string_view row = export_run::WithoutTrailingBlanks(list.lines[i].text);
    progress.AtRow(i);
    if (export_run::StopRequested(view)) {
      stopped = true;
      break;
    }
    painter.Row(i, row);
  }
  // A file that could not be saved is not opened: the viewer would show an old one or fail.
  const bool saved = writer.Save(request.path);
  if (saved) view.OpenDocument(request.path);
  progress.End();
  view.SetWaitCursor(false);
  if (!saved) return ExportOutcome::kNotWritten;
  return stopped ? ExportOutcome::kStopped : ExportOutcome::kWritten;
}

}  // namespace kalvento
