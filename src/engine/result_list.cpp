#include "engine/result_list.h"

namespace kalvento {

int ResultList::ColumnNumber(std::string_view key) const {
  for (const Column& column : columns) {
    if (column.key == key) return column.number;
  }
  return 0;
}

void ResultList::Clear() {
  lines.clear();
  widths.fill(0);
  file_count = 0;
}

std::array<std::string, kColumnCount> SplitRow(std::string_view row) {
  std::array<std::string, kColumnCount> fields;
  size_t start = 0;
  for (int i = 0; i < kColumnCount && start <= row.size(); ++i) {
    const size_t tab = row.find('\t', start);
    if (tab == std::string_view::npos || i == kColumnCount - 1) {
      fields[i] = row.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start);
      break;
    }
    fields[i] = row.substr(start, tab - start);
    start = tab + 1;
  }
  return fields;
}

std::string JoinRow(const std::array<std::string, kColumnCount>& fields) {
  std::string row = fields[0];
  for (int i = 1; i < kColumnCount; ++i) row.append("\t").append(fields[i]);
  return row;
}

bool IsContentLine(std::string_view line) { return !line.empty() && line != kSpacerLine; }

bool HoldsDate(std::string_view field) {
  return !field.empty() && field[0] >= '0' && field[0] <= '9';
}

}  // namespace kalvento
