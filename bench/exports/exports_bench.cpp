// Builds a result list of ROWS file rows (1,000 per folder) and times one export of it.
//   exports_bench pdf|tab|semicolon|xls OUTPUT [ROWS]
// Prints: seconds of the export, the process's resident memory before it and its peak.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "engine/result_list.h"
#include "engine/run_view.h"
#include "export/export_type.h"
#include "texts/text_table.h"

namespace {

long ResidentKib() {
  std::ifstream status("/proc/self/status");
  std::string key;
  long value = 0;
  while (status >> key) {
    if (key == "VmRSS:") {
      status >> value;
      return value;
    }
    status.ignore(4096, '\n');
  }
  return 0;
}

long PeakKib() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

kalvento::ResultList MakeList(long rows) {
  using kalvento::JoinRow;
  kalvento::ResultList list;
  const std::array<std::string, kalvento::kColumnCount> titles = {
      "Dateiname", "Erstellt", "Erstellt (neu)", "Geändert", "Geändert (neu)",
      "Quelle für 'Erstellt'", "Quelle für 'Geändert'"};
  for (int i = 0; i < kalvento::kColumnCount; ++i) {
    list.columns.push_back({std::string(kalvento::kColumnKeys[i]), i + 1, titles[i]});
  }
  list.widths = {0, 24, 19, 19, 19, 19, 21, 21};
  list.lines.reserve(static_cast<size_t>(rows + rows / 500 + 4));
  list.lines.push_back({JoinRow(titles), 1});
  list.lines.push_back({" ", 0});
  for (long row = 0; row < rows; ++row) {
    if (row % 1000 == 0) {
      list.lines.push_back({"/srv/photos/year " + std::to_string(2000 + row / 100000) + "/album_" +
                                std::to_string(row / 1000) + "/",
                            1});
    }
    const std::string day = std::to_string(10 + row % 18);
    list.lines.push_back(
        {"IMG_" + std::to_string(row) + ".jpg\t2019.07." + day + " 18:03:55\t2019.07." + day +
             " 18:03:55\t2020.01.02 03:04:05\t2019.07." + day +
             " 18:03:55\tEXIF taken\tEXIF taken",
         1});
    if (row % 1000 == 999) list.lines.push_back({" ", 0});
  }
  return list;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: exports_bench pdf|tab|semicolon|xls OUTPUT [ROWS]\n");
    return 2;
  }
  kalvento::FillTextTable();
  const std::string kind = argv[1];
  const int type = kind == "pdf"         ? kalvento::kExportPdf
                   : kind == "tab"       ? kalvento::kExportTextTab
                   : kind == "semicolon" ? kalvento::kExportTextSemicolon
                                         : kalvento::kExportSpreadsheet;
  const long rows = argc > 3 ? std::atol(argv[3]) : 1000000;
  const kalvento::ResultList list = MakeList(rows);
  const long before_kib = ResidentKib();
  kalvento::SilentRunView view;
  const kalvento::ExportRequest request{type, argv[2], "Kalvento", "/srv/photos/"};
  const auto start = std::chrono::steady_clock::now();
  const kalvento::ExportOutcome outcome = kalvento::ExportList(list, request, view);
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  if (outcome != kalvento::ExportOutcome::kWritten) {
    std::fprintf(stderr, "export failed\n");
    return 1;
  }
  std::printf("%.3f %ld %ld %zu\n", took.count(), before_kib, PeakKib(), list.lines.size());
  return 0;
}
