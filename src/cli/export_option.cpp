#include "cli/export_option.h"

#include "cli/cli_common.h"

#include <unistd.h>

#include <cstdio>

#include "cli/terminal_view.h"
#include "export/export_type.h"
#include "platform/paths.h"
#include "texts/text_table.h"
#include "texts/text_util.h"

namespace kalvento::cli {
namespace {

struct TypeName {
  std::string_view name;
  int type;
};
constexpr TypeName kTypeNames[] = {{"pdf", kExportPdf},
                                   {"txt", kExportTextTab},
                                   {"csv", kExportTextSemicolon},
                                   {"xls", kExportSpreadsheet}};


// The terminal, except that the replace question is answered by --yes, and without a terminal
// by No: a script never replaces a file it was not told to.
class ExportView : public TerminalView {
 public:
  ExportView(const ResultList& list, bool replace) : TerminalView(list), replace_(replace) {}

  bool AskYesNo(const std::string& title, const std::string& text, bool default_no) override {
    if (title != Text("TXT00090")) return TerminalView::AskYesNo(title, text, default_no);
    if (replace_) return true;
    if (isatty(STDIN_FILENO) != 1) {
      refused_without_terminal_ = true;
      return false;
    }
    return TerminalView::AskYesNo(title, text, default_no);
  }

  bool refused_without_terminal() const { return refused_without_terminal_; }

 private:
  bool replace_;
  bool refused_without_terminal_ = false;
};

}  // namespace

std::string TakeExportOptions(std::vector<std::string>& arguments, ExportChoice& choice) {
  std::vector<std::string> rest;
  bool export_given = false;
  bool type_given = false;
  bool yes_given = false;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--export" || argument == "--type") {
      if (i + 1 >= arguments.size()) return Text("TXT00902") + ": " + argument;
      const std::string& value = arguments[++i];
      if (argument == "--export") {
        if (value.empty()) return Text("TXT00902") + ": " + argument;
        choice.file = value;
        export_given = true;
        continue;
      }
      type_given = true;
      choice.type = -1;
      for (const TypeName& known : kTypeNames) {
        if (AsciiLower(value) == known.name) choice.type = known.type;
      }
      if (choice.type < 0) return Text("TXT00940") + ": " + value;
    } else if (argument == "--yes") {
      yes_given = true;
      choice.replace = true;
    } else {
      rest.push_back(argument);
    }
  }
  if ((type_given || yes_given) && !export_given) return Text("TXT00941");
  const bool takes_export =
      !rest.empty() && (rest[0] == "analyse" || rest[0] == "analyze" || rest[0] == "correct");
  if (export_given && !takes_export) return Text("TXT00942");
  arguments = std::move(rest);
  return "";
}

int ExportAfterRun(const ExportChoice& choice, const ResultList& list,
                   const std::string& current_folder, StoredSettings& stored) {
  if (choice.file.empty()) return kExitDone;
  const int type = choice.type >= 0 ? choice.type
                   : IsExportType(stored.export_type) ? stored.export_type
                                                      : kExportPdf;
  const std::string given = platform::IsLocalAbsolutePath(choice.file)
                                ? choice.file
                                : platform::AbsolutePath(choice.file);
  ExportRequest request;
  request.type = type;
  request.path = WithExportExtension(given, type);
  request.creator = Text("Program_Name");
  request.current_folder = current_folder;
  stored.export_file = request.path;
  stored.export_type = type;

  ExportOutcome outcome;
  bool refused_without_terminal = false;
  {
    ExportView view(list, choice.replace);
    outcome = ExportList(list, request, view);
    refused_without_terminal = view.refused_without_terminal();
  }
  switch (outcome) {
    case ExportOutcome::kWritten:
      PrintErr(Text("TXT00943") + ": " + request.path);
      return kExitDone;
    case ExportOutcome::kStopped:
      PrintErr(Text("TXT00944") + ": " + request.path);
      return kExitStopped;
    case ExportOutcome::kDeclined:
      PrintErr(Text(refused_without_terminal ? "TXT00946" : "TXT00945") + ": " + request.path);
      return refused_without_terminal ? kExitBadInput : kExitStopped;
    case ExportOutcome::kNotWritten:
      break;
  }
  PrintErr(Text("TXT00947") + ": " + request.path);
  return kExitBadInput;
}

}  // namespace kalvento::cli
