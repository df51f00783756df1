#include "export/text_export.h"

#include "export/export_run.h"

namespace kalvento {

using export_run::FieldReader;

ExportOutcome ExportText(const ResultList& list, const std::string& path,
                         std::string_view separator, RunView& view) {
  const char joint = separator.empty() ? ' ' : separator.front();
  if (!export_run::ConfirmReplace(path, view)) return ExportOutcome::kDeclined;
  export_run::OutputFile file;
  if (!file.Open(path)) return ExportOutcome::kNotWritten;
  view.SetWaitCursor(true);
  const size_t count = list.lines.size();
  export_run::ListProgress progress(view, count, 100);
  bool stopped = false;
  std::string& out = file.Buffer();
  for (size_t i = 0; i < count; ++i) {
    const std::string_view row = export_run::WithoutTrailingBlanks(list.lines[i].text);
    progress.AtRow(i);
    if (export_run::StopRequested(view)) {
      stopped = true;
      break;
    }
    FieldReader fields(row);
    out.append(export_run::TrimFieldBlanks(fields.Next()));
    while (!fields.AtEnd()) {
      out.push_back(joint);
      out.append(export_run::TrimFieldBlanks(fields.Next()));
    }
    out.append("\r\n");
    file.FlushIfLarge();
  }
  const bool written = file.Close();
  progress.End();
  view.SetWaitCursor(false);
  if (!written) return ExportOutcome::kNotWritten;
  return stopped ? ExportOutcome::kStopped : ExportOutcome::kWritten;
}

}  // namespace kalvento
