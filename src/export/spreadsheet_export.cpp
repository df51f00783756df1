#include "export/spreadsheet_export.h"

#include <array>

#include "dates/datef.h"
#include "export/export_run.h"
#include "export/spreadsheet_writer.h"
#include "export/xml_text.h"
#include "platform/paths.h"

namespace kalvento {
namespace {

using export_run::FieldReader;
using export_run::TrimFieldBlanks;

constexpr std::array<std::string_view, kColumnCount> kColumnStyles = {
    "myColumn1", "myColumn2", "myColumn3", "myColumn4", "myColumn5", "myColumn6", "myColumn7"};
constexpr std::string_view kDateColumnFormat = "YYYY.MM.DD hh:mm:ss";

bool IsDateColumn(int number) { return number >= 2 && number <= 5; }

void WriteStyles(SpreadsheetWriter& writer, int column_count) {
  writer.BeginStyles();
  struct Plain {
    std::string_view id, font_color, bold, horizontal, format;
  };
  writer.BeginStyle("myTitle", "", "");
  writer.StyleFont("", "", "#000000", "1");
  writer.StyleInterior("#E6E6E6", "Solid", "");
  writer.StyleAlignment("Left", "Center");
  writer.StyleNumberFormat("@");
  writer.EndStyle();
  for (const Plain& style : {Plain{"mySubTitle", "#000000", "1", "Left", "@"},
                             Plain{"mySubTotal", "#808080", "0", "Left", "@"},
                             Plain{"myTotal", "#808080", "1", "Left", "@"},
                             Plain{"myTextRight", "", "", "Right", "@"},
                             Plain{"myLink", "#0000FF", "0", "", ""},
                             Plain{"myLinkBold", "#0000FF", "1", "", ""}}) {
    writer.BeginStyle(style.id, "", "");
    if (!style.font_color.empty()) writer.StyleFont("", "", style.font_color, style.bold);
    if (!style.horizontal.empty()) writer.StyleAlignment(style.horizontal, "Automatic");
    if (!style.format.empty()) writer.StyleNumberFormat(style.format);
    writer.EndStyle();
  }
  for (int number = 1; number <= column_count; ++number) {
    writer.BeginStyle(kColumnStyles[number - 1], "", "");
    writer.StyleNumberFormat(IsDateColumn(number) ? kDateColumnFormat : "");
    writer.EndStyle();
  }
  writer.EndStyles();
}

// "2019-07-14T18:03:55.000", written without a temporary string.
void AppendDateTime(std::string& out, DateValue value) {
  const CalendarRecord date = SplitDate(value);
  char text[] = "0000-00-00T00:00:00.000";
  const auto put = [&](size_t at, int number, int digits) {
    for (int i = digits - 1; i >= 0; --i, number /= 10) {
      text[at + static_cast<size_t>(i)] = static_cast<char>('0' + number % 10);
    }
  };
  put(0, date.year, 4);
  put(5, date.month, 2);
  put(8, date.day, 2);
  put(11, date.hour, 2);
  put(14, date.minute, 2);
  put(17, date.second, 2);
  out.append(text, sizeof text - 1);
}

class RowWriter {
 public:
  explicit RowWriter(SpreadsheetWriter& writer) : writer_(writer) {}

  void Write(size_t index, std::string_view row) {
    if (index == 0) {
      writer_.BeginRow("20", "myTitle");
      FieldReader fields(row);
      for (int number = 1; number <= kColumnCount; ++number) {
        StringCell(TrimFieldBlanks(fields.Next()), "");
      }
    } else if (platform::IsFolderLine(row)) {
      writer_.BeginRow("", "mySubTitle");
      StringCell(row, "");
    } else if (row.empty()) {
      writer_.BeginRow("", "");
      StringCell(row, "");
    } else {
      writer_.BeginRow("", "");
      FieldReader fields(row);
      for (int number = 1; number <= kColumnCount; ++number) {
        const std::string_view field = TrimFieldBlanks(fields.Next());
        const std::string_view style = kColumnStyles[number - 1];
        const DateValue date = IsDateColumn(number) ? ParseDate(kDisplayMask, field) : 0;
        if (date > 0) {
          data_.clear();
          AppendDateTime(data_, date);
          writer_.Cell(data_, "DateTime", style, "");
        } else {
          StringCell(field, style);
        }
      }
    }
    writer_.EndRow();
  }

 private:
  void StringCell(std::string_view text, std::string_view style) {
    data_.clear();
    AppendXmlText(data_, text);
    writer_.Cell(data_, "String", style, "");
  }

  SpreadsheetWriter& writer_;
  std::string data_;  // reused for every cell
};

}  // namespace

ExportOutcome ExportSpreadsheet(const ResultList& list, const std::string& path, RunView& view) {
  if (!export_run::ConfirmReplace(path, view)) return ExportOutcome::kDeclined;
  SpreadsheetWriter writer;
  if (!writer.OpenWorkbook(path)) return ExportOutcome::kNotWritten;
  view.SetWaitCursor(true);
  const size_t count = list.lines.size();
  export_run::ListProgress progress(view, count, 50);

  const int column_count = export_run::ListColumnCount(list);
  WriteStyles(writer, column_count);
  writer.BeginWorksheet("Tab1", "0", "0");
  writer.BeginTable("60", "15", "");
  for (int number = 1; number <= column_count; ++number) {
    writer.TableColumn(std::to_string(list.widths[number] * 6), kColumnStyles[number - 1]);
  }

  RowWriter rows(writer);
  bool stopped = false;
  for (size_t i = 0; i < count; ++i) {
    const std::string_view row = export_run::WithoutTrailingBlanks(list.lines[i].text);
    progress.AtRow(i);
    if (export_run::StopRequested(view)) {
      stopped = true;
      break;
    }
    rows.Write(i, row);
  }
  writer.EndTable();
  writer.EndWorksheet();
  const bool written = writer.CloseWorkbook() != 0;
  progress.End();
  view.SetWaitCursor(false);
  if (!written) return ExportOutcome::kNotWritten;
  return stopped ? ExportOutcome::kStopped : ExportOutcome::kWritten;
}

}  // namespace kalvento
