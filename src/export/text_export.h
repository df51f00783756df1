#pragma once

#include <string>
#include <string_view>

#include "engine/result_list.h"
#include "engine/run_view.h"
#include "export/export_outcome.h"

namespace kalvento {

// Every row of the list as one line of the file `path` (UTF-8, CR LF): the row's fields with
// their blanks trimmed, joined by the first character of `separator` (a blank when it is empty),
// written as they are, without quotes. An existing file is replaced only after the question.
ExportOutcome ExportText(const ResultList& list, const std::string& path,
                         std::string_view separator, RunView& view);

}  // namespace kalvento
