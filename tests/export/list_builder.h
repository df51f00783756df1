#pragma once

#include <string>
#include <vector>

#include "engine/result_list.h"
#include "texts/text_util.h"

namespace kalvento::test {

// A result list as an analysis run leaves it: the column map, the header, the spacer, and the
// given lines; the column widths are the widest texts per column, at least `minimum_widths`.
inline ResultList MakeList(const std::vector<std::string>& lines,
                           std::array<int, kColumnCount> minimum_widths = {}) {
  ResultList list;
  const std::array<std::string, kColumnCount> titles = {
      "Name", "Erstellt", "Erstellt neu", "Geändert", "Geändert neu", "Info Erstellt",
      "Info Geändert"};
  for (int i = 0; i < kColumnCount; ++i) {
    list.columns.push_back({std::string(kColumnKeys[i]), i + 1, titles[i]});
    list.widths[i + 1] = std::max(minimum_widths[i], static_cast<int>(CodePointCount(titles[i])));
  }
  list.lines.push_back({JoinRow(titles), 1});
  list.lines.push_back({" ", 0});
  for (const std::string& line : lines) {
    list.lines.push_back({line, 0});
    if (line.find('\t') == std::string::npos) continue;
    const auto fields = SplitRow(line);
    for (int i = 0; i < kColumnCount; ++i) {
      list.widths[i + 1] = std::max(list.widths[i + 1], static_cast<int>(CodePointCount(fields[i])));
    }
  }
  return list;
}

// A file row from its seven fields.
inline std::string Row(const std::string& name, const std::string& created,
                       const std::string& created_new, const std::string& modified,
                       const std::string& modified_new, const std::string& info_created,
                       const std::string& info_modified) {
  return JoinRow({name, created, created_new, modified, modified_new, info_created, info_modified});
}

// `count` lines in all: the header, the spacer, one folder and file rows.
inline ResultList ListOfLines(size_t count) {
  std::vector<std::string> lines = {"/data/photos/"};
  while (lines.size() + 2 < count) {
    lines.push_back(Row("IMG_" + std::to_string(lines.size()) + ".jpg", "2019.07.14 18:03:55",
                        "2019.07.14 18:03:55", "2020.01.02 03:04:05", "", "EXIF taken", ""));
  }
  ResultList list = MakeList(lines);
  list.lines.resize(count);
  return list;
}

}  // namespace kalvento::test
